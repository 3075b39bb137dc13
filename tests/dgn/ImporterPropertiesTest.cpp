#include <RecordingImporter.h>

#include <ImporterProperties.h>
#include <LiveCounts.h>
#include <OdError.h>

using namespace importer_properties;

class ImporterPropertiesTest : public LiveCountsTest {};

TEST_F(ImporterPropertiesTest, EveryPutIsAFreshValueThatOnlyTheImporterKeeps)
{
  RecordingImporterPtr importer = RecordingImporter::create();
  putString(importer.get(), OdString("DgnPath"), OdString("/plans/a.dgn"));
  putBool(importer.get(), OdString("MasterUnit"), true);
  putUInt8(importer.get(), OdString("XRefImportMode"), 1);
  OdStringArray paths;
  paths.push_back(OdString("x"));
  putStringArray(importer.get(), OdString("MS_SYMBRSRC"), paths);
  putBool(importer.get(), OdString("MasterUnit"), false);

  EXPECT_EQ(importer->log, (std::vector<std::string>{"put DgnPath=string:/plans/a.dgn", "put MasterUnit=bool:1",
                                                     "put XRefImportMode=u8:1", "put MS_SYMBRSRC=strings:1",
                                                     "put MasterUnit=bool:0"}));
  EXPECT_EQ(importer->dictionaryFetches, 5) << "the dictionary is asked for before every access";
  const RecordingDictionary& dictionary = importer->dictionary();
  for (long refs : dictionary.arrivingRefs)
    EXPECT_EQ(refs, 1) << "a value arrives holding only the writer's reference";
  EXPECT_NE(dictionary.arrivingValues[1], dictionary.arrivingValues[4]) << "a new value object per put";
  EXPECT_EQ(getObject(importer.get(), OdString("DgnPath"))->numRefs(), 2) << "the importer's and this one";
}

TEST_F(ImporterPropertiesTest, ReadsAreTypedAndAbsentKeysReadAsNothing)
{
  RecordingImporterPtr importer = RecordingImporter::create();
  importer->answer("IsValidDgnDatabase", [](OdVariant& v) { v.setBool(true); });
  importer->answer("DesignModelList", [](OdVariant& v) { v.setString(OdString("Default;Sheet")); });
  importer->answer("MeasurementUnits", [](OdVariant& v) { v.setInt32(6); });

  EXPECT_TRUE(getBool(importer.get(), OdString("IsValidDgnDatabase")));
  EXPECT_EQ(getString(importer.get(), OdString("DesignModelList")), OdString("Default;Sheet"));
  EXPECT_EQ(getInt32(importer.get(), OdString("MeasurementUnits")), 6);
  EXPECT_FALSE(getBool(importer.get(), OdString("ConversionUnits")));
  EXPECT_EQ(getString(importer.get(), OdString("Missing")), OdString());
  EXPECT_EQ(getInt32(importer.get(), OdString("Missing")), 0);

  EXPECT_THROW(getInt32(importer.get(), OdString("IsValidDgnDatabase")), OdError_NotThatKindOfClass);
  putObject(importer.get(), OdString("Services"), importer.get()); // an object that is no variant
  EXPECT_THROW(getBool(importer.get(), OdString("Services")), OdError_NotThatKindOfClass);
  putObject(importer.get(), OdString("Services"), nullptr);
  EXPECT_TRUE(getObject(importer.get(), OdString("Services")).isNull()) << "a null put clears the key";
}
