#pragma once
#include <CFxQtDialogButtonBox.h>
#include <CFxQtInsertComboBox.h>
#include <CFxQtTitleLabel.h>
#include <CFxQtUnitLineEdit.h>

#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

// The import dialog's widgets, in the order setupUi creates them; retranslateUi sets every
// translatable text.
class Ui_CDgnImportDlg {
public:
  QGridLayout* gridLayout;
  QVBoxLayout* verticalLayout_41;
  CFxQtTitleLabel* label_63;
  QFrame* line_41;
  QRadioButton* rbInsert;
  QRadioButton* rbBatch;
  QSpacerItem* horizontalSpacer;
  QCheckBox* cbExplodeTextNode;
  QStackedWidget* swModes;
  QWidget* mode_Insert;
  QGridLayout* gridLayout_2;
  QVBoxLayout* verticalLayout_43;
  CFxQtTitleLabel* label_65;
  QFrame* line_43;
  QLabel* lblPdfName_info;
  QLabel* lblDgnName;
  QPushButton* pbBrowse;
  QLabel* lblPdfPath_info;
  QLabel* lblDgnPath;
  QVBoxLayout* verticalLayout_26;
  CFxQtTitleLabel* label_48;
  QFrame* line_26;
  QVBoxLayout* verticalLayout_27;
  CFxQtTitleLabel* label_49;
  QFrame* line_27;
  QVBoxLayout* verticalLayout_28;
  CFxQtTitleLabel* label_50;
  QFrame* line_28;
  QListWidget* lwDesignModel;
  QCheckBox* cbPoint;
  QCheckBox* cbScale;
  QLabel* lblX;
  CFxQtUnitLineEdit* leX;
  QLabel* lblFactor;
  CFxQtUnitLineEdit* leFactor;
  QLabel* lblY;
  CFxQtUnitLineEdit* leY;
  QVBoxLayout* verticalLayout_30;
  CFxQtTitleLabel* label_52;
  QFrame* line_30;
  QLabel* lblZ;
  CFxQtUnitLineEdit* leZ;
  QCheckBox* cbRotation;
  QLabel* lblAngle;
  CFxQtUnitLineEdit* leAngle;
  QVBoxLayout* verticalLayout_31;
  CFxQtTitleLabel* lblPageLayoutOpt_8;
  QFrame* line_31;
  QVBoxLayout* verticalLayout_32;
  CFxQtTitleLabel* lblPageLayoutOpt_9;
  QFrame* line_32;
  QRadioButton* masterunits;
  QLabel* label;
  CFxQtInsertComboBox* unitComboBox;
  QRadioButton* subunits;
  QLabel* label_2;
  QLineEdit* leUnitFactor;
  QWidget* mode_Batch;
  QGridLayout* gridLayout_3;
  QVBoxLayout* verticalLayout_42;
  CFxQtTitleLabel* label_64;
  QFrame* line_42;
  QLabel* lblSourcePath_info;
  QLabel* lblSourcePath;
  QPushButton* pbSourcePath;
  QLabel* lblDestPah_info;
  QLabel* lblDestPath;
  QPushButton* pbDestPath;
  QTreeWidget* treeWidget;
  QCheckBox* cbSelectAll;
  QVBoxLayout* verticalLayout_33;
  CFxQtTitleLabel* lblPageLayoutOpt_11;
  QFrame* line_33;
  QCheckBox* cbGlobalSettings;
  QRadioButton* masterunits_2;
  QRadioButton* subunits_2;
  QSpacerItem* verticalSpacer;
  QProgressBar* progressBar;
  QSpacerItem* verticalSpacer_2;
  CFxQtDialogButtonBox* buttonBox;

  void setupUi(QDialog* CDgnImportDlg);
  void retranslateUi(QDialog* CDgnImportDlg);

private:
  void setupInsertPage();
  void setupBatchPage();
};

namespace Ui {
class CDgnImportDlg : public Ui_CDgnImportDlg {};
} // namespace Ui
