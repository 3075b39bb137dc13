#pragma once
#include "DimensionFormat.h"
#include "Dimensions.h"

#include <array>
#include <string>
#include <vector>

namespace dgn {

// A text of a dimension, its box's vertical middle at `position`: the middle of the text there,
// or its start or end, in the order it reads.
struct DimensionText {
  enum class Anchor { Start, Middle, End };
  OdGePoint3d position;
  double height = 0.0;
  double rotation = 0.0; // radians; the text reads left to right, or upwards
  Anchor anchor = Anchor::Middle;
  std::string text; // eight-bit characters, as the file stores them
};

// What a dimension entity is defined by, beside its drawing.
struct DimensionEntity {
  enum class Kind { RotatedLinear, Leader, Other };
  Kind kind = Kind::Other;
  OdGePoint3d first, last; // the first and the last point
  OdGePoint3d linePoint;   // on the dimension line, where the last point's witness line meets it
  OdGePoint3d textPosition;
  double rotation = 0.0;    // of the dimension line, radians
  double measurement = 0.0; // the segments' lengths times the dimension's scale
  // The texts shown, one per segment and separated by a blank, when a stored one differs from
  // the value; empty otherwise.
  std::string textOverride;
};

// A dimension drawn as MicroStation draws it: open polylines, closed triangles for arrowheads,
// and texts, in drawing coordinates.
struct DimensionGraphics {
  std::vector<std::vector<OdGePoint3d>> lines;
  std::vector<std::array<OdGePoint3d, 3>> arrowheads;
  std::vector<DimensionText> texts;
  DimensionEntity entity;
};

// Linear dimensions get witness lines, a dimension line, arrowheads and a text per segment;
// leaders a polyline with an arrowhead at their first point; other kinds, whose drawing is not
// known, a polyline through their points. False while a point waits for its target.
bool drawDimension(const DimensionData& d, const DimensionFormat& format, DimensionGraphics& out);

} // namespace dgn
