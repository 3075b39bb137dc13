#pragma once
#include "CommandDGNImport.h"
#include "ModuleTranslation.h"

#include <RxModule.h>
#include <RxObjectImpl.h>

// The module object: owns the IMPORTDGN command and puts it on the command stack while the
// module is initialised, with the module's texts in the host's language.
class DGNImportModule : public OdRxModule {
public:
  DGNImportModule();
  ~DGNImportModule() override;

  void initApp() override;
  void uninitApp() override;

  const OdEdCommand* command() const { return &m_command; }

private:
  OdStaticRxObject<CommandDGNImport> m_command;
  ModuleTranslation m_translation;
};
