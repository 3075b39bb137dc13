#include "ElementGeometry.h"

#include <cmath>

namespace dgn {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Angles are stored in 1/360000 of a degree.
constexpr double kAngleUnit = kPi / 180.0 / 360000.0;
constexpr double kFraction = 2147483647.0;
// Coordinates beyond this (in UOR) are no design plane's.
constexpr double kLimit = 1e15;

bool finite(const OdGePoint3d& p)
{
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

OdGeVector3d scaled(const OdGeVector3d& v, double s)
{
  return {v.x * s, v.y * s, v.z * s};
}

// The x, y and z axes of a stored rotation: an angle about z in 2D files, a unit quaternion
// (w, x, y, z as fractions) in 3D files.
struct Axes {
  OdGeVector3d x{1.0, 0.0, 0.0}, y{0.0, 1.0, 0.0}, z = OdGeVector3d::zAxis();
};

Axes planeAxes(double angle)
{
  const double c = std::cos(angle), s = std::sin(angle);
  return {{c, s, 0.0}, {-s, c, 0.0}, OdGeVector3d::zAxis()};
}

Axes quaternionAxes(const Element& e, uint32_t offset)
{
  double w = e.i32(offset) / kFraction, x = e.i32(offset + 4) / kFraction;
  double y = e.i32(offset + 8) / kFraction, z = e.i32(offset + 12) / kFraction;
  const double n = std::sqrt(w * w + x * x + y * y + z * z);
  if (n < 1e-12)
    return Axes{};
  w /= n, x /= n, y /= n, z /= n;
  return {{1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y)},
          {2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x)},
          {2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y)}};
}

// Stored sweeps are sign and magnitude, not two's complement.
double signMagnitudeAngle(const Element& e, uint32_t offset)
{
  const uint32_t raw = static_cast<uint32_t>(e.i32(offset));
  const double magnitude = double(raw & 0x7FFFFFFFu) * kAngleUnit;
  return (raw & 0x80000000u) ? -magnitude : magnitude;
}

OdString latinText(const Element& e, uint32_t offset, int count)
{
  std::u16string text;
  if (count >= 2 && e.u8(offset) == 0xFF && e.u8(offset + 1) == 0xFD) {
    // Two-byte text: a marker, then UTF-16 units.
    for (int i = 2; i + 1 < count && e.has(offset + i, 2); i += 2)
      text.push_back(static_cast<char16_t>(e.u16(offset + i)));
  } else {
    for (int i = 0; i < count && e.has(offset + i, 1); ++i)
      if (const uint8_t c = e.u8(offset + i))
        text.push_back(static_cast<char16_t>(c));
  }
  return OdString(std::move(text));
}

constexpr char kRadix50[] = " ABCDEFGHIJKLMNOPQRSTUVWXYZ$.?0123456789";

} // namespace

bool readVertices(const Element& e, const CoordinateMap& map, std::vector<OdGePoint3d>& out)
{
  out.clear();
  const uint32_t vb = map.vertexBytes();
  if (e.type() == 3) {
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
  const bool arc = e.type() == 16;
  const uint32_t base = arc ? 44 : 36; // the two axes
  const double a = e.f64(base), b = e.f64(base + 8);
  const uint32_t rotation = base + 16;
  const Axes axes = map.is3d() ? quaternionAxes(e, rotation) : planeAxes(e.i32(rotation) * kAngleUnit);
  const uint32_t originAt = rotation + (map.is3d() ? 16 : 4);
  out.center = map.doubleVertexAt(e, originAt);
  if (!e.intact() || !std::isfinite(a) || !std::isfinite(b) || std::fabs(a) > kLimit || std::fabs(b) > kLimit ||
      !finite(out.center) || (a == 0.0 && b == 0.0))
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

// Justification, size, rotation and origin, laid out alike in text and text node elements;
// returns where the origin lies.
uint32_t readTextPlacement(const Element& e, const CoordinateMap& map, uint32_t justificationAt, uint32_t sizeAt,
                           TextData& out)
{
  out.justification = e.u8(justificationAt);
  out.width = map.length(e.i32(sizeAt) * 6.0 / 1000.0);
  out.height = map.length(e.i32(sizeAt + 4) * 6.0 / 1000.0);
  const uint32_t rotationAt = sizeAt + 8;
  if (map.is3d()) {
    const Axes axes = quaternionAxes(e, rotationAt);
    out.rotation = std::atan2(axes.x.y, axes.x.x);
  } else {
    out.rotation = e.i32(rotationAt) * kAngleUnit;
  }
  const uint32_t originAt = rotationAt + (map.is3d() ? 16 : 4);
  out.origin = map.vertexAt(e, originAt);
  return originAt;
}

} // namespace

bool readText(const Element& e, const CoordinateMap& map, TextData& out)
{
  const uint32_t countAt = readTextPlacement(e, map, 37, 38, out) + map.vertexBytes();
  const int count = e.u8(countAt);
  out.text = latinText(e, countAt + 2, count);
  return e.intact();
}

bool readTextNode(const Element& e, const CoordinateMap& map, TextData& out)
{
  readTextPlacement(e, map, 45, 50, out);
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

long componentWords(const Element& header)
{
  const long headerWords = long(header.size() / 2);
  long words = -1;
  switch (header.type()) {
  case 2: case 7: case 12: case 14:
    // The total excludes the 19 words before the total-length word.
    words = header.has(36, 2) ? long(header.u16(36)) + 19 - headerWords : -1;
    break;
  case 27:
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

void readFractions(const Element& e, int count, std::vector<double>& out)
{
  const uint32_t fits = e.size() > 36 ? (e.size() - 36) / 4 : 0;
  for (uint32_t i = 0; i < uint32_t(count) && i < fits; ++i)
    out.push_back(e.i32(36 + 4 * i) / kFraction);
}

} // namespace dgn
