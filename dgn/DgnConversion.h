#pragma once
#include <CFxString.h>
#include <DgnImport.h>
#include <OdDb.h>

// Converts the design model `modelName` of the DGN file the importer points at ("Services" and
// "DgnPath" already set) into a DWG file in the conversion folder, and sets `outputPath` to it
// once the name is known. Returns 0 when the file was written, 1 for a failure of its own,
// kDgnImportOutOfMemory when memory ran out (no file is left), or the importer's own nonzero run
// result. Consumes the importer reference.
int convertDesignModel(OdDgnImportPtr importer, const CFxString& dgnPath, const CFxString& modelName,
                       CFxString& outputPath, bool explodeTextNodes, bool masterUnit);

// Writes the options every conversion runs with, in the order the import module is given them;
// the last one clears any database left from an earlier run.
void putImportOptions(OdDgnImport* importer, const CFxString& modelName, bool explodeTextNodes);

// Makes sure the conversion folder exists; true when it does afterwards.
bool ensureTempFolder();
// Deletes the plain files of the conversion folder, then the folder if that left it empty.
void clearTempFolder();

// The conversion folder: "DGNImport_temp" in the temporary-files location; relative when the
// system names no such location.
QString conversionFolderPath();
// "BASE_MODEL_UNIT": BASE is the DGN file's name up to its first dot. The converted drawing is
// named so, with ".dwg", and the block that the host inserts from it too.
QString convertedBaseName(const QString& dgnPath, const QString& modelName, OdDb::UnitsValue units);
QString convertedFileName(const QString& dgnPath, const QString& modelName, OdDb::UnitsValue units);
