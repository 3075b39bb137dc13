#include "DrawingScene.h"

#include <CFxString.h>
#include <DbDimension.h>
#include <DbHatch.h>

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace hostapp {

namespace {

constexpr int kCircleSegments = 96;

template <class T>
OdSmartPtr<T> openAs(OdDbObjectId id)
{
  if (id.isNull())
    return OdSmartPtr<T>();
  return OdSmartPtr<T>(T::cast(id.openObject(OdDb::kForRead, true).get()));
}

QPolygonF arcPoints(double cx, double cy, double rx, double ry, double rotation, double start, double end)
{
  while (end <= start)
    end += 2 * M_PI;
  const int segments = std::max(4, int(std::ceil(kCircleSegments * (end - start) / (2 * M_PI))));
  QPolygonF points;
  points.reserve(segments + 1);
  const double c = std::cos(rotation), s = std::sin(rotation);
  for (int i = 0; i <= segments; ++i) {
    const double t = start + (end - start) * i / segments;
    const double x = rx * std::cos(t), y = ry * std::sin(t);
    points << QPointF(cx + x * c - y * s, cy + x * s + y * c);
  }
  return points;
}

// The bulged segment from a to b as points after a (b included).
void appendBulge(QPolygonF& points, QPointF a, QPointF b, double bulge)
{
  if (bulge == 0.0) {
    points << b;
    return;
  }
  const double angle = 4 * std::atan(bulge);
  const QPointF chord = b - a;
  const double length = std::hypot(chord.x(), chord.y());
  if (length == 0.0)
    return;
  const double radius = length / (2 * std::sin(std::fabs(angle) / 2));
  const double toCentre = radius * std::cos(angle / 2) * (bulge > 0 ? 1 : -1);
  const QPointF mid = (a + b) / 2;
  const QPointF normal(-chord.y() / length, chord.x() / length);
  const QPointF centre = mid + normal * toCentre;
  const double start = std::atan2(a.y() - centre.y(), a.x() - centre.x());
  const int segments = std::max(2, int(std::ceil(kCircleSegments * std::fabs(angle) / (2 * M_PI))));
  for (int i = 1; i <= segments; ++i) {
    const double t = start + angle * i / segments;
    points << centre + QPointF(std::cos(t), std::sin(t)) * std::fabs(radius);
  }
}

// A NURBS curve evaluated with de Boor's algorithm; the control polygon when the knots do not fit.
QPolygonF splinePoints(const OdDbSpline& spline)
{
  const int p = spline.degree;
  const auto& cps = spline.controlPoints;
  const int n = int(cps.size());
  const auto& knots = spline.knots;
  QPolygonF points;
  if (p < 1 || n <= p || int(knots.size()) != n + p + 1) {
    for (const OdGePoint3d& c : cps)
      points << QPointF(c.x, c.y);
    return points;
  }
  const bool rational = spline.weights.size() == cps.size();
  const double lo = knots[p], hi = knots[n];
  const int samples = std::max(16, 8 * n);
  std::vector<double> x(p + 1), y(p + 1), w(p + 1);
  for (int i = 0; i <= samples; ++i) {
    const double u = lo + (hi - lo) * i / samples;
    int k = p;
    while (k < n - 1 && u >= knots[k + 1])
      ++k;
    for (int j = 0; j <= p; ++j) {
      const int index = k - p + j;
      const double weight = rational ? spline.weights[index] : 1.0;
      x[j] = cps[index].x * weight;
      y[j] = cps[index].y * weight;
      w[j] = weight;
    }
    for (int r = 1; r <= p; ++r)
      for (int j = p; j >= r; --j) {
        const double left = knots[k - p + j], right = knots[k + 1 + j - r];
        const double a = right > left ? (u - left) / (right - left) : 0.0;
        x[j] = (1 - a) * x[j - 1] + a * x[j];
        y[j] = (1 - a) * y[j - 1] + a * y[j];
        w[j] = (1 - a) * w[j - 1] + a * w[j];
      }
    if (w[p] != 0.0)
      points << QPointF(x[p] / w[p], y[p] / w[p]);
  }
  return points;
}

} // namespace

QColor aciColor(int index)
{
  static const QColor kBasic[] = {Qt::black,         QColor(255, 0, 0),   QColor(255, 255, 0), QColor(0, 255, 0),
                                  QColor(0, 255, 255), QColor(0, 0, 255), QColor(255, 0, 255), Qt::black,
                                  QColor(128, 128, 128), QColor(192, 192, 192)};
  if (index >= 1 && index <= 9)
    return kBasic[index];
  if (index >= 250 && index <= 255)
    return QColor::fromHsv(0, 0, 51 + (index - 250) * 40);
  if (index > 9 && index < 250) // hue in steps of 10 degrees, shades in the last digit
    return QColor::fromHsv(((index - 10) / 10) * 15 % 360, 255, 255 - (index % 10) / 2 * 40);
  return Qt::black;
}

QTransform DrawingScene::referenceTransform(const OdDbBlockReference& reference, const OdGePoint3d& blockOrigin)
{
  QTransform t;
  t.translate(reference.position.x, reference.position.y);
  t.rotateRadians(reference.rotation);
  t.scale(reference.scale.x, reference.scale.y);
  t.translate(-blockOrigin.x, -blockOrigin.y);
  return t;
}

void DrawingScene::build(const OdDbDatabase& db)
{
  m_paths.clear();
  m_texts.clear();
  m_extents = QRectF();
  m_hasExtents = false;
  m_openBlocks.clear();
  addBlock(db.getModelSpaceId(), QTransform(), Qt::black, 0);
}

void DrawingScene::addBlock(OdDbObjectId blockId, const QTransform& transform, const QColor& blockColor, int depth)
{
  OdDbBlockTableRecordPtr block = openAs<OdDbBlockTableRecord>(blockId);
  if (block.isNull() || depth > kMaxNesting ||
      std::find(m_openBlocks.begin(), m_openBlocks.end(), blockId) != m_openBlocks.end())
    return;
  m_openBlocks.push_back(blockId);
  for (OdDbObjectId id : block->entityIds()) {
    OdDbEntityPtr entity = openAs<OdDbEntity>(id);
    if (!entity.isNull() && !entity->isErased() && entity->isVisible())
      addEntity(*entity, transform, blockColor, depth);
  }
  m_openBlocks.pop_back();
}

QColor DrawingScene::colorOf(const OdDbEntity& entity, const QColor& blockColor) const
{
  OdCmColor color = entity.color();
  if (color.colorMethod() == OdCmColor::kByBlock)
    return blockColor;
  if (color.colorMethod() == OdCmColor::kByLayer) {
    OdDbLayerTableRecordPtr layer = openAs<OdDbLayerTableRecord>(entity.layerId());
    color = layer.isNull() ? OdCmColor::fromIndex(7) : layer->color;
  }
  if (color.colorMethod() == OdCmColor::kByColor)
    return QColor::fromRgb(QRgb(color.rgb()));
  return aciColor(color.colorIndex());
}

void DrawingScene::addPath(QPolygonF points, const QTransform& transform, const QColor& color, bool filled)
{
  if (points.isEmpty())
    return;
  points = transform.map(points);
  for (const QPointF& p : points) {
    if (!m_hasExtents) {
      m_extents = QRectF(p, QSizeF(0, 0));
      m_hasExtents = true;
      continue;
    }
    m_extents.setLeft(std::min(m_extents.left(), p.x()));
    m_extents.setRight(std::max(m_extents.right(), p.x()));
    m_extents.setTop(std::min(m_extents.top(), p.y()));
    m_extents.setBottom(std::max(m_extents.bottom(), p.y()));
  }
  m_paths.push_back({std::move(points), color, filled});
}

void DrawingScene::addEntity(const OdDbEntity& entity, const QTransform& transform, const QColor& blockColor,
                             int depth)
{
  const QColor color = colorOf(entity, blockColor);
  if (auto* line = OdDbLine::cast(&entity).get()) {
    addPath(QPolygonF(QVector<QPointF>{QPointF(line->start.x, line->start.y), QPointF(line->end.x, line->end.y)}), transform, color);
  } else if (auto* point = OdDbPoint::cast(&entity).get()) {
    addPath(QPolygonF(QVector<QPointF>{QPointF(point->position.x, point->position.y)}), transform, color);
  } else if (auto* circle = OdDbCircle::cast(&entity).get()) {
    addPath(arcPoints(circle->center.x, circle->center.y, circle->radius, circle->radius, 0, 0, 2 * M_PI), transform,
            color);
  } else if (auto* arc = OdDbArc::cast(&entity).get()) {
    addPath(arcPoints(arc->center.x, arc->center.y, arc->radius, arc->radius, 0, arc->startAngle, arc->endAngle),
            transform, color);
  } else if (auto* ellipse = OdDbEllipse::cast(&entity).get()) {
    const double major = std::hypot(ellipse->majorAxis.x, ellipse->majorAxis.y);
    addPath(arcPoints(ellipse->center.x, ellipse->center.y, major, major * ellipse->radiusRatio,
                      std::atan2(ellipse->majorAxis.y, ellipse->majorAxis.x), ellipse->startParam, ellipse->endParam),
            transform, color);
  } else if (auto* polyline = OdDbPolyline::cast(&entity).get()) {
    QPolygonF points;
    const auto& v = polyline->points;
    for (size_t i = 0; i < v.size(); ++i) {
      const QPointF here(v[i].x, v[i].y);
      if (points.isEmpty())
        points << here;
      const bool last = i + 1 == v.size();
      if (last && !polyline->closed)
        break;
      const OdGePoint2d& next = v[last ? 0 : i + 1];
      appendBulge(points, here, QPointF(next.x, next.y), polyline->bulgeAt(i));
    }
    addPath(points, transform, color);
  } else if (auto* polyline3d = OdDb3dPolyline::cast(&entity).get()) {
    QPolygonF points;
    for (const OdGePoint3d& p : polyline3d->vertices)
      points << QPointF(p.x, p.y);
    if (polyline3d->closed && !points.isEmpty())
      points << points.first();
    addPath(points, transform, color);
  } else if (auto* mesh = OdDbPolyFaceMesh::cast(&entity).get()) {
    // Seen from above: the edges of its faces.
    for (const OdDbPolyFaceMesh::Face& face : mesh->faces) {
      QPolygonF points;
      for (int i = 0; i <= face.count(); ++i) {
        const size_t v = size_t(face.vertices[i % face.count()]);
        if (v < mesh->vertices.size())
          points << QPointF(mesh->vertices[v].x, mesh->vertices[v].y);
      }
      addPath(points, transform, color);
    }
  } else if (auto* spline = OdDbSpline::cast(&entity).get()) {
    addPath(splinePoints(*spline), transform, color);
  } else if (OdDbAttributeDefinition::cast(&entity).get()) {
    // A block's attribute definition shows through its references' attributes only.
  } else if (auto* text = OdDbText::cast(&entity).get()) {
    // Aligned otherwise than left on the base line, a text hangs from its alignment point.
    const bool aligned = text->horizontalMode != OdDb::kTextLeft || text->verticalMode != OdDb::kTextBase;
    const OdGePoint3d& anchor = aligned ? text->alignmentPoint : text->position;
    const QPointF at = transform.map(QPointF(anchor.x, anchor.y));
    const double scale = std::sqrt(std::fabs(transform.determinant()));
    m_texts.push_back({at, text->height * scale, text->rotation + std::atan2(transform.m12(), transform.m11()),
                       CFxString(text->text).toQString(), color, text->horizontalMode * 0.5,
                       text->verticalMode == OdDb::kTextVertMid});
    addPath(QPolygonF(QVector<QPointF>{QPointF(text->position.x, text->position.y)}), transform, color);
  } else if (auto* mtext = OdDbMText::cast(&entity).get()) {
    const QPointF at = transform.map(QPointF(mtext->location.x, mtext->location.y));
    const double scale = std::sqrt(std::fabs(transform.determinant()));
    QString contents = CFxString(mtext->contents).toQString();
    contents.replace(QLatin1String("\\P"), QLatin1String("\n"));
    m_texts.push_back({at, mtext->textHeight * scale, mtext->rotation + std::atan2(transform.m12(), transform.m11()),
                       contents, color});
    addPath(QPolygonF(QVector<QPointF>{QPointF(mtext->location.x, mtext->location.y)}), transform, color);
  } else if (auto* reference = OdDbBlockReference::cast(&entity).get()) {
    OdDbBlockTableRecordPtr block = openAs<OdDbBlockTableRecord>(reference->blockTableRecord);
    if (!block.isNull())
      addBlock(reference->blockTableRecord, referenceTransform(*reference, block->origin) * transform, color,
               depth + 1);
    for (OdDbObjectId id : reference->attributeIds()) // in the world, as their reference shows them
      if (OdDbAttributePtr attribute = openAs<OdDbAttribute>(id); !attribute.isNull() && !attribute->invisible)
        addEntity(*attribute, transform, color, depth);
  } else if (auto* dimension = OdDbDimension::cast(&entity).get()) {
    addBlock(dimension->dimBlockId(), transform, color, depth + 1); // its block lies in the world
  } else if (auto* hatch = OdDbHatch::cast(&entity).get()) {
    addHatch(*hatch, transform, color);
  }
}

void DrawingScene::addHatch(const OdDbHatch& hatch, const QTransform& transform, const QColor& color)
{
  // Seen from above: each loop's edges one after the other, filled.
  for (const OdDbHatch::Loop& loop : hatch.loops()) {
    QPolygonF points;
    for (const OdDbHatch::Edge& e : loop.edges) {
      if (e.type == OdDbHatch::kLine) {
        points << QPointF(e.start.x, e.start.y) << QPointF(e.end.x, e.end.y);
        continue;
      }
      const bool circular = e.type == OdDbHatch::kCirArc;
      const double major = circular ? e.radius : std::hypot(e.majorAxis.x, e.majorAxis.y);
      const double turn = circular ? 0.0 : std::atan2(e.majorAxis.y, e.majorAxis.x);
      // A clockwise edge runs from its start down to its end: the same arc the other way round.
      QPolygonF arc = arcPoints(e.center.x, e.center.y, major, major * (circular ? 1.0 : e.ratio), turn,
                                e.counterClockwise ? e.startAngle : e.endAngle, e.counterClockwise ? e.endAngle : e.startAngle);
      if (!e.counterClockwise)
        std::reverse(arc.begin(), arc.end());
      points << arc;
    }
    addPath(points, transform, color, true);
  }
}

QTransform DrawingScene::fit(const QRectF& target) const
{
  const QRectF world = m_hasExtents ? m_extents : QRectF(0, 0, 1, 1);
  const double size = std::max({world.width(), world.height(), 1e-9});
  const double w = std::max(world.width(), size * 1e-3), h = std::max(world.height(), size * 1e-3);
  const double scale = 0.92 * std::min(target.width() / w, target.height() / h);
  QTransform t;
  t.translate(target.center().x(), target.center().y());
  t.scale(scale, -scale); // world y points up
  t.translate(-world.center().x(), -world.center().y());
  return t;
}

void DrawingScene::paint(QPainter& painter, const QTransform& worldToDevice, const QColor& background) const
{
  const bool dark = background.lightness() < 128;
  const auto visible = [&](QColor c) { return (c == Qt::black && dark) ? QColor(Qt::white) : c; };
  painter.setRenderHint(QPainter::Antialiasing);
  for (const Path& path : m_paths) {
    QPen pen(visible(path.color), 0);
    pen.setCosmetic(true);
    painter.setPen(pen);
    const QPolygonF device = worldToDevice.map(path.points);
    if (path.filled) {
      painter.setBrush(visible(path.color));
      painter.drawPolygon(device);
      painter.setBrush(Qt::NoBrush);
    } else if (device.size() == 1) {
      painter.drawPoint(device.first());
    } else {
      painter.drawPolyline(device);
    }
  }
  const double scale = std::sqrt(std::fabs(worldToDevice.determinant()));
  for (const Text& text : m_texts) {
    const double pixels = text.height * scale;
    if (pixels < 2.0)
      continue; // too small to read: leave it out rather than draw a smudge
    QFont font = painter.font();
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    painter.save();
    painter.setFont(font);
    painter.setPen(visible(text.color));
    painter.translate(worldToDevice.map(text.position));
    painter.rotate(-text.rotation * 180.0 / M_PI);
    const QStringList lines = text.text.split(QLatin1Char('\n'));
    const QFontMetricsF metrics(font);
    for (int i = 0; i < lines.size(); ++i)
      painter.drawText(QPointF(-text.alongWidth * metrics.horizontalAdvance(lines[i]),
                               i * pixels * 1.4 + (text.middle ? pixels / 2 : 0.0)),
                       lines[i]);
    painter.restore();
  }
}

} // namespace hostapp
