#include <InsertCommand.h>
#include <SdkThreadRegistration.h>

#include <OdError.h>
#include <ThreadsCounter.h>

#include <gtest/gtest.h>

namespace {

QString command(bool pointLater, bool rotationLater, bool scaleLater)
{
  return makeInsertCommand(CFxString("/tmp/DGNImport_temp/plan_Default_m.dwg"), {1.5e6, 0.5, 0, pointLater},
                           {0.785398163, rotationLater}, {2, scaleLater});
}

} // namespace

TEST(InsertCommand, EachChoiceNotLeftForLaterAddsItsPiecesWithCLocaleNumbers)
{
  const QString file = "_-INSERTBLOCK;/tmp/DGNImport_temp/plan_Default_m.dwg;";
  EXPECT_EQ(command(true, true, true), file);
  EXPECT_EQ(command(true, true, false), file + "_Scale;2;");
  EXPECT_EQ(command(true, false, true), file + "_Angle;0.785398r;");
  EXPECT_EQ(command(false, true, true), file + "1.5e+06,0.5,0;");
  EXPECT_EQ(command(false, false, false), file + "_Scale;2;_Angle;0.785398r;1.5e+06,0.5,0;");
  EXPECT_EQ(command(false, true, false), file + "_Scale;2;1.5e+06,0.5,0;");
  EXPECT_EQ(command(true, false, false), file + "_Scale;2;_Angle;0.785398r;");
  EXPECT_EQ(command(false, false, true), file + "_Angle;0.785398r;1.5e+06,0.5,0;");
  // Numbers have six significant digits in the C locale.
  const CFxString text = makeInsertCommand(CFxString("f.dwg"), {-0.00001, 123456789.0, 1e-4, false}, {0, false},
                                           {2000, false});
  EXPECT_EQ(text, CFxString("_-INSERTBLOCK;f.dwg;_Scale;2000;_Angle;0r;-1e-05,1.23457e+08,0.0001;"));
}

TEST(InsertCommand, TheBlockNameTakesTheFileNameUpToItsFirstDot)
{
  EXPECT_EQ(makeBlockName(CFxString("/plans/plan.rev.dgn"), CFxString("Default"), OdDb::kUnitsMeters),
            CFxString("plan_Default_m"));
  EXPECT_EQ(makeBlockName(CFxString("/plans/.hidden.dgn"), CFxString("Default"), OdDb::kUnitsMillimeters),
            CFxString("_Default_mm"));
  EXPECT_EQ(makeBlockName(CFxString("C.dgn"), CFxString("Sheet 1"), OdDb::kUnitsUndefined), CFxString("C_Sheet 1_"));
}

TEST(SdkThreadRegistration, RegistersTheThreadForItsScopeAndEndsOnAnError)
{
  ThreadsCounter& counter = odThreadsCounter();
  ASSERT_TRUE(counter.isBalanced());
  try {
    SdkThreadRegistration registration;
    EXPECT_EQ(counter.count(), 1);
    EXPECT_EQ(counter.registeredThreads(), 1u);
    EXPECT_EQ(counter.startedThreads(), 1u);
    EXPECT_EQ(counter.attributesOf(odGetCurrentThreadId()), 0xFFFFFFFFu);
    throw OdError(eNotThatKindOfClass);
  } catch (const OdError&) {
  }
  EXPECT_TRUE(counter.isBalanced());
}
