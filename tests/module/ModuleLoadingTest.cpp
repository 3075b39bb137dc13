// The module as the host sees it: loaded by name through the SDK's linker, in the host's language.
#include <LiveCounts.h>

#include <EdCommandStack.h>
#include <RxDynamicLinker.h>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const OdString kModuleName("DGNImport_23.1_16");

QString svgViewBox(const QString& path)
{
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return QString();
  return QRegularExpression("viewBox=\"([^\"]*)\"").match(QString::fromUtf8(file.readAll())).captured(1);
}

class LoadedModule : public LiveCountsTest {}; // the module object goes back to the SDK heap

TEST_F(LoadedModule, ItsCommandIconsAndTranslationLastAsLongAsItIsLoaded)
{
  const OdString folder = odrxDynamicLinker()->moduleFolder();
  odrxDynamicLinker()->setModuleFolder(OdString(DGN_BIN_DIR));
  QLocale::setDefault(QLocale(QLocale::German)); // the host's language as the module is loaded
  OdRxModulePtr module = odrxDynamicLinker()->loadModule(kModuleName);
  QLocale::setDefault(QLocale::system());
  ASSERT_FALSE(module.isNull()) << odrxDynamicLinker()->lastError().toUtf8();
  OdEdCommandPtr command = odedRegCmds()->lookupCmd(OdString("IMPORTDGN"));
  ASSERT_FALSE(command.isNull());
  EXPECT_EQ(command->module(), module.get());
  EXPECT_EQ(module->moduleName().toUtf8(), std::string(DGN_BIN_DIR) + "/DGNImport_23.1_16.tx");
  EXPECT_EQ(QCoreApplication::translate("DgnBatch", "Invalid file."), QString::fromUtf8("Ungültige Datei."));
  EXPECT_EQ(QImage(":/Icons/DGNImport_Small.png").size(), QSize(16, 16));
  EXPECT_EQ(QImage(":/Icons/DGNImport_Large.png").size(), QSize(32, 32));
  EXPECT_EQ(svgViewBox(":/Icons/DGNImport_Large.svg"), "0 0 16 16");
  EXPECT_EQ(svgViewBox(":/Icons/import_DGN_32x.svg"), "0 0 16 16");
  EXPECT_EQ(svgViewBox(":/Icons/import_DGN_32x-20.svg"), "0 0 20 20");
  EXPECT_EQ(svgViewBox(":/Icons/import_DGN_32x-32.svg"), "0 0 32 32");
  EXPECT_EQ(svgViewBox(":/Icons/import_DGN_32x-48.svg"), "0 0 48 48");

  command = nullptr;
  module = nullptr;
  ASSERT_TRUE(odrxDynamicLinker()->unloadModule(kModuleName));
  EXPECT_TRUE(odedRegCmds()->lookupCmd(OdString("IMPORTDGN")).isNull());
  EXPECT_FALSE(QFile::exists(":/Icons/DGNImport_Small.png"));
  EXPECT_FALSE(QFile::exists(":/Icons/import_DGN_32x-48.svg"));
  EXPECT_EQ(QCoreApplication::translate("DgnBatch", "Invalid file."), "Invalid file.");
  odrxDynamicLinker()->setModuleFolder(folder);
}

} // namespace
