#pragma once
#include <cstdint>

typedef int8_t OdInt8;
typedef uint8_t OdUInt8;
typedef int16_t OdInt16;
typedef uint16_t OdUInt16;
typedef int32_t OdInt32;
typedef uint32_t OdUInt32;
typedef int64_t OdInt64;
typedef uint64_t OdUInt64;
typedef char16_t OdChar;

// Symbols a loadable module exports by their plain names.
#define ODRX_EXPORT __attribute__((visibility("default")))

enum OdResult {
  eOk = 0,
  eNotImplementedYet,
  eNotApplicable,
  eInvalidInput,
  eInvalidIndex,
  eKeyNotFound,
  eDuplicateKey,
  eNotThatKindOfClass,
  eInvalidResBuf,
  eNullObjectId,
  eWasErased,
  eFileNotFound,
  eDLLNotFound,
  eIncompatibleVersion,
  eInvalidContext,
  eOutOfMemory,
  eFileAccessErr,
  eFileWriteError,
  eBadDxfFile,
  eEndOfFile,
  eNoDatabase,
  eRegappIdNotFound
};
