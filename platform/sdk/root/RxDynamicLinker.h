#pragma once
#include "RxModule.h"

#include <memory>
#include <vector>

// Loads SDK modules ("NAME.tx") from the module folder, once each.
class OdRxDynamicLinker {
public:
  OdRxDynamicLinker();
  ~OdRxDynamicLinker();
  OdRxDynamicLinker(const OdRxDynamicLinker&) = delete;
  OdRxDynamicLinker& operator=(const OdRxDynamicLinker&) = delete;

  // `name` is a module name with or without ".tx", or a path to a module file. A loaded module is
  // returned again as it is. On failure: null when silent (lastError() says why), else OdError.
  OdRxModulePtr loadModule(const OdString& name, bool silent = true);
  // Uninitialises and deletes the module, then closes its file. False if it was not loaded or
  // is still referenced (a module's reference count says who still uses it).
  bool unloadModule(const OdString& name);
  // Unloads every module, the last loaded first, referenced or not: for the end of a process.
  void unloadAll();

  OdRxModulePtr getModule(const OdString& name) const;
  std::vector<OdRxModulePtr> loadedModules() const;

  // The folder module names are looked up in; by default the folder of the running executable.
  void setModuleFolder(const OdString& folder);
  OdString moduleFolder() const;

  // Why the last failed load failed, naming the file.
  OdString lastError() const;

  // The module whose initialisation is running on this thread, if any.
  OdRxModule* moduleBeingInitialised() const;

private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

OdRxDynamicLinker* odrxDynamicLinker();
