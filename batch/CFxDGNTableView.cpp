#include "CFxDGNTableView.h"

#include <QMouseEvent>

CFxDGNTableView::CFxDGNTableView(QWidget* parent) : QTableView(parent) {}

CFxDGNTableView::~CFxDGNTableView() = default;

void CFxDGNTableView::mousePressEvent(QMouseEvent* event)
{
  if (selectionModel())
    m_savedSelection = selectionModel()->selection();
  m_rightButton = event->button() == Qt::RightButton;
  QTableView::mousePressEvent(event);
}

void CFxDGNTableView::mouseReleaseEvent(QMouseEvent* event)
{
  m_rightButton = event->button() == Qt::RightButton;
  QTableView::mouseReleaseEvent(event);
  if (m_rightButton && !indexAt(event->pos()).isValid() && selectionModel())
    selectionModel()->select(m_savedSelection, QItemSelectionModel::Select);
  m_rightButton = false;
}
