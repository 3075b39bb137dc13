#pragma once
#include "AssociationTargets.h"
#include "Coordinates.h"

#include <optional>
#include <string>
#include <vector>

namespace dgn {

// The kinds of dimension whose points are understood. Angular, radial, ordinate and the other
// kinds exist, but no file has shown their numbers or what their points mean.
struct DimensionKind {
  enum : int { Linear = 1, Leader = 53 };
};

// A reference point of a dimension and what the element stores with it.
struct DimensionPoint {
  OdGePoint3d at;           // drawing coordinates, once known
  bool placed = true;       // false while an associative point waits for its target
  bool associative = false; // stored as a place on another element, not as coordinates
  Association association;
  // Point 0: the distance of the dimension line from the point along the y axis. Any other: where
  // the box of the text of the segment ending here starts along the x axis, from the point before.
  double offset = 0.0;
  bool centredText = false; // that text is in its automatic place: centred, or outside when too long
  // That text when the element stores it (eight-bit characters); '*' stands for the value.
  std::optional<std::string> text;
};

// A dimension (33) of a 2D file, in drawing coordinates. Its lines, terminators and texts are
// not stored: MicroStation draws them from these values.
struct DimensionData {
  int kind = 0;
  uint32_t id = 0;          // the dimension's own association id
  double scale = 1.0;       // the value shown is the measured length times this
  double textHeight = 0.0;
  // Orthonormal: along the dimension line, and from the points towards it.
  OdGeVector3d xAxis{1.0, 0.0, 0.0}, yAxis{0.0, 1.0, 0.0};
  std::vector<DimensionPoint> points;

  // Points that wait for a target `targets` knows take their places; true when none waits.
  bool resolve(const AssociationTargets& targets);
};

// False for a 3D file (its dimensions are laid out otherwise, and how is not known), for fewer
// than two points, and for an element too short for its points or with values that cannot be.
bool readDimension(const Element& e, const CoordinateMap& map, DimensionData& out);

} // namespace dgn
