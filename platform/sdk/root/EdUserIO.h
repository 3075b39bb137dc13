#pragma once
#include "RxObject.h"

// What a command reads from and prints to the user.
class OdEdUserIO : public OdRxObject {
  ODRX_DECLARE_MEMBERS(OdEdUserIO);

public:
  virtual void putString(const OdString& text) = 0;
};
