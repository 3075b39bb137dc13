#include "DialogTestSupport.h"

#include <RecordingImporter.h>

namespace {

// The dialog with its importer replaced by a recording one.
class DialogUnderTest : public CDgnImportDlg {
public:
  RecordingImporterPtr recorder = RecordingImporter::create();
  explicit DialogUnderTest(CFxUserIO* userIO) : CDgnImportDlg(userIO, nullptr) { m_pDgnImporter = recorder; }
  void dropImporter() { m_pDgnImporter = nullptr; }
  void answerFile(bool valid, const char* models, int units = OdDb::kUnitsMeters)
  {
    recorder->answer("IsValidDgnDatabase", [valid](OdVariant& v) { v.setBool(valid); });
    recorder->answer("DesignModelList", [models](OdVariant& v) { v.setString(OdString(models)); });
    recorder->answer("MeasurementUnits", [units](OdVariant& v) { v.setInt32(units); });
  }
};

class LoadDgnFileTest : public DialogTest {};

} // namespace

TEST_F(LoadDgnFileTest, ListsTheModelsAndFollowsTheCurrentOnesUnitOrNamesAFileThatCannotBeLoaded)
{
  DialogUnderTest dialog(&userIO);
  dialog.answerFile(true, "Default;Sheet");
  child<CFxQtInsertComboBox>(dialog, "unitComboBox")->setCurrentUnit(OdDb::kUnitsMillimeters);
  EXPECT_TRUE(dialog.loadDgnFile("/plans/site.dgn"));
  EXPECT_EQ(models(dialog), (QStringList{"Default", "Sheet"}));
  EXPECT_EQ(child<QListWidget>(dialog, "lwDesignModel")->currentRow(), 0);
  EXPECT_TRUE(services.shown.empty());
  EXPECT_EQ(dialog.recorder->log.front(), "put DgnPath=string:/plans/site.dgn");
  EXPECT_EQ(child<QLineEdit>(dialog, "leUnitFactor")->text(), "1000");

  dialog.answerFile(true, "Default;Sheet", OdDb::kUnitsKilometers);
  child<QListWidget>(dialog, "lwDesignModel")->setCurrentRow(1);
  EXPECT_EQ(dialog.m_modelUnit, OdDb::kUnitsKilometers) << "the units of the model now current";
  EXPECT_EQ(child<QLineEdit>(dialog, "leUnitFactor")->text(), "1e+06");

  dialog.answerFile(true, "Default");
  EXPECT_TRUE(dialog.loadDgnFile("/plans/good.dgn"));
  EXPECT_EQ(models(dialog), QStringList{"Default"}) << "a new file replaces the list";

  // A file that cannot be loaded, one without models, and no importer at all keep the list.
  dialog.answerFile(false, "");
  EXPECT_FALSE(dialog.loadDgnFile("/plans/bad file.dgn"));
  dialog.answerFile(true, "");
  EXPECT_FALSE(dialog.loadDgnFile("/plans/empty.dgn"));
  dialog.dropImporter();
  EXPECT_FALSE(dialog.loadDgnFile("/plans/good.dgn"));
  EXPECT_EQ(services.shown, (QStringList{"Invalid file (48): \"/plans/bad file.dgn\" file can not be loaded. \n The "
                                         "problem may be caused by: \n - Data in file are corrupted \n - File has an "
                                         "earlier format that is not supported \n - File format is not supported",
                                         "Information (48): /plans/empty.dgn\ncontains no Design Model."}))
    << "without an importer nothing is shown";
  EXPECT_EQ(models(dialog), QStringList{"Default"});

  // A renewed importer has the host's services and no file.
  ASSERT_TRUE(dialog.resetDgnImporter());
  const OdDgnImportPtr fresh = dialog.getDgnImporter();
  ASSERT_FALSE(fresh.isNull());
  EXPECT_NE(fresh.get(), static_cast<OdDgnImport*>(dialog.recorder.get()));
  EXPECT_FALSE(fresh->properties()->getAt(OdString("Services")).isNull());
  EXPECT_TRUE(fresh->properties()->getAt(OdString("DgnPath")).isNull());
}
