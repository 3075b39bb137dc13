#pragma once
#include <CFxCommand.h>

// IMPORTDGN: brings a DGN design model into the drawing, as a block or by batch conversion.
class CommandDGNImport : public CFxCommand {
public:
  CommandDGNImport();

  const OdString globalName() const override;
  const OdString localName() const override;
  int executeCommand(OdEdCommandContext* pCmdCtx) override;
};
