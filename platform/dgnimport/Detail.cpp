#include "Detail.h"

#include <algorithm>
#include <cmath>

namespace dgn {

void Detail::setFileSize(uint64_t bytes)
{
  m_budget = std::clamp(uint64_t(double(bytes) * kVerticesPerByte), kMinBudget, kMaxBudget);
}

double Detail::tolerance(double relative, double size, double magnitude) const
{
  const double wanted = relative * size * (spent() ? kCoarser : 1.0);
  const double floor = std::max(m_resolution, kRelativeFloor * magnitude);
  return std::isfinite(wanted) ? std::max(wanted, floor) : floor;
}

size_t Detail::allowance() const
{
  const uint64_t left = m_budget - std::min(m_budget, m_used);
  return size_t(std::clamp<uint64_t>(left, kMinAllowance, kMaxAllowance));
}

} // namespace dgn
