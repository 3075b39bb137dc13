#pragma once
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
// number of elements, as points along them) and the rule elements after each boundary that join
// it to the one before; a rule arc gives the axis the boundary before turns about.
class SweptShape {
public:
  explicit SweptShape(const SweptHeader& header = {}) : m_header(header) {}

  void addBoundaryElement(const std::vector<OdGePoint3d>& points);
  void addRule(const Conic* arc);
  // The points along each boundary.
  std::vector<std::vector<OdGePoint3d>> outlines() const;

  // Surfaces of projection join each boundary to the next by straight lines between points that
  // correspond; surfaces of revolution turn each boundary about its rule arc's axis onto the next,
  // in steps no more than `tolerance` off the true circles. Solids are capped where their first
  // and last boundaries are closed. Empty when the shape cannot be swept.
  Mesh mesh(double tolerance) const;

private:
  struct Boundary {
    std::vector<OdGePoint3d> points;
    int elements = 0;
    std::optional<Conic> axis; // the rule arc leading to it from the boundary before
  };
  // The rings from boundary `from` turned about the next boundary's axis.
  void revolve(Mesh& mesh, size_t from, std::vector<int>& ring, double tolerance, bool& closedTurn) const;

  SweptHeader m_header;
  std::vector<Boundary> m_boundaries;
};

// A cone (23): two circles in parallel planes, each of its own centre and radius.
struct Cone {
  OdGePoint3d centers[2];
  double radii[2] = {0.0, 0.0};
  OdGeVector3d xAxis{1, 0, 0}, yAxis{0, 1, 0};
  bool solid = true;
  Mesh mesh(double tolerance) const;
  double size() const;
};
bool readCone(const Element& e, const CoordinateMap& map, Cone& out);

// How many steps of a turn by `sweep` keep chords within `tolerance` of a circle of `radius`.
int turnSteps(double sweep, double radius, double tolerance);

} // namespace dgn
