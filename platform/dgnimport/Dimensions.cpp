#include "Dimensions.h"

#include "DgnFormat.h"

#include <algorithm>
#include <cmath>

namespace dgn {

namespace {

// Where the fields lie. Unlike the rest of the file, integers here are plainly little-endian.
constexpr uint32_t kScaleAt = 36, kKindAt = 47, kCountAt = 49, kTextHeightAt = 56, kIdAt = 116, kMatrixAt = 120;
constexpr uint32_t kPointsAt = 136, kPointBytes = 20;
// In a point record.
constexpr uint32_t kOffsetAt = 12, kFlagsAt = 18, kTextFlagAt = 19, kAssociationKindAt = 11;
constexpr uint8_t kAssociative = 0x01, kCentred = 0x80, kHasText = 0x01;
// Association kinds: a vertex, or a point between it and the next, given as numerator and
// divisor; a point on a segment, given as a fraction.
constexpr uint8_t kKeypoint = 1, kOnSegment = 6;

Association readAssociation(const Element& e, uint32_t at)
{
  Association a;
  a.target = uint32_t(e.le32(at));
  switch (e.u8(at + kAssociationKindAt)) {
  case kKeypoint: {
    a.vertex = e.u16(at + 4);
    const unsigned numerator = e.u16(at + 6), divisor = e.u8(at + 8);
    a.known = numerator == 0 || divisor != 0;
    a.fraction = numerator == 0 || divisor == 0 ? 0.0 : double(numerator) / divisor;
    break;
  }
  case kOnSegment:
    a.fraction = uint32_t(e.le32(at + 4)) / kFraction;
    a.vertex = e.u8(at + 8);
    break;
  default:
    a.known = false;
  }
  return a;
}

// The axes are the columns of a 2x2 matrix of fractions. Every file seen stores them orthonormal;
// they are made exactly so, keeping the x axis and the handedness, so that positions along them
// are distances.
bool readAxes(const Element& e, DimensionData& out)
{
  double m[4];
  for (uint32_t i = 0; i < 4; ++i)
    m[i] = e.le32(kMatrixAt + 4 * i) / kFraction;
  const double length = std::hypot(m[0], m[2]), turn = m[0] * m[3] - m[1] * m[2];
  if (!(length > 0.0) || turn == 0.0)
    return false;
  out.xAxis = {m[0] / length, m[2] / length, 0.0};
  const double side = turn > 0.0 ? 1.0 : -1.0;
  out.yAxis = {-side * out.xAxis.y, side * out.xAxis.x, 0.0};
  return true;
}

// One string per point that has one, in point order: each ends with a NUL and is padded to an
// even length. None runs past the attribute linkages.
void readTexts(const Element& e, uint32_t at, std::vector<DimensionPoint>& points)
{
  const uint32_t end = std::min<uint32_t>(32u + 2u * e.u16(30), e.size());
  for (DimensionPoint& p : points) {
    if (!p.text)
      continue;
    const uint32_t stop = e.textEnd(at, end);
    if (stop > at) // nothing to read where `at` lies past the element
      p.text->assign(reinterpret_cast<const char*>(e.data()) + at, stop - at);
    at = stop;
    at += 2 - at % 2;
  }
}

} // namespace

bool DimensionData::resolve(const AssociationTargets& targets)
{
  bool all = true;
  for (DimensionPoint& p : points) {
    if (p.placed)
      continue;
    if (const std::optional<OdGePoint3d> at = targets.locate(p.association)) {
      p.at = *at;
      p.placed = true;
    }
    all = all && p.placed;
  }
  return all;
}

bool readDimension(const Element& e, const CoordinateMap& map, DimensionData& out)
{
  out = DimensionData();
  if (map.is3d())
    return false;
  out.kind = e.u8(kKindAt);
  out.id = uint32_t(e.le32(kIdAt));
  out.scale = e.f64(kScaleAt);
  out.textHeight = map.length(std::fabs(double(e.le32(kTextHeightAt))));
  const uint32_t count = e.u8(kCountAt);
  if (count < 2 || !e.has(kPointsAt, count * kPointBytes) || !std::isfinite(out.scale) ||
      std::fabs(out.scale) > kCoordinateLimit || !readAxes(e, out))
    return false;
  out.points.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t at = kPointsAt + i * kPointBytes;
    DimensionPoint& p = out.points[i];
    const uint8_t flags = e.u8(at + kFlagsAt);
    p.associative = (flags & kAssociative) != 0;
    p.placed = !p.associative;
    if (p.associative)
      p.association = readAssociation(e, at);
    else
      p.at = map.point(e.le32(at), e.le32(at + 4), 0.0);
    p.offset = map.length(e.le32(at + kOffsetAt));
    p.centredText = (flags & kCentred) != 0;
    if (e.u8(at + kTextFlagAt) & kHasText)
      p.text.emplace();
  }
  readTexts(e, kPointsAt + count * kPointBytes, out.points);
  return e.intact();
}

} // namespace dgn
