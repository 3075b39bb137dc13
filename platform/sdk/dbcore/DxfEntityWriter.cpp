#include "DxfEntityWriter.h"

#include "DxfCodes.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace dxf {

namespace {
const std::string kLayerZero("0"), kStandard("Standard");
} // namespace

void NameTable::sort()
{
  std::sort(m_names.begin(), m_names.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
}

const std::string* NameTable::find(OdDbHandle handle) const
{
  const auto it = std::lower_bound(m_names.begin(), m_names.end(), handle,
                                   [](const auto& entry, OdDbHandle h) { return entry.first < h; });
  return it != m_names.end() && it->first == handle ? &it->second : nullptr;
}

const std::string& nameOf(const NameTable& names, OdDbObjectId id, const std::string& fallback)
{
  const std::string* name = id.isValid() ? names.find(id.getHandle()) : nullptr;
  return name ? *name : fallback;
}

namespace {

// The block a reference or dimension draws, if the drawing defines it: neither is written
// without one.
bool drawsABlock(const OdDbEntity& e, OdDbObjectId blockId)
{
  const auto* block = as<OdDbBlockTableRecord>(blockId.peekObject());
  return block && block->ownerId() == e.database()->getBlockTableId();
}

template <class T>
bool isWritten(const T& e)
{
  if constexpr (std::is_same_v<T, OdDbBlockReference>)
    return drawsABlock(e, e.blockTableRecord);
  else if constexpr (std::is_base_of_v<OdDbDimension, T>)
    return drawsABlock(e, e.dimBlockId());
  else
    return true;
}

bool hasAttributes(const OdDbBlockReference& reference)
{
  const OdDbObjectIdArray& ids = reference.attributeIds();
  return std::any_of(ids.begin(), ids.end(), [](OdDbObjectId id) { return as<OdDbAttribute>(id.peekObject()); });
}

template <class T>
OdDbHandle extraHandlesOf(const T&)
{
  return 0;
}
OdDbHandle extraHandlesOf(const OdDb3dPolyline& pline)
{
  return pline.vertices.size() + 1; // VERTEX ... SEQEND
}
OdDbHandle extraHandlesOf(const OdDbPolyFaceMesh& mesh)
{
  return mesh.vertices.size() + mesh.faces.size() + 1;
}
OdDbHandle extraHandlesOf(const OdDbBlockReference& reference)
{
  return isWritten(reference) && hasAttributes(reference) ? 1 : 0; // SEQEND; attributes have their own
}

} // namespace

OdDbHandle extraHandles(const OdDbEntity& e)
{
  OdDbHandle count = 0;
  visit(e, [&count](const auto& entity) { count = extraHandlesOf(entity); });
  return count;
}

void EntityWriter::write(const OdDbEntity& e)
{
  visit(e, [this, &e](const auto& entity) {
    if (!isWritten(entity))
      return;
    write(entity);
    writeXData(e);
    writeFollowers(entity);
  });
}

void EntityWriter::entityHead(const char* type, OdDbHandle handle, const OdDbEntity& e, OdDbHandle owner,
                              bool symbology)
{
  static const std::string byLayer("ByLayer");
  m_out.put(code::kStructure, type);
  m_out.putHandle(code::kHandle, handle);
  m_out.putHandle(code::kOwner, owner);
  m_out.put(code::kSubclass, "AcDbEntity");
  if (m_paper)
    m_out.putInt(code::kPaperSpace, 1);
  if (e.layerId() != m_layer || !m_layerName) { // runs of entities share a layer
    m_layer = e.layerId();
    m_layerName = &nameOf(m_names, m_layer, kLayerZero);
  }
  m_out.put(code::kLayer, *m_layerName);
  if (!symbology)
    return;
  if (!e.linetypeId().isNull() && e.linetypeId() != m_db.getLinetypeByLayerId())
    m_out.put(code::kLinetype, nameOf(m_names, e.linetypeId(), byLayer));
  writeColor(e.color());
  if (e.lineWeight() != OdDb::kLnWtByLayer)
    m_out.putInt(code::kLineWeight, e.lineWeight());
  if (!e.isVisible())
    m_out.putInt(code::kInvisible, 1);
}

void EntityWriter::writeColor(const OdCmColor& color)
{
  switch (color.colorMethod()) {
  case OdCmColor::kByLayer:
    break; // the default
  case OdCmColor::kByBlock:
    m_out.putInt(code::kColor, 0);
    break;
  case OdCmColor::kByACI:
    m_out.putInt(code::kColor, color.colorIndex());
    break;
  case OdCmColor::kByColor:
    m_out.putInt(code::kTrueColor, color.rgb());
    break;
  }
}

void EntityWriter::writeNormal(const OdGeVector3d& normal)
{
  if (!(normal == OdGeVector3d::zAxis()))
    m_out.putVector(code::kNormalX, normal);
}

void EntityWriter::writeXData(const OdDbEntity& e)
{
  for (const OdResBuf* rb = e.peekXData(); rb; rb = rb->next().get()) {
    switch (rb->restype()) {
    case OdResBuf::kDxfRegAppName: m_out.putName(rb->restype(), rb->getString().str()); break;
    case OdResBuf::kDxfXdAsciiString: m_out.putText(rb->restype(), rb->getString().str()); break;
    case OdResBuf::kDxfXdReal: m_out.putReal(rb->restype(), rb->getDouble()); break;
    case OdResBuf::kDxfXdInteger16: m_out.putInt(rb->restype(), rb->getInt16()); break;
    case OdResBuf::kDxfXdInteger32: m_out.putInt(rb->restype(), rb->getInt32()); break;
    default: break; // setXData keeps no other kind
    }
  }
}

void EntityWriter::write(const OdDbLine& e)
{
  entityHead("LINE", e);
  m_out.put(code::kSubclass, "AcDbLine");
  m_out.putPoint(code::kX, e.start);
  m_out.putPoint(code::kX2, e.end);
}

void EntityWriter::write(const OdDbPoint& e)
{
  entityHead("POINT", e);
  m_out.put(code::kSubclass, "AcDbPoint");
  m_out.putPoint(code::kX, e.position);
}

void EntityWriter::write(const OdDbCircle& e)
{
  entityHead("CIRCLE", e);
  m_out.put(code::kSubclass, "AcDbCircle");
  m_out.putPoint(code::kX, Ocs(e.normal).fromWorld(e.center));
  m_out.putReal(code::kReal, e.radius);
  writeNormal(e.normal);
}

void EntityWriter::write(const OdDbArc& e)
{
  entityHead("ARC", e);
  m_out.put(code::kSubclass, "AcDbCircle");
  m_out.putPoint(code::kX, Ocs(e.normal).fromWorld(e.center));
  m_out.putReal(code::kReal, e.radius);
  writeNormal(e.normal);
  m_out.put(code::kSubclass, "AcDbArc");
  m_out.putReal(code::kAngle, toDegrees(e.startAngle));
  m_out.putReal(code::kAngle2, toDegrees(e.endAngle));
}

void EntityWriter::write(const OdDbEllipse& e)
{
  entityHead("ELLIPSE", e);
  m_out.put(code::kSubclass, "AcDbEllipse");
  m_out.putPoint(code::kX, e.center);
  m_out.putVector(code::kX2, e.majorAxis);
  m_out.putVector(code::kNormalX, e.normal);
  m_out.putReal(code::kReal, e.radiusRatio);
  m_out.putReal(code::kRealAux, e.startParam);
  m_out.putReal(code::kReal3, e.endParam);
}

void EntityWriter::write(const OdDbPolyline& e)
{
  entityHead("LWPOLYLINE", e);
  m_out.put(code::kSubclass, "AcDbPolyline");
  m_out.putInt(code::kCount, static_cast<long long>(e.points.size()));
  m_out.putInt(code::kFlags, e.closed ? kClosed : 0);
  m_out.putReal(code::kScaleZ, 0.0); // constant width
  if (e.elevation() != 0.0)
    m_out.putReal(code::kElevation, e.elevation());
  for (size_t i = 0; i < e.points.size(); ++i) {
    m_out.putReal(code::kX, e.points[i].x);
    m_out.putReal(code::kY(code::kX), e.points[i].y);
    if (const double bulge = e.bulgeAt(i); bulge != 0.0)
      m_out.putReal(code::kReal3, bulge);
  }
  writeNormal(e.normal());
}

void EntityWriter::polylineHead(const OdDbEntity& e, const char* subclass, int flags)
{
  entityHead("POLYLINE", e);
  m_out.put(code::kSubclass, subclass);
  m_out.putInt(code::kFollows, 1);
  m_out.putPoint(code::kX, {});
  m_out.putInt(code::kFlags, flags);
}

void EntityWriter::writeVertices(const OdDbEntity& e, const std::vector<OdGePoint3d>& points, const char* subclass,
                                  int flags)
{
  for (const OdGePoint3d& p : points) {
    entityHead("VERTEX", takeHandle(), e, e.getHandle(), false);
    m_out.put(code::kSubclass, "AcDbVertex");
    m_out.put(code::kSubclass, subclass);
    m_out.putPoint(code::kX, p);
    m_out.putInt(code::kFlags, flags);
  }
}

void EntityWriter::write(const OdDb3dPolyline& e)
{
  polylineHead(e, "AcDb3dPolyline", k3dPolyline | (e.closed ? kClosed : 0));
}

void EntityWriter::writeFollowers(const OdDb3dPolyline& e)
{
  writeVertices(e, e.vertices, "AcDb3dPolylineVertex", kVertex3d);
  entityHead("SEQEND", takeHandle(), e, e.getHandle());
}

void EntityWriter::write(const OdDbPolyFaceMesh& e)
{
  polylineHead(e, "AcDbPolyFaceMesh", kPolyface);
  m_out.putInt(code::kInt2, static_cast<long long>(e.vertices.size()));
  m_out.putInt(code::kInt3, static_cast<long long>(e.faces.size()));
}

void EntityWriter::writeFollowers(const OdDbPolyFaceMesh& e)
{
  const OdDbHandle polyline = e.getHandle();
  writeVertices(e, e.vertices, "AcDbPolyFaceMeshVertex", kVertexMesh | kVertexPolyface);
  for (const OdDbPolyFaceMesh::Face& f : e.faces) {
    entityHead("VERTEX", takeHandle(), e, polyline);
    m_out.put(code::kSubclass, "AcDbFaceRecord");
    m_out.putPoint(code::kX, {});
    m_out.putInt(code::kFlags, kVertexMesh);
    for (int i = 0; i < f.count(); ++i)
      m_out.putInt(code::kInt2 + i, f.vertices[i] + 1);
  }
  entityHead("SEQEND", takeHandle(), e, polyline);
}

void EntityWriter::write(const OdDbSpline& e)
{
  const bool rational = !e.weights.empty() && e.weights.size() == e.controlPoints.size();
  entityHead("SPLINE", e);
  m_out.put(code::kSubclass, "AcDbSpline");
  m_out.putInt(code::kFlags, (e.closed ? kSplineClosed : 0) | (e.periodic ? kSplinePeriodic : 0) |
                                 (rational ? kSplineRational : 0));
  m_out.putInt(code::kInt2, e.degree);
  m_out.putInt(code::kInt3, static_cast<long long>(e.knots.size()));
  m_out.putInt(code::kInt4, static_cast<long long>(e.controlPoints.size()));
  m_out.putInt(code::kInt5, 0); // no fit points
  m_out.putReal(code::kReal3, 1e-10);
  m_out.putReal(code::kScaleZ, 1e-10);
  for (double knot : e.knots)
    m_out.putReal(code::kReal, knot);
  if (rational)
    for (double weight : e.weights)
      m_out.putReal(code::kRealAux, weight);
  for (const OdGePoint3d& p : e.controlPoints)
    m_out.putPoint(code::kX, p);
}

void EntityWriter::textGroups(const OdDbText& e)
{
  m_out.put(code::kSubclass, "AcDbText");
  const Ocs ocs(e.normal);
  m_out.putPoint(code::kX, ocs.fromWorld(e.position));
  m_out.putReal(code::kReal, e.height);
  m_out.putText(code::kText, e.text.str());
  if (e.rotation != 0.0)
    m_out.putReal(code::kAngle, toDegrees(e.rotation));
  if (e.widthFactor != 1.0)
    m_out.putReal(code::kRealAux, e.widthFactor);
  m_out.put(code::kTextStyle, nameOf(m_names, e.textStyle, kStandard));
  const bool aligned = e.horizontalMode != OdDb::kTextLeft || e.verticalMode != OdDb::kTextBase;
  if (e.horizontalMode != OdDb::kTextLeft)
    m_out.putInt(code::kInt3, e.horizontalMode);
  if (aligned)
    m_out.putPoint(code::kX2, ocs.fromWorld(e.alignmentPoint));
  writeNormal(e.normal);
}

void EntityWriter::write(const OdDbText& e)
{
  entityHead("TEXT", e);
  textGroups(e);
  m_out.put(code::kSubclass, "AcDbText");
  if (e.verticalMode != OdDb::kTextBase)
    m_out.putInt(code::kInt4, e.verticalMode);
}

void EntityWriter::attributeGroups(const OdDbText& e, const char* subclass, const OdString* prompt,
                                   const OdString& tag, int flags)
{
  textGroups(e);
  m_out.put(code::kSubclass, subclass);
  m_out.putInt(code::kSubclassVersion, 0);
  if (prompt)
    m_out.putText(code::kMoreText, prompt->str());
  m_out.putText(code::kName, tag.str());
  m_out.putInt(code::kFlags, flags);
  if (e.verticalMode != OdDb::kTextBase)
    m_out.putInt(code::kInt5, e.verticalMode);
}

void EntityWriter::write(const OdDbAttributeDefinition& e)
{
  entityHead("ATTDEF", e);
  attributeGroups(e, "AcDbAttributeDefinition", &e.prompt, e.tag,
                  (e.invisible ? kAttributeInvisible : 0) | (e.constant ? kAttributeConstant : 0));
}

void EntityWriter::write(const OdDbMText& e)
{
  entityHead("MTEXT", e);
  m_out.put(code::kSubclass, "AcDbMText");
  m_out.putPoint(code::kX, e.location);
  m_out.putReal(code::kReal, e.textHeight);
  m_out.putReal(code::kRealAux, e.width);
  m_out.putInt(code::kInt2, e.attachment);
  m_out.putInt(code::kInt3, 1); // left to right
  m_out.putMText(e.contents.str());
  m_out.put(code::kTextStyle, nameOf(m_names, e.textStyle, kStandard));
  writeNormal(e.normal);
  // The direction is a world vector: the rotation turned into the text's plane.
  if (e.rotation != 0.0 || !(e.normal == OdGeVector3d::zAxis())) {
    const OdGePoint3d direction = Ocs(e.normal).toWorld({std::cos(e.rotation), std::sin(e.rotation), 0.0});
    m_out.putVector(code::kX2, {direction.x, direction.y, direction.z});
  }
  m_out.putInt(code::kInt4, 1); // at least the spacing factor
  m_out.putReal(code::kLineSpacing, e.lineSpacingFactor);
}

void EntityWriter::write(const OdDbBlockReference& e)
{
  entityHead("INSERT", e);
  m_out.put(code::kSubclass, "AcDbBlockReference");
  if (hasAttributes(e))
    m_out.putInt(code::kFollows, 1);
  m_out.putName(code::kName, as<OdDbBlockTableRecord>(e.blockTableRecord.peekObject())->getName().str());
  m_out.putPoint(code::kX, Ocs(e.normal).fromWorld(e.position));
  if (e.scale.x != 1.0)
    m_out.putReal(code::kRealAux, e.scale.x);
  if (e.scale.y != 1.0)
    m_out.putReal(code::kReal3, e.scale.y);
  if (e.scale.z != 1.0)
    m_out.putReal(code::kScaleZ, e.scale.z);
  if (e.rotation != 0.0)
    m_out.putReal(code::kAngle, toDegrees(e.rotation));
  writeNormal(e.normal);
}

void EntityWriter::writeFollowers(const OdDbBlockReference& e)
{
  if (!hasAttributes(e))
    return;
  for (OdDbObjectId id : e.attributeIds()) {
    const auto* attribute = as<OdDbAttribute>(id.peekObject());
    if (!attribute)
      continue;
    entityHead("ATTRIB", attribute->getHandle(), *attribute, e.getHandle());
    attributeGroups(*attribute, "AcDbAttribute", nullptr, attribute->tag,
                    attribute->invisible ? kAttributeInvisible : 0);
    writeXData(*attribute);
  }
  entityHead("SEQEND", takeHandle(), e, e.getHandle());
}

// A solid fill, its loops written as edges: arcs stay arcs. The angles of a clockwise arc are
// kept as their complements, as readers take them.
void EntityWriter::write(const OdDbHatch& e)
{
  entityHead("HATCH", e);
  m_out.put(code::kSubclass, "AcDbHatch");
  m_out.putPoint(code::kX, {0.0, 0.0, e.elevation});
  m_out.putVector(code::kNormalX, e.normal);
  m_out.put(code::kName, kSolidPattern);
  m_out.putInt(code::kFlags, kSolidFill);
  m_out.putInt(code::kInt2, 0); // not associative
  m_out.putInt(code::kLoopCount, static_cast<long long>(e.loops().size()));
  for (const OdDbHatch::Loop& loop : e.loops()) {
    m_out.putInt(code::kLoopFlags, loop.type & ~kLoopPolyline);
    m_out.putInt(code::kEdgeCount, static_cast<long long>(loop.edges.size()));
    for (const OdDbHatch::Edge& edge : loop.edges)
      writeEdge(edge);
    m_out.putInt(code::kSourceCount, 0);
  }
  m_out.putInt(code::kHatchStyle, kHatchOddParity);
  m_out.putInt(code::kPatternType, kPatternPredefined);
  m_out.putInt(code::kSeedCount, 0);
}

void EntityWriter::writeEdge(const OdDbHatch::Edge& edge)
{
  const auto point = [this](int xCode, const OdGePoint2d& p) {
    m_out.putReal(xCode, p.x);
    m_out.putReal(code::kY(xCode), p.y);
  };
  m_out.putInt(code::kInt3, edge.type);
  if (edge.type == OdDbHatch::kLine) {
    point(code::kX, edge.start);
    point(code::kX2, edge.end);
    return;
  }
  point(code::kX, edge.center);
  if (edge.type == OdDbHatch::kEllArc)
    point(code::kX2, edge.majorAxis);
  m_out.putReal(code::kReal, edge.type == OdDbHatch::kEllArc ? edge.ratio : edge.radius);
  const auto angle = [&edge](double radians) { return edge.counterClockwise ? toDegrees(radians) : 360.0 - toDegrees(radians); };
  m_out.putReal(code::kAngle, angle(edge.startAngle));
  m_out.putReal(code::kAngle2, angle(edge.endAngle));
  m_out.putInt(code::kInt4, edge.counterClockwise ? 1 : 0);
}

void EntityWriter::dimensionHead(const OdDbDimension& e, int type, const OdGePoint3d& definitionPoint)
{
  const Ocs ocs(e.normal);
  entityHead("DIMENSION", e);
  m_out.put(code::kSubclass, "AcDbDimension");
  m_out.putInt(code::kSubclassVersion, 0);
  m_out.putName(code::kName, as<OdDbBlockTableRecord>(e.dimBlockId().peekObject())->getName().str());
  m_out.putPoint(code::kX, definitionPoint);
  m_out.putPoint(code::kX2, ocs.fromWorld(e.textPosition));
  m_out.putInt(code::kFlags, type | kDimBlockOwned | (e.textAtUserPosition ? kDimUserTextPosition : 0));
  m_out.putInt(code::kInt2, OdDbMText::kMiddleCenter); // the text's attachment
  m_out.putReal(code::kReal3, e.measurement);
  if (!e.dimensionText.isEmpty())
    m_out.putText(code::kText, e.dimensionText.str());
  if (e.textRotation != 0.0)
    m_out.putReal(code::kTextAngle, toDegrees(e.textRotation));
  writeNormal(e.normal);
  m_out.put(code::kMoreText, kStandard);
}

void EntityWriter::write(const OdDbRotatedDimension& e)
{
  dimensionHead(e, kDimRotated, e.dimLinePoint);
  m_out.put(code::kSubclass, "AcDbAlignedDimension");
  m_out.putPoint(code::kX4, e.xLine1Point);
  m_out.putPoint(code::kX5, e.xLine2Point);
  m_out.putReal(code::kAngle, toDegrees(e.rotation));
  m_out.put(code::kSubclass, "AcDbRotatedDimension");
}

void EntityWriter::write(const OdDbAlignedDimension& e)
{
  dimensionHead(e, kDimAligned, e.dimLinePoint);
  m_out.put(code::kSubclass, "AcDbAlignedDimension");
  m_out.putPoint(code::kX4, e.xLine1Point);
  m_out.putPoint(code::kX5, e.xLine2Point);
}

void EntityWriter::write(const OdDb2LineAngularDimension& e)
{
  dimensionHead(e, kDimAngular, e.xLine2End);
  m_out.put(code::kSubclass, "AcDb2LineAngularDimension");
  m_out.putPoint(code::kX4, e.xLine1Start);
  m_out.putPoint(code::kX5, e.xLine1End);
  m_out.putPoint(code::kX6, e.xLine2Start);
  m_out.putPoint(code::kX7, Ocs(e.normal).fromWorld(e.arcPoint));
}

void EntityWriter::write(const OdDb3PointAngularDimension& e)
{
  dimensionHead(e, kDimAngular3Point, e.arcPoint);
  m_out.put(code::kSubclass, "AcDb3PointAngularDimension");
  m_out.putPoint(code::kX4, e.xLine1Point);
  m_out.putPoint(code::kX5, e.xLine2Point);
  m_out.putPoint(code::kX6, e.centerPoint);
}

void EntityWriter::write(const OdDbRadialDimension& e)
{
  dimensionHead(e, kDimRadius, e.center);
  m_out.put(code::kSubclass, "AcDbRadialDimension");
  m_out.putPoint(code::kX6, e.chordPoint);
  m_out.putReal(code::kReal, e.leaderLength);
}

void EntityWriter::write(const OdDbDiametricDimension& e)
{
  dimensionHead(e, kDimDiameter, e.farChordPoint);
  m_out.put(code::kSubclass, "AcDbDiametricDimension");
  m_out.putPoint(code::kX6, e.chordPoint);
  m_out.putReal(code::kReal, e.leaderLength);
}

void EntityWriter::write(const OdDbOrdinateDimension& e)
{
  dimensionHead(e, kDimOrdinate | (e.usingXAxis ? kDimOrdinateX : 0), e.origin);
  m_out.put(code::kSubclass, "AcDbOrdinateDimension");
  m_out.putPoint(code::kX4, e.definingPoint);
  m_out.putPoint(code::kX5, e.leaderEndPoint);
}

} // namespace dxf
