// Model names that differ only in case, which no V7 file holds: a scripted import module lists
// them.
#include "DialogTestSupport.h"

#include <CFxDGNTableView.h>

#include <QComboBox>
#include <QTreeWidget>

namespace {

class SharedModelChoiceTest : public DialogTest {
protected:
  const char* importModuleFolder() const override { return DGN_TEST_MODULE_DIR "/scripted"; }
  void TearDown() override
  {
    dialog.reset();
    DialogTest::TearDown();
  }
  std::unique_ptr<CDgnImportDlg> dialog;
};

TEST_F(SharedModelChoiceTest, TheFirstNamesDefaultIsStoredAndEitherRowChangesIt)
{
  makeBatchFolders();
  writeFile("SRC/site.dgn", "scripted\nSheet 0\nSHEET 0\nPlan 0\n");
  dialog = std::make_unique<CDgnImportDlg>(&userIO, nullptr);
  child<QRadioButton>(*dialog, "rbBatch")->click();
  answerNextFolderDialog(source);
  child<QPushButton>(*dialog, "pbSourcePath")->click();
  auto* tree = child<QTreeWidget>(*dialog, "treeWidget");
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  tree->expandItem(tree->topLevelItem(0));
  auto* table = qobject_cast<CFxDGNTableView*>(tree->itemWidget(tree->topLevelItem(0)->child(0), 0));
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(table->model()->rowCount(), 3);
  const auto rowOf = [table](const char* name) {
    for (int row = 0; row < table->model()->rowCount(); ++row)
      if (table->model()->index(row, 0).data().toString() == name)
        return row;
    ADD_FAILURE() << name << " is not listed";
    return 0;
  };

  const auto& models = dialog->unitChoiceTable().at(CFxString("SITE.DGN"));
  EXPECT_EQ(models.size(), 2u) << "SHEET and PLAN";
  const auto storedSheet = [&] { return models.at(CFxString("SHEET")); };
  EXPECT_TRUE(storedSheet());

  const auto choose = [table](int row, int index) {
    const QModelIndex cell = table->model()->index(row, 1);
    table->setCurrentIndex(cell);
    table->edit(cell);
    auto* editor = table->findChild<QComboBox*>();
    ASSERT_NE(editor, nullptr);
    editor->setCurrentIndex(index);
    table->itemDelegate()->setModelData(editor, table->model(), cell);
    table->closePersistentEditor(cell);
    delete editor;
  };
  choose(rowOf("SHEET"), 1);
  EXPECT_FALSE(storedSheet()) << "the second name's row changes the shared choice";
  choose(rowOf("SHEET"), 0);
  EXPECT_TRUE(storedSheet());
  choose(rowOf("Sheet"), 1);
  EXPECT_FALSE(storedSheet()) << "and so does the first";
  EXPECT_TRUE(models.at(CFxString("PLAN")));
}

} // namespace
