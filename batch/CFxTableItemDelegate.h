#pragma once
#include <QItemDelegate>

// Edits a model's unit choice in the batch tree with a combo box, unless one choice serves all
// models. Every change of the combo box reaches the dialog as unitsIndexChanged.
class CFxTableItemDelegate : public QItemDelegate {
  Q_OBJECT

public:
  explicit CFxTableItemDelegate(QObject* dialog);
  ~CFxTableItemDelegate() override;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const override;
};
