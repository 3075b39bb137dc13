#include "DialogTestSupport.h"

#include <CDgnImportOptionsDlg.h>

namespace {

class OptionsDialogTest : public DialogTest {};

TEST_F(OptionsDialogTest, TheBoxKeepsItsOwnMemoryHoweverItIsClosedAndLeavesTheMainFormAlone)
{
  CDgnImportDlg dialog(&userIO, nullptr);
  child<QCheckBox>(dialog, "cbExplodeTextNode")->click();
  ASSERT_TRUE(dialog.isExplodeTextNodes());
  QString title;
  std::vector<bool> wasChecked;
  for (const bool escape : {true, false}) {
    // Opened from the import dialog's meta-object, as a host would.
    actOnNextModal<CDgnImportOptionsDlg>([&](CDgnImportOptionsDlg& options) {
      auto* box = child<QCheckBox>(options, "cbExplodeTextNode");
      wasChecked.push_back(box->isChecked());
      title = options.windowTitle();
      box->click();
      if (escape)
        QTest::keyClick(&options, Qt::Key_Escape);
      else
        button(options, QDialogButtonBox::Close)->click();
    });
    ASSERT_TRUE(QMetaObject::invokeMethod(&dialog, "options_clicked"));
    EXPECT_EQ(dialog.isExplodeTextNodes(), escape) << "the closed box's state is taken over";
    EXPECT_EQ(rememberedImportOptions(), escape ? 1u : 0u);
  }
  EXPECT_EQ(title, "Options");
  EXPECT_EQ(wasChecked, (std::vector<bool>{false, true})) << "the first box of a process is unchecked";
  EXPECT_TRUE(child<QCheckBox>(dialog, "cbExplodeTextNode")->isChecked()) << "the main form's box is left alone";
}

} // namespace
