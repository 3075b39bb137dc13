#include "DrawingView.h"

#include "DrawingScene.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace hostapp {

DrawingView::DrawingView(const DrawingScene& scene, QWidget* parent) : QWidget(parent), m_scene(scene)
{
  setObjectName(QStringLiteral("drawingView"));
  setAutoFillBackground(true);
  setPalette(QPalette(Qt::white));
  setMinimumSize(640, 400);
  setMouseTracking(false);
}

void DrawingView::zoomExtents()
{
  m_view = m_scene.fit(QRectF(rect()));
  m_fitted = true;
  update();
}

void DrawingView::paintEvent(QPaintEvent*)
{
  QPainter painter(this);
  m_scene.paint(painter, m_view, palette().color(QPalette::Window));
}

void DrawingView::resizeEvent(QResizeEvent*)
{
  if (!m_fitted || m_scene.paths().empty())
    zoomExtents();
}

void DrawingView::mousePressEvent(QMouseEvent* event)
{
  if (event->button() != Qt::LeftButton && event->button() != Qt::MiddleButton)
    return;
  m_dragging = true;
  m_lastDrag = event->pos();
  setCursor(Qt::ClosedHandCursor);
}

void DrawingView::mouseMoveEvent(QMouseEvent* event)
{
  if (!m_dragging)
    return;
  const QPoint delta = event->pos() - m_lastDrag;
  m_lastDrag = event->pos();
  m_view *= QTransform::fromTranslate(delta.x(), delta.y());
  update();
}

void DrawingView::mouseReleaseEvent(QMouseEvent*)
{
  m_dragging = false;
  unsetCursor();
}

void DrawingView::wheelEvent(QWheelEvent* event)
{
  const double factor = std::pow(1.0015, event->angleDelta().y());
  const QPointF at = event->position();
  m_view *= QTransform::fromTranslate(-at.x(), -at.y()) * QTransform::fromScale(factor, factor) *
            QTransform::fromTranslate(at.x(), at.y());
  update();
}

} // namespace hostapp
