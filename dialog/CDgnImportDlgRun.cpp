// The Batch page's run control: start, progress, the end of a run and the three ways to stop.
#include "CDgnImportDlg.h"

#include "DgnImportSettings.h"

#include <DgnBatch.h>

#include <CFxMessageBox.h>
#include <WinPort.h>

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

namespace {
constexpr int kOkButton = 0x400;
constexpr int kYesNoButtons = 0x14000;
constexpr int kYesButton = 0x4000;
constexpr int kOneSecond = 1000;
} // namespace

void CDgnImportDlg::setBatchRunning(bool running)
{
  for (QWidget* input : std::initializer_list<QWidget*>{ui.cbSelectAll, okButton(), ui.cbExplodeTextNode,
                                                        ui.pbSourcePath, ui.pbDestPath, ui.rbInsert, ui.rbBatch,
                                                        ui.treeWidget, ui.cbGlobalSettings})
    input->setEnabled(!running);
  const bool unitChoice = !running && ui.cbGlobalSettings->isChecked();
  ui.masterunits_2->setEnabled(unitChoice);
  ui.subunits_2->setEnabled(unitChoice);
  ui.progressBar->setVisible(running);
  ui.progressBar->reset();
  ui.progressBar->setRange(0, 100);
  ui.buttonBox->button(QDialogButtonBox::Abort)->setEnabled(running);
  ui.buttonBox->button(QDialogButtonBox::Cancel)->setEnabled(!running);
}

void CDgnImportDlg::batch_started()
{
  bool failed = false;
  if (!QFileInfo::exists(m_sourceFolder)) {
    CFxMessageBox::warning(this, tr("Batch Processing"),
                           tr("Source path \"%1\" does not exist.").arg(m_sourceFolder), kOkButton);
    ui.treeWidget->clear();
    m_unitChoices.clear();
    m_sourceFolder.clear();
    ui.lblSourcePath->clear();
    ui.lblSourcePath->setToolTip(QString());
    ui.cbSelectAll->setChecked(false);
    failed = true;
  }
  if (!QFileInfo::exists(m_destinationFolder)) {
    CFxMessageBox::warning(this, tr("Batch Processing"),
                           tr("Destination path \"%1\" does not exist.").arg(m_destinationFolder), kOkButton);
    m_destinationFolder.clear();
    ui.lblDestPath->clear();
    ui.lblDestPath->setToolTip(QString());
    failed = true;
  }
  if (failed) {
    okButton()->setEnabled(false);
    return;
  }
  setBatchRunning(true);
  buildWorkList();
  if (m_pBatch)
    releaseWorker(); // the last run is announced before its worker has written the report
  m_pBatch = new DgnBatch(this);
  m_pBatch->setSourcePath(m_sourceFolder);
  m_pBatch->setDestinationPath(m_destinationFolder);
  m_pBatch->setExplodeTextNodes(m_bExplodeTextNodes);
  m_pBatch->setFileList(m_workList);
  m_pBatch->setMasterUnits(ui.masterunits_2->isChecked());
  m_pBatch->setProgressBar(ui.progressBar);
  m_pBatch->start(QThread::InheritPriority);
}

void CDgnImportDlg::updatePB(int value)
{
  // A stopped worker's last values may still be queued: they belong to no run any more.
  if (m_pBatch)
    ui.progressBar->setValue(value);
}

void CDgnImportDlg::barValueChanged(int value)
{
  if (value != ui.progressBar->maximum())
    return;
  Sleep(kOneSecond);
  ui.progressBar->setValue(value);
  CFxMessageBox::information(this, tr("Batch Processing"),
                             tr("Batch processing finished. \n(Report generated at destination path.)"), kOkButton);
  setBatchRunning(false);
  rememberedSettings().sourceFolder = m_sourceFolder;
  rememberedSettings().destinationFolder = m_destinationFolder;
}

bool CDgnImportDlg::confirmStop(const QString& question)
{
  if (!m_pBatch || !m_pBatch->isRunInProgress())
    return true;
  m_pBatch->pause();
  if (CFxMessageBox::warning(this, tr("Batch Processing"), question, kYesNoButtons, 0) == kYesButton)
    return true;
  m_pBatch->resume();
  return false;
}

bool CDgnImportDlg::leaveBatchRun()
{
  if (!m_pBatch)
    return true;
  if (!confirmStop(tr("Cancel batch processing?")))
    return false;
  ui.treeWidget->clear();
  m_unitChoices.clear();
  m_pBatch->setProgressBar(nullptr);
  while (m_pBatch->isRunning())
    QThread::msleep(5);
  releaseWorker();
  return true;
}

void CDgnImportDlg::cancelWorker()
{
  m_pBatch->setCancel(true);
  releaseWorker();
}

void CDgnImportDlg::releaseWorker()
{
  m_pBatch->wait(QDeadlineTimer(QDeadlineTimer::Forever));
  delete m_pBatch;
  m_pBatch = nullptr;
}

void CDgnImportDlg::abort_clicked()
{
  if (!m_pBatch || !m_pBatch->isRunInProgress())
    return;
  if (!confirmStop(tr("Do you want to cancel Batch Processing?")))
    return;
  cancelWorker();
  setBatchRunning(false);
}

void CDgnImportDlg::cancel_clicked()
{
  if (!leaveBatchRun())
    return;
  tempFolderPrepared() = false;
  QDialog::reject();
}

void CDgnImportDlg::reject()
{
  if (m_pBatch && m_pBatch->isRunInProgress()) {
    m_pBatch->pause();
    m_pAbortMsgBox = new QMessageBox(this);
    m_pAbortMsgBox->setText(tr("Aborting batch process"));
    m_pAbortMsgBox->setWindowTitle(tr("Batch Processing"));
    m_pAbortMsgBox->setStandardButtons(QMessageBox::NoButton);
    QTimer::singleShot(kOneSecond, this, SLOT(closeMessageBox()));
    m_pAbortMsgBox->exec();
    cancelWorker();
    tempFolderPrepared() = false;
    return; // closeDialog() closes the dialog a second after the box
  }
  if (m_pBatch)
    cancelWorker();
  tempFolderPrepared() = false;
  QDialog::reject();
}

void CDgnImportDlg::closeMessageBox()
{
  if (m_pAbortMsgBox) {
    m_pAbortMsgBox->reject();
    delete m_pAbortMsgBox;
    m_pAbortMsgBox = nullptr;
  }
  QTimer::singleShot(kOneSecond, this, SLOT(closeDialog()));
}

void CDgnImportDlg::closeDialog()
{
  QDialog::reject();
}
