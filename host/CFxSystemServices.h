#pragma once
#include "CFxString.h"

#include <DbDatabase.h>
#include <ResBuf.h>

class CFxDocument;
class QWidget;

// What the host application offers every module: its main window, message boxes, the SDK
// services object, running a command and a start folder for pickers.
class CFxSystemServices {
public:
  virtual ~CFxSystemServices() = default;

  // Parent of dialogs and message boxes; null when the host has no window.
  virtual QWidget* mainWindow() const;
  // A message box with Windows message-box style flags (0x30: warning icon, OK button).
  // Returns the Windows id of the button pressed (1 OK, 2 Cancel, 6 Yes, 7 No).
  virtual int showMessage(const CFxString& text, const CFxString& caption, unsigned flags);
  virtual OdDbHostAppServices* getHostAppServices();
  // Runs the command the chain spells (the name, then its answers) and returns once it has
  // finished, with what the command left as its result (usually nothing).
  virtual OdResBufPtr invokeCommand(OdRxObject* reserved, const OdResBuf* command);
  virtual CFxString defaultFolder() const;
  // The drawing the user works on; null when the host has none open.
  virtual CFxDocument* activeDocument() const;
};

CFxSystemServices* GetFxSystemServices();
