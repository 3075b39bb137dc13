#pragma once
#include <QMainWindow>

class QLineEdit;
class QPlainTextEdit;

namespace hostapp {

class CommandLine;
class DrawingScene;
class DrawingView;

// The host's window: the drawing view, the command history and the command input.
class MainWindow : public QMainWindow {
  Q_OBJECT

public:
  MainWindow(CommandLine& commandLine, const DrawingScene& scene);
  DrawingView* view() const { return m_view; }

private:
  DrawingView* m_view;
  QPlainTextEdit* m_history;
  QLineEdit* m_input;
};

} // namespace hostapp
