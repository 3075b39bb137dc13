#include "CommandLine.h"
#include "QtPrinters.h"

#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using hostapp::CommandLine;

namespace {

// A command line whose commands are recorded, with scripted behaviour for a few names.
struct Recorder {
  QStringList ran, answers, printed;
  std::function<void(const QString&)> behaviour = [](const QString&) {};
  CommandLine line{[this](const QString& name) {
    if (name == "NOSUCH")
      return false;
    ran << name;
    behaviour(name);
    return true;
  }};

  Recorder() { QObject::connect(&line, &CommandLine::printed, [this](const QString& text) { printed << text; }); }

  void ask(int times)
  {
    for (int i = 0; i < times; ++i) {
      const auto answer = line.readAnswer("Answer:");
      answers << (answer ? *answer : QStringLiteral("<cancelled>"));
    }
  }
};

bool settle(CommandLine& line)
{
  return QTest::qWaitFor([&] { return !line.isBusy() && !line.hasQueuedInput(); }, 5000);
}

} // namespace

TEST(CommandLineTest, TypedLinesRunInOrderFromTheEventLoopAndAnUnknownOneGivesOneLine)
{
  Recorder r;
  for (const char* typed : {"FIRST", "NOSUCH", "second"})
    r.line.type(typed);
  EXPECT_TRUE(r.ran.isEmpty()) << "typing must not run a command inside the caller";
  ASSERT_TRUE(settle(r.line));
  EXPECT_EQ(r.ran, (QStringList{"FIRST", "second"}));
  EXPECT_EQ(r.printed,
            (QStringList{"Command: FIRST", "Command: NOSUCH", "Unknown command \"NOSUCH\".", "Command: second"}));
}

TEST(CommandLineTest, APromptTakesTheQueuedLinesThenWaitsForTypingAndCanBeCancelled)
{
  Recorder r;
  r.behaviour = [&](const QString& name) {
    if (name == "ASK")
      r.ask(2);
  };
  for (const char* typed : {"ASK", "one", "two", "AFTER"})
    r.line.type(typed);
  ASSERT_TRUE(settle(r.line));
  EXPECT_EQ(r.ran, (QStringList{"ASK", "AFTER"}));
  EXPECT_EQ(r.answers, (QStringList{"one", "two"}));

  // The prompt blocks inside the event loop, so the "user" acts from timers.
  QTimer::singleShot(50, [&] {
    EXPECT_TRUE(r.line.isWaitingForInput());
    r.line.type("typed later");
  });
  QTimer::singleShot(150, [&] {
    EXPECT_EQ(r.answers.size(), 3);
    r.line.cancelPrompt();
  });
  r.line.type("ASK");
  ASSERT_TRUE(QTest::qWaitFor([&] { return r.answers.size() == 4; }, 5000));
  ASSERT_TRUE(settle(r.line));
  EXPECT_EQ(r.answers.mid(2), (QStringList{"typed later", "<cancelled>"}));
}

TEST(CommandLineTest, AChainAnswersItsCommandFirstDropsWhatIsLeftAndLetsTheUserTypeTheRest)
{
  Recorder r;
  r.behaviour = [&](const QString& name) {
    if (name == "OUTER")
      r.line.runChain({"INNER", "from chain", "left over"});
    if (name == "SHORT")
      r.line.runChain({"INNER", ""});
    if (name == "INNER")
      r.ask(r.answers.isEmpty() ? 1 : 2);
  };
  for (const char* typed : {"OUTER", "TYPED", "SHORT", "typed answer"})
    r.line.type(typed);
  ASSERT_TRUE(settle(r.line));
  EXPECT_EQ(r.ran, (QStringList{"OUTER", "INNER", "TYPED", "SHORT", "INNER"}))
    << "a leftover answer is never run as a command";
  EXPECT_EQ(r.answers, (QStringList{"from chain", "", "typed answer"})) << "an empty chain item is an empty answer";
}
