#include "DbDatabase.h"

#include <OdError.h>
#include <RxObjectImpl.h>

ODRX_DEFINE_MEMBERS(OdDbObject, OdRxObject)
ODRX_DEFINE_MEMBERS(OdDbSymbolTableRecord, OdDbObject)
ODRX_DEFINE_MEMBERS(OdDbSymbolTable, OdDbObject)
ODRX_DEFINE_MEMBERS(OdDbBlockTableRecord, OdDbSymbolTableRecord)
ODRX_DEFINE_MEMBERS(OdDbBlockTable, OdDbSymbolTable)
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
  return m_stub ? m_stub->handle : 0;
}

OdDbDatabase* OdDbObjectId::database() const
{
  return m_stub ? m_stub->database : nullptr;
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

OdDbObjectId OdDbSymbolTable::getAt(const OdString& name, bool getErasedRecord) const
{
  for (const OdDbObjectId& id : m_records) {
    OdDbSymbolTableRecordPtr record = OdDbSymbolTableRecord::cast(id.openObject(OdDb::kForRead, true).get());
    if (record && record->getName().iCompare(name) == 0 && (getErasedRecord || !record->isErased()))
      return id;
  }
  return OdDbObjectId();
}

OdDbObjectId OdDbSymbolTable::add(OdDbSymbolTableRecord* record)
{
  if (!record || !database())
    throw OdError(eInvalidInput);
  if (has(record->getName()))
    throw OdError(eDuplicateKey, OdString("Duplicate record name: ") + record->getName());
  const OdDbObjectId id = database()->addObject(record, objectId());
  m_records.push_back(id);
  return id;
}

OdDbDatabase::OdDbDatabase()
{
  OdDbBlockTablePtr blocks = OdRxObjectImpl<OdDbBlockTable>::createObject();
  m_blockTableId = addObject(blocks.get());
  for (const char* name : {"*Model_Space", "*Paper_Space"}) {
    OdDbBlockTableRecordPtr space = OdRxObjectImpl<OdDbBlockTableRecord>::createObject();
    space->setName(OdString(name));
    (name[1] == 'M' ? m_modelSpaceId : m_paperSpaceId) = blocks->add(space.get());
  }
}

OdDbDatabase::~OdDbDatabase()
{
  // Objects may refer to each other by id only, so releasing them in any order is safe.
  for (OdDbStub& stub : m_stubs)
    stub.object = nullptr;
}

OdDbObjectId OdDbDatabase::addObject(OdDbObject* object, OdDbObjectId ownerId)
{
  if (!object || !object->m_id.isNull())
    throw OdError(eInvalidInput);
  m_stubs.push_back(OdDbStub{this, m_nextHandle++, OdDbObjectPtr(object)});
  object->m_id = OdDbObjectId(&m_stubs.back());
  object->m_ownerId = ownerId;
  return object->m_id;
}

OdDbObjectId OdDbDatabase::getOdDbObjectId(OdDbHandle handle) const
{
  // Handles are given out in order, one per stub.
  if (handle == 0 || handle >= m_nextHandle)
    return OdDbObjectId();
  return OdDbObjectId(const_cast<OdDbStub*>(&m_stubs[handle - 1]));
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
