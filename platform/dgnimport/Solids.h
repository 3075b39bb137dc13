#pragma once
#include "Bounds.h"
#include "ElementGeometry.h"
#include "Mesh.h"

#include <optional>
#include <vector>

namespace dgn {

// A 3D surface or solid header (18, 19).
struct SweptHeader {
  bool solid = false;      // capped at both ends
  bool revolution = false; // the boundaries turn about an axis; else they are joined straight
  int elementsPerBoundary = 1;
};
bool readSweptHeader(const Element& e, SweptHeader& out);

// The components of a 3D surface or solid as they arrive: boundaries (each of the header's
// number of elements, as points along them) and the rule elements that join each boundary to the
// next; a rule arc that meets both gives the axis the first turns about onto the second.
class SweptShape {
public:
  explicit SweptShape(const SweptHeader& header = {}) : m_header(header) {}

  // A boundary element as points along it, or as the conic it is, drawn as finely as the shape.
  void addBoundaryElement(const std::vector<OdGePoint3d>& points, const Conic* conic = nullptr);
  void addRule(const Conic* arc);
  // The points along each boundary, conics within `tolerance`.
  std::vector<std::vector<OdGePoint3d>> outlines(double tolerance) const;
  // The box around the boundaries and the rule arcs: all the shape passes through.
  Bounds bounds() const;

  // Surfaces of projection join each boundary to the next by straight lines between points that
  // correspond; surfaces of revolution turn each boundary about the axis of the rule arc that
  // leads from it to the next, in steps no more than `tolerance` off the true circles and within
  // `maxVertices` in all. Solids are capped where their first and last boundaries are closed.
  // Empty when the shape cannot be swept.
  Mesh mesh(double tolerance, size_t maxVertices) const;

private:
  struct Piece {
    std::vector<OdGePoint3d> points;
    std::optional<Conic> conic;
  };
  typedef std::vector<Piece> Boundary; // of the header's number of elements
  struct Rule {
    Conic arc;
    size_t after; // boundaries before it
  };
  typedef std::pair<std::vector<Rule>::const_iterator, std::vector<Rule>::const_iterator> Rules;
  // The rules that may meet boundary `boundary` (from 0): stored after it, the one before, or the
  // few after; all of them when they are few.
  Rules rulesNear(size_t boundary) const;
  // Points along a conic of boundary `boundary` within `tolerance`, through the rules' ends on it.
  std::vector<OdGePoint3d> strokeThroughRules(const Conic& conic, size_t boundary, double tolerance) const;
  // The rule arc that leads from outline `a` to outline `b` (boundary `next`), its ends on both
  // within `reach`; those stored right after `b` come first.
  std::optional<Conic> axisBetween(const std::vector<OdGePoint3d>& a, const std::vector<OdGePoint3d>& b, size_t next,
                                   double reach) const;

  SweptHeader m_header;
  std::vector<Boundary> m_boundaries;
  std::vector<Rule> m_rules;
};

// A cone (23): two circles in parallel planes, each of its own centre and radius.
struct Cone {
  OdGePoint3d centers[2];
  double radii[2] = {0.0, 0.0};
  OdGeVector3d xAxis{1, 0, 0}, yAxis{0, 1, 0};
  bool solid = true;
  // Within `tolerance` of the true circles where `maxVertices` allow.
  Mesh mesh(double tolerance, size_t maxVertices) const;
  Bounds bounds() const;
};
bool readCone(const Element& e, const CoordinateMap& map, Cone& out);

// How many steps of a turn by `sweep` keep chords within `tolerance` of a circle of `radius`.
int turnSteps(double sweep, double radius, double tolerance);

} // namespace dgn
