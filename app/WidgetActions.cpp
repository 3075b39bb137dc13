#include "WidgetActions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

namespace hostapp::WidgetActions {

namespace {

QDialogButtonBox::StandardButton standardButton(const QString& name)
{
  static const std::pair<const char*, QDialogButtonBox::StandardButton> kButtons[] = {
    {"Ok", QDialogButtonBox::Ok},       {"Cancel", QDialogButtonBox::Cancel}, {"Abort", QDialogButtonBox::Abort},
    {"Help", QDialogButtonBox::Help},   {"Close", QDialogButtonBox::Close},   {"Yes", QDialogButtonBox::Yes},
    {"No", QDialogButtonBox::No}};
  for (const auto& b : kButtons)
    if (name == QLatin1String(b.first))
      return b.second;
  return QDialogButtonBox::NoButton;
}

QWidget* findNamed(QWidget* window, const QString& name)
{
  if (window->objectName() == name)
    return window;
  return window->findChild<QWidget*>(name);
}

QTreeWidgetItem* findTreeItem(QTreeWidget* tree, const QString& text)
{
  const QList<QTreeWidgetItem*> items = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive, 0);
  return items.isEmpty() ? nullptr : items.first();
}

// A press and release at the middle of the item's rectangle, as a mouse click; where the item
// cannot be seen, `makeCurrent` stands in for the click.
template <class MakeCurrent>
void clickAt(QAbstractItemView* view, const QRect& rect, MakeCurrent makeCurrent)
{
  if (rect.isEmpty() || !view->isVisible()) {
    makeCurrent();
    return;
  }
  const QPoint at = rect.center();
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent event(type, at, view->viewport()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &event);
  }
}

// Clicks an item of a list or tree widget, scrolled into view first.
template <class View, class Item>
QString clickItem(View* view, Item* item, const QString& rowOrText)
{
  if (!item)
    return QStringLiteral("has no item %1").arg(rowOrText);
  view->scrollToItem(item);
  clickAt(view, view->visualItemRect(item), [&] { view->setCurrentItem(item); });
  return QString();
}

QString textOf(QWidget* w)
{
  if (auto* e = qobject_cast<QLineEdit*>(w))
    return e->text();
  if (auto* b = qobject_cast<QAbstractButton*>(w))
    return b->text();
  if (auto* l = qobject_cast<QLabel*>(w))
    return l->text();
  if (auto* c = qobject_cast<QComboBox*>(w))
    return c->currentText();
  if (auto* list = qobject_cast<QListWidget*>(w))
    return list->currentItem() ? list->currentItem()->text() : QString();
  if (auto* tree = qobject_cast<QTreeWidget*>(w))
    return tree->currentItem() ? tree->currentItem()->text(0) : QString();
  if (auto* bar = qobject_cast<QProgressBar*>(w))
    return bar->text();
  if (auto* group = qobject_cast<QGroupBox*>(w))
    return group->title();
  return w->windowTitle();
}

bool checkedOf(QWidget* w)
{
  if (auto* b = qobject_cast<QAbstractButton*>(w))
    return b->isChecked();
  if (auto* group = qobject_cast<QGroupBox*>(w))
    return group->isChecked();
  return false;
}

} // namespace

QWidget* find(QWidget* window, const QString& name)
{
  if (!window)
    return nullptr;
  if (QWidget* direct = findNamed(window, name))
    return direct;
  const int dot = name.lastIndexOf(QLatin1Char('.'));
  if (dot <= 0)
    return nullptr;
  const QDialogButtonBox::StandardButton which = standardButton(name.mid(dot + 1));
  auto* box = qobject_cast<QDialogButtonBox*>(findNamed(window, name.left(dot)));
  return box && which != QDialogButtonBox::NoButton ? box->button(which) : nullptr;
}

QString click(QWidget* widget)
{
  auto* button = qobject_cast<QAbstractButton*>(widget);
  if (!button)
    return QStringLiteral("is not a button");
  button->click();
  return QString();
}

QString setText(QWidget* widget, const QString& text)
{
  auto* edit = qobject_cast<QLineEdit*>(widget);
  if (!edit)
    return QStringLiteral("is not a line edit");
  edit->setFocus();
  edit->selectAll();
  edit->insert(text); // as typed: textEdited and textChanged follow
  QMetaObject::invokeMethod(edit, "editingFinished");
  return QString();
}

QString setChecked(QWidget* widget, bool on)
{
  auto* button = qobject_cast<QAbstractButton*>(widget);
  if (!button || !button->isCheckable())
    return QStringLiteral("is not a check box or radio button");
  if (button->isChecked() != on)
    button->click();
  return button->isChecked() == on ? QString() : QStringLiteral("did not change");
}

QString select(QWidget* widget, const QString& rowOrText)
{
  bool isRow = false;
  const int row = rowOrText.toInt(&isRow);
  if (auto* list = qobject_cast<QListWidget*>(widget)) {
    QListWidgetItem* item = isRow ? list->item(row) : nullptr;
    if (!item) {
      const auto found = list->findItems(rowOrText, Qt::MatchExactly);
      item = found.isEmpty() ? nullptr : found.first();
    }
    return clickItem(list, item, rowOrText);
  }
  if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
    QTreeWidgetItem* item = findTreeItem(tree, rowOrText);
    if (!item && isRow)
      item = tree->topLevelItem(row);
    return clickItem(tree, item, rowOrText);
  }
  if (auto* view = qobject_cast<QAbstractItemView*>(widget)) {
    if (!isRow || !view->model() || row < 0 || row >= view->model()->rowCount())
      return QStringLiteral("has no row %1").arg(rowOrText);
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    clickAt(view, view->visualRect(index), [&] { view->setCurrentIndex(index); });
    return QString();
  }
  return QStringLiteral("is not a list or tree");
}

QString expand(QWidget* widget, const QString& text)
{
  auto* tree = qobject_cast<QTreeWidget*>(widget);
  if (!tree)
    return QStringLiteral("is not a tree");
  QTreeWidgetItem* item = findTreeItem(tree, text);
  if (!item)
    return QStringLiteral("has no item %1").arg(text);
  item->setExpanded(true);
  return QString();
}

QString checkItem(QWidget* widget, const QString& text, bool on)
{
  auto* tree = qobject_cast<QTreeWidget*>(widget);
  if (!tree)
    return QStringLiteral("is not a tree");
  QTreeWidgetItem* item = findTreeItem(tree, text);
  if (!item)
    return QStringLiteral("has no item %1").arg(text);
  item->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
  return QString();
}

QString chooseComboItem(QWidget* widget, const QString& text)
{
  auto* combo = qobject_cast<QComboBox*>(widget);
  if (!combo)
    return QStringLiteral("is not a combo box");
  const int index = combo->findText(text, Qt::MatchExactly);
  if (index < 0)
    return QStringLiteral("has no item %1").arg(text);
  combo->setCurrentIndex(index);
  QMetaObject::invokeMethod(combo, "activated", Q_ARG(int, index)); // what a user's pick emits
  return QString();
}

QString dump(const QString& name, QWidget* widget)
{
  return QStringLiteral("%1 text=%2 enabled=%3 checked=%4 visible=%5")
    .arg(name, textOf(widget))
    .arg(widget->isEnabled() ? 1 : 0)
    .arg(checkedOf(widget) ? 1 : 0)
    .arg(widget->isVisible() ? 1 : 0);
}

} // namespace hostapp::WidgetActions
