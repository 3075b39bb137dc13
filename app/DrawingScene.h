#pragma once
#include <DbDatabase.h>

#include <QColor>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <vector>

class QPainter;

namespace hostapp {

// Model space flattened into what a plan view draws: polylines and texts in world x/y, block
// references expanded. Built once per change of the drawing, so painting stays cheap.
class DrawingScene {
public:
  struct Path {
    QPolygonF points; // one point: a point entity
    QColor color;
    bool filled = false; // a hatch's loop: its inside painted
  };
  struct Text {
    QPointF position;
    double height;
    double rotation; // radians
    QString text;
    QColor color;
    // Where `position` lies on the text: its start, centre or end (0, 0.5, 1 of its width), and
    // on its base line or half its height above it.
    double alongWidth = 0.0;
    bool middle = false;
  };

  // Block references nest at most this deep; deeper ones (and cycles) are not drawn.
  static constexpr int kMaxNesting = 16;

  void build(const OdDbDatabase& db);
  const std::vector<Path>& paths() const { return m_paths; }
  const std::vector<Text>& texts() const { return m_texts; }
  // The extents of everything drawn (y up, so top() is the lowest y); false for an empty drawing.
  bool hasExtents() const { return m_hasExtents; }
  QRectF extents() const { return m_extents; }

  // Paints into `target` (device pixels) with world y up; `background` decides which colour
  // index 7 takes.
  void paint(QPainter& painter, const QTransform& worldToDevice, const QColor& background) const;
  // The transform that fits the extents into `target` with a margin.
  QTransform fit(const QRectF& target) const;

  // Where a block reference puts a point of its block (insertion point, scale, rotation, base).
  static QTransform referenceTransform(const OdDbBlockReference& reference, const OdGePoint3d& blockOrigin);

private:
  void addBlock(OdDbObjectId blockId, const QTransform& transform, const QColor& blockColor, int depth);
  void addEntity(const OdDbEntity& entity, const QTransform& transform, const QColor& blockColor, int depth);
  void addPath(QPolygonF points, const QTransform& transform, const QColor& color, bool filled = false);
  void addHatch(const OdDbHatch& hatch, const QTransform& transform, const QColor& color);
  QColor colorOf(const OdDbEntity& entity, const QColor& blockColor) const;

  std::vector<Path> m_paths;
  std::vector<Text> m_texts;
  QRectF m_extents;
  bool m_hasExtents = false;
  std::vector<OdDbObjectId> m_openBlocks; // the references being expanded, against cycles
};

// The colour of a drawing palette index; 7 is the contrast colour, given here as black.
QColor aciColor(int index);

} // namespace hostapp
