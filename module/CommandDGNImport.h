#pragma once
#include <CFxCommand.h>

class CDgnImportDlg;

// IMPORTDGN: brings a DGN design model into the drawing, as a block or by batch conversion.
class CommandDGNImport : public CFxCommand {
public:
  CommandDGNImport();

  const OdString globalName() const override;
  const OdString localName() const override;
  int executeCommand(OdEdCommandContext* pCmdCtx) override;

private:
  // Converts the model the dialog chose and has the host insert it; kNoUserIO when the
  // document or its command line has gone.
  int insertDesignModel(OdEdCommandContext* pCmdCtx, CDgnImportDlg& dialog);
};
