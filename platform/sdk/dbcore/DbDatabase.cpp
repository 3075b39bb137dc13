#include "DbDatabase.h"

#include <OdError.h>
#include <RxObjectImpl.h>

#include <algorithm>
#include <cmath>

ODRX_DEFINE_MEMBERS(OdDbObject, OdRxObject)
ODRX_DEFINE_MEMBERS(OdDbSymbolTableRecord, OdDbObject)
ODRX_DEFINE_MEMBERS(OdDbSymbolTable, OdDbObject)
ODRX_DEFINE_MEMBERS(OdDbBlockTableRecord, OdDbSymbolTableRecord)
ODRX_DEFINE_MEMBERS(OdDbBlockTable, OdDbSymbolTable)
ODRX_DEFINE_MEMBERS(OdDbLayerTableRecord, OdDbSymbolTableRecord)
ODRX_DEFINE_MEMBERS(OdDbLinetypeTableRecord, OdDbSymbolTableRecord)
ODRX_DEFINE_MEMBERS(OdDbTextStyleTableRecord, OdDbSymbolTableRecord)
ODRX_DEFINE_MEMBERS(OdDbLayerTable, OdDbSymbolTable)
ODRX_DEFINE_MEMBERS(OdDbLinetypeTable, OdDbSymbolTable)
ODRX_DEFINE_MEMBERS(OdDbTextStyleTable, OdDbSymbolTable)
ODRX_DEFINE_MEMBERS(OdDbRegAppTableRecord, OdDbSymbolTableRecord)
ODRX_DEFINE_MEMBERS(OdDbRegAppTable, OdDbSymbolTable)
ODRX_DEFINE_MEMBERS(OdDbEntity, OdDbObject)
ODRX_DEFINE_MEMBERS(OdDbLine, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDbPoint, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDbCircle, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDbArc, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDbEllipse, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDbPolyline, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDb3dPolyline, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDbPolyFaceMesh, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDbSpline, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDbText, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDbMText, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDbBlockReference, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDbAttributeDefinition, OdDbText)
ODRX_DEFINE_MEMBERS(OdDbAttribute, OdDbText)
ODRX_DEFINE_MEMBERS(OdDbHatch, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDbDimension, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDbRotatedDimension, OdDbDimension)
ODRX_DEFINE_MEMBERS(OdDbAlignedDimension, OdDbDimension)
ODRX_DEFINE_MEMBERS(OdDb2LineAngularDimension, OdDbDimension)
ODRX_DEFINE_MEMBERS(OdDb3PointAngularDimension, OdDbDimension)
ODRX_DEFINE_MEMBERS(OdDbRadialDimension, OdDbDimension)
ODRX_DEFINE_MEMBERS(OdDbDiametricDimension, OdDbDimension)
ODRX_DEFINE_MEMBERS(OdDbOrdinateDimension, OdDbDimension)
ODRX_DEFINE_MEMBERS(OdDbDatabase, OdRxObject)
ODRX_DEFINE_MEMBERS(OdDbHostAppServices, OdRxObject)

const OdDbObjectId OdDbObjectId::kNull;

bool OdDbObjectId::isValid() const
{
  return m_stub && m_stub->object && !m_stub->object->isErased();
}

bool OdDbObjectId::isErased() const
{
  return m_stub && (!m_stub->object || m_stub->object->isErased());
}

OdDbHandle OdDbObjectId::getHandle() const
{
  return m_stub ? OdDbStubPages::handleOf(m_stub) : 0;
}

OdDbDatabase* OdDbObjectId::database() const
{
  return m_stub ? OdDbStubPages::databaseOf(m_stub) : nullptr;
}

OdDbObjectPtr OdDbObjectId::openObject(OdDb::OpenMode, bool openErasedObject) const
{
  if (!m_stub || !m_stub->object)
    throw OdError(eNullObjectId);
  if (m_stub->object->isErased() && !openErasedObject)
    throw OdError(eWasErased);
  return m_stub->object;
}

OdDbObjectPtr OdDbObjectId::safeOpenObject(OdDb::OpenMode mode) const
{
  return isValid() ? openObject(mode) : OdDbObjectPtr();
}

const OdDbObject* OdDbObjectId::peekObject() const
{
  return isValid() ? m_stub->object.get() : nullptr;
}

void OdDbSymbolTableRecord::setName(const OdString& name)
{
  if (!database() || ownerId().isNull()) {
    m_name = name; // no table indexes it yet
    return;
  }
  const OdString previous = m_name;
  m_name = name;
  OdDbSymbolTablePtr table = OdDbSymbolTable::cast(ownerId().openObject(OdDb::kForWrite, true).get());
  if (table)
    table->renamed(objectId(), previous, name);
}

uint32_t OdDbSymbolTable::key(const OdString& name)
{
  OdString folded(name);
  return uint32_t(std::hash<std::u16string>()(folded.makeUpper().str()));
}

OdDbObjectId OdDbSymbolTable::getAt(const OdString& name, bool getErasedRecord) const
{
  return find(key(name), name, getErasedRecord);
}

// Of the records of that name, the first added that qualifies.
OdDbObjectId OdDbSymbolTable::find(uint32_t nameKey, const OdString& name, bool getErasedRecord) const
{
  size_t first = m_records.size();
  m_byName.forEach(nameKey, [&](size_t position) {
    if (position >= first)
      return;
    OdDbSymbolTableRecordPtr record =
      OdDbSymbolTableRecord::cast(m_records[position].openObject(OdDb::kForRead, true).get());
    if (record && (getErasedRecord || !record->isErased()) && record->getName().iCompare(name) == 0)
      first = position;
  });
  return first < m_records.size() ? m_records[first] : OdDbObjectId();
}

OdString OdDbSymbolTable::numberedIfAnonymous(const OdString& name)
{
  const OdChar* text = name.c_str();
  if (name.getLength() != 2 || text[0] != u'*' || !isKindOf(OdDbBlockTable::desc()))
    return name;
  if (!((text[1] >= u'A' && text[1] <= u'Z') || (text[1] >= u'a' && text[1] <= u'z')))
    return name;
  OdString numbered;
  do
    numbered = name + OdString(std::to_string(++m_anonymousCount).c_str());
  while (!getAt(numbered, true).isNull());
  return numbered;
}

OdDbObjectId OdDbSymbolTable::add(OdDbSymbolTableRecord* record)
{
  if (!record || !database())
    throw OdError(eInvalidInput);
  record->setName(numberedIfAnonymous(record->getName()));
  const uint32_t nameKey = key(record->getName());
  if (!find(nameKey, record->getName(), false).isNull())
    throw OdError(eDuplicateKey, OdString("Duplicate record name: ") + record->getName());
  const OdDbObjectId id = database()->addObject(record, objectId());
  m_records.push_back(id);
  m_byName.add(nameKey, uint32_t(m_records.size() - 1));
  return id;
}

void OdDbSymbolTable::renamed(OdDbObjectId id, const OdString& from, const OdString& to)
{
  const uint32_t fromKey = key(from);
  size_t at = m_records.size();
  m_byName.forEach(fromKey, [&](size_t position) {
    if (m_records[position] == id)
      at = position;
  });
  if (at == m_records.size())
    return;
  m_byName.remove(fromKey, uint32_t(at));
  m_byName.add(key(to), uint32_t(at));
}

bool OdDbBlockTableRecord::isLayout() const
{
  const std::u16string name = OdString(getName()).makeUpper().str();
  return name.rfind(u"*MODEL_SPACE", 0) == 0 || name.rfind(u"*PAPER_SPACE", 0) == 0;
}

namespace {
template <class Record>
OdDbObjectId addRecord(OdDbSymbolTable* table, const OdString& name)
{
  OdSmartPtr<Record> record = OdRxObjectImpl<Record>::createObject();
  record->setName(name);
  return table->add(record.get());
}

template <class Table>
OdSmartPtr<Table> addTable(OdDbDatabase* db, OdDbObjectId& id)
{
  OdSmartPtr<Table> table = OdRxObjectImpl<Table>::createObject();
  id = db->addObject(table.get());
  return table;
}
} // namespace

// A new drawing has what every drawing has: model and paper space, layer 0, the line types
// ByBlock, ByLayer and Continuous, the text style Standard and the application ACAD.
OdDbDatabase::OdDbDatabase()
{
  OdDbBlockTablePtr blocks = addTable<OdDbBlockTable>(this, m_blockTableId);
  m_modelSpaceId = addRecord<OdDbBlockTableRecord>(blocks.get(), "*Model_Space");
  m_paperSpaceId = addRecord<OdDbBlockTableRecord>(blocks.get(), "*Paper_Space");

  OdDbLinetypeTablePtr linetypes = addTable<OdDbLinetypeTable>(this, m_linetypeTableId);
  m_byBlockId = addRecord<OdDbLinetypeTableRecord>(linetypes.get(), "ByBlock");
  m_byLayerId = addRecord<OdDbLinetypeTableRecord>(linetypes.get(), "ByLayer");
  m_continuousId = addRecord<OdDbLinetypeTableRecord>(linetypes.get(), "Continuous");
  OdDbLinetypeTableRecordPtr(m_continuousId.openObject(OdDb::kForWrite))->description = OdString("Solid line");

  OdDbLayerTablePtr layers = addTable<OdDbLayerTable>(this, m_layerTableId);
  m_layerZeroId = addRecord<OdDbLayerTableRecord>(layers.get(), "0");

  OdDbTextStyleTablePtr styles = addTable<OdDbTextStyleTable>(this, m_textStyleTableId);
  m_standardStyleId = addRecord<OdDbTextStyleTableRecord>(styles.get(), "Standard");

  addRecord<OdDbRegAppTableRecord>(addTable<OdDbRegAppTable>(this, m_regAppTableId).get(), "ACAD");
}

bool OdDbDatabase::newRegApp(const OdString& applicationName)
{
  OdDbSymbolTablePtr table = OdDbSymbolTable::cast(m_regAppTableId.openObject(OdDb::kForWrite).get());
  if (table->has(applicationName))
    return false;
  addRecord<OdDbRegAppTableRecord>(table.get(), applicationName);
  return true;
}

OdDbObjectId OdDbBlockTableRecord::appendOdDbEntity(OdDbEntity* entity)
{
  if (!entity || !database())
    throw OdError(eInvalidInput);
  if (entity->layerId().isNull())
    entity->setLayer(database()->getLayerZeroId());
  const OdDbObjectId id = database()->addObject(entity, objectId());
  m_entities.push_back(id);
  return id;
}

OdDbObjectId OdDbBlockReference::appendAttribute(OdDbAttribute* attribute)
{
  if (!attribute)
    throw OdError(eInvalidInput);
  if (!database())
    throw OdError(eNoDatabase);
  const OdDbObjectId id = database()->addObject(attribute, objectId());
  if (!m_attributes.ids)
    m_attributes.ids = std::make_unique<OdDbObjectIdArray>();
  m_attributes.ids->push_back(id);
  return id;
}

const OdDbObjectIdArray& OdDbBlockReference::attributeIds() const
{
  static const OdDbObjectIdArray kNone;
  return m_attributes.ids ? *m_attributes.ids : kNone;
}

double OdDbLinetypeTableRecord::patternLength() const
{
  double length = 0.0;
  for (double dash : dashes)
    length += std::fabs(dash);
  return length;
}

OdDbDatabase::~OdDbDatabase()
{
  // Objects may refer to each other by id only, so releasing them in any order is safe.
  m_stubs.releaseObjects();
}

OdDbObjectId OdDbDatabase::addObject(OdDbObject* object, OdDbObjectId ownerId)
{
  if (!object || !object->m_id.isNull())
    throw OdError(eInvalidInput);
  object->m_id = OdDbObjectId(m_stubs.add(object));
  object->m_ownerId = ownerId;
  return object->m_id;
}

OdDbObjectId OdDbDatabase::getOdDbObjectId(OdDbHandle handle) const
{
  return OdDbObjectId(m_stubs.find(handle));
}

OdDbStub* OdDbStubPages::add(OdDbObject* object)
{
  const size_t index = size_t(m_next - 1) % kPerPage;
  if (index == 0) {
    m_pages.push_back(std::make_unique<Page>());
    m_pages.back()->database = m_database;
    m_pages.back()->first = m_next;
  }
  OdDbStub& stub = m_pages.back()->stubs[index];
  stub.object = object;
  ++m_next;
  return &stub;
}

// Handles are given out in order, one per stub.
OdDbStub* OdDbStubPages::find(OdDbHandle handle) const
{
  if (handle == 0 || handle >= m_next)
    return nullptr;
  return &m_pages[size_t(handle - 1) / kPerPage]->stubs[size_t(handle - 1) % kPerPage];
}

void OdDbStubPages::releaseObjects()
{
  for (const std::unique_ptr<Page>& page : m_pages)
    for (OdDbStub& stub : page->stubs)
      stub.object = nullptr;
}

void OdDbDatabase::setInsertionUnits(OdDb::UnitsValue units)
{
  if (units < OdDb::kUnitsUndefined || units > OdDb::kUnitsMax)
    throw OdError(eInvalidInput);
  m_insertionUnits = units;
}

OdDbDatabasePtr OdDbHostAppServices::createDatabase() const
{
  return OdRxObjectImpl<OdDbDatabase>::createObject();
}

OdString OdDbHostAppServices::product() const
{
  return OdString("ODA Drawings SDK");
}

int OdDbHostAppServices::getFILEDIA() const
{
  return 1;
}
