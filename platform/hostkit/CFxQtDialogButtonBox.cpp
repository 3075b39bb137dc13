#include <CFxQtDialogButtonBox.h>

#include <QPushButton>

CFxQtDialogButtonBox::CFxQtDialogButtonBox(QWidget* parent) : QDialogButtonBox(parent) {}

QPushButton* CFxQtDialogButtonBox::button(int standardButton) const
{
  return QDialogButtonBox::button(QDialogButtonBox::StandardButton(standardButton));
}
