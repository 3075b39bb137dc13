#include "DxfExtents.h"

#include "DxfCodes.h"

#include <cmath>
#include <cstdint>

namespace dxf {

namespace {

// Adds the points of center + cos(t) x + sin(t) y, t from t0 to t1 (radians, t1 >= t0): its ends,
// and wherever a coordinate is at its least or most between them.
void addConic(Box& box, const OdGePoint3d& c, const OdGeVector3d& x, const OdGeVector3d& y, double t0, double t1)
{
  const auto at = [&](double t) {
    return OdGePoint3d{c.x + std::cos(t) * x.x + std::sin(t) * y.x, c.y + std::cos(t) * x.y + std::sin(t) * y.y,
                       c.z + std::cos(t) * x.z + std::sin(t) * y.z};
  };
  box.add(at(t0));
  box.add(at(t1));
  for (const double extreme : {std::atan2(y.x, x.x), std::atan2(y.y, x.y), std::atan2(y.z, x.z)})
    for (double t = extreme + kPi * std::ceil((t0 - extreme) / kPi); t <= t1; t += kPi)
      box.add(at(t));
}

// Adds where a reference puts its block's content: the 8 corners of the content's box, placed as
// the reference places them (block origin, scale, rotation in the reference's plane, position).
// Without content (none, or a block still being worked out) the reference counts by its position.
void place(Box& box, const OdDbBlockReference& insert, const OdGePoint3d& origin, const Box* content)
{
  if (!content || content->min.x > content->max.x) {
    box.add(insert.position);
    return;
  }
  const Ocs plane(insert.normal);
  const double c = std::cos(insert.rotation), s = std::sin(insert.rotation);
  for (int corner = 0; corner < 8; ++corner) {
    const OdGePoint3d p{corner & 1 ? content->max.x : content->min.x, corner & 2 ? content->max.y : content->min.y,
                        corner & 4 ? content->max.z : content->min.z};
    const double x = (p.x - origin.x) * insert.scale.x, y = (p.y - origin.y) * insert.scale.y;
    const OdGePoint3d turned = plane.toWorld({c * x - s * y, s * x + c * y, (p.z - origin.z) * insert.scale.z});
    box.add({insert.position.x + turned.x, insert.position.y + turned.y, insert.position.z + turned.z});
  }
}

} // namespace

void extendBy(Box& box, const OdDbLine& line)
{
  box.add(line.start);
  box.add(line.end);
}

void extendBy(Box& box, const OdDbPoint& point)
{
  box.add(point.position);
}

void extendBy(Box& box, const OdDbCircle& circle)
{
  const Ocs plane(circle.normal);
  addConic(box, circle.center, plane.axis(0, circle.radius), plane.axis(1, circle.radius), 0.0, 2 * kPi);
}

void extendBy(Box& box, const OdDbArc& arc)
{
  const Ocs plane(arc.normal);
  const double end = arc.endAngle >= arc.startAngle ? arc.endAngle : arc.endAngle + 2 * kPi;
  addConic(box, arc.center, plane.axis(0, arc.radius), plane.axis(1, arc.radius), arc.startAngle, end);
}

void extendBy(Box& box, const OdDbEllipse& ellipse)
{
  const OdGeVector3d& a = ellipse.majorAxis;
  const OdGeVector3d& n = ellipse.normal;
  const double len = n.length() > 0 ? n.length() : 1.0, r = ellipse.radiusRatio / len;
  const OdGeVector3d b{(n.y * a.z - n.z * a.y) * r, (n.z * a.x - n.x * a.z) * r, (n.x * a.y - n.y * a.x) * r};
  const double end = ellipse.endParam >= ellipse.startParam ? ellipse.endParam : ellipse.endParam + 2 * kPi;
  addConic(box, ellipse.center, a, b, ellipse.startParam, end);
}

void extendBy(Box& box, const OdDbPolyline& pline)
{
  const double z = pline.elevation();
  if (pline.normal() == OdGeVector3d::zAxis()) {
    for (const OdGePoint2d& p : pline.points)
      box.add({p.x, p.y, z});
    return;
  }
  const Ocs ocs(pline.normal());
  for (const OdGePoint2d& p : pline.points)
    box.add(ocs.toWorld({p.x, p.y, z}));
}

template <class T>
void extendByPoints(Box& box, const std::vector<T>& points)
{
  for (const auto& p : points)
    box.add(p);
}

void extendBy(Box& box, const OdDb3dPolyline& pline)
{
  extendByPoints(box, pline.vertices);
}

void extendBy(Box& box, const OdDbPolyFaceMesh& mesh)
{
  extendByPoints(box, mesh.vertices);
}

void extendBy(Box& box, const OdDbSpline& spline)
{
  extendByPoints(box, spline.controlPoints); // the curve stays in their hull
}

void extendBy(Box& box, const OdDbText& text)
{
  box.add(text.position);
}

void extendBy(Box& box, const OdDbMText& mtext)
{
  box.add(mtext.location);
}

// The edges in the plane: lines by their ends, arcs as the conics they are.
void extendBy(Box& box, const OdDbHatch& hatch)
{
  const Ocs ocs(hatch.normal);
  const auto world = [&](const OdGePoint2d& p) { return ocs.toWorld({p.x, p.y, hatch.elevation}); };
  const auto vector = [&](double x, double y) {
    const OdGePoint3d v = ocs.toWorld({x, y, 0.0});
    return OdGeVector3d{v.x, v.y, v.z};
  };
  for (const OdDbHatch::Loop& loop : hatch.loops()) {
    for (const OdDbHatch::Edge& edge : loop.edges) {
      if (edge.type == OdDbHatch::kLine) {
        box.add(world(edge.start));
        box.add(world(edge.end));
        continue;
      }
      // Counter-clockwise from the one end to the other.
      const double from = edge.counterClockwise ? edge.startAngle : edge.endAngle;
      double to = edge.counterClockwise ? edge.endAngle : edge.startAngle;
      if (to < from)
        to += 2 * kPi;
      const OdGePoint2d& a = edge.majorAxis;
      if (edge.type == OdDbHatch::kEllArc)
        addConic(box, world(edge.center), vector(a.x, a.y), vector(-a.y * edge.ratio, a.x * edge.ratio), from, to);
      else
        addConic(box, world(edge.center), vector(edge.radius, 0.0), vector(0.0, edge.radius), from, to);
    }
  }
}

void extendByAttributes(Box& box, const OdDbBlockReference& reference)
{
  for (OdDbObjectId id : reference.attributeIds())
    if (const OdDbObject* attribute = id.peekObject(); attribute && attribute->isKindOf(OdDbAttribute::desc()))
      extendBy(box, static_cast<const OdDbText&>(*static_cast<const OdDbAttribute*>(attribute)));
}

void BlockBoxes::placeIn(Box& box, const OdDbBlockReference* insert, size_t target) const
{
  if (!insert) {
    if (target != kNoBlock && m_boxes[target].min.x <= m_boxes[target].max.x)
      box.merge(m_boxes[target]);
  } else if (target == kNoBlock) {
    place(box, *insert, OdGePoint3d{}, nullptr);
  } else {
    place(box, *insert, m_originOf(target), &m_boxes[target]);
  }
}

// Depth first, with a stack of its own: references may nest as deep as there are blocks. A block's
// box is finished before any reference to it is placed; a reference back into a block not
// finished yet (one that holds itself, through others or not) counts by its position.
void BlockBoxes::placeNested(const std::vector<Reference>& references)
{
  enum : uint8_t { kFinished, kUnseen, kOpen };
  std::vector<uint8_t> state(m_boxes.size(), kFinished); // a block without references is, as it is
  for (const Reference& r : references)
    state[r.owner] = kUnseen;
  struct Visit {
    size_t block, next, end; // references[next] to references[end - 1]: the block's still to place
  };
  const auto open = [&](size_t block) {
    state[block] = kOpen;
    const auto [first, last] = std::equal_range(references.begin(), references.end(), Reference{block, 0, nullptr},
                                                [](const Reference& a, const Reference& b) { return a.owner < b.owner; });
    return Visit{block, size_t(first - references.begin()), size_t(last - references.begin())};
  };
  std::vector<Visit> stack;
  for (const Reference& start : references) {
    if (state[start.owner] != kUnseen)
      continue;
    stack.push_back(open(start.owner));
    while (!stack.empty()) {
      Visit& top = stack.back();
      if (top.next == top.end) {
        state[top.block] = kFinished;
        stack.pop_back();
        continue;
      }
      const Reference& r = references[top.next];
      if (r.target != kNoBlock && state[r.target] == kUnseen) {
        stack.push_back(open(r.target)); // comes back to this reference once that block is finished
        continue;
      }
      placeIn(m_boxes[top.block], r.insert, r.target != kNoBlock && state[r.target] == kFinished ? r.target : kNoBlock);
      ++top.next;
    }
  }
}

} // namespace dxf
