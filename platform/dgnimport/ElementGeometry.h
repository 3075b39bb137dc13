#pragma once
#include "Coordinates.h"

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
  double rotation = 0.0;            // radians, about the z axis
  int justification = 0;
  OdString text;
};
bool readText(const Element& e, const CoordinateMap& map, TextData& out);
bool readTextNode(const Element& e, const CoordinateMap& map, TextData& out);

// The cell header's (2) name (radix-50) and origin.
bool readCell(const Element& e, const CoordinateMap& map, OdString& name, OdGePoint3d& origin);

// Words of components that follow a complex header, from its stored total length; -1 when the
// element is not a complex header or its length is inconsistent.
long componentWords(const Element& header);

// A B-spline curve header (27).
struct SplineHeader {
  int order = 2;
  bool closed = false, rational = false;
  int poles = 0, knots = 0;
};
bool readSplineHeader(const Element& e, SplineHeader& out);
// Fractions (knots of 26, weights of 28): 32-bit fixed point, 1.0 = 2^31 - 1.
void readFractions(const Element& e, int count, std::vector<double>& out);

} // namespace dgn
