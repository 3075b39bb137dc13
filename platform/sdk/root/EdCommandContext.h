#pragma once
#include "EdUserIO.h"

// What a running command is given: its user I/O and the database it works on.
class OdEdCommandContext : public OdRxObject {
  ODRX_DECLARE_MEMBERS(OdEdCommandContext);

public:
  virtual OdEdUserIO* userIO() = 0;
  virtual OdRxObject* baseDatabase() = 0;
};
