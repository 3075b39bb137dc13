#include "ImporterProperties.h"

#include <RxObjectImpl.h>

namespace importer_properties {

namespace {

void put(OdDgnImport* importer, const OdString& key, OdRxObject* value)
{
  importer->properties()->putAt(key, value, nullptr);
}

template <class Fill>
void putValue(OdDgnImport* importer, const OdString& key, Fill fill)
{
  OdRxVariantPtr value = OdRxObjectImpl<OdRxVariant>::createObject();
  fill(*value);
  put(importer, key, value.get());
}

// Null when the key has no value.
OdRxVariantPtr getValue(OdDgnImport* importer, const OdString& key)
{
  const OdRxObjectPtr object = getObject(importer, key);
  if (object.isNull())
    return OdRxVariantPtr();
  return OdRxVariantPtr(object); // raises OdError_NotThatKindOfClass for anything but a variant
}

} // namespace

void putString(OdDgnImport* importer, const OdString& key, const OdString& value)
{
  putValue(importer, key, [&](OdVariant& v) { v.setString(value); });
}

void putBool(OdDgnImport* importer, const OdString& key, bool value)
{
  putValue(importer, key, [&](OdVariant& v) { v.setBool(value); });
}

void putUInt8(OdDgnImport* importer, const OdString& key, OdUInt8 value)
{
  putValue(importer, key, [&](OdVariant& v) { v.setUInt8(value); });
}

void putStringArray(OdDgnImport* importer, const OdString& key, const OdStringArray& value)
{
  putValue(importer, key, [&](OdVariant& v) { v.setStringArray(value); });
}

void putObject(OdDgnImport* importer, const OdString& key, OdRxObject* object)
{
  put(importer, key, object);
}

OdRxObjectPtr getObject(OdDgnImport* importer, const OdString& key)
{
  return importer->properties()->getAt(key);
}

bool getBool(OdDgnImport* importer, const OdString& key)
{
  const OdRxVariantPtr value = getValue(importer, key);
  return !value.isNull() && value->getBool();
}

OdString getString(OdDgnImport* importer, const OdString& key)
{
  const OdRxVariantPtr value = getValue(importer, key);
  return value.isNull() ? OdString() : value->getString();
}

OdInt32 getInt32(OdDgnImport* importer, const OdString& key)
{
  const OdRxVariantPtr value = getValue(importer, key);
  return value.isNull() ? 0 : value->getInt32();
}

} // namespace importer_properties
