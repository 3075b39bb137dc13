#include <RecordingImporter.h>

#include <DgnImporter.h>
#include <LiveCounts.h>
#include <RxDynamicLinker.h>

#include <QFile>
#include <QTemporaryDir>

class DgnImporterTest : public LiveCountsTest {};

TEST_F(DgnImporterTest, DesignModelListsNeedAnExistingFileAndLeaveThePathSet)
{
  QTemporaryDir dir;
  const QString dgn = dir.filePath("plan.dgn");
  QFile(dgn).open(QIODevice::WriteOnly);
  RecordingImporterPtr recorder = RecordingImporter::create();
  recorder->answer("DesignModelList", [](OdVariant& v) { v.setString(OdString("Default;Sheet")); });

  std::vector<CFxString> models;
  EXPECT_EQ(getDesignModelList(recorder, dgn, models), 2);
  EXPECT_EQ(models, (std::vector<CFxString>{"Default", "Sheet"}));
  EXPECT_EQ(recorder->log, (std::vector<std::string>{"put Services=object", "put DgnPath=string:" + dgn.toStdString(),
                                                     "get DesignModelList"}));

  const size_t logged = recorder->log.size();
  EXPECT_EQ(getDesignModelList(recorder, dir.filePath("gone.dgn"), models), 0);
  EXPECT_EQ(recorder->log.size(), logged) << "a missing file leaves the importer alone";
  EXPECT_EQ(models.size(), 2u) << "and the list as it was";
  EXPECT_EQ(getDesignModelList(OdDgnImportPtr(), dgn, models), 0);
  EXPECT_EQ(recorder->numRefs(), 1) << "the reference passed in is consumed";

  recorder->answer("DesignModelList", [](OdVariant& v) { v.setString(OdString("")); });
  EXPECT_EQ(getDesignModelList(recorder, dgn, models), 0);
  EXPECT_TRUE(models.empty()) << "an empty list replaces the earlier one";
}

// Points the linker at a folder of the test's choosing, and back.
class ModuleFolder {
public:
  explicit ModuleFolder(const QString& folder) : m_saved(odrxDynamicLinker()->moduleFolder())
  {
    odrxDynamicLinker()->setModuleFolder(OdString(folder.toUtf8().constData()));
  }
  ~ModuleFolder()
  {
    odrxDynamicLinker()->unloadModule(OdString("TD_DgnImport"));
    odrxDynamicLinker()->setModuleFolder(m_saved);
  }

private:
  OdString m_saved;
};

TEST_F(DgnImporterTest, TheImportModuleHandsOutIndependentImportersOrNothing)
{
  QTemporaryDir dir;
  {
    ModuleFolder folder(dir.path());
    EXPECT_TRUE(createDgnImporter().isNull()) << "no module, no importer";
    // A module of another kind under the import module's name.
    ASSERT_TRUE(QFile::copy(DGN_TEST_MODULE_DIR "/SampleModule.tx", dir.filePath("TD_DgnImport.tx")));
    EXPECT_THROW(createDgnImporter(), OdError_NotThatKindOfClass);
  }
  ModuleFolder folder(DGN_BIN_DIR);
  OdDgnImportPtr first = createDgnImporter(), second = createDgnImporter();
  ASSERT_FALSE(first.isNull());
  ASSERT_FALSE(second.isNull());
  EXPECT_NE(first.get(), second.get());
  EXPECT_EQ(first->numRefs(), 1);
  first.release();
  second.release();
  EXPECT_TRUE(odrxDynamicLinker()->unloadModule(OdString("TD_DgnImport")))
    << "with its importers gone nobody holds the module: createDgnImporter keeps no reference";
}
