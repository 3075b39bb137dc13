#include "DialogTestSupport.h"

#include <DgnConversion.h>

#include <QProgressBar>
#include <QTest>
#include <QTreeWidget>

namespace {

constexpr char kFinished[] = "Batch processing finished. \n(Report generated at destination path.)";

class BatchRunTest : public DialogTest {
protected:
  void SetUp() override
  {
    DialogTest::SetUp();
    makeBatchFolders();
  }
  void TearDown() override
  {
    dialog.reset();
    clearTempFolder();
    DialogTest::TearDown();
  }
  // `count` copies of the sample, then a dialog on the Batch page with both folders and every
  // file checked.
  void prepare(int count)
  {
    for (int i = 0; i < count; ++i)
      ASSERT_TRUE(QFile::copy(DGN_SOURCE_DIR "/samples/plan.dgn", QDir(source).filePath(QString("p%1.dgn").arg(i))));
    dialog = std::make_unique<CDgnImportDlg>(&userIO, nullptr);
    dialog->show();
    child<QRadioButton>(*dialog, "rbBatch")->click();
    answerNextFolderDialog(source);
    child<QPushButton>(*dialog, "pbSourcePath")->click();
    answerNextFolderDialog(destination);
    child<QPushButton>(*dialog, "pbDestPath")->click();
    child<QCheckBox>(*dialog, "cbSelectAll")->click();
  }
  QPushButton* button(QDialogButtonBox::StandardButton which) const
  {
    return child<QDialogButtonBox>(*dialog, "buttonBox")->button(which);
  }
  QProgressBar* bar() const { return child<QProgressBar>(*dialog, "progressBar"); }
  bool reportWritten() const { return QFile::exists(QDir(destination).filePath("Report.txt")); }
  // Starts a run; `finished` receives the end message once the run has been announced.
  void start(QString* finished)
  {
    answerNextMessageBox(QMessageBox::Ok, finished);
    button(QDialogButtonBox::Ok)->click();
  }
  // A run of 500 files, long enough to be stopped; whether its first file has been done.
  bool startLongRun(QString* finished)
  {
    prepare(500);
    start(finished);
    return waitUntil([this] { return bar()->value() >= 1; });
  }
  bool inputsEnabled() const
  {
    return child<QWidget>(*dialog, "treeWidget")->isEnabled() && child<QWidget>(*dialog, "pbSourcePath")->isEnabled() &&
           button(QDialogButtonBox::Cancel)->isEnabled() && !button(QDialogButtonBox::Abort)->isEnabled();
  }

  std::unique_ptr<CDgnImportDlg> dialog;
};

TEST_F(BatchRunTest, ARunIsAnnouncedAfterItsLastFileAndCanBeRepeated)
{
  prepare(3);
  QList<int> values;
  QObject::connect(bar(), &QProgressBar::valueChanged, [&values](int v) { values << v; });
  QString finished;
  start(&finished);
  EXPECT_FALSE(inputsEnabled()) << "a run disables the page";
  EXPECT_TRUE(button(QDialogButtonBox::Abort)->isEnabled());
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(waitUntil([&] { return !finished.isEmpty(); }));
  EXPECT_GE(clock.elapsed(), 1000) << "the end waits a second";
  EXPECT_EQ(finished, kFinished);
  EXPECT_EQ(values.mid(0, 4), (QList<int>{0, 1, 2, 3}));
  EXPECT_TRUE(waitUntil([&] { return inputsEnabled(); }));
  EXPECT_TRUE(bar()->isHidden());
  EXPECT_TRUE(reportWritten());
  EXPECT_EQ(rememberedSettings().sourceFolder, source);
  EXPECT_EQ(rememberedSettings().destinationFolder, destination);

  QFile::remove(QDir(destination).filePath("Report.txt"));
  finished.clear();
  child<QCheckBox>(*dialog, "cbSelectAll")->click();
  if (!child<QCheckBox>(*dialog, "cbSelectAll")->isChecked())
    child<QCheckBox>(*dialog, "cbSelectAll")->click();
  start(&finished);
  ASSERT_TRUE(waitUntil([&] { return !finished.isEmpty(); })) << "a second run in the same dialog";
  EXPECT_TRUE(reportWritten());

  dialog.reset();
  CDgnImportDlg next(&userIO, nullptr);
  EXPECT_EQ(child<QLabel>(next, "lblSourcePath")->toolTip(), source) << "the next dialog opens with the folders";
}

TEST_F(BatchRunTest, AbortAnsweredNoLetsTheRunCompleteAndYesStopsIt)
{
  QString finished, question;
  ASSERT_TRUE(startLongRun(&finished));
  answerNextMessageBox(QMessageBox::No, &question);
  button(QDialogButtonBox::Abort)->click();
  EXPECT_EQ(question, "Do you want to cancel Batch Processing?");
  ASSERT_TRUE(waitUntil([&] { return !finished.isEmpty(); })) << "the run went on";
  EXPECT_TRUE(reportWritten());

  QFile::remove(QDir(destination).filePath("Report.txt"));
  if (!child<QCheckBox>(*dialog, "cbSelectAll")->isChecked())
    child<QCheckBox>(*dialog, "cbSelectAll")->click();
  finished.clear();
  start(&finished);
  ASSERT_TRUE(waitUntil([&] { return bar()->value() >= 1; }));
  answerNextMessageBox(QMessageBox::Yes);
  button(QDialogButtonBox::Abort)->click();
  EXPECT_TRUE(inputsEnabled());
  EXPECT_TRUE(bar()->isHidden());
  waitUntil([] { return false; }, 300);
  EXPECT_FALSE(reportWritten()) << "an abandoned run writes no report";
}

TEST_F(BatchRunTest, GoingToInsertModeStopsTheRunWithTheTotalsSoFar)
{
  QString finished, question;
  ASSERT_TRUE(startLongRun(&finished));
  answerNextMessageBox(QMessageBox::Yes, &question);
  // The mode buttons are disabled while a run lasts; a host can still switch the mode.
  child<QRadioButton>(*dialog, "rbInsert")->setChecked(true);
  QMetaObject::invokeMethod(dialog.get(), "mode_changed");
  EXPECT_EQ(question, "Cancel batch processing?");
  EXPECT_EQ(child<QStackedWidget>(*dialog, "swModes")->currentIndex(), 0);
  ASSERT_TRUE(reportWritten());
  QFile report(QDir(destination).filePath("Report.txt"));
  ASSERT_TRUE(report.open(QIODevice::ReadOnly));
  const QByteArray text = report.readAll();
  EXPECT_TRUE(text.contains("Total number of converted files: ")) << text.constData();
  EXPECT_FALSE(text.contains("Total number of converted files: 500"));
  waitUntil([] { return false; }, 1500);
  EXPECT_TRUE(finished.isEmpty()) << "no end message";
}

TEST_F(BatchRunTest, EscapeDuringARunShowsTheAbortingBoxThenClosesTheDialog)
{
  QString finished, aborting;
  ASSERT_TRUE(startLongRun(&finished));
  answerNextMessageBox(QMessageBox::NoButton, &aborting);
  QElapsedTimer clock;
  clock.start();
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  EXPECT_EQ(aborting, "Aborting batch process");
  EXPECT_GE(clock.elapsed(), 900) << "the box shows for a second";
  EXPECT_TRUE(dialog->isVisible()) << "the dialog closes a second later";
  ASSERT_TRUE(waitUntil([&] { return !dialog->isVisible(); }, 5000));
  EXPECT_GE(clock.elapsed(), 1900);
  EXPECT_FALSE(reportWritten());
  EXPECT_FALSE(tempFolderPrepared());
}

TEST_F(BatchRunTest, EscapeAfterARunClosesAtOnce)
{
  prepare(1);
  QString finished;
  start(&finished);
  ASSERT_TRUE(waitUntil([&] { return !finished.isEmpty(); }));
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), 0);
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
  waitUntil([&] { return !second.isEmpty(); }, 3000);
  EXPECT_EQ(second, QString("Destination path \"%1\" does not exist.").arg(destination));
  EXPECT_EQ(child<QTreeWidget>(*dialog, "treeWidget")->topLevelItemCount(), 0);
  EXPECT_TRUE(child<QLabel>(*dialog, "lblSourcePath")->text().isEmpty());
  EXPECT_FALSE(button(QDialogButtonBox::Ok)->isEnabled());
}

TEST_F(BatchRunTest, TheGuiThreadStaysResponsiveDuringARun)
{
  prepare(150);
  QElapsedTimer sinceTick;
  qint64 longestGap = 0;
  bool measuring = true;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    if (!measuring)
      return;
    if (sinceTick.isValid())
      longestGap = std::max(longestGap, sinceTick.elapsed());
    sinceTick.restart();
  });
  // The end of a run sleeps a second on purpose; measure up to the last file.
  QObject::connect(bar(), &QProgressBar::valueChanged, [&](int value) {
    if (value >= bar()->maximum() - 1 && value > 1)
      measuring = false;
  });
  ticker.start(10);
  QString finished;
  start(&finished);
  ASSERT_TRUE(waitUntil([&] { return !finished.isEmpty(); }));
  EXPECT_LT(longestGap, 100);
}

} // namespace
