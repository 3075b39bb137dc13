#pragma once
// A DGN importer that records how it is driven, for tests of the product's side of the protocol.
// Its properties are a real dictionary; every access is logged in order.
#include <DgnImport.h>
#include <RxObjectImpl.h>
#include <RxVariant.h>

#include <string>
#include <vector>

class RecordingDictionary : public OdRxDictionary {
public:
  std::vector<std::string>* log = nullptr;
  // Reference counts of the values as they arrived, and the values themselves.
  std::vector<long> arrivingRefs;
  std::vector<const OdRxObject*> arrivingValues;

  OdRxObjectPtr getAt(const OdString& key) const override
  {
    log->push_back("get " + key.toUtf8());
    return m_inner->getAt(key);
  }
  OdRxObjectPtr putAt(const OdString& key, OdRxObject* value, OdUInt32* retId) override
  {
    log->push_back("put " + key.toUtf8() + "=" + describe(value));
    arrivingRefs.push_back(value ? value->numRefs() : 0);
    arrivingValues.push_back(value);
    return m_inner->putAt(key, value, retId);
  }
  bool has(const OdString& key) const override { return m_inner->has(key); }
  OdUInt32 numEntries() const override { return m_inner->numEntries(); }
  std::vector<OdString> keys() const override { return m_inner->keys(); }

  // Sets a value without logging it, as the module would answer it.
  void answer(const char* key, OdRxObject* value) { m_inner->putAt(OdString(key), value); }

  static std::string describe(const OdRxObject* value)
  {
    if (!value)
      return "null";
    OdRxVariant* v = static_cast<OdRxVariant*>(value->queryX(OdRxVariant::desc()));
    if (!v)
      return "object";
    std::string text;
    switch (v->varType()) {
    case OdVariant::kString: text = "string:" + v->getString().toUtf8(); break;
    case OdVariant::kBool: text = std::string("bool:") + (v->getBool() ? "1" : "0"); break;
    case OdVariant::kUInt8: text = "u8:" + std::to_string(v->getUInt8()); break;
    case OdVariant::kInt32: text = "i32:" + std::to_string(v->getInt32()); break;
    case OdVariant::kStringArray: text = "strings:" + std::to_string(v->getStringArray().size()); break;
    default: text = "other"; break;
    }
    v->release(); // queryX added a reference
    return text;
  }

private:
  OdRxDictionaryPtr m_inner = odrxCreateRxDictionary();
};

class RecordingImporter : public OdDgnImport {
public:
  std::vector<std::string> log;
  int dictionaryFetches = 0;
  int runResult = 0;
  // What a successful run answers as "Database"; null answers nothing.
  OdRxObjectPtr runDatabase;

  RecordingImporter() { m_properties->log = &log; }

  static OdSmartPtr<RecordingImporter> create() { return OdRxObjectImpl<RecordingImporter>::createObject(); }

  int importDgn() override
  {
    log.push_back("run");
    if (runResult == 0 && !runDatabase.isNull())
      m_properties->answer("Database", runDatabase.get());
    return runResult;
  }
  OdRxDictionaryPtr properties() override
  {
    ++dictionaryFetches;
    return OdRxDictionaryPtr(m_properties.get());
  }
  RecordingDictionary& dictionary() { return *m_properties; }

  // Answers a key as the module would, with a fresh variant.
  template <class Fill>
  void answer(const char* key, Fill fill)
  {
    OdRxVariantPtr value = OdRxObjectImpl<OdRxVariant>::createObject();
    fill(*value);
    m_properties->answer(key, value.get());
  }

private:
  OdSmartPtr<RecordingDictionary> m_properties = OdRxObjectImpl<RecordingDictionary>::createObject();
};
typedef OdSmartPtr<RecordingImporter> RecordingImporterPtr;
