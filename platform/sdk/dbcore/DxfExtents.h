#pragma once
// The drawing's extents: boxes of entities, and of blocks through references nested any depth.
#include "DbDimension.h"
#include "DbEntities.h"
#include "DbHatch.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace dxf {

struct Box {
  OdGePoint3d min{1e20, 1e20, 1e20}, max{-1e20, -1e20, -1e20};
  void add(const OdGePoint3d& p)
  {
    min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
    max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
  }
  void merge(const Box& other)
  {
    min = {std::min(min.x, other.min.x), std::min(min.y, other.min.y), std::min(min.z, other.min.z)};
    max = {std::max(max.x, other.max.x), std::max(max.y, other.max.y), std::max(max.z, other.max.z)};
  }
};

// Extents: exact for points, lines and conics, a spline's by its control points, a text's by its
// position. Block references and dimensions go by their blocks' boxes (see BlockBoxes).
void extendBy(Box& box, const OdDbLine& line);
void extendBy(Box& box, const OdDbPoint& point);
void extendBy(Box& box, const OdDbCircle& circle);
void extendBy(Box& box, const OdDbArc& arc);
void extendBy(Box& box, const OdDbEllipse& ellipse);
void extendBy(Box& box, const OdDbPolyline& pline);
void extendBy(Box& box, const OdDb3dPolyline& pline);
void extendBy(Box& box, const OdDbPolyFaceMesh& mesh);
void extendBy(Box& box, const OdDbSpline& spline);
void extendBy(Box& box, const OdDbText& text);
void extendBy(Box& box, const OdDbMText& mtext);
void extendBy(Box& box, const OdDbHatch& hatch);
// A reference's attributes, which lie where they are, not where the reference puts its block.
void extendByAttributes(Box& box, const OdDbBlockReference& reference);

// A block reference or a dimension on the way to the extents: it is placed once the block it
// draws has its box.
struct Reference {
  size_t owner, target; // the blocks holding it and named by it, by index (target kNoBlock: none to place)
  const OdDbBlockReference* insert; // null for a dimension, which draws its block where it is
};
constexpr size_t kNoBlock = ~size_t(0);

// The boxes of a drawing's blocks, by index. Each block's is worked out once, however many
// references place it and however deep they nest.
class BlockBoxes {
public:
  // originOf: the origin of the block of an index.
  BlockBoxes(size_t count, std::function<OdGePoint3d(size_t)> originOf)
      : m_boxes(count), m_originOf(std::move(originOf))
  {
  }
  Box& operator[](size_t block) { return m_boxes[block]; }
  // Adds to a box where a reference (null: a dimension) puts the box of block `target`, finished.
  void placeIn(Box& box, const OdDbBlockReference* insert, size_t target) const;
  // Finishes the boxes of the blocks that hold `references` (in the order of their blocks).
  void placeNested(const std::vector<Reference>& references);

private:
  std::vector<Box> m_boxes;
  std::function<OdGePoint3d(size_t)> m_originOf;
};

} // namespace dxf
