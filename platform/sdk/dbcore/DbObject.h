#pragma once
#include "DbObjectId.h"

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

private:
  friend class OdDbDatabase;
  OdDbObjectId m_id;
  OdDbObjectId m_ownerId;
  bool m_erased = false;
};
