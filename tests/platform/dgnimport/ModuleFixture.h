#pragma once
#include "LiveCounts.h"
#include "V7Writer.h"

#include <DbDatabase.h>
#include <DgnImport.h>
#include <RxDynamicLinker.h>
#include <RxObjectImpl.h>
#include <RxVariant.h>

#include <cstdio>
#include <string>
#include <unistd.h>

// Loads TD_DgnImport through the linker and drives importers the way the product does.
class DgnModuleTest : public LiveCountsTest {
protected:
  void SetUp() override
  {
    LiveCountsTest::SetUp();
    m_folder = odrxDynamicLinker()->moduleFolder();
    odrxDynamicLinker()->setModuleFolder(OdString(DGN_BIN_DIR));
    m_module = OdDgnImportModule::cast(odrxDynamicLinker()->loadModule(OdString("TD_DgnImport")).get());
    ASSERT_FALSE(m_module.isNull()) << odrxDynamicLinker()->lastError().toUtf8();
    importer = m_module->create();
  }
  void TearDown() override
  {
    importer = nullptr;
    m_module = nullptr;
    odrxDynamicLinker()->unloadAll();
    odrxDynamicLinker()->setModuleFolder(m_folder);
    for (const std::string& f : m_files)
      std::remove(f.c_str());
    LiveCountsTest::TearDown();
  }

  std::string tempFile(const std::string& name)
  {
    m_files.push_back(::testing::TempDir() + std::to_string(::getpid()) + "_" + name);
    return m_files.back();
  }
  std::string save(const V7Writer& w, const std::string& name)
  {
    const std::string path = tempFile(name);
    EXPECT_TRUE(w.save(path));
    return path;
  }

  // Puts a fresh variant under `key`, as the product does: `set` is the variant's setter.
  template <class T>
  static void put(OdDgnImport& importer, const char* key, OdVariant& (OdVariant::*set)(T), T value)
  {
    OdSmartPtr<OdRxVariant> v = OdRxObjectImpl<OdRxVariant>::createObject();
    (v.get()->*set)(value);
    importer.properties()->putAt(OdString(key), v.get());
  }
  static void putString(OdDgnImport& i, const char* key, const std::string& value)
  {
    put<const OdString&>(i, key, &OdVariant::setString, OdString(value.c_str()));
  }
  static void putBool(OdDgnImport& i, const char* key, bool value) { put(i, key, &OdVariant::setBool, value); }
  static void putU8(OdDgnImport& i, const char* key, OdUInt8 value) { put(i, key, &OdVariant::setUInt8, value); }
  static OdRxVariantPtr get(OdDgnImport& i, const char* key)
  {
    return OdRxVariant::cast(i.properties()->getAt(OdString(key)).get());
  }

  // Imports `path` and answers the model space entities (empty when the run failed).
  std::vector<OdDbEntityPtr> import(OdDgnImport& importer, const std::string& path, int* result = nullptr)
  {
    putString(importer, "DgnPath", path);
    const int r = importer.importDgn();
    if (result)
      *result = r;
    std::vector<OdDbEntityPtr> out;
    OdDbDatabasePtr db = OdDbDatabase::cast(importer.properties()->getAt(OdString("Database")).get());
    if (r != 0 || db.isNull())
      return out;
    OdDbBlockTableRecordPtr ms = OdDbBlockTableRecord::cast(db->getModelSpaceId().openObject().get());
    for (OdDbObjectId id : ms->entityIds())
      out.push_back(OdDbEntity::cast(id.openObject().get()));
    return out;
  }

  // What the last run of `importer` counted, as its "ElementStatistics" says.
  std::string statistics() { return get(*importer, "ElementStatistics")->getString().toUtf8(); }

  OdDgnImportModulePtr m_module;
  OdDgnImportPtr importer; // a fresh one for each test

private:
  OdString m_folder;
  std::vector<std::string> m_files;
};

template <class T>
std::vector<OdSmartPtr<T>> ofType(const std::vector<OdDbEntityPtr>& entities)
{
  std::vector<OdSmartPtr<T>> out;
  for (const auto& e : entities)
    if (OdSmartPtr<T> t = T::cast(e.get()))
      out.push_back(t);
  return out;
}
