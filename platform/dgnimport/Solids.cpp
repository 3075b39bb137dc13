#include "Solids.h"

#include <algorithm>
#include <cmath>

namespace dgn {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLimit = 1e15; // in UOR: no design plane reaches further
constexpr int kMaxSteps = 256;
constexpr size_t kMaxTurnedVertices = size_t(1) << 18; // a long profile turns in fewer steps

OdGeVector3d cross(const OdGeVector3d& a, const OdGeVector3d& b)
{
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double dot(const OdGeVector3d& a, const OdGeVector3d& b)
{
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

OdGePoint3d plus(const OdGePoint3d& p, const OdGeVector3d& v, double f = 1.0)
{
  return {p.x + v.x * f, p.y + v.y * f, p.z + v.z * f};
}

// `p` turned by `angle` about the axis through `center` along the unit vector `n`.
OdGePoint3d turned(const OdGePoint3d& p, const OdGePoint3d& center, const OdGeVector3d& n, double angle)
{
  const OdGeVector3d v = p - center, nv = cross(n, v);
  const double c = std::cos(angle), s = std::sin(angle), along = dot(n, v) * (1.0 - c);
  return {center.x + v.x * c + nv.x * s + n.x * along, center.y + v.y * c + nv.y * s + n.y * along,
          center.z + v.z * c + nv.z * s + n.z * along};
}

double distanceToAxis(const OdGePoint3d& p, const OdGePoint3d& center, const OdGeVector3d& n)
{
  const OdGeVector3d v = p - center;
  return cross(n, v).length();
}

std::vector<OdGePoint3d> pointsOf(const Mesh& mesh, const std::vector<int>& ring)
{
  std::vector<OdGePoint3d> points;
  for (int v : ring)
    points.push_back(mesh.vertices[size_t(v)]);
  return points;
}

bool closed(const Mesh& mesh, const std::vector<int>& ring, double tolerance)
{
  return ring.size() > 2 && (mesh.vertices[size_t(ring.front())] - mesh.vertices[size_t(ring.back())]).length() <= tolerance;
}

} // namespace

int turnSteps(double sweep, double radius, double tolerance)
{
  const double minimum = std::ceil(std::fabs(sweep) / (kPi / 4));
  const double step = radius > tolerance ? 2.0 * std::acos(1.0 - tolerance / radius) : kPi;
  const double steps = std::max(minimum, std::ceil(std::fabs(sweep) / step));
  return int(std::clamp(steps, 1.0, double(kMaxSteps)));
}

bool readSweptHeader(const Element& e, SweptHeader& out)
{
  const int kind = e.u8(40);
  out.solid = e.type() == 19;
  out.revolution = out.solid ? kind == 1 : kind == 8;
  out.elementsPerBoundary = e.u8(41) + 1;
  return e.intact();
}

void SweptShape::addBoundaryElement(const std::vector<OdGePoint3d>& points)
{
  if (m_boundaries.empty() || m_boundaries.back().elements >= m_header.elementsPerBoundary)
    m_boundaries.emplace_back();
  Boundary& b = m_boundaries.back();
  for (const OdGePoint3d& p : points)
    if (b.points.empty() || !(b.points.back() == p))
      b.points.push_back(p);
  ++b.elements;
}

std::vector<std::vector<OdGePoint3d>> SweptShape::outlines() const
{
  std::vector<std::vector<OdGePoint3d>> out;
  for (const Boundary& b : m_boundaries)
    out.push_back(b.points);
  return out;
}

void SweptShape::addRule(const Conic* arc)
{
  if (arc && m_boundaries.size() > 1 && !m_boundaries.back().axis && arc->isCircular() && arc->xAxis.length() > 0.0)
    m_boundaries.back().axis = *arc;
}

void SweptShape::revolve(Mesh& mesh, size_t from, std::vector<int>& ring, double tolerance, bool& closedTurn) const
{
  const Boundary& to = m_boundaries[from + 1];
  const OdGePoint3d center = to.axis->center;
  const OdGeVector3d n = to.axis->normal;
  const std::vector<OdGePoint3d> profile = pointsOf(mesh, ring);
  double radius = 0.0;
  for (const OdGePoint3d& p : profile)
    radius = std::max(radius, distanceToAxis(p, center, n));
  // The arc may run either way between the boundaries: turn the way that reaches the next one.
  const auto reach = [&](double angle) {
    double best = INFINITY;
    for (const OdGePoint3d& q : to.points)
      best = std::min(best, (turned(profile.front(), center, n, angle) - q).length());
    return best;
  };
  const double sweep = reach(to.axis->sweep) <= reach(-to.axis->sweep) ? to.axis->sweep : -to.axis->sweep;
  closedTurn = std::fabs(sweep) >= 2.0 * kPi - 1e-9;
  const int steps = std::min(turnSteps(sweep, radius, tolerance), int(std::max<size_t>(1, kMaxTurnedVertices / profile.size())));
  const std::vector<int> start = ring;
  for (int k = 1; k <= steps; ++k) {
    std::vector<int> next;
    if (k == steps && closedTurn) {
      next = start;
    } else {
      for (const OdGePoint3d& p : profile)
        next.push_back(mesh.add(turned(p, center, n, sweep * k / steps)));
    }
    mesh.strip(ring, next);
    ring = std::move(next);
  }
}

Mesh SweptShape::mesh(double tolerance) const
{
  Mesh mesh;
  if (m_boundaries.empty())
    return mesh;
  const std::vector<int> first = mesh.add(m_boundaries.front().points);
  std::vector<int> ring = first;
  bool closedTurn = false;
  for (size_t i = 1; i < m_boundaries.size(); ++i) {
    const Boundary& b = m_boundaries[i];
    if (m_header.revolution && b.axis) {
      revolve(mesh, i - 1, ring, tolerance, closedTurn);
      continue;
    }
    closedTurn = false;
    // Points that correspond: as stored, or spread evenly along both where their counts differ.
    std::vector<int> next;
    if (b.points.size() == ring.size()) {
      next = mesh.add(b.points);
    } else {
      const size_t count = std::max(b.points.size(), ring.size());
      ring = mesh.add(resampled(pointsOf(mesh, ring), count));
      next = mesh.add(resampled(b.points, count));
    }
    mesh.strip(ring, next);
    ring = std::move(next);
  }
  // A single boundary bounds a plane; a solid's ends are closed unless it turned a whole turn.
  if (m_boundaries.size() == 1 || (m_header.solid && !closedTurn)) {
    if (closed(mesh, first, tolerance))
      mesh.cap(first);
    if (m_boundaries.size() > 1 && closed(mesh, ring, tolerance))
      mesh.cap(ring);
  }
  return mesh;
}

bool readCone(const Element& e, const CoordinateMap& map, Cone& out)
{
  if (!map.is3d())
    return false; // cones belong to 3D files only
  out.solid = (e.u16(36) & 0x8000) == 0;
  const Axes axes = readRotation(e, 38, true);
  out.xAxis = axes.x;
  out.yAxis = axes.y;
  for (int k = 0; k < 2; ++k) {
    const uint32_t at = 54 + 32 * uint32_t(k);
    const double radius = e.f64(at + 24);
    out.centers[k] = map.doubleVertexAt(e, at);
    const OdGePoint3d& c = out.centers[k];
    if (!std::isfinite(radius) || std::fabs(radius) > kLimit || !std::isfinite(c.x) || !std::isfinite(c.y) ||
        !std::isfinite(c.z))
      return false;
    out.radii[k] = map.length(std::fabs(radius));
  }
  return e.intact();
}

double Cone::size() const
{
  return (centers[1] - centers[0]).length() + 2.0 * std::max(radii[0], radii[1]);
}

Mesh Cone::mesh(double tolerance) const
{
  Mesh mesh;
  const int steps = turnSteps(2.0 * kPi, std::max(radii[0], radii[1]), tolerance);
  std::vector<int> rings[2];
  for (int k = 0; k < 2; ++k) {
    for (int i = 0; i < steps; ++i) {
      const double t = 2.0 * kPi * i / steps;
      if (radii[k] > 0.0 || i == 0)
        rings[k].push_back(mesh.add(plus(plus(centers[k], xAxis, radii[k] * std::cos(t)), yAxis, radii[k] * std::sin(t))));
      else
        rings[k].push_back(rings[k].front()); // the apex
    }
    // A cap is a fan from its centre.
    if (solid && radii[k] > 0.0) {
      const int center = mesh.add(centers[k]);
      for (int i = 0; i < steps; ++i)
        mesh.face(center, rings[k][size_t((i + 1) % steps)], rings[k][size_t(i)]);
    }
    rings[k].push_back(rings[k].front());
  }
  mesh.strip(rings[0], rings[1]);
  return mesh;
}

} // namespace dgn
