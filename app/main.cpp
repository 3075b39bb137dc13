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
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <iostream>
#include <optional>
#include <vector>

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
  std::cerr << "usage: dgnhost [--lang de|fr|en] [--commands | --script FILE [--stay]]" << std::endl;
  return 2;
}

// Takes "--lang X" out of the arguments and returns X; empty without the option, an error when
// X is missing.
std::optional<QString> takeLanguage(std::vector<char*>& args)
{
  for (size_t i = 1; i < args.size(); ++i) {
    if (std::strcmp(args[i], "--lang") != 0)
      continue;
    if (i + 1 == args.size())
      return std::nullopt;
    const QString language = QString::fromLocal8Bit(args[i + 1]);
    args.erase(args.begin() + i, args.begin() + i + 2);
    return language;
  }
  return QString();
}

// The host's language is the application's default locale, which the modules read: the one
// asked for, else the system's. An unknown language is named, with the known ones, and the host
// goes on in English.
void useLanguage(const QString& language)
{
  static const QStringList known{"de", "en", "fr"};
  if (language.isEmpty())
    return;
  if (!known.contains(language)) {
    std::cerr << "dgnhost: unknown language \"" << language.toStdString() << "\"; the languages are "
              << known.join(", ").toStdString() << "; going on in English" << std::endl;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    return;
  }
  QLocale::setDefault(QLocale(language));
}

} // namespace

int main(int argc, char** argv)
{
  std::vector<char*> args(argv, argv + argc);
  const std::optional<QString> language = takeLanguage(args);
  if (!language)
    return usage();
  argc = static_cast<int>(args.size());
  args.push_back(nullptr);
  argv = args.data();

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
  useLanguage(*language);
  // Qt's own texts (standard buttons, file dialogs) in the same language, where Qt has them.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(), "qtbase", "_", QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
    app.installTranslator(&qtTexts);

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
