#include "HeadedGroup.h"

HeadedGroup makeHeadedGroup(QWidget* parent, const char* layoutName, const char* labelName, const char* lineName,
                            int topMargin)
{
  HeadedGroup group;
  group.layout = new QVBoxLayout();
  group.layout->setSpacing(2);
  group.layout->setObjectName(QString::fromLatin1(layoutName));
  group.layout->setContentsMargins(-1, topMargin, -1, -1);
  group.label = new CFxQtTitleLabel(parent);
  group.label->setObjectName(QString::fromLatin1(labelName));
  group.label->setSizePolicy(QSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed));
  group.layout->addWidget(group.label);
  group.line = new QFrame(parent);
  group.line->setObjectName(QString::fromLatin1(lineName));
  group.line->setFrameShape(QFrame::HLine);
  group.line->setFrameShadow(QFrame::Sunken);
  group.layout->addWidget(group.line);
  return group;
}
