#include "DgnConversion.h"

#include "DgnImporter.h"
#include "ImporterProperties.h"

#include <CFxDatabase.h>
#include <CFxFileBuf.h>
#include <CFxUtils.h>
#include <OdError.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <new>

using namespace importer_properties;

void putImportOptions(OdDgnImport* importer, const CFxString& modelName, bool explodeTextNodes)
{
  putUInt8(importer, OdString("XRefImportMode"), 1);
  putBool(importer, OdString("ImportActiveModelToModelSpace"), modelName.isEmpty());
  putBool(importer, OdString("ImportPaperSpaceModels"), true);
  putBool(importer, OdString("ExplodeTextNodes"), explodeTextNodes);
  putBool(importer, OdString("RecomputeDimensionsAfterImport"), false);
  putStringArray(importer, OdString("MS_SYMBRSRC"), OdStringArray());
  putBool(importer, OdString("DontImportInvisibleElements"), false);
  putUInt8(importer, OdString("ImportViewIndex"), 255);
  putUInt8(importer, OdString("3dEllipseImportMode"), 0);
  putUInt8(importer, OdString("2dEllipseImportMode"), 0);
  putUInt8(importer, OdString("3dShapeImportMode"), 1);
  putUInt8(importer, OdString("2dShapeImportMode"), 0);
  putUInt8(importer, OdString("3dClosedBSplineCurveImportMode"), 1);
  putString(importer, OdString("shxFontsPath"), OdString::kEmpty);
  putBool(importer, OdString("BreakDimensionAssociation"), false);
  putObject(importer, OdString("Database"), nullptr);
}

namespace {

// Writes the database to `path` as a DWG file of release AC1032: 0 when it did, else the result
// code (1, or kDgnImportOutOfMemory), and then no part of the file stays to fill the disk for the
// conversions that follow.
int writeDrawing(OdDbDatabase* database, OdDb::UnitsValue units, const CFxString& path)
{
  CFxFileBufPtr stream = CFxFileBuf::createObject();
  if (!stream->Open(path, Oda::kFileWrite, Oda::kCreateAlways, Oda::kShareDenyNo))
    return kDgnImportFailure;
  int failure;
  try {
    database->setInsertionUnits(units);
    database->writeFile(stream.get(), OdDb::kDwg, OdDb::kDHL_1032, false, 16);
    stream->Close();
    return QFileInfo::exists(path) ? kDgnImportOk : kDgnImportFailure;
  } catch (const OdError&) {
    failure = kDgnImportFailure;
  } catch (const std::bad_alloc&) {
    failure = kDgnImportOutOfMemory;
  }
  stream.release();
  QFile::remove(path);
  return failure;
}

int convert(OdDgnImport* importer, const CFxString& dgnPath, const CFxString& modelName, CFxString& outputPath,
            bool explodeTextNodes, bool masterUnit)
{
  if (!ensureTempFolder())
    return 1;
  const OdDb::UnitsValue units = queryMeasurementUnits(importer, modelName, masterUnit);
  outputPath = conversionFolderPath() + QDir::separator() + convertedFileName(dgnPath, modelName, units);
  if (!QFileInfo::exists(dgnPath))
    return 1;

  putImportOptions(importer, modelName, explodeTextNodes);
  const int result = importer->importDgn();
  if (result != 0)
    return result;

  const OdRxObjectPtr converted = getObject(importer, OdString("Database"));
  if (converted.isNull())
    return 1;
  CFxDatabasePtr database = converted; // raises OdError_NotThatKindOfClass for any other object
  return writeDrawing(database.get(), units, outputPath);
}

} // namespace

QString conversionFolderPath()
{
  const QStringList locations = QStandardPaths::standardLocations(QStandardPaths::TempLocation);
  const QString root = locations.isEmpty() ? QString() : locations.first();
  return root + QDir::separator() + QStringLiteral("DGNImport_temp");
}

QString convertedBaseName(const QString& dgnPath, const QString& modelName, OdDb::UnitsValue units)
{
  const QString base = QFileInfo(dgnPath).fileName().split(QLatin1Char('.'), Qt::KeepEmptyParts, Qt::CaseSensitive).first();
  const QString unitLabel = CFxUtils::GetStringForUnitScalingFactorShort(units);
  return base + QLatin1Char('_') + modelName + QLatin1Char('_') + unitLabel;
}

QString convertedFileName(const QString& dgnPath, const QString& modelName, OdDb::UnitsValue units)
{
  return convertedBaseName(dgnPath, modelName, units) + QStringLiteral(".dwg");
}

bool ensureTempFolder()
{
  const QString path = conversionFolderPath();
  return QDir(path).exists() || QDir().mkpath(path);
}

void clearTempFolder()
{
  const QString path = conversionFolderPath();
  QDir folder(path);
  if (!folder.exists())
    return;
  for (const QString& name : folder.entryList(QDir::NoFilter, QDir::NoSort))
    folder.remove(name); // sub-folders and "." stay: remove() takes only files
  folder.rmdir(path);
}

int convertDesignModel(OdDgnImportPtr importer, const CFxString& dgnPath, const CFxString& modelName,
                       CFxString& outputPath, bool explodeTextNodes, bool masterUnit)
{
  if (importer.isNull())
    return 1;
  // Running out of memory is a result like any other: the batch worker's thread and the host's
  // command would end the host if it left here.
  try {
    return convert(importer.get(), dgnPath, modelName, outputPath, explodeTextNodes, masterUnit);
  } catch (const std::bad_alloc&) {
    return kDgnImportOutOfMemory;
  }
}
