#include "Curves.h"

#include <algorithm>
#include <cmath>

namespace dgn {

namespace {

// Halvings of one step at most: no more than 256 points a step, whatever the tolerance asks.
constexpr int kMaxDepth = 8;

bool finite(const OdGePoint3d& p)
{
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

OdGePoint3d lerp(const OdGePoint3d& a, const OdGePoint3d& b, double u)
{
  return {a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u, a.z + (b.z - a.z) * u};
}

double distance(const OdGePoint3d& a, const OdGePoint3d& b)
{
  return (b - a).length();
}

double distanceToChord(const OdGePoint3d& p, const OdGePoint3d& a, const OdGePoint3d& b)
{
  const OdGeVector3d ab = b - a, ap = p - a;
  const double len2 = ab.x * ab.x + ab.y * ab.y + ab.z * ab.z;
  const double u = len2 > 0.0 ? std::clamp((ap.x * ab.x + ap.y * ab.y + ap.z * ab.z) / len2, 0.0, 1.0) : 0.0;
  return distance(p, lerp(a, b, u));
}

void refine(const std::function<OdGePoint3d(double)>& at, double t0, const OdGePoint3d& p0, double t1,
            const OdGePoint3d& p1, double tolerance, int depth, std::vector<OdGePoint3d>& out)
{
  const double tm = (t0 + t1) / 2;
  const OdGePoint3d pm = at(tm);
  if (depth > 0 && finite(pm) && distanceToChord(pm, p0, p1) > tolerance) {
    refine(at, t0, p0, tm, pm, tolerance, depth - 1, out);
    refine(at, tm, pm, t1, p1, tolerance, depth - 1, out);
    return;
  }
  if (finite(p1)) // a point that cannot be evaluated is left out, not drawn at zero
    out.push_back(p1);
}

// The tangent at a point from the slopes of the two chords before it (m0, m1) and after it
// (m2, m3), one coordinate at a time: each side weighs by how much the slope changes on the other.
double tangent(double m0, double m1, double m2, double m3)
{
  const double after = std::fabs(m3 - m2), before = std::fabs(m1 - m0);
  return after + before > 0.0 ? (m1 * after + m2 * before) / (after + before) : (m1 + m2) / 2;
}

} // namespace

void strokeCurve(const std::function<OdGePoint3d(double)>& at, double t0, double t1, int minSegments,
                 double tolerance, std::vector<OdGePoint3d>& out, size_t maxPoints)
{
  const int steps = int(std::clamp<size_t>(size_t(std::max(1, minSegments)), 1, std::max<size_t>(1, maxPoints)));
  int depth = 0;
  while (depth < kMaxDepth && (size_t(steps) << (depth + 1)) <= maxPoints)
    ++depth;
  OdGePoint3d previous = at(t0);
  if (finite(previous) && (out.empty() || !(out.back() == previous)))
    out.push_back(previous);
  for (int i = 1; i <= steps; ++i) {
    const double a = t0 + (t1 - t0) * (i - 1) / steps, b = t0 + (t1 - t0) * i / steps;
    const OdGePoint3d next = at(b);
    refine(at, a, previous, b, next, tolerance, depth, out);
    previous = next;
  }
}

OdGePoint3d CubicPiece::at(double u) const
{
  const OdGePoint3d a = lerp(p[0], p[1], u), b = lerp(p[1], p[2], u), c = lerp(p[2], p[3], u);
  return lerp(lerp(a, b, u), lerp(b, c, u), u);
}

MicroStationCurve MicroStationCurve::through(const std::vector<OdGePoint3d>& x)
{
  MicroStationCurve curve;
  const size_t n = x.size();
  if (n < 6)
    return curve;
  std::vector<double> d(n - 1);
  std::vector<OdGeVector3d> m(n - 1);
  for (size_t k = 0; k + 1 < n; ++k) {
    d[k] = distance(x[k], x[k + 1]);
    const OdGeVector3d chord = x[k + 1] - x[k];
    // A repeated point makes a chord of no length and no slope.
    m[k] = d[k] > 0.0 ? OdGeVector3d{chord.x / d[k], chord.y / d[k], chord.z / d[k]} : OdGeVector3d{};
  }
  std::vector<OdGeVector3d> t(n);
  for (size_t k = 2; k + 2 < n; ++k)
    t[k] = {tangent(m[k - 2].x, m[k - 1].x, m[k].x, m[k + 1].x), tangent(m[k - 2].y, m[k - 1].y, m[k].y, m[k + 1].y),
            tangent(m[k - 2].z, m[k - 1].z, m[k].z, m[k + 1].z)};
  for (size_t k = 2; k + 3 < n; ++k) {
    if (d[k] == 0.0)
      continue;
    const double third = d[k] / 3;
    const OdGePoint3d p1{x[k].x + t[k].x * third, x[k].y + t[k].y * third, x[k].z + t[k].z * third};
    const OdGePoint3d p2{x[k + 1].x - t[k + 1].x * third, x[k + 1].y - t[k + 1].y * third,
                         x[k + 1].z - t[k + 1].z * third};
    curve.pieces.push_back({{x[k], p1, p2, x[k + 1]}});
    curve.lengths.push_back(d[k]);
  }
  return curve;
}

Bounds MicroStationCurve::bounds() const
{
  Bounds box;
  for (const CubicPiece& piece : pieces)
    for (const OdGePoint3d& p : piece.p)
      box.add(p);
  return box;
}

void MicroStationCurve::stroke(double tolerance, std::vector<OdGePoint3d>& out, size_t maxPoints) const
{
  const size_t each = std::max<size_t>(4, maxPoints / pieces.size());
  for (const CubicPiece& piece : pieces)
    strokeCurve([&piece](double u) { return piece.at(u); }, 0.0, 1.0, 4, tolerance, out, each);
}

bool BSplineCurve::valid() const
{
  const size_t n = poles.size();
  if (degree < 1 || n < size_t(degree) + 1 || knots.size() != n + size_t(degree) + 1)
    return false;
  if (!weights.empty() && (weights.size() != n || std::any_of(weights.begin(), weights.end(), [](double w) { return !(w > 0.0); })))
    return false;
  return std::is_sorted(knots.begin(), knots.end()) && end() > start();
}

OdGePoint3d BSplineCurve::at(double t) const
{
  const size_t p = size_t(degree), n = poles.size();
  t = std::clamp(t, start(), end());
  size_t span = p;
  while (span + 1 < n && knots[span + 1] <= t)
    ++span;
  // de Boor on homogeneous points.
  std::vector<double> x(p + 1), y(p + 1), z(p + 1), w(p + 1);
  for (size_t j = 0; j <= p; ++j) {
    const size_t i = span - p + j;
    w[j] = weights.empty() ? 1.0 : weights[i];
    x[j] = poles[i].x * w[j], y[j] = poles[i].y * w[j], z[j] = poles[i].z * w[j];
  }
  for (size_t r = 1; r <= p; ++r)
    for (size_t j = p; j >= r; --j) {
      const size_t i = span - p + j;
      const double left = knots[i], right = knots[i + p + 1 - r];
      const double a = right > left ? (t - left) / (right - left) : 0.0;
      x[j] = (1 - a) * x[j - 1] + a * x[j];
      y[j] = (1 - a) * y[j - 1] + a * y[j];
      z[j] = (1 - a) * z[j - 1] + a * z[j];
      w[j] = (1 - a) * w[j - 1] + a * w[j];
    }
  return {x[p] / w[p], y[p] / w[p], z[p] / w[p]};
}

} // namespace dgn
