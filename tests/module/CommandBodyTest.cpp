#include <DialogTestSupport.h>

#include <CommandDGNImport.h>

#include <DbSymbolTable.h>
#include <ThreadsCounter.h>

#include <QTranslator>

#include <new>

namespace {

class CommandBodyTest : public DialogTest {
protected:
  void SetUp() override
  {
    DialogTest::SetUp();
    rememberedSettings().dgnPath = plan = samplePlan();
  }

  // Runs IMPORTDGN; `act` works on its dialog once it is up.
  int run(std::function<void(CDgnImportDlg&)> act)
  {
    actOnNextModal(act);
    OdStaticRxObject<CFxCommandContext> context(document.get());
    return command.executeCommand(&context);
  }
  static void clickOk(CDgnImportDlg& dialog) { button(dialog, QDialogButtonBox::Ok)->click(); }

  OdStaticRxObject<CommandDGNImport> command;
  QString plan;
};

TEST_F(CommandBodyTest, AnAcceptedModelIsConvertedInsertedAndCleanedUp)
{
  document->database()->setInsertionUnits(OdDb::kUnitsFeet);
  bool fileDuringInsert = false;
  OdDb::UnitsValue unitsDuringInsert = OdDb::kUnitsUndefined;
  services.onInvoke = [&] {
    fileDuringInsert = QFile::exists(services.invoked.back().value(1));
    unitsDuringInsert = document->database()->getInsertionUnits();
    EXPECT_EQ(odThreadsCounter().count(), 0) << "the insertion runs outside the thread registration";
  };
  const int status = run([](CDgnImportDlg& dialog) {
    child<CFxQtInsertComboBox>(dialog, "unitComboBox")->setCurrentUnit(OdDb::kUnitsMillimeters);
    child<QCheckBox>(dialog, "cbScale")->setChecked(false);
    setField(dialog, "leFactor", "2");
    child<QCheckBox>(dialog, "cbPoint")->setChecked(false);
    setField(dialog, "leX", "1500000");
    setField(dialog, "leY", "0.5");
    clickOk(dialog);
  });
  EXPECT_EQ(status, 5100);
  ASSERT_EQ(services.invoked.size(), 1u);
  const QString converted = QDir(conversionFolderPath()).filePath("plan_Default_m.dwg");
  EXPECT_EQ(services.invoked[0],
            (QStringList{"_-INSERTBLOCK", converted, "_Scale", "2000", "_Angle", "0r", "1.5e+06,0.5,0", "<end>"}));
  EXPECT_TRUE(fileDuringInsert);
  EXPECT_EQ(unitsDuringInsert, OdDb::kUnitsMillimeters);
  EXPECT_EQ(userIO.printed, (QStringList{"\n", "DGN File imported as block"}));
  EXPECT_EQ(document->database()->getInsertionUnits(), OdDb::kUnitsFeet) << "units restored";
  EXPECT_FALSE(QFile::exists(converted));
  EXPECT_FALSE(QFileInfo::exists(conversionFolderPath())) << "the conversion folder is emptied and gone";
}

TEST_F(CommandBodyTest, AnExistingBlockIsNamedFirstAndChoicesLeftForLaterHandOnlyTheFile)
{
  OdDbBlockTableRecordPtr block = OdRxObjectImpl<OdDbBlockTableRecord>::createObject();
  block->setName(OdString("PLAN_default_m"));
  OdDbBlockTablePtr(document->database()->getBlockTableId().openObject(OdDb::kForWrite))->add(block.get());
  rememberedSettings().specifyLaterFlags = 7;
  services.onInvoke = [&] { EXPECT_EQ(userIO.printed.size(), 3) << "the warnings come first"; };
  EXPECT_EQ(run(clickOk), 5100);
  ASSERT_EQ(services.invoked.size(), 1u) << "inserted anyway";
  EXPECT_EQ(services.invoked[0].size(), 3) << "the command, the file and the end";
  EXPECT_EQ(services.invoked[0].last(), "<end>");
  EXPECT_EQ(userIO.printed, (QStringList{"Block \"plan_Default_m\" is already defined.", "Using existing definition.\n",
                                         "\n", "DGN File imported as block"}));
}

TEST_F(CommandBodyTest, AFailedConversionSaysSoAndWhyWhenMemoryRanOutAndALostCommandLineEndsWithTheErrorStatus)
{
  document->database()->setInsertionUnits(OdDb::kUnitsInches);
  const int status = run([this](CDgnImportDlg& dialog) {
    child<CFxQtInsertComboBox>(dialog, "unitComboBox")->setCurrentUnit(OdDb::kUnitsMeters);
    writeBytes(plan, "no longer a design file"); // the file turns bad between the choice and the conversion
    clickOk(dialog);
  });
  EXPECT_EQ(status, 5100);
  EXPECT_TRUE(services.invoked.empty());
  EXPECT_EQ(userIO.printed, QStringList{"Failed to import the DGN design model."});
  EXPECT_EQ(document->database()->getInsertionUnits(), OdDb::kUnitsInches);
  EXPECT_FALSE(QFileInfo::exists(conversionFolderPath()));

  // Memory runs out while the module converts: the host goes on, told why.
  samplePlan();
  services.appServices.whileConverting = [] { throw std::bad_alloc(); };
  userIO.printed.clear();
  EXPECT_EQ(run(clickOk), 5100);
  services.appServices.whileConverting = nullptr;
  EXPECT_TRUE(services.invoked.empty());
  EXPECT_EQ(userIO.printed,
            (QStringList{"Failed to import the DGN design model.", "Not enough memory to convert " + plan + "."}));

  const int lost = run([this](CDgnImportDlg& dialog) {
    document->setUserIO(nullptr); // the document loses its command line
    clickOk(dialog);
  });
  document->setUserIO(&userIO);
  EXPECT_EQ(lost, -5001);
  EXPECT_TRUE(services.invoked.empty());
}

TEST_F(CommandBodyTest, ACancelledDialogOrABatchModeEndsQuietlyHavingTranslatedTheCommandsTexts)
{
  // Records what is looked up in the translations.
  struct Lookups : QTranslator {
    QStringList seen;
    QString translate(const char* context, const char* text, const char*, int) const override
    {
      const_cast<Lookups*>(this)->seen << QString("%1|%2").arg(context, text);
      return QString();
    }
  } lookups;
  QCoreApplication::installTranslator(&lookups);
  EXPECT_EQ(run([](CDgnImportDlg& dialog) {
              setField(dialog, "leFactor", "3");
              dialog.reject();
            }),
            5100);
  EXPECT_EQ(run([](CDgnImportDlg& dialog) {
              setField(dialog, "leFactor", "3");
              child<QRadioButton>(dialog, "rbBatch")->click();
              button(dialog, QDialogButtonBox::Cancel)->click();
            }),
            5100);
  QCoreApplication::removeTranslator(&lookups);
  EXPECT_TRUE(services.invoked.empty());
  EXPECT_TRUE(userIO.printed.isEmpty());
  EXPECT_EQ(rememberedSettings().scaleFactor, 1.0) << "nothing typed is remembered";
  for (const char* text : {"DGN Import...", "Insert DGN file as block: IMPORTDGN", "DGN Import"})
    EXPECT_EQ(lookups.seen.count(QString("CommandDGNImport|") + text), 2) << text;
}

TEST_F(CommandBodyTest, AwkwardNamesAndPathsNearTheLimitAreInsertedOrFailCleanly)
{
  const QString deep = nearLimitFolder(folder.path());
  for (const auto& [name, drawing] : awkwardNames) {
    SCOPED_TRACE(name.left(30).toStdString());
    rememberedSettings().dgnPath = deep + "/" + name;
    ASSERT_TRUE(QFile::copy(plan, rememberedSettings().dgnPath));
    const auto sources = checksums(deep);
    services.invoked.clear();
    userIO.printed.clear();
    EXPECT_EQ(run(clickOk), 5100);
    if (drawing.isEmpty())
      EXPECT_EQ(userIO.printed, QStringList{"Failed to import the DGN design model."});
    else
      EXPECT_EQ(services.invoked.at(0).value(1), QDir(conversionFolderPath()).filePath(drawing));
    EXPECT_EQ(checksums(deep), sources);
    EXPECT_FALSE(QFileInfo::exists(conversionFolderPath()));
  }
}

} // namespace
