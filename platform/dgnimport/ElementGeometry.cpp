#include "ElementGeometry.h"

#include "DgnFormat.h"
#include "Orientation.h"

#include <algorithm>
#include <cmath>

namespace dgn {

namespace {

bool finite(const OdGePoint3d& p)
{
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

OdGeVector3d scaled(const OdGeVector3d& v, double s)
{
  return {v.x * s, v.y * s, v.z * s};
}

// Stored sweeps are sign and magnitude, not two's complement.
double signMagnitudeAngle(const Element& e, uint32_t offset)
{
  const uint32_t raw = static_cast<uint32_t>(e.i32(offset));
  const double magnitude = double(raw & 0x7FFFFFFFu) * kAngleUnit;
  return (raw & 0x80000000u) ? -magnitude : magnitude;
}

constexpr char kRadix50[] = " ABCDEFGHIJKLMNOPQRSTUVWXYZ$.?0123456789";

} // namespace

bool readVertices(const Element& e, const CoordinateMap& map, std::vector<OdGePoint3d>& out)
{
  out.clear();
  const uint32_t vb = map.vertexBytes();
  if (e.type() == ElementType::Line) {
    if (!e.has(36, 2 * vb))
      return false;
    out.push_back(map.vertexAt(e, 36));
    out.push_back(map.vertexAt(e, 36 + vb));
    return true;
  }
  if (!e.has(36, 2))
    return false;
  const uint32_t stored = e.u16(36);
  const uint32_t fits = (e.size() - 38) / vb;
  const uint32_t count = stored < fits ? stored : fits;
  out.reserve(count);
  for (uint32_t i = 0; i < count; ++i)
    out.push_back(map.vertexAt(e, 38 + i * vb));
  return !out.empty();
}

bool Conic::isCircular() const
{
  const double a = xAxis.length(), b = yAxis.length();
  return std::fabs(a - b) <= 1e-9 * std::fmax(a, b);
}

OdGePoint3d Conic::at(double t) const
{
  const double c = std::cos(t), s = std::sin(t);
  return {center.x + c * xAxis.x + s * yAxis.x, center.y + c * xAxis.y + s * yAxis.y,
          center.z + c * xAxis.z + s * yAxis.z};
}

bool readConic(const Element& e, const CoordinateMap& map, Conic& out)
{
  const bool arc = e.type() == ElementType::Arc;
  const uint32_t base = arc ? 44 : 36; // the two axes
  const double a = e.f64(base), b = e.f64(base + 8);
  const uint32_t rotation = base + 16;
  const Axes axes = readRotation(e, rotation, map.is3d());
  const uint32_t originAt = rotation + (map.is3d() ? 16 : 4);
  out.center = map.doubleVertexAt(e, originAt);
  if (!e.intact() || !std::isfinite(a) || !std::isfinite(b) || std::fabs(a) > kCoordinateLimit || std::fabs(b) > kCoordinateLimit ||
      !finite(out.center))
    return false;
  out.xAxis = scaled(axes.x, map.length(std::fabs(a)));
  out.yAxis = scaled(axes.y, map.length(std::fabs(b)));
  out.normal = axes.z;
  out.full = true;
  out.start = 0.0;
  out.sweep = 2.0 * kPi;
  if (arc) {
    out.start = signMagnitudeAngle(e, 36);
    const double sweep = signMagnitudeAngle(e, 40);
    // A sweep of zero, or one of a full turn or more, draws the whole ellipse.
    out.full = sweep == 0.0 || std::fabs(sweep) >= 2.0 * kPi - 1e-12;
    out.sweep = out.full ? 2.0 * kPi : sweep;
  }
  return true;
}

namespace {

// Justification, size, rotation and origin, laid out alike in text and text node elements.
void readTextPlacement(const Element& e, const CoordinateMap& map, uint32_t justificationAt, uint32_t sizeAt,
                           TextData& out)
{
  out.justification = e.u8(justificationAt);
  out.width = map.length(e.i32(sizeAt) * 6.0 / 1000.0);
  out.height = map.length(e.i32(sizeAt + 4) * 6.0 / 1000.0);
  const uint32_t rotationAt = sizeAt + 8;
  const Axes axes = readRotation(e, rotationAt, map.is3d());
  out.normal = axes.z;
  out.rotation = axes.angleInPlane();
  const uint32_t originAt = rotationAt + (map.is3d() ? 16 : 4);
  out.origin = map.vertexAt(e, originAt);
}

} // namespace

uint32_t textCharacters(const Element& e, bool is3d, uint32_t& count)
{
  const uint32_t countAt = is3d ? 74 : 58;
  const uint32_t stored = e.u8(countAt);
  count = e.has(countAt + 2, stored) ? stored : (e.size() > countAt + 2 ? e.size() - countAt - 2 : 0);
  return countAt + 2;
}

bool readText(const Element& e, const CoordinateMap& map, TextDecoder& decoder, TextData& out)
{
  readTextPlacement(e, map, 37, 38, out);
  uint32_t count = 0;
  const uint32_t at = textCharacters(e, map.is3d(), count);
  out.text = decoder.decode(e.data() + at, count);
  return e.intact();
}

bool readTextNode(const Element& e, const CoordinateMap& map, TextData& out)
{
  readTextPlacement(e, map, 45, 50, out);
  out.lineSpacing = map.length(e.i32(46));
  out.text = OdString();
  return e.intact();
}

bool readCell(const Element& e, const CoordinateMap& map, OdString& name, OdGePoint3d& origin)
{
  std::u16string text;
  for (uint32_t word = 0; word < 2; ++word) {
    unsigned v = e.u16(38 + 2 * word);
    const unsigned digits[3] = {v / 1600 % 40, v / 40 % 40, v % 40};
    for (unsigned d : digits)
      text.push_back(static_cast<char16_t>(kRadix50[d]));
  }
  while (!text.empty() && text.back() == u' ')
    text.pop_back();
  name = OdString(std::move(text));
  origin = map.vertexAt(e, map.is3d() ? 112 : 84);
  return e.intact();
}

bool readSharedCell(const Element& e, const CoordinateMap& map, SharedCell& out)
{
  // The transformation's rows from byte 76 (2x2 in 2D files, 3x3 in 3D), the origin as plain
  // integers at 148, the name from 164 up to a NUL or the attributes.
  double m[9];
  const int count = map.is3d() ? 9 : 4;
  for (int i = 0; i < count; ++i) {
    m[i] = e.f64(76 + 8 * uint32_t(i));
    if (!std::isfinite(m[i]) || std::fabs(m[i]) > kCoordinateLimit)
      return false;
  }
  out.axes = map.is3d() ? Axes::ofMatrix3d(m) : Axes::ofMatrix2d(m);
  out.origin = map.point(e.le32(148), e.le32(152), map.is3d() ? e.le32(156) : 0.0);
  const uint32_t attributes = (uint32_t(e.u16(30)) + 16u) * 2u;
  std::u16string name;
  for (uint32_t at = 164; at < attributes && e.has(at, 1) && e.u8(at) != 0; ++at)
    name.push_back(static_cast<char16_t>(e.u8(at)));
  out.name = OdString(std::move(name));
  return e.intact();
}

double storedRangeSize(const Element& e, int dimensions)
{
  double squares = 0.0;
  for (uint32_t axis = 0; axis < uint32_t(dimensions); ++axis) {
    const double side = e.range(16 + 4 * axis) - e.range(4 + 4 * axis);
    squares += side * side;
  }
  return std::sqrt(squares);
}

long componentWords(const Element& header)
{
  const long headerWords = long(header.size() / 2);
  long words = -1;
  switch (header.type()) {
  case ElementType::Cell: case ElementType::TextNode: case ElementType::ComplexChain: case ElementType::ComplexShape:
  case ElementType::Surface: case ElementType::Solid: case ElementType::SharedCellDefinition:
    // The total excludes the 19 words before the total-length word.
    words = header.has(36, 2) ? long(header.u16(36)) + 19 - headerWords : -1;
    break;
  case ElementType::BSplineSurfaceHeader: case ElementType::BSplineCurveHeader:
    // The total excludes the 20 words up to and including the 32-bit length.
    words = header.has(36, 4) ? long(header.i32(36)) + 20 - headerWords : -1;
    break;
  default:
    break;
  }
  return words;
}

bool readSplineHeader(const Element& e, SplineHeader& out)
{
  const uint8_t flags = e.u8(40);
  out.order = (flags & 0x0F) + 2;
  out.rational = (flags & 0x40) != 0;
  out.closed = (flags & 0x80) != 0;
  out.poles = e.u16(42);
  out.knots = e.u16(44);
  return e.intact() && out.poles >= 2;
}

BSplineCurve splineCurve(const SplineHeader& h, std::vector<OdGePoint3d> poles, const std::vector<double>& knots,
                         std::vector<double> weights, bool& repaired)
{
  BSplineCurve curve;
  const size_t n = poles.size(), order = size_t(std::min<int>(h.order, int(n)));
  repaired = false;
  if (order < 2)
    return curve;
  curve.degree = int(order) - 1;
  // Breakpoints from 0 to 1: the stored inner knots, or equal steps.
  const size_t inner = h.closed ? n - 1 : n - order;
  const bool stored = knots.size() == inner && std::is_sorted(knots.begin(), knots.end()) &&
                      (knots.empty() || (knots.front() >= 0.0 && knots.back() <= 1.0));
  repaired = !knots.empty() && !stored;
  std::vector<double> breaks{0.0};
  for (size_t i = 0; i < inner; ++i)
    breaks.push_back(stored ? knots[i] : double(i + 1) / double(inner + 1));
  breaks.push_back(1.0);
  if (std::any_of(weights.begin(), weights.end(), [](double w) { return !(w > 0.0); })) {
    repaired = true;
    weights.clear();
  }
  if (weights.size() != n)
    weights.clear();
  if (h.closed) {
    const long period = long(n);
    auto continued = [&](long i) {
      const long turns = i >= 0 ? i / period : -((-i + period - 1) / period);
      return breaks[size_t(i - turns * period)] + double(turns);
    };
    for (long i = -long(order - 1); i <= long(n + order - 1); ++i)
      curve.knots.push_back(continued(i));
    for (size_t i = 0; i + 1 < order; ++i) {
      poles.push_back(poles[i]);
      if (!weights.empty())
        weights.push_back(weights[i]);
    }
  } else {
    curve.knots.assign(order - 1, 0.0);
    curve.knots.insert(curve.knots.end(), breaks.begin(), breaks.end());
    curve.knots.insert(curve.knots.end(), order - 1, 1.0);
  }
  curve.poles = std::move(poles);
  curve.weights = std::move(weights);
  return curve;
}

void readFractions(const Element& e, int count, std::vector<double>& out)
{
  const uint32_t fits = e.size() > 36 ? (e.size() - 36) / 4 : 0;
  for (uint32_t i = 0; i < uint32_t(count) && i < fits; ++i)
    out.push_back(e.i32(36 + 4 * i) / kFraction);
}

} // namespace dgn
