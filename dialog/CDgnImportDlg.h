#pragma once
#include "CDgnImportDlgForm.h"
#include "UnitChoiceTable.h"

#include <CFxDialog.h>
#include <CFxString.h>
#include <DgnImport.h>
#include <OdDb.h>

#include <QString>

class CFxUserIO;
class DgnBatch;
class CFxDGNTableView;
class QAbstractItemView;
class QMessageBox;

// An insertion point the dialog hands to the command, or the wish to give it later.
struct InsertPointChoice {
  double x = 0.0, y = 0.0, z = 0.0;
  bool specifyLater = false;
};

// A scale or a rotation the dialog hands to the command, or the wish to give it later.
struct InsertValueChoice {
  double value = 0.0;
  bool specifyLater = false;
};

// The IMPORTDGN dialog: inserts one design model as a block, or converts folders in batch. It
// holds the one DGN importer that its Insert page, its batch tree and the batch worker share.
class CDgnImportDlg : public CFxDialog {
  Q_OBJECT

public:
  CDgnImportDlg(CFxUserIO* userIO, QWidget* parent);
  ~CDgnImportDlg() override;

  bool event(QEvent* e) override;
  void accept() override;
  void reject() override;
  long GetHelpId() const override;

  // Gives the dialog a new importer prepared with the host's services; false without one.
  bool initDgnImporter();
  // Drops the importer and makes a fresh one.
  bool resetDgnImporter();
  // Points the importer at `path` and lists the file's design models, the first one current.
  // False, with a message, when the file cannot be loaded or holds no design model; the list
  // keeps what it showed before.
  bool loadDgnFile(QString path);
  // Loads `path` and shows its name and folder; false when it does not exist or fails to load.
  bool checkDgnFile(QString path);
  // The radio texts with both units of the current model, and the model unit of the choice.
  void updateUnitLabels();

  // What the command reads once exec() has returned 1.
  CFxString getDesignModel() const { return m_designModel; }
  CFxString getDgnFile() const { return m_dgnFile; }
  OdDgnImportPtr getDgnImporter() const { return m_pDgnImporter; }
  bool isExplodeTextNodes() const { return m_bExplodeTextNodes; }
  InsertPointChoice getInsertionPoint() const;
  InsertValueChoice getRotation() const;
  InsertValueChoice getScale() const;
  OdDb::UnitsValue getSelectedUnits() const;

  // The batch page: lists the DGN files of `folder` afresh; false, with a warning, when it holds
  // none, and then nothing changes.
  bool listDgnFiles(const QString& folder);
  void addFileItem(const QString& name);
  // Start is available exactly when both folders are set and a listed file is checked.
  void refreshBatchState();
  // Makes the tree item of the file the table shows current and selected.
  void selectOwnerFile(QAbstractItemView* table);
  // The checked files, top to bottom.
  void buildWorkList();
  const QStringList& workList() const { return m_workList; }
  // While a run lasts the page's inputs are disabled, the bar shown and only Abort enabled.
  void setBatchRunning(bool running);

  // What a batch run reads: whether one unit choice serves every model, and the per-model
  // choices made in the batch tree.
  bool isGlobalSettingsChecked() const { return ui.cbGlobalSettings->isChecked(); }
  const UnitChoiceTable& unitChoiceTable() const { return m_unitChoices; }

  bool m_bMasterUnits;
  OdDb::UnitsValue m_modelUnit = OdDb::kUnitsUndefined;

signals:
  void unitsIndexChanged(int index);

public slots:
  void On_ModelSelectionChange(int row);
  void On_ClickedMasterUnits(bool checked);
  void ok_clicked();
  void cancel_clicked();
  void browse_clicked();
  void options_clicked();
  void scale_checked(int state);
  void rotation_checked(int state);
  void point_checked(int state);
  void explodeText_checked(int state);
  void mode_changed();
  void On_UnitComboValueChanged(int index);
  void source_clicked();
  void dest_clicked();
  void whenSelectAllChecked(bool on);
  void rowClicked(QTreeWidgetItem* item, int iColumn);
  void loadModels(QTreeWidgetItem* item);
  void slot_unitIndexChanged(int index);
  void slot_cellClicked(QModelIndex index);
  void slot_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
  void slot_sectionClicked(int section);
  void slot_globalSettingsChecked(int state);
  void abort_clicked();
  void batch_started();
  void barValueChanged(int value);
  void updatePB(int value);
  void closeMessageBox();
  void closeDialog();

protected:
  Ui::CDgnImportDlg ui;
  OdDgnImportPtr m_pDgnImporter;

private:
  // Asks for a DGN file until the user picks one that exists or cancels; empty when cancelled.
  QString promptForDgnFile();
  void showDgnFile(const QString& path);
  // The current model's unit under master or sub units ("MasterUnit" written first).
  OdDb::UnitsValue queryModelUnit(bool masterUnit);
  void enterInsertMode();
  // Pauses a worker whose run is in progress (even one not yet at its first file) and asks
  // `question`; true when the user wants the run stopped (or no run is in progress), false after
  // resuming it.
  bool confirmStop(const QString& question);
  // Leaving the Batch page: unless the user refuses to stop a run in progress, empties the tree
  // and the unit choices, detaches the worker's bar, waits for its thread and deletes it, so that
  // the run ends normally. False when refused.
  bool leaveBatchRun();
  // Cancels the worker, waits for its thread and deletes it: the run is abandoned.
  void cancelWorker();
  // Waits for the worker's thread, however long it takes, then deletes the worker.
  void releaseWorker();
  void enterBatchMode();
  // A design model table of `rows` rows with its column titles, owned by the dialog.
  CFxDGNTableView* newModelTable(int rows);
  // Makes the file tree wide enough for a model table's column titles.
  void fitTreeToModelTables();
  void setFolderLabels();
  // Asks for a folder, starting where `label` points; empty when cancelled.
  QString promptForFolder(const QLabel* label);
  void showFolder(QLabel* label, const QString& folder);
  // The text of `label` elided in the middle to its width, measured with `font`.
  static void setElidedText(QLabel* label, const QString& text, const QFont& font);
  QPushButton* okButton() const { return ui.buttonBox->button(QDialogButtonBox::Ok); }

  CFxString m_dgnFile;
  bool m_bExplodeTextNodes;
  CFxString m_designModel;
  CFxUserIO* m_pUserIO;
  QString m_dgnPath;
  QString m_sourceFolder;
  QString m_destinationFolder;

  QStringList m_workList;
  DgnBatch* m_pBatch = nullptr;
  QMessageBox* m_pAbortMsgBox = nullptr;

protected:
  UnitChoiceTable m_unitChoices;
};
