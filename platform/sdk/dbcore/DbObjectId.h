#pragma once
#include "OdDb.h"

#include <RxObject.h>

#include <vector>

class OdDbDatabase;
class OdDbObject;
struct OdDbStub;
typedef OdSmartPtr<OdDbObject> OdDbObjectPtr;
typedef OdUInt64 OdDbHandle;

// Names one object of one database. Ids stay comparable after the object is erased.
class OdDbObjectId {
public:
  static const OdDbObjectId kNull;

  OdDbObjectId() = default;
  explicit OdDbObjectId(OdDbStub* stub) : m_stub(stub) {}

  bool isNull() const { return m_stub == nullptr; }
  // Not null, and the object it names is still in its database and not erased.
  bool isValid() const;
  bool isErased() const;
  OdDbHandle getHandle() const;
  OdDbDatabase* database() const;

  // Opens the object; raises OdError(eNullObjectId) for a null id and OdError(eWasErased) for an
  // erased object unless openErasedObject is true.
  OdDbObjectPtr openObject(OdDb::OpenMode mode = OdDb::kForRead, bool openErasedObject = false) const;
  // Like openObject, but null instead of an error.
  OdDbObjectPtr safeOpenObject(OdDb::OpenMode mode = OdDb::kForRead) const;
  // The object as safeOpenObject finds it, without counting a reference to it: for the SDK's own
  // readers, which hold the database still while they walk every object.
  const OdDbObject* peekObject() const;

  friend bool operator==(OdDbObjectId a, OdDbObjectId b) { return a.m_stub == b.m_stub; }
  friend bool operator!=(OdDbObjectId a, OdDbObjectId b) { return a.m_stub != b.m_stub; }
  friend bool operator<(OdDbObjectId a, OdDbObjectId b) { return a.getHandle() < b.getHandle(); }

private:
  OdDbStub* m_stub = nullptr;
};

// Ids of a block's entities: small lists from the SDK's pools.
typedef std::vector<OdDbObjectId, OdrxAllocator<OdDbObjectId>> OdDbObjectIdArray;
