#pragma once
#include "RxObject.h"

#include <vector>

// String-keyed dictionary of SDK objects (case-sensitive keys).
class OdRxDictionary : public OdRxObject {
  ODRX_DECLARE_MEMBERS(OdRxDictionary);

public:
  // The value under key, or an empty reference.
  virtual OdRxObjectPtr getAt(const OdString& key) const = 0;
  // Replaces the value under key and returns the earlier one; a null value removes the key.
  // retId, when given, receives the entry's index.
  virtual OdRxObjectPtr putAt(const OdString& key, OdRxObject* value, OdUInt32* retId = nullptr) = 0;
  virtual bool has(const OdString& key) const = 0;
  virtual OdUInt32 numEntries() const = 0;
  virtual std::vector<OdString> keys() const = 0;
};

typedef OdSmartPtr<OdRxDictionary> OdRxDictionaryPtr;

OdRxDictionaryPtr odrxCreateRxDictionary();
