#include <RecordingImporter.h>

#include <DgnConversion.h>
#include <FxHostSetup.h>
#include <LiveCounts.h>
#include <OdError.h>
#include <TestFiles.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <new>

namespace {

// Each test converts into a temporary-files location of its own.
class DgnConversionTest : public LiveCountsTest {
protected:
  void SetUp() override
  {
    LiveCountsTest::SetUp();
    m_savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", m_tmp.path().toLocal8Bit());
    ASSERT_TRUE(QDir(m_sources.path()).exists());
  }
  void TearDown() override
  {
    qputenv("TMPDIR", m_savedTmp);
    LiveCountsTest::TearDown();
  }

  QString folder() const { return m_tmp.path() + "/DGNImport_temp"; }
  QString source(const QString& name) { return writeBytes(m_sources.filePath(name), ""); }
  // An importer that reports `units` and converts successfully into a host database.
  RecordingImporterPtr importer(int units = OdDb::kUnitsMillimeters)
  {
    RecordingImporterPtr result = RecordingImporter::create();
    result->answer("MeasurementUnits", [units](OdVariant& v) { v.setInt32(units); });
    result->runDatabase = createFxDatabase();
    return result;
  }

  QTemporaryDir m_tmp, m_sources;
  QByteArray m_savedTmp;
};

} // namespace

TEST_F(DgnConversionTest, WritesTheOptionsInOrderThenRunsAndWritesTheDrawing)
{
  const QString dgn = source("plan.rev.dgn");
  RecordingImporterPtr recorder = importer(OdDb::kUnitsMillimeters);
  CFxString output;
  EXPECT_EQ(convertDesignModel(recorder, dgn, CFxString("Default"), output, true, false), 0);

  EXPECT_EQ(recorder->log,
            (std::vector<std::string>{
              "put DesignModel=string:Default", "put MasterUnit=bool:0", "get MeasurementUnits",
              "put XRefImportMode=u8:1", "put ImportActiveModelToModelSpace=bool:0",
              "put ImportPaperSpaceModels=bool:1", "put ExplodeTextNodes=bool:1",
              "put RecomputeDimensionsAfterImport=bool:0", "put MS_SYMBRSRC=strings:0",
              "put DontImportInvisibleElements=bool:0", "put ImportViewIndex=u8:255", "put 3dEllipseImportMode=u8:0",
              "put 2dEllipseImportMode=u8:0", "put 3dShapeImportMode=u8:1", "put 2dShapeImportMode=u8:0",
              "put 3dClosedBSplineCurveImportMode=u8:1", "put shxFontsPath=string:",
              "put BreakDimensionAssociation=bool:0", "put Database=null", "run", "get Database"}));
  EXPECT_EQ(output.toQString(), folder() + "/plan_Default_mm.dwg");
  EXPECT_TRUE(QFileInfo(output).isFile());
  EXPECT_GT(QFileInfo(output).size(), 0);
  EXPECT_EQ(OdDbDatabasePtr(recorder->runDatabase)->getInsertionUnits(), OdDb::kUnitsMillimeters);
  EXPECT_EQ(recorder->numRefs(), 1) << "the conversion let go of the importer it was given";
}

TEST_F(DgnConversionTest, FileNamesComeFromTheBaseNameTheModelAndTheUnit)
{
  EXPECT_EQ(convertedFileName("/a/plan.rev.dgn", "Default", OdDb::kUnitsMillimeters), "plan_Default_mm.dwg");
  EXPECT_EQ(convertedFileName("/a/.hidden.dgn", "Default", OdDb::kUnitsMeters), "_Default_m.dwg");
  EXPECT_EQ(convertedFileName("/a/site", "Sheet 1", OdDb::kUnitsFeet), "site_Sheet 1_ft.dwg");
  EXPECT_EQ(convertedFileName("/a/site.dgn", "x", OdDb::kUnitsUndefined), "site_x_.dwg");

  // An empty model name: the active model goes to model space, and two underscores meet.
  RecordingImporterPtr recorder = importer(OdDb::kUnitsMeters);
  CFxString output;
  EXPECT_EQ(convertDesignModel(recorder, source("plan.dgn"), CFxString(""), output, false, true), 0);
  EXPECT_EQ(QFileInfo(output).fileName(), "plan__m.dwg");
  const auto& log = recorder->log;
  EXPECT_NE(std::find(log.begin(), log.end(), "put ImportActiveModelToModelSpace=bool:1"), log.end());
}

TEST_F(DgnConversionTest, ConvertingAgainReplacesAndEachUnitGetsItsOwnFile)
{
  const QString dgn = source("plan.dgn");
  CFxString first, again, sub;
  ASSERT_EQ(convertDesignModel(importer(OdDb::kUnitsMeters), dgn, CFxString("Default"), first, false, true), 0);
  QFile(first).resize(1);
  ASSERT_EQ(convertDesignModel(importer(OdDb::kUnitsMeters), dgn, CFxString("Default"), again, false, true), 0);
  EXPECT_EQ(first, again);
  EXPECT_GT(QFileInfo(again).size(), 1) << "the second conversion replaced the first file";
  ASSERT_EQ(convertDesignModel(importer(OdDb::kUnitsMillimeters), dgn, CFxString("Default"), sub, false, false), 0);
  EXPECT_NE(first, sub);
  EXPECT_EQ(QDir(folder()).entryList(QDir::Files).size(), 2);
}

TEST_F(DgnConversionTest, FailuresGiveTheirCodeAndSetTheOutputPathOnceItIsKnown)
{
  const QString dgn = source("plan.dgn");
  const CFxString untouched("untouched");
  CFxString output = untouched;
  EXPECT_EQ(convertDesignModel(OdDgnImportPtr(), dgn, CFxString("Default"), output, false, true), 1);
  EXPECT_EQ(output, untouched) << "no importer";

  RecordingImporterPtr missing = importer();
  EXPECT_EQ(convertDesignModel(missing, m_sources.filePath("gone.dgn"), CFxString("Default"), output, false, true), 1);
  EXPECT_EQ(output.toQString(), folder() + "/gone_Default_mm.dwg") << "the would-be path is set";
  EXPECT_EQ(std::count(missing->log.begin(), missing->log.end(), "run"), 0) << "nothing runs for a missing file";
  EXPECT_FALSE(QFileInfo::exists(output));

  RecordingImporterPtr password = importer();
  password->runResult = 2;
  EXPECT_EQ(convertDesignModel(password, dgn, CFxString("Default"), output, false, true), 2);
  EXPECT_FALSE(QFileInfo::exists(output)) << "a failed run writes nothing";

  RecordingImporterPtr empty = importer();
  empty->runDatabase = nullptr;
  EXPECT_EQ(convertDesignModel(empty, dgn, CFxString("Default"), output, false, true), 1);

  // An importer that lets memory running out leave it: reported as the module reports it.
  struct NoMemory : RecordingImporter {
    int importDgn() override { throw std::bad_alloc(); }
  };
  RecordingImporterPtr noMemory = OdRxObjectImpl<NoMemory>::createObject();
  EXPECT_EQ(convertDesignModel(noMemory, dgn, CFxString("Default"), output, false, true), kDgnImportOutOfMemory);

  RecordingImporterPtr wrongKind = importer();
  wrongKind->runDatabase = OdRxObjectImpl<OdRxVariant>::createObject();
  EXPECT_THROW(convertDesignModel(wrongKind, dgn, CFxString("Default"), output, false, true),
               OdError_NotThatKindOfClass);

  // The output file cannot be opened: a folder stands where it would go.
  ASSERT_TRUE(QDir().mkpath(folder() + "/plan_Default_mm.dwg"));
  EXPECT_EQ(convertDesignModel(importer(), dgn, CFxString("Default"), output, false, true), 1);

  for (RecordingImporterPtr* used : {&missing, &password, &empty, &noMemory, &wrongKind})
    EXPECT_EQ((*used)->numRefs(), 1) << "every exit lets go of the importer";
}

TEST_F(DgnConversionTest, TheFolderIsMadeOnDemandAndClearedOfFilesOnly)
{
  EXPECT_FALSE(QFileInfo::exists(folder()));
  EXPECT_TRUE(ensureTempFolder());
  EXPECT_TRUE(ensureTempFolder()) << "an existing folder is fine";
  clearTempFolder();
  EXPECT_FALSE(QFileInfo::exists(folder())) << "an empty folder goes";
  clearTempFolder(); // nothing to clear

  ASSERT_TRUE(QDir().mkpath(folder() + "/keep"));
  QFile(folder() + "/a.dwg").open(QIODevice::WriteOnly);
  QFile(folder() + "/.b").open(QIODevice::WriteOnly);
  clearTempFolder();
  // The folder's own listing leaves out hidden files, so they stay with the sub-folder.
  EXPECT_EQ(QDir(folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            (QStringList{".b", "keep"}));

  // A temporary-files location that is a file: the folder cannot be made, and nothing converts.
  qputenv("TMPDIR", writeBytes(m_tmp.filePath("blocker"), "").toLocal8Bit());
  EXPECT_FALSE(ensureTempFolder());
  CFxString output("untouched");
  EXPECT_EQ(convertDesignModel(importer(), source("plan.dgn"), CFxString("Default"), output, false, true), 1);
  EXPECT_EQ(output, CFxString("untouched"));
}
