#include "CommandLine.h"

#include <QEventLoop>
#include <QTimer>

namespace hostapp {

CommandLine::CommandLine(Executor executor, QObject* parent) : QObject(parent), m_executor(std::move(executor)) {}

void CommandLine::type(const QString& line)
{
  m_queue.append(line);
  if (m_waiting)
    m_waiting->quit();
  else
    scheduleDispatch();
}

void CommandLine::print(const QString& text)
{
  emit printed(text);
}

std::optional<QString> CommandLine::readAnswer(const QString& prompt)
{
  if (!m_chainAnswers.empty() && !m_chainAnswers.back().isEmpty()) {
    const QString answer = m_chainAnswers.back().takeFirst();
    print(prompt + answer);
    return answer;
  }
  print(prompt);
  while (m_queue.isEmpty()) {
    QEventLoop wait;
    m_waiting = &wait;
    m_promptCancelled = false;
    wait.exec();
    m_waiting = nullptr;
    if (m_promptCancelled)
      return std::nullopt;
  }
  const QString answer = m_queue.takeFirst();
  print(answer);
  return answer;
}

void CommandLine::cancelPrompt()
{
  if (!m_waiting)
    return;
  m_promptCancelled = true;
  m_waiting->quit();
}

void CommandLine::runChain(const QStringList& items)
{
  if (items.isEmpty())
    return;
  m_chainAnswers.push_back(items.mid(1));
  runCommand(items.first());
  m_chainAnswers.pop_back();
}

void CommandLine::scheduleDispatch()
{
  if (m_dispatchScheduled)
    return;
  m_dispatchScheduled = true;
  QTimer::singleShot(0, this, &CommandLine::dispatch);
}

void CommandLine::dispatch()
{
  m_dispatchScheduled = false;
  if (m_running > 0)
    return; // the running command reads the queue itself; dispatch again when it ends
  if (m_queue.isEmpty())
    return;
  const QString line = m_queue.takeFirst().trimmed();
  if (!line.isEmpty()) {
    print(QStringLiteral("Command: %1").arg(line));
    // "NAME REST": the rest of the line is the command's first answer.
    const int space = line.indexOf(QLatin1Char(' '));
    if (space < 0)
      runCommand(line);
    else
      runChain({line.left(space), line.mid(space + 1).trimmed()});
  }
  scheduleDispatch();
}

void CommandLine::runCommand(const QString& name)
{
  ++m_running;
  const bool known = m_executor(name);
  --m_running;
  if (!known)
    print(QStringLiteral("Unknown command \"%1\".").arg(name));
  if (m_running == 0)
    scheduleDispatch();
}

} // namespace hostapp
