#pragma once
#include "DbObject.h"

#include <vector>

// A named record of a symbol table (a block, a layer, a line type, ...).
class OdDbSymbolTableRecord : public OdDbObject {
  ODRX_DECLARE_MEMBERS(OdDbSymbolTableRecord);

public:
  const OdString& getName() const { return m_name; }
  void setName(const OdString& name) { m_name = name; }

private:
  OdString m_name;
};
typedef OdSmartPtr<OdDbSymbolTableRecord> OdDbSymbolTableRecordPtr;

// Records looked up by name, ignoring case as DWG names do.
class OdDbSymbolTable : public OdDbObject {
  ODRX_DECLARE_MEMBERS(OdDbSymbolTable);

public:
  // The id of the record named `name`; erased records are skipped unless getErasedRecord is true.
  // A null id when there is none.
  OdDbObjectId getAt(const OdString& name, bool getErasedRecord = false) const;
  bool has(const OdString& name) const { return !getAt(name).isNull(); }
  // Adds a record to the table's database and to the table; raises OdError(eDuplicateKey) when a
  // record that is not erased already has its name.
  OdDbObjectId add(OdDbSymbolTableRecord* record);
  const std::vector<OdDbObjectId>& recordIds() const { return m_records; }

private:
  std::vector<OdDbObjectId> m_records;
};
typedef OdSmartPtr<OdDbSymbolTable> OdDbSymbolTablePtr;

class OdDbBlockTableRecord : public OdDbSymbolTableRecord {
  ODRX_DECLARE_MEMBERS(OdDbBlockTableRecord);
};
typedef OdSmartPtr<OdDbBlockTableRecord> OdDbBlockTableRecordPtr;

class OdDbBlockTable : public OdDbSymbolTable {
  ODRX_DECLARE_MEMBERS(OdDbBlockTable);
};
typedef OdSmartPtr<OdDbBlockTable> OdDbBlockTablePtr;
