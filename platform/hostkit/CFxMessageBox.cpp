#include <CFxMessageBox.h>

#include <QMessageBox>

namespace {
int show(QMessageBox::Icon icon, QWidget* parent, const CFxString& title, const CFxString& text, int buttons,
         int defaultButton)
{
  QMessageBox box(icon, title, text, QMessageBox::StandardButtons(buttons), parent);
  if (defaultButton)
    box.setDefaultButton(QMessageBox::StandardButton(defaultButton));
  return box.exec();
}
} // namespace

int CFxMessageBox::warning(QWidget* parent, const CFxString& title, const CFxString& text, int buttons,
                           int defaultButton)
{
  return show(QMessageBox::Warning, parent, title, text, buttons, defaultButton);
}

int CFxMessageBox::information(QWidget* parent, const CFxString& title, const CFxString& text, int buttons,
                               int defaultButton)
{
  return show(QMessageBox::Information, parent, title, text, buttons, defaultButton);
}
