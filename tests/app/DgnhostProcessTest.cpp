// dgnhost as a user runs it: a separate process with the real module beside it.
#include <ProcessRun.h>

#include <QDir>
#include <QFile>
#include <QProcess>
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
  const HostRun run = runHost(kHost, {"--script", writeScript(dir, "IMPORTDGN\nFOO\n")});
  EXPECT_EQ(run.code, 0) << run.err.toStdString();
  const QStringList lines = run.out.split('\n');
  EXPECT_TRUE(lines.contains("Unknown command \"FOO\".")) << run.out.toStdString();
  EXPECT_EQ(lines.filter("Unknown command").size(), 1) << "IMPORTDGN is known";
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
