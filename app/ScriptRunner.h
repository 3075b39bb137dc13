#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

namespace hostapp {

class CommandLine;
class ModalAnswerer;

// Runs a host script from the event loop: typed lines go to the command line, "@" lines act on
// the top-most modal window. It never runs inside the command it started, so lines keep
// flowing while a command waits for input or shows a modal window.
class ScriptRunner : public QObject {
  Q_OBJECT

public:
  struct Item {
    int line = 0;
    QString action; // empty for a typed line
    QStringList args;
    QString text;   // the typed line, or the rest of an action's line
  };

  // Lines of output (the @dump action's).
  using Output = std::function<void(const QString&)>;

  ScriptRunner(CommandLine& commandLine, ModalAnswerer& answerer, Output output, QObject* parent = nullptr);

  // Parses a script; on failure returns nothing and sets `error` ("line N: why").
  static std::optional<std::vector<Item>> parse(const QString& script, QString* error);

  // Starts the items; finished() reports the end.
  void start(std::vector<Item> items);

  // How long widget actions wait for a modal window, and the wait actions for their event.
  void setTimeouts(int modalWaitMs, int eventWaitMs);

signals:
  // 0 when the script ran to its end, 2 with the reason otherwise.
  void finished(int code, const QString& error);

private:
  enum class Step { Done, Retry };

  void tick();
  Step perform(const Item& item);
  Step performOnWidget(const Item& item);
  Step waitForMessage(const Item& item);
  Step waitForClose();
  bool finishing();
  // While an action runs (a click whose file dialog has just closed, say), the next step may act
  // only on what the action opened: a window above the one it acted on, or a prompt on the
  // command line. Otherwise it waits for the action to return, so that every step sees the
  // state that the previous one left. Past the modal wait the script fails: the window is busy.
  bool actionLeavesRoom() const;
  void fail(const Item& item, const QString& why);
  bool timedOut(int limitMs) const { return m_waitStarted.isValid() && m_waitStarted.elapsed() > limitMs; }

  CommandLine& m_commandLine;
  ModalAnswerer& m_answerer;
  Output m_output;
  std::vector<Item> m_items;
  size_t m_next = 0;
  size_t m_messagesSeen = 0;
  QTimer m_timer;
  QElapsedTimer m_waitStarted;
  QPointer<QWidget> m_closing;
  std::vector<QPointer<QWidget>> m_runningActions; // the window each acted on, innermost last
  bool m_actionPending = false;
  bool m_done = false;
  int m_modalWaitMs = 30000;
  int m_eventWaitMs = 600000;
};

} // namespace hostapp
