// The worker's report for result codes no real design file produces, from a scripted import
// module loaded through the same linker under the real module's name.
#include <BatchReport.h>
#include <CDgnImportDlg.h>
#include <DgnBatch.h>
#include <DgnConversion.h>
#include <DgnImportSettings.h>

#include <FxHostSetup.h>
#include <RxDynamicLinker.h>

#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class ProgressSink : public CDgnImportDlg {
  Q_OBJECT

public:
  ProgressSink() : CDgnImportDlg(nullptr, nullptr) {}
public slots:
  void updatePB(int) {}
};

namespace {

void runWorker(DgnBatch& worker)
{
  struct Access : DgnBatch {
    static void call(DgnBatch& w) { (w.*(&Access::run))(); }
  };
  Access::call(worker);
}

TEST(BatchResultCodes, EveryFailedModelHasItsLineAndCounts)
{
  odrxDynamicLinker()->setModuleFolder(OdString(DGN_TEST_MODULE_DIR "/scripted"));
  ASSERT_FALSE(odrxDynamicLinker()->loadModule(OdString("TD_DgnImport")).isNull())
    << odrxDynamicLinker()->lastError().toUtf8();
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkpath("SRC") && QDir(dir.path()).mkpath("DEST"));
  const QString site = QDir(dir.filePath("SRC")).filePath("site.dgn");
  QFile file(site);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("scripted\nDefault 0\nOne 1\nTwo 2\nThree 3\nFour 4\nFive 5\n");
  file.close();
  ensureTempFolder();

  ProgressSink owner;
  QProgressBar bar;
  DgnBatch batch(&owner);
  batch.setSourcePath(dir.filePath("SRC"));
  batch.setDestinationPath(dir.filePath("DEST"));
  batch.setMasterUnits(true);
  batch.setProgressBar(&bar);
  batch.setFileList({"site.dgn"});
  runWorker(batch);
  clearTempFolder();

  QFile report(QDir(dir.filePath("DEST")).filePath("Report.txt"));
  ASSERT_TRUE(report.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(report.readAll());
  const QString line = QStringLiteral("Failed DGN filename:%1    Model name:%2    Error type:%3\r\n");
  EXPECT_TRUE(text.contains(line.arg(site, "One", "Unknown Error."))) << text.toStdString();
  EXPECT_TRUE(text.contains(line.arg(site, "Two", "Invalid password.")));
  EXPECT_TRUE(text.contains(line.arg(site, "Three", "Cannot open file.")));
  EXPECT_TRUE(text.contains(line.arg(site, "Four", "Invalid file.")));
  EXPECT_TRUE(text.contains(line.arg(site, "Five", ""))) << "no text for a code above 4";
  EXPECT_TRUE(text.endsWith("Total number of converted files: 1\r\nTotal number of converted Design Model: 1\r\n"
                            "Total number of failed files: 5\r\n"));
  EXPECT_TRUE(QFile::exists(QDir(dir.filePath("DEST")).filePath("site_Default_m.dwg")));
}

} // namespace

#include "ResultCodeTest.moc"
