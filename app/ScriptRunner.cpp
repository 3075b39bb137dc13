#include "ScriptRunner.h"

#include "CommandLine.h"
#include "ModalAnswerer.h"
#include "WidgetActions.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>

namespace hostapp {

namespace {

enum class Rest { None, Optional, Required };

struct ActionSyntax {
  const char* name;
  int words; // single words after the action name
  Rest rest; // then the rest of the line, spaces and all
};

constexpr ActionSyntax kActions[] = {
  {"click", 1, Rest::None},       {"set", 1, Rest::Optional},       {"check", 2, Rest::None},
  {"select", 1, Rest::Required},  {"expand", 1, Rest::Required},    {"checkitem", 1, Rest::Required},
  {"combo", 1, Rest::Required},   {"key", 1, Rest::None},           {"file", 0, Rest::Required},
  {"folder", 0, Rest::Required},  {"answer", 1, Rest::None},        {"wait-message", 0, Rest::Required},
  {"wait-close", 0, Rest::None},  {"dump", 1, Rest::None},          {"grab", 0, Rest::Required},
};

const ActionSyntax* syntaxOf(const QString& name)
{
  for (const ActionSyntax& syntax : kActions)
    if (name == QLatin1String(syntax.name))
      return &syntax;
  return nullptr;
}

// Splits an action's arguments as its syntax says; false when they do not fit.
bool splitArguments(const ActionSyntax& syntax, QString text, QStringList& args)
{
  for (int i = 0; i < syntax.words; ++i) {
    text = text.trimmed();
    const int space = text.indexOf(QLatin1Char(' '));
    const QString word = space < 0 ? text : text.left(space);
    if (word.isEmpty())
      return false;
    args << word;
    text = space < 0 ? QString() : text.mid(space + 1);
  }
  text = text.trimmed();
  if (syntax.rest == Rest::None)
    return text.isEmpty();
  if (syntax.rest == Rest::Required && text.isEmpty())
    return false;
  args << text;
  return true;
}

// The last word of "@check NAME on|off" and "@checkitem NAME TEXT on|off".
bool takeSwitch(const QString& action, QStringList& args)
{
  if (action == QLatin1String("check"))
    return args[1] == QLatin1String("on") || args[1] == QLatin1String("off");
  if (action != QLatin1String("checkitem"))
    return true;
  const int space = args[1].lastIndexOf(QLatin1Char(' '));
  const QString word = args[1].mid(space + 1);
  if (space <= 0 || (word != QLatin1String("on") && word != QLatin1String("off")))
    return false;
  args = QStringList{args[0], args[1].left(space).trimmed(), word};
  return true;
}

} // namespace

ScriptRunner::ScriptRunner(CommandLine& commandLine, ModalAnswerer& answerer, Output output, QObject* parent)
  : QObject(parent), m_commandLine(commandLine), m_answerer(answerer), m_output(std::move(output))
{
  m_timer.setInterval(5);
  connect(&m_timer, &QTimer::timeout, this, &ScriptRunner::tick);
}

void ScriptRunner::setTimeouts(int modalWaitMs, int eventWaitMs)
{
  m_modalWaitMs = modalWaitMs;
  m_eventWaitMs = eventWaitMs;
}

std::optional<std::vector<ScriptRunner::Item>> ScriptRunner::parse(const QString& script, QString* error)
{
  std::vector<Item> items;
  const QStringList lines = script.split(QLatin1Char('\n'));
  for (int i = 0; i < lines.size(); ++i) {
    QString line = lines[i];
    if (line.endsWith(QLatin1Char('\r')))
      line.chop(1);
    if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
      continue;
    Item item;
    item.line = i + 1;
    if (!line.startsWith(QLatin1Char('@'))) {
      item.text = line;
      items.push_back(item);
      continue;
    }
    const QString body = line.mid(1).trimmed();
    const int space = body.indexOf(QLatin1Char(' '));
    item.action = space < 0 ? body : body.left(space);
    item.text = space < 0 ? QString() : body.mid(space + 1).trimmed();
    const ActionSyntax* syntax = syntaxOf(item.action);
    if (!syntax) {
      *error = QStringLiteral("line %1: unknown action \"@%2\"").arg(item.line).arg(item.action);
      return std::nullopt;
    }
    if (!splitArguments(*syntax, item.text, item.args) || !takeSwitch(item.action, item.args)) {
      *error = QStringLiteral("line %1: wrong arguments for \"@%2\"").arg(item.line).arg(item.action);
      return std::nullopt;
    }
    if (item.action == QLatin1String("key") && item.args.first() != QLatin1String("Escape")) {
      *error = QStringLiteral("line %1: @key knows only Escape").arg(item.line);
      return std::nullopt;
    }
    if (item.action == QLatin1String("answer") && !QStringList{"Ok", "Yes", "No"}.contains(item.args.first())) {
      *error = QStringLiteral("line %1: @answer takes Ok, Yes or No").arg(item.line);
      return std::nullopt;
    }
    items.push_back(item);
  }
  return items;
}

void ScriptRunner::start(std::vector<Item> items)
{
  m_items = std::move(items);
  m_next = 0;
  m_done = false;
  m_messagesSeen = m_answerer.shownMessages().size();
  m_timer.start();
}

void ScriptRunner::tick()
{
  if (m_done || m_actionPending || m_answerer.isAnswering())
    return;
  if (!m_waitStarted.isValid())
    m_waitStarted.start();
  if (!actionLeavesRoom()) {
    if (timedOut(m_modalWaitMs)) {
      const QWidget* window = m_runningActions.back();
      fail(m_items[std::min(m_next, m_items.size() - 1)],
           QStringLiteral("the window \"%1\" is still busy").arg(window ? window->windowTitle() : QString()));
    }
    return;
  }
  if (m_next >= m_items.size()) {
    if (finishing()) {
      m_done = true;
      m_timer.stop();
      emit finished(0, QString());
    }
    return;
  }
  const Item& item = m_items[m_next];
  if (perform(item) == Step::Done && !m_done) {
    ++m_next;
    m_waitStarted.invalidate();
  }
}

bool ScriptRunner::actionLeavesRoom() const
{
  if (m_runningActions.empty())
    return true;
  QWidget* modal = QApplication::activeModalWidget();
  if (modal && modal != m_runningActions.back())
    return true;
  return m_commandLine.isWaitingForInput() && !m_commandLine.hasQueuedInput();
}

ScriptRunner::Step ScriptRunner::perform(const Item& item)
{
  const QString& a = item.action;
  if (a.isEmpty()) {
    m_commandLine.type(item.text);
    return Step::Done;
  }
  if (a == QLatin1String("file")) {
    m_answerer.queueFile(item.args.first());
    return Step::Done;
  }
  if (a == QLatin1String("folder")) {
    m_answerer.queueFolder(item.args.first());
    return Step::Done;
  }
  if (a == QLatin1String("answer")) {
    m_answerer.queueMessageAnswer(item.args.first());
    return Step::Done;
  }
  if (a == QLatin1String("wait-message"))
    return waitForMessage(item);
  if (a == QLatin1String("wait-close"))
    return waitForClose();
  return performOnWidget(item);
}

ScriptRunner::Step ScriptRunner::performOnWidget(const Item& item)
{
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal) {
    // With no command running or queued, nothing is left that could open one.
    const bool idle = !m_commandLine.isBusy() && !m_commandLine.hasQueuedInput();
    if (idle || timedOut(m_modalWaitMs))
      fail(item, QStringLiteral("no modal window is open"));
    return Step::Retry;
  }
  const QString& a = item.action;
  QWidget* widget = modal;
  if (a == QLatin1String("grab")) {
    // What a person sees of the window, for the pictures of the README.
    if (!modal->grab().save(item.args.first()))
      fail(item, QStringLiteral("cannot write the picture \"%1\"").arg(item.args.first()));
    return Step::Done;
  }
  if (a != QLatin1String("key")) {
    widget = WidgetActions::find(modal, item.args.first());
    if (!widget) {
      fail(item, QStringLiteral("no widget \"%1\" in the window \"%2\"").arg(item.args.first(), modal->windowTitle()));
      return Step::Done;
    }
  }
  if (a == QLatin1String("dump")) {
    m_output(WidgetActions::dump(item.args.first(), widget));
    return Step::Done;
  }
  // The action runs from the event loop, after this step: whatever modal window it opens runs
  // its own loop, in which the following steps go on.
  m_actionPending = true;
  QPointer<QWidget> target(widget);
  QPointer<QWidget> window(modal);
  const Item copy = item;
  QTimer::singleShot(0, this, [this, target, window, copy] {
    m_actionPending = false;
    if (!target) {
      fail(copy, QStringLiteral("the widget went away"));
      return;
    }
    m_runningActions.push_back(window);
    const QString& a = copy.action;
    QString why;
    if (a == QLatin1String("click"))
      why = WidgetActions::click(target);
    else if (a == QLatin1String("set"))
      why = WidgetActions::setText(target, copy.args[1]);
    else if (a == QLatin1String("check"))
      why = WidgetActions::setChecked(target, copy.args[1] == QLatin1String("on"));
    else if (a == QLatin1String("select"))
      why = WidgetActions::select(target, copy.args[1]);
    else if (a == QLatin1String("expand"))
      why = WidgetActions::expand(target, copy.args[1]);
    else if (a == QLatin1String("checkitem"))
      why = WidgetActions::checkItem(target, copy.args[1], copy.args[2] == QLatin1String("on"));
    else if (a == QLatin1String("combo"))
      why = WidgetActions::chooseComboItem(target, copy.args[1]);
    else if (a == QLatin1String("key")) {
      QWidget* receiver = target->focusWidget() ? target->focusWidget() : target.data();
      QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(receiver, &press);
      if (receiver)
        QApplication::sendEvent(receiver, &release);
    }
    m_runningActions.pop_back();
    if (!why.isEmpty())
      fail(copy, QStringLiteral("\"%1\" %2").arg(copy.args.first(), why));
  });
  return Step::Done;
}

ScriptRunner::Step ScriptRunner::waitForMessage(const Item& item)
{
  const auto& shown = m_answerer.shownMessages();
  for (; m_messagesSeen < shown.size(); ++m_messagesSeen) {
    const ModalAnswerer::ShownMessage& m = shown[m_messagesSeen];
    if (m.title.contains(item.args.first()) || m.text.contains(item.args.first())) {
      ++m_messagesSeen;
      return Step::Done;
    }
  }
  if (timedOut(m_eventWaitMs))
    fail(item, QStringLiteral("no message \"%1\" was shown").arg(item.args.first()));
  return Step::Retry;
}

ScriptRunner::Step ScriptRunner::waitForClose()
{
  if (!m_closing) {
    m_closing = QApplication::activeModalWidget();
    if (!m_closing)
      return Step::Done;
  }
  if (!m_closing->isVisible()) {
    m_closing = nullptr;
    return Step::Done;
  }
  if (timedOut(m_eventWaitMs))
    fail(m_items[m_next], QStringLiteral("the window \"%1\" did not close").arg(m_closing->windowTitle()));
  return Step::Retry;
}

// At the end: queued commands run, a prompt nobody will answer is cancelled, and windows left
// open are closed, so that the host can quit.
bool ScriptRunner::finishing()
{
  if (m_commandLine.hasQueuedInput())
    return false;
  if (QWidget* modal = QApplication::activeModalWidget()) {
    // A message box without an escape button refuses close(); ending the dialog always works.
    if (auto* dialog = qobject_cast<QDialog*>(modal))
      dialog->done(QDialog::Rejected);
    else
      modal->close();
    return false;
  }
  if (m_commandLine.isWaitingForInput()) {
    m_commandLine.cancelPrompt();
    return false;
  }
  return !m_commandLine.isBusy();
}

void ScriptRunner::fail(const Item& item, const QString& why)
{
  if (m_done)
    return;
  m_done = true;
  m_timer.stop();
  emit finished(2, QStringLiteral("line %1: %2").arg(item.line).arg(why));
}

} // namespace hostapp
