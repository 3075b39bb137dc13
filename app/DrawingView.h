#pragma once
#include <QTransform>
#include <QWidget>

namespace hostapp {

class DrawingScene;

// The drawing in the host's window: model space as a plan, panned with a mouse drag and zoomed
// with the wheel around the cursor.
class DrawingView : public QWidget {
  Q_OBJECT

public:
  explicit DrawingView(const DrawingScene& scene, QWidget* parent = nullptr);

  void zoomExtents();
  const QTransform& worldToDevice() const { return m_view; }

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

private:
  const DrawingScene& m_scene;
  QTransform m_view;
  QPoint m_lastDrag;
  bool m_dragging = false;
  bool m_fitted = false; // the view has been fitted to the extents at least once
};

} // namespace hostapp
