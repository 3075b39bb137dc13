#pragma once
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>

class CDgnImportDlg;
class QProgressBar;

// Converts every design model of every file of a work list on a thread of its own, copies the
// drawings into the destination folder and writes "Report.txt" there. Its one channel to the
// dialog is signalUpdate; the dialog steers it through atomic flags and by detaching the bar.
class DgnBatch : public QThread {
  Q_OBJECT

public:
  explicit DgnBatch(CDgnImportDlg* owner);
  ~DgnBatch() override;

  void setSourcePath(const QString& path) { m_sourcePath = path; }
  void setDestinationPath(const QString& path) { m_destinationPath = path; }
  void setExplodeTextNodes(bool on) { m_explodeTextNodes = on; }
  void setFileList(const QStringList& names) { m_fileNames = names; }
  void setMasterUnits(bool on) { m_masterUnits = on; }
  // Attaches the progress bar, or with null detaches it: the run then ends after the current
  // model, normally, with the totals so far.
  void setProgressBar(QProgressBar* bar) { m_progressBar = bar; }

  bool isProcessing() const { return m_processing; }
  // From start() until the run ends normally: the time in which a stop asked for takes effect,
  // including the moments before the worker reaches its first file (processing still false).
  bool isRunInProgress() const { return isRunning() && !m_ended; }
  void pause();
  void resume();
  void setCancel(bool on) { m_cancel = on; }

signals:
  // The number of files finished so far.
  void signalUpdate(int value);

protected:
  void run() override;

private:
  void convertFiles();
  // Waits a little while paused, so that polling the flags costs next to nothing.
  void idleWhilePaused() const;
  // Whether the run is to be abandoned once a model has been converted: while the dialog asks
  // the user (paused) nothing is copied or written until the answer has come.
  bool stopAfterConversion() const;

  QString m_sourcePath;
  QString m_destinationPath;
  bool m_explodeTextNodes = false;
  std::atomic<bool> m_processing{false};
  std::atomic<bool> m_ended{false};
  std::atomic<bool> m_paused{false};
  std::atomic<bool> m_cancel{false};
  bool m_masterUnits = false;
  QStringList m_fileNames;
  std::atomic<QProgressBar*> m_progressBar{nullptr};
  CDgnImportDlg* m_owner;
};
