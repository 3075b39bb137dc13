// How soon the Batch page answers with a folder of many files (the shipped sample, copied):
// opening the dialog on the folder, expanding one file, and the longest the window goes without
// its 10 ms timer during a whole run, the run's last second (a pause on purpose) left out.
//
//     dialog_bench FILES WORKFOLDER
#include <CDgnImportDlg.h>
#include <DgnImportSettings.h>

#include <CFxDocument.h>
#include <FxHostSetup.h>
#include <RxDynamicLinker.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

namespace {

// Answers the message box that ends a run as soon as it shows.
void answerTheEnd(bool& ended)
{
  QTimer::singleShot(5, [&ended] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      box->accept();
      ended = true;
    } else {
      answerTheEnd(ended);
    }
  });
}

} // namespace

int main(int argc, char** argv)
{
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: dialog_bench FILES WORKFOLDER\n");
    return 2;
  }
  const int files = QString(argv[1]).toInt();
  const QDir work(QString::fromLocal8Bit(argv[2]));
  QDir(work.filePath("SRC")).removeRecursively();
  QDir(work.filePath("DEST")).removeRecursively();
  work.mkpath("SRC");
  work.mkpath("DEST");
  for (int i = 0; i < files; ++i)
    QFile::copy(DGN_SOURCE_DIR "/samples/plan.dgn", work.filePath(QString("SRC/p%1.dgn").arg(i)));

  odrxDynamicLinker()->setModuleFolder(OdString(DGN_BIN_DIR));
  odrxDynamicLinker()->loadModule(OdString("TD_DgnImport"));
  rememberedSettings().sourceFolder = work.filePath("SRC");
  rememberedSettings().destinationFolder = work.filePath("DEST");

  QElapsedTimer clock;
  clock.start();
  auto* dialog = new CDgnImportDlg(nullptr, nullptr);
  dialog->show();
  dialog->findChild<QRadioButton*>("rbBatch")->click();
  const qint64 listed = clock.elapsed();
  auto* tree = dialog->findChild<QTreeWidget*>("treeWidget");
  clock.restart();
  tree->expandItem(tree->topLevelItem(files / 2));
  const qint64 expanded = clock.elapsed();

  auto* bar = dialog->findChild<QProgressBar*>("progressBar");
  qint64 longestGap = 0;
  QElapsedTimer last;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    if (bar->value() < bar->maximum() - 1 && last.isValid())
      longestGap = std::max(longestGap, last.elapsed());
    last.start();
  });
  dialog->findChild<QCheckBox*>("cbSelectAll")->click();
  bool ended = false;
  answerTheEnd(ended);
  ticker.start(10);
  clock.restart();
  dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
  while (!ended)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  const qint64 run = clock.elapsed();
  ticker.stop();
  delete dialog;

  std::printf("%d files: Batch page listed in %lld ms, one file expanded in %lld ms, run %.1f s with the window "
              "at most %lld ms without its timer\n",
              files, listed, expanded, run / 1000.0, longestGap);
  return 0;
}
