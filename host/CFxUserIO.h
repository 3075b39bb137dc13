#pragma once
#include "CFxKeywordArray.h"
#include "CFxString.h"

#include <EdUserIO.h>

#include <QWidget>

// The document's command line, as commands see it.
class CFxUserIO : public OdEdUserIO {
public:
  // What prompts answer.
  enum PromptStatus { kNormal = 5100, kCancel = -5002 };

  // Prints one message on the command line.
  void putMessage(const CFxString& text) { putString(text.toOdString()); }

  // The keywords the next prompt accepts besides its value.
  void SetKeywords(const CFxKeywordArray& keywords) { m_keywords = keywords; }
  const CFxKeywordArray& keywords() const { return m_keywords; }

  // Asks for one line on the command line; false when the user cancels or there is no
  // command line.
  virtual bool readLine(const CFxString& prompt, CFxString& answer);

  // Asks for a file: in a file dialog parented to the window `parentWindow` when
  // `fileDialogSetting` (FILEDIA) is not 0, else on the command line. `forOpening` picks an
  // open or a save dialog; `filter` is the host's form "DESCRIPTION&PATTERNS&...&&"; `flags`,
  // `mode`, `dialogName` and the three trailing values tune the host's own dialog and are
  // otherwise unused. Returns kNormal with `path` set, or kCancel.
  virtual int getFilePath(bool& forOpening, const CFxString& prompt, const CFxString& title, int flags,
                          CFxString& path, WId parentWindow, int mode, const CFxString& dialogName,
                          const CFxString& defaultExtension, const CFxString& filter,
                          const CFxString& startFolder, int& fileDialogSetting, int, int, int);

private:
  CFxKeywordArray m_keywords;
};
