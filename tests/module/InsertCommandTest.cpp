#include <InsertCommand.h>
#include <SdkThreadRegistration.h>

#include <OdError.h>
#include <ThreadsCounter.h>

#include <gtest/gtest.h>

TEST(InsertCommand, EachChoiceNotLeftForLaterAddsItsPiecesWithCLocaleNumbers)
{
  for (int later = 0; later < 8; ++later) {
    const bool point = later & 1, rotation = later & 2, scale = later & 4;
    SCOPED_TRACE(later);
    const QString command =
      makeInsertCommand(CFxString("/tmp/plan_Default_m.dwg"), {1.5e6, 0.5, 0, point}, {0.785398163, rotation}, {2, scale});
    EXPECT_EQ(command, QString("_-INSERTBLOCK;/tmp/plan_Default_m.dwg;") + (scale ? "" : "_Scale;2;") +
                         (rotation ? "" : "_Angle;0.785398r;") + (point ? "" : "1.5e+06,0.5,0;"));
  }
  // Numbers have six significant digits in the C locale.
  const CFxString text = makeInsertCommand(CFxString("f.dwg"), {-0.00001, 123456789.0, 1e-4, false}, {0, false},
                                           {2000, false});
  EXPECT_EQ(text, CFxString("_-INSERTBLOCK;f.dwg;_Scale;2000;_Angle;0r;-1e-05,1.23457e+08,0.0001;"));
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
