#pragma once
#include "CmColor.h"
#include "DbNameIndex.h"
#include "DbObject.h"
#include "Ge.h"

#include <string>
#include <vector>

// A named record of a symbol table (a block, a layer, a line type, ...).
class OdDbSymbolTableRecord : public OdDbObject {
  ODRX_DECLARE_MEMBERS(OdDbSymbolTableRecord);

public:
  const OdString& getName() const { return m_name; }
  // Renames the record; the table that owns it looks it up by the new name from then on.
  void setName(const OdString& name);

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
  friend class OdDbSymbolTableRecord;
  static uint32_t key(const OdString& name);
  // A block named "*" and a letter ("*D", "*U") is anonymous: it is numbered on, "*D1", "*D2"...
  OdString numberedIfAnonymous(const OdString& name);
  OdDbObjectId find(uint32_t nameKey, const OdString& name, bool getErasedRecord) const;
  void renamed(OdDbObjectId id, const OdString& from, const OdString& to);

  std::vector<OdDbObjectId> m_records;
  // Positions in m_records by the hash of their upper-cased name (erased records too), so that
  // look-ups stay constant-time in tables of many thousands of blocks; a record's own name
  // settles a match.
  OdDbNameIndex m_byName;
  uint32_t m_anonymousCount = 0; // the last number an anonymous block was given
};
typedef OdSmartPtr<OdDbSymbolTable> OdDbSymbolTablePtr;

class OdDbEntity;

// A block: model space, paper space, or a definition that block references draw.
class OdDbBlockTableRecord : public OdDbSymbolTableRecord {
  ODRX_DECLARE_MEMBERS(OdDbBlockTableRecord);

public:
  // Adds the entity to this block's database, owned by this block, drawn after the others.
  OdDbObjectId appendOdDbEntity(OdDbEntity* entity);
  const OdDbObjectIdArray& entityIds() const { return m_entities; }
  // Model space or a paper space.
  bool isLayout() const;
  // Named by the drawing with "*" and a letter and a number: the graphics of a dimension ("*D1").
  bool isAnonymous() const { return !getName().isEmpty() && getName().c_str()[0] == u'*' && !isLayout(); }

  OdGePoint3d origin;

private:
  OdDbObjectIdArray m_entities;
};
typedef OdSmartPtr<OdDbBlockTableRecord> OdDbBlockTableRecordPtr;

class OdDbBlockTable : public OdDbSymbolTable {
  ODRX_DECLARE_MEMBERS(OdDbBlockTable);
};
typedef OdSmartPtr<OdDbBlockTable> OdDbBlockTablePtr;

class OdDbLayerTableRecord : public OdDbSymbolTableRecord {
  ODRX_DECLARE_MEMBERS(OdDbLayerTableRecord);

public:
  OdCmColor color = OdCmColor::fromIndex(7);
  OdDbObjectId linetype; // null: the drawing's Continuous
  int lineWeight = -3;   // the default weight
  bool isOff = false;
  bool isFrozen = false;
};
typedef OdSmartPtr<OdDbLayerTableRecord> OdDbLayerTableRecordPtr;

// A dash pattern: positive lengths draw, negative ones skip, 0 is a dot.
class OdDbLinetypeTableRecord : public OdDbSymbolTableRecord {
  ODRX_DECLARE_MEMBERS(OdDbLinetypeTableRecord);

public:
  OdString description;
  std::vector<double> dashes;
  double patternLength() const;
};
typedef OdSmartPtr<OdDbLinetypeTableRecord> OdDbLinetypeTableRecordPtr;

class OdDbTextStyleTableRecord : public OdDbSymbolTableRecord {
  ODRX_DECLARE_MEMBERS(OdDbTextStyleTableRecord);

public:
  OdString fileName = OdString("txt");
  double textSize = 0.0; // 0: not fixed
  double xScale = 1.0;
};
typedef OdSmartPtr<OdDbTextStyleTableRecord> OdDbTextStyleTableRecordPtr;

// An application whose extended data objects may hold.
class OdDbRegAppTableRecord : public OdDbSymbolTableRecord {
  ODRX_DECLARE_MEMBERS(OdDbRegAppTableRecord);
};
typedef OdSmartPtr<OdDbRegAppTableRecord> OdDbRegAppTableRecordPtr;

class OdDbLayerTable : public OdDbSymbolTable {
  ODRX_DECLARE_MEMBERS(OdDbLayerTable);
};
class OdDbLinetypeTable : public OdDbSymbolTable {
  ODRX_DECLARE_MEMBERS(OdDbLinetypeTable);
};
class OdDbTextStyleTable : public OdDbSymbolTable {
  ODRX_DECLARE_MEMBERS(OdDbTextStyleTable);
};
class OdDbRegAppTable : public OdDbSymbolTable {
  ODRX_DECLARE_MEMBERS(OdDbRegAppTable);
};
typedef OdSmartPtr<OdDbLayerTable> OdDbLayerTablePtr;
typedef OdSmartPtr<OdDbLinetypeTable> OdDbLinetypeTablePtr;
typedef OdSmartPtr<OdDbTextStyleTable> OdDbTextStyleTablePtr;
typedef OdSmartPtr<OdDbRegAppTable> OdDbRegAppTablePtr;
