#pragma once
#include <DgnImport.h>

#include <QDialog>
#include <QString>

class QListWidget;

// The IMPORTDGN dialog. It holds the one DGN importer that its Insert page, its batch tree and
// the batch worker share.
class CDgnImportDlg : public QDialog {
  Q_OBJECT

public:
  explicit CDgnImportDlg(QWidget* parent = nullptr);
  ~CDgnImportDlg() override;

  // Gives the dialog a new importer prepared with the host's services; false without one.
  bool initDgnImporter();
  // Drops the importer and makes a fresh one.
  bool resetDgnImporter();
  // Points the importer at `path` and lists the file's design models, the first one current.
  // False, with a message, when the file cannot be loaded or holds no design model; the list
  // keeps what it showed before.
  bool loadDgnFile(QString path);

  OdDgnImportPtr dgnImporter() const { return m_pDgnImporter; }

  QListWidget* lwDesignModel;

protected:
  OdDgnImportPtr m_pDgnImporter;
};
