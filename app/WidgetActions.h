#pragma once
#include <QString>

class QWidget;

namespace hostapp {

// What a script does to one widget, found by object name, as a user would do it. Each returns
// an empty string on success, else why it could not.
namespace WidgetActions {

// The widget named `name` in `window` (the window itself included); "BOX.Ok", "BOX.Cancel",
// ... name a standard button of the button box BOX.
QWidget* find(QWidget* window, const QString& name);

QString click(QWidget* widget);
QString setText(QWidget* widget, const QString& text);
QString setChecked(QWidget* widget, bool on);
QString select(QWidget* widget, const QString& rowOrText);
QString expand(QWidget* widget, const QString& text);
QString checkItem(QWidget* widget, const QString& text, bool on);
QString chooseComboItem(QWidget* widget, const QString& text);
// "NAME text=... enabled=0|1 checked=0|1 visible=0|1"
QString dump(const QString& name, QWidget* widget);

} // namespace WidgetActions
} // namespace hostapp
