#pragma once
#include <QDialog>

// Base of the host's dialogs: modal by exec, a Help button slot, and the editor-command hooks
// a dialog uses to hide itself while the user picks in the drawing.
class CFxDialog : public QDialog {
  Q_OBJECT

public:
  // `selfContained` is true for small dialogs that are not tied to a command's drawing work.
  CFxDialog(QWidget* parent, bool selfContained, Qt::WindowFlags flags);
  ~CFxDialog() override;

  // The help topic Help() shows; 0 when the dialog has none.
  virtual long GetHelpId() const;

  // Hides the dialog so the user can work in the drawing; Complete shows it again, Cancel
  // ends it with reject().
  void BeginEditorCommand();
  void CompleteEditorCommand();
  void CancelEditorCommand();
  bool isInEditorCommand() const { return m_inEditorCommand; }

public slots:
  // Shows a short help text naming the dialog and its help topic.
  virtual void Help();

private:
  bool m_selfContained;
  bool m_inEditorCommand = false;
};
