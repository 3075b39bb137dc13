#include "DGNImportModule.h"

#include <EdCommandStack.h>

DGNImportModule::DGNImportModule() = default;
DGNImportModule::~DGNImportModule() = default;

void DGNImportModule::initApp()
{
  m_translation.install();
  OdEdCommandStackPtr commands = odedRegCmds();
  if (commands)
    commands->addCommand(&m_command);
}

void DGNImportModule::uninitApp()
{
  OdEdCommandStackPtr commands = odedRegCmds();
  if (commands)
    commands->removeCmd(&m_command);
  m_translation.remove();
}
