#pragma once
// The two entry points of a stand-in module file whose module object is a plain
// OdRxWin32Module<ModuleClass>: the object is made once, in SDK memory, and its pointer is
// cleared when the linker deletes it. Write the macro once, outside any namespace.
#include <OdaCommon.h>
#include <RxModule.h>

#include <new>

#define ODRX_STANDIN_MODULE_ENTRY(ModuleClass)                                                          \
  namespace {                                                                                           \
  ModuleClass* g_entryModule = nullptr;                                                                 \
  }                                                                                                     \
  extern "C" ODRX_EXPORT OdRxModule* odrxCreateModuleObject(void*& hModule)                             \
  {                                                                                                     \
    using Object = OdRxWin32Module<ModuleClass>;                                                        \
    if (!g_entryModule) {                                                                               \
      g_entryModule = new (odrxAlloc(sizeof(Object))) Object(hModule, &g_entryModule);                  \
      hModule = nullptr;                                                                                \
    }                                                                                                   \
    return g_entryModule;                                                                               \
  }                                                                                                     \
  extern "C" ODRX_EXPORT void odrxGetAPIVersion(int& major, int& minor, int& majorBuild, int& minorBuild) \
  {                                                                                                     \
    major = kOdrxApiMajor;                                                                              \
    minor = kOdrxApiMinor;                                                                              \
    majorBuild = 0;                                                                                     \
    minorBuild = 1;                                                                                     \
  }
