#pragma once
#include "DbDimension.h"
#include "DbEntities.h"
#include "DbHatch.h"
#include "DbStubPages.h"
#include "DbSymbolTable.h"

#include <unordered_map>

class OdStreamBuf;

// A drawing: its objects by handle, its block table (with model and paper space) and its header
// values.
class OdDbDatabase : public OdRxObject {
  ODRX_DECLARE_MEMBERS(OdDbDatabase);

public:
  OdDbDatabase();
  ~OdDbDatabase() override;

  OdDbObjectId getBlockTableId() const { return m_blockTableId; }
  OdDbObjectId getModelSpaceId() const { return m_modelSpaceId; }
  OdDbObjectId getPaperSpaceId() const { return m_paperSpaceId; }
  OdDbObjectId getLayerTableId() const { return m_layerTableId; }
  OdDbObjectId getLinetypeTableId() const { return m_linetypeTableId; }
  OdDbObjectId getTextStyleTableId() const { return m_textStyleTableId; }
  OdDbObjectId getRegAppTableId() const { return m_regAppTableId; }
  OdDbObjectId getLayerZeroId() const { return m_layerZeroId; }
  OdDbObjectId getLinetypeByLayerId() const { return m_byLayerId; }
  OdDbObjectId getLinetypeByBlockId() const { return m_byBlockId; }
  OdDbObjectId getLinetypeContinuousId() const { return m_continuousId; }
  OdDbObjectId getTextStyleStandardId() const { return m_standardStyleId; }

  // Gives the object a handle in this database, owned by ownerId.
  OdDbObjectId addObject(OdDbObject* object, OdDbObjectId ownerId = OdDbObjectId());
  // The id for a handle, null if no object has it.
  OdDbObjectId getOdDbObjectId(OdDbHandle handle) const;
  OdDbHandle handseed() const { return m_stubs.next(); }

  // Registers an application, whose name extended data may then carry (see OdDbObject::setXData):
  // true when added, false when the drawing has it already. A new drawing has "ACAD".
  bool newRegApp(const OdString& applicationName);

  OdDb::UnitsValue getInsertionUnits() const { return m_insertionUnits; }
  void setInsertionUnits(OdDb::UnitsValue units);

  // Writes the drawing to the stream as ASCII DXF of release AC1032, whatever the save type
  // (kDwg or kDxf): there is no DWG writer. Other versions raise OdError(eNotImplementedYet), a
  // null stream OdError(eInvalidInput); the stream's own errors pass through. dxfPrecision is
  // the number of significant digits of reals, 16 and more meaning the shortest exact form.
  // No thumbnail is written.
  void writeFile(OdStreamBuf* stream, OdDb::SaveType type, OdDb::DwgVersion version, bool saveThumbnail = false,
                 int dxfPrecision = 16);

  // Copies the model space of `source` into a new block named blockName of this drawing, with
  // the layers, line types, text styles and blocks its entities use; records of those names
  // that this drawing has already are used as they are. Returns the new block's id; raises
  // OdError(eDuplicateKey) when the drawing has a block of that name. The source is left as it
  // was.
  OdDbObjectId insert(const OdString& blockName, OdDbDatabase* source, bool preserveSourceDatabase = true);

private:
  friend class DatabaseInserter;
  friend class OdDbObject; // keeps its extended data here
  // A copy of an object is not in any database yet.
  static void forgetId(OdDbObject* copy) { copy->m_id = OdDbObjectId(); }

  OdDbStubPages m_stubs{this}; // ids point into it
  OdDbObjectId m_blockTableId;
  OdDbObjectId m_modelSpaceId;
  OdDbObjectId m_paperSpaceId;
  OdDbObjectId m_layerTableId, m_linetypeTableId, m_textStyleTableId, m_regAppTableId;
  OdDbObjectId m_layerZeroId, m_byLayerId, m_byBlockId, m_continuousId, m_standardStyleId;
  OdDb::UnitsValue m_insertionUnits = OdDb::kUnitsUndefined;
  // Extended data by the handle of its object: few objects have any, and the others pay nothing.
  std::unordered_map<OdDbHandle, OdResBufPtr> m_xdata;
};
typedef OdSmartPtr<OdDbDatabase> OdDbDatabasePtr;

// Services the application hands to the SDK and its modules; among them, making the databases
// they fill, of the application's own database class.
class OdDbHostAppServices : public OdRxObject {
  ODRX_DECLARE_MEMBERS(OdDbHostAppServices);

public:
  virtual OdDbDatabasePtr createDatabase() const;
  // The application's name, as message box captions show it.
  virtual OdString product() const;
  // The FILEDIA setting: 1 when file prompts show a file dialog, 0 when they ask on the command
  // line.
  virtual int getFILEDIA() const;
};
typedef OdSmartPtr<OdDbHostAppServices> OdDbHostAppServicesPtr;
