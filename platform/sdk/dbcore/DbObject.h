#pragma once
#include "DbObjectId.h"
#include "ResBuf.h"

// An object that lives in a database.
class OdDbObject : public OdRxObject {
  ODRX_DECLARE_MEMBERS(OdDbObject);

public:
  OdDbObjectId objectId() const { return m_id; }
  OdDbObjectId ownerId() const { return m_ownerId; }
  OdDbDatabase* database() const { return m_id.database(); }
  OdDbHandle getHandle() const { return m_id.getHandle(); }

  bool isErased() const { return m_erased; }
  // Erases (or, with false, un-erases) the object; it keeps its id.
  virtual void erase(bool eraseIt = true) { m_erased = eraseIt; }

  // Extended data: for each application the object has data of, a kDxfRegAppName buffer with the
  // application's name followed by its values (kDxfXdAsciiString, kDxfXdReal, kDxfXdInteger16,
  // kDxfXdInteger32). A copy, of the named application's data only when one is named; null when
  // there is none.
  OdResBufPtr xData(const OdString& regappName = OdString()) const;
  // Replaces the data of each application the chain names; one named without values loses its
  // data. The object must be in a database that has registered the applications (see
  // OdDbDatabase::newRegApp): else OdError(eNoDatabase) or OdError(eRegappIdNotFound), and
  // OdError(eInvalidResBuf) for a chain that starts with no application or holds other values.
  void setXData(const OdResBuf* xdata);
  // The extended data as it is kept, without a copy: for the SDK's own writers, which hold the
  // database still while they walk every object.
  const OdResBuf* peekXData() const;

private:
  friend class OdDbDatabase;
  OdDbObjectId m_id;
  OdDbObjectId m_ownerId;
  bool m_erased = false;
};
