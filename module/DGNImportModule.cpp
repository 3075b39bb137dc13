#include "DGNImportModule.h"

#include <EdCommandStack.h>

DGNImportModule::DGNImportModule() = default;
DGNImportModule::~DGNImportModule() = default;

void DGNImportModule::initApp()
{
  OdEdCommandStackPtr commands = odedRegCmds();
  if (commands)
    commands->addCommand(&m_command);
}

void DGNImportModule::uninitApp()
{
  OdEdCommandStackPtr commands = odedRegCmds();
  if (commands)
    commands->removeCmd(&m_command);
}
