#include <RecordingImporter.h>

#include <CDgnImportDlg.h>
#include <FxHostSetup.h>
#include <LiveCounts.h>
#include <RxDynamicLinker.h>

#include <QListWidget>

namespace {

// Host services that record the message boxes instead of showing them.
class RecordingServices : public CFxSystemServices {
public:
  struct Shown {
    QString text, caption;
    unsigned flags;
  };
  std::vector<Shown> shown;
  int showMessage(const CFxString& text, const CFxString& caption, unsigned flags) override
  {
    shown.push_back({text, caption, flags});
    return 1;
  }
};

// The dialog with its importer replaced by a recording one.
class DialogUnderTest : public CDgnImportDlg {
public:
  RecordingImporterPtr recorder = RecordingImporter::create();
  DialogUnderTest() { m_pDgnImporter = recorder; }
  void dropImporter() { m_pDgnImporter = nullptr; }
  void answerFile(bool valid, const char* models)
  {
    recorder->answer("IsValidDgnDatabase", [valid](OdVariant& v) { v.setBool(valid); });
    recorder->answer("DesignModelList", [models](OdVariant& v) { v.setString(OdString(models)); });
  }
  QStringList listed() const
  {
    QStringList names;
    for (int i = 0; i < lwDesignModel->count(); ++i)
      names << lwDesignModel->item(i)->text();
    return names;
  }
};

class LoadDgnFileTest : public LiveCountsTest {
protected:
  void SetUp() override
  {
    // The import module's own object lives from its loading to the end: load it before counting.
    odrxDynamicLinker()->setModuleFolder(OdString(DGN_BIN_DIR));
    ASSERT_FALSE(odrxDynamicLinker()->loadModule(OdString("TD_DgnImport")).isNull());
    LiveCountsTest::SetUp();
    setFxSystemServices(&services);
  }
  void TearDown() override
  {
    setFxSystemServices(nullptr);
    LiveCountsTest::TearDown();
  }
  RecordingServices services;
};

} // namespace

TEST_F(LoadDgnFileTest, ListsTheModelsInOrderWithTheFirstCurrent)
{
  DialogUnderTest dialog;
  dialog.answerFile(true, "Default;Sheet");
  EXPECT_TRUE(dialog.loadDgnFile("/plans/site.dgn"));
  EXPECT_EQ(dialog.listed(), (QStringList{"Default", "Sheet"}));
  EXPECT_EQ(dialog.lwDesignModel->currentRow(), 0);
  EXPECT_TRUE(services.shown.empty());
  EXPECT_EQ(dialog.recorder->log.front(), "put DgnPath=string:/plans/site.dgn");

  dialog.answerFile(true, "Only");
  EXPECT_TRUE(dialog.loadDgnFile("/plans/other.dgn"));
  EXPECT_EQ(dialog.listed(), QStringList{"Only"}) << "a new file replaces the list";
}

TEST_F(LoadDgnFileTest, AFileThatCannotBeLoadedIsNamedAndTheListStays)
{
  DialogUnderTest dialog;
  dialog.answerFile(true, "Default");
  ASSERT_TRUE(dialog.loadDgnFile("/plans/good.dgn"));

  dialog.answerFile(false, "");
  EXPECT_FALSE(dialog.loadDgnFile("/plans/bad file.dgn"));
  ASSERT_EQ(services.shown.size(), 1u);
  EXPECT_EQ(services.shown[0].text,
            "\"/plans/bad file.dgn\" file can not be loaded. \n The problem may be caused by: \n - Data in file are "
            "corrupted \n - File has an earlier format that is not supported \n - File format is not supported");
  EXPECT_EQ(services.shown[0].caption, "Invalid file");
  EXPECT_EQ(services.shown[0].flags, 0x30u);
  EXPECT_EQ(dialog.listed(), QStringList{"Default"});

  dialog.answerFile(true, "");
  EXPECT_FALSE(dialog.loadDgnFile("/plans/empty.dgn"));
  ASSERT_EQ(services.shown.size(), 2u);
  EXPECT_EQ(services.shown[1].text, "/plans/empty.dgn\ncontains no Design Model.");
  EXPECT_EQ(services.shown[1].caption, "Information");
  EXPECT_EQ(services.shown[1].flags, 0x30u);
  EXPECT_EQ(dialog.listed(), QStringList{"Default"});

  dialog.dropImporter();
  EXPECT_FALSE(dialog.loadDgnFile("/plans/good.dgn"));
  EXPECT_EQ(services.shown.size(), 2u) << "without an importer nothing is shown";
}

TEST_F(LoadDgnFileTest, AResetImporterHasServicesButNoFile)
{
  DialogUnderTest dialog;
  ASSERT_TRUE(dialog.resetDgnImporter());
  const OdDgnImportPtr fresh = dialog.dgnImporter();
  ASSERT_FALSE(fresh.isNull());
  EXPECT_NE(fresh.get(), static_cast<OdDgnImport*>(dialog.recorder.get()));
  EXPECT_FALSE(fresh->properties()->getAt(OdString("Services")).isNull());
  EXPECT_TRUE(fresh->properties()->getAt(OdString("DgnPath")).isNull());
}
