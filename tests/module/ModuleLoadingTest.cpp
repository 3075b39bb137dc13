// The module as the host sees it: loaded by name through the SDK's linker.
#include <CFxCommand.h>
#include <CFxDocument.h>
#include <FxHostSetup.h>

#include <EdCommandStack.h>
#include <OdAlloc.h>
#include <RxDynamicLinker.h>
#include <RxObjectImpl.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTimer>
#include <QImage>
#include <QLocale>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const OdString kModuleName("DGNImport_23.1_16");

class RecordingIO : public OdStaticRxObject<CFxUserIO> {
public:
  void putString(const OdString& text) override { lines.push_back(CFxString(text).toQString()); }
  std::vector<QString> lines;
};

class LoadedModule : public ::testing::Test {
protected:
  void SetUp() override
  {
    m_objects = odrxLiveObjectCount();
    m_blocks = odrxLiveBlockCount();
    m_folder = odrxDynamicLinker()->moduleFolder();
    odrxDynamicLinker()->setModuleFolder(OdString(DGN_BIN_DIR));
    module = odrxDynamicLinker()->loadModule(kModuleName);
    ASSERT_FALSE(module.isNull()) << odrxDynamicLinker()->lastError().toUtf8();
  }
  void TearDown() override
  {
    module = nullptr;
    odrxDynamicLinker()->unloadAll();
    odrxDynamicLinker()->setModuleFolder(m_folder);
    EXPECT_EQ(odrxLiveObjectCount(), m_objects);
    EXPECT_EQ(odrxLiveBlockCount(), m_blocks) << "the module object must go back to the SDK heap";
  }

  OdRxModulePtr module;

private:
  OdString m_folder;
  long m_objects = 0;
  long m_blocks = 0;
};

QString svgViewBox(const QString& path)
{
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return QString();
  const auto match = QRegularExpression("viewBox=\"([^\"]*)\"").match(QString::fromUtf8(file.readAll()));
  return match.captured(1);
}

} // namespace

TEST_F(LoadedModule, RegistersImportDgnAsAModuleCommand)
{
  OdEdCommandPtr command = odedRegCmds()->lookupCmd(OdString("IMPORTDGN"));
  ASSERT_FALSE(command.isNull());
  EXPECT_EQ(command->globalName(), OdString("_IMPORTDGN"));
  EXPECT_EQ(command->module(), module.get());
  EXPECT_EQ(module->moduleName().toUtf8(), std::string(DGN_BIN_DIR) + "/DGNImport_23.1_16.tx");

  command = nullptr;
  EXPECT_FALSE(odrxDynamicLinker()->unloadModule(kModuleName)) << "still referenced here";
  module = nullptr;
  ASSERT_TRUE(odrxDynamicLinker()->unloadModule(kModuleName));
  EXPECT_TRUE(odedRegCmds()->lookupCmd(OdString("IMPORTDGN")).isNull()) << "unloading removes the command";
}

TEST_F(LoadedModule, ACancelledCommandEndsNormallyAndPrintsNothing)
{
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr) << "the command shows its dialog";
    EXPECT_EQ(dialog->objectName(), "CDgnImportDlg");
    dialog->reject();
  });
  RecordingIO io;
  CFxDocument document(createFxDatabase().get(), &io);
  OdStaticRxObject<CFxCommandContext> context(&document);
  OdEdCommandPtr command = odedRegCmds()->lookupCmd(OdString("_IMPORTDGN"));
  ASSERT_FALSE(command.isNull());
  command->execute(&context);
  EXPECT_EQ(static_cast<CFxCommand*>(command.get())->lastStatus(), 5100);
  EXPECT_TRUE(io.lines.empty());
}

TEST_F(LoadedModule, EmbedsItsIconsAndSpeaksTheHostsLanguageOnlyWhileLoaded)
{
  module = nullptr;
  odrxDynamicLinker()->unloadAll();
  QLocale::setDefault(QLocale(QLocale::German));
  module = odrxDynamicLinker()->loadModule(kModuleName);
  QLocale::setDefault(QLocale::system());
  EXPECT_EQ(QCoreApplication::translate("DgnBatch", "Invalid file."), QString::fromUtf8("Ungültige Datei."));
  EXPECT_EQ(QImage(":/Icons/DGNImport_Small.png").size(), QSize(16, 16));
  EXPECT_EQ(QImage(":/Icons/DGNImport_Large.png").size(), QSize(32, 32));
  EXPECT_EQ(svgViewBox(":/Icons/DGNImport_Large.svg"), "0 0 16 16");
  EXPECT_EQ(svgViewBox(":/Icons/import_DGN_32x.svg"), "0 0 16 16");
  EXPECT_EQ(svgViewBox(":/Icons/import_DGN_32x-20.svg"), "0 0 20 20");
  EXPECT_EQ(svgViewBox(":/Icons/import_DGN_32x-32.svg"), "0 0 32 32");
  EXPECT_EQ(svgViewBox(":/Icons/import_DGN_32x-48.svg"), "0 0 48 48");

  module = nullptr;
  odrxDynamicLinker()->unloadAll();
  EXPECT_FALSE(QFile::exists(":/Icons/DGNImport_Small.png"));
  EXPECT_FALSE(QFile::exists(":/Icons/import_DGN_32x-48.svg"));
  EXPECT_EQ(QCoreApplication::translate("DgnBatch", "Invalid file."), "Invalid file.");
}
