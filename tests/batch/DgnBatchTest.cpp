#include <DialogTestSupport.h>
#include <GdalDgn.h>

#include <QDateTime>
#include <QProgressBar>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <functional>
#include <new>
#include <optional>
#include <thread>

// The dialog a worker reports to, recording the progress it receives; `onProgress` may steer
// the worker as the real dialog would.
class RecordingOwner : public CDgnImportDlg {
  Q_OBJECT

public:
  explicit RecordingOwner(CFxUserIO* userIO) : CDgnImportDlg(userIO, nullptr) {}
  QList<int> progress;
  std::function<void(int)> onProgress;
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

// A tmpfs of 64 KiB mounted at `where` for one test: a disk that fills up for real. Only root may
// mount; otherwise `mounted` stays false.
struct SmallDisk {
  explicit SmallDisk(const QString& where)
    : path(where), mounted(QDir().mkpath(where) && geteuid() == 0 &&
                           ::mount("tmpfs", QFile::encodeName(where).constData(), "tmpfs", 0, "size=64k") == 0)
  {
  }
  ~SmallDisk()
  {
    if (mounted)
      ::umount2(QFile::encodeName(path).constData(), MNT_DETACH);
  }
  QString path;
  bool mounted;
};

class DgnBatchTest : public DialogTest {
protected:
  void SetUp() override
  {
    DialogTest::SetUp();
    ensureTempFolder();
    owner = std::make_unique<RecordingOwner>(&userIO);
    newWorker();
  }
  void TearDown() override
  {
    batch.reset();
    owner.reset();
    DialogTest::TearDown();
  }
  void newWorker(bool masterUnits = true)
  {
    batch = std::make_unique<DgnBatch>(owner.get());
    batch->setSourcePath(source);
    batch->setDestinationPath(destination);
    batch->setMasterUnits(masterUnits);
    batch->setProgressBar(&bar);
    owner->progress.clear();
    owner->onProgress = nullptr;
    services.appServices.whileConverting = nullptr;
  }
  QString sourceFile(const QString& name) { return QDir(source).filePath(name); }
  void addPlan(const QString& name) { samplePlan("SRC/" + name); }
  // The report with its date and time, which must be one, taken out.
  QByteArray reportWithoutDate() const
  {
    QByteArray bytes = report();
    const int start = bytes.indexOf("Created on ") + 11, end = bytes.indexOf("\r\n", start);
    const QString date = QString::fromUtf8(bytes.mid(start, end - start));
    EXPECT_TRUE(start > 10 && QDateTime::fromString(date, Qt::TextDate).isValid()) << date.toStdString();
    return bytes.replace(start, end - start, "DATE");
  }
  QStringList converted() const { return QDir(destination).entryList({"*.dwg"}, QDir::Files, QDir::Name); }
  // Runs the worker on its own thread, as the dialog does, and checks what every run leaves: its
  // progress in order, ending normally, the sources as the test left them and no thread left.
  void runOnItsThread(const QStringList& files)
  {
    sources = checksums(source);
    batch->setFileList(files);
    batch->start();
    ASSERT_TRUE(batch->wait(120000)) << "the run ended";
    EXPECT_TRUE(owner->progress.isEmpty()) << "progress is queued to the GUI thread";
    QCoreApplication::processEvents();
    EXPECT_EQ(bar.maximum(), files.size());
    EXPECT_EQ(owner->progress.size(), files.size() + 2);
    EXPECT_EQ(owner->progress.mid(files.size()), (QList<int>{int(files.size()), int(files.size())}));
    EXPECT_EQ(checksums(source), sources) << "sources are only read";
  }
  // Runs `act` on the worker's thread while its `nth` model converts.
  void whileConverting(int nth, std::function<void()> act)
  {
    services.appServices.whileConverting = [this, nth, act, count = 0]() mutable {
      if (++count != nth)
        return;
      act();
      sources = checksums(source);
    };
  }

  QProgressBar bar;
  std::unique_ptr<RecordingOwner> owner;
  std::unique_ptr<DgnBatch> batch;
  std::map<QString, QByteArray> sources; // what the sources must hold after a run
};

TEST_F(DgnBatchTest, EveryFailedFileHasItsLineAndTheTotalsCount)
{
  addPlan("a.dgn");
  addPlan("c.dgn");
  writeFile("SRC/broken.dgn", "not a design file");
  runWorker(*batch, {"a.dgn", "b.dgn", "broken.dgn", "c.dgn"});
  EXPECT_EQ(owner->progress, (QList<int>{0, 1, 2, 3, 4, 4}));
  EXPECT_EQ(converted(), (QStringList{"a_Default_m.dwg", "c_Default_m.dwg"}));
  EXPECT_EQ(reportWithoutDate(), ("DGN Import Report:\r\nCreated on DATE\r\n\r\n\r\n"
                                  "Failed DGN filename: " + sourceFile("b.dgn") + "    Error type: DGN file does not exist.\r\n"
                                  "Failed DGN filename: " + sourceFile("broken.dgn") + "    Error type: No model exist.\r\n"
                                  "\r\n"
                                  "Total number of converted files: 2\r\n"
                                  "Total number of converted Design Model: 2\r\n"
                                  "Total number of failed files: 2\r\n").toUtf8());
  EXPECT_FALSE(batch->isProcessing());

  // Without an importer (its module did not load) no file has a model.
  owner->dropImporter();
  newWorker();
  runWorker(*batch, {"a.dgn", "b.dgn"});
  EXPECT_TRUE(report().contains("a.dgn    Error type: No model exist.\r\n"));
  EXPECT_TRUE(report().endsWith("Total number of failed files: 2\r\n"));
}

TEST_F(DgnBatchTest, UnitsComeFromTheGlobalChoiceTheStoredChoiceOrTheFile)
{
  addPlan("a.dgn");
  addPlan("b.dgn");
  owner->storeChoice("A.DGN", "DEFAULT", false);
  newWorker(false);
  runWorker(*batch, {"a.dgn", "b.dgn"});
  EXPECT_EQ(converted(), (QStringList{"a_Default_mm.dwg", "b_Default_m.dwg"})) << "stored, then the file's default";
  EXPECT_TRUE(reportWithoutDate().endsWith("Created on DATE\r\n\r\n\r\n\r\nTotal number of converted files: 2\r\n"
                                           "Total number of converted Design Model: 2\r\n"
                                           "Total number of failed files: 0\r\n"))
    << "without failures three empty lines";

  QDir(destination).removeRecursively();
  makeBatchFolders();
  child<QCheckBox>(*owner, "cbGlobalSettings")->setChecked(true);
  newWorker(false);
  runWorker(*batch, {"a.dgn", "b.dgn"});
  EXPECT_EQ(converted(), (QStringList{"a_Default_mm.dwg", "b_Default_mm.dwg"})) << "the global choice for all";
}

TEST_F(DgnBatchTest, AwkwardNamesAndPathsNearTheLimitConvertOrFailCleanly)
{
  const QString deep = nearLimitFolder(source);
  QStringList names, drawings;
  for (const auto& [name, drawing] : awkwardNames) {
    ASSERT_TRUE(QFile::copy(DGN_SOURCE_DIR "/samples/plan.dgn", deep + "/" + name));
    names << name;
    if (!drawing.isEmpty())
      drawings << drawing;
  }
  batch->setSourcePath(deep);
  runWorker(*batch, names);
  drawings.sort();
  EXPECT_EQ(converted(), drawings);
  const QByteArray text = report();
  EXPECT_TRUE(text.contains(("Failed DGN filename:" + deep + "/" + names.last() +
                             "    Model name:Default    Error type:Unknown Error.\r\n").toUtf8()));
  EXPECT_TRUE(text.endsWith("converted files: 3\r\nTotal number of converted Design Model: 3\r\nTotal number of failed files: 1\r\n"));
}

TEST_F(DgnBatchTest, FaultsDuringARunLoseNothing)
{
  const QStringList all{"a_Default_m.dwg", "b_Default_m.dwg", "c_Default_m.dwg"}, notB{"a_Default_m.dwg", "c_Default_m.dwg"};
  struct Fault {
    const char* what;
    std::function<void()> arrange;
    std::optional<QStringList> drawings; // what the destination holds afterwards
    QByteArray reportHolds;              // empty: no report can be written
  };
  const std::vector<Fault> faults = {
    {"older drawings and an older report are replaced", [&] {
       writeFile("DEST/b_Default_m.dwg", "old");
       writeFile("DEST/Report.txt", "older report");
     }, all, "Total number of converted files: 3\r\n"},
    {"a folder where a drawing goes counts no model", [&] { QDir(destination).mkdir("b_Default_m.dwg"); }, notB,
     "converted files: 2\r\nTotal number of converted Design Model: 2\r\nTotal number of failed files: 0\r\n"},
    {"a folder named Report.txt", [&] { QDir(destination).mkdir("Report.txt"); }, all, ""},
    {"a pipe named Report.txt: nothing waits for a reader", [&] {
       ASSERT_EQ(::mkfifo(QFile::encodeName(destination + "/Report.txt").constData(), 0644), 0);
     }, all, ""},
    {"a plain file where the destination should be", [&] { batch->setDestinationPath(writeFile("SRC/blocked", "")); },
     QStringList(), ""},
    {"the next source removed", [&] { whileConverting(1, [&] { QFile::remove(sourceFile("b.dgn")); }); }, notB,
     "b.dgn    Error type: DGN file does not exist.\r\n"},
    {"the next source replaced", [&] { whileConverting(1, [&] { writeFile("SRC/b.dgn", "no longer a design file"); }); },
     notB, "b.dgn    Error type: No model exist.\r\n"},
    // The report words no text for this code.
    {"memory runs out while a model converts", [&] { whileConverting(2, [] { throw std::bad_alloc(); }); }, notB,
     "b.dgn    Model name:Default    Error type:\r\n"},
    // What is left of a truncated file converts, or its model fails: the run goes on either way.
    {"the source truncated while it converts", [&] {
       whileConverting(1, [&] { ASSERT_TRUE(QFile::resize(sourceFile("a.dgn"), 4000)); });
     }, std::nullopt, "Total number of converted files: "},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.what);
    QDir(destination).removeRecursively();
    QDir(source).removeRecursively();
    makeBatchFolders();
    for (const char* name : {"a.dgn", "b.dgn", "c.dgn"})
      addPlan(name);
    newWorker();
    fault.arrange();
    // Folders and pipes: anything but a plain file.
    const auto others = [this] { return QDir(destination).entryList(QDir::Dirs | QDir::System | QDir::NoDotAndDotDot); };
    const QStringList before = others();
    runOnItsThread({"a.dgn", "b.dgn", "c.dgn"});
    EXPECT_EQ(others(), before) << "folders and pipes stay what they were";
    if (fault.drawings) {
      EXPECT_EQ(converted(), *fault.drawings);
    } else {
      EXPECT_TRUE(converted().contains("b_Default_m.dwg") && converted().contains("c_Default_m.dwg"));
    }
    if (!fault.reportHolds.isEmpty()) { // never open a pipe: it would wait for a writer
      EXPECT_TRUE(report().contains(fault.reportHolds)) << report().constData();
    }
  }
}

TEST_F(DgnBatchTest, OnFullDisksOlderFilesStayWholeAndLaterModelsStillConvert)
{
  SmallDisk destinationDisk(folder.filePath("full")), conversionDisk(folder.filePath("conversion"));
  if (!destinationDisk.mounted || !conversionDisk.mounted)
    GTEST_SKIP() << "mounting a small tmpfs needs root: the full-disk cases did not run";
  if (!haveGdal())
    GTEST_SKIP() << "GDAL's ogr2ogr is not installed";
  QByteArray lines = "WKT,id\n";
  for (int i = 0; i < 3000; ++i)
    lines += QString("\"LINESTRING (%1 0,%1 10,%2 20)\",%1\n").arg(i).arg(i + 1).toUtf8();
  writeGdalDgn(source, "large.dgn", "m", "mm", 1000, lines);
  addPlan("a.dgn");

  // A full destination: the older drawing and report stay as they were, and nothing else arrives.
  writeFile("full/Report.txt", "older report");
  writeFile("full/a_Default_m.dwg", "older drawing");
  struct statvfs free {};
  ASSERT_EQ(::statvfs(QFile::encodeName(destinationDisk.path).constData(), &free), 0);
  writeFile("full/filler", QByteArray(qint64(free.f_bavail * free.f_frsize), '.'));
  const std::map<QString, QByteArray> before = checksums(destinationDisk.path);
  batch->setDestinationPath(destinationDisk.path);
  runOnItsThread({"a.dgn"});
  EXPECT_EQ(checksums(destinationDisk.path), before);
  EXPECT_EQ(QDir(destinationDisk.path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 3);

  // A large model fills the conversion folder's disk and fails; what it wrote goes, so the next
  // model still has room.
  const QByteArray savedTmp = qgetenv("TMPDIR");
  qputenv("TMPDIR", QFile::encodeName(conversionDisk.path));
  newWorker();
  runOnItsThread({"large.dgn", "a.dgn"});
  qputenv("TMPDIR", savedTmp);
  EXPECT_EQ(converted(), QStringList{"a_Default_m.dwg"});
  EXPECT_TRUE(reportWithoutDate().contains("large.dgn    Model name:Default    Error type:Unknown Error.\r\n"));

  // The conversion folder and the destination on one disk with room for the drawing but not for
  // its copy: the copy (made by the kernel there) fails whole and leaves nothing behind.
  const qint64 drawing = QFileInfo(QDir(destination).filePath("a_Default_m.dwg")).size();
  for (const QString& name : QDir(destinationDisk.path).entryList(QDir::Files | QDir::Hidden))
    ASSERT_TRUE(QFile::remove(QDir(destinationDisk.path).filePath(name)));
  const QString out = QDir(destinationDisk.path).filePath("out");
  ASSERT_TRUE(QDir().mkpath(out) && QDir().mkpath(QDir(destinationDisk.path).filePath("DGNImport_temp")));
  ASSERT_EQ(::statvfs(QFile::encodeName(destinationDisk.path).constData(), &free), 0);
  const qint64 page = qint64(free.f_frsize), room = (drawing + page - 1) / page * page + page;
  writeFile("full/filler", QByteArray(qint64(free.f_bavail * free.f_frsize) - room, '.'));
  qputenv("TMPDIR", QFile::encodeName(destinationDisk.path));
  newWorker();
  batch->setDestinationPath(out);
  runOnItsThread({"a.dgn"});
  qputenv("TMPDIR", savedTmp);
  EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{"Report.txt"});
}

TEST_F(DgnBatchTest, AStopWritesNoReportAndNothingMoreArrives)
{
  addPlan("a.dgn");
  addPlan("b.dgn");
  std::thread answer;
  const QString lastDrawing = QDir(conversionFolderPath()).filePath("b_Default_m.dwg");
  // Stopped before the run reaches its first file; between files; while the last model converts;
  // and while the dialog asks the user during the last model, the answer coming once the model
  // is done. Each with the progress it still sends and the drawings that arrive.
  const QStringList onlyA{"a_Default_m.dwg"};
  const std::vector<std::tuple<const char*, std::function<void()>, QList<int>, QStringList>> stops = {
    {"before the first file", [&] { batch->setCancel(true); }, {0}, {}},
    {"between files", [&] { owner->onProgress = [&](int value) { batch->setCancel(value == 1); }; }, {0, 1}, onlyA},
    {"during the last model", [&] { whileConverting(2, [&] { batch->setCancel(true); }); }, {0, 1}, onlyA},
    {"while the user is asked", [&] {
       whileConverting(2, [&] {
         batch->pause();
         answer = std::thread([&] {
           EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(lastDrawing); }, 60000));
           batch->setCancel(true);
         });
       });
     }, {0, 1}, onlyA},
  };
  for (const auto& [when, stop, progress, drawings] : stops) {
    SCOPED_TRACE(when);
    QDir(destination).removeRecursively();
    makeBatchFolders();
    clearTempFolder();
    ensureTempFolder();
    writeFile("DEST/Report.txt", "older report");
    newWorker();
    const OdDgnImportPtr before = owner->getDgnImporter(); // held, so a new one cannot take its place
    stop();
    runWorker(*batch, {"a.dgn", "b.dgn"});
    if (answer.joinable())
      answer.join();
    EXPECT_EQ(owner->progress, progress);
    EXPECT_EQ(converted(), drawings);
    EXPECT_EQ(report(), "older report");
    EXPECT_NE(owner->getDgnImporter().get(), before.get()) << "the importer is renewed";
  }
}

} // namespace

#include "DgnBatchTest.moc"
