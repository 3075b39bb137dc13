#pragma once
#include <QMainWindow>

class QLineEdit;
class QPlainTextEdit;

namespace hostapp {

class CommandLine;

// The host's window: the drawing view, the command history and the command input.
class MainWindow : public QMainWindow {
  Q_OBJECT

public:
  explicit MainWindow(CommandLine& commandLine);

private:
  QPlainTextEdit* m_history;
  QLineEdit* m_input;
};

} // namespace hostapp
