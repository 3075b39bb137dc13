// dgnhost as a user runs it: a separate process with the real module beside it.
#include <GdalDgn.h>
#include <ProcessRun.h>

#include <CFxFileBuf.h>
#include <DxfReader.h>

#include <cmath>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using HostRun = ProcessRun;

HostRun runHost(const QString& program, const QStringList& args)
{
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY"); // the host must find the offscreen platform by itself
  env.remove("WAYLAND_DISPLAY");
  env.remove("QT_QPA_PLATFORM");
  return runProcess(program, args, env);
}

const QString kHost = QStringLiteral(DGN_BIN_DIR "/dgnhost");

QString writeScript(const QTemporaryDir& dir, const char* text)
{
  const QString path = dir.filePath("test.script");
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(text);
  return path;
}

} // namespace

TEST(DgnhostProcess, ListsTheModulesCommands)
{
  const HostRun run = runHost(kHost, {"--commands"});
  EXPECT_EQ(run.code, 0) << run.err.toStdString();
  EXPECT_TRUE(run.out.split('\n').contains("_IMPORTDGN\tIMPORTDGN\tDGNImport_23.1_16.tx")) << run.out.toStdString();
}

TEST(DgnhostProcess, RunsAScriptToItsEnd)
{
  QTemporaryDir dir;
  const HostRun run = runHost(kHost, {"--script", writeScript(dir, "IMPORTDGN\n@click buttonBox.Cancel\nFOO\n")});
  EXPECT_EQ(run.code, 0) << run.err.toStdString();
  const QStringList lines = run.out.split('\n');
  EXPECT_TRUE(lines.contains("Unknown command \"FOO\".")) << run.out.toStdString();
  EXPECT_EQ(lines.filter("Unknown command").size(), 1) << "IMPORTDGN is known";
}

TEST(DgnhostProcess, ImportsADgnModelAsABlockFromTheDialog)
{
  QTemporaryDir dir;
  const QString plan = dir.filePath("plan.dgn"), out = dir.filePath("out.dxf");
  ASSERT_TRUE(QFile::copy(DGN_SOURCE_DIR "/samples/plan.dgn", plan));
  const QString script = QString("IMPORTDGN\n@file %1\n@click pbBrowse\n@check masterunits on\n@check cbScale off\n"
                                 "@set leFactor 2\n@check cbRotation off\n@set leAngle 30\n@check cbPoint off\n"
                                 "@set leX 10\n@set leY 20\n@set leZ 0\n@combo unitComboBox Millimeters\n"
                                 "@click buttonBox.Ok\nSAVEAS %2\n")
                           .arg(plan, out);
  const HostRun run = runHost(kHost, {"--script", writeScript(dir, script.toUtf8().constData())});
  ASSERT_EQ(run.code, 0) << run.err.toStdString();
  const QStringList lines = run.out.split('\n');
  EXPECT_TRUE(lines.contains("DGN File imported as block")) << run.out.toStdString();
  EXPECT_TRUE(lines.contains("Enter block or file name: " + QDir::tempPath() + "/DGNImport_temp/plan_Default_m.dwg"))
    << run.out.toStdString();

  CFxFileBufPtr stream = CFxFileBuf::createObject();
  ASSERT_TRUE(stream->Open(CFxString(out), Oda::kFileRead, Oda::kOpenExisting, Oda::kShareDenyNo));
  OdDbDatabasePtr drawing = dxf::readDrawing(*stream);
  OdDbBlockTableRecordPtr model(drawing->getModelSpaceId().openObject());
  ASSERT_EQ(model->entityIds().size(), 1u);
  OdDbBlockReferencePtr reference = OdDbBlockReference::cast(model->entityIds()[0].openObject().get());
  ASSERT_FALSE(reference.isNull());
  EXPECT_EQ(OdDbBlockTableRecordPtr(reference->blockTableRecord.openObject())->getName(), OdString("plan_Default_m"));
  EXPECT_DOUBLE_EQ(reference->scale.x, 2000.0) << "twice the unit factor from metres to millimetres";
  EXPECT_NEAR(reference->rotation, M_PI / 6, 1e-6);
  EXPECT_EQ(reference->position.x, 10.0);
  EXPECT_EQ(reference->position.y, 20.0);
  EXPECT_EQ(reference->position.z, 0.0);
  EXPECT_FALSE(QFileInfo::exists(QDir::tempPath() + "/DGNImport_temp")) << "nothing left behind";
}

TEST(DgnhostProcess, ConvertsAFolderInBatchFromTheDialog)
{
  if (!haveGdal())
    GTEST_SKIP() << "GDAL's ogr2ogr is not installed";
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkpath("SRC") && QDir(dir.path()).mkpath("DEST"));
  const QString source = dir.filePath("SRC"), destination = dir.filePath("DEST");
  ASSERT_TRUE(QFile::copy(DGN_SOURCE_DIR "/samples/plan.dgn", source + "/plan.dgn"));
  ASSERT_TRUE(QFile::copy(DGN_SOURCE_DIR "/samples/plan.dgn", source + "/UPPER.DGN"));
  writeGdalDgn(source, "metric.dgn", "m", "mm", 1000);
  writeGdalDgn(source, "imperial.dgn", "ft", "in", 12);
  QFile corrupt(source + "/corrupt.dgn");
  ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
  corrupt.write(QByteArray(3000, '\x5a'));
  corrupt.close();
  QFile(source + "/notes.txt").open(QIODevice::WriteOnly);

  const QString script = QString("IMPORTDGN\n@click rbBatch\n@folder %1\n@click pbSourcePath\n@folder %2\n"
                                 "@click pbDestPath\n@check cbSelectAll on\n@answer Ok\n@click buttonBox.Ok\n"
                                 "@wait-message Batch processing finished\n@click buttonBox.Cancel\n@wait-close\n")
                           .arg(source, destination);
  const HostRun run = runHost(kHost, {"--script", writeScript(dir, script.toUtf8().constData())});
  ASSERT_EQ(run.code, 0) << run.err.toStdString() << run.out.toStdString();

  const QStringList drawings = QDir(destination).entryList({"*.dwg"}, QDir::Files, QDir::Name);
  ASSERT_EQ(drawings.size(), 4) << drawings.join(' ').toStdString();
  for (const char* base : {"UPPER_Default_", "imperial_Default_", "metric_Default_", "plan_Default_"})
    EXPECT_EQ(drawings.filter(QRegularExpression(QString("^") + base + "[a-z]+\\.dwg$")).size(), 1) << base;
  for (const QString& drawing : drawings) {
    CFxFileBufPtr stream = CFxFileBuf::createObject();
    ASSERT_TRUE(stream->Open(CFxString(destination + "/" + drawing), Oda::kFileRead, Oda::kOpenExisting, Oda::kShareDenyNo));
    OdDbDatabasePtr read = dxf::readDrawing(*stream);
    OdDbBlockTableRecordPtr model(read->getModelSpaceId().openObject());
    EXPECT_FALSE(model->entityIds().empty()) << drawing.toStdString();
  }

  QFile report(destination + "/Report.txt");
  ASSERT_TRUE(report.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(report.readAll());
  EXPECT_TRUE(text.contains(source + "/corrupt.dgn")) << text.toStdString();
  EXPECT_TRUE(text.contains("Total number of converted files: 4\r\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("Total number of converted Design Model: 4\r\n"));
  EXPECT_TRUE(text.contains("Total number of failed files: 1\r\n"));
  EXPECT_FALSE(text.contains("notes.txt"));
  EXPECT_EQ(QDir(source).entryList(QDir::Files).size(), 6) << "the source folder is left as it was";
}

TEST(DgnhostProcess, ScriptErrorsExitWith2AndOneLineOnStderr)
{
  QTemporaryDir dir;
  const HostRun missing = runHost(kHost, {"--script", dir.filePath("absent.script")});
  EXPECT_EQ(missing.code, 2);
  EXPECT_TRUE(missing.err.contains("absent.script")) << missing.err.toStdString();

  const HostRun unknown = runHost(kHost, {"--script", writeScript(dir, "FOO\n@explode now\n")});
  EXPECT_EQ(unknown.code, 2);
  EXPECT_TRUE(unknown.err.contains("line 2")) << unknown.err.toStdString();
  EXPECT_FALSE(unknown.out.contains("Unknown command")) << "nothing runs before the whole script is checked";

  const HostRun noWidget = runHost(kHost, {"--script", writeScript(dir, "@key Escape\n")});
  EXPECT_EQ(noWidget.code, 2);
  EXPECT_EQ(noWidget.err.trimmed().count('\n'), 0) << noWidget.err.toStdString();
  EXPECT_TRUE(noWidget.err.contains("no modal window")) << noWidget.err.toStdString();
}

TEST(DgnhostProcess, AModuleThatCannotLoadIsNamedOnceAndLeftOut)
{
  // A host folder of its own, holding the real module and one built for another SDK release.
  QTemporaryDir dir;
  ASSERT_TRUE(QFile::copy(kHost, dir.filePath("dgnhost")));
  QFile::setPermissions(dir.filePath("dgnhost"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  ASSERT_TRUE(QFile::copy(DGN_BIN_DIR "/DGNImport_23.1_16.tx", dir.filePath("DGNImport_23.1_16.tx")));
  ASSERT_TRUE(QFile::copy(DGN_TEST_MODULE_DIR "/OldVersion.tx", dir.filePath("OldVersion.tx")));
  QFile(dir.filePath("Broken.tx")).open(QIODevice::WriteOnly);

  const HostRun run = runHost(dir.filePath("dgnhost"), {"--commands"});
  EXPECT_EQ(run.code, 0);
  const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.filter("OldVersion.tx").size(), 1) << run.out.toStdString();
  EXPECT_TRUE(lines.filter("OldVersion.tx").first().contains("22.0"));
  EXPECT_EQ(lines.filter("Broken.tx").size(), 1) << run.out.toStdString();
  EXPECT_TRUE(lines.contains("_IMPORTDGN\tIMPORTDGN\tDGNImport_23.1_16.tx"));
}
