#pragma once
#include <QLabel>

// A group heading of a host dialog.
class CFxQtTitleLabel : public QLabel {
  Q_OBJECT

public:
  explicit CFxQtTitleLabel(QWidget* parent = nullptr);
};
