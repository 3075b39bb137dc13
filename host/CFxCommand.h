#pragma once
#include "CFxString.h"

#include <EdCommand.h>

class OdEdCommandContext;

// Base of every command a host module adds: flags, the host's command group and help, and an
// execute that runs the command body.
class CFxCommand : public OdEdCommand {
public:
  // Status codes a command body answers with.
  enum Status { kNormal = 5100, kNoUserIO = -5001 };

  CFxCommand();
  ~CFxCommand() override;

  void AddFlags(long flags) { m_flags |= flags; }

  const OdString groupName() const override;
  void execute(OdEdCommandContext* pCmdCtx) override;
  void undefine(bool undefineIt) override;
  OdInt32 flags() const override { return static_cast<OdInt32>(m_flags); }

  virtual int executeCommand(OdEdCommandContext* pCmdCtx) = 0;
  virtual void Help();
  virtual long GetHelpId() const;
  virtual CFxString displayName() const;

  // What the body answered the last time it ran.
  int lastStatus() const { return m_lastStatus; }

private:
  long m_flags = 0;
  int m_lastStatus = kNormal;
};
