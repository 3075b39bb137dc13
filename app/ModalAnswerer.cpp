#include "ModalAnswerer.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
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
  if (auto* box = qobject_cast<QMessageBox*>(watched)) {
    QPointer<QMessageBox> guard(box);
    QTimer::singleShot(0, this, [this, guard] {
      if (guard && guard->isVisible())
        answer(guard.data());
    });
  } else if (auto* dialog = qobject_cast<QFileDialog*>(watched)) {
    QPointer<QFileDialog> guard(dialog);
    QTimer::singleShot(0, this, [this, guard] {
      if (guard && guard->isVisible())
        answer(guard.data());
    });
  }
  return false;
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
  const bool folder = dialog->fileMode() == QFileDialog::Directory;
  const QString path = takeFirst(folder ? m_folders : m_files);
  if (path.isEmpty()) {
    dialog->reject();
    return;
  }
  if (folder)
    dialog->setDirectory(path);
  dialog->selectFile(path);
  QMetaObject::invokeMethod(dialog, "accept"); // a slot: the dialog checks the path as for a user
  if (dialog->isVisible()) // the dialog refused the path (a folder that does not exist, say)
    dialog->reject();
}

} // namespace hostapp
