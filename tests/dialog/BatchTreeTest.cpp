#include "DialogTestSupport.h"

#include <CFxDGNTableView.h>

#include <QComboBox>
#include <QHeaderView>
#include <QTreeWidget>

namespace {

class BatchTreeTest : public DialogTest {
protected:
  void SetUp() override
  {
    DialogTest::SetUp();
    for (const char* name : {"a.dgn", "B.DGN", "c.Dgn"})
      samplePlan(QString("SRC/") + name);
    writeFile("SRC/broken.dgn", "garbage");
    writeFile("SRC/notes.txt", "not listed");
    openBatchPage();
    tree = child<QTreeWidget>(*dialog, "treeWidget");
    pickFolder(*dialog, "pbSourcePath", source);
  }
  // Clicks a file's check box as a user would: the state changes, then the tree reports the click.
  void toggle(int row)
  {
    QTreeWidgetItem* item = tree->topLevelItem(row);
    item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    emit tree->itemClicked(item, 0);
  }
  CFxDGNTableView* expand(int row)
  {
    QTreeWidgetItem* item = tree->topLevelItem(row);
    tree->collapseItem(item);
    tree->expandItem(item);
    return qobject_cast<CFxDGNTableView*>(tree->itemWidget(item->child(0), 0));
  }
  QPushButton* start() const { return button(*dialog, QDialogButtonBox::Ok); }

  QTreeWidget* tree = nullptr;
};

TEST_F(BatchTreeTest, DgnFilesOfAnyCaseAreListedInDescendingOrderAndAFolderWithoutAnyChangesNothing)
{
  EXPECT_EQ(texts(*tree), (QStringList{"c.Dgn", "broken.dgn", "B.DGN", "a.dgn"}));
  EXPECT_EQ(tree->currentItem()->text(0), "c.Dgn");
  child<QCheckBox>(*dialog, "cbSelectAll")->click(); // does nothing unless enabled
  dialog->buildWorkList();
  EXPECT_EQ(dialog->workList(), (QStringList{"c.Dgn", "broken.dgn", "B.DGN", "a.dgn"}));
  EXPECT_TRUE(tempFolderPrepared());

  QString warning;
  answerNextMessageBox(QMessageBox::Ok, &warning);
  pickFolder(*dialog, "pbSourcePath", destination);
  EXPECT_EQ(warning, "No DGN file found in the specified path.");
  EXPECT_EQ(texts(*tree).size(), 4) << "nothing changes";
  EXPECT_EQ(child<QLabel>(*dialog, "lblSourcePath")->toolTip(), source);
}

TEST_F(BatchTreeTest, AFilesModelsAreLoadedOnceIntoATableWhoseEditorChangesTheStoredChoice)
{
  CFxDGNTableView* table = expand(0);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(expand(0), table) << "collapsing and expanding shows the same table";
  EXPECT_EQ(dialog->unitChoiceTable().size(), 1u);
  const QAbstractItemModel* model = table->model();
  ASSERT_EQ(model->rowCount(), 1);
  EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "Unit value");
  const auto cell = [model](int column) { return model->index(0, column).data().toString(); };
  EXPECT_EQ((QStringList{cell(0), cell(1), cell(2)}), (QStringList{"Default", "Master units", "Meters"}));
  EXPECT_TRUE(dialog->unitChoiceTable().at(CFxString("C.DGN")).at(CFxString("DEFAULT")));

  const QModelIndex choice = model->index(0, 1);
  table->setCurrentIndex(choice);
  table->edit(choice);
  auto* editor = table->findChild<QComboBox*>();
  ASSERT_NE(editor, nullptr);
  editor->setCurrentIndex(1);
  EXPECT_EQ(cell(2), "Millimeters");
  EXPECT_FALSE(dialog->unitChoiceTable().at(CFxString("C.DGN")).at(CFxString("DEFAULT")));
  table->itemDelegate()->setModelData(editor, table->model(), choice);
  EXPECT_EQ(choice.data().toString(), "Sub units");
  editor->setCurrentIndex(0);
  EXPECT_EQ(cell(2), "Meters");

  const int broken = int(texts(*tree).indexOf("broken.dgn"));
  EXPECT_EQ(expand(broken), nullptr);
  EXPECT_TRUE(tree->topLevelItem(broken)->isHidden()) << "a file without models is hidden when expanded";
}

TEST_F(BatchTreeTest, ClicksInAModelTableSelectItsFileKeepItsSelectionAndOpenTheEditor)
{
  CFxDGNTableView* table = expand(0);
  ASSERT_NE(table, nullptr);
  tree->setCurrentItem(tree->topLevelItem(1));
  const QModelIndex choice = table->model()->index(0, 1);
  const QPoint cell = table->visualRect(choice).center();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell);
  EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0)) << "a click in a table selects its file";
  EXPECT_TRUE(tree->topLevelItem(0)->isSelected());
  EXPECT_EQ(table->findChild<QComboBox*>(), nullptr) << "the first click only selects";

  // A right click beside the cells keeps the selection the table had.
  QTest::mouseClick(table->viewport(), Qt::RightButton, {}, QPoint(2, table->viewport()->height() + 20));
  EXPECT_TRUE(table->selectionModel()->isSelected(choice));
  EXPECT_FALSE(table->isRightButton());
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell);
  EXPECT_NE(table->findChild<QComboBox*>(), nullptr) << "a click on the selected cell opens its editor";

  // Another file made current empties this table's selection; a click on its header takes it back.
  tree->setCurrentItem(tree->topLevelItem(1));
  EXPECT_FALSE(table->selectionModel()->hasSelection());
  EXPECT_TRUE(table->savedSelection().isEmpty());
  QTest::mouseClick(table->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
}

TEST_F(BatchTreeTest, GlobalSettingsHideEveryTableAndRefuseEditors)
{
  CFxDGNTableView* table = expand(0);
  ASSERT_NE(table, nullptr);
  child<QCheckBox>(*dialog, "cbGlobalSettings")->click();
  EXPECT_TRUE(tree->topLevelItem(0)->child(0)->isHidden());
  EXPECT_FALSE(tree->topLevelItem(0)->isExpanded());
  EXPECT_TRUE(child<QWidget>(*dialog, "masterunits_2")->isEnabled());
  QStyleOptionViewItem option;
  EXPECT_EQ(table->itemDelegate()->createEditor(table->viewport(), option, table->model()->index(0, 1)), nullptr);
  child<QCheckBox>(*dialog, "cbGlobalSettings")->click();
  EXPECT_FALSE(tree->topLevelItem(0)->child(0)->isHidden());
  EXPECT_FALSE(child<QWidget>(*dialog, "masterunits_2")->isEnabled());
}

TEST_F(BatchTreeTest, StartNeedsBothFoldersAndACheckedFile)
{
  toggle(1);
  EXPECT_FALSE(start()->isEnabled()) << "no destination folder";
  pickFolder(*dialog, "pbDestPath", destination);
  EXPECT_TRUE(start()->isEnabled());
  toggle(1);
  EXPECT_FALSE(start()->isEnabled()) << "nothing checked";

  auto* selectAll = child<QCheckBox>(*dialog, "cbSelectAll");
  selectAll->click();
  EXPECT_TRUE(start()->isEnabled());
  toggle(2);
  EXPECT_FALSE(selectAll->isChecked()) << "one file unchecked unchecks Select all";
  EXPECT_EQ(tree->topLevelItem(0)->checkState(0), Qt::Checked) << "the others keep their marks";
  toggle(2);
  EXPECT_FALSE(selectAll->isChecked()) << "checking it again does not check Select all";
  EXPECT_TRUE(start()->isEnabled());
}

} // namespace
