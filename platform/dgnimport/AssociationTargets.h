#pragma once
#include "Coordinates.h"

#include <optional>
#include <unordered_map>
#include <vector>

namespace dgn {

// Where an associative point lies on another element: the target's association id, the vertex
// (or the first vertex of the segment) it is measured from, and how far it lies towards the next.
struct Association {
  uint32_t target = 0;
  uint32_t vertex = 0;
  double fraction = 0.0;
  bool known = true; // false: a kind of association no file has shown; it cannot be evaluated
};

// The elements associative points may lie on: lines, line strings and shapes that carry an
// association id. Only those are kept, with their vertices, so that a file of any size keeps at
// most the vertices of its targets. A dimension may come before its target: its points are
// resolved once the targets are known.
class AssociationTargets {
public:
  // Remembers `e` when it is such a target. The first element with an id keeps it.
  void add(const Element& e, const CoordinateMap& map);
  // Where `a` lies, in drawing coordinates; nothing when its target is unknown or lacks the vertex.
  std::optional<OdGePoint3d> locate(const Association& a) const;
  bool empty() const { return m_vertices.empty(); }

private:
  std::unordered_map<uint32_t, std::vector<OdGePoint3d>> m_vertices;
};

} // namespace dgn
