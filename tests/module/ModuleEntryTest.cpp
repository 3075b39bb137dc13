// The module file's entry points, called directly as a loader would, without the linker.
#include <CFxCommand.h>
#include <EdCommandStack.h>
#include <RxModule.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

const std::string kModulePath = std::string(DGN_BIN_DIR) + "/DGNImport_23.1_16.tx";

class ModuleEntry : public ::testing::Test {
protected:
  void SetUp() override
  {
    m_handle = dlopen(kModulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(m_handle, nullptr) << dlerror();
    create = reinterpret_cast<OdrxCreateModuleObjectFn>(dlsym(m_handle, "odrxCreateModuleObject"));
    ASSERT_NE(create, nullptr);
  }
  void TearDown() override
  {
    if (m_module)
      m_module->deleteModule();
    if (m_handle)
      dlclose(m_handle);
  }
  OdRxModule* createModule()
  {
    void* handle = m_handle;
    m_module = create(handle);
    EXPECT_EQ(handle, nullptr) << "the module object takes over the handle";
    return m_module;
  }

  void* m_handle = nullptr;
  OdRxModule* m_module = nullptr;
  OdrxCreateModuleObjectFn create = nullptr;
};

OdEdCommand* registeredImportCommand()
{
  return odedRegCmds()->lookupCmd(OdString("_IMPORTDGN")).get();
}

} // namespace

// The SDK release the module reports is checked by the linker as the module loads (ModuleLoadingTest).
TEST_F(ModuleEntry, CreatesOneObjectUntilItsDeletionThatCountingNeverDestroys)
{
  OdRxModule* first = createModule();
  ASSERT_NE(first, nullptr);
  void* callersHandle = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(create(callersHandle), first);
  EXPECT_EQ(callersHandle, reinterpret_cast<void*>(0x1234)) << "a second creation keeps the caller's handle";
  EXPECT_EQ(first->sysData(), m_handle);
  EXPECT_EQ(first->moduleName().toUtf8(), kModulePath);
  EXPECT_EQ(first->numRefs(), 0);
  first->addRef();
  for (int i = 0; i < 2; ++i)
    first->release(); // below zero: still alive
  EXPECT_EQ(first->numRefs(), -1);
  EXPECT_EQ(first->isA(), OdRxModule::desc());
  EXPECT_TRUE(OdRxModule::cast(first).get() == first);

  first->deleteModule();
  EXPECT_NE(createModule(), nullptr) << "a new object, which takes the handle again";
}

TEST_F(ModuleEntry, InitialisationAddsTheCommandWithItsNamesAndFlagAndUninitialisationRemovesIt)
{
  OdRxModule* module = createModule();
  ASSERT_EQ(registeredImportCommand(), nullptr);
  module->initApp();
  OdEdCommand* command = registeredImportCommand();
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(command->localName(), OdString("IMPORTDGN")) << "no translation installed";
  EXPECT_EQ(command->flags() & 0x2000000, 0x2000000);
  // The command is part of the module object: releasing it more often than it was referenced
  // must neither destroy it nor change the count of live objects.
  const long live = odrxLiveObjectCount();
  command->addRef();
  for (int i = 0; i < 3; ++i)
    command->release();
  EXPECT_EQ(odrxLiveObjectCount(), live);
  EXPECT_EQ(registeredImportCommand(), command);
  EXPECT_EQ(command->globalName(), OdString("_IMPORTDGN"));
  module->uninitApp();
  EXPECT_EQ(registeredImportCommand(), nullptr);
}
