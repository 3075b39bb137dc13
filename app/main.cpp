// dgnhost: a small host application that loads the SDK modules beside it and runs their
// commands, in a window, from a script, or just to list them.
#include "HostSession.h"
#include "DrawingView.h"
#include "MainWindow.h"
#include "ModalAnswerer.h"
#include "ScriptRunner.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <iostream>

namespace {

void printLine(const QString& line)
{
  std::cout << line.toStdString() << std::endl;
}

[[noreturn]] void exitWithError(const QString& why)
{
  std::cout.flush();
  std::cerr << "dgnhost: " << why.toStdString() << std::endl;
  // A command may still be inside a modal loop: leave at once rather than unwind through it.
  std::_Exit(2);
}

bool hasDisplay()
{
  return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

// The offscreen platform reports that it ignores size hints each time a window is shown; that
// says nothing about the host, and script output must stay readable.
void quietPlatformNoise(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
  if (message.contains(QLatin1String("does not support propagateSizeHints")))
    return;
  std::cerr << qFormatLogMessage(type, context, message).toStdString() << std::endl;
}

int usage()
{
  std::cerr << "usage: dgnhost [--commands | --script FILE [--stay]]" << std::endl;
  return 2;
}

} // namespace

int main(int argc, char** argv)
{
  enum class Mode { Window, Commands, Script } mode = Mode::Window;
  QString scriptPath;
  if (argc == 2 && std::strcmp(argv[1], "--commands") == 0)
    mode = Mode::Commands;
  else if ((argc == 3 || (argc == 4 && std::strcmp(argv[3], "--stay") == 0)) && std::strcmp(argv[1], "--script") == 0)
    mode = Mode::Script, scriptPath = QString::fromLocal8Bit(argv[2]);
  else if (argc != 1)
    return usage();

  if (mode != Mode::Window && !hasDisplay() && !std::getenv("QT_QPA_PLATFORM"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!std::getenv("XDG_RUNTIME_DIR")) {
    const QByteArray runtime = QDir::tempPath().toLocal8Bit() + "/dgnhost-runtime-" + QByteArray::number(getuid());
    mkdir(runtime.constData(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.constData(), 1);
  }
  qInstallMessageHandler(quietPlatformNoise);
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  QApplication app(argc, argv);

  std::vector<hostapp::ScriptRunner::Item> script;
  if (mode == Mode::Script) {
    QFile file(scriptPath);
    if (!file.open(QIODevice::ReadOnly))
      exitWithError(QStringLiteral("cannot read the script \"%1\": %2").arg(scriptPath, file.errorString()));
    QString error;
    auto parsed = hostapp::ScriptRunner::parse(QString::fromUtf8(file.readAll()), &error);
    if (!parsed)
      exitWithError(QStringLiteral("%1: %2").arg(scriptPath, error));
    script = std::move(*parsed);
  }

  hostapp::HostSession session;
  if (mode != Mode::Window) // in a window the command line shows what commands print
    QObject::connect(&session.commandLine(), &hostapp::CommandLine::printed, printLine);
  if (mode == Mode::Commands) {
    session.loadModules(QCoreApplication::applicationDirPath());
    for (const QString& row : hostapp::HostSession::commandTable())
      printLine(row);
    return 0;
  }

  hostapp::MainWindow window(session.commandLine(), session.scene());
  session.setMainWindow(&window);
  session.setDrawingChanged([&window] { window.view()->zoomExtents(); });
  window.show();
  if (mode == Mode::Window) {
    session.loadModules(QCoreApplication::applicationDirPath());
    return app.exec();
  }

  // With --stay and a display the window stays open once the script has run, for a person to look.
  const bool stay = argc == 4 && hasDisplay();
  hostapp::ModalAnswerer answerer;
  QObject::connect(&answerer, &hostapp::ModalAnswerer::messageShown, [](const QString& title, const QString& text) {
    printLine(hostapp::ModalAnswerer::describe({title, text}));
  });
  session.loadModules(QCoreApplication::applicationDirPath());
  hostapp::ScriptRunner runner(session.commandLine(), answerer, printLine);
  QObject::connect(&runner, &hostapp::ScriptRunner::finished, [&](int code, const QString& error) {
    if (code != 0)
      exitWithError(QStringLiteral("%1: %2").arg(scriptPath, error));
    if (!stay)
      app.exit(0);
  });
  runner.start(std::move(script));
  return app.exec();
}
