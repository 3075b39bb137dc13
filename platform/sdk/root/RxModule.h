#pragma once
#include "RxObject.h"

#include <WinPort.h>

#include <atomic>

// A loadable unit of the SDK. The linker creates it through the module file's entry point, then
// initialises it; unloading uninitialises it and asks it to delete itself.
class OdRxModule : public OdRxObject {
  ODRX_DECLARE_MEMBERS(OdRxModule);

public:
  // The system handle of the loaded module file.
  virtual void* sysData() = 0;
  virtual void deleteModule() = 0;
  virtual void initApp() = 0;
  virtual void uninitApp() = 0;
  virtual OdString moduleName() const = 0;
};

typedef OdSmartPtr<OdRxModule> OdRxModulePtr;

// The form a module's entry point creates: an atomic counter that never destroys the object
// (the linker decides when a module goes), the module file's handle, and the module file name.
// `modulePointer` is the module file's one process-wide module pointer, cleared on deletion.
template <class TBase, class TModule = TBase>
class OdRxWin32Module : public TBase {
public:
  OdRxWin32Module(HMODULE hModule, TModule** modulePointer) : m_hModule(hModule), m_modulePointer(modulePointer) {}

  void addRef() override { m_nRefs.fetch_add(1, std::memory_order_relaxed); }
  void release() override { m_nRefs.fetch_sub(1, std::memory_order_relaxed); }
  long numRefs() const override { return m_nRefs.load(std::memory_order_acquire); }
  void* sysData() override { return m_hModule; }

  void deleteModule() override
  {
    *m_modulePointer = nullptr;
    this->~OdRxWin32Module();
    odrxFree(this);
  }

  OdString moduleName() const override
  {
    WCHAR path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(m_hModule, path, MAX_PATH);
    return OdString(path, n);
  }

private:
  std::atomic<OdInt32> m_nRefs{0};
  HMODULE m_hModule;
  TModule** m_modulePointer;
};

// Signatures of a module file's two entry points (exported with C linkage).
typedef void (*OdrxGetAPIVersionFn)(int& major, int& minor, int& majorBuild, int& minorBuild);
typedef OdRxModule* (*OdrxCreateModuleObjectFn)(void*& hModule);

// The SDK release modules must be built for.
constexpr int kOdrxApiMajor = 23;
constexpr int kOdrxApiMinor = 1;
