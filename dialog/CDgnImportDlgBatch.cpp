// The Batch page's file tree, model tables and unit choices.
#include "CDgnImportDlg.h"

#include "DgnImportSettings.h"

#include <CFxDGNTableView.h>
#include <CFxTableItemDelegate.h>
#include <DgnConversion.h>
#include <DgnImporter.h>
#include <ImporterProperties.h>

#include <CFxMessageBox.h>
#include <CFxSystemServices.h>
#include <CFxUtils.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QStandardItemModel>

#include <memory>

using namespace importer_properties;

namespace {

constexpr int kOkButton = 0x400;
constexpr int kMasterUnitRole = Qt::UserRole + 1;
constexpr int kSubUnitRole = Qt::UserRole + 2;

// The model table that lives in a file item's placeholder child; null before the file's first
// expansion.
CFxDGNTableView* tableOf(QTreeWidget* tree, QTreeWidgetItem* fileItem)
{
  if (!fileItem || fileItem->childCount() == 0)
    return nullptr;
  return qobject_cast<CFxDGNTableView*>(tree->itemWidget(fileItem->child(0), 0));
}

QString unitName(OdDb::UnitsValue units)
{
  return CFxUtils::GetStringForUnitScalingFactor(units);
}

// Makes `item` the tree's current and only selected item.
void selectOnly(QTreeWidget* tree, QTreeWidgetItem* item)
{
  tree->clearSelection();
  tree->setCurrentItem(item);
  item->setSelected(true);
}

// Unchecks `box` without running its slots.
void uncheckQuietly(QCheckBox* box)
{
  const QSignalBlocker quiet(box);
  box->setChecked(false);
}

} // namespace

QString CDgnImportDlg::promptForFolder(const QLabel* label)
{
  if (!tempFolderPrepared()) {
    ensureTempFolder();
    tempFolderPrepared() = true;
  }
  QString start = label->toolTip();
  if (start.isEmpty())
    start = GetFxSystemServices()->defaultFolder();
  return QFileDialog::getExistingDirectory(this, QCoreApplication::translate("DGNImport", "Specify folder"), start,
                                           QFileDialog::ShowDirsOnly);
}

void CDgnImportDlg::source_clicked()
{
  const QString folder = promptForFolder(ui.lblSourcePath);
  if (folder.isEmpty() || !listDgnFiles(folder))
    return;
  showFolder(ui.lblSourcePath, folder);
  m_sourceFolder = folder;
  whenSelectAllChecked(ui.cbSelectAll->isChecked());
  ui.treeWidget->setFocus();
  slot_globalSettingsChecked(ui.cbGlobalSettings->checkState());
}

void CDgnImportDlg::dest_clicked()
{
  const QString folder = promptForFolder(ui.lblDestPath);
  if (folder.isEmpty())
    return;
  showFolder(ui.lblDestPath, folder);
  m_destinationFolder = folder;
  refreshBatchState();
}

bool CDgnImportDlg::listDgnFiles(const QString& folder)
{
  const QStringList names = QDir(folder).entryList(QStringList(QStringLiteral("*.Dgn")));
  if (names.isEmpty()) {
    CFxMessageBox::warning(this, tr("Batch Processing"), tr("No DGN file found in the specified path."), kOkButton);
    return false;
  }
  ui.treeWidget->clear();
  m_unitChoices.clear();
  ui.treeWidget->setHeaderLabels(QStringList{tr("Files")});
  for (const QString& name : names)
    addFileItem(name);
  QTreeWidgetItem* top = ui.treeWidget->topLevelItem(0);
  ui.treeWidget->setCurrentItem(top);
  top->setSelected(true);
  ui.cbSelectAll->setEnabled(true);
  okButton()->setEnabled(false);
  return true;
}

void CDgnImportDlg::addFileItem(const QString& name)
{
  auto* item = new QTreeWidgetItem(0);
  item->setText(0, name);
  item->setToolTip(0, name);
  item->setForeground(0, QBrush(QColor(0, 0, 0, 255)));
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
  item->setData(0, Qt::UserRole, ui.treeWidget->topLevelItemCount());
  item->setSizeHint(0, QSize(-1, 18));
  item->setCheckState(0, Qt::Unchecked);
  auto* placeholder = new QTreeWidgetItem(item, 0);
  placeholder->setFlags(Qt::NoItemFlags);
  placeholder->setData(0, Qt::UserRole, name);
  ui.treeWidget->insertTopLevelItem(0, item);
}

void CDgnImportDlg::loadModels(QTreeWidgetItem* item)
{
  if (!item)
    return;
  const QString path = m_sourceFolder + QDir::separator() + item->text(0);
  const CFxString key(item->text(0).toUpper());
  if (m_unitChoices.count(key))
    return;
  std::vector<CFxString> models;
  if (getDesignModelList(m_pDgnImporter, path, models) == 0) {
    item->setHidden(true);
    return;
  }
  if (item->childCount() == 0)
    return;

  CFxDGNTableView* table = newModelTable(int(models.size()));
  auto* model = qobject_cast<QStandardItemModel*>(table->model());
  model->setHeaderData(0, Qt::Horizontal, item->text(0), Qt::UserRole);
  table->setItemDelegate(new CFxTableItemDelegate(this));
  connect(table, SIGNAL(clicked(QModelIndex)), this, SLOT(slot_cellClicked(QModelIndex)));
  connect(table->horizontalHeader(), SIGNAL(sectionClicked(int)), this, SLOT(slot_sectionClicked(int)));
  table->setSavedSelection(table->selectionModel()->selection());

  ModelUnitChoices choices;
  for (int row = 0; row < int(models.size()); ++row) {
    const CFxString& name = models[size_t(row)];
    putString(m_pDgnImporter.get(), OdString("DgnPath"), CFxString(path));
    putString(m_pDgnImporter.get(), OdString("DesignModel"), name);
    const bool master = getBool(m_pDgnImporter.get(), OdString("ConversionUnits"));
    const QString defaultName = unitName(queryMeasurementUnits(m_pDgnImporter.get(), name, master));
    const QString otherName = unitName(queryMeasurementUnits(m_pDgnImporter.get(), name, !master));

    auto* modelCell = new QStandardItem(name.toQString());
    modelCell->setToolTip(name.toQString());
    modelCell->setFlags(Qt::ItemIsEnabled);
    auto* choiceCell = new QStandardItem(master ? tr("Master units") : tr("Sub units"));
    choiceCell->setData(name.toQString(), Qt::UserRole);
    auto* unitCell = new QStandardItem(defaultName);
    unitCell->setToolTip(defaultName);
    unitCell->setData(master ? defaultName : otherName, kMasterUnitRole);
    unitCell->setData(master ? otherName : defaultName, kSubUnitRole);
    unitCell->setFlags(Qt::ItemIsEnabled);
    model->setItem(row, 0, modelCell);
    model->setItem(row, 1, choiceCell);
    model->setItem(row, 2, unitCell);
    CFxString upperName(name);
    choices.emplace(upperName.makeUpper(), master);
  }
  table->setFixedHeight(table->rowHeight(0) * (int(models.size()) + 1) - 5);
  table->sortByColumn(0, Qt::AscendingOrder);
  QTreeWidgetItem* placeholder = item->child(0);
  ui.treeWidget->setItemWidget(placeholder, 0, table);
  ui.treeWidget->scrollToItem(placeholder, QAbstractItemView::PositionAtCenter);
  m_unitChoices.emplace(key, std::move(choices));
}

CFxDGNTableView* CDgnImportDlg::newModelTable(int rows)
{
  auto* table = new CFxDGNTableView(this);
  auto* model = new QStandardItemModel(rows, 3, table);
  model->setHorizontalHeaderItem(0, new QStandardItem(tr("Design model")));
  model->setHorizontalHeaderItem(1, new QStandardItem(tr("Conversion units")));
  model->setHorizontalHeaderItem(2, new QStandardItem(tr("Unit value")));
  table->setModel(model);
  table->setAutoFillBackground(true);
  table->verticalHeader()->hide();
  table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table->setSortingEnabled(true);
  table->horizontalHeader()->setSortIndicatorShown(true);
  table->horizontalHeader()->setHighlightSections(false);
  // The table has no scroll bars: share its width out so that no header is cut off.
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  return table;
}

void CDgnImportDlg::fitTreeToModelTables()
{
  // The stretched sections share out the tree's width; with longer titles (German) or a larger
  // font that share can be narrower than a title with its sort arrow, so the tree, and with it the
  // dialog, is made at least as wide as the titles need.
  const std::unique_ptr<CFxDGNTableView> table(newModelTable(0));
  const QHeaderView* header = table->horizontalHeader();
  int width = 2 * table->frameWidth();
  for (int section = 0; section < header->count(); ++section)
    width += header->sectionSizeHint(section);
  width += ui.treeWidget->indentation() + 2 * ui.treeWidget->frameWidth() +
           ui.treeWidget->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, ui.treeWidget);
  ui.treeWidget->setMinimumWidth(width);
}

void CDgnImportDlg::slot_unitIndexChanged(int index)
{
  if (index == -1)
    return;
  QTreeWidgetItem* current = ui.treeWidget->currentItem();
  CFxDGNTableView* table = tableOf(ui.treeWidget, current);
  if (!table)
    return;
  const QModelIndex cell = table->currentIndex();
  auto* model = qobject_cast<QStandardItemModel*>(table->model());
  QStandardItem* item = model && cell.isValid() ? model->itemFromIndex(cell) : nullptr;
  if (!item)
    return;
  CFxString modelName(item->data(Qt::UserRole).toString());
  const auto file = m_unitChoices.find(CFxString(current->text(0).toUpper()));
  if (file != m_unitChoices.end()) {
    const auto choice = file->second.find(modelName.makeUpper());
    if (choice != file->second.end())
      choice->second = index == 0;
  }
  if (QStandardItem* unit = model->item(item->row(), 2)) {
    const QString name = unit->data(index == 1 ? kSubUnitRole : kMasterUnitRole).toString();
    unit->setText(name);
    unit->setToolTip(name);
  }
}

void CDgnImportDlg::slot_cellClicked(QModelIndex index)
{
  auto* table = qobject_cast<CFxDGNTableView*>(sender());
  if (!table)
    return;
  selectOwnerFile(table);
  if (table->savedSelection().contains(index) && !table->isRightButton()) {
    table->selectionModel()->select(table->savedSelection(), QItemSelectionModel::Select);
    if (index.column() == 1)
      table->edit(index);
  }
}

void CDgnImportDlg::slot_sectionClicked(int)
{
  if (auto* header = qobject_cast<QHeaderView*>(sender()))
    selectOwnerFile(qobject_cast<QAbstractItemView*>(header->parentWidget()));
}

void CDgnImportDlg::selectOwnerFile(QAbstractItemView* table)
{
  if (!table || !table->model())
    return;
  const QString file = table->model()->headerData(0, Qt::Horizontal, Qt::UserRole).toString();
  const QList<QTreeWidgetItem*> found = ui.treeWidget->findItems(file, Qt::MatchExactly);
  if (!found.isEmpty() && !found.first()->isSelected())
    selectOnly(ui.treeWidget, found.first());
}

void CDgnImportDlg::slot_currentItemChanged(QTreeWidgetItem*, QTreeWidgetItem* previous)
{
  if (CFxDGNTableView* table = tableOf(ui.treeWidget, previous)) {
    table->clearSelection();
    table->setSavedSelection(table->selectionModel()->selection());
  }
}

void CDgnImportDlg::slot_globalSettingsChecked(int state)
{
  ui.masterunits_2->setEnabled(state != Qt::Unchecked);
  ui.subunits_2->setEnabled(state != Qt::Unchecked);
  if (state > 0)
    ui.treeWidget->collapseAll();
  for (int i = 0; i < ui.treeWidget->topLevelItemCount(); ++i) {
    QTreeWidgetItem* file = ui.treeWidget->topLevelItem(i);
    if (file->childCount() > 0)
      file->child(0)->setHidden(state > 0);
  }
}

void CDgnImportDlg::rowClicked(QTreeWidgetItem* item, int)
{
  refreshBatchState();
  if (!item)
    return;
  if (item->checkState(0) == Qt::Unchecked)
    uncheckQuietly(ui.cbSelectAll);
  if (!item->isSelected())
    selectOnly(ui.treeWidget, item);
}

void CDgnImportDlg::whenSelectAllChecked(bool on)
{
  for (int i = 0; i < ui.treeWidget->topLevelItemCount(); ++i)
    ui.treeWidget->topLevelItem(i)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
  refreshBatchState();
}

void CDgnImportDlg::refreshBatchState()
{
  bool someChecked = false;
  for (int i = 0; i < ui.treeWidget->topLevelItemCount(); ++i)
    someChecked = someChecked || ui.treeWidget->topLevelItem(i)->checkState(0) == Qt::Checked;
  if (!m_sourceFolder.isEmpty() && !m_destinationFolder.isEmpty()) {
    setFolderLabels();
    okButton()->setEnabled(ui.treeWidget->topLevelItemCount() > 0);
  } else {
    okButton()->setEnabled(false);
  }
  if (!someChecked) {
    okButton()->setEnabled(false);
    uncheckQuietly(ui.cbSelectAll);
  }
}

void CDgnImportDlg::buildWorkList()
{
  m_workList.clear();
  for (int i = 0; i < ui.treeWidget->topLevelItemCount(); ++i)
    if (ui.treeWidget->topLevelItem(i)->checkState(0) == Qt::Checked)
      m_workList << ui.treeWidget->topLevelItem(i)->text(0);
}
