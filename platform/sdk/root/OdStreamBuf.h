#pragma once
#include "RxObject.h"

namespace Oda {
enum FileAccessMode : OdUInt32 { kFileRead = 0x80000000u, kFileWrite = 0x40000000u };
enum FileCreationDisposition { kCreateNew = 1, kCreateAlways = 2, kOpenExisting = 3, kOpenAlways = 4, kTruncateExisting = 5 };
enum FileShareMode { kShareDenyReadWrite = 0x10, kShareDenyWrite = 0x20, kShareDenyRead = 0x30, kShareDenyNo = 0x40 };
} // namespace Oda

// A byte stream the SDK reads drawings from and writes them to. Failures raise OdError.
class OdStreamBuf : public OdRxObject {
  ODRX_DECLARE_MEMBERS(OdStreamBuf);

public:
  virtual void putBytes(const void* buffer, OdUInt32 numBytes) = 0;
  // Reads up to numBytes; returns how many were read (fewer only at the end).
  virtual OdUInt32 getBytes(void* buffer, OdUInt32 numBytes) = 0;
  virtual bool isEof() = 0;
  virtual OdUInt64 tell() = 0;
  virtual OdUInt64 length() = 0;
};
typedef OdSmartPtr<OdStreamBuf> OdStreamBufPtr;
