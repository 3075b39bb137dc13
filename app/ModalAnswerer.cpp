#include "ModalAnswerer.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace hostapp {

namespace {

QString takeFirst(std::deque<QString>& queue)
{
  if (queue.empty())
    return QString();
  QString first = queue.front();
  queue.pop_front();
  return first;
}

QMessageBox::StandardButton standardButton(const QString& name)
{
  if (name.compare("Yes", Qt::CaseInsensitive) == 0)
    return QMessageBox::Yes;
  if (name.compare("No", Qt::CaseInsensitive) == 0)
    return QMessageBox::No;
  return QMessageBox::Ok;
}

} // namespace

ModalAnswerer::ModalAnswerer(QObject* parent) : QObject(parent)
{
  qApp->installEventFilter(this);
}

ModalAnswerer::~ModalAnswerer()
{
  if (qApp)
    qApp->removeEventFilter(this);
}

void ModalAnswerer::queueMessageAnswer(const QString& button)
{
  m_messageAnswers.push_back(button);
}

void ModalAnswerer::queueFile(const QString& path)
{
  m_files.push_back(path);
}

void ModalAnswerer::queueFolder(const QString& path)
{
  m_folders.push_back(path);
}

QString ModalAnswerer::describe(const ShownMessage& message)
{
  QString text = QStringLiteral("[message] %1 | %2").arg(message.title, message.text);
  return text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
}

bool ModalAnswerer::eventFilter(QObject* watched, QEvent* event)
{
  if (event->type() != QEvent::Show || !watched->isWidgetType())
    return false;
  // Decide once the dialog has finished showing itself: a message box picks its escape button
  // while it is shown.
  if (auto* box = qobject_cast<QMessageBox*>(watched))
    answerSoon(box);
  else if (auto* dialog = qobject_cast<QFileDialog*>(watched))
    answerSoon(dialog);
  return false;
}

template <class Dialog>
void ModalAnswerer::answerSoon(Dialog* dialog)
{
  ++m_pending;
  QPointer<Dialog> guard(dialog);
  QTimer::singleShot(0, this, [this, guard] {
    --m_pending;
    if (guard && guard->isVisible())
      answer(guard.data());
  });
}

void ModalAnswerer::answer(QMessageBox* box)
{
  ShownMessage shown{box->windowTitle(), box->text()};
  m_shown.push_back(shown);
  emit messageShown(shown.title, shown.text);
  if (box->buttons().isEmpty())
    return; // closes itself
  QAbstractButton* choice = nullptr;
  if (!m_messageAnswers.empty())
    choice = box->button(standardButton(takeFirst(m_messageAnswers)));
  if (!choice)
    choice = box->defaultButton();
  if (!choice)
    choice = box->escapeButton();
  if (!choice)
    choice = box->buttons().first();
  choice->click();
}

void ModalAnswerer::answer(QFileDialog* dialog)
{
  // getExistingDirectory asks for the obsolete DirectoryOnly mode, so test for the file modes.
  const QFileDialog::FileMode mode = dialog->fileMode();
  const bool folder = mode != QFileDialog::AnyFile && mode != QFileDialog::ExistingFile &&
                      mode != QFileDialog::ExistingFiles;
  const QString path = takeFirst(folder ? m_folders : m_files);
  if (path.isEmpty()) {
    dialog->reject();
    return;
  }
  if (folder) {
    // A picked folder is the dialog's directory with nothing typed, as when a user opens the
    // folder and presses Choose.
    if (!QFileInfo(path).isDir()) {
      dialog->reject();
      return;
    }
    dialog->setDirectory(path);
    static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    return;
  }
  dialog->selectFile(path);
  QMetaObject::invokeMethod(dialog, "accept"); // a slot: the dialog checks the path as for a user
  if (dialog->isVisible()) // the dialog refused the path (a file that does not exist, say)
    dialog->reject();
}

} // namespace hostapp
