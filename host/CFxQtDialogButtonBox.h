#pragma once
#include <QDialogButtonBox>

// The host's button box: Qt's, with the host's button order whatever the desktop style.
class CFxQtDialogButtonBox : public QDialogButtonBox {
  Q_OBJECT

public:
  explicit CFxQtDialogButtonBox(QWidget* parent = nullptr);

  // The button of a standard-button flag (Ok 0x400, Cancel 0x400000, ...); null if absent.
  QPushButton* button(int standardButton) const;
};
