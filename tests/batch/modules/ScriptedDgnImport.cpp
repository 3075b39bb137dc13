// A stand-in "TD_DgnImport" for tests: its "design files" are text files that script what the
// importer answers, so that tests can get result codes no real file produces. The file
//   scripted
//   Default 0
//   Sheet 4
// is valid, lists the models Default and Sheet, and converting Sheet returns 4.
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

using Script = std::vector<std::pair<std::string, int>>;

// The script of the file; false when the file is not a scripted one.
bool readScript(const OdString& path, Script& script)
{
  std::ifstream in(path.toUtf8());
  std::string line;
  if (!std::getline(in, line) || line != "scripted")
    return false;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string model;
    int code = 0;
    if (words >> model >> code)
      script.emplace_back(model, code);
  }
  return true;
}

OdSmartPtr<OdRxVariant> newVariant()
{
  return OdRxObjectImpl<OdRxVariant>::createObject();
}
OdRxObjectPtr variant(bool value)
{
  OdSmartPtr<OdRxVariant> v = newVariant();
  v->setBool(value);
  return OdRxObjectPtr(v.get());
}
OdRxObjectPtr variant(const OdString& value)
{
  OdSmartPtr<OdRxVariant> v = newVariant();
  v->setString(value);
  return OdRxObjectPtr(v.get());
}
OdRxObjectPtr variant(OdInt32 value)
{
  OdSmartPtr<OdRxVariant> v = newVariant();
  v->setInt32(value);
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
      return variant(valid);
    if (key == OdString("DesignModelList")) {
      std::string list;
      for (const auto& [model, code] : script)
        list += (list.empty() ? "" : ";") + model;
      return variant(OdString(list.c_str()));
    }
    if (key == OdString("ConversionUnits"))
      return variant(true);
    if (key == OdString("MeasurementUnits"))
      return variant(OdInt32(OdDb::kUnitsMeters));
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
    for (const auto& [name, code] : script) {
      if (name != model)
        continue;
      if (code == 0) {
        OdSmartPtr<OdDbHostAppServices> services =
          OdDbHostAppServices::cast(m_properties->getAt(OdString("Services")).get());
        OdDbDatabasePtr db = services.isNull() ? OdRxObjectImpl<OdDbDatabase>::createObject() : services->createDatabase();
        m_properties->putAt(OdString("Database"), db.get());
      }
      return code;
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
