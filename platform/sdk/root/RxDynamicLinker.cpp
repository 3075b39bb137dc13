#include "RxDynamicLinker.h"

#include "OdError.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <string>

namespace {

thread_local OdRxModule* t_moduleBeingInitialised = nullptr;

struct LoadedModule {
  std::string path;
  void* handle;
  OdRxModule* module;
};

std::string executableFolder()
{
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0)
    return ".";
  std::string path(buffer, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool endsWith(const std::string& s, const std::string& suffix)
{
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string fileName(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Restores the "being initialised" marker however initialisation ends.
class InitialisationScope {
public:
  explicit InitialisationScope(OdRxModule* module) : m_previous(t_moduleBeingInitialised)
  {
    t_moduleBeingInitialised = module;
  }
  ~InitialisationScope() { t_moduleBeingInitialised = m_previous; }

private:
  OdRxModule* m_previous;
};

} // namespace

struct OdRxDynamicLinker::Impl {
  mutable std::recursive_mutex mutex;
  std::string folder = executableFolder();
  std::vector<LoadedModule> modules;
  OdString lastError;

  std::string resolve(const OdString& name) const
  {
    std::string path = name.toUtf8();
    if (path.find('/') == std::string::npos)
      path = folder + "/" + path;
    if (!endsWith(path, ".tx"))
      path += ".tx";
    char real[PATH_MAX];
    return realpath(path.c_str(), real) ? std::string(real) : path;
  }

  std::vector<LoadedModule>::iterator find(const std::string& path)
  {
    return std::find_if(modules.begin(), modules.end(), [&](const LoadedModule& m) { return m.path == path; });
  }

  static void unload(const LoadedModule& m)
  {
    m.module->uninitApp();
    m.module->deleteModule();
    dlclose(m.handle);
  }

  // Returns the module or sets lastError.
  OdRxModule* load(const std::string& path);
  OdRxModule* fail(const std::string& path, const std::string& reason, void* handle = nullptr)
  {
    if (handle)
      dlclose(handle);
    lastError = OdString(("Cannot load module \"" + fileName(path) + "\": " + reason + ".").c_str());
    return nullptr;
  }
};

OdRxModule* OdRxDynamicLinker::Impl::load(const std::string& path)
{
  if (access(path.c_str(), F_OK) != 0)
    return fail(path, "no such module file in " + path.substr(0, path.rfind('/')));
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    return fail(path, std::string("not a loadable library (") + (why ? why : "unknown reason") + ")");
  }
  auto getVersion = reinterpret_cast<OdrxGetAPIVersionFn>(dlsym(handle, "odrxGetAPIVersion"));
  if (!getVersion)
    return fail(path, "no entry point odrxGetAPIVersion", handle);
  int major = 0, minor = 0, majorBuild = 0, minorBuild = 0;
  getVersion(major, minor, majorBuild, minorBuild);
  if (major != kOdrxApiMajor || minor != kOdrxApiMinor)
    return fail(path,
                "built for SDK " + std::to_string(major) + "." + std::to_string(minor) + ", this host runs " +
                  std::to_string(kOdrxApiMajor) + "." + std::to_string(kOdrxApiMinor),
                handle);
  auto create = reinterpret_cast<OdrxCreateModuleObjectFn>(dlsym(handle, "odrxCreateModuleObject"));
  if (!create)
    return fail(path, "no entry point odrxCreateModuleObject", handle);

  void* moduleHandle = handle;
  OdRxModule* module = nullptr;
  try {
    module = create(moduleHandle);
  } catch (const std::bad_alloc&) {
    return fail(path, "out of memory while creating the module object", handle);
  }
  if (!module)
    return fail(path, "its entry point created no module object", handle);

  modules.push_back({path, handle, module});
  try {
    InitialisationScope scope(module);
    module->initApp();
  } catch (const OdError& e) {
    modules.pop_back();
    module->deleteModule();
    return fail(path, "initialisation failed: " + e.description().toUtf8(), handle);
  }
  return module;
}

OdRxDynamicLinker::OdRxDynamicLinker() : m_impl(std::make_unique<Impl>()) {}

// Modules still loaded at process exit stay mapped: their static objects may still be in use.
OdRxDynamicLinker::~OdRxDynamicLinker() = default;

OdRxModulePtr OdRxDynamicLinker::loadModule(const OdString& name, bool silent)
{
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  const std::string path = m_impl->resolve(name);
  auto it = m_impl->find(path);
  if (it != m_impl->modules.end())
    return OdRxModulePtr(it->module);
  OdRxModule* module = m_impl->load(path);
  if (!module && !silent)
    throw OdError(eDLLNotFound, m_impl->lastError);
  return OdRxModulePtr(module);
}

bool OdRxDynamicLinker::unloadModule(const OdString& name)
{
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  auto it = m_impl->find(m_impl->resolve(name));
  if (it == m_impl->modules.end())
    return false;
  if (it->module->numRefs() > 0) {
    m_impl->lastError = OdString(("Module \"" + fileName(it->path) + "\" is still in use.").c_str());
    return false;
  }
  const LoadedModule m = *it;
  m_impl->modules.erase(it);
  Impl::unload(m);
  return true;
}

void OdRxDynamicLinker::unloadAll()
{
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  while (!m_impl->modules.empty()) {
    const LoadedModule m = m_impl->modules.back();
    m_impl->modules.pop_back();
    Impl::unload(m);
  }
}

OdRxModulePtr OdRxDynamicLinker::getModule(const OdString& name) const
{
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  auto it = m_impl->find(m_impl->resolve(name));
  return it == m_impl->modules.end() ? OdRxModulePtr() : OdRxModulePtr(it->module);
}

std::vector<OdRxModulePtr> OdRxDynamicLinker::loadedModules() const
{
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  std::vector<OdRxModulePtr> result;
  for (const LoadedModule& m : m_impl->modules)
    result.emplace_back(m.module);
  return result;
}

void OdRxDynamicLinker::setModuleFolder(const OdString& folder)
{
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  m_impl->folder = folder.toUtf8();
}

OdString OdRxDynamicLinker::moduleFolder() const
{
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  return OdString(m_impl->folder.c_str());
}

OdString OdRxDynamicLinker::lastError() const
{
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  return m_impl->lastError;
}

OdRxModule* OdRxDynamicLinker::moduleBeingInitialised() const
{
  return t_moduleBeingInitialised;
}

OdRxDynamicLinker* odrxDynamicLinker()
{
  static OdRxDynamicLinker s_linker;
  return &s_linker;
}
