#include <CFxCommand.h>
#include <CFxMessageBox.h>
#include <CFxSystemServices.h>

#include <QCoreApplication>

CFxCommand::CFxCommand() = default;
CFxCommand::~CFxCommand() = default;

const OdString CFxCommand::groupName() const
{
  // Every command a module adds lives in the host's one group for module commands.
  return OdString("FX_MODULE_COMMANDS");
}

void CFxCommand::execute(OdEdCommandContext* pCmdCtx)
{
  m_lastStatus = executeCommand(pCmdCtx);
}

void CFxCommand::undefine(bool undefineIt)
{
  OdEdCommand::undefine(undefineIt);
}

void CFxCommand::Help()
{
  CFxMessageBox::information(GetFxSystemServices()->mainWindow(),
                             QCoreApplication::translate("CFxCommand", "Help"),
                             QCoreApplication::translate("CFxCommand", "Command %1: no help topic is installed.")
                               .arg(displayName().toQString()));
}

long CFxCommand::GetHelpId() const
{
  return 0; // no help topic
}

CFxString CFxCommand::displayName() const
{
  return CFxString(localName());
}
