#pragma once
#include "ElementGeometry.h"

#include <optional>
#include <vector>

namespace dgn {

// A vertex of a chain, with the circular arc that leads from it to the next vertex if the
// segment is not straight; the arc starts at this vertex.
struct ChainVertex {
  OdGePoint3d point;
  std::optional<Conic> arcToNext;
};
typedef std::vector<ChainVertex> ChainRun;

// Collects the components of a complex chain or shape in stored order into connected runs, as
// MicroStation draws them: a component continues the run where the previous one ended, turned
// round if its end is the one that meets; one that meets neither way starts a new run, so no
// line is drawn across a gap. Circular arcs stay whole.
class Chain {
public:
  // Ends closer than `tolerance` meet.
  Chain() = default;
  explicit Chain(double tolerance) : m_tolerance(tolerance) {}

  void addPoints(const std::vector<OdGePoint3d>& points);
  void addArc(const Conic& arc);
  const std::vector<ChainRun>& runs() const { return m_runs; }
  // The runs of a shape as MicroStation closes it: its last run goes on into its first.
  std::vector<ChainRun> loops() const;
  // Straight segments through `points`.
  static ChainRun runThrough(const std::vector<OdGePoint3d>& points);
  bool empty() const { return m_runs.empty(); }

private:
  void add(ChainRun piece);
  bool meets(const OdGePoint3d& a, const OdGePoint3d& b) const;

  double m_tolerance = 0.0;
  std::vector<ChainRun> m_runs;
  size_t m_piecesInRun = 0;
};

// Where runs of vertices lie in one plane: the elevation of that plane along its normal, and the
// runs' size (their reach from their first vertex, or from zero).
struct RunPlane {
  double elevation = 0.0, size = 0.0;
};
// Vertices off their plane by more than this share of the runs' size are not in it, nor arcs whose
// normals turn from its normal by more than this.
constexpr double kPlaneTolerance = 1e-7;
// The plane of `normal` through the first vertex of the runs from `first` to `last`, when every
// vertex lies in it and every arc turns in it; none otherwise.
std::optional<RunPlane> planeThrough(const ChainRun* first, const ChainRun* last, const OdGeVector3d& normal);

// The same arc run the other way.
Conic reversed(const Conic& arc);

} // namespace dgn
