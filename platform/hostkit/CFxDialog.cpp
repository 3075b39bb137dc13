#include <CFxDialog.h>
#include <CFxMessageBox.h>

#include <QCoreApplication>

CFxDialog::CFxDialog(QWidget* parent, bool selfContained, Qt::WindowFlags flags)
  : QDialog(parent, flags), m_selfContained(selfContained)
{
}

CFxDialog::~CFxDialog() = default;

long CFxDialog::GetHelpId() const
{
  return 0;
}

void CFxDialog::BeginEditorCommand()
{
  m_inEditorCommand = true;
  hide();
}

void CFxDialog::CompleteEditorCommand()
{
  m_inEditorCommand = false;
  show();
}

void CFxDialog::CancelEditorCommand()
{
  m_inEditorCommand = false;
  reject();
}

void CFxDialog::Help()
{
  CFxMessageBox::information(this, QCoreApplication::translate("CFxDialog", "Help"),
                             QCoreApplication::translate("CFxDialog", "Help for \"%1\" (topic %2) is not installed.")
                               .arg(windowTitle())
                               .arg(GetHelpId()));
}
