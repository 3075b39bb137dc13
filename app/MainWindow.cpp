#include "MainWindow.h"

#include "CommandLine.h"
#include "DrawingView.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QVBoxLayout>

namespace hostapp {

MainWindow::MainWindow(CommandLine& commandLine, const DrawingScene& scene)
  : m_view(new DrawingView(scene)), m_history(new QPlainTextEdit), m_input(new QLineEdit)
{
  setWindowTitle(tr("DGN Host"));

  m_history->setObjectName("commandHistory");
  m_history->setReadOnly(true);
  m_history->setMaximumBlockCount(10000);
  m_input->setObjectName("commandInput");
  m_input->setPlaceholderText(tr("Type a command"));

  auto* commandArea = new QWidget;
  auto* commandLayout = new QVBoxLayout(commandArea);
  commandLayout->setContentsMargins(0, 0, 0, 0);
  commandLayout->addWidget(m_history);
  commandLayout->addWidget(m_input);

  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->addWidget(m_view);
  splitter->addWidget(commandArea);
  splitter->setStretchFactor(0, 4);
  splitter->setStretchFactor(1, 1);
  setCentralWidget(splitter);

  connect(&commandLine, &CommandLine::printed, m_history, &QPlainTextEdit::appendPlainText);
  connect(m_input, &QLineEdit::returnPressed, this, [this, &commandLine] {
    const QString line = m_input->text();
    m_input->clear();
    commandLine.type(line);
  });
}

} // namespace hostapp
