#include "CDgnImportDlg.h"

#include "CDgnImportOptionsDlg.h"
#include "DgnImportSettings.h"

#include <DgnConversion.h>
#include <DgnImporter.h>
#include <ImporterProperties.h>

#include <CFxDocument.h>
#include <CFxKeywordArray.h>
#include <CFxMessageBox.h>
#include <CFxSystemServices.h>
#include <CFxUserIO.h>
#include <CFxUtils.h>

#include <QButtonGroup>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QPalette>
#include <QSignalBlocker>

using namespace importer_properties;

namespace {

// Warning icon and OK button, in Windows message-box styles.
constexpr unsigned kWarningOk = 0x30;
constexpr Qt::WindowFlags kDialogFlags = Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
constexpr long kHelpId = 133204;
constexpr int kPromptOk = 5100;
constexpr int kOkButton = 0x400;

QString unitFactorText(double factor)
{
  return QString::number(factor, 'g', 6);
}

} // namespace

CDgnImportDlg::CDgnImportDlg(CFxUserIO* userIO, QWidget* parent)
  : CFxDialog(parent, false, kDialogFlags), m_bMasterUnits(true), m_bExplodeTextNodes(false), m_pUserIO(userIO)
{
  ui.setupUi(this);
  setModal(true);

  const DgnImportSettings& remembered = rememberedSettings();
  m_bMasterUnits = remembered.masterUnits;
  m_bExplodeTextNodes = remembered.explodeTextNodes;
  m_dgnPath = remembered.dgnPath;
  m_sourceFolder = remembered.sourceFolder;
  m_destinationFolder = remembered.destinationFolder;

  auto* modes = new QButtonGroup(this);
  modes->addButton(ui.rbBatch);
  modes->addButton(ui.rbInsert);
  QPushButton* abort = ui.buttonBox->button(QDialogButtonBox::Abort);
  abort->setIcon(QIcon(CFxUtils::getIconPath(QStringLiteral("abort"), QString(), QStringLiteral(":/images/style/"), 0)));

  for (CFxQtUnitLineEdit* coordinate : {ui.leX, ui.leY, ui.leZ})
    coordinate->setUserIO(userIO);
  ui.leX->setValue(remembered.insertX, true);
  ui.leY->setValue(remembered.insertY, true);
  ui.leZ->setValue(remembered.insertZ, true);
  ui.leFactor->setUserIO(userIO);
  ui.leFactor->setUnitType(CFxQtUnitLineEdit::kScale);
  ui.leFactor->setValue(remembered.scaleFactor, true);
  ui.leFactor->setDefaultValue(1.0);
  ui.leFactor->setRejectZero(true);
  ui.leFactor->validate();
  ui.leFactor->setRejectNegative(true);
  ui.leFactor->validate();
  ui.leFactor->setRange(1e-7, 1e7);
  ui.leFactor->validate();
  ui.leAngle->setUserIO(userIO);
  ui.leAngle->setUnitType(CFxQtUnitLineEdit::kAngle);
  ui.leAngle->setValue(remembered.rotationAngle, true);

  okButton()->setEnabled(false);
  ui.rbInsert->setChecked(true);
  ui.swModes->setCurrentIndex(0);
  abort->setVisible(false);
  abort->setEnabled(false);

  ui.leUnitFactor->setText(unitFactorText(1.0));
  m_modelUnit = OdDb::kUnitsUndefined;
  const CFxDocument* document = GetFxSystemServices()->activeDocument();
  if (document && !document->database().isNull())
    ui.unitComboBox->setCurrentUnit(document->database()->getInsertionUnits());

  const QString highlight = QPalette().color(QPalette::Active, QPalette::Highlight).name();
  ui.lwDesignModel->setStyleSheet(
    QStringLiteral("QListWidget::item {selection-background-color: %1}").arg(highlight, 0, QLatin1Char(' ')));
  ui.treeWidget->setStyleSheet(
    QStringLiteral("QTableWidget::item {selection-background-color: %1}").arg(highlight, 0, QLatin1Char(' ')));
  ui.lwDesignModel->setFocus();
  ui.lwDesignModel->setIconSize(QSize(62, 88));

  connect(ui.lwDesignModel, SIGNAL(currentRowChanged(int)), this, SLOT(On_ModelSelectionChange(int)));
  connect(ui.masterunits, SIGNAL(toggled(bool)), this, SLOT(On_ClickedMasterUnits(bool)));
  connect(okButton(), SIGNAL(clicked()), this, SLOT(ok_clicked()));
  connect(ui.buttonBox->button(QDialogButtonBox::Cancel), SIGNAL(clicked()), this, SLOT(cancel_clicked()));
  connect(abort, SIGNAL(clicked()), this, SLOT(abort_clicked()));
  connect(ui.buttonBox->button(QDialogButtonBox::Help), SIGNAL(clicked()), this, SLOT(Help()));
  connect(ui.pbBrowse, SIGNAL(clicked()), this, SLOT(browse_clicked()));
  connect(ui.rbInsert, SIGNAL(clicked()), this, SLOT(mode_changed()));
  connect(ui.rbBatch, SIGNAL(clicked()), this, SLOT(mode_changed()));
  connect(ui.cbScale, SIGNAL(stateChanged(int)), this, SLOT(scale_checked(int)));
  connect(ui.cbRotation, SIGNAL(stateChanged(int)), this, SLOT(rotation_checked(int)));
  connect(ui.cbPoint, SIGNAL(stateChanged(int)), this, SLOT(point_checked(int)));
  connect(ui.cbExplodeTextNode, SIGNAL(stateChanged(int)), this, SLOT(explodeText_checked(int)));
  connect(ui.unitComboBox, SIGNAL(currentIndexChanged(int)), this, SLOT(On_UnitComboValueChanged(int)));
  connect(ui.pbSourcePath, SIGNAL(clicked()), this, SLOT(source_clicked()));
  connect(ui.pbDestPath, SIGNAL(clicked()), this, SLOT(dest_clicked()));
  connect(ui.treeWidget, SIGNAL(itemExpanded(QTreeWidgetItem*)), this, SLOT(loadModels(QTreeWidgetItem*)));
  connect(this, SIGNAL(unitsIndexChanged(int)), this, SLOT(slot_unitIndexChanged(int)));
  connect(ui.treeWidget, SIGNAL(currentItemChanged(QTreeWidgetItem*, QTreeWidgetItem*)), this,
          SLOT(slot_currentItemChanged(QTreeWidgetItem*, QTreeWidgetItem*)));
  connect(ui.cbGlobalSettings, SIGNAL(stateChanged(int)), this, SLOT(slot_globalSettingsChecked(int)));

  ui.cbPoint->setChecked(remembered.specifyLaterFlags & DgnImportSettings::kPoint);
  ui.cbRotation->setChecked(remembered.specifyLaterFlags & DgnImportSettings::kRotation);
  ui.cbScale->setChecked(remembered.specifyLaterFlags & DgnImportSettings::kScale);
  ui.cbExplodeTextNode->setChecked(m_bExplodeTextNodes);
  ui.cbGlobalSettings->setChecked(remembered.useGlobalSettings);
  slot_globalSettingsChecked(remembered.useGlobalSettings ? Qt::Checked : Qt::Unchecked);

  ui.treeWidget->setHeaderLabels(QStringList{tr("Files")});
  connect(ui.cbSelectAll, SIGNAL(toggled(bool)), this, SLOT(whenSelectAllChecked(bool)));
  connect(ui.treeWidget, SIGNAL(itemClicked(QTreeWidgetItem*, int)), this, SLOT(rowClicked(QTreeWidgetItem*, int)));
  connect(ui.progressBar, SIGNAL(valueChanged(int)), this, SLOT(barValueChanged(int)));
  ui.cbSelectAll->setEnabled(false);
  ui.progressBar->hide();

  initDgnImporter();

  // A file that exists but does not load now is kept: going back to Insert checks it again.
  if (!QFileInfo::exists(m_dgnPath))
    m_dgnPath.clear();
  else
    checkDgnFile(m_dgnPath);
  if (!QFileInfo(m_destinationFolder).isDir())
    m_destinationFolder.clear();
  if (!QFileInfo(m_sourceFolder).isDir())
    m_sourceFolder.clear();
  setFolderLabels();

  const bool hasModels = ui.lwDesignModel->count() > 0;
  ui.masterunits->setEnabled(hasModels);
  ui.subunits->setEnabled(hasModels);
  if (hasModels && ui.lwDesignModel->currentItem()) {
    (remembered.masterUnits ? ui.masterunits : ui.subunits)->setChecked(true);
    okButton()->setEnabled(true);
    m_designModel = ui.lwDesignModel->currentItem()->text();
    updateUnitLabels();
  }

  setAttribute(Qt::WA_QuitOnClose, false);
  QPalette treePalette = ui.treeWidget->palette();
  treePalette.setBrush(QPalette::Inactive, QPalette::Highlight,
                       QBrush(treePalette.color(QPalette::Active, QPalette::Highlight)));
  treePalette.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                       QBrush(treePalette.color(QPalette::Active, QPalette::HighlightedText)));
  ui.treeWidget->setPalette(treePalette);
  fitTreeToModelTables();
  CFxDialog::adjustSize();
}

CDgnImportDlg::~CDgnImportDlg()
{
  // The slots end every run before the dialog goes; a worker left here must not outlive it.
  if (m_pBatch)
    cancelWorker();
}

bool CDgnImportDlg::event(QEvent* e)
{
  return CFxDialog::event(e);
}

long CDgnImportDlg::GetHelpId() const
{
  return kHelpId;
}

bool CDgnImportDlg::initDgnImporter()
{
  m_pDgnImporter = createDgnImporter();
  if (m_pDgnImporter.isNull())
    return false;
  putObject(m_pDgnImporter.get(), OdString("Services"), GetFxSystemServices()->getHostAppServices());
  return true;
}

bool CDgnImportDlg::resetDgnImporter()
{
  m_pDgnImporter.release();
  return initDgnImporter();
}

bool CDgnImportDlg::loadDgnFile(QString path)
{
  if (m_pDgnImporter.isNull())
    return false;
  putString(m_pDgnImporter.get(), OdString("DgnPath"), CFxString(path));
  if (!getBool(m_pDgnImporter.get(), OdString("IsValidDgnDatabase"))) {
    const QString text = QCoreApplication::translate(
      "CFxQtCommandDGNAttachBase",
      "\"%1\" file can not be loaded. \n The problem may be caused by: \n - Data in file are corrupted \n - File has "
      "an earlier format that is not supported \n - File format is not supported")
                           .arg(path, 0, QLatin1Char(' '));
    const QString caption = QCoreApplication::translate("CFxQtCommandDGNAttachBase", "Invalid file");
    GetFxSystemServices()->showMessage(text, caption, kWarningOk);
    return false;
  }
  const std::vector<CFxString> models =
    splitDesignModelList(getString(m_pDgnImporter.get(), OdString("DesignModelList")));
  if (models.empty()) {
    const QString text =
      QCoreApplication::translate("CFxDlgDGNAttach", "%1\ncontains no Design Model.").arg(path, 0, QLatin1Char(' '));
    const QString caption = QCoreApplication::translate("CDgnImportDlg", "Information");
    GetFxSystemServices()->showMessage(text, caption, kWarningOk);
    return false;
  }
  ui.lwDesignModel->clear();
  for (const CFxString& name : models)
    ui.lwDesignModel->addItem(name);
  ui.lwDesignModel->setCurrentRow(0);
  return true;
}

bool CDgnImportDlg::checkDgnFile(QString path)
{
  if (path.isEmpty() || !QFile::exists(path) || !loadDgnFile(path))
    return false;
  m_dgnFile = path;
  showDgnFile(path);
  return true;
}

void CDgnImportDlg::showDgnFile(const QString& path)
{
  const QFileInfo info(path);
  const QFont font = ui.lblDgnName->font();
  ui.lblDgnName->setToolTip(info.fileName());
  setElidedText(ui.lblDgnName, info.fileName(), font);
  ui.lblDgnPath->setToolTip(info.absolutePath());
  setElidedText(ui.lblDgnPath, info.absolutePath(), font);
}

void CDgnImportDlg::setElidedText(QLabel* label, const QString& text, const QFont& font)
{
  label->setText(QFontMetrics(font).elidedText(text, Qt::ElideMiddle, label->width()));
}

void CDgnImportDlg::setFolderLabels()
{
  if (m_sourceFolder.isEmpty() || m_destinationFolder.isEmpty())
    return;
  showFolder(ui.lblSourcePath, m_sourceFolder);
  showFolder(ui.lblDestPath, m_destinationFolder);
}

void CDgnImportDlg::showFolder(QLabel* label, const QString& folder)
{
  setElidedText(label, folder, ui.lblDestPath->font());
  label->setToolTip(folder);
}

void CDgnImportDlg::updateUnitLabels()
{
  const bool masterBlocked = ui.masterunits->blockSignals(true);
  const bool subBlocked = ui.subunits->blockSignals(true);
  const OdDb::UnitsValue master = queryModelUnit(true);
  ui.masterunits->setText(
    tr("&Master units [%1]").arg(CFxUtils::GetStringForUnitScalingFactorShort(master).toQString(), 0, QLatin1Char(' ')));
  const OdDb::UnitsValue sub = queryModelUnit(false);
  ui.subunits->setText(
    tr("S&ub units [%1]").arg(CFxUtils::GetStringForUnitScalingFactorShort(sub).toQString(), 0, QLatin1Char(' ')));
  m_modelUnit = m_bMasterUnits ? master : sub;
  On_UnitComboValueChanged(ui.unitComboBox->currentIndex());
  ui.masterunits->blockSignals(masterBlocked);
  ui.subunits->blockSignals(subBlocked);
}

OdDb::UnitsValue CDgnImportDlg::queryModelUnit(bool masterUnit)
{
  if (m_pDgnImporter.isNull())
    return OdDb::kUnitsUndefined;
  putBool(m_pDgnImporter.get(), OdString("MasterUnit"), masterUnit);
  putString(m_pDgnImporter.get(), OdString("DesignModel"), m_designModel);
  return static_cast<OdDb::UnitsValue>(getInt32(m_pDgnImporter.get(), OdString("MeasurementUnits")));
}

void CDgnImportDlg::On_ModelSelectionChange(int)
{
  okButton()->setEnabled(true);
  if (QListWidgetItem* current = ui.lwDesignModel->currentItem()) {
    m_designModel = current->text();
    updateUnitLabels();
  }
}

void CDgnImportDlg::On_ClickedMasterUnits(bool checked)
{
  m_bMasterUnits = checked;
  m_modelUnit = queryModelUnit(checked);
  On_UnitComboValueChanged(ui.unitComboBox->currentIndex());
}

void CDgnImportDlg::On_UnitComboValueChanged(int)
{
  const OdDb::UnitsValue insertion = ui.unitComboBox->getCurrentUnit();
  double factor = 1.0;
  if (m_modelUnit != OdDb::kUnitsUndefined && insertion != OdDb::kUnitsUndefined)
    factor = CFxUtils::GetUnitScalingFactor(m_modelUnit) / CFxUtils::GetUnitScalingFactor(insertion);
  ui.leUnitFactor->setText(unitFactorText(factor));
}

QString CDgnImportDlg::promptForDgnFile()
{
  for (;;) {
    int fileDialogSetting = GetFxSystemServices()->getHostAppServices()->getFILEDIA();
    const CFxString filter = tr("DGN (*.dgn)") + QStringLiteral("&*.dgn&&");
    CFxString startFolder = ui.lblDgnPath->toolTip();
    if (startFolder.isEmpty())
      startFolder = GetFxSystemServices()->defaultFolder();
    m_pUserIO->SetKeywords(CFxKeywordArray());
    bool forOpening = true;
    CFxString path;
    if (m_pUserIO->getFilePath(forOpening, CFxString(), CFxString(), 0, path, winId(), 2, CFxString(),
                               CFxString("dgn"), filter, startFolder, fileDialogSetting, 0, 0, 0) != kPromptOk)
      return QString();
    const QFileInfo info(path);
    if (!info.exists()) {
      GetFxSystemServices()->showMessage(tr("Unable to locate file."), tr("Information"), kWarningOk);
      continue;
    }
    if (info.completeBaseName().isEmpty()) {
      GetFxSystemServices()->showMessage(tr("Invalid file. file %1 has unsupported or unrecognized format.")
                                           .arg(info.fileName(), 0, QLatin1Char(' ')),
                                         tr("Information"), kWarningOk);
      continue;
    }
    return path;
  }
}

void CDgnImportDlg::browse_clicked()
{
  if (!tempFolderPrepared()) {
    ensureTempFolder();
    tempFolderPrepared() = true;
  }
  if (!m_pUserIO)
    return;
  const QString path = promptForDgnFile();
  if (path.isEmpty())
    return;
  if (CFxString(QFileInfo(path).suffix()).compareNoCase(CFxString("dgn")) != 0) {
    CFxMessageBox::warning(GetFxSystemServices()->mainWindow(),
                           CFxString(GetFxSystemServices()->getHostAppServices()->product()),
                           tr("This Drawing cannot be loaded because it is not a DGN file."), kOkButton, 0);
    return;
  }
  if (m_pDgnImporter.isNull())
    return;
  if (checkDgnFile(path))
    m_dgnPath = path;
  else
    putString(m_pDgnImporter.get(), OdString("DgnPath"), CFxString(m_dgnPath));

  QListWidgetItem* current = ui.lwDesignModel->currentItem();
  if (!current) {
    ui.lblPageLayoutOpt_8->setText(tr("Conversion units"));
    ui.masterunits->setEnabled(false);
    ui.subunits->setEnabled(false);
    okButton()->setEnabled(false);
    return;
  }
  m_designModel = current->text();
  putString(m_pDgnImporter.get(), OdString("DesignModel"), m_designModel);
  if (m_dgnPath == path)
    m_bMasterUnits = getBool(m_pDgnImporter.get(), OdString("ConversionUnits"));
  ui.masterunits->setEnabled(true);
  ui.subunits->setEnabled(true);
  (m_bMasterUnits ? ui.masterunits : ui.subunits)->setChecked(true);
  updateUnitLabels();
}

void CDgnImportDlg::scale_checked(int state)
{
  const bool off = state == Qt::Checked;
  ui.leFactor->setDisabled(off);
  ui.lblFactor->setDisabled(off);
}

void CDgnImportDlg::rotation_checked(int state)
{
  const bool off = state == Qt::Checked;
  ui.leAngle->setDisabled(off);
  ui.lblAngle->setDisabled(off);
}

void CDgnImportDlg::point_checked(int state)
{
  const bool off = state == Qt::Checked;
  for (QWidget* field : std::initializer_list<QWidget*>{ui.leX, ui.lblX, ui.leY, ui.lblY, ui.leZ, ui.lblZ})
    field->setDisabled(off);
}

void CDgnImportDlg::explodeText_checked(int)
{
  m_bExplodeTextNodes = ui.cbExplodeTextNode->isChecked();
}

void CDgnImportDlg::options_clicked()
{
  CDgnImportOptionsDlg options(this);
  options.exec();
  m_bExplodeTextNodes = options.isExplodeTextNodesChecked();
}

void CDgnImportDlg::ok_clicked()
{
  if (ui.rbBatch->isChecked()) {
    batch_started();
    return;
  }
  for (CFxQtUnitLineEdit* field : {ui.leX, ui.leY, ui.leZ, ui.leFactor, ui.leAngle}) {
    if (!field->isValid()) {
      field->showError(false);
      return;
    }
  }
  accept();
}

void CDgnImportDlg::accept()
{
  DgnImportSettings& remembered = rememberedSettings();
  remembered.specifyLaterFlags = 0;
  if (ui.cbPoint->isChecked())
    remembered.specifyLaterFlags |= DgnImportSettings::kPoint;
  if (ui.cbRotation->isChecked())
    remembered.specifyLaterFlags |= DgnImportSettings::kRotation;
  if (ui.cbScale->isChecked())
    remembered.specifyLaterFlags |= DgnImportSettings::kScale;
  remembered.rotationAngle = ui.leAngle->getValue();
  remembered.scaleFactor = ui.leFactor->getValue();
  remembered.insertX = ui.leX->getValue();
  remembered.insertY = ui.leY->getValue();
  remembered.insertZ = ui.leZ->getValue();
  remembered.dgnPath = m_dgnPath;
  remembered.masterUnits = m_bMasterUnits;
  remembered.explodeTextNodes = m_bExplodeTextNodes;
  tempFolderPrepared() = false;
  remembered.useGlobalSettings = ui.cbGlobalSettings->isChecked();
  QDialog::accept();
}

void CDgnImportDlg::mode_changed()
{
  if (ui.rbInsert->isChecked())
    enterInsertMode();
  else if (ui.rbBatch->isChecked())
    enterBatchMode();
}

void CDgnImportDlg::enterInsertMode()
{
  if (!leaveBatchRun()) {
    const QSignalBlocker quiet(ui.rbBatch);
    ui.rbBatch->setChecked(true);
    return;
  }
  const bool loaded = checkDgnFile(m_dgnPath);
  if (!loaded) {
    m_dgnPath.clear();
    ui.lblDgnPath->clear();
    ui.lblDgnName->clear();
    ui.lwDesignModel->clear();
  }
  ui.swModes->setCurrentIndex(0);
  okButton()->setEnabled(loaded);
  ui.buttonBox->button(QDialogButtonBox::Abort)->setVisible(false);
  okButton()->setText(tr("OK"));
  ui.buttonBox->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
}

void CDgnImportDlg::enterBatchMode()
{
  if (!m_sourceFolder.isEmpty() && !m_destinationFolder.isEmpty()) {
    listDgnFiles(m_sourceFolder);
    refreshBatchState();
  }
  ui.cbExplodeTextNode->setEnabled(true);
  ui.pbSourcePath->setEnabled(true);
  ui.pbDestPath->setEnabled(true);
  ui.progressBar->hide();
  okButton()->setEnabled(false);
  ui.swModes->setCurrentIndex(1);
  ui.buttonBox->button(QDialogButtonBox::Abort)->setVisible(true);
  ui.buttonBox->button(QDialogButtonBox::Abort)->setText(tr("Cancel"));
  okButton()->setText(tr("Start"));
  ui.buttonBox->button(QDialogButtonBox::Cancel)->setText(tr("Close"));
}

InsertPointChoice CDgnImportDlg::getInsertionPoint() const
{
  return {ui.leX->getValue(), ui.leY->getValue(), ui.leZ->getValue(),
          (rememberedSettings().specifyLaterFlags & DgnImportSettings::kPoint) != 0};
}

InsertValueChoice CDgnImportDlg::getRotation() const
{
  return {ui.leAngle->getValue(), (rememberedSettings().specifyLaterFlags & DgnImportSettings::kRotation) != 0};
}

InsertValueChoice CDgnImportDlg::getScale() const
{
  const double unitFactor = ui.leUnitFactor->text().toDouble();
  const double factor = ui.leFactor->getValue();
  return {unitFactor != 0.0 ? factor * unitFactor : factor,
          (rememberedSettings().specifyLaterFlags & DgnImportSettings::kScale) != 0};
}

OdDb::UnitsValue CDgnImportDlg::getSelectedUnits() const
{
  return ui.unitComboBox->getCurrentUnit();
}
