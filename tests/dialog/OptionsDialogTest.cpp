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

TEST_F(OptionsDialogTest, TheBoxStartsFromItsOwnMemoryAndEscapeKeepsItForTheNextTime)
{
  CDgnImportDlg dialog(&userIO, nullptr);
  child<QCheckBox>(dialog, "cbExplodeTextNode")->click();
  ASSERT_TRUE(dialog.isExplodeTextNodes());
  bool wasChecked = true;
  QString title;
  openOptions(dialog, [&](CDgnImportOptionsDlg& options) {
    wasChecked = box(options)->isChecked();
    title = options.windowTitle();
    close(options);
  });
  EXPECT_FALSE(wasChecked) << "not from the main form";
  EXPECT_EQ(title, "Options");
  EXPECT_FALSE(dialog.isExplodeTextNodes()) << "the closed box's state is taken over";
  EXPECT_TRUE(child<QCheckBox>(dialog, "cbExplodeTextNode")->isChecked()) << "the main form's box is left alone";

  openOptions(dialog, [](CDgnImportOptionsDlg& options) {
    box(options)->click();
    QTest::keyClick(&options, Qt::Key_Escape);
  });
  EXPECT_TRUE(dialog.isExplodeTextNodes());
  EXPECT_EQ(rememberedImportOptions(), 1u);
  openOptions(dialog, [&](CDgnImportOptionsDlg& options) {
    wasChecked = box(options)->isChecked();
    box(options)->click();
    close(options);
  });
  EXPECT_TRUE(wasChecked);
  EXPECT_FALSE(dialog.isExplodeTextNodes());
  EXPECT_EQ(rememberedImportOptions(), 0u);
}

} // namespace
