#include "Mesh.h"

#include <algorithm>
#include <cmath>

namespace dgn {

namespace {

// Outlines longer than this are capped by a fan from their first vertex: clipping ears costs up
// to the cube of their length.
constexpr size_t kMaxEarClipped = 400;

OdGeVector3d cross(const OdGeVector3d& a, const OdGeVector3d& b)
{
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double dot(const OdGeVector3d& a, const OdGeVector3d& b)
{
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

} // namespace

std::vector<int> Mesh::add(const std::vector<OdGePoint3d>& points)
{
  std::vector<int> indices;
  indices.reserve(points.size());
  for (const OdGePoint3d& p : points)
    indices.push_back(add(p));
  return indices;
}

void Mesh::face(int a, int b, int c, int d)
{
  std::array<int, 4> f{-1, -1, -1, -1};
  int n = 0;
  for (int v : {a, b, c, d}) {
    if (v < 0 || (n > 0 && vertices[size_t(v)] == vertices[size_t(f[size_t(n - 1)])]))
      continue;
    const OdGePoint3d& p = vertices[size_t(v)];
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
      return;
    f[size_t(n++)] = v;
  }
  if (n > 3 && vertices[size_t(f[3])] == vertices[size_t(f[0])])
    f[size_t(--n)] = -1;
  if (n >= 3)
    faces.push_back(f);
}

void Mesh::strip(const std::vector<int>& a, const std::vector<int>& b)
{
  for (size_t i = 0; i + 1 < a.size() && i + 1 < b.size(); ++i)
    face(a[i], a[i + 1], b[i + 1], b[i]);
}

void Mesh::cap(std::vector<int> outline)
{
  while (outline.size() > 1 && vertices[size_t(outline.back())] == vertices[size_t(outline.front())])
    outline.pop_back();
  if (outline.size() < 3)
    return;
  // The plane's normal by Newell's method; the outline in that plane's coordinates.
  OdGeVector3d normal;
  for (size_t i = 0; i < outline.size(); ++i) {
    const OdGePoint3d &p = vertices[size_t(outline[i])], &q = vertices[size_t(outline[(i + 1) % outline.size()])];
    normal.x += (p.y - q.y) * (p.z + q.z);
    normal.y += (p.z - q.z) * (p.x + q.x);
    normal.z += (p.x - q.x) * (p.y + q.y);
  }
  const double length = normal.length();
  if (!(length > 0.0) || outline.size() > kMaxEarClipped) {
    for (size_t i = 1; i + 1 < outline.size(); ++i)
      face(outline[0], outline[i], outline[i + 1]);
    return;
  }
  normal = {normal.x / length, normal.y / length, normal.z / length};
  const OdGeVector3d seed = std::fabs(normal.x) < 0.9 ? OdGeVector3d{1, 0, 0} : OdGeVector3d{0, 1, 0};
  OdGeVector3d ex = cross(seed, normal);
  ex = {ex.x / ex.length(), ex.y / ex.length(), ex.z / ex.length()};
  const OdGeVector3d ey = cross(normal, ex);
  const auto flat = [&](int v) {
    const OdGeVector3d d = vertices[size_t(v)] - vertices[size_t(outline[0])];
    return OdGePoint2d{dot(d, ex), dot(d, ey)};
  };
  // Counter-clockwise about the normal; each ear is a convex corner with no other vertex in it.
  const auto turn = [](const OdGePoint2d& a, const OdGePoint2d& b, const OdGePoint2d& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  };
  std::vector<int> left = outline;
  size_t from = 0; // the search goes on where the last ear was: a convex outline finds each at once
  while (left.size() > 3) {
    const size_t n = left.size();
    size_t ear = n;
    for (size_t k = 0; k < n && ear == n; ++k) {
      const size_t i = (from + k) % n;
      const OdGePoint2d a = flat(left[(i + n - 1) % n]), b = flat(left[i]), c = flat(left[(i + 1) % n]);
      if (turn(a, b, c) <= 0.0)
        continue;
      bool empty = true;
      for (size_t j = 0; j < n && empty; ++j) {
        if (j == i || j == (i + 1) % n || j == (i + n - 1) % n)
          continue;
        const OdGePoint2d p = flat(left[j]);
        empty = !(turn(a, b, p) >= 0.0 && turn(b, c, p) >= 0.0 && turn(c, a, p) >= 0.0);
      }
      if (empty)
        ear = i;
    }
    if (ear == n)
      break; // an outline that crosses itself: the rest as a fan
    face(left[(ear + n - 1) % n], left[ear], left[(ear + 1) % n]);
    left.erase(left.begin() + long(ear));
    from = ear > 0 ? ear - 1 : 0;
  }
  for (size_t i = 1; i + 1 < left.size(); ++i)
    face(left[0], left[i], left[i + 1]);
}

std::vector<OdGePoint3d> resampled(const std::vector<OdGePoint3d>& points, size_t count)
{
  if (points.size() < 2 || count < 2)
    return points;
  std::vector<double> along{0.0};
  for (size_t i = 1; i < points.size(); ++i)
    along.push_back(along.back() + (points[i] - points[i - 1]).length());
  std::vector<OdGePoint3d> out;
  size_t segment = 1;
  for (size_t k = 0; k < count; ++k) {
    const double at = along.back() * double(k) / double(count - 1);
    while (segment + 1 < points.size() && along[segment] < at)
      ++segment;
    const double span = along[segment] - along[segment - 1];
    const double u = span > 0.0 ? std::clamp((at - along[segment - 1]) / span, 0.0, 1.0) : 0.0;
    const OdGePoint3d &a = points[segment - 1], &b = points[segment];
    out.push_back({a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u, a.z + (b.z - a.z) * u});
  }
  return out;
}

} // namespace dgn
