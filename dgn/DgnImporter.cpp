#include "DgnImporter.h"

#include "ImporterProperties.h"

#include <CFxSystemServices.h>
#include <RxDynamicLinker.h>

#include <QFileInfo>

using namespace importer_properties;

OdDgnImportPtr createDgnImporter()
{
  OdRxModulePtr loaded = odrxDynamicLinker()->loadModule(OdString("TD_DgnImport"), true);
  if (loaded.isNull())
    return OdDgnImportPtr();
  OdDgnImportModulePtr module = loaded; // raises OdError_NotThatKindOfClass for another module
  loaded.release();
  OdDgnImportPtr importer = module->create();
  module.release();
  return importer;
}

std::vector<CFxString> splitDesignModelList(const OdString& list)
{
  return CFxString(list).SplitW(u';');
}

int getDesignModelList(OdDgnImportPtr importer, const CFxString& path, std::vector<CFxString>& models)
{
  if (!QFileInfo::exists(path) || importer.isNull())
    return 0;
  putObject(importer.get(), OdString("Services"), GetFxSystemServices()->getHostAppServices());
  putString(importer.get(), OdString("DgnPath"), path);
  models = splitDesignModelList(getString(importer.get(), OdString("DesignModelList")));
  return static_cast<int>(models.size());
}

OdDb::UnitsValue queryMeasurementUnits(OdDgnImport* importer, const CFxString& model, bool masterUnit)
{
  putString(importer, OdString("DesignModel"), model);
  putBool(importer, OdString("MasterUnit"), masterUnit);
  return static_cast<OdDb::UnitsValue>(getInt32(importer, OdString("MeasurementUnits")));
}
