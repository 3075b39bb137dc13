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
#include <utility>
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

class ScriptedProperties : public OdRxDictionary {
public:
  OdRxObjectPtr getAt(const OdString& key) const override
  {
    Script script;
    const bool valid = readScript(stringOf(m_inner->getAt(OdString("DgnPath"))), script);
    if (key == OdString("IsValidDgnDatabase"))
      return variant(&OdVariant::setBool, valid);
    if (key == OdString("DesignModelList")) {
      std::string list;
      for (const ScriptedModel& model : script)
        list += (list.empty() ? "" : ";") + model.name;
      return variant<const OdString&>(&OdVariant::setString, OdString(list.c_str()));
    }
    if (key == OdString("ConversionUnits")) {
      const std::string current = stringOf(m_inner->getAt(OdString("DesignModel"))).toUtf8();
      for (const ScriptedModel& model : script)
        if (model.name == current)
          return variant(&OdVariant::setBool, model.master);
      return variant(&OdVariant::setBool, true);
    }
    if (key == OdString("MeasurementUnits"))
      return variant(&OdVariant::setInt32, OdInt32(OdDb::kUnitsMeters));
    return m_inner->getAt(key);
  }
  OdRxObjectPtr putAt(const OdString& key, OdRxObject* value, OdUInt32* retId) override
  {
    return m_inner->putAt(key, value, retId);
  }
  bool has(const OdString& key) const override { return m_inner->has(key); }
  OdUInt32 numEntries() const override { return m_inner->numEntries(); }
  std::vector<OdString> keys() const override { return m_inner->keys(); }

private:
  OdRxDictionaryPtr m_inner = odrxCreateRxDictionary();
};

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
  OdRxDictionaryPtr properties() override { return m_properties; }

private:
  OdRxDictionaryPtr m_properties = OdRxObjectImpl<ScriptedProperties>::createObject();
};

class ScriptedModule : public OdDgnImportModule {
public:
  void initApp() override {}
  void uninitApp() override {}
  OdDgnImportPtr create() override { return OdRxObjectImpl<ScriptedImporter, OdDgnImport>::createObject(); }
};

} // namespace

ODRX_STANDIN_MODULE_ENTRY(ScriptedModule)
