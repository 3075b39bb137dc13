#pragma once
#include <CFxString.h>
#include <DgnImport.h>
#include <OdDb.h>

#include <vector>

// A new DGN importer from the SDK's DGN import module; empty when the module cannot be loaded.
// No reference to the module is kept: every call asks the linker again.
OdDgnImportPtr createDgnImporter();

// Points the importer at the DGN file `path` (with the host's services) and lists its design
// models into `models`. Returns their number, or 0 without touching the importer or `models`
// when the file does not exist or there is no importer. Consumes the importer reference; the
// importer keeps "DgnPath" for the unit queries and the conversion that follow.
int getDesignModelList(OdDgnImportPtr importer, const CFxString& path, std::vector<CFxString>& models);

// The names of a "DesignModelList" text, in order.
std::vector<CFxString> splitDesignModelList(const OdString& list);

// The unit of `model` under master or sub units, as an OdDb::UnitsValue (0 when unknown), for
// the file the importer points at.
OdDb::UnitsValue queryMeasurementUnits(OdDgnImport* importer, const CFxString& model, bool masterUnit);
