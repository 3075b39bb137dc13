#pragma once
#include <QItemSelection>
#include <QTableView>

// The table of one DGN file's design models under its item in the batch tree. A right-button
// click beside the cells keeps the selection the user had.
class CFxDGNTableView : public QTableView {
  Q_OBJECT

public:
  explicit CFxDGNTableView(QWidget* parent = nullptr);
  ~CFxDGNTableView() override;

  const QItemSelection& savedSelection() const { return m_savedSelection; }
  void setSavedSelection(const QItemSelection& selection) { m_savedSelection = selection; }
  bool isRightButton() const { return m_rightButton; }

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  QItemSelection m_savedSelection;
  bool m_rightButton = false;
};
