#include "DialogTestSupport.h"
#include "GdalDgn.h"

#include <RxVariant.h>

namespace {

class InsertPageTest : public DialogTest {
protected:
  // A fresh dialog as the command makes it, once the last one has gone.
  void open()
  {
    dialog.reset();
    dialog = std::make_unique<CDgnImportDlg>(&userIO, nullptr);
  }
  QString text(const char* name) const
  {
    if (auto* edit = dialog->findChild<QLineEdit*>(QString::fromLatin1(name)))
      return edit->text();
    return child<QAbstractButton>(*dialog, name)->text();
  }
  // Those of the widgets `names` that are enabled.
  QStringList enabled(std::initializer_list<const char*> names) const
  {
    QStringList result;
    for (const char* name : names)
      if (child<QWidget>(*dialog, name)->isEnabled())
        result << name;
    return result;
  }
};

TEST_F(InsertPageTest, TheFirstDialogOfAProcessAsksForAFileAndItsBoxesLeaveValuesForLater)
{
  open();
  // Without a file there is nothing to accept and no unit to choose; the point is left for later.
  EXPECT_FALSE(button(*dialog, QDialogButtonBox::Ok)->isEnabled());
  EXPECT_TRUE(button(*dialog, QDialogButtonBox::Abort)->isHidden());
  EXPECT_EQ(enabled({"masterunits", "subunits", "leX", "lblX", "leY", "lblY", "leZ", "lblZ", "leFactor"}),
            QStringList{"leFactor"});
  EXPECT_FALSE(dialog->getDgnImporter().isNull());

  // The specify-later boxes disable their fields and labels and keep their values.
  auto* point = child<QCheckBox>(*dialog, "cbPoint");
  ASSERT_TRUE(point->isChecked());
  point->click();
  EXPECT_EQ(enabled({"leX", "lblZ"}), (QStringList{"leX", "lblZ"}));
  setField(*dialog, "leX", "12.5");
  point->click();
  EXPECT_EQ(enabled({"leX", "lblZ"}), QStringList());
  point->click();
  EXPECT_EQ(text("leX"), "12.5");

  child<QCheckBox>(*dialog, "cbRotation")->click();
  EXPECT_EQ(enabled({"leAngle", "lblAngle", "leFactor"}), QStringList{"leFactor"});
  child<QCheckBox>(*dialog, "cbScale")->click();
  EXPECT_EQ(enabled({"leFactor", "lblFactor", "unitComboBox"}), QStringList{"unitComboBox"})
    << "the unit does not depend on the scale box";
}

TEST_F(InsertPageTest, ARememberedFileIsReloadedWhileItExistsAndOnEveryReturnToInsert)
{
  const QString plan = rememberedSettings().dgnPath = samplePlan();
  rememberedSettings().masterUnits = false;
  document->database()->setInsertionUnits(OdDb::kUnitsInches);
  const auto noFileShown = [this] {
    return models(*dialog).isEmpty() && child<QLabel>(*dialog, "lblDgnName")->text().isEmpty() &&
           !button(*dialog, QDialogButtonBox::Ok)->isEnabled();
  };
  const auto mode = [this](const char* name) { child<QRadioButton>(*dialog, name)->click(); };
  open();
  EXPECT_EQ(child<QLabel>(*dialog, "lblDgnName")->toolTip(), "plan.dgn");
  EXPECT_EQ(child<QLabel>(*dialog, "lblDgnPath")->toolTip(), QFileInfo(plan).absolutePath());
  EXPECT_EQ(models(*dialog), QStringList{"Default"});
  EXPECT_TRUE(button(*dialog, QDialogButtonBox::Ok)->isEnabled());
  EXPECT_TRUE(child<QRadioButton>(*dialog, "subunits")->isChecked());
  EXPECT_TRUE(child<QWidget>(*dialog, "masterunits")->isEnabled());
  EXPECT_EQ(text("masterunits"), "&Master units [m]");
  EXPECT_EQ(text("subunits"), "S&ub units [mm]");
  EXPECT_EQ(dialog->m_modelUnit, OdDb::kUnitsMillimeters);
  EXPECT_EQ(dialog->getDesignModel(), CFxString("Default"));
  EXPECT_EQ(dialog->getDgnFile(), CFxString(plan));
  EXPECT_EQ(dialog->getSelectedUnits(), OdDb::kUnitsInches) << "the drawing's insertion units";

  auto* list = child<QListWidget>(*dialog, "lwDesignModel");
  list->setCurrentRow(-1);
  mode("rbBatch");
  EXPECT_EQ(child<QStackedWidget>(*dialog, "swModes")->currentIndex(), 1);
  EXPECT_EQ(button(*dialog, QDialogButtonBox::Ok)->text(), "Start");
  EXPECT_FALSE(button(*dialog, QDialogButtonBox::Ok)->isEnabled());
  EXPECT_EQ(button(*dialog, QDialogButtonBox::Cancel)->text(), "Close");
  EXPECT_EQ(button(*dialog, QDialogButtonBox::Abort)->text(), "Cancel");
  EXPECT_FALSE(button(*dialog, QDialogButtonBox::Abort)->isHidden());
  mode("rbInsert");
  EXPECT_EQ(child<QStackedWidget>(*dialog, "swModes")->currentIndex(), 0);
  EXPECT_EQ(list->currentRow(), 0) << "the first model is current again";
  EXPECT_EQ(button(*dialog, QDialogButtonBox::Ok)->text(), "OK");
  EXPECT_TRUE(button(*dialog, QDialogButtonBox::Ok)->isEnabled());
  EXPECT_TRUE(button(*dialog, QDialogButtonBox::Abort)->isHidden());

  mode("rbBatch");
  ASSERT_TRUE(QFile::remove(plan));
  mode("rbInsert");
  EXPECT_TRUE(noFileShown()) << "a file that has gone empties the page";
  open();
  EXPECT_TRUE(noFileShown());
  EXPECT_FALSE(child<QWidget>(*dialog, "masterunits")->isEnabled());
  EXPECT_TRUE(services.shown.empty()) << "a file that has gone is not an error";
  EXPECT_EQ(rememberedSettings().dgnPath, plan) << "the setting changes only at the next OK";

  // A file that exists but does not load now is kept, and checked again on going back to Insert.
  writeFile("plan.dgn", "half copied");
  open();
  EXPECT_EQ(services.shown.size(), 1) << "it says why";
  EXPECT_TRUE(noFileShown());
  samplePlan();
  mode("rbBatch");
  mode("rbInsert");
  EXPECT_EQ(models(*dialog), QStringList{"Default"});
  EXPECT_TRUE(button(*dialog, QDialogButtonBox::Ok)->isEnabled());
}

TEST_F(InsertPageTest, TheUnitFactorConvertsTheModelUnitToTheInsertionUnit)
{
  rememberedSettings().dgnPath = samplePlan();
  open();
  auto* units = child<CFxQtInsertComboBox>(*dialog, "unitComboBox");
  units->setCurrentUnit(OdDb::kUnitsMillimeters);
  EXPECT_EQ(text("leUnitFactor"), "1000");
  setField(*dialog, "leFactor", "2");
  EXPECT_DOUBLE_EQ(dialog->getScale().value, 2000.0);

  child<QRadioButton>(*dialog, "subunits")->click();
  EXPECT_FALSE(dialog->m_bMasterUnits);
  EXPECT_EQ(dialog->m_modelUnit, OdDb::kUnitsMillimeters);
  EXPECT_EQ(text("leUnitFactor"), "1");
  EXPECT_EQ(text("subunits"), "S&ub units [mm]") << "the texts always show both units";

  child<QRadioButton>(*dialog, "masterunits")->click();
  units->setCurrentUnit(OdDb::kUnitsUndefined);
  EXPECT_EQ(text("leUnitFactor"), "1") << "an undefined unit converts nothing";
  EXPECT_DOUBLE_EQ(dialog->getScale().value, 2.0);
  units->setCurrentUnit(OdDb::kUnitsKilometers);
  EXPECT_EQ(text("leUnitFactor"), "0.001");

  child<QLineEdit>(*dialog, "leUnitFactor")->setText("not a number");
  EXPECT_DOUBLE_EQ(dialog->getScale().value, 2.0) << "no factor leaves the user's scale";
}

TEST_F(InsertPageTest, OnlyOkWithValidFieldsRemembersTheChoices)
{
  const QString plan = rememberedSettings().dgnPath = samplePlan();
  open();
  setField(*dialog, "leFactor", "3");
  child<QCheckBox>(*dialog, "cbRotation")->click();
  button(*dialog, QDialogButtonBox::Cancel)->click();
  EXPECT_EQ(dialog->result(), 0);
  EXPECT_EQ(rememberedSettings().scaleFactor, 1.0);
  EXPECT_EQ(rememberedSettings().specifyLaterFlags, 1u);

  open();
  EXPECT_EQ(text("leFactor"), "1");
  setField(*dialog, "leFactor", "abc");
  child<QCheckBox>(*dialog, "cbScale")->click();
  button(*dialog, QDialogButtonBox::Ok)->click();
  EXPECT_EQ(dialog->result(), 0) << "an invalid field refuses OK, even a disabled one";
  setField(*dialog, "leFactor", "1e8");
  button(*dialog, QDialogButtonBox::Ok)->click();
  EXPECT_EQ(dialog->result(), 0) << "a scale beyond 1e7 is refused";
  EXPECT_EQ(rememberedSettings().scaleFactor, 1.0) << "nothing remembered";
  setField(*dialog, "leFactor", "3");
  setField(*dialog, "leAngle", "30");
  child<QCheckBox>(*dialog, "cbPoint")->click();
  setField(*dialog, "leY", "-0.5");
  child<QRadioButton>(*dialog, "subunits")->click();
  child<QCheckBox>(*dialog, "cbExplodeTextNode")->click();
  tempFolderPrepared() = true;
  button(*dialog, QDialogButtonBox::Ok)->click();
  ASSERT_EQ(dialog->result(), 1);
  EXPECT_FALSE(tempFolderPrepared()) << "the next dialog prepares the conversion folder again";
  EXPECT_NEAR(dialog->getRotation().value, M_PI / 6, 1e-12) << "degrees typed, radians handed on";
  EXPECT_EQ(std::make_tuple(dialog->getInsertionPoint().y, dialog->getInsertionPoint().specifyLater,
                            dialog->getScale().specifyLater, dialog->isExplodeTextNodes()),
            std::make_tuple(-0.5, false, true, true));
  EXPECT_DOUBLE_EQ(dialog->getScale().value, 3.0) << "the value is still computed";
  const DgnImportSettings& r = rememberedSettings();
  EXPECT_EQ(std::make_tuple(r.specifyLaterFlags, r.scaleFactor, r.insertY, r.masterUnits, r.explodeTextNodes,
                            r.dgnPath),
            std::make_tuple(4u, 3.0, -0.5, false, true, plan));

  open();
  EXPECT_EQ((QStringList{text("leFactor"), text("leAngle"), text("leY")}), (QStringList{"3", "30", "-0.5"}));
  EXPECT_TRUE(child<QCheckBox>(*dialog, "cbScale")->isChecked());
  EXPECT_FALSE(child<QCheckBox>(*dialog, "cbPoint")->isChecked());
  EXPECT_TRUE(child<QCheckBox>(*dialog, "cbExplodeTextNode")->isChecked());
  EXPECT_TRUE(child<QRadioButton>(*dialog, "subunits")->isChecked());
}

TEST_F(InsertPageTest, BrowsingLoadsADgnFileOfAnyCaseAndRefusesOthers)
{
  if (!haveGdal())
    GTEST_SKIP() << "GDAL's ogr2ogr is not installed";
  open();
  // A long name in a file whose default choice is sub units: only its sub unit has a known name.
  const QString upper = writeGdalDgn(folder.path(), QString(120, 'L') + ".DGN", "xx", "mm", 1000);
  userIO.files = {upper};
  child<QPushButton>(*dialog, "pbBrowse")->click();
  EXPECT_TRUE(tempFolderPrepared());
  EXPECT_TRUE(QFileInfo(conversionFolderPath()).isDir()) << "the first prompt prepares the conversion folder";
  EXPECT_EQ(userIO.lastFilter, "DGN (*.dgn)&*.dgn&&");
  EXPECT_EQ(userIO.lastStartFolder, QDir::tempPath()) << "no file yet: the host's default folder";
  auto* name = child<QLabel>(*dialog, "lblDgnName");
  EXPECT_EQ(name->toolTip(), QFileInfo(upper).fileName());
  EXPECT_TRUE(name->text().contains(QChar(0x2026)) && name->text().endsWith(".DGN")) << "elided in the middle";
  EXPECT_EQ(models(*dialog), QStringList{"Default"});
  EXPECT_TRUE(button(*dialog, QDialogButtonBox::Ok)->isEnabled());
  EXPECT_TRUE(child<QRadioButton>(*dialog, "subunits")->isChecked()) << "the file's default choice";

  userIO.files = {writeFile("plan.dwg", "")};
  QString warning;
  answerNextMessageBox(QMessageBox::Ok, &warning);
  child<QPushButton>(*dialog, "pbBrowse")->click();
  EXPECT_EQ(warning, "This Drawing cannot be loaded because it is not a DGN file.");
  EXPECT_EQ(name->toolTip(), QFileInfo(upper).fileName()) << "nothing reloaded";
  EXPECT_EQ(userIO.lastStartFolder, folder.path()) << "the folder of the current file";
}

TEST_F(InsertPageTest, ThePromptRepeatsUntilAnExistingNamedFileAndOneThatFailsToLoadLeavesThePageAsItWas)
{
  open();
  const QString broken = writeFile("broken.dgn", "garbage");
  userIO.files = {folder.filePath("missing.dgn"), writeFile(".dgn", ""), broken};
  child<QPushButton>(*dialog, "pbBrowse")->click();
  EXPECT_EQ(userIO.prompts, 3) << "two refusals, then a file";
  ASSERT_EQ(services.shown.size(), 3);
  EXPECT_EQ(services.shown.mid(0, 2), (QStringList{"Information (48): Unable to locate file.",
                                                   "Information (48): Invalid file. file .dgn has unsupported or "
                                                   "unrecognized format."}));
  EXPECT_TRUE(services.shown[2].startsWith("Invalid file (")) << "the file that does not load";
  EXPECT_TRUE(models(*dialog).isEmpty());
  EXPECT_EQ(child<QLabel>(*dialog, "lblPageLayoutOpt_8")->text(), "Conversion units");
  EXPECT_FALSE(button(*dialog, QDialogButtonBox::Ok)->isEnabled());
  EXPECT_FALSE(child<QWidget>(*dialog, "subunits")->isEnabled());

  // With a file shown, the page and the importer stay on it.
  const QString plan = samplePlan();
  userIO.files = {plan};
  child<QPushButton>(*dialog, "pbBrowse")->click();
  child<QRadioButton>(*dialog, "subunits")->click();
  userIO.files = {broken};
  child<QPushButton>(*dialog, "pbBrowse")->click();
  ASSERT_EQ(services.shown.size(), 4);
  EXPECT_TRUE(services.shown[3].startsWith("Invalid file ("));
  EXPECT_EQ(child<QLabel>(*dialog, "lblDgnName")->toolTip(), "plan.dgn");
  EXPECT_EQ(dialog->getDgnFile(), CFxString(plan));
  EXPECT_TRUE(child<QRadioButton>(*dialog, "subunits")->isChecked()) << "the choice stays";
  const OdRxObjectPtr path = dialog->getDgnImporter()->properties()->getAt(OdString("DgnPath"));
  EXPECT_EQ(OdRxVariantPtr(path)->getString(), OdString(CFxString(plan))) << "the importer is back on the shown file";
}

} // namespace
