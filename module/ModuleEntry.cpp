// The two entry points the SDK's linker looks up in this module file.
#include "DGNImportModule.h"

#include <OdaCommon.h>

#include <new>

namespace {

typedef OdRxWin32Module<DGNImportModule, DGNImportModule> ModuleObject;

// The one module object of this file; null until created and again after deletion.
DGNImportModule* g_module = nullptr;

} // namespace

extern "C" ODRX_EXPORT OdRxModule* odrxCreateModuleObject(void*& hModule)
{
  if (g_module)
    return g_module;
  void* memory = odrxAlloc(sizeof(ModuleObject));
  try {
    g_module = new (memory) ModuleObject(hModule, &g_module);
  } catch (...) {
    odrxFree(memory);
    throw;
  }
  hModule = nullptr; // the module object holds the handle now
  return g_module;
}

extern "C" ODRX_EXPORT void odrxGetAPIVersion(int& major, int& minor, int& majorBuild, int& minorBuild)
{
  major = 23;
  minor = 1;
  majorBuild = 0;
  minorBuild = 33311;
}
