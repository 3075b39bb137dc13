#include "DialogTestSupport.h"

#include <DgnConversion.h>

#include <RxVariant.h>

#include <QTest>

namespace {

class InsertPageTest : public DialogTest {
protected:
  // A fresh dialog as the command makes it.
  std::unique_ptr<CDgnImportDlg> open() { return std::make_unique<CDgnImportDlg>(&userIO, nullptr); }

  static QPushButton* button(const CDgnImportDlg& dialog, QDialogButtonBox::StandardButton which)
  {
    return child<QDialogButtonBox>(dialog, "buttonBox")->button(which);
  }
  static QString text(const CDgnImportDlg& dialog, const char* name)
  {
    if (auto* edit = dialog.findChild<QLineEdit*>(QString::fromLatin1(name)))
      return edit->text();
    return child<QAbstractButton>(dialog, name)->text();
  }
  static QStringList models(const CDgnImportDlg& dialog)
  {
    QStringList names;
    auto* list = child<QListWidget>(dialog, "lwDesignModel");
    for (int i = 0; i < list->count(); ++i)
      names << list->item(i)->text();
    return names;
  }
};

TEST_F(InsertPageTest, TheFirstDialogOfAProcessAsksForAFile)
{
  const auto dialog = open();
  EXPECT_EQ(dialog->windowTitle(), "DGN Import");
  EXPECT_TRUE(dialog->isModal());
  EXPECT_TRUE(child<QCheckBox>(*dialog, "cbPoint")->isChecked());
  EXPECT_FALSE(child<QCheckBox>(*dialog, "cbScale")->isChecked());
  EXPECT_FALSE(child<QCheckBox>(*dialog, "cbRotation")->isChecked());
  for (const char* name : {"leX", "lblX", "leY", "lblY", "leZ", "lblZ"})
    EXPECT_FALSE(child<QWidget>(*dialog, name)->isEnabled()) << name;
  EXPECT_TRUE(child<QWidget>(*dialog, "leFactor")->isEnabled());
  EXPECT_EQ(text(*dialog, "leFactor"), "1");
  EXPECT_EQ(text(*dialog, "leAngle"), "0");
  for (const char* name : {"leX", "leY", "leZ"})
    EXPECT_EQ(text(*dialog, name), "0") << name;
  EXPECT_EQ(text(*dialog, "leUnitFactor"), "1");
  EXPECT_FALSE(button(*dialog, QDialogButtonBox::Ok)->isEnabled());
  EXPECT_TRUE(button(*dialog, QDialogButtonBox::Abort)->isHidden());
  EXPECT_FALSE(child<QWidget>(*dialog, "masterunits")->isEnabled());
  EXPECT_FALSE(child<QWidget>(*dialog, "subunits")->isEnabled());
  EXPECT_EQ(child<QStackedWidget>(*dialog, "swModes")->currentIndex(), 0);
  EXPECT_TRUE(child<QRadioButton>(*dialog, "rbInsert")->isChecked());
  EXPECT_TRUE(models(*dialog).isEmpty());
  EXPECT_TRUE(dialog->getDesignModel().isEmpty());
  EXPECT_EQ(dialog->m_modelUnit, OdDb::kUnitsUndefined);
  EXPECT_FALSE(dialog->getDgnImporter().isNull());
}

TEST_F(InsertPageTest, ARememberedFileIsReloadedOnlyWhileItExists)
{
  const QString plan = samplePlan();
  rememberedSettings().dgnPath = plan;
  rememberedSettings().masterUnits = false;
  document->database()->setInsertionUnits(OdDb::kUnitsInches);
  {
    const auto dialog = open();
    EXPECT_EQ(child<QLabel>(*dialog, "lblDgnName")->toolTip(), "plan.dgn");
    EXPECT_EQ(child<QLabel>(*dialog, "lblDgnPath")->toolTip(), QFileInfo(plan).absolutePath());
    EXPECT_EQ(models(*dialog), QStringList{"Default"});
    EXPECT_EQ(child<QListWidget>(*dialog, "lwDesignModel")->currentRow(), 0);
    EXPECT_TRUE(button(*dialog, QDialogButtonBox::Ok)->isEnabled());
    EXPECT_TRUE(child<QRadioButton>(*dialog, "subunits")->isChecked());
    EXPECT_TRUE(child<QWidget>(*dialog, "masterunits")->isEnabled());
    EXPECT_EQ(text(*dialog, "masterunits"), "&Master units [m]");
    EXPECT_EQ(text(*dialog, "subunits"), "S&ub units [mm]");
    EXPECT_EQ(dialog->m_modelUnit, OdDb::kUnitsMillimeters);
    EXPECT_EQ(dialog->getDesignModel(), CFxString("Default"));
    EXPECT_EQ(dialog->getDgnFile(), CFxString(plan));
    EXPECT_EQ(dialog->getSelectedUnits(), OdDb::kUnitsInches) << "the drawing's insertion units";
  }

  ASSERT_TRUE(QFile::remove(plan));
  const auto dialog = open();
  EXPECT_TRUE(models(*dialog).isEmpty());
  EXPECT_TRUE(child<QLabel>(*dialog, "lblDgnName")->text().isEmpty());
  EXPECT_FALSE(button(*dialog, QDialogButtonBox::Ok)->isEnabled());
  EXPECT_FALSE(child<QWidget>(*dialog, "masterunits")->isEnabled());
  EXPECT_TRUE(services.shown.empty()) << "a file that has gone is not an error";
  EXPECT_EQ(rememberedSettings().dgnPath, plan) << "the setting changes only at the next OK";
}

TEST_F(InsertPageTest, TheUnitFactorConvertsTheModelUnitToTheInsertionUnit)
{
  rememberedSettings().dgnPath = samplePlan();
  const auto dialog = open();
  auto* units = child<CFxQtInsertComboBox>(*dialog, "unitComboBox");
  units->setCurrentUnit(OdDb::kUnitsMillimeters);
  EXPECT_EQ(text(*dialog, "leUnitFactor"), "1000");
  setField(*dialog, "leFactor", "2");
  EXPECT_DOUBLE_EQ(dialog->getScale().value, 2000.0);

  child<QRadioButton>(*dialog, "subunits")->click();
  EXPECT_FALSE(dialog->m_bMasterUnits);
  EXPECT_EQ(dialog->m_modelUnit, OdDb::kUnitsMillimeters);
  EXPECT_EQ(text(*dialog, "leUnitFactor"), "1");
  EXPECT_EQ(text(*dialog, "subunits"), "S&ub units [mm]") << "the texts always show both units";

  child<QRadioButton>(*dialog, "masterunits")->click();
  units->setCurrentUnit(OdDb::kUnitsUndefined);
  EXPECT_EQ(text(*dialog, "leUnitFactor"), "1") << "an undefined unit converts nothing";
  EXPECT_DOUBLE_EQ(dialog->getScale().value, 2.0);
  units->setCurrentUnit(OdDb::kUnitsKilometers);
  EXPECT_EQ(text(*dialog, "leUnitFactor"), "0.001");

  child<QLineEdit>(*dialog, "leUnitFactor")->setText("not a number");
  EXPECT_DOUBLE_EQ(dialog->getScale().value, 2.0) << "no factor leaves the user's scale";
}

TEST_F(InsertPageTest, SpecifyLaterBoxesDisableTheirFieldsAndKeepTheirValues)
{
  const auto dialog = open();
  auto* point = child<QCheckBox>(*dialog, "cbPoint");
  auto* x = child<QLineEdit>(*dialog, "leX");
  point->click();
  EXPECT_TRUE(x->isEnabled());
  setField(*dialog, "leX", "12.5");
  point->click();
  EXPECT_FALSE(x->isEnabled());
  EXPECT_FALSE(child<QWidget>(*dialog, "lblZ")->isEnabled());
  point->click();
  EXPECT_EQ(x->text(), "12.5");

  child<QCheckBox>(*dialog, "cbRotation")->click();
  EXPECT_FALSE(child<QWidget>(*dialog, "leAngle")->isEnabled());
  EXPECT_FALSE(child<QWidget>(*dialog, "lblAngle")->isEnabled());
  child<QCheckBox>(*dialog, "cbScale")->click();
  EXPECT_FALSE(child<QWidget>(*dialog, "leFactor")->isEnabled());
  EXPECT_TRUE(child<QWidget>(*dialog, "unitComboBox")->isEnabled()) << "the unit does not depend on the scale box";
}

TEST_F(InsertPageTest, OkIsRefusedWhileAnyFieldIsInvalidEvenADisabledOne)
{
  rememberedSettings().dgnPath = samplePlan();
  const auto dialog = open();
  setField(*dialog, "leFactor", "abc");
  child<QCheckBox>(*dialog, "cbScale")->click();
  ASSERT_FALSE(child<QWidget>(*dialog, "leFactor")->isEnabled());
  button(*dialog, QDialogButtonBox::Ok)->click();
  EXPECT_EQ(dialog->result(), 0);
  EXPECT_EQ(rememberedSettings().scaleFactor, 1.0) << "nothing remembered";

  setField(*dialog, "leFactor", "1e8");
  button(*dialog, QDialogButtonBox::Ok)->click();
  EXPECT_EQ(dialog->result(), 0) << "a scale beyond 1e7 is refused";

  setField(*dialog, "leFactor", "2.5");
  button(*dialog, QDialogButtonBox::Ok)->click();
  EXPECT_EQ(dialog->result(), 1);
  const InsertValueChoice scale = dialog->getScale();
  EXPECT_TRUE(scale.specifyLater);
  EXPECT_DOUBLE_EQ(scale.value, 2.5) << "the value is still computed";
}

TEST_F(InsertPageTest, OnlyOkRemembersTheChoices)
{
  const QString plan = samplePlan();
  rememberedSettings().dgnPath = plan;
  {
    const auto dialog = open();
    setField(*dialog, "leFactor", "3");
    child<QCheckBox>(*dialog, "cbRotation")->click();
    button(*dialog, QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(dialog->result(), 0);
  }
  EXPECT_EQ(rememberedSettings().scaleFactor, 1.0);
  EXPECT_EQ(rememberedSettings().specifyLaterFlags, 1u);
  {
    const auto dialog = open();
    EXPECT_EQ(text(*dialog, "leFactor"), "1");
    setField(*dialog, "leFactor", "3");
    setField(*dialog, "leAngle", "30");
    child<QCheckBox>(*dialog, "cbPoint")->click();
    setField(*dialog, "leY", "-0.5");
    child<QCheckBox>(*dialog, "cbScale")->click();
    child<QRadioButton>(*dialog, "subunits")->click();
    child<QCheckBox>(*dialog, "cbExplodeTextNode")->click();
    button(*dialog, QDialogButtonBox::Ok)->click();
    ASSERT_EQ(dialog->result(), 1);
    EXPECT_NEAR(dialog->getRotation().value, M_PI / 6, 1e-12) << "degrees typed, radians handed on";
    EXPECT_EQ(dialog->getInsertionPoint().y, -0.5);
    EXPECT_FALSE(dialog->getInsertionPoint().specifyLater);
    EXPECT_TRUE(dialog->isExplodeTextNodes());
  }
  const DgnImportSettings& remembered = rememberedSettings();
  EXPECT_EQ(remembered.specifyLaterFlags, 4u);
  EXPECT_EQ(remembered.scaleFactor, 3.0);
  EXPECT_EQ(remembered.insertY, -0.5);
  EXPECT_FALSE(remembered.masterUnits);
  EXPECT_TRUE(remembered.explodeTextNodes);
  EXPECT_EQ(remembered.dgnPath, plan);

  const auto dialog = open();
  EXPECT_EQ(text(*dialog, "leFactor"), "3");
  EXPECT_EQ(text(*dialog, "leAngle"), "30");
  EXPECT_EQ(text(*dialog, "leY"), "-0.5");
  EXPECT_TRUE(child<QCheckBox>(*dialog, "cbScale")->isChecked());
  EXPECT_FALSE(child<QCheckBox>(*dialog, "cbPoint")->isChecked());
  EXPECT_TRUE(child<QCheckBox>(*dialog, "cbExplodeTextNode")->isChecked());
  EXPECT_TRUE(child<QRadioButton>(*dialog, "subunits")->isChecked());
}

TEST_F(InsertPageTest, GoingToBatchAndBackReloadsTheFile)
{
  const QString plan = samplePlan();
  rememberedSettings().dgnPath = plan;
  const auto dialog = open();
  auto* list = child<QListWidget>(*dialog, "lwDesignModel");
  list->setCurrentRow(-1);

  child<QRadioButton>(*dialog, "rbBatch")->click();
  EXPECT_EQ(child<QStackedWidget>(*dialog, "swModes")->currentIndex(), 1);
  EXPECT_EQ(button(*dialog, QDialogButtonBox::Ok)->text(), "Start");
  EXPECT_FALSE(button(*dialog, QDialogButtonBox::Ok)->isEnabled());
  EXPECT_EQ(button(*dialog, QDialogButtonBox::Cancel)->text(), "Close");
  EXPECT_FALSE(button(*dialog, QDialogButtonBox::Abort)->isHidden());

  child<QRadioButton>(*dialog, "rbInsert")->click();
  EXPECT_EQ(child<QStackedWidget>(*dialog, "swModes")->currentIndex(), 0);
  EXPECT_EQ(list->currentRow(), 0) << "the first model is current again";
  EXPECT_EQ(button(*dialog, QDialogButtonBox::Ok)->text(), "OK");
  EXPECT_TRUE(button(*dialog, QDialogButtonBox::Ok)->isEnabled());
  EXPECT_TRUE(button(*dialog, QDialogButtonBox::Abort)->isHidden());

  child<QRadioButton>(*dialog, "rbBatch")->click();
  ASSERT_TRUE(QFile::remove(plan));
  child<QRadioButton>(*dialog, "rbInsert")->click();
  EXPECT_TRUE(models(*dialog).isEmpty()) << "a file that has gone empties the page";
  EXPECT_TRUE(child<QLabel>(*dialog, "lblDgnName")->text().isEmpty());
  EXPECT_FALSE(button(*dialog, QDialogButtonBox::Ok)->isEnabled());
}

TEST_F(InsertPageTest, BrowsingLoadsADgnFileOfAnyCaseAndRefusesOthers)
{
  const auto dialog = open();
  userIO.setFiles({samplePlan("Upper.DGN")});
  child<QPushButton>(*dialog, "pbBrowse")->click();
  EXPECT_TRUE(tempFolderPrepared());
  EXPECT_TRUE(QFileInfo(conversionFolderPath()).isDir()) << "the first prompt prepares the conversion folder";
  EXPECT_EQ(userIO.lastFilter, "DGN (*.dgn)&*.dgn&&");
  EXPECT_EQ(userIO.lastStartFolder, QDir::tempPath()) << "no file yet: the host's default folder";
  EXPECT_EQ(child<QLabel>(*dialog, "lblDgnName")->toolTip(), "Upper.DGN");
  EXPECT_EQ(models(*dialog), QStringList{"Default"});
  EXPECT_TRUE(button(*dialog, QDialogButtonBox::Ok)->isEnabled());
  EXPECT_TRUE(child<QRadioButton>(*dialog, "masterunits")->isChecked()) << "the file's default choice";

  const QString drawing = folder.filePath("plan.dwg");
  QFile(drawing).open(QIODevice::WriteOnly);
  userIO.setFiles({drawing});
  QString warning;
  answerNextMessageBox(QMessageBox::Ok, &warning);
  child<QPushButton>(*dialog, "pbBrowse")->click();
  EXPECT_EQ(warning, "This Drawing cannot be loaded because it is not a DGN file.");
  EXPECT_EQ(child<QLabel>(*dialog, "lblDgnName")->toolTip(), "Upper.DGN") << "nothing reloaded";
  EXPECT_EQ(userIO.lastStartFolder, folder.path()) << "the folder of the current file";
  clearTempFolder();
}

TEST_F(InsertPageTest, ThePromptRepeatsUntilAnExistingNamedFileThatMayStillFailToLoad)
{
  const auto dialog = open();
  const QString dotOnly = folder.filePath(".dgn");
  QFile(dotOnly).open(QIODevice::WriteOnly);
  userIO.setFiles({folder.filePath("missing.dgn"), dotOnly, writeFile("broken.dgn", "garbage")});
  child<QPushButton>(*dialog, "pbBrowse")->click();
  EXPECT_EQ(userIO.prompts, 3) << "two refusals, then a file";
  ASSERT_EQ(services.shown.size(), 3u);
  EXPECT_EQ(services.shown[0].text, "Unable to locate file.");
  EXPECT_EQ(services.shown[0].caption, "Information");
  EXPECT_EQ(services.shown[0].flags, 48u);
  EXPECT_EQ(services.shown[1].text, "Invalid file. file .dgn has unsupported or unrecognized format.");
  EXPECT_EQ(services.shown[2].caption, "Invalid file") << "the file cannot be loaded";
  EXPECT_TRUE(models(*dialog).isEmpty());
  EXPECT_EQ(child<QLabel>(*dialog, "lblPageLayoutOpt_8")->text(), "Conversion units") << "no file was ever loaded";
  EXPECT_FALSE(button(*dialog, QDialogButtonBox::Ok)->isEnabled());
  EXPECT_FALSE(child<QWidget>(*dialog, "subunits")->isEnabled());
  clearTempFolder();
}

TEST_F(InsertPageTest, AFileThatFailsToLoadLeavesThePageAndTheImporterOnThePreviousFile)
{
  const QString plan = samplePlan();
  rememberedSettings().dgnPath = plan;
  rememberedSettings().masterUnits = false;
  const auto dialog = open();
  const QString broken = writeFile("broken.dgn", "this is no design file");

  userIO.setFiles({broken});
  child<QPushButton>(*dialog, "pbBrowse")->click();
  ASSERT_EQ(services.shown.size(), 1u);
  EXPECT_EQ(services.shown[0].caption, "Invalid file");
  EXPECT_EQ(child<QLabel>(*dialog, "lblDgnName")->toolTip(), "plan.dgn");
  EXPECT_EQ(dialog->getDgnFile(), CFxString(plan));
  EXPECT_TRUE(child<QRadioButton>(*dialog, "subunits")->isChecked()) << "the choice stays";
  const OdRxObjectPtr path = dialog->getDgnImporter()->properties()->getAt(OdString("DgnPath"));
  EXPECT_EQ(OdRxVariantPtr(path)->getString(), OdString(CFxString(plan))) << "the importer is back on the shown file";
  clearTempFolder();
}

} // namespace
