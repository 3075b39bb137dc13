#pragma once
// Runs a program of the build as a user would, and collects what it said.
#include <QProcess>
#include <QString>
#include <QStringList>

struct ProcessRun {
  int code = -1; // -1 when it crashed or did not finish within two minutes
  QString out, err;
};

inline ProcessRun runProcess(const QString& program, const QStringList& args,
                             const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
  QProcess process;
  process.setProcessEnvironment(env);
  process.start(program, args);
  if (!process.waitForFinished(120000))
    process.kill();
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}
