#pragma once
#include "Bounds.h"

#include <Ge.h>

#include <functional>
#include <vector>

namespace dgn {

// Points along a curve given by its parameter, from t0 to t1, at most `tolerance` off the curve
// between them (each interval halved until its middle lies that close to its chord, after at
// least `minSegments` equal steps, at most 256 points a step). Appends to `out`, the start point
// only when `out` is empty or does not end there already; points that cannot be evaluated (not
// finite) are left out.
// `maxPoints` bounds the points it appends, steps and halvings together.
void strokeCurve(const std::function<OdGePoint3d(double)>& at, double t0, double t1, int minSegments,
                 double tolerance, std::vector<OdGePoint3d>& out, size_t maxPoints = size_t(1) << 16);

// A cubic Bezier piece.
struct CubicPiece {
  OdGePoint3d p[4];
  OdGePoint3d at(double u) const;
};

// MicroStation's curve element (type 11) through n points: a cubic for each chord between
// points 2 and n-3, parametrised by the chord's length, its tangents at the points taken from
// the slopes of the two chords either side (per coordinate); points 0, 1, n-2 and n-1 only steer
// the end tangents. A repeated point makes a chord of no length and no slope, and no piece.
// Empty when the points make no piece.
struct MicroStationCurve {
  std::vector<CubicPiece> pieces;
  std::vector<double> lengths; // of each piece's chord

  static MicroStationCurve through(const std::vector<OdGePoint3d>& points);
  bool empty() const { return pieces.empty(); }
  Bounds bounds() const; // of its pieces' control points, which hold it
  // Points along it at most `tolerance` off it, no more than about `maxPoints`.
  void stroke(double tolerance, std::vector<OdGePoint3d>& out, size_t maxPoints) const;
};

// A B-spline curve of `degree` over `knots` (poles + degree + 1 of them, not decreasing), with
// weights when rational (then one for each pole, all above zero).
struct BSplineCurve {
  int degree = 3;
  std::vector<double> knots;
  std::vector<OdGePoint3d> poles;
  std::vector<double> weights;

  bool valid() const;
  Bounds bounds() const { return Bounds(poles); } // holds the curve
  double start() const { return knots[size_t(degree)]; }
  double end() const { return knots[knots.size() - 1 - size_t(degree)]; }
  OdGePoint3d at(double t) const;
};

} // namespace dgn
