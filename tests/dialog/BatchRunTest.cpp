// The Batch page's run control, and its load and soak: a folder of many files, and many runs
// started and stopped one after the other. How many comes from the build (SOAK_...): the
// sanitizers make every step slower, so their build runs fewer. How fast the window answers is
// measured in bench/; here what happened is checked, so that a busy machine fails nothing.
#include "DialogTestSupport.h"

#include <CFxDGNTableView.h>
#include <ThreadsCounter.h>

#include <QElapsedTimer>
#include <QProgressBar>
#include <QTreeWidget>

#include <set>

namespace {

// A dialog on the Batch page over a source folder of sample copies, and what its tests look at.
class BatchRunTest : public DialogTest {
protected:
  void TearDown() override
  {
    permits.release(1 << 20); // a test that failed half way leaves no worker waiting
    odThreadsCounter().setStartThreadReaction(nullptr);
    DialogTest::TearDown();
  }
  // `count` copies of the sample in a new source folder, then a dialog on the Batch page with both
  // folders and every file checked.
  void prepare(int count)
  {
    for (int i = 0; i < count; ++i)
      samplePlan(QString("SRC/p%1.dgn").arg(i));
    openBatchPage();
    pickFolder(*dialog, "pbSourcePath", source);
    pickFolder(*dialog, "pbDestPath", destination);
    child<QCheckBox>(*dialog, "cbSelectAll")->click();
  }
  QPushButton* button(QDialogButtonBox::StandardButton which) const { return DialogTest::button(*dialog, which); }
  QProgressBar* bar() const { return child<QProgressBar>(*dialog, "progressBar"); }
  bool reportWritten() const { return QFile::exists(QDir(destination).filePath("Report.txt")); }
  // Starts a run; `finished` receives the end message once the run has been announced.
  void start(QString* finished)
  {
    answerNextMessageBox(QMessageBox::Ok, finished);
    button(QDialogButtonBox::Ok)->click();
  }
  bool inputsEnabled() const
  {
    return child<QWidget>(*dialog, "treeWidget")->isEnabled() && child<QWidget>(*dialog, "pbSourcePath")->isEnabled() &&
           button(QDialogButtonBox::Cancel)->isEnabled() && !button(QDialogButtonBox::Abort)->isEnabled();
  }

  // Starts a run and waits for its first file; an earlier run's answer still waiting gives up.
  bool startUntilTheFirstFile(QString* finished = nullptr)
  {
    ++pendingAnswersGeneration;
    start(finished);
    return QTest::qWaitFor([this] { return bar()->value() >= 1; }, 60000);
  }
  // Runs what the GUI thread has queued (a stopped worker's last progress values): an end
  // announced from them would be shown, and answered, before this returns.
  static void runQueuedEvents() { QCoreApplication::sendPostedEvents(); }
};

TEST_F(BatchRunTest, ARunIsAnnouncedAfterItsLastFileAndStartWaitsForItsWorker)
{
  prepare(3);
  // Each run's worker stops at its very end, after its report, until the next Start or Escape:
  // the end is announced while its thread still runs, and Start must wait for it.
  meterWorker();
  permits.release(3);
  QList<int> values;
  QObject::connect(bar(), &QProgressBar::valueChanged, [&values](int v) { values << v; });
  QString finished;
  start(&finished);
  EXPECT_FALSE(child<QWidget>(*dialog, "treeWidget")->isEnabled()) << "a run disables the page";
  EXPECT_TRUE(button(QDialogButtonBox::Abort)->isEnabled());
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 60000));
  EXPECT_GE(clock.elapsed(), 1000) << "the end waits a second";
  EXPECT_EQ(finished, "Batch processing finished. \n(Report generated at destination path.)");
  EXPECT_EQ(values.mid(0, 4), (QList<int>{0, 1, 2, 3}));
  EXPECT_TRUE(QTest::qWaitFor([&] { return inputsEnabled(); }, 60000));
  EXPECT_TRUE(bar()->isHidden());
  EXPECT_TRUE(reportWritten());

  for (int run = 0; run < SOAK_STARTS; ++run) {
    QFile::remove(QDir(destination).filePath("Report.txt"));
    finished.clear();
    permits.release(1 + 3); // the last run's end, this run's files
    start(&finished);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty() && inputsEnabled(); }, 60000)) << run;
    EXPECT_TRUE(reportWritten());
  }
  permits.release(1);
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible()) << "Escape after a run closes at once";
  EXPECT_EQ(dialog->result(), 0);

  dialog.reset();
  CDgnImportDlg next(&userIO, nullptr);
  EXPECT_EQ(child<QLabel>(next, "lblSourcePath")->toolTip(), source) << "the next dialog opens with the folders";
  EXPECT_EQ(child<QLabel>(next, "lblDestPath")->toolTip(), destination);
}

// A stop asked for at once after Start, before the worker has reached its first file (held
// there as it registers with the SDK), takes effect as one asked for later does.
TEST_F(BatchRunTest, AStopRightAfterStartTakesEffectBeforeTheFirstFile)
{
  prepare(3);
  for (const char* how : {"Cancel", "Escape"}) {
    SCOPED_TRACE(how);
    const bool cancel = how == QString("Cancel");
    QSemaphore atStart;
    odThreadsCounter().setStartThreadReaction([&](unsigned) { atStart.tryAcquire(1, 60000); });
    QString finished, asked;
    start(&finished);
    answerNextMessageBox(cancel ? QMessageBox::Yes : QMessageBox::NoButton, &asked,
                         [&] { atStart.release(); });
    if (cancel)
      button(QDialogButtonBox::Abort)->click();
    else
      QTest::keyClick(dialog.get(), Qt::Key_Escape);
    atStart.release(); // should the dialog not have asked
    EXPECT_EQ(asked, cancel ? "Do you want to cancel Batch Processing?" : "Aborting batch process");
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancel ? inputsEnabled() : !dialog->isVisible(); }, 60000));
    runQueuedEvents();
    EXPECT_TRUE(finished.isEmpty()) << "an abandoned run is never announced";
    EXPECT_FALSE(reportWritten());
    EXPECT_TRUE(QDir(destination).entryList({"*.dwg"}).isEmpty());
    odThreadsCounter().setStartThreadReaction(nullptr);
    ++pendingAnswersGeneration; // the end's answer, never needed, must not outlive `finished`
  }
}

TEST_F(BatchRunTest, AbortAnsweredNoGoesOnAndYesAbandonsTheRunForGood)
{
  prepare(101);
  QString finished, no;
  QList<int> values;
  QObject::connect(bar(), &QProgressBar::valueChanged, [&](int value) {
    values << value;
    if (value == 10)
      QTimer::singleShot(0, [&] {
        answerNextMessageBox(QMessageBox::No, &no);
        button(QDialogButtonBox::Abort)->click();
      });
  });
  // File 100 of 101 is still converting when the user answers Yes: it waits for the answer.
  QSemaphore answered;
  services.appServices.whileConverting = [&, count = 0]() mutable {
    if (++count != 100)
      return;
    QMetaObject::invokeMethod(dialog.get(), [&] {
      answerNextMessageBox(QMessageBox::Yes, nullptr, [&] { answered.release(); });
      button(QDialogButtonBox::Abort)->click();
    }, Qt::QueuedConnection);
    answered.acquire();
  };
  start(&finished);
  ASSERT_TRUE(QTest::qWaitFor([&] { return inputsEnabled(); }, 60000));
  EXPECT_EQ(no, "Do you want to cancel Batch Processing?");
  EXPECT_TRUE(values.contains(99)) << "No let the run go on";
  EXPECT_TRUE(bar()->isHidden());
  // A value of the stopped worker that is still queued belongs to no run.
  QMetaObject::invokeMethod(dialog.get(), "updatePB", Qt::QueuedConnection, Q_ARG(int, 100));
  runQueuedEvents();
  EXPECT_TRUE(finished.isEmpty()) << "an abandoned run is never announced";
  EXPECT_FALSE(reportWritten());
  EXPECT_EQ(QDir(destination).entryList({"*.dwg"}).size(), 99) << "nor is the model in hand copied";
}

TEST_F(BatchRunTest, GoingToInsertModeStopsTheRunWithTheTotalsSoFar)
{
  QString finished, question;
  prepare(300);
  ASSERT_TRUE(startUntilTheFirstFile(&finished));
  answerNextMessageBox(QMessageBox::Yes, &question);
  // The mode buttons are disabled while a run lasts; a host can still switch the mode.
  child<QRadioButton>(*dialog, "rbInsert")->setChecked(true);
  QMetaObject::invokeMethod(dialog.get(), "mode_changed");
  EXPECT_EQ(question, "Cancel batch processing?");
  EXPECT_EQ(child<QStackedWidget>(*dialog, "swModes")->currentIndex(), 0);
  const QByteArray text = report();
  EXPECT_TRUE(text.contains("Total number of converted files: ")) << "the totals so far: " << text.constData();
  EXPECT_FALSE(text.contains("Total number of converted files: 300")) << "the run stopped before its end";
  runQueuedEvents();
  EXPECT_TRUE(finished.isEmpty()) << "no end message";
}

TEST_F(BatchRunTest, EscapeDuringARunShowsTheAbortingBoxThenClosesTheDialog)
{
  QString finished, aborting;
  prepare(300);
  ASSERT_TRUE(startUntilTheFirstFile(&finished));
  answerNextMessageBox(QMessageBox::NoButton, &aborting);
  QElapsedTimer clock;
  clock.start();
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  EXPECT_EQ(aborting, "Aborting batch process");
  EXPECT_GE(clock.elapsed(), 900) << "the box shows for a second";
  EXPECT_TRUE(dialog->isVisible()) << "the dialog closes a second later";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); }));
  EXPECT_GE(clock.elapsed(), 1900);
  EXPECT_FALSE(reportWritten());
  EXPECT_FALSE(tempFolderPrepared());
}

TEST_F(BatchRunTest, StartForgetsFoldersThatHaveGone)
{
  prepare(2);
  ASSERT_TRUE(QDir(source).removeRecursively());
  ASSERT_TRUE(QDir(destination).removeRecursively());
  QString first, second;
  answerNextMessageBox(QMessageBox::Ok, &first, [&second] { answerNextMessageBox(QMessageBox::Ok, &second); });
  button(QDialogButtonBox::Ok)->click();
  EXPECT_EQ(first, QString("Source path \"%1\" does not exist.").arg(source));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !second.isEmpty(); }, 3000));
  EXPECT_EQ(second, QString("Destination path \"%1\" does not exist.").arg(destination));
  EXPECT_EQ(child<QTreeWidget>(*dialog, "treeWidget")->topLevelItemCount(), 0);
  EXPECT_TRUE(child<QLabel>(*dialog, "lblSourcePath")->text().isEmpty());
  EXPECT_FALSE(button(QDialogButtonBox::Ok)->isEnabled());
}

TEST_F(BatchRunTest, AFolderOfManyFilesListsRunsAndReportsWhileTheWindowAnswers)
{
  prepare(SOAK_FILES);
  auto* tree = child<QTreeWidget>(*dialog, "treeWidget");
  ASSERT_EQ(tree->topLevelItemCount(), SOAK_FILES);
  tree->expandItem(tree->topLevelItem(SOAK_FILES / 2));
  EXPECT_NE(tree->itemWidget(tree->topLevelItem(SOAK_FILES / 2)->child(0), 0), nullptr);
  EXPECT_EQ(dialog->findChildren<CFxDGNTableView*>().size(), 1) << "expanding one file reads that file alone";

  // The window answers all through the run: its timer sees the progress grow step by step, not
  // only the first and the last value as it would if the run held the GUI thread.
  std::set<int> seenByTimer;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { seenByTimer.insert(bar()->value()); });
  ticker.start(10);
  QString finished;
  start(&finished);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 600000));
  ticker.stop();
  EXPECT_GE(seenByTimer.size(), 10u);
  // A failure shows what the run reported and what arrived, before the folder goes.
  const QByteArray text = report();
  const QStringList drawings = QDir(destination).entryList({"*.dwg"}, QDir::Files);
  EXPECT_TRUE(text.endsWith(QString("Design Model: %1\r\nTotal number of failed files: 0\r\n").arg(SOAK_FILES).toUtf8()))
    << text.constData() << drawings.size() << " drawings arrived";
  EXPECT_EQ(drawings.size(), SOAK_FILES) << text.constData();
}

TEST_F(BatchRunTest, StartAndAbortAgainAndAgainInOneDialogThenStartAndEscapeInNewOnes)
{
  prepare(20);
  // Each run converts its first file and then waits at the second until the user has answered,
  // so that the stop always meets a run in progress.
  meterWorker();
  const auto startAndHoldAtTheSecondFile = [this] {
    permits.tryAcquire(permits.available()); // what the last, stopped run left
    permits.release(1);
    return startUntilTheFirstFile();
  };
  const auto letGo = [this] { permits.release(1 << 20); };
  for (int cycle = 0; cycle < SOAK_CYCLES; ++cycle) {
    ASSERT_TRUE(startAndHoldAtTheSecondFile()) << cycle;
    answerNextMessageBox(QMessageBox::Yes, nullptr, letGo);
    button(QDialogButtonBox::Abort)->click();
    ASSERT_TRUE(inputsEnabled()) << cycle;
  }
  for (int cycle = 0; cycle < SOAK_CYCLES; ++cycle) {
    ASSERT_TRUE(startAndHoldAtTheSecondFile()) << cycle;
    // The "Aborting batch process" box goes at once: its second is no part of what is soaked.
    answerNextMessageBox(QMessageBox::NoButton, nullptr, [letGo] {
      letGo();
      qobject_cast<QDialog*>(QApplication::activeModalWidget())->done(0);
    });
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    // The dialog has closed; the next one opens on the same folders.
    rememberedSettings().sourceFolder = source;
    rememberedSettings().destinationFolder = destination;
    openBatchPage();
    child<QCheckBox>(*dialog, "cbSelectAll")->click();
  }
  EXPECT_FALSE(reportWritten());
}

} // namespace
