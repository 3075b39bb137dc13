#pragma once
#include "CFxString.h"

#include <EdUserIO.h>

// The document's command line, as commands see it.
class CFxUserIO : public OdEdUserIO {
public:
  // Prints one message on the command line.
  void putMessage(const CFxString& text) { putString(text.toOdString()); }
};
