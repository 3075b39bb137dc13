#pragma once
#include <CFxDialog.h>
#include <CFxQtDialogButtonBox.h>

#include <QCheckBox>
#include <QGridLayout>
#include <QPushButton>

// The options dialog's widgets.
class Ui_CDgnImportOptionsDlg {
public:
  QGridLayout* gridLayout;
  QCheckBox* cbExplodeTextNode;
  CFxQtDialogButtonBox* buttonBox;

  void setupUi(QDialog* CDgnImportOptionsDlg);
  void retranslateUi(QDialog* CDgnImportOptionsDlg);
};

namespace Ui {
class CDgnImportOptionsDlg : public Ui_CDgnImportOptionsDlg {};
} // namespace Ui

// The import options: whether text nodes are exploded into separate texts. Its check box
// starts as it was when the dialog was last read.
class CDgnImportOptionsDlg : public CFxDialog {
  Q_OBJECT

public:
  explicit CDgnImportOptionsDlg(QWidget* parent);
  ~CDgnImportOptionsDlg() override;

  long GetHelpId() const override;

  // The check box's state, which becomes the remembered option.
  bool isExplodeTextNodesChecked();

public slots:
  void close_clicked();

private:
  Ui::CDgnImportOptionsDlg ui;
};
