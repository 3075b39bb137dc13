#pragma once
#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QEventLoop;

namespace hostapp {

// The host's command line: a queue of typed lines, consumed in order by whatever reads next —
// the dispatcher, which runs a line as a command when none is running, or a prompt of the
// running command. Commands start from the event loop, never inside the code that typed them.
class CommandLine : public QObject {
  Q_OBJECT

public:
  // Runs one command by name; false when there is no such command.
  using Executor = std::function<bool(const QString& name)>;

  explicit CommandLine(Executor executor, QObject* parent = nullptr);

  // A line typed and entered.
  void type(const QString& line);
  // One line of output in the history.
  void print(const QString& text);

  // What a running command asks for: the next answer of the command's own chain, else the next
  // queued line, else whatever is typed next. Null when the prompt is cancelled.
  std::optional<QString> readAnswer(const QString& prompt);
  // Ends the waiting prompt, if any, with no answer.
  void cancelPrompt();

  // Runs `items[0]` as a command with the rest as its first answers and returns when it has
  // finished. Answers it leaves unread are dropped, never run as commands.
  void runChain(const QStringList& items);

  bool isBusy() const { return m_running > 0; }
  bool isWaitingForInput() const { return m_waiting != nullptr; }
  bool hasQueuedInput() const { return !m_queue.isEmpty(); }

signals:
  void printed(const QString& line);

private:
  void scheduleDispatch();
  void dispatch();
  void runCommand(const QString& name);

  Executor m_executor;
  QStringList m_queue;
  std::vector<QStringList> m_chainAnswers; // innermost running chain last
  int m_running = 0;
  QEventLoop* m_waiting = nullptr;
  bool m_promptCancelled = false;
  bool m_dispatchScheduled = false;
};

} // namespace hostapp
