#include "CommandLine.h"
#include "ModalAnswerer.h"
#include "ScriptRunner.h"
#include "QtPrinters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace hostapp;

namespace {

// A dialog with one widget of every kind the actions know, recording what a user did.
class SampleDialog : public QDialog {
public:
  QStringList events;
  QString openedFile = "<none>", openedFolder = "<none>";
  std::vector<int> answers{0, 0, 0}; // of the question, the box with a default, the one with an escape

  SampleDialog()
  {
    setObjectName("sample");
    setWindowTitle("Sample");
    auto* layout = new QVBoxLayout(this);
    auto add = [&](auto* w, const char* name) {
      w->setObjectName(name);
      layout->addWidget(w);
      return w;
    };
    auto* name = add(new QLineEdit("old"), "name");
    auto* agree = add(new QCheckBox("Agree"), "agree");
    add(new QRadioButton("A"), "optA")->setChecked(true);
    auto* optB = add(new QRadioButton("B"), "optB");
    auto* list = add(new QListWidget, "list");
    list->addItems({"Alpha", "Beta", "Gamma"});
    auto* tree = add(new QTreeWidget, "tree");
    auto* parent = new QTreeWidgetItem(tree, {"Parent"});
    for (const char* child : {"Child one", "Child two"})
      (new QTreeWidgetItem(parent, {child}))->setCheckState(0, Qt::Unchecked);
    auto* combo = add(new QComboBox, "combo");
    combo->addItems({"First", "Second", "Third"});
    auto* buttons =
      add(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help), "buttons");

    auto button = [&](const char* name, std::function<void()> onClick) {
      connect(add(new QPushButton(name), name), &QPushButton::clicked, this, onClick);
    };
    button("ask", [this] {
      answers[0] = QMessageBox::question(this, "Question", "Go on?\nReally?", QMessageBox::Yes | QMessageBox::No,
                                             QMessageBox::Yes);
    });
    button("askDefault", [this] {
      QMessageBox box(QMessageBox::Warning, "Default", "Pick the default", QMessageBox::Ok | QMessageBox::Cancel, this);
      box.setDefaultButton(QMessageBox::Cancel);
      answers[1] = box.exec();
    });
    button("askEscape", [this] {
      QMessageBox box(QMessageBox::Warning, "Escape", "No default here", QMessageBox::Yes | QMessageBox::No, this);
      box.setDefaultButton(static_cast<QPushButton*>(nullptr));
      box.setEscapeButton(QMessageBox::No);
      answers[2] = box.exec();
    });
    auto* opened = add(new QLabel("nothing opened"), "opened");
    button("openFile", [this, opened] {
      openedFile = QFileDialog::getOpenFileName(this, "Open", QString(), "*.txt");
      QTest::qWait(50); // reading the file takes a while, and the window stays alive meanwhile
      opened->setText(openedFile);
    });
    button("openFolder", [this] { openedFolder = QFileDialog::getExistingDirectory(this, "Folder"); });
    button("transient", [this] {
      auto* box = new QMessageBox(QMessageBox::Information, "Transient", "Closing by itself", QMessageBox::NoButton, this);
      box->setStandardButtons(QMessageBox::NoButton);
      box->setAttribute(Qt::WA_DeleteOnClose);
      box->show();
      QTimer::singleShot(300, box, [box] { box->done(0); }); // close() is refused without an escape button
    });

    connect(name, &QLineEdit::textEdited, this, [this](const QString& t) { events << "edited:" + t; });
    connect(name, &QLineEdit::editingFinished, this, [this] { events << "finished"; });
    connect(agree, &QCheckBox::toggled, this, [this](bool on) { events << QString("agree:%1").arg(on); });
    connect(optB, &QRadioButton::clicked, this, [this] { events << "optB"; });
    connect(list, &QListWidget::itemClicked, this, [this](QListWidgetItem* i) { events << "list:" + i->text(); });
    connect(tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* i) { events << "expanded:" + i->text(0); });
    connect(tree, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* i, int) {
      events << QString("checked:%1:%2").arg(i->text(0)).arg(i->checkState(0) == Qt::Checked);
    });
    connect(tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* i, int) { events << "tree:" + i->text(0); });
    connect(combo, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { events << QString("combo:%1").arg(i); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::Help), &QPushButton::clicked, this, [this] { events << "help"; });
  }
};

// Runs a script against a command "OPEN" that shows the sample dialog modally.
struct Harness {
  std::unique_ptr<SampleDialog> dialog; // the last one shown, kept for what it recorded
  int dialogResult = -1;
  QStringList output;
  CommandLine line{[this](const QString& name) {
    if (name != "OPEN")
      return false;
    dialog = std::make_unique<SampleDialog>();
    dialogResult = dialog->exec();
    return true;
  }};
  ModalAnswerer answerer;
  ScriptRunner runner{line, answerer, [this](const QString& text) { output << text; }};
  int code = -1;
  QString error;

  bool run(const QString& script, int modalWaitMs = 5000)
  {
    auto items = ScriptRunner::parse(script, &error);
    if (!items)
      return false;
    runner.setTimeouts(modalWaitMs, 10000);
    QObject::connect(&runner, &ScriptRunner::finished, [this](int c, const QString& e) {
      code = c;
      error = e;
      if (c != 0 && dialog) // the host leaves at once; here the dialog must end for the test to go on
        dialog->reject();
    });
    runner.start(std::move(*items));
    return QTest::qWaitFor([this] { return code >= 0 && !line.isBusy(); }, 30000);
  }
};

} // namespace

TEST(ScriptRunnerTest, EveryWidgetActionActsAsAUserWould)
{
  QTemporaryDir dir;
  const QString file = dir.filePath("notes.txt");
  QFile(file).open(QIODevice::WriteOnly);
  Harness h;
  ASSERT_TRUE(h.run(QString(R"(# a comment, then an empty line

OPEN
@set name Hello world
@check agree on
@check optB on
@select list Beta
@expand tree Parent
@checkitem tree Child one on
@select tree Child two
@combo combo Third
@dump name
@dump agree
@click buttons.Help
@file %1
@click openFile
@dump opened
@click buttons.Ok
@wait-close
)")
                      .arg(file)));
  EXPECT_EQ(h.code, 0) << h.error.toStdString();
  EXPECT_EQ(h.dialogResult, QDialog::Accepted);
  // Clicking the buttons later takes the focus from the line edit, which finishes its editing again.
  EXPECT_EQ(h.dialog->events.mid(0, 10), (QStringList{"edited:Hello world", "finished", "agree:1", "optB", "list:Beta",
                                     "expanded:Parent", "checked:Child one:1", "tree:Child two", "combo:2", "help"}));
  EXPECT_EQ(h.output, (QStringList{"name text=Hello world enabled=1 checked=0 visible=1",
                                   "agree text=Agree enabled=1 checked=1 visible=1",
                                   "opened text=" + file + " enabled=1 checked=0 visible=1"}))
    << "each step sees what the step before left";
}

TEST(ScriptRunnerTest, MessageBoxesTakeTheQueuedAnswerElseTheDefaultElseTheEscapeButton)
{
  Harness h;
  ASSERT_TRUE(h.run(R"(OPEN
@answer No
@click ask
@click askDefault
@click askEscape
@click transient
@wait-message Escape
@wait-message by itself
@key Escape
)"));
  EXPECT_EQ(h.code, 0) << h.error.toStdString();
  EXPECT_EQ(h.dialogResult, QDialog::Rejected) << "Escape closes the dialog";
  EXPECT_EQ(h.dialog->answers, (std::vector<int>{QMessageBox::No, QMessageBox::Cancel, QMessageBox::No}));
  ASSERT_GE(h.answerer.shownMessages().size(), 4u);
  EXPECT_EQ(ModalAnswerer::describe(h.answerer.shownMessages()[0]), "[message] Question | Go on?\\nReally?");
  EXPECT_EQ(h.answerer.shownMessages()[3].title, "Transient");
}

TEST(ScriptRunnerTest, PickersTakeTheirOwnQueuesOrAreCancelledAndTheEndClosesWhatIsLeft)
{
  QTemporaryDir dir;
  Harness h;
  ASSERT_TRUE(h.run(QString("OPEN\n@click openFolder\n@folder %1\n@click openFile\n@click buttons.Cancel\n").arg(dir.path())));
  EXPECT_EQ(h.code, 0) << h.error.toStdString();
  EXPECT_EQ(h.dialog->openedFolder, QString()) << "no folder was queued when the picker opened";
  EXPECT_EQ(h.dialog->openedFile, QString()) << "a folder answer does not answer a file prompt";

  // @wait-close with nothing open returns at once; the end closes the window left open.
  Harness again;
  ASSERT_TRUE(again.run(QString("@wait-close\n@folder %1\nOPEN\n@click openFolder\n@dump sample\n").arg(dir.path())));
  EXPECT_EQ(again.code, 0);
  EXPECT_EQ(again.dialog->openedFolder, dir.path());
  EXPECT_EQ(again.dialogResult, QDialog::Rejected);
  EXPECT_EQ(again.output, (QStringList{"sample text=Sample enabled=1 checked=0 visible=1"}));
}

TEST(ScriptRunnerTest, AMissingWidgetOrNoWindowOrABusyWindowEndsTheScriptWithCode2)
{
  Harness missing;
  ASSERT_TRUE(missing.run("OPEN\n@click nowhere\n"));
  EXPECT_EQ(missing.code, 2);
  EXPECT_TRUE(missing.error.contains("line 2")) << missing.error.toStdString();
  EXPECT_TRUE(missing.error.contains("nowhere"));

  // With no command running no window can come: the script fails at once, not after the ten
  // minutes it would wait for a window to open.
  Harness noWindow;
  ASSERT_TRUE(noWindow.run("@click anything\n", 600000));
  EXPECT_EQ(noWindow.code, 2);
  EXPECT_TRUE(noWindow.error.contains("no modal window")) << noWindow.error.toStdString();

  Harness busy; // the click's slot goes on for 50 ms after its file dialog, longer than the modal wait
  ASSERT_TRUE(busy.run("OPEN\n@click openFile\n@dump opened\n", 20));
  EXPECT_EQ(busy.code, 2);
  EXPECT_TRUE(busy.error.contains("line 3: the window \"Sample\" is still busy")) << busy.error.toStdString();
}

TEST(ScriptRunnerTest, ParsingRefusesUnknownActionsAndBadArguments)
{
  QString error;
  EXPECT_FALSE(ScriptRunner::parse("OPEN\n@frobnicate x\n", &error));
  EXPECT_TRUE(error.contains("line 2")) << error.toStdString();
  for (const char* bad : {"@check agree maybe", "@checkitem tree Child", "@answer Maybe", "@key Enter", "@click",
                          "@click a b", "@file"})
    EXPECT_FALSE(ScriptRunner::parse(bad, &error)) << bad;
  auto items = ScriptRunner::parse("@checkitem tree Child one off\r\n@set name\n#x\nTYPED  LINE\n", &error);
  ASSERT_TRUE(items);
  ASSERT_EQ(items->size(), 3u);
  EXPECT_EQ((*items)[0].args, (QStringList{"tree", "Child one", "off"}));
  EXPECT_EQ((*items)[1].args, (QStringList{"name", ""})) << "an empty text clears the field";
  EXPECT_EQ((*items)[2].text, "TYPED  LINE");
}
