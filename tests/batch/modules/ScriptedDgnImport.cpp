// A stand-in "TD_DgnImport" for tests: its "design files" are text files that script what the
// importer answers, so that tests can get result codes no real file produces. The file
//   scripted
//   Default 0
//   Sheet 4 sub
// is valid, lists the models Default and Sheet, and converting Sheet returns 4; a model's default
// unit choice is master units unless its line ends in "sub".
#include <DbDatabase.h>
#include <RxModuleEntry.h>
#include <DgnImport.h>
#include <RxObjectImpl.h>
#include <RxVariant.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ScriptedModel {
  std::string name;
  int code = 0;
  bool master = true;
};
using Script = std::vector<ScriptedModel>;

// The script of the file; false when the file is not a scripted one.
bool readScript(const OdString& path, Script& script)
{
  std::ifstream in(path.toUtf8());
  std::string line;
  if (!std::getline(in, line) || line != "scripted")
    return false;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    ScriptedModel model;
    std::string units;
    if (words >> model.name >> model.code) {
      model.master = !(words >> units) || units != "sub";
      script.push_back(model);
    }
  }
  return true;
}

// A new value object holding `value`, set by `set`.
template <class T>
OdRxObjectPtr variant(OdVariant& (OdVariant::*set)(T), T value)
{
  OdSmartPtr<OdRxVariant> v = OdRxObjectImpl<OdRxVariant>::createObject();
  (v.get()->*set)(value);
  return OdRxObjectPtr(v.get());
}

OdString stringOf(const OdRxObjectPtr& value)
{
  OdSmartPtr<OdRxVariant> v = OdRxVariant::cast(value.get());
  return v.isNull() ? OdString() : v->getString();
}

class ScriptedImporter : public OdDgnImport {
public:
  int importDgn() override
  {
    Script script;
    if (!readScript(stringOf(m_properties->getAt(OdString("DgnPath"))), script))
      return kDgnImportInvalidFile;
    const std::string model = stringOf(m_properties->getAt(OdString("DesignModel"))).toUtf8();
    for (const ScriptedModel& entry : script) {
      if (entry.name != model)
        continue;
      if (entry.code == 0) {
        OdSmartPtr<OdDbHostAppServices> services =
          OdDbHostAppServices::cast(m_properties->getAt(OdString("Services")).get());
        OdDbDatabasePtr db = services.isNull() ? OdRxObjectImpl<OdDbDatabase>::createObject() : services->createDatabase();
        m_properties->putAt(OdString("Database"), db.get());
      }
      return entry.code;
    }
    return kDgnImportFailure;
  }
  // The product asks for the dictionary before every access: the keys the file answers are
  // renewed here from the file and the model put so far.
  OdRxDictionaryPtr properties() override
  {
    Script script;
    const bool valid = readScript(stringOf(m_properties->getAt(OdString("DgnPath"))), script);
    const std::string current = stringOf(m_properties->getAt(OdString("DesignModel"))).toUtf8();
    std::string list;
    const ScriptedModel* model = nullptr; // the first of the current name
    for (const ScriptedModel& entry : script) {
      list += (list.empty() ? "" : ";") + entry.name;
      if (!model && entry.name == current)
        model = &entry;
    }
    m_properties->putAt(OdString("IsValidDgnDatabase"), variant(&OdVariant::setBool, valid).get());
    m_properties->putAt(OdString("DesignModelList"), variant<const OdString&>(&OdVariant::setString, OdString(list.c_str())).get());
    m_properties->putAt(OdString("ConversionUnits"), variant(&OdVariant::setBool, !model || model->master).get());
    m_properties->putAt(OdString("MeasurementUnits"), variant(&OdVariant::setInt32, OdInt32(OdDb::kUnitsMeters)).get());
    return m_properties;
  }

private:
  OdRxDictionaryPtr m_properties = odrxCreateRxDictionary();
};

class ScriptedModule : public OdDgnImportModule {
public:
  void initApp() override {}
  void uninitApp() override {}
  OdDgnImportPtr create() override { return OdRxObjectImpl<ScriptedImporter, OdDgnImport>::createObject(); }
};

} // namespace

ODRX_STANDIN_MODULE_ENTRY(ScriptedModule)
