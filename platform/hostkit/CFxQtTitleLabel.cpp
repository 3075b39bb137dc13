#include <CFxQtTitleLabel.h>

CFxQtTitleLabel::CFxQtTitleLabel(QWidget* parent) : QLabel(parent)
{
  QFont heading = font();
  heading.setBold(true);
  setFont(heading);
}
