#pragma once
#include <Ge.h>

#include <algorithm>
#include <cmath>

namespace dgn {

// The box around points: how large an element is (the diagonal), and how far from zero its
// coordinates reach (which bounds the precision they can be told apart with).
class Bounds {
public:
  Bounds() = default;
  template <class Points>
  explicit Bounds(const Points& points)
  {
    for (const OdGePoint3d& p : points)
      add(p);
  }

  void add(const OdGePoint3d& p)
  {
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
      return;
    if (m_empty) {
      m_low = m_high = p;
      m_empty = false;
      return;
    }
    m_low = {std::min(m_low.x, p.x), std::min(m_low.y, p.y), std::min(m_low.z, p.z)};
    m_high = {std::max(m_high.x, p.x), std::max(m_high.y, p.y), std::max(m_high.z, p.z)};
  }
  bool empty() const { return m_empty; }
  double size() const { return m_empty ? 0.0 : (m_high - m_low).length(); }
  double magnitude() const
  {
    if (m_empty)
      return 0.0;
    return std::max({std::fabs(m_low.x), std::fabs(m_low.y), std::fabs(m_low.z), std::fabs(m_high.x),
                     std::fabs(m_high.y), std::fabs(m_high.z)});
  }

private:
  bool m_empty = true;
  OdGePoint3d m_low, m_high;
};

} // namespace dgn
