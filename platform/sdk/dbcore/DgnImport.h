#pragma once
// Interface of the SDK's DGN import module "TD_DgnImport", loaded at run time: it hands out importers; an
// importer is driven through its property dictionary and converts with importDgn().
#include <RxDictionary.h>
#include <RxModule.h>

class OdDgnImport : public OdRxObject {
  ODRX_DECLARE_MEMBERS(OdDgnImport);

public:
  // Converts the design model "DesignModel" of the file "DgnPath" into a new database, answered
  // as "Database". 0 on success; 1 a general failure, 3 a file that cannot be opened, 4 a file
  // that is not a readable design file, 5 memory ran out (no database is left behind).
  virtual int importDgn() = 0;
  virtual OdRxDictionaryPtr properties() = 0;
};
typedef OdSmartPtr<OdDgnImport> OdDgnImportPtr;

class OdDgnImportModule : public OdRxModule {
  ODRX_DECLARE_MEMBERS(OdDgnImportModule);

public:
  // A new importer with no properties set, independent of every other.
  virtual OdDgnImportPtr create() = 0;
};
typedef OdSmartPtr<OdDgnImportModule> OdDgnImportModulePtr;

// Import results.
enum OdDgnImportResult { kDgnImportOk = 0, kDgnImportFailure = 1, kDgnImportBadPassword = 2,
                         kDgnImportCannotOpen = 3, kDgnImportInvalidFile = 4, kDgnImportOutOfMemory = 5 };
