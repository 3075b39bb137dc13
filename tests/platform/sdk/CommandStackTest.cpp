#include "LiveCounts.h"

#include <EdCommandStack.h>
#include <OdError.h>
#include <RxObjectImpl.h>

namespace {

class NamedCommand : public OdEdCommand {
public:
  NamedCommand(const char* global, const char* local, const char* group = "TESTS")
    : m_global(global), m_local(local), m_group(group)
  {
  }
  const OdString groupName() const override { return m_group; }
  const OdString globalName() const override { return m_global; }
  const OdString localName() const override { return m_local; }
  void execute(OdEdCommandContext*) override {}

private:
  OdString m_global, m_local, m_group;
};

// Leaves the process-wide stack as it found it, whatever the test did.
class CommandStack : public LiveCountsTest {
protected:
  void TearDown() override
  {
    for (OdEdCommand* c : {static_cast<OdEdCommand*>(&importer), static_cast<OdEdCommand*>(&other)})
      odedRegCmds()->removeCmd(c);
    LiveCountsTest::TearDown();
  }
  OdStaticRxObject<NamedCommand> importer{"_IMPORTTEST", "IMPORTIEREN"};
  OdStaticRxObject<NamedCommand> other{"_OTHER", "ANDERE"};
};

} // namespace

TEST_F(CommandStack, LooksUpByEitherNameIgnoringCaseRefusesTwinsInAGroupAndRemovesExactlyTheGivenCommand)
{
  OdEdCommandStackPtr stack = odedRegCmds();
  ASSERT_FALSE(stack.isNull());
  const size_t before = stack->commands().size();
  stack->addCommand(&importer);
  stack->addCommand(&other);
  EXPECT_EQ(stack->commands().size(), before + 2);
  for (const char* name : {"_IMPORTTEST", "_importtest", "Importieren"})
    EXPECT_EQ(stack->lookupCmd(OdString(name)).get(), &importer) << name;
  EXPECT_EQ(stack->lookupCmd(OdString("andere")).get(), &other);
  EXPECT_TRUE(stack->lookupCmd(OdString("IMPORT")).isNull()) << "no prefix matching";
  EXPECT_EQ(odedRegCmds().get(), stack.get()) << "one stack per process";
  EXPECT_EQ(importer.module(), nullptr) << "added outside a module";

  OdStaticRxObject<NamedCommand> twin("_importtest", "X"), otherGroup("_IMPORTTEST", "Y", "ELSEWHERE");
  EXPECT_EQ(errorOf([&] { stack->addCommand(&twin); }), eDuplicateKey);
  EXPECT_THROW(stack->addCommand(nullptr), OdError);
  EXPECT_NO_THROW(stack->addCommand(&otherGroup));
  EXPECT_TRUE(stack->removeCmd(&otherGroup));

  EXPECT_TRUE(stack->removeCmd(&importer));
  EXPECT_FALSE(stack->removeCmd(&importer)) << "already gone";
  EXPECT_TRUE(stack->lookupCmd(OdString("IMPORTIEREN")).isNull());
  EXPECT_EQ(stack->lookupCmd(OdString("_OTHER")).get(), &other);
  EXPECT_TRUE(stack->removeCmd(OdString("tests"), OdString("_other")));
  EXPECT_EQ(stack->commands().size(), before);
}
