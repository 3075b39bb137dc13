// What no V7 file holds, from a scripted import module loaded under the real module's name:
// model names that differ only in case, and every conversion result code.
#include "DialogTestSupport.h"

#include <CFxDGNTableView.h>

#include <QProgressBar>
#include <QTreeWidget>

namespace {

class ScriptedModuleTest : public DialogTest {
protected:
  const char* importModuleFolder() const override { return DGN_TEST_MODULE_DIR "/scripted"; }
};

TEST_F(ScriptedModuleTest, TheFirstNamesDefaultIsStoredAndEitherRowChangesIt)
{
  writeFile("SRC/site.dgn", "scripted\nSheet 0\nSHEET 0 sub\nPlan 0\n");
  openBatchPage();
  pickFolder(*dialog, "pbSourcePath", source);
  auto* tree = child<QTreeWidget>(*dialog, "treeWidget");
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  tree->expandItem(tree->topLevelItem(0));
  auto* table = qobject_cast<CFxDGNTableView*>(tree->itemWidget(tree->topLevelItem(0)->child(0), 0));
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(table->model()->rowCount(), 3);
  const auto rowOf = [model = table->model()](const char* name) { // the names differ in case only
    const QModelIndexList found = model->match(model->index(0, 0), Qt::DisplayRole, name, -1, Qt::MatchExactly);
    EXPECT_EQ(found.size(), 1) << name;
    return found.value(0).row();
  };

  const auto& models = dialog->unitChoiceTable().at(CFxString("SITE.DGN"));
  EXPECT_EQ(models.size(), 2u) << "SHEET and PLAN";
  const auto storedSheet = [&] { return models.at(CFxString("SHEET")); };
  EXPECT_TRUE(storedSheet()) << "the first name's default, master units, not the second's";

  // As the unit editor of the row's cell reports a choice (the editor itself: BatchTreeTest).
  const auto choose = [&](int row, int index) {
    table->setCurrentIndex(table->model()->index(row, 1));
    emit dialog->unitsIndexChanged(index);
  };
  choose(rowOf("SHEET"), 1);
  EXPECT_FALSE(storedSheet()) << "the second name's row changes the shared choice";
  choose(rowOf("SHEET"), 0);
  EXPECT_TRUE(storedSheet());
  choose(rowOf("Sheet"), 1);
  EXPECT_FALSE(storedSheet()) << "and so does the first";
  EXPECT_TRUE(models.at(CFxString("PLAN")));
}

TEST_F(ScriptedModuleTest, EveryFailedModelHasItsReportLineAndCounts)
{
  const QString site = writeFile("SRC/site.dgn", "scripted\nDefault 0\nOne 1\nTwo 2\nThree 3\nFour 4\nFive 5\n");
  ensureTempFolder();
  dialog = std::make_unique<CDgnImportDlg>(&userIO, nullptr);
  QProgressBar bar;
  DgnBatch batch(dialog.get());
  batch.setSourcePath(source);
  batch.setDestinationPath(destination);
  batch.setMasterUnits(true);
  batch.setProgressBar(&bar);
  runWorker(batch, {"site.dgn"});

  const QString text = QString::fromUtf8(report());
  const QString line = QStringLiteral("Failed DGN filename:%1    Model name:%2    Error type:%3\r\n");
  for (const auto& [model, error] : std::vector<std::pair<QString, QString>>{
         {"One", "Unknown Error."}, {"Two", "Invalid password."}, {"Three", "Cannot open file."}, {"Four", "Invalid file."},
         {"Five", ""}})
    EXPECT_TRUE(text.contains(line.arg(site, model, error))) << text.toStdString();
  EXPECT_TRUE(text.endsWith("Total number of converted files: 1\r\nTotal number of converted Design Model: 1\r\n"
                            "Total number of failed files: 5\r\n"));
  EXPECT_TRUE(QFile::exists(QDir(destination).filePath("site_Default_m.dwg")));
}

} // namespace
