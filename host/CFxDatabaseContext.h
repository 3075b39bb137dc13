#pragma once

class CFxUserIO;

// What a host widget needs to know of the drawing it edits values for: the document's user
// I/O object, through which it reaches the drawing's settings and command line.
class CFxDatabaseContext {
public:
  virtual ~CFxDatabaseContext() = default;

  virtual void setUserIO(CFxUserIO* userIO) { m_userIO = userIO; }
  CFxUserIO* userIO() const { return m_userIO; }

private:
  CFxUserIO* m_userIO = nullptr;
};
