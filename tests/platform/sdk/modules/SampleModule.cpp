// A well-formed module for linker tests: registers one command and records its life cycle in
// environment-free process state the test can read through the command stack.
#include <EdCommandStack.h>
#include <RxModule.h>
#include <RxObjectImpl.h>

#include <new>

namespace {

class SampleCommand : public OdEdCommand {
public:
  const OdString groupName() const override { return OdString("TESTS"); }
  const OdString globalName() const override { return OdString("_SAMPLE"); }
  const OdString localName() const override { return OdString("SAMPLE"); }
  void execute(OdEdCommandContext*) override { ++runs; }
  int runs = 0;
};

class SampleModule : public OdRxModule {
public:
  void initApp() override { odedRegCmds()->addCommand(&m_command); }
  void uninitApp() override { odedRegCmds()->removeCmd(&m_command); }

private:
  OdStaticRxObject<SampleCommand> m_command;
};

typedef OdRxWin32Module<SampleModule> ModuleObject;
SampleModule* g_module = nullptr;

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
  major = 23;
  minor = 1;
  majorBuild = 0;
  minorBuild = 1;
}
