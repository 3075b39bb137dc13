#pragma once
#include "CFxString.h"

#include <OdStreamBuf.h>

#include <vector>

class CFxFileBuf;
typedef OdSmartPtr<CFxFileBuf> CFxFileBufPtr;

// The host's file stream, with Windows open modes (Oda::FileAccessMode,
// Oda::FileCreationDisposition, Oda::FileShareMode). Writes are buffered until Close.
class CFxFileBuf : public OdStreamBuf {
public:
  static CFxFileBufPtr createObject();
  ~CFxFileBuf() override;

  // False when the file cannot be opened as asked: missing folder, no permission, a file that
  // must (not) exist, or one that another stream holds without sharing.
  bool Open(const CFxString& path, OdUInt32 accessMode, OdUInt32 creationDisposition, OdUInt32 shareMode);
  // Writes what is buffered and closes; raises OdError(eFileWriteError) if the data did not
  // reach the file. Closing a closed stream does nothing.
  void Close();
  bool isOpen() const { return m_fd >= 0; }

  void putBytes(const void* buffer, OdUInt32 numBytes) override;
  OdUInt32 getBytes(void* buffer, OdUInt32 numBytes) override;
  bool isEof() override;
  OdUInt64 tell() override;
  OdUInt64 length() override;

protected:
  CFxFileBuf() = default;

private:
  void flush();

  int m_fd = -1;
  OdUInt32 m_access = 0;
  bool m_eof = false;
  OdUInt64 m_position = 0;
  std::vector<char> m_pending;
};
