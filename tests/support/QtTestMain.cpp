// Widgets and the host's pieces need a running Qt application: one for the whole test program.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
