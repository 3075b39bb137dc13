// dgnhost as a user runs it: a separate process with the real module beside it.
#include <TestFiles.h>
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

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Runs `program` (dgnhost, or a command that starts it) with `tmp` as the temporary-files location
// when given.
ProcessRun runHost(const QString& program, const QStringList& args, const QString& tmp = QString())
{
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY"); // the host must find the offscreen platform by itself
  env.remove("WAYLAND_DISPLAY");
  env.remove("QT_QPA_PLATFORM");
  if (!tmp.isEmpty()) {
    env.insert("TMPDIR", tmp);
    env.remove("XDG_RUNTIME_DIR"); // the test's own, which another user may not use
  }
  return runProcess(program, args, env);
}

const QString kHost = QStringLiteral(DGN_BIN_DIR "/dgnhost");

// A whole batch run from the dialog: both folders picked, every file checked, Start, the end's
// message, Close.
QString batchScript(const QString& source, const QString& destination,
                    const QString& finished = QStringLiteral("Batch processing finished."))
{
  return QString("IMPORTDGN\n@click rbBatch\n@folder %1\n@click pbSourcePath\n@folder %2\n@click pbDestPath\n"
                 "@check cbSelectAll on\n@answer Ok\n@click buttonBox.Ok\n@wait-message %3\n"
                 "@click buttonBox.Cancel\n@wait-close\n")
    .arg(source, destination, finished);
}

// What a user of each language sees: the Insert page's texts, a message of the file prompt, the
// command's last message, the end of a batch run and the report's labels, its layout unchanged.
// "xx" is no language: the host says which there are and goes on in English.
struct Language {
  const char* lang;
  const char* insertAsBlock; // rbInsert
  const char* masterUnits;   // masterunits with the sample loaded
  const char* refusal;       // the file prompt's message for a file named ".dgn"
  const char* imported;      // the command's last message
  const char* finished;      // the message at the end of a batch run
  const char* noModel;       // the report's line for a file without a model, %1 its path
  const char* totals;        // the report's last lines
};

constexpr Language kEnglish = {
  "en", "&Insert as Block", "&Master units [m]", "Invalid file. file .dgn has unsupported or unrecognized format.",
  "DGN File imported as block", "Batch processing finished.", "Failed DGN filename: %1    Error type: No model exist.\r\n",
  "Total number of converted files: 4\r\nTotal number of converted Design Model: 4\r\nTotal number of failed files: 1\r\n"};

} // namespace

TEST(DgnhostProcess, ImportsABlockAndConvertsAFolderInTheHostsLanguage)
{
  if (!haveGdal())
    GTEST_SKIP() << "GDAL's ogr2ogr is not installed";
  QTemporaryDir dir;
  const QString plan = dir.filePath("plan.dgn"), out = dir.filePath("out.dxf");
  ASSERT_TRUE(QFile::copy(DGN_SOURCE_DIR "/samples/plan.dgn", plan));
  QFile(dir.filePath(".dgn")).open(QIODevice::WriteOnly);
  ASSERT_TRUE(QDir(dir.path()).mkpath("SRC") && QDir(dir.path()).mkpath("DEST"));
  const QString source = dir.filePath("SRC"), destination = dir.filePath("DEST");
  ASSERT_TRUE(QFile::copy(plan, source + "/plan.dgn"));
  ASSERT_TRUE(QFile::copy(plan, source + "/UPPER.DGN"));
  writeGdalDgn(source, "metric.dgn", "m", "mm", 1000);
  writeGdalDgn(source, "imperial.dgn", "ft", "in", 12);
  writeBytes(source + "/corrupt.dgn", QByteArray(3000, '\x5a'));
  const auto sources = checksums(source);

  Language unknown = kEnglish;
  unknown.lang = "xx";
  const Language languages[] = {
    kEnglish,
    {"de", "Als Block &einfügen", "&Haupteinheiten [m]",
     "Ungültige Datei. Die Datei .dgn hat ein nicht unterstütztes oder unbekanntes Format.",
     "DGN-Datei als Block importiert", "Stapelverarbeitung abgeschlossen.",
     "Fehlgeschlagene DGN-Datei: %1    Fehlerart: Kein Modell vorhanden.\r\n",
     "Anzahl konvertierter Dateien: 4\r\nAnzahl konvertierter Designmodelle: 4\r\nAnzahl fehlgeschlagener Dateien: 1\r\n"},
    {"fr", "&Insérer comme bloc", "&Unités principales [m]",
     "Fichier non valide. Le fichier .dgn a un format non pris en charge ou non reconnu.",
     "Fichier DGN importé comme bloc", "Traitement par lots terminé.",
     "Fichier DGN en échec : %1    Type d'erreur : Aucun modèle n'existe.\r\n",
     "Nombre total de fichiers convertis : 4\r\nNombre total de modèles de conception convertis : 4\r\n"
     "Nombre total de fichiers en échec : 1\r\n"},
    unknown};
  for (const Language& language : languages) {
    SCOPED_TRACE(language.lang);
    // The file prompt by turns in the file dialog and, with FILEDIA 0, on the command line, where
    // a file that is not there comes first.
    const bool typed = (&language - languages) % 2;
    const QString browse = typed ? "FILEDIA 0\nIMPORTDGN\n@dump rbInsert\n@click pbBrowse\n%1/missing.dgn\n%1/.dgn\n%2\n"
                                 : "IMPORTDGN\n@dump rbInsert\n@file %1/.dgn\n@file %2\n@click pbBrowse\n";
    const QString script =
      QString(browse + "@dump masterunits\n@check masterunits on\n@check cbScale off\n@set leFactor 2\n"
                       "@check cbRotation off\n@set leAngle 30\n@check cbPoint off\n@set leX 10\n@set leY 20\n"
                       "@set leZ 0\n@combo unitComboBox Millimeters\n@click buttonBox.Ok\nSAVEAS %3\n")
        .arg(dir.path(), plan, out) +
      batchScript(source, destination, QString::fromUtf8(language.finished)) + "FOO\n";
    const ProcessRun run =
      runHost(kHost, {"--lang", language.lang, "--script", writeBytes(dir.filePath("test.script"), script.toUtf8())});
    ASSERT_EQ(run.code, 0) << run.err.toStdString() << run.out.toStdString();
    EXPECT_EQ(run.err.contains("unknown language \"xx\"; the languages are de, en, fr"), language.lang == unknown.lang)
      << run.err.toStdString();
    const QStringList lines = run.out.split('\n');
    EXPECT_EQ(lines.filter(QString::fromUtf8("rbInsert text=%1 ").arg(language.insertAsBlock)).size(), 1)
      << run.out.toStdString();
    EXPECT_EQ(lines.filter(QString::fromUtf8("masterunits text=%1 ").arg(language.masterUnits)).size(), 1);
    EXPECT_TRUE(lines.contains("[message] Information | " + QString::fromUtf8(language.refusal)));
    EXPECT_EQ(lines.filter("[message] Information | ").size(), typed ? 2 : 1) << "a missing file is refused too";
    EXPECT_TRUE(lines.contains(QString::fromUtf8(language.imported)));
    EXPECT_TRUE(lines.contains("Enter block or file name: " + QDir::tempPath() + "/DGNImport_temp/plan_Default_m.dwg"));
    EXPECT_EQ(lines.filter("Unknown command").size(), 1) << "IMPORTDGN is known, FOO is not";

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
    EXPECT_EQ(reference->position, (OdGePoint3d{10, 20, 0}));
    EXPECT_FALSE(QFileInfo::exists(QDir::tempPath() + "/DGNImport_temp")) << "nothing left behind";

    const QStringList drawings = QDir(destination).entryList({"*.dwg"}, QDir::Files, QDir::Name);
    ASSERT_EQ(drawings.size(), 4) << drawings.join(' ').toStdString();
    for (const char* base : {"UPPER_Default_", "imperial_Default_", "metric_Default_", "plan_Default_"})
      EXPECT_EQ(drawings.filter(QRegularExpression(QString("^") + base + "[a-z]+\\.dwg$")).size(), 1) << base;
    const QString text = QString::fromUtf8(readBytes(destination + "/Report.txt"));
    EXPECT_TRUE(text.contains(QString::fromUtf8(language.noModel).arg(source + "/corrupt.dgn"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QString::fromUtf8(language.totals))) << text.toStdString();
    EXPECT_EQ(checksums(source), sources) << "the source folder is left as it was";
  }
}

TEST(DgnhostProcess, AUserWhoMayNotWriteLosesNothingAndTheRunsEndNormally)
{
  if (geteuid() != 0)
    GTEST_SKIP() << "running dgnhost as the unprivileged user nobody needs root";
  // nobody may read everything here and write only in `tmp`, and in `share` overwrite the files
  // that are there but make none, as on many file servers.
  QTemporaryDir dir;
  const QString data = dir.filePath("data"), tmp = dir.filePath("tmp"), locked = dir.filePath("locked"),
                share = dir.filePath("share");
  ASSERT_TRUE(QDir().mkpath(data + "/SRC") && QDir().mkpath(data + "/DEST") && QDir().mkpath(tmp) &&
              QDir().mkpath(locked) && QDir().mkpath(share));
  for (const QString& path : {dir.path(), data, data + "/SRC", data + "/DEST", locked, tmp, share})
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), path == tmp ? 0777 : 0755), 0);
  const QString plan = data + "/SRC/plan.dgn";
  ASSERT_TRUE(QFile::copy(DGN_SOURCE_DIR "/samples/plan.dgn", plan));
  for (const QString& folder : {data + "/DEST/", share + "/"})
    for (const char* old : {"Report.txt", "plan_Default_m.dwg"})
      writeBytes(folder + old, "older file");
  for (const char* writable : {"/Report.txt", "/plan_Default_m.dwg"})
    ASSERT_EQ(::chmod(QFile::encodeName(share + writable).constData(), 0666), 0);
  const auto before = checksums(data);
  const auto asNobody = [&](const QString& script, const QString& tmpdir) {
    return runHost("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups", kHost, "--script",
                               writeBytes(dir.filePath("test.script"), script.toUtf8())}, tmpdir);
  };

  // Batch: a destination it cannot write to.
  const ProcessRun batch = asNobody(batchScript(data + "/SRC", data + "/DEST"), tmp);
  EXPECT_EQ(batch.code, 0) << batch.err.toStdString() << batch.out.toStdString();
  // Insert: a temporary-files location it cannot write to, so the model cannot be converted.
  const ProcessRun insert = asNobody(QString("IMPORTDGN\n@file %1\n@click pbBrowse\n@click buttonBox.Ok\n").arg(plan), locked);
  EXPECT_EQ(insert.code, 0) << insert.err.toStdString();
  EXPECT_TRUE(insert.out.contains("Failed to import the DGN design model.")) << insert.out.toStdString();
  EXPECT_EQ(checksums(data), before) << "sources and older files as they were";

  // Batch into the share: the report is written over the old one in place; the drawing, which
  // would take the old one's place, neither arrives nor counts.
  const ProcessRun shared = asNobody(batchScript(data + "/SRC", share), tmp);
  EXPECT_EQ(shared.code, 0) << shared.err.toStdString() << shared.out.toStdString();
  const QByteArray report = readBytes(share + "/Report.txt");
  EXPECT_TRUE(report.startsWith("DGN Import Report:\r\n") &&
              report.endsWith("Total number of converted Design Model: 0\r\nTotal number of failed files: 0\r\n"))
    << report.constData();
  EXPECT_EQ(readBytes(share + "/plan_Default_m.dwg"), "older file");
  EXPECT_EQ(QDir(share).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 2);
}

TEST(DgnhostProcess, ScriptErrorsExitWith2AndOneLineOnStderr)
{
  QTemporaryDir dir;
  const ProcessRun missing = runHost(kHost, {"--script", dir.filePath("absent.script")});
  EXPECT_EQ(missing.code, 2);
  EXPECT_TRUE(missing.err.contains("absent.script")) << missing.err.toStdString();

  const ProcessRun unknown =
    runHost(kHost, {"--script", writeBytes(dir.filePath("test.script"), "FOO\n@explode now\n")});
  EXPECT_EQ(unknown.code, 2);
  EXPECT_TRUE(unknown.err.contains("line 2")) << unknown.err.toStdString();
  EXPECT_FALSE(unknown.out.contains("Unknown command")) << "nothing runs before the whole script is checked";

  EXPECT_EQ(runHost(kHost, {"--lang"}).code, 2) << "a language to name";
  const ProcessRun noWidget = runHost(kHost, {"--script", writeBytes(dir.filePath("test.script"), "@key Escape\n")});
  EXPECT_EQ(noWidget.code, 2);
  EXPECT_EQ(noWidget.err.trimmed().count('\n'), 0) << noWidget.err.toStdString();
  EXPECT_TRUE(noWidget.err.contains("no modal window")) << noWidget.err.toStdString();
}

TEST(DgnhostProcess, ListsTheCommandsAndNamesAModuleThatCannotLoadOnce)
{
  // A host folder of its own, holding the real module and one built for another SDK release.
  QTemporaryDir dir;
  ASSERT_TRUE(QFile::copy(kHost, dir.filePath("dgnhost")));
  QFile::setPermissions(dir.filePath("dgnhost"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  ASSERT_TRUE(QFile::copy(DGN_BIN_DIR "/DGNImport_23.1_16.tx", dir.filePath("DGNImport_23.1_16.tx")));
  ASSERT_TRUE(QFile::copy(DGN_TEST_MODULE_DIR "/OldVersion.tx", dir.filePath("OldVersion.tx")));
  QFile(dir.filePath("Broken.tx")).open(QIODevice::WriteOnly);

  const ProcessRun run = runHost(dir.filePath("dgnhost"), {"--commands"});
  EXPECT_EQ(run.code, 0);
  const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.filter("OldVersion.tx").size(), 1) << run.out.toStdString();
  EXPECT_TRUE(lines.filter("OldVersion.tx").first().contains("22.0"));
  EXPECT_EQ(lines.filter("Broken.tx").size(), 1) << run.out.toStdString();
  EXPECT_TRUE(lines.contains("_IMPORTDGN\tIMPORTDGN\tDGNImport_23.1_16.tx"));
}
