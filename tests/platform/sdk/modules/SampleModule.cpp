// A well-formed module for linker tests: registers one command and records its life cycle in
// environment-free process state the test can read through the command stack.
#include <EdCommandStack.h>
#include <RxModuleEntry.h>
#include <RxModule.h>
#include <RxObjectImpl.h>

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

} // namespace

ODRX_STANDIN_MODULE_ENTRY(SampleModule)
