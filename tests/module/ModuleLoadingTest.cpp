// The module as the host sees it: loaded by name through the SDK's linker.
#include <CFxCommand.h>
#include <CFxDocument.h>
#include <FxHostSetup.h>

#include <EdCommandStack.h>
#include <LiveCounts.h>
#include <RxDynamicLinker.h>
#include <RxObjectImpl.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTimer>
#include <QImage>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const OdString kModuleName("DGNImport_23.1_16");

class RecordingIO : public OdStaticRxObject<CFxUserIO> {
public:
  void putString(const OdString& text) override { lines.push_back(CFxString(text).toQString()); }
  std::vector<QString> lines;
};

class LoadedModule : public LiveCountsTest {
protected:
  void SetUp() override
  {
    LiveCountsTest::SetUp(); // the module object must go back to the SDK heap
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
    LiveCountsTest::TearDown();
  }

  OdRxModulePtr module;

private:
  OdString m_folder;
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

TEST_F(LoadedModule, RegistersImportDgnWhichShowsItsDialogAndUnloadingRemovesIt)
{
  OdEdCommandPtr command = odedRegCmds()->lookupCmd(OdString("IMPORTDGN"));
  ASSERT_FALSE(command.isNull());
  EXPECT_EQ(command->globalName(), OdString("_IMPORTDGN"));
  EXPECT_EQ(command->module(), module.get());
  EXPECT_EQ(module->moduleName().toUtf8(), std::string(DGN_BIN_DIR) + "/DGNImport_23.1_16.tx");

  // Run and cancelled: a normal end that prints nothing.
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr) << "the command shows its dialog";
    EXPECT_EQ(dialog->objectName(), "CDgnImportDlg");
    dialog->reject();
  });
  RecordingIO io;
  CFxDocument document(createFxDatabase().get(), &io);
  OdStaticRxObject<CFxCommandContext> context(&document);
  command->execute(&context);
  EXPECT_EQ(static_cast<CFxCommand*>(command.get())->lastStatus(), 5100);
  EXPECT_TRUE(io.lines.empty());

  command = nullptr;
  EXPECT_FALSE(odrxDynamicLinker()->unloadModule(kModuleName)) << "still referenced here";
  module = nullptr;
  ASSERT_TRUE(odrxDynamicLinker()->unloadModule(kModuleName));
  EXPECT_TRUE(odedRegCmds()->lookupCmd(OdString("IMPORTDGN")).isNull()) << "unloading removes the command";
}

TEST_F(LoadedModule, EmbedsItsIconsOnlyWhileLoaded)
{
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
}
