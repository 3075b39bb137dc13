// Entry points of the module file TD_DgnImport.tx.
#include "DgnImporter.h"

#include <RxModuleEntry.h>
#include <RxObjectImpl.h>

namespace {

class DgnImportModule : public OdDgnImportModule {
public:
  void initApp() override {}
  void uninitApp() override {}
  OdDgnImportPtr create() override { return OdRxObjectImpl<dgn::DgnImporter, OdDgnImport>::createObject(); }
};

} // namespace

ODRX_STANDIN_MODULE_ENTRY(DgnImportModule)
