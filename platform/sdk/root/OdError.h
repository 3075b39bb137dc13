#pragma once
#include "OdString.h"

class OdRxClass;

// Base of every error the SDK raises.
class OdError {
public:
  explicit OdError(OdResult code);
  OdError(OdResult code, const OdString& description);
  virtual ~OdError() = default;

  OdResult code() const { return m_code; }
  OdString description() const { return m_description; }

private:
  OdResult m_code;
  OdString m_description;
};

// Raised when an object is asked to be something it is not.
class OdError_NotThatKindOfClass : public OdError {
public:
  OdError_NotThatKindOfClass();
  OdError_NotThatKindOfClass(const OdRxClass* actual, const OdRxClass* wanted);
};

const char* odResultName(OdResult code);
