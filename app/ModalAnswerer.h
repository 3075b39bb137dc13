#pragma once
#include <QObject>
#include <QStringList>

#include <deque>
#include <vector>

class QFileDialog;
class QMessageBox;

namespace hostapp {

// Answers every message box, file prompt and folder picker shown anywhere in the application,
// so that a script or a test never blocks on one. A message box takes the queued answer, else
// its default button, else its escape button; a box without buttons is only logged. A file
// dialog takes the queued path for its kind (folder or file) or is cancelled.
class ModalAnswerer : public QObject {
  Q_OBJECT

public:
  struct ShownMessage {
    QString title;
    QString text;
  };

  explicit ModalAnswerer(QObject* parent = nullptr);
  ~ModalAnswerer() override;

  // Answers are used once, in order: "Ok", "Yes" or "No"; paths for pickers.
  void queueMessageAnswer(const QString& button);
  void queueFile(const QString& path);
  void queueFolder(const QString& path);

  const std::vector<ShownMessage>& shownMessages() const { return m_shown; }
  // A box or picker has been shown and is about to be answered: nobody else should act now.
  bool isAnswering() const { return m_pending > 0; }

  // "[message] TITLE | TEXT", line breaks written as \n.
  static QString describe(const ShownMessage& message);

signals:
  void messageShown(const QString& title, const QString& text);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  template <class Dialog>
  void answerSoon(Dialog* dialog);
  void answer(QMessageBox* box);
  void answer(QFileDialog* dialog);

  std::deque<QString> m_messageAnswers, m_files, m_folders;
  std::vector<ShownMessage> m_shown;
  int m_pending = 0;
};

} // namespace hostapp
