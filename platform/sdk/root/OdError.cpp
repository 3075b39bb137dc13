#include "OdError.h"

#include "RxObject.h"

const char* odResultName(OdResult code)
{
  switch (code) {
  case eOk: return "eOk";
  case eNotImplementedYet: return "Not implemented yet";
  case eNotApplicable: return "Not applicable";
  case eInvalidInput: return "Invalid input";
  case eInvalidIndex: return "Invalid index";
  case eKeyNotFound: return "Key not found";
  case eDuplicateKey: return "Duplicate key";
  case eNotThatKindOfClass: return "Not that kind of class";
  case eInvalidResBuf: return "Invalid result buffer";
  case eNullObjectId: return "Null object id";
  case eWasErased: return "Object was erased";
  case eFileNotFound: return "File not found";
  case eDLLNotFound: return "Module cannot be loaded";
  case eIncompatibleVersion: return "Incompatible version";
  case eInvalidContext: return "Invalid context";
  case eOutOfMemory: return "Out of memory";
  case eFileAccessErr: return "File access error";
  case eFileWriteError: return "File write error";
  case eBadDxfFile: return "Bad DXF file";
  case eEndOfFile: return "Unexpected end of file";
  case eNoDatabase: return "Object not in a database";
  case eRegappIdNotFound: return "Application not registered";
  }
  return "Unknown error";
}

OdError::OdError(OdResult code) : m_code(code), m_description(odResultName(code)) {}

OdError::OdError(OdResult code, const OdString& description) : m_code(code), m_description(description) {}

OdError_NotThatKindOfClass::OdError_NotThatKindOfClass() : OdError(eNotThatKindOfClass) {}

OdError_NotThatKindOfClass::OdError_NotThatKindOfClass(const OdRxClass* actual, const OdRxClass* wanted)
  : OdError(eNotThatKindOfClass,
            OdString("Not that kind of class: ") + (actual ? actual->name() : OdString("(null)")) + OdString(" is not ") +
              (wanted ? wanted->name() : OdString("(null)")))
{
}
