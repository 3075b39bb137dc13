#include "Solids.h"

#include "DgnFormat.h"

#include <algorithm>
#include <cmath>

namespace dgn {

namespace {

constexpr int kMaxSteps = 256;
// How far a rule arc's ends may lie from the boundaries it joins, in tolerances of the mesh: the
// boundaries come as chords of their curves.
constexpr double kMeetingTolerances = 5.0;
// Surface and solid types that turn their boundaries about an axis: surfaces and solids of
// revolution as MicroStation numbers them, and volumes of revolution as older files number solids.
constexpr int kRevolution = 8, kVolumeOfRevolution = 11, kSolidOfRevolution = 1;
// Rules are looked for after the boundaries from the one before a boundary to this many after it.
constexpr size_t kRulesAround = 3, kFewRules = 64;

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

double distanceToPolyline(const OdGePoint3d& p, const std::vector<OdGePoint3d>& line)
{
  double best = line.empty() ? INFINITY : (p - line.front()).length();
  for (size_t i = 1; i < line.size(); ++i) {
    const OdGeVector3d ab = line[i] - line[i - 1], ap = p - line[i - 1];
    const double len2 = dot(ab, ab);
    const double u = len2 > 0.0 ? std::clamp(dot(ap, ab) / len2, 0.0, 1.0) : 0.0;
    best = std::min(best, (p - plus(line[i - 1], ab, u)).length());
  }
  return best;
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
  out.solid = e.type() == ElementType::Solid;
  out.revolution = kind == kRevolution || kind == kVolumeOfRevolution || (out.solid && kind == kSolidOfRevolution);
  out.elementsPerBoundary = e.u8(41) + 1;
  return e.intact();
}

void SweptShape::addBoundaryElement(const std::vector<OdGePoint3d>& points, const Conic* conic)
{
  if (m_boundaries.empty() || m_boundaries.back().size() >= size_t(m_header.elementsPerBoundary))
    m_boundaries.emplace_back();
  m_boundaries.back().push_back({points, conic ? std::optional<Conic>(*conic) : std::nullopt});
}

std::vector<std::vector<OdGePoint3d>> SweptShape::outlines(double tolerance) const
{
  std::vector<std::vector<OdGePoint3d>> out;
  for (size_t k = 0; k < m_boundaries.size(); ++k) {
    std::vector<OdGePoint3d>& points = out.emplace_back();
    for (const Piece& piece : m_boundaries[k]) {
      std::vector<OdGePoint3d> stroked;
      if (piece.conic)
        stroked = strokeThroughRules(*piece.conic, k, tolerance);
      for (const OdGePoint3d& p : piece.conic ? stroked : piece.points)
        if (points.empty() || !(points.back() == p))
          points.push_back(p);
    }
  }
  return out;
}

SweptShape::Rules SweptShape::rulesNear(size_t boundary) const
{
  // Rules follow the boundary they lead to: those of boundary k come after it or after the next.
  // A shape of many rules has only those looked at, so that it costs what it weighs; one of a few
  // has all, wherever it stores them.
  if (m_rules.size() <= kFewRules)
    return {m_rules.begin(), m_rules.end()};
  const auto after = [](const Rule& r, size_t n) { return r.after < n; };
  const auto from = std::lower_bound(m_rules.begin(), m_rules.end(), boundary, after);
  return {from, std::lower_bound(from, m_rules.end(), boundary + kRulesAround + 1, after)};
}

std::vector<OdGePoint3d> SweptShape::strokeThroughRules(const Conic& c, size_t boundary, double tolerance) const
{
  // Conics as finely as the whole shape needs, no finer: evenly, as circles are turned.
  const int steps = turnSteps(c.sweep, std::max(c.xAxis.length(), c.yAxis.length()), tolerance);
  std::vector<double> at;
  for (int i = 0; i <= steps; ++i)
    at.push_back(double(i) / steps);
  // And through the ends of the rules that start or end on it: turned, those vertices draw the
  // rule arcs along the mesh's edges rather than across its faces.
  const double a2 = dot(c.xAxis, c.xAxis), b2 = dot(c.yAxis, c.yAxis);
  const auto turn = [](double t) { return t - 2.0 * kPi * std::floor(t / (2.0 * kPi)); }; // into [0, 2 pi)
  const Rules near = a2 > 0.0 && b2 > 0.0 && c.sweep != 0.0 ? rulesNear(boundary) : Rules{};
  for (auto r = near.first; r != near.second; ++r)
    for (const OdGePoint3d& end : {r->arc.at(r->arc.start), r->arc.at(r->arc.start + r->arc.sweep)}) {
      const OdGeVector3d d = end - c.center;
      const double t = std::atan2(dot(d, c.yAxis) / b2, dot(d, c.xAxis) / a2) - c.start;
      const double u = (c.sweep > 0.0 ? turn(t) : -turn(-t)) / c.sweep;
      if (u > 0.0 && u < 1.0 && (c.at(c.start + c.sweep * u) - end).length() <= kMeetingTolerances * tolerance)
        at.push_back(u);
    }
  std::sort(at.begin(), at.end());
  std::vector<OdGePoint3d> points;
  for (double u : at)
    points.push_back(c.at(c.start + c.sweep * u));
  return points;
}

void SweptShape::addRule(const Conic* arc)
{
  if (arc && arc->isCircular() && arc->xAxis.length() > 0.0)
    m_rules.push_back({*arc, m_boundaries.size()});
}

Bounds SweptShape::bounds() const
{
  constexpr int kSamples = 16; // along each conic: its box is all that is asked of it
  Bounds box;
  const auto addConic = [&box](const Conic& c) {
    for (int k = 0; k <= kSamples; ++k)
      box.add(c.at(c.start + c.sweep * k / kSamples));
  };
  for (const Boundary& b : m_boundaries)
    for (const Piece& piece : b) {
      for (const OdGePoint3d& p : piece.points)
        box.add(p);
      if (piece.conic)
        addConic(*piece.conic);
    }
  for (const Rule& r : m_rules)
    addConic(r.arc);
  return box;
}

std::optional<Conic> SweptShape::axisBetween(const std::vector<OdGePoint3d>& a, const std::vector<OdGePoint3d>& b,
                                             size_t next, double reach) const
{
  const auto meets = [&](const Conic& arc) {
    const OdGePoint3d p = arc.at(arc.start), q = arc.at(arc.start + arc.sweep);
    return (distanceToPolyline(p, a) <= reach && distanceToPolyline(q, b) <= reach) ||
           (distanceToPolyline(q, a) <= reach && distanceToPolyline(p, b) <= reach);
  };
  const Rules near = rulesNear(next - 1);
  for (const bool rightAfter : {true, false})
    for (auto r = near.first; r != near.second; ++r)
      if ((r->after == next + 1) == rightAfter && meets(r->arc))
        return r->arc;
  return std::nullopt;
}

namespace {

// The rings from `ring` on turned about `axis` onto the outline `to`, in at most `maxSteps` steps.
void revolve(Mesh& mesh, const std::vector<OdGePoint3d>& to, const Conic& axis, std::vector<int>& ring,
             double tolerance, int maxSteps, bool& closedTurn)
{
  const OdGePoint3d center = axis.center;
  const OdGeVector3d n = axis.normal;
  const std::vector<OdGePoint3d> profile = pointsOf(mesh, ring);
  double radius = 0.0;
  for (const OdGePoint3d& p : profile)
    radius = std::max(radius, distanceToAxis(p, center, n));
  // The arc may run either way between the boundaries: turn the way that reaches the next one.
  const auto reach = [&](double angle) {
    double best = INFINITY;
    for (const OdGePoint3d& q : to)
      best = std::min(best, (turned(profile.front(), center, n, angle) - q).length());
    return best;
  };
  const double sweep = reach(axis.sweep) <= reach(-axis.sweep) ? axis.sweep : -axis.sweep;
  closedTurn = std::fabs(sweep) >= 2.0 * kPi - 1e-9;
  const int wanted = turnSteps(sweep, radius, tolerance), steps = std::clamp(wanted, 1, maxSteps);
  mesh.coarse = mesh.coarse || steps < wanted;
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

} // namespace

Mesh SweptShape::mesh(double tolerance, size_t maxVertices) const
{
  Mesh mesh;
  const std::vector<std::vector<OdGePoint3d>> outlines = this->outlines(tolerance);
  if (outlines.empty())
    return mesh;
  const std::vector<int> first = mesh.add(outlines.front());
  std::vector<int> ring = first;
  bool closedTurn = false;
  size_t stored = 0; // the boundaries' own vertices, each turned ring adds one profile's worth
  for (const auto& outline : outlines)
    stored += outline.size();
  for (size_t i = 1; i < outlines.size(); ++i) {
    const std::vector<OdGePoint3d>& b = outlines[i];
    const std::optional<Conic> axis =
      m_header.revolution ? axisBetween(outlines[i - 1], b, i, kMeetingTolerances * tolerance) : std::nullopt;
    if (axis && !ring.empty()) {
      const size_t left = maxVertices > mesh.vertices.size() + stored ? maxVertices - mesh.vertices.size() - stored : 0;
      revolve(mesh, b, *axis, ring, tolerance, int(std::clamp<size_t>(left / ring.size(), 1, kMaxSteps)), closedTurn);
      continue;
    }
    closedTurn = false;
    // Points that correspond: as stored, or spread evenly along both where their counts differ.
    std::vector<int> next;
    if (b.size() == ring.size()) {
      next = mesh.add(b);
    } else {
      const size_t count = std::max(b.size(), ring.size());
      ring = mesh.add(resampled(pointsOf(mesh, ring), count));
      next = mesh.add(resampled(b, count));
    }
    mesh.strip(ring, next);
    ring = std::move(next);
  }
  // A single boundary bounds a plane; a solid's ends are closed unless it turned a whole turn.
  if (outlines.size() == 1 || (m_header.solid && !closedTurn)) {
    if (closed(mesh, first, tolerance))
      mesh.cap(first);
    if (outlines.size() > 1 && closed(mesh, ring, tolerance))
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
    if (!std::isfinite(radius) || std::fabs(radius) > kCoordinateLimit || !std::isfinite(c.x) || !std::isfinite(c.y) ||
        !std::isfinite(c.z))
      return false;
    out.radii[k] = map.length(std::fabs(radius));
  }
  return e.intact();
}

Bounds Cone::bounds() const
{
  Bounds box;
  for (int k = 0; k < 2; ++k)
    for (const double sx : {-1.0, 1.0})
      for (const double sy : {-1.0, 1.0})
        box.add(plus(plus(centers[k], xAxis, sx * radii[k]), yAxis, sy * radii[k]));
  return box;
}

Mesh Cone::mesh(double tolerance, size_t maxVertices) const
{
  Mesh mesh;
  constexpr int kFewest = 3; // a cone of fewer sides has no inside
  const int wanted = turnSteps(2.0 * kPi, std::max(radii[0], radii[1]), tolerance);
  const int steps = std::clamp(int(std::min<size_t>(size_t(wanted), maxVertices / 2)), kFewest, wanted);
  mesh.coarse = steps < wanted;
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
