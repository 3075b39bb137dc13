#pragma once
// Runs a program of the build as a user would, and collects what it said.
#include <QProcess>
#include <QString>
#include <QStringList>

struct ProcessRun {
  int code = -1; // -1 when it crashed or did not finish within two minutes
  QString out, err;
  QByteArray rawOut; // out as the program wrote it, for output that is not UTF-8
};

inline ProcessRun runProcess(const QString& program, const QStringList& args,
                             const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
  QProcess process;
  process.setProcessEnvironment(env);
  process.start(program, args);
  if (!process.waitForFinished(120000))
    process.kill();
  const QByteArray out = process.readAllStandardOutput();
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, QString::fromUtf8(out),
          QString::fromUtf8(process.readAllStandardError()), out};
}
