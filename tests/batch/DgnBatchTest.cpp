#include <DialogTestSupport.h>

#include <BatchReport.h>
#include <DgnBatch.h>
#include <DgnConversion.h>

#include <ThreadsCounter.h>

#include <QDateTime>
#include <QProgressBar>

#include <functional>

// The dialog a worker reports to, recording the progress it receives; `onProgress` may steer
// the worker as the real dialog would.
class RecordingOwner : public CDgnImportDlg {
  Q_OBJECT

public:
  explicit RecordingOwner(CFxUserIO* userIO) : CDgnImportDlg(userIO, nullptr) {}
  QList<int> progress;
  std::function<void(int)> onProgress;
  void setGlobalSettings(bool on) { ui.cbGlobalSettings->setChecked(on); }
  void storeChoice(const char* file, const char* model, bool master) { m_unitChoices[CFxString(file)][CFxString(model)] = master; }
  void dropImporter() { m_pDgnImporter = nullptr; }

public slots:
  void updatePB(int value)
  {
    progress << value;
    if (onProgress)
      onProgress(value);
  }
};

namespace {

// QThread::run is protected; a test calls it on its own thread through this.
void runWorker(DgnBatch& worker)
{
  struct Access : DgnBatch {
    static void call(DgnBatch& w) { (w.*(&Access::run))(); }
  };
  Access::call(worker);
}

class DgnBatchTest : public DialogTest {
protected:
  void SetUp() override
  {
    DialogTest::SetUp();
    makeBatchFolders();
    ensureTempFolder();
    owner = std::make_unique<RecordingOwner>(&userIO);
    batch = std::make_unique<DgnBatch>(owner.get());
    batch->setSourcePath(source);
    batch->setDestinationPath(destination);
    batch->setMasterUnits(true);
    batch->setProgressBar(&bar);
  }
  void TearDown() override
  {
    batch.reset();
    owner.reset();
    clearTempFolder();
    DialogTest::TearDown();
  }
  QString sourceFile(const QString& name) { return QDir(source).filePath(name); }
  void addPlan(const QString& name) { ASSERT_TRUE(QFile::copy(DGN_SOURCE_DIR "/samples/plan.dgn", sourceFile(name))); }
  QByteArray report() const
  {
    QFile file(QDir(destination).filePath("Report.txt"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  // The report with its date and time taken out.
  QByteArray reportWithoutDate() const
  {
    QByteArray bytes = report();
    const int start = bytes.indexOf("Created on ");
    const int end = bytes.indexOf("\r\n", start);
    if (start >= 0 && end > start)
      bytes.replace(start, end - start, "Created on DATE");
    return bytes;
  }
  QStringList converted() const { return QDir(destination).entryList({"*.dwg"}, QDir::Files, QDir::Name); }
  // Runs the worker on this thread, so its progress arrives at once.
  void runHere(const QStringList& files)
  {
    batch->setFileList(files);
    runWorker(*batch);
  }

  QProgressBar bar;
  std::unique_ptr<RecordingOwner> owner;
  std::unique_ptr<DgnBatch> batch;
};

TEST_F(DgnBatchTest, AMissingFileIsReportedAndTheOthersConverted)
{
  addPlan("a.dgn");
  addPlan("c.dgn");
  runHere({"a.dgn", "b.dgn", "c.dgn"});
  EXPECT_EQ(owner->progress, (QList<int>{0, 1, 2, 3, 3}));
  EXPECT_EQ(converted(), (QStringList{"a_Default_m.dwg", "c_Default_m.dwg"}));
  EXPECT_EQ(reportWithoutDate(), ("DGN Import Report:\r\nCreated on DATE\r\n\r\n\r\n"
                                  "Failed DGN filename: " + sourceFile("b.dgn") + "    Error type: DGN file does not exist.\r\n"
                                  "\r\n"
                                  "Total number of converted files: 2\r\n"
                                  "Total number of converted Design Model: 2\r\n"
                                  "Total number of failed files: 1\r\n").toUtf8());
  EXPECT_FALSE(batch->isProcessing());
  EXPECT_TRUE(odThreadsCounter().isBalanced());
}

TEST_F(DgnBatchTest, ARunWithoutFailuresHasThreeEmptyLinesAndTheDateInTextForm)
{
  addPlan("a.dgn");
  runHere({"a.dgn"});
  const QByteArray bytes = report();
  EXPECT_TRUE(bytes.startsWith("DGN Import Report:\r\nCreated on ")) << "no byte-order mark";
  const QString date = QString::fromUtf8(bytes.split('\r').value(1).mid(QByteArray("\nCreated on ").size()));
  EXPECT_TRUE(QDateTime::fromString(date, Qt::TextDate).isValid()) << date.toStdString();
  EXPECT_TRUE(reportWithoutDate().endsWith("Created on DATE\r\n\r\n\r\n\r\nTotal number of converted files: 1\r\n"
                                           "Total number of converted Design Model: 1\r\n"
                                           "Total number of failed files: 0\r\n"));
}

TEST_F(DgnBatchTest, AFileThatIsNoDesignFileHasNoModel)
{
  writeFile("SRC/broken.dgn", "not a design file");
  runHere({"broken.dgn"});
  EXPECT_TRUE(reportWithoutDate().contains("Failed DGN filename: " + sourceFile("broken.dgn").toUtf8() +
                                           "    Error type: No model exist.\r\n"));
  EXPECT_TRUE(converted().isEmpty());
}

TEST_F(DgnBatchTest, UnitsComeFromTheGlobalChoiceTheStoredChoiceOrTheFile)
{
  addPlan("a.dgn");
  addPlan("b.dgn");
  owner->storeChoice("A.DGN", "DEFAULT", false);
  runHere({"a.dgn", "b.dgn"});
  EXPECT_EQ(converted(), (QStringList{"a_Default_mm.dwg", "b_Default_m.dwg"})) << "stored, then the file's default";

  for (const QString& name : converted())
    QFile::remove(QDir(destination).filePath(name));
  owner->setGlobalSettings(true);
  batch = std::make_unique<DgnBatch>(owner.get());
  batch->setSourcePath(source);
  batch->setDestinationPath(destination);
  batch->setProgressBar(&bar);
  batch->setMasterUnits(false);
  runHere({"a.dgn", "b.dgn"});
  EXPECT_EQ(converted(), (QStringList{"a_Default_mm.dwg", "b_Default_mm.dwg"})) << "the global choice for all";
}

TEST_F(DgnBatchTest, ExistingDrawingsAndReportsAreReplaced)
{
  addPlan("a.dgn");
  writeFile("DEST/a_Default_m.dwg", "old");
  writeFile("DEST/Report.txt", QByteArray(10000, 'x'));
  runHere({"a.dgn"});
  EXPECT_GT(QFileInfo(QDir(destination).filePath("a_Default_m.dwg")).size(), 100);
  EXPECT_FALSE(report().contains("xxx")) << "the old report is truncated";
  EXPECT_TRUE(QFile::exists(sourceFile("a.dgn"))) << "sources are never touched";
}

TEST_F(DgnBatchTest, AFileReplacedDuringTheRunOrAnUnwritableReportStopsNothing)
{
  addPlan("a.dgn");
  addPlan("b.dgn");
  addPlan("c.dgn");
  QFile sample(DGN_SOURCE_DIR "/samples/plan.dgn");
  ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
  const QByteArray original = sample.readAll();
  owner->onProgress = [this](int value) {
    if (value == 1)
      writeFile("SRC/b.dgn", "no longer a design file");
  };
  ASSERT_TRUE(QDir(destination).mkdir("Report.txt")) << "a folder where the report goes";
  runHere({"a.dgn", "b.dgn", "c.dgn"});
  EXPECT_EQ(owner->progress, (QList<int>{0, 1, 2, 3, 3}));
  EXPECT_TRUE(QFileInfo::exists(QDir(destination).filePath("a_Default_m.dwg")));
  EXPECT_TRUE(QFileInfo::exists(QDir(destination).filePath("c_Default_m.dwg")));
  EXPECT_FALSE(QFileInfo::exists(QDir(destination).filePath("b_Default_m.dwg")));
  EXPECT_TRUE(QFileInfo(QDir(destination).filePath("Report.txt")).isDir());
  for (const char* name : {"a.dgn", "c.dgn"}) {
    QFile file(sourceFile(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), original) << name << " is read, never written";
  }
}

TEST_F(DgnBatchTest, ADestinationThatCannotBeWrittenRunsToItsEndAndChangesNothing)
{
  addPlan("a.dgn");
  addPlan("b.dgn");
  // A plain file where the folder should be: nothing can be written under it, even by root.
  const QString blocked = writeFile("blocked", "a file, not a folder");
  batch->setDestinationPath(blocked);
  runHere({"a.dgn", "b.dgn"});
  EXPECT_EQ(owner->progress, (QList<int>{0, 1, 2, 2}));
  QFile file(blocked);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), "a file, not a folder");
  EXPECT_TRUE(QFile::exists(sourceFile("a.dgn")) && QFile::exists(sourceFile("b.dgn")));
}

TEST_F(DgnBatchTest, CancelWritesNoReportAndRenewsTheImporter)
{
  addPlan("a.dgn");
  addPlan("b.dgn");
  writeFile("DEST/Report.txt", "older report");
  const OdDgnImport* before = owner->getDgnImporter().get();
  owner->onProgress = [this](int value) {
    if (value == 1)
      batch->setCancel(true);
  };
  runHere({"a.dgn", "b.dgn"});
  EXPECT_EQ(owner->progress, (QList<int>{0, 1}));
  EXPECT_EQ(report(), "older report");
  EXPECT_NE(owner->getDgnImporter().get(), before);
  EXPECT_TRUE(batch->isProcessing()) << "an abandoned run keeps its flag";
  EXPECT_TRUE(odThreadsCounter().isBalanced());
}

TEST_F(DgnBatchTest, DetachingTheBarEndsTheRunWithTheTotalsSoFar)
{
  addPlan("a.dgn");
  addPlan("b.dgn");
  owner->onProgress = [this](int value) {
    if (value == 1)
      batch->setProgressBar(nullptr);
  };
  runHere({"a.dgn", "b.dgn"});
  EXPECT_EQ(owner->progress, (QList<int>{0, 1})) << "no final value";
  EXPECT_TRUE(reportWithoutDate().contains("Total number of converted files: 1\r\n"));
  EXPECT_EQ(converted(), QStringList{"a_Default_m.dwg"});
}

TEST_F(DgnBatchTest, WithoutAnImporterEveryFileHasNoModel)
{
  addPlan("a.dgn");
  owner->dropImporter();
  runHere({"a.dgn", "gone.dgn"});
  const QByteArray text = reportWithoutDate();
  EXPECT_TRUE(text.contains("a.dgn    Error type: No model exist."));
  EXPECT_TRUE(text.contains("gone.dgn    Error type: DGN file does not exist."));
  EXPECT_TRUE(text.contains("Total number of failed files: 2"));
}

TEST_F(DgnBatchTest, OnItsOwnThreadProgressArrivesQueuedAndInOrder)
{
  for (const char* name : {"a.dgn", "b.dgn", "c.dgn", "d.dgn"})
    addPlan(name);
  batch->setFileList({"a.dgn", "b.dgn", "c.dgn", "d.dgn"});
  batch->start();
  ASSERT_TRUE(batch->wait(60000));
  EXPECT_TRUE(owner->progress.isEmpty()) << "nothing arrives before the GUI thread's event loop runs";
  QCoreApplication::processEvents();
  EXPECT_EQ(owner->progress, (QList<int>{0, 1, 2, 3, 4, 4}));
  EXPECT_EQ(bar.maximum(), 4);
  EXPECT_EQ(converted().size(), 4);
  EXPECT_TRUE(odThreadsCounter().isBalanced());
}

TEST(BatchReportTexts, EveryKnownCodeHasItsTextAndOthersNone)
{
  EXPECT_EQ(BatchReport::errorText(1), "Unknown Error.");
  EXPECT_EQ(BatchReport::errorText(2), "Invalid password.");
  EXPECT_EQ(BatchReport::errorText(3), "Cannot open file.");
  EXPECT_EQ(BatchReport::errorText(4), "Invalid file.");
  EXPECT_TRUE(BatchReport::errorText(5).isEmpty());
  BatchReport report;
  report.addModelFailure("D:\\dgn\\site.dgn", "Default", 4);
  report.addModelFailure("D:\\dgn\\site.dgn", "Sheet", 7);
  report.addTotals(0, 0, 2);
  EXPECT_TRUE(report.plainText().contains(
    "\nFailed DGN filename:D:\\dgn\\site.dgn    Model name:Default    Error type:Invalid file.\n"
    "Failed DGN filename:D:\\dgn\\site.dgn    Model name:Sheet    Error type:\n\nTotal"));
}

} // namespace

#include "DgnBatchTest.moc"
