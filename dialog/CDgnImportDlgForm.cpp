#include "CDgnImportDlgForm.h"

#include "HeadedGroup.h"

#include <QCoreApplication>

namespace {

constexpr int kDialogButtons = 0x1440400; // Ok, Abort, Cancel, Help

QSizePolicy policy(QSizePolicy::Policy horizontal, QSizePolicy::Policy vertical, QWidget* widget)
{
  QSizePolicy result(horizontal, vertical);
  result.setHorizontalStretch(0);
  result.setVerticalStretch(0);
  result.setHeightForWidth(widget->sizePolicy().hasHeightForWidth());
  return result;
}

template <class Widget>
Widget* make(QWidget* parent, const char* name)
{
  auto* widget = new Widget(parent);
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

void assign(const HeadedGroup& group, QVBoxLayout*& layout, CFxQtTitleLabel*& label, QFrame*& line)
{
  layout = group.layout;
  label = group.label;
  line = group.line;
}

} // namespace

void Ui_CDgnImportDlg::setupUi(QDialog* CDgnImportDlg)
{
  if (CDgnImportDlg->objectName().isEmpty())
    CDgnImportDlg->setObjectName(QString::fromLatin1("CDgnImportDlg"));
  CDgnImportDlg->setWindowModality(Qt::NonModal);
  CDgnImportDlg->resize(528, 466);
  gridLayout = new QGridLayout(CDgnImportDlg);
  gridLayout->setObjectName(QString::fromLatin1("gridLayout"));
  gridLayout->setHorizontalSpacing(12);
  assign(makeHeadedGroup(CDgnImportDlg, "verticalLayout_41", "label_63", "line_41", 0), verticalLayout_41, label_63,
         line_41);
  gridLayout->addLayout(verticalLayout_41, 0, 0, 1, 3);

  rbInsert = make<QRadioButton>(CDgnImportDlg, "rbInsert");
  gridLayout->addWidget(rbInsert, 1, 0, 1, 1);
  rbBatch = make<QRadioButton>(CDgnImportDlg, "rbBatch");
  gridLayout->addWidget(rbBatch, 1, 1, 1, 1);
  horizontalSpacer = new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
  gridLayout->addItem(horizontalSpacer, 1, 2, 1, 1);
  cbExplodeTextNode = make<QCheckBox>(CDgnImportDlg, "cbExplodeTextNode");
  gridLayout->addWidget(cbExplodeTextNode, 2, 0, 1, 3);

  swModes = make<QStackedWidget>(CDgnImportDlg, "swModes");
  setupInsertPage();
  setupBatchPage();
  gridLayout->addWidget(swModes, 3, 0, 1, 3);

  verticalSpacer_2 = new QSpacerItem(20, 7, QSizePolicy::Minimum, QSizePolicy::Fixed);
  gridLayout->addItem(verticalSpacer_2, 4, 0, 1, 3);
  buttonBox = make<CFxQtDialogButtonBox>(CDgnImportDlg, "buttonBox");
  buttonBox->setSizePolicy(policy(QSizePolicy::Expanding, QSizePolicy::Preferred, buttonBox));
  buttonBox->setOrientation(Qt::Horizontal);
  buttonBox->setStandardButtons(QDialogButtonBox::StandardButtons(kDialogButtons));
  gridLayout->addWidget(buttonBox, 5, 0, 1, 3);

  QWidget::setTabOrder(rbInsert, rbBatch);
  QWidget::setTabOrder(rbBatch, cbExplodeTextNode);
  QWidget::setTabOrder(cbExplodeTextNode, pbBrowse);
  QWidget::setTabOrder(pbBrowse, lwDesignModel);
  QWidget::setTabOrder(lwDesignModel, cbPoint);
  QWidget::setTabOrder(cbPoint, leX);
  QWidget::setTabOrder(leX, leY);
  QWidget::setTabOrder(leY, leZ);
  QWidget::setTabOrder(leZ, cbScale);
  QWidget::setTabOrder(cbScale, leFactor);
  QWidget::setTabOrder(leFactor, cbRotation);
  QWidget::setTabOrder(cbRotation, leAngle);
  QWidget::setTabOrder(leAngle, masterunits);
  QWidget::setTabOrder(masterunits, subunits);
  QWidget::setTabOrder(subunits, unitComboBox);
  QWidget::setTabOrder(unitComboBox, leUnitFactor);
  QWidget::setTabOrder(leUnitFactor, buttonBox);
  QWidget::setTabOrder(buttonBox, treeWidget);
  QWidget::setTabOrder(treeWidget, pbSourcePath);
  QWidget::setTabOrder(pbSourcePath, pbDestPath);
  QWidget::setTabOrder(pbDestPath, cbSelectAll);
  QWidget::setTabOrder(cbSelectAll, cbGlobalSettings);
  QWidget::setTabOrder(cbGlobalSettings, masterunits_2);
  QWidget::setTabOrder(masterunits_2, subunits_2);

  retranslateUi(CDgnImportDlg);
  swModes->setCurrentIndex(0);
  lwDesignModel->setCurrentRow(-1);
  QMetaObject::connectSlotsByName(CDgnImportDlg);
}

void Ui_CDgnImportDlg::setupInsertPage()
{
  mode_Insert = make<QWidget>(nullptr, "mode_Insert");
  gridLayout_2 = new QGridLayout(mode_Insert);
  gridLayout_2->setObjectName(QString::fromLatin1("gridLayout_2"));
  gridLayout_2->setHorizontalSpacing(12);
  gridLayout_2->setContentsMargins(0, 0, 0, 0);

  assign(makeHeadedGroup(mode_Insert, "verticalLayout_43", "label_65", "line_43", 9), verticalLayout_43, label_65,
         line_43);
  gridLayout_2->addLayout(verticalLayout_43, 0, 0, 1, 7);
  lblPdfName_info = make<QLabel>(mode_Insert, "lblPdfName_info");
  lblPdfName_info->setSizePolicy(policy(QSizePolicy::Maximum, QSizePolicy::Preferred, lblPdfName_info));
  gridLayout_2->addWidget(lblPdfName_info, 1, 0, 1, 1);
  lblDgnName = make<QLabel>(mode_Insert, "lblDgnName");
  lblDgnName->setSizePolicy(policy(QSizePolicy::Minimum, QSizePolicy::Preferred, lblDgnName));
  gridLayout_2->addWidget(lblDgnName, 1, 1, 1, 5);
  pbBrowse = make<QPushButton>(mode_Insert, "pbBrowse");
  pbBrowse->setSizePolicy(policy(QSizePolicy::Minimum, QSizePolicy::Fixed, pbBrowse));
  pbBrowse->setAutoDefault(false);
  gridLayout_2->addWidget(pbBrowse, 1, 6, 1, 1);
  lblPdfPath_info = make<QLabel>(mode_Insert, "lblPdfPath_info");
  lblPdfPath_info->setSizePolicy(policy(QSizePolicy::Maximum, QSizePolicy::Preferred, lblPdfPath_info));
  gridLayout_2->addWidget(lblPdfPath_info, 2, 0, 1, 1);
  lblDgnPath = make<QLabel>(mode_Insert, "lblDgnPath");
  lblDgnPath->setSizePolicy(policy(QSizePolicy::Minimum, QSizePolicy::Preferred, lblDgnPath));
  gridLayout_2->addWidget(lblDgnPath, 2, 1, 1, 5);

  assign(makeHeadedGroup(mode_Insert, "verticalLayout_26", "label_48", "line_26", 9), verticalLayout_26, label_48,
         line_26);
  gridLayout_2->addLayout(verticalLayout_26, 3, 0, 1, 2);
  assign(makeHeadedGroup(mode_Insert, "verticalLayout_27", "label_49", "line_27", 9), verticalLayout_27, label_49,
         line_27);
  gridLayout_2->addLayout(verticalLayout_27, 3, 2, 1, 2);
  assign(makeHeadedGroup(mode_Insert, "verticalLayout_28", "label_50", "line_28", 9), verticalLayout_28, label_50,
         line_28);
  gridLayout_2->addLayout(verticalLayout_28, 3, 4, 1, 3);

  lwDesignModel = make<QListWidget>(mode_Insert, "lwDesignModel");
  lwDesignModel->setSizePolicy(policy(QSizePolicy::Expanding, QSizePolicy::Expanding, lwDesignModel));
  lwDesignModel->setDragEnabled(false);
  lwDesignModel->setDragDropMode(QAbstractItemView::NoDragDrop);
  lwDesignModel->setSelectionMode(QAbstractItemView::SingleSelection);
  lwDesignModel->setSelectionBehavior(QAbstractItemView::SelectRows);
  lwDesignModel->setIconSize(QSize(64, 64));
  lwDesignModel->setMovement(QListView::Static);
  lwDesignModel->setFlow(QListView::TopToBottom);
  lwDesignModel->setProperty("isWrapping", QVariant(false));
  lwDesignModel->setViewMode(QListView::ListMode);
  gridLayout_2->addWidget(lwDesignModel, 4, 0, 7, 2);
  cbPoint = make<QCheckBox>(mode_Insert, "cbPoint");
  cbPoint->setChecked(false);
  gridLayout_2->addWidget(cbPoint, 4, 2, 1, 2);
  cbScale = make<QCheckBox>(mode_Insert, "cbScale");
  gridLayout_2->addWidget(cbScale, 4, 4, 1, 3);

  lblX = make<QLabel>(mode_Insert, "lblX");
  lblX->setSizePolicy(policy(QSizePolicy::Maximum, QSizePolicy::Preferred, lblX));
  gridLayout_2->addWidget(lblX, 5, 2, 1, 1);
  leX = make<CFxQtUnitLineEdit>(mode_Insert, "leX");
  leX->setUnitType(CFxQtUnitLineEdit::kLength);
  leX->setText(QString());
  gridLayout_2->addWidget(leX, 5, 3, 1, 1);
  lblFactor = make<QLabel>(mode_Insert, "lblFactor");
  lblFactor->setSizePolicy(policy(QSizePolicy::Maximum, QSizePolicy::Preferred, lblFactor));
  gridLayout_2->addWidget(lblFactor, 5, 4, 1, 1);
  leFactor = make<CFxQtUnitLineEdit>(mode_Insert, "leFactor");
  leFactor->setSizePolicy(policy(QSizePolicy::Preferred, QSizePolicy::Fixed, leFactor));
  leFactor->setUnitType(CFxQtUnitLineEdit::kLength);
  gridLayout_2->addWidget(leFactor, 5, 5, 1, 2);
  lblY = make<QLabel>(mode_Insert, "lblY");
  lblY->setSizePolicy(policy(QSizePolicy::Maximum, QSizePolicy::Preferred, lblY));
  gridLayout_2->addWidget(lblY, 6, 2, 1, 1);
  leY = make<CFxQtUnitLineEdit>(mode_Insert, "leY");
  leY->setUnitType(CFxQtUnitLineEdit::kLength);
  gridLayout_2->addWidget(leY, 6, 3, 1, 1);
  assign(makeHeadedGroup(mode_Insert, "verticalLayout_30", "label_52", "line_30", 9), verticalLayout_30, label_52,
         line_30);
  gridLayout_2->addLayout(verticalLayout_30, 6, 4, 1, 3);
  lblZ = make<QLabel>(mode_Insert, "lblZ");
  lblZ->setSizePolicy(policy(QSizePolicy::Maximum, QSizePolicy::Preferred, lblZ));
  gridLayout_2->addWidget(lblZ, 7, 2, 1, 1);
  leZ = make<CFxQtUnitLineEdit>(mode_Insert, "leZ");
  leZ->setUnitType(CFxQtUnitLineEdit::kLength);
  gridLayout_2->addWidget(leZ, 7, 3, 1, 1);
  cbRotation = make<QCheckBox>(mode_Insert, "cbRotation");
  gridLayout_2->addWidget(cbRotation, 7, 4, 1, 3);
  lblAngle = make<QLabel>(mode_Insert, "lblAngle");
  lblAngle->setSizePolicy(policy(QSizePolicy::Maximum, QSizePolicy::Preferred, lblAngle));
  gridLayout_2->addWidget(lblAngle, 8, 4, 1, 1);
  leAngle = make<CFxQtUnitLineEdit>(mode_Insert, "leAngle");
  leAngle->setSizePolicy(policy(QSizePolicy::Preferred, QSizePolicy::Fixed, leAngle));
  leAngle->setUnitType(CFxQtUnitLineEdit::kLength);
  gridLayout_2->addWidget(leAngle, 8, 5, 1, 2);

  assign(makeHeadedGroup(mode_Insert, "verticalLayout_31", "lblPageLayoutOpt_8", "line_31", 9), verticalLayout_31,
         lblPageLayoutOpt_8, line_31);
  gridLayout_2->addLayout(verticalLayout_31, 9, 2, 1, 2);
  assign(makeHeadedGroup(mode_Insert, "verticalLayout_32", "lblPageLayoutOpt_9", "line_32", 9), verticalLayout_32,
         lblPageLayoutOpt_9, line_32);
  gridLayout_2->addLayout(verticalLayout_32, 9, 4, 1, 3);
  masterunits = make<QRadioButton>(mode_Insert, "masterunits");
  gridLayout_2->addWidget(masterunits, 10, 2, 1, 2);
  label = make<QLabel>(mode_Insert, "label");
  gridLayout_2->addWidget(label, 10, 4, 1, 2);
  unitComboBox = make<CFxQtInsertComboBox>(mode_Insert, "unitComboBox");
  unitComboBox->setCurrentText(QString());
  gridLayout_2->addWidget(unitComboBox, 10, 6, 1, 1);
  subunits = make<QRadioButton>(mode_Insert, "subunits");
  gridLayout_2->addWidget(subunits, 12, 2, 1, 2);
  label_2 = make<QLabel>(mode_Insert, "label_2");
  gridLayout_2->addWidget(label_2, 12, 4, 1, 2);
  leUnitFactor = make<QLineEdit>(mode_Insert, "leUnitFactor");
  leUnitFactor->setEnabled(false);
  gridLayout_2->addWidget(leUnitFactor, 12, 6, 1, 1);
  gridLayout_2->setColumnStretch(0, 1);
  gridLayout_2->setColumnStretch(1, 1);

  lblX->setBuddy(leX);
  lblFactor->setBuddy(leFactor);
  lblY->setBuddy(leY);
  lblZ->setBuddy(leZ);
  lblAngle->setBuddy(leAngle);
  label->setBuddy(unitComboBox);
  swModes->addWidget(mode_Insert);
}

void Ui_CDgnImportDlg::setupBatchPage()
{
  mode_Batch = make<QWidget>(nullptr, "mode_Batch");
  gridLayout_3 = new QGridLayout(mode_Batch);
  gridLayout_3->setObjectName(QString::fromLatin1("gridLayout_3"));
  gridLayout_3->setHorizontalSpacing(12);
  gridLayout_3->setContentsMargins(0, 0, 0, 0);

  assign(makeHeadedGroup(mode_Batch, "verticalLayout_42", "label_64", "line_42", 9), verticalLayout_42, label_64,
         line_42);
  gridLayout_3->addLayout(verticalLayout_42, 0, 0, 1, 4);
  lblSourcePath_info = make<QLabel>(mode_Batch, "lblSourcePath_info");
  lblSourcePath_info->setSizePolicy(policy(QSizePolicy::Maximum, QSizePolicy::Preferred, lblSourcePath_info));
  gridLayout_3->addWidget(lblSourcePath_info, 1, 0, 1, 2);
  lblSourcePath = make<QLabel>(mode_Batch, "lblSourcePath");
  lblSourcePath->setSizePolicy(policy(QSizePolicy::Minimum, QSizePolicy::Preferred, lblSourcePath));
  lblSourcePath->setWordWrap(false);
  gridLayout_3->addWidget(lblSourcePath, 1, 2, 1, 1);
  pbSourcePath = make<QPushButton>(mode_Batch, "pbSourcePath");
  pbSourcePath->setSizePolicy(policy(QSizePolicy::Preferred, QSizePolicy::Fixed, pbSourcePath));
  pbSourcePath->setAutoDefault(false);
  gridLayout_3->addWidget(pbSourcePath, 1, 3, 1, 1);
  lblDestPah_info = make<QLabel>(mode_Batch, "lblDestPah_info");
  lblDestPah_info->setSizePolicy(policy(QSizePolicy::Maximum, QSizePolicy::Preferred, lblDestPah_info));
  gridLayout_3->addWidget(lblDestPah_info, 3, 0, 1, 2);
  lblDestPath = make<QLabel>(mode_Batch, "lblDestPath");
  lblDestPath->setSizePolicy(policy(QSizePolicy::Minimum, QSizePolicy::Preferred, lblDestPath));
  gridLayout_3->addWidget(lblDestPath, 3, 2, 1, 1);
  pbDestPath = make<QPushButton>(mode_Batch, "pbDestPath");
  pbDestPath->setSizePolicy(policy(QSizePolicy::Preferred, QSizePolicy::Fixed, pbDestPath));
  pbDestPath->setAutoDefault(false);
  gridLayout_3->addWidget(pbDestPath, 3, 3, 1, 1);

  treeWidget = make<QTreeWidget>(mode_Batch, "treeWidget");
  treeWidget->headerItem()->setText(0, QString::fromLatin1("1"));
  treeWidget->setSizePolicy(policy(QSizePolicy::Preferred, QSizePolicy::Preferred, treeWidget));
  treeWidget->setMaximumSize(QSize(16777215, 16777215));
  treeWidget->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  treeWidget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  treeWidget->setTabKeyNavigation(false);
  treeWidget->setAlternatingRowColors(false);
  treeWidget->setSelectionMode(QAbstractItemView::SingleSelection);
  treeWidget->setSelectionBehavior(QAbstractItemView::SelectRows);
  treeWidget->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  gridLayout_3->addWidget(treeWidget, 4, 0, 6, 3);
  cbSelectAll = make<QCheckBox>(mode_Batch, "cbSelectAll");
  gridLayout_3->addWidget(cbSelectAll, 4, 3, 1, 1);
  assign(makeHeadedGroup(mode_Batch, "verticalLayout_33", "lblPageLayoutOpt_11", "line_33", 9), verticalLayout_33,
         lblPageLayoutOpt_11, line_33);
  gridLayout_3->addLayout(verticalLayout_33, 5, 3, 1, 1);
  cbGlobalSettings = make<QCheckBox>(mode_Batch, "cbGlobalSettings");
  gridLayout_3->addWidget(cbGlobalSettings, 6, 3, 1, 1);
  masterunits_2 = make<QRadioButton>(mode_Batch, "masterunits_2");
  masterunits_2->setChecked(true);
  gridLayout_3->addWidget(masterunits_2, 7, 3, 1, 1);
  subunits_2 = make<QRadioButton>(mode_Batch, "subunits_2");
  gridLayout_3->addWidget(subunits_2, 8, 3, 1, 1);
  verticalSpacer = new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding);
  gridLayout_3->addItem(verticalSpacer, 9, 3, 1, 1);
  progressBar = make<QProgressBar>(mode_Batch, "progressBar");
  progressBar->setValue(0);
  progressBar->setAlignment(Qt::AlignCenter);
  progressBar->setFormat(QString::fromLatin1("%p%"));
  gridLayout_3->addWidget(progressBar, 10, 0, 1, 4);
  gridLayout_3->setColumnStretch(2, 1);
  swModes->addWidget(mode_Batch);
}

void Ui_CDgnImportDlg::retranslateUi(QDialog* CDgnImportDlg)
{
  CDgnImportDlg->setWindowTitle(QCoreApplication::translate("CDgnImportDlg", "DGN Import", nullptr));
  label_63->setText(QCoreApplication::translate("CDgnImportDlg", "Mode", nullptr));
  rbInsert->setText(QCoreApplication::translate("CDgnImportDlg", "&Insert as Block", nullptr));
  rbBatch->setText(QCoreApplication::translate("CDgnImportDlg", "&Batch processing", nullptr));
  cbExplodeTextNode->setText(QCoreApplication::translate("CDgnImportDlg", "Explode te&xt node to text elements", nullptr));
  label_65->setText(QCoreApplication::translate("CDgnImportDlg", "DGN file", nullptr));
  lblPdfName_info->setText(QCoreApplication::translate("CDgnImportDlg", "Name:", nullptr));
  lblDgnName->setText(QString());
  pbBrowse->setText(QCoreApplication::translate("CDgnImportDlg", "Bro&wse...", nullptr));
  lblPdfPath_info->setText(QCoreApplication::translate("CDgnImportDlg", "Path:", nullptr));
  lblDgnPath->setText(QString());
  label_48->setText(QCoreApplication::translate("CDgnImportDlg", "Select a design model", nullptr));
  label_49->setText(QCoreApplication::translate("CDgnImportDlg", "Position", nullptr));
  label_50->setText(QCoreApplication::translate("CDgnImportDlg", "Scale", nullptr));
  cbPoint->setText(QCoreApplication::translate("CDgnImportDlg", "&Specify later", nullptr));
  cbScale->setText(QCoreApplication::translate("CDgnImportDlg", "Specify &later", nullptr));
  lblX->setText(QString::fromLatin1("&X:"));
  lblFactor->setText(QCoreApplication::translate("CDgnImportDlg", "&Factor:", nullptr));
  lblY->setText(QString::fromLatin1("&Y:"));
  label_52->setText(QCoreApplication::translate("CDgnImportDlg", "Rotation", nullptr));
  lblZ->setText(QString::fromLatin1("&Z:"));
  cbRotation->setText(QCoreApplication::translate("CDgnImportDlg", "Sp&ecify later", nullptr));
  lblAngle->setText(QCoreApplication::translate("CDgnImportDlg", "&Angle:", nullptr));
  lblPageLayoutOpt_8->setText(QCoreApplication::translate("CDgnImportDlg", "DGN file units", nullptr));
  lblPageLayoutOpt_9->setText(QCoreApplication::translate("CDgnImportDlg", "Convert drawing to", nullptr));
  masterunits->setText(QCoreApplication::translate("CDgnImportDlg", "&Master units", nullptr));
  label->setText(QCoreApplication::translate("CDgnImportDlg", "Uni&ts:", nullptr));
  subunits->setText(QCoreApplication::translate("CDgnImportDlg", "S&ub units", nullptr));
  label_2->setText(QCoreApplication::translate("CDgnImportDlg", "Factor:", nullptr));
  label_64->setText(QCoreApplication::translate("CDgnImportDlg", "DGN files", nullptr));
  lblSourcePath_info->setText(QCoreApplication::translate("CDgnImportDlg", "Source Path:", nullptr));
  lblSourcePath->setText(QString());
  pbSourcePath->setText(QCoreApplication::translate("CDgnImportDlg", "Bro&wse...", nullptr));
  lblDestPah_info->setText(QCoreApplication::translate("CDgnImportDlg", "Destination Path:", nullptr));
  lblDestPath->setText(QString());
  pbDestPath->setText(QCoreApplication::translate("CDgnImportDlg", "Brow&se...", nullptr));
  cbSelectAll->setText(QCoreApplication::translate("CDgnImportDlg", "Select &all", nullptr));
  lblPageLayoutOpt_11->setText(QCoreApplication::translate("CDgnImportDlg", "DGN file units", nullptr));
  cbGlobalSettings->setText(QCoreApplication::translate("CDgnImportDlg", "&Use global settings", nullptr));
  masterunits_2->setText(QCoreApplication::translate("CDgnImportDlg", "&Master units", nullptr));
  subunits_2->setText(QCoreApplication::translate("CDgnImportDlg", "S&ub units", nullptr));
}
