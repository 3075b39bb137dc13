#include "LiveCounts.h"

#include <EdCommandStack.h>
#include <OdError.h>
#include <RxDynamicLinker.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string kModules = DGN_TEST_MODULE_DIR;

bool contains(const OdString& text, const std::string& part)
{
  return text.toUtf8().find(part) != std::string::npos;
}

class Linker : public LiveCountsTest {
protected:
  void SetUp() override
  {
    LiveCountsTest::SetUp();
    m_folder = odrxDynamicLinker()->moduleFolder();
    odrxDynamicLinker()->setModuleFolder(OdString(kModules.c_str()));
  }
  void TearDown() override
  {
    odrxDynamicLinker()->unloadAll();
    odrxDynamicLinker()->setModuleFolder(m_folder);
    LiveCountsTest::TearDown();
  }

  OdString m_folder;
};

} // namespace

TEST_F(Linker, LoadsByNameOnceInitialisesRegistersTheModulesCommandAndUnloadsOnlyWhenNoLongerHeld)
{
  const OdString name("SampleModule");
  OdRxModulePtr module = odrxDynamicLinker()->loadModule(name);
  ASSERT_FALSE(module.isNull()) << odrxDynamicLinker()->lastError().toUtf8();
  EXPECT_EQ(module->moduleName().toUtf8(), kModules + "/SampleModule.tx");
  EXPECT_NE(module->sysData(), nullptr);

  EXPECT_EQ(odrxDynamicLinker()->loadModule(OdString("SampleModule.tx")), module);
  EXPECT_EQ(odrxDynamicLinker()->loadModule(OdString((kModules + "/SampleModule.tx").c_str())), module);
  EXPECT_EQ(odrxDynamicLinker()->loadedModules().size(), 1u);
  EXPECT_EQ(odedRegCmds()->commands().size(), 1u) << "initialised once";

  EXPECT_FALSE(odrxDynamicLinker()->unloadModule(name)) << "a referenced module stays";
  EXPECT_TRUE(contains(odrxDynamicLinker()->lastError(), "still in use"));
  module = nullptr;
  ASSERT_TRUE(odrxDynamicLinker()->unloadModule(name));
  EXPECT_TRUE(odedRegCmds()->lookupCmd(OdString("_SAMPLE")).isNull());
  EXPECT_TRUE(odrxDynamicLinker()->getModule(name).isNull());
  EXPECT_FALSE(odrxDynamicLinker()->unloadModule(name));

  // A reload makes and initialises a new module.
  module = odrxDynamicLinker()->loadModule(name);
  ASSERT_FALSE(module.isNull());
  EXPECT_NE(module->sysData(), nullptr);
  EXPECT_FALSE(odedRegCmds()->lookupCmd(OdString("_SAMPLE")).isNull());
}

TEST_F(Linker, RefusesModulesOfAnotherReleaseWithoutEntryPointNotLibrariesAndMissingFiles)
{
  const std::string garbage = ::testing::TempDir() + "/Garbage.tx";
  std::ofstream(garbage) << "this is not a shared library\n";
  const std::pair<std::string, std::vector<std::string>> cases[] = {
    {"OldVersion", {"\"OldVersion.tx\"", "22.0"}},
    {"NoEntryPoint", {"odrxCreateModuleObject"}},
    {garbage, {"not a loadable library"}},
    {"NoSuchModule", {"\"NoSuchModule.tx\"", "no such module file"}},
  };
  for (const auto& [name, parts] : cases) {
    EXPECT_TRUE(odrxDynamicLinker()->loadModule(OdString(name.c_str())).isNull()) << name;
    const OdString why = odrxDynamicLinker()->lastError();
    for (const std::string& part : parts)
      EXPECT_TRUE(contains(why, part)) << why.toUtf8();
  }
  std::remove(garbage.c_str());
  EXPECT_TRUE(odrxDynamicLinker()->loadedModules().empty());
  try {
    odrxDynamicLinker()->loadModule(OdString("OldVersion"), false);
    FAIL() << "a loud load must raise";
  } catch (const OdError& e) {
    EXPECT_EQ(e.code(), eDLLNotFound);
    EXPECT_TRUE(contains(e.description(), "22.0")) << e.description().toUtf8();
  }
}
