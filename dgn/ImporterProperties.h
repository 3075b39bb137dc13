#pragma once
#include <DgnImport.h>
#include <RxVariant.h>

// Reading and writing a DGN importer's properties the way the import module expects: the
// dictionary is asked for afresh before every access and let go right after, and every value
// written is a fresh value object that the importer keeps its own reference to.
namespace importer_properties {

void putString(OdDgnImport* importer, const OdString& key, const OdString& value);
void putBool(OdDgnImport* importer, const OdString& key, bool value);
void putUInt8(OdDgnImport* importer, const OdString& key, OdUInt8 value);
void putStringArray(OdDgnImport* importer, const OdString& key, const OdStringArray& value);
// Object-valued keys ("Services", "Database") take the object itself; null clears the key.
void putObject(OdDgnImport* importer, const OdString& key, OdRxObject* object);

OdRxObjectPtr getObject(OdDgnImport* importer, const OdString& key);
// A key without a value reads as false, the empty string or 0; a value that is not a variant,
// or a variant of another type, raises OdError_NotThatKindOfClass.
bool getBool(OdDgnImport* importer, const OdString& key);
OdString getString(OdDgnImport* importer, const OdString& key);
OdInt32 getInt32(OdDgnImport* importer, const OdString& key);

} // namespace importer_properties
