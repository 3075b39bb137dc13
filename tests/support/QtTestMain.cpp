// Widgets and the host's pieces need a running Qt application: one for the whole test program,
// on the offscreen platform unless another is asked for, so that listing the cases needs no
// display either.
#include <OwnTempFolder.h>

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv)
{
  const OwnTempFolder temp;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
