#include "DxfReader.h"

#include "DxfCodes.h"
#include "DxfEntityReader.h"

#include <OdError.h>
#include <RxObjectImpl.h>

#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <vector>

namespace dxf {

namespace {

class DrawingReader {
public:
  DrawingReader(OdStreamBuf& stream, OdDbDatabase& db) : m_in(stream), m_db(db) {}
  void read();

private:
  // Reads the groups up to the next structure pair, handing each to `take`.
  template <class F>
  void readGroups(F&& take)
  {
    m_in.advance();
    while (m_in.code() != code::kStructure) {
      take();
      m_in.advance();
    }
  }
  void skipGroups()
  {
    readGroups([] {});
  }
  void readHeader();
  void readTables();
  void readLayer();
  void readLinetype();
  void readStyle();
  void readRegApp();
  void readBlocks();
  void readBlock();
  // Entities from the current pair up to ENDBLK or ENDSEC; into `into`, or by their paper space
  // flag when null.
  void readEntityList(OdDbBlockTableRecord* into);
  void readEntity(OdDbBlockTableRecord* into);
  // An entity of one record; its groups read into `groups`, null when it cannot be made.
  template <class T>
  OdSmartPtr<T> readEntityGroups(EntityGroups& groups);
  template <class T>
  void readSimple(OdDbBlockTableRecord* into);
  void readPolyline(OdDbBlockTableRecord* into);
  // A block reference, and the attributes that follow it.
  void readInsert(OdDbBlockTableRecord* into);
  void readDimension(OdDbBlockTableRecord* into);
  // The groups every entity has, and those naming records; false when the entity is to be left out.
  bool applyCommon(OdDbEntity& e, const EntityGroups& groups);
  // Adds the entity and its extended data; false when it is left out.
  bool add(OdDbEntity& e, const EntityGroups& groups, OdDbBlockTableRecord* into);
  void addXData(OdDbEntity& e, const XDataGroups& xdata);

  template <class T>
  OdSmartPtr<T> record(OdDbObjectId tableId, const OdString& name);
  OdDbObjectId cached(std::unordered_map<std::string, OdDbObjectId>& cache, const std::string& raw,
                      OdDbObjectId tableId, bool create);
  OdDbObjectId layer(const std::string& raw) { return cached(m_layers, raw, m_db.getLayerTableId(), true); }
  OdDbObjectId linetype(const std::string& raw);
  OdDbObjectId style(const std::string& raw);
  OdDbObjectId block(const std::string& raw);

  GroupReader m_in;
  OdDbDatabase& m_db;
  std::unordered_map<std::string, OdDbObjectId> m_layers, m_linetypes, m_styles, m_blocks;
};

template <class T>
OdSmartPtr<T> DrawingReader::record(OdDbObjectId tableId, const OdString& name)
{
  OdDbSymbolTablePtr table = OdDbSymbolTable::cast(tableId.openObject(OdDb::kForWrite).get());
  const OdDbObjectId id = table->getAt(name);
  if (!id.isNull())
    return T::cast(id.openObject(OdDb::kForWrite).get());
  OdSmartPtr<T> created = OdRxObjectImpl<T>::createObject();
  created->setName(name);
  table->add(created.get());
  return created;
}

OdDbObjectId DrawingReader::cached(std::unordered_map<std::string, OdDbObjectId>& cache, const std::string& raw,
                                   OdDbObjectId tableId, bool create)
{
  const auto it = cache.find(raw);
  if (it != cache.end())
    return it->second;
  OdDbObjectId id = OdDbSymbolTablePtr(OdDbSymbolTable::cast(tableId.openObject().get()))->getAt(m_in.decode(raw, false));
  if (id.isNull() && create) {
    OdDbSymbolTablePtr table = OdDbSymbolTable::cast(tableId.openObject(OdDb::kForWrite).get());
    OdDbSymbolTableRecordPtr added = tableId == m_db.getLayerTableId()
                                         ? OdDbSymbolTableRecordPtr(OdRxObjectImpl<OdDbLayerTableRecord>::createObject())
                                         : OdDbSymbolTableRecordPtr(OdRxObjectImpl<OdDbBlockTableRecord>::createObject());
    added->setName(m_in.decode(raw, false));
    id = table->add(added.get());
  }
  cache.emplace(raw, id);
  return id;
}

OdDbObjectId DrawingReader::linetype(const std::string& raw)
{
  const OdString name = m_in.decode(raw, false);
  if (raw.empty() || name.iCompare(OdString("ByLayer")) == 0)
    return OdDbObjectId(); // null is by layer
  return cached(m_linetypes, raw, m_db.getLinetypeTableId(), false);
}

OdDbObjectId DrawingReader::style(const std::string& raw)
{
  const OdDbObjectId id = raw.empty() ? OdDbObjectId() : cached(m_styles, raw, m_db.getTextStyleTableId(), false);
  return id.isNull() ? m_db.getTextStyleStandardId() : id;
}

// Blocks may be used before they are defined; the reference makes the record, the definition fills it.
OdDbObjectId DrawingReader::block(const std::string& raw)
{
  const OdString name = m_in.decode(raw, false);
  if (name.iCompare(OdString(kModelSpace)) == 0 || name.iCompare(OdString("$MODEL_SPACE")) == 0)
    return m_db.getModelSpaceId();
  if (name.iCompare(OdString(kPaperSpace)) == 0 || name.iCompare(OdString("$PAPER_SPACE")) == 0)
    return m_db.getPaperSpaceId();
  return cached(m_blocks, raw, m_db.getBlockTableId(), true);
}

// A drawing ends with EOF: without it, it was cut short.
void DrawingReader::read()
{
  for (;;) {
    m_in.advance();
    if (m_in.is(code::kStructure, "EOF"))
      return;
    if (!m_in.is(code::kStructure, "SECTION"))
      fail("Not a DXF section");
    m_in.advance();
    if (m_in.code() != code::kName)
      fail("A DXF section without a name");
    const std::string name = m_in.value();
    if (name == "HEADER")
      readHeader();
    else if (name == "TABLES")
      readTables();
    else if (name == "BLOCKS")
      readBlocks();
    else if (name == "ENTITIES")
      m_in.advance(), readEntityList(nullptr);
    else
      do
        m_in.advance();
      while (!m_in.is(code::kStructure, "ENDSEC"));
    if (!m_in.is(code::kStructure, "ENDSEC"))
      fail("A DXF section does not end");
  }
}

void DrawingReader::readHeader()
{
  std::string variable;
  m_in.advance();
  while (!m_in.is(code::kStructure, "ENDSEC")) {
    if (m_in.code() == code::kVariable) {
      variable = m_in.value();
    } else if (variable == "$ACADVER" && m_in.code() == code::kText) {
      m_in.setUtf8(m_in.value() >= "AC1021");
    } else if (variable == "$INSUNITS" && m_in.code() == code::kFlags) {
      const int units = m_in.integer();
      if (units >= OdDb::kUnitsUndefined && units <= OdDb::kUnitsMax)
        m_db.setInsertionUnits(static_cast<OdDb::UnitsValue>(units));
    }
    m_in.advance();
  }
}

void DrawingReader::readTables()
{
  m_in.advance();
  while (!m_in.is(code::kStructure, "ENDSEC")) {
    if (m_in.is(code::kStructure, "LAYER"))
      readLayer();
    else if (m_in.is(code::kStructure, "LTYPE"))
      readLinetype();
    else if (m_in.is(code::kStructure, "STYLE"))
      readStyle();
    else if (m_in.is(code::kStructure, "APPID"))
      readRegApp();
    else
      m_in.advance();
  }
}

void DrawingReader::readLayer()
{
  OdString name;
  std::string linetypeName;
  int flags = 0, color = 7, weight = -3;
  long trueColor = -1;
  readGroups([&] {
    switch (m_in.code()) {
    case code::kName: name = m_in.name(); break;
    case code::kFlags: flags = m_in.integer(); break;
    case code::kColor: color = m_in.integer(); break;
    case code::kTrueColor: trueColor = m_in.integer() & 0xFFFFFF; break;
    case code::kLinetype: linetypeName = m_in.value(); break;
    case code::kLineWeight: weight = m_in.integer(); break;
    default: break;
    }
  });
  if (name.isEmpty())
    return;
  OdDbLayerTableRecordPtr layer = record<OdDbLayerTableRecord>(m_db.getLayerTableId(), name);
  const OdCmColor indexed = colorFromIndex(color);
  layer->color = trueColor >= 0 ? OdCmColor::fromRGB(OdUInt8(trueColor >> 16), OdUInt8(trueColor >> 8), OdUInt8(trueColor))
                 : indexed.colorMethod() == OdCmColor::kByACI ? indexed : OdCmColor::fromIndex(7);
  layer->isOff = color < 0;
  layer->isFrozen = (flags & kLayerFrozen) != 0;
  const OdDbObjectId lt = linetype(linetypeName);
  layer->linetype = lt == m_db.getLinetypeContinuousId() ? OdDbObjectId() : lt;
  layer->lineWeight = weight;
}

void DrawingReader::readLinetype()
{
  OdString name, description;
  std::vector<double> dashes;
  readGroups([&] {
    if (m_in.code() == code::kName)
      name = m_in.name();
    else if (m_in.code() == code::kMoreText)
      description = m_in.text();
    else if (m_in.code() == code::kDash)
      dashes.push_back(m_in.real());
  });
  if (name.isEmpty())
    return;
  OdDbLinetypeTableRecordPtr linetype = record<OdDbLinetypeTableRecord>(m_db.getLinetypeTableId(), name);
  linetype->description = description;
  linetype->dashes = std::move(dashes);
}

void DrawingReader::readStyle()
{
  OdString name, font;
  double size = 0.0, xScale = 1.0;
  int flags = 0;
  readGroups([&] {
    switch (m_in.code()) {
    case code::kName: name = m_in.name(); break;
    case code::kMoreText: font = m_in.text(); break;
    case code::kReal: size = m_in.real(); break;
    case code::kRealAux: xScale = m_in.real(); break;
    case code::kFlags: flags = m_in.integer(); break;
    default: break;
    }
  });
  if (name.isEmpty() || (flags & 1)) // shape files have no name to use
    return;
  OdDbTextStyleTableRecordPtr style = record<OdDbTextStyleTableRecord>(m_db.getTextStyleTableId(), name);
  style->fileName = font;
  style->textSize = size;
  style->xScale = xScale;
}

void DrawingReader::readRegApp()
{
  OdString name;
  readGroups([&] {
    if (m_in.code() == code::kName)
      name = m_in.name();
  });
  if (!name.isEmpty())
    m_db.newRegApp(name);
}

void DrawingReader::readBlocks()
{
  m_in.advance();
  while (!m_in.is(code::kStructure, "ENDSEC")) {
    if (m_in.is(code::kStructure, "BLOCK"))
      readBlock();
    else
      m_in.advance();
  }
}

void DrawingReader::readBlock()
{
  std::string name;
  OdGePoint3d origin;
  readGroups([&] {
    if (m_in.code() == code::kName)
      name = m_in.value();
    else
      setCoordinate(origin, code::kX, m_in);
  });
  if (name.empty()) { // nothing could refer to it
    while (!m_in.is(code::kStructure, "ENDSEC") && !m_in.is(code::kStructure, "ENDBLK"))
      skipGroups();
  } else {
    OdDbBlockTableRecordPtr target = OdDbBlockTableRecord::cast(block(name).openObject(OdDb::kForWrite).get());
    target->origin = origin;
    readEntityList(target.get());
  }
  if (m_in.is(code::kStructure, "ENDBLK"))
    skipGroups();
}

void DrawingReader::readEntityList(OdDbBlockTableRecord* into)
{
  while (!m_in.is(code::kStructure, "ENDSEC") && !m_in.is(code::kStructure, "ENDBLK"))
    readEntity(into);
}

void DrawingReader::readEntity(OdDbBlockTableRecord* into)
{
  const std::string& type = m_in.value();
  if (type == "LINE")
    readSimple<OdDbLine>(into);
  else if (type == "POINT")
    readSimple<OdDbPoint>(into);
  else if (type == "CIRCLE")
    readSimple<OdDbCircle>(into);
  else if (type == "ARC")
    readSimple<OdDbArc>(into);
  else if (type == "ELLIPSE")
    readSimple<OdDbEllipse>(into);
  else if (type == "LWPOLYLINE")
    readSimple<OdDbPolyline>(into);
  else if (type == "SPLINE")
    readSimple<OdDbSpline>(into);
  else if (type == "TEXT")
    readSimple<OdDbText>(into);
  else if (type == "MTEXT")
    readSimple<OdDbMText>(into);
  else if (type == "INSERT")
    readInsert(into);
  else if (type == "ATTDEF")
    readSimple<OdDbAttributeDefinition>(into);
  else if (type == "HATCH")
    readSimple<OdDbHatch>(into);
  else if (type == "DIMENSION")
    readDimension(into);
  else if (type == "POLYLINE")
    readPolyline(into);
  else
    skipGroups();
}

template <class T>
OdSmartPtr<T> DrawingReader::readEntityGroups(EntityGroups& groups)
{
  OdSmartPtr<T> entity = OdRxObjectImpl<T>::createObject();
  readGroups([&] {
    if (groups.xdata.take(m_in))
      return;
    if (m_in.code() == code::kEmbeddedObject) // an embedded object repeats codes with other meanings
      groups.embedded = true;
    if (!groups.embedded && !groups.take(m_in))
      take(*entity, m_in, groups);
  });
  return finish(*entity, groups, m_in) ? entity : OdSmartPtr<T>();
}

template <class T>
void DrawingReader::readSimple(OdDbBlockTableRecord* into)
{
  EntityGroups groups;
  if (OdSmartPtr<T> entity = readEntityGroups<T>(groups))
    add(*entity, groups, into);
}

void DrawingReader::readInsert(OdDbBlockTableRecord* into)
{
  EntityGroups groups;
  OdDbBlockReferencePtr insert = readEntityGroups<OdDbBlockReference>(groups);
  const bool added = insert && add(*insert, groups, into);
  while (m_in.is(code::kStructure, "ATTRIB")) {
    EntityGroups attributeGroups;
    OdDbAttributePtr attribute = readEntityGroups<OdDbAttribute>(attributeGroups);
    if (added && attribute && applyCommon(*attribute, attributeGroups)) {
      insert->appendAttribute(attribute.get());
      addXData(*attribute, attributeGroups.xdata);
    }
  }
  if (m_in.is(code::kStructure, "SEQEND"))
    skipGroups();
}

void DrawingReader::readDimension(OdDbBlockTableRecord* into)
{
  EntityGroups groups;
  DimensionGroups dimension;
  readGroups([&] {
    if (!groups.xdata.take(m_in) && !groups.take(m_in))
      dimension.take(m_in, groups);
  });
  if (OdDbDimensionPtr made = dimension.make())
    add(*made, groups, into);
}

void DrawingReader::readPolyline(OdDbBlockTableRecord* into)
{
  EntityGroups groups;
  int flags = 0;
  double elevation = 0.0;
  OdGeVector3d normal = OdGeVector3d::zAxis();
  readGroups([&] {
    if (groups.take(m_in) || groups.xdata.take(m_in))
      return;
    if (m_in.code() == code::kFlags)
      flags = m_in.integer();
    else if (m_in.code() == code::kZ(code::kX))
      elevation = m_in.real();
    else
      setCoordinate(normal, code::kNormalX, m_in);
  });
  OdDbPolylinePtr flat = OdRxObjectImpl<OdDbPolyline>::createObject();
  OdDb3dPolylinePtr spatial = OdRxObjectImpl<OdDb3dPolyline>::createObject();
  OdDbPolyFaceMeshPtr mesh = OdRxObjectImpl<OdDbPolyFaceMesh>::createObject();
  while (m_in.is(code::kStructure, "VERTEX")) {
    OdGePoint3d point;
    double bulge = 0.0;
    int vertexFlags = 0;
    OdDbPolyFaceMesh::Face face;
    readGroups([&] {
      if (m_in.code() == code::kReal3)
        bulge = m_in.real();
      else if (m_in.code() == code::kFlags)
        vertexFlags = m_in.integer();
      else if (m_in.code() >= code::kInt2 && m_in.code() <= code::kInt5)
        face.vertices[m_in.code() - code::kInt2] = int(std::abs(m_in.integer())) - 1; // negative: an invisible edge
      else
        setCoordinate(point, code::kX, m_in);
    });
    if (vertexFlags & kVertexSplineFrame)
      continue; // the frame of a spline fit, not a point of the curve
    if ((vertexFlags & (kVertexMesh | kVertexPolyface)) == kVertexMesh) {
      if (face.vertices[0] >= 0 && face.vertices[1] >= 0 && face.vertices[2] >= 0)
        mesh->faces.push_back(face);
      continue;
    }
    flat->addVertex({point.x, point.y}, bulge);
    spatial->vertices.push_back(point);
  }
  if (m_in.is(code::kStructure, "SEQEND"))
    skipGroups();
  if (flags & kPolyface) {
    mesh->vertices = std::move(spatial->vertices);
    const int count = int(mesh->vertices.size());
    const auto outside = [count](const OdDbPolyFaceMesh::Face& f) {
      return std::any_of(f.vertices, f.vertices + f.count(), [count](int v) { return v >= count; });
    };
    mesh->faces.erase(std::remove_if(mesh->faces.begin(), mesh->faces.end(), outside), mesh->faces.end());
    add(*mesh, groups, into);
    return;
  }
  if (flags & kMesh)
    return; // polygon meshes: no such entity here
  if (flags & k3dPolyline) {
    spatial->closed = (flags & kClosed) != 0;
    add(*spatial, groups, into);
  } else {
    flat->closed = (flags & kClosed) != 0;
    flat->setPlane(elevation, normal);
    add(*flat, groups, into);
  }
}

bool DrawingReader::applyCommon(OdDbEntity& e, const EntityGroups& groups)
{
  e.setLayer(layer(groups.layer.empty() ? std::string("0") : groups.layer));
  e.setLinetype(linetype(groups.linetype));
  e.setColor(groups.trueColor >= 0 ? OdCmColor::fromRGB(OdUInt8(groups.trueColor >> 16), OdUInt8(groups.trueColor >> 8),
                                                        OdUInt8(groups.trueColor))
                                   : groups.color);
  e.setLineWeight(groups.lineWeight);
  e.setVisibility(!groups.invisible);
  if (auto* text = OdDbText::cast(&e).get())
    text->textStyle = style(groups.style);
  else if (auto* mtext = OdDbMText::cast(&e).get())
    mtext->textStyle = style(groups.style);
  const bool drawsABlock = OdDbBlockReference::cast(&e) || OdDbDimension::cast(&e);
  if (!drawsABlock)
    return true;
  if (groups.block.empty())
    return false; // a reference to nothing
  const OdDbObjectId drawn = block(groups.block);
  if (auto* insert = OdDbBlockReference::cast(&e).get())
    insert->blockTableRecord = drawn;
  else
    OdDbDimension::cast(&e)->setDimBlockId(drawn);
  return true;
}

bool DrawingReader::add(OdDbEntity& e, const EntityGroups& groups, OdDbBlockTableRecord* into)
{
  if (!applyCommon(e, groups))
    return false;
  OdDbBlockTableRecordPtr target(into);
  if (!target)
    target = OdDbBlockTableRecord::cast(
        (groups.paper ? m_db.getPaperSpaceId() : m_db.getModelSpaceId()).openObject(OdDb::kForWrite).get());
  target->appendOdDbEntity(&e);
  addXData(e, groups.xdata);
  return true;
}

// Applications the data names are registered, whether the file's table has them or not.
void DrawingReader::addXData(OdDbEntity& e, const XDataGroups& xdata)
{
  for (const OdResBuf* rb = xdata.chain(); rb; rb = rb->next().get())
    if (rb->restype() == OdResBuf::kDxfRegAppName)
      m_db.newRegApp(rb->getString());
  if (xdata.chain())
    e.setXData(xdata.chain());
}

} // namespace

void readDrawing(OdStreamBuf& stream, OdDbDatabase& db)
{
  DrawingReader(stream, db).read();
}

OdDbDatabasePtr readDrawing(OdStreamBuf& stream)
{
  OdDbDatabasePtr db = OdRxObjectImpl<OdDbDatabase>::createObject();
  readDrawing(stream, *db);
  return db;
}

} // namespace dxf
