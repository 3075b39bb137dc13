#include "DialogTestSupport.h"

#include <CDgnImportOptionsDlg.h>

#include <QTest>

namespace {

class OptionsDialogTest : public DialogTest {
protected:
  // Opens the options dialog from the import dialog's meta-object, as a host would, and lets
  // `act` work on it once it is up.
  void openOptions(CDgnImportDlg& dialog, std::function<void(CDgnImportOptionsDlg&)> act)
  {
    QTimer::singleShot(0, [act] {
      auto* options = qobject_cast<CDgnImportOptionsDlg*>(QApplication::activeModalWidget());
      ASSERT_NE(options, nullptr);
      act(*options);
    });
    ASSERT_TRUE(QMetaObject::invokeMethod(&dialog, "options_clicked"));
  }
  static QCheckBox* box(CDgnImportOptionsDlg& options) { return child<QCheckBox>(options, "cbExplodeTextNode"); }
  static void close(CDgnImportOptionsDlg& options)
  {
    child<QDialogButtonBox>(options, "buttonBox")->button(QDialogButtonBox::Close)->click();
  }
};

TEST_F(OptionsDialogTest, TheBoxKeepsItsOwnMemoryHoweverItIsClosedAndLeavesTheMainFormAlone)
{
  CDgnImportDlg dialog(&userIO, nullptr);
  child<QCheckBox>(dialog, "cbExplodeTextNode")->click();
  ASSERT_TRUE(dialog.isExplodeTextNodes());
  QString title;
  std::vector<bool> wasChecked;
  for (const bool escape : {true, false}) {
    openOptions(dialog, [&](CDgnImportOptionsDlg& options) {
      wasChecked.push_back(box(options)->isChecked());
      title = options.windowTitle();
      box(options)->click();
      if (escape)
        QTest::keyClick(&options, Qt::Key_Escape);
      else
        close(options);
    });
    EXPECT_EQ(dialog.isExplodeTextNodes(), escape) << "the closed box's state is taken over";
    EXPECT_EQ(rememberedImportOptions(), escape ? 1u : 0u);
  }
  EXPECT_EQ(title, "Options");
  EXPECT_EQ(wasChecked, (std::vector<bool>{false, true})) << "the first box of a process is unchecked";
  EXPECT_TRUE(child<QCheckBox>(dialog, "cbExplodeTextNode")->isChecked()) << "the main form's box is left alone";
}

} // namespace
