#pragma once
#include "Coordinates.h"
#include "Curves.h"
#include "Orientation.h"
#include "TextDecoder.h"

#include <OdString.h>

#include <vector>

namespace dgn {

// Geometry read from single elements, in drawing coordinates. Each reader answers false when
// the element is too short, its values are not finite, or it holds nothing drawable.

// Vertices of lines (3), line strings (4), shapes (6), curves (11), poles (21) and point
// strings (22). A stored count beyond the element's size is clipped to what the element holds.
bool readVertices(const Element& e, const CoordinateMap& map, std::vector<OdGePoint3d>& out);

// An ellipse (15) or elliptical arc (16): centre + cos(t) * xAxis + sin(t) * yAxis, for t from
// start over sweep (radians; full for a closed ellipse).
struct Conic {
  OdGePoint3d center;
  OdGeVector3d xAxis, yAxis, normal = OdGeVector3d::zAxis();
  double start = 0.0, sweep = 0.0;
  bool full = true;
  bool isCircular() const;
  OdGePoint3d at(double t) const;
};
bool readConic(const Element& e, const CoordinateMap& map, Conic& out);

// Text (17) and the header of a text node (7).
struct TextData {
  OdGePoint3d origin;
  double height = 0.0, width = 0.0; // character size
  OdGeVector3d normal = OdGeVector3d::zAxis(); // of the text's plane
  double rotation = 0.0;            // radians, from the x axis the drawing format gives that plane
  double lineSpacing = 0.0;         // text nodes: from the bottom of a line to the top of the next
  int justification = 0;
  OdString text;
};
bool readText(const Element& e, const CoordinateMap& map, TextDecoder& decoder, TextData& out);
bool readTextNode(const Element& e, const CoordinateMap& map, TextData& out);
// Where a text element's characters lie, and how many of them the element holds.
uint32_t textCharacters(const Element& e, bool is3d, uint32_t& count);

// The cell header's (2) name (radix-50) and origin.
bool readCell(const Element& e, const CoordinateMap& map, OdString& name, OdGePoint3d& origin);

// A shared cell definition (34) or instance (35): the name that ties an instance to its
// definition, the origin, and the transformation from the definition into the design.
struct SharedCell {
  OdString name;
  OdGePoint3d origin;
  Axes axes;
};
bool readSharedCell(const Element& e, const CoordinateMap& map, SharedCell& out);

// Words of components that follow a complex header, from its stored total length; -1 when the
// element is not a complex header or its length is inconsistent.
long componentWords(const Element& header);

// The diagonal of the range block an element stores, in UOR, over the file's `dimensions` (a 2D
// file's z range spans every value): how large MicroStation found it.
double storedRangeSize(const Element& e, int dimensions);

// A B-spline curve header (27).
struct SplineHeader {
  int order = 2;
  bool closed = false, rational = false;
  int poles = 0, knots = 0;
};
bool readSplineHeader(const Element& e, SplineHeader& out);
// The B-spline curve a header with its poles (21), interior knots (26) and weights (28)
// describes. A closed one comes unwrapped: its first poles again at the end, its knots continued
// periodically. No stored knots means uniform ones; stored knots of another count than the
// header's, or that decrease or leave 0 to 1, give way to uniform ones too, and weights not all
// above zero to none: `repaired` says so.
BSplineCurve splineCurve(const SplineHeader& h, std::vector<OdGePoint3d> poles, const std::vector<double>& knots,
                         std::vector<double> weights, bool& repaired);

// Fractions (knots of 26, weights of 28): 32-bit fixed point, 1.0 = 2^31 - 1.
void readFractions(const Element& e, int count, std::vector<double>& out);

} // namespace dgn
