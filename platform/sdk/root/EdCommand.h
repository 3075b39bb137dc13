#pragma once
#include "RxModule.h"

class OdEdCommandContext;
class OdEdCommandStack;

// A command the user can run by its global name (language-neutral, usually "_NAME") or its
// local name. The stack records the module that was initialising when the command was added.
class OdEdCommand : public OdRxObject {
  ODRX_DECLARE_MEMBERS(OdEdCommand);

public:
  virtual const OdString groupName() const = 0;
  virtual const OdString globalName() const = 0;
  virtual const OdString localName() const { return globalName(); }
  virtual void execute(OdEdCommandContext* pCmdCtx) = 0;
  virtual OdRxModule* module() const { return m_module; }
  virtual void undefine(bool undefineIt) { m_undefined = undefineIt; }
  virtual OdInt32 flags() const { return 0; }

  bool isUndefined() const { return m_undefined; }

private:
  friend class OdEdCommandStack;
  OdRxModule* m_module = nullptr;
  bool m_undefined = false;
};

typedef OdSmartPtr<OdEdCommand> OdEdCommandPtr;
