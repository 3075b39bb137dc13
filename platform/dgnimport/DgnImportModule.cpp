// Entry points of the module file TD_DgnImport.tx.
#include "DgnImporter.h"

#include <RxObjectImpl.h>

#include <new>

namespace {

class DgnImportModule : public OdDgnImportModule {
public:
  void initApp() override {}
  void uninitApp() override {}
  OdDgnImportPtr create() override { return OdRxObjectImpl<dgn::DgnImporter, OdDgnImport>::createObject(); }
};

typedef OdRxWin32Module<DgnImportModule> ModuleObject;
DgnImportModule* g_module = nullptr;

} // namespace

extern "C" ODRX_EXPORT OdRxModule* odrxCreateModuleObject(void*& hModule)
{
  if (!g_module) {
    g_module = new (odrxAlloc(sizeof(ModuleObject))) ModuleObject(hModule, &g_module);
    hModule = nullptr;
  }
  return g_module;
}

extern "C" ODRX_EXPORT void odrxGetAPIVersion(int& major, int& minor, int& majorBuild, int& minorBuild)
{
  major = kOdrxApiMajor;
  minor = kOdrxApiMinor;
  majorBuild = 0;
  minorBuild = 1;
}
