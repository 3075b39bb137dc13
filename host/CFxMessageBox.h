#pragma once
#include "CFxString.h"

class QWidget;

// The host's message boxes. Buttons and the result are Qt's standard button values
// (Ok 0x400, Yes 0x4000, No 0x10000); a default of 0 means none.
class CFxMessageBox {
public:
  static int warning(QWidget* parent, const CFxString& title, const CFxString& text, int buttons = 0x400,
                     int defaultButton = 0);
  static int information(QWidget* parent, const CFxString& title, const CFxString& text, int buttons = 0x400,
                         int defaultButton = 0);
};
