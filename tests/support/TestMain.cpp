// The main of the test programs that need no Qt application.
#include <OwnTempFolder.h>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
  const OwnTempFolder temp;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
