#pragma once
#include "ElementGeometry.h"
#include "Mesh.h"

#include <vector>

namespace dgn {

// A B-spline surface header (24): order, closure, pole and stored knot counts in each direction
// (rational applies to both), the number of boundaries, and which side of them is removed.
struct SurfaceHeader {
  SplineHeader u, v;
  int boundaries = 0;
  bool outsideRemoved = false; // the H bit: the outside of the boundaries is removed, else the inside
};
bool readSurfaceHeader(const Element& e, SurfaceHeader& out);

// A surface boundary element (25): the boundary it belongs to and its points in the surface's
// parameters, from 0 to 1 in each. Points outside that square are moved onto it; `clamped` says so.
bool readBoundary(const Element& e, int& number, std::vector<OdGePoint2d>& out, bool& clamped);

// A tensor-product B-spline surface over u and v from 0 to 1: rows of poles along u, one row
// after the other along v, with weights when rational.
class BSplineSurface {
public:
  // From the header, the pole rows as stored with their weight rows, and the stored knots (u
  // then v). Rows of another length than the header's and rows beyond its count are left out, a
  // closed direction comes unwrapped, and knots or weights that cannot be used give way to
  // uniform knots or none: `repaired` says so. Not valid when too few poles are left.
  static BSplineSurface from(const SurfaceHeader& h, std::vector<std::vector<OdGePoint3d>> rows,
                             std::vector<std::vector<double>> weights, const std::vector<double>& knots,
                             bool& repaired);
  bool valid() const { return m_columns > 0 && m_rows > 0; }
  OdGePoint3d at(double u, double v) const;
  // The box around its poles, which holds the surface.
  Bounds bounds() const { return Bounds(m_poles); }
  // The distinct knots from 0 to 1 in one direction (0: u, 1: v): where the pieces meet.
  std::vector<double> breaks(int direction) const;

private:
  int m_degree[2] = {1, 1};
  std::vector<double> m_knots[2];
  size_t m_columns = 0, m_rows = 0; // poles along u, rows along v
  std::vector<OdGePoint3d> m_poles;   // row by row
  std::vector<double> m_weights;      // empty unless rational
};

// The surface on a grid fine enough that it lies within `tolerance` of the faces: a direction in
// which it is straight takes a step a piece, a curved one as many as its curve needs, within
// kMaxGrid steps a direction and `maxVertices` in all (the mesh says when these made it coarser).
// Where there are boundaries (closed polygons in the parameters), the inside is removed, or the
// outside with `outsideRemoved`, the cut edges found on the cells.
Mesh surfaceMesh(const BSplineSurface& surface, const std::vector<std::vector<OdGePoint2d>>& boundaries,
                 bool outsideRemoved, double tolerance, size_t maxVertices);
constexpr int kMaxGrid = 256;

} // namespace dgn
