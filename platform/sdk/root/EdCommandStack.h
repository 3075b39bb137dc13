#pragma once
#include "EdCommand.h"

#include <vector>

// The process-wide set of commands.
class OdEdCommandStack : public OdRxObject {
  ODRX_DECLARE_MEMBERS(OdEdCommandStack);

public:
  // Adds a command; raises OdError(eDuplicateKey) when its group already has that global name.
  virtual void addCommand(OdEdCommand* pCommand);
  // Removes exactly this command object; false if it was not on the stack.
  virtual bool removeCmd(OdEdCommand* pCommand);
  virtual bool removeCmd(const OdString& groupName, const OdString& globalName);
  // Finds a command by its global or its local name, ignoring case; global names win.
  virtual OdEdCommandPtr lookupCmd(const OdString& name) const;
  // Every command, in the order they were added.
  virtual std::vector<OdEdCommandPtr> commands() const;

private:
  std::vector<OdEdCommandPtr> m_commands;
};

typedef OdSmartPtr<OdEdCommandStack> OdEdCommandStackPtr;

OdEdCommandStackPtr odedRegCmds();
