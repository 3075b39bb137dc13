#include "CFxTableItemDelegate.h"

#include <CDgnImportDlg.h>

#include <QComboBox>
#include <QCoreApplication>

CFxTableItemDelegate::CFxTableItemDelegate(QObject* dialog) : QItemDelegate(dialog) {}

CFxTableItemDelegate::~CFxTableItemDelegate() = default;

QWidget* CFxTableItemDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const
{
  auto* dialog = qobject_cast<CDgnImportDlg*>(this->parent());
  if (!dialog || dialog->isGlobalSettingsChecked())
    return nullptr;
  auto* units = new QComboBox(parent);
  units->addItem(QCoreApplication::translate("CDgnImportDlg", "Master units"));
  units->addItem(QCoreApplication::translate("CDgnImportDlg", "Sub units"));
  connect(units, SIGNAL(currentIndexChanged(int)), dialog, SIGNAL(unitsIndexChanged(int)));
  return units;
}

void CFxTableItemDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
  QItemDelegate::setEditorData(editor, index);
}

void CFxTableItemDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
  QItemDelegate::setModelData(editor, model, index);
}

void CFxTableItemDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                                const QModelIndex&) const
{
  editor->setGeometry(option.rect);
}
