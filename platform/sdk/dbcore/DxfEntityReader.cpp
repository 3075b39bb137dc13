#include "DxfEntityReader.h"

#include "DxfCodes.h"

#include <RxObjectImpl.h>

#include <cmath>

namespace dxf {

OdCmColor colorFromIndex(int index)
{
  if (index < 0)
    index = -index; // an off layer's colour
  if (index == 0)
    return OdCmColor::byBlock();
  if (index >= 1 && index <= 255)
    return OdCmColor::fromIndex(static_cast<OdInt16>(index));
  return OdCmColor::byLayer();
}

bool EntityGroups::take(const GroupReader& in)
{
  switch (in.code()) {
  case code::kLayer: layer = in.value(); return true;
  case code::kLinetype: linetype = in.value(); return true;
  case code::kTextStyle: style = in.value(); return true;
  case code::kColor: color = colorFromIndex(in.integer()); return true;
  case code::kTrueColor: trueColor = in.integer() & 0xFFFFFF; return true;
  case code::kLineWeight: lineWeight = in.integer(); return true;
  case code::kInvisible: invisible = in.integer() != 0; return true;
  case code::kPaperSpace: paper = in.integer() != 0; return true;
  default: return false;
  }
}

void take(OdDbLine& e, const GroupReader& in, EntityGroups&)
{
  setCoordinate(e.start, code::kX, in) || setCoordinate(e.end, code::kX2, in);
}

void take(OdDbPoint& e, const GroupReader& in, EntityGroups&)
{
  setCoordinate(e.position, code::kX, in);
}

void take(OdDbCircle& e, const GroupReader& in, EntityGroups&)
{
  if (in.code() == code::kReal)
    e.radius = in.real();
  else
    setCoordinate(e.center, code::kX, in) || setCoordinate(e.normal, code::kNormalX, in);
}

void take(OdDbArc& e, const GroupReader& in, EntityGroups&)
{
  if (in.code() == code::kReal)
    e.radius = in.real();
  else if (in.code() == code::kAngle)
    e.startAngle = toRadians(in.real());
  else if (in.code() == code::kAngle2)
    e.endAngle = toRadians(in.real());
  else
    setCoordinate(e.center, code::kX, in) || setCoordinate(e.normal, code::kNormalX, in);
}

void take(OdDbEllipse& e, const GroupReader& in, EntityGroups&)
{
  if (in.code() == code::kReal)
    e.radiusRatio = in.real();
  else if (in.code() == code::kRealAux)
    e.startParam = in.real();
  else if (in.code() == code::kReal3)
    e.endParam = in.real();
  else
    setCoordinate(e.center, code::kX, in) || setCoordinate(e.majorAxis, code::kX2, in) ||
        setCoordinate(e.normal, code::kNormalX, in);
}

void take(OdDbPolyline& e, const GroupReader& in, EntityGroups& groups)
{
  switch (in.code()) {
  case code::kX: e.points.push_back({in.real(), 0.0}); break;
  case code::kY(code::kX): if (!e.points.empty()) e.points.back().y = in.real(); break;
  case code::kReal3: if (!e.points.empty()) e.setBulgeAt(e.points.size() - 1, in.real()); break;
  case code::kFlags: e.closed = (in.integer() & kClosed) != 0; break;
  case code::kElevation: groups.elevation = in.real(); break;
  default: setCoordinate(groups.normal, code::kNormalX, in);
  }
}

void take(OdDbSpline& e, const GroupReader& in, EntityGroups&)
{
  switch (in.code()) {
  case code::kFlags:
    e.closed = (in.integer() & kSplineClosed) != 0;
    e.periodic = (in.integer() & kSplinePeriodic) != 0;
    break;
  case code::kInt2: e.degree = in.integer(); break;
  case code::kReal: e.knots.push_back(in.real()); break;
  case code::kRealAux: e.weights.push_back(in.real()); break;
  case code::kX: e.controlPoints.push_back({in.real(), 0.0, 0.0}); break;
  case code::kY(code::kX): if (!e.controlPoints.empty()) e.controlPoints.back().y = in.real(); break;
  case code::kZ(code::kX): if (!e.controlPoints.empty()) e.controlPoints.back().z = in.real(); break;
  default: break;
  }
}

void take(OdDbText& e, const GroupReader& in, EntityGroups&)
{
  switch (in.code()) {
  case code::kText: e.text = in.text(); break;
  case code::kReal: e.height = in.real(); break;
  case code::kRealAux: e.widthFactor = in.real(); break;
  case code::kAngle: e.rotation = toRadians(in.real()); break;
  case code::kInt3: {
    const int mode = in.integer();
    e.horizontalMode = mode == 1 || mode == 4 ? OdDb::kTextCenter : mode == 2 ? OdDb::kTextRight : OdDb::kTextLeft;
    if (mode == 4) // "middle": centred both ways
      e.verticalMode = OdDb::kTextVertMid;
    break;
  }
  case code::kInt4: {
    const int mode = in.integer();
    if (mode >= OdDb::kTextBase && mode <= OdDb::kTextTop)
      e.verticalMode = static_cast<OdDb::TextVertMode>(mode);
    break;
  }
  default:
    setCoordinate(e.position, code::kX, in) || setCoordinate(e.alignmentPoint, code::kX2, in) ||
      setCoordinate(e.normal, code::kNormalX, in);
  }
}

void take(OdDbMText& e, const GroupReader& in, EntityGroups& groups)
{
  switch (in.code()) {
  case code::kText:
  case code::kMoreText: groups.contents += in.value(); break;
  case code::kReal: e.textHeight = in.real(); break;
  case code::kRealAux: e.width = in.real(); break;
  case code::kLineSpacing: e.lineSpacingFactor = in.real(); break;
  case code::kAngle: e.rotation = toRadians(in.real()); break;
  case code::kInt2: {
    const int attachment = in.integer();
    if (attachment >= OdDbMText::kTopLeft && attachment <= OdDbMText::kBottomRight)
      e.attachment = static_cast<OdDbMText::Attachment>(attachment);
    break;
  }
  default:
    setCoordinate(e.location, code::kX, in) || setCoordinate(groups.direction, code::kX2, in) ||
      setCoordinate(e.normal, code::kNormalX, in);
  }
}

void take(OdDbBlockReference& e, const GroupReader& in, EntityGroups& groups)
{
  switch (in.code()) {
  case code::kName: groups.block = in.value(); break;
  case code::kRealAux: e.scale.x = in.real(); break;
  case code::kReal3: e.scale.y = in.real(); break;
  case code::kScaleZ: e.scale.z = in.real(); break;
  case code::kAngle: e.rotation = toRadians(in.real()); break;
  default: setCoordinate(e.position, code::kX, in) || setCoordinate(e.normal, code::kNormalX, in);
  }
}

namespace {

// An attribute's own groups, true when taken; the others are its text's, but for 73, its field
// length: its vertical mode comes in 74.
template <class Attribute>
bool takeAttribute(Attribute& e, const GroupReader& in)
{
  switch (in.code()) {
  case code::kName: e.tag = in.text(); return true;
  case code::kFlags: e.invisible = (in.integer() & kAttributeInvisible) != 0; return true;
  case code::kMoreText: // a definition's prompt
  case code::kInt4:     // the field length
    return true;
  case code::kInt5: {
    const int mode = in.integer();
    if (mode >= OdDb::kTextBase && mode <= OdDb::kTextTop)
      e.verticalMode = static_cast<OdDb::TextVertMode>(mode);
    return true;
  }
  default: return false;
  }
}

// The arc from p to q whose bulge, the tangent of a quarter of its angle, is `bulge` (negative:
// clockwise). Its centre lies off the chord's middle, to the left, by (1 - bulge²) / (4 bulge)
// of the chord.
OdDbHatch::Edge arcOfBulge(const OdGePoint2d& p, const OdGePoint2d& q, double bulge)
{
  const double dx = q.x - p.x, dy = q.y - p.y, offset = (1.0 - bulge * bulge) / (4.0 * bulge);
  const OdGePoint2d center{(p.x + q.x) / 2.0 - dy * offset, (p.y + q.y) / 2.0 + dx * offset};
  return OdDbHatch::Edge::arc(center, std::hypot(p.x - center.x, p.y - center.y),
                              std::atan2(p.y - center.y, p.x - center.x), std::atan2(q.y - center.y, q.x - center.x),
                              bulge > 0.0);
}

template <class T>
OdSmartPtr<T> make()
{
  return OdRxObjectImpl<T>::createObject();
}

} // namespace

void take(OdDbAttributeDefinition& e, const GroupReader& in, EntityGroups& groups)
{
  if (in.code() == code::kMoreText)
    e.prompt = in.text();
  else if (in.code() == code::kFlags)
    e.constant = (in.integer() & kAttributeConstant) != 0;
  if (!takeAttribute(e, in))
    take(static_cast<OdDbText&>(e), in, groups);
}

void take(OdDbAttribute& e, const GroupReader& in, EntityGroups& groups)
{
  if (!takeAttribute(e, in))
    take(static_cast<OdDbText&>(e), in, groups);
}

void take(OdDbHatch& e, const GroupReader& in, EntityGroups& groups)
{
  HatchGroups& hatch = groups.hatch;
  if (setCoordinate(e.normal, code::kNormalX, in))
    return;
  if (hatch.stage != HatchGroups::Stage::kHead)
    hatch.take(in);
  else if (in.code() == code::kZ(code::kX))
    e.elevation = in.real();
  else if (in.code() == code::kLoopCount)
    hatch.stage = HatchGroups::Stage::kLoops;
}

void HatchGroups::take(const GroupReader& in)
{
  if (stage != Stage::kLoops)
    return; // the pattern and the seeds
  if (in.code() == code::kLoopFlags || in.code() == code::kHatchStyle) {
    endPolyline();
    if (in.code() == code::kHatchStyle)
      stage = Stage::kTail;
    else
      loops.push_back({in.integer() & ~kLoopPolyline, {}});
    polyline = in.code() == code::kLoopFlags && (in.integer() & kLoopPolyline) != 0;
    return;
  }
  if (loops.empty())
    return;
  if (polyline) {
    if (in.code() == code::kX)
      vertices.push_back({{in.real(), 0.0}, 0.0});
    else if (in.code() == code::kY(code::kX) && !vertices.empty())
      vertices.back().first.y = in.real();
    else if (in.code() == code::kReal3 && !vertices.empty())
      vertices.back().second = in.real();
    return;
  }
  std::vector<OdDbHatch::Edge>& edges = loops.back().edges;
  if (in.code() == code::kInt3) { // an edge of this type starts
    const int type = in.integer();
    unreadable = unreadable || type < OdDbHatch::kLine || type > OdDbHatch::kEllArc;
    edges.emplace_back().type = OdDbHatch::EdgeType(type);
    return;
  }
  if (edges.empty())
    return;
  OdDbHatch::Edge& edge = edges.back();
  OdGePoint2d& first = edge.type == OdDbHatch::kLine ? edge.start : edge.center;
  OdGePoint2d& second = edge.type == OdDbHatch::kLine ? edge.end : edge.majorAxis;
  switch (in.code()) {
  case code::kX: first.x = in.real(); break;
  case code::kY(code::kX): first.y = in.real(); break;
  case code::kX2: second.x = in.real(); break;
  case code::kY(code::kX2): second.y = in.real(); break;
  case code::kReal: (edge.type == OdDbHatch::kEllArc ? edge.ratio : edge.radius) = in.real(); break;
  case code::kAngle: edge.startAngle = toRadians(in.real()); break;
  case code::kAngle2: edge.endAngle = toRadians(in.real()); break;
  case code::kInt4:
    // A clockwise arc's angles come as their complements.
    edge.counterClockwise = in.integer() != 0;
    if (!edge.counterClockwise) {
      edge.startAngle = 2 * kPi - edge.startAngle;
      edge.endAngle = 2 * kPi - edge.endAngle;
    }
    break;
  default: break;
  }
}

// A polyline loop is closed whether it says so or not: its last vertex leads back to the first.
void HatchGroups::endPolyline()
{
  if (!polyline)
    return;
  std::vector<OdDbHatch::Edge>& edges = loops.back().edges;
  for (size_t i = 0; i < vertices.size(); ++i) {
    const auto& [from, bulge] = vertices[i];
    const OdGePoint2d& to = vertices[(i + 1) % vertices.size()].first;
    if (from.x == to.x && from.y == to.y)
      continue;
    edges.push_back(bulge == 0.0 ? OdDbHatch::Edge::line(from, to) : arcOfBulge(from, to, bulge));
  }
  vertices.clear();
  polyline = false;
}

bool XDataGroups::take(const GroupReader& in)
{
  const int type = in.code();
  if (type < OdResBuf::kDxfXdAsciiString)
    return false;
  if (type == OdResBuf::kDxfRegAppName) {
    append(OdResBuf::newRb(type, in.name()));
  } else if (m_head) { // values before any application belong to none
    OdResBufPtr value = OdResBuf::newRb(type);
    switch (type) {
    case OdResBuf::kDxfXdAsciiString: value->setString(in.text()); break;
    case OdResBuf::kDxfXdReal: value->setDouble(in.real()); break;
    case OdResBuf::kDxfXdInteger16: value->setInt16(OdInt16(in.integer())); break;
    case OdResBuf::kDxfXdInteger32: value->setInt32(in.integer()); break;
    default: return true; // a kind an object here does not keep
    }
    append(value);
  }
  return true;
}

void XDataGroups::append(OdResBufPtr rb)
{
  if (m_last)
    m_last->setNext(rb.get());
  else
    m_head = rb;
  m_last = rb.get();
}

void DimensionGroups::take(const GroupReader& in, EntityGroups& groups)
{
  const int code = in.code();
  for (int axis = 0; axis < 3; ++axis) {
    const int first = code::kX + 10 * axis;
    if (code >= first && code <= first + (code::kX7 - code::kX)) {
      OdGePoint3d& p = points[code - first];
      (axis == 0 ? p.x : axis == 1 ? p.y : p.z) = in.real();
      return;
    }
  }
  switch (code) {
  case code::kName: groups.block = in.value(); break;
  case code::kFlags: flags = in.integer(); break;
  case code::kText: text = in.text(); break;
  case code::kReal: leaderLength = in.real(); break;
  case code::kReal3: measurement = in.real(); break;
  case code::kAngle: rotation = toRadians(in.real()); break;
  case code::kTextAngle: textRotation = toRadians(in.real()); break;
  default: setCoordinate(normal, code::kNormalX, in);
  }
}

OdDbDimensionPtr DimensionGroups::make() const
{
  const Ocs ocs(normal);
  const auto at = [this](int code) { return points[code - code::kX]; };
  OdDbDimensionPtr made;
  switch (flags & kDimTypeMask) {
  case kDimRotated: {
    OdDbRotatedDimensionPtr d = dxf::make<OdDbRotatedDimension>();
    d->xLine1Point = at(code::kX4), d->xLine2Point = at(code::kX5), d->dimLinePoint = at(code::kX);
    d->rotation = rotation;
    made = d;
    break;
  }
  case kDimAligned: {
    OdDbAlignedDimensionPtr d = dxf::make<OdDbAlignedDimension>();
    d->xLine1Point = at(code::kX4), d->xLine2Point = at(code::kX5), d->dimLinePoint = at(code::kX);
    made = d;
    break;
  }
  case kDimAngular: {
    OdDb2LineAngularDimensionPtr d = dxf::make<OdDb2LineAngularDimension>();
    d->xLine1Start = at(code::kX4), d->xLine1End = at(code::kX5);
    d->xLine2Start = at(code::kX6), d->xLine2End = at(code::kX);
    d->arcPoint = ocs.toWorld(at(code::kX7));
    made = d;
    break;
  }
  case kDimAngular3Point: {
    OdDb3PointAngularDimensionPtr d = dxf::make<OdDb3PointAngularDimension>();
    d->xLine1Point = at(code::kX4), d->xLine2Point = at(code::kX5), d->centerPoint = at(code::kX6);
    d->arcPoint = at(code::kX);
    made = d;
    break;
  }
  case kDimRadius: {
    OdDbRadialDimensionPtr d = dxf::make<OdDbRadialDimension>();
    d->center = at(code::kX), d->chordPoint = at(code::kX6), d->leaderLength = leaderLength;
    made = d;
    break;
  }
  case kDimDiameter: {
    OdDbDiametricDimensionPtr d = dxf::make<OdDbDiametricDimension>();
    d->farChordPoint = at(code::kX), d->chordPoint = at(code::kX6), d->leaderLength = leaderLength;
    made = d;
    break;
  }
  case kDimOrdinate: {
    OdDbOrdinateDimensionPtr d = dxf::make<OdDbOrdinateDimension>();
    d->origin = at(code::kX), d->definingPoint = at(code::kX4), d->leaderEndPoint = at(code::kX5);
    d->usingXAxis = (flags & kDimOrdinateX) != 0;
    made = d;
    break;
  }
  default: return made;
  }
  made->textPosition = ocs.toWorld(at(code::kX2));
  made->textAtUserPosition = (flags & kDimUserTextPosition) != 0;
  made->dimensionText = text;
  made->measurement = measurement;
  made->textRotation = textRotation;
  made->normal = normal;
  return made;
}

bool finish(OdDbPolyline& e, EntityGroups& groups, const GroupReader&)
{
  e.setPlane(groups.elevation, groups.normal);
  return true;
}

bool finish(OdDbCircle& e, EntityGroups&, const GroupReader&)
{
  e.center = Ocs(e.normal).toWorld(e.center);
  return true;
}

bool finish(OdDbArc& e, EntityGroups&, const GroupReader&)
{
  e.center = Ocs(e.normal).toWorld(e.center);
  return true;
}

bool finish(OdDbBlockReference& e, EntityGroups&, const GroupReader&)
{
  e.position = Ocs(e.normal).toWorld(e.position);
  return true;
}

bool finish(OdDbText& e, EntityGroups&, const GroupReader&)
{
  const Ocs ocs(e.normal);
  e.position = ocs.toWorld(e.position);
  e.alignmentPoint = ocs.toWorld(e.alignmentPoint);
  return true;
}

bool finish(OdDbMText& e, EntityGroups& groups, const GroupReader& in)
{
  e.contents = in.decode(groups.contents, true);
  // The direction is a world vector; the rotation is its angle in the text's plane.
  const OdGePoint3d direction = Ocs(e.normal).fromWorld({groups.direction.x, groups.direction.y, groups.direction.z});
  if (direction.x != 0.0 || direction.y != 0.0)
    e.rotation = std::atan2(direction.y, direction.x);
  return true;
}

bool finish(OdDbHatch& e, EntityGroups& groups, const GroupReader&)
{
  HatchGroups& hatch = groups.hatch;
  hatch.endPolyline();
  if (hatch.unreadable || hatch.loops.empty())
    return false;
  for (OdDbHatch::Loop& loop : hatch.loops)
    e.appendLoop(loop.type, std::move(loop.edges));
  return true;
}

} // namespace dxf

