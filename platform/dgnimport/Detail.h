#pragma once
#include <cstddef>
#include <cstdint>

namespace dgn {

// Curves drawn as polylines stay this close to the true curve, meshes to the true surface,
// relative to the element's size.
constexpr double kCurveTolerance = 1e-4, kMeshTolerance = 1e-3;

// How finely one conversion draws curves and surfaces: each element to a tolerance relative to its
// size, never finer than the file's coordinates can tell apart, and the whole file within a budget
// of vertices that grows with its size. Past the budget the rest is drawn coarser.
class Detail {
public:
  // `resolution`: one unit of resolution in drawing units.
  explicit Detail(double resolution) : m_resolution(resolution) {}
  // Sets the budget for a design file of this size.
  void setFileSize(uint64_t bytes);

  // The tolerance for an element of `size` whose coordinates reach `magnitude` (the largest
  // absolute coordinate): `relative` of its size, or coarser once the budget is spent, and never
  // below one unit of resolution or kRelativeFloor of the magnitude.
  double tolerance(double relative, double size, double magnitude) const;
  // The vertices one element may still take.
  size_t allowance() const;
  // What an element took.
  void spend(size_t vertices) { m_used += vertices; }
  bool spent() const { return m_used >= m_budget; }

  static constexpr double kRelativeFloor = 1e-9;
  // The budget: vertices per byte of the file, within these bounds (a vertex of a mesh takes
  // about 300 bytes of a drawing with its share of faces, and twice that of memory while the
  // drawing is written).
  static constexpr double kVerticesPerByte = 0.2;
  static constexpr uint64_t kMinBudget = 30000, kMaxBudget = 2000000;
  // No element takes more than this, nor less than kMinAllowance once the budget is spent.
  static constexpr size_t kMaxAllowance = size_t(1) << 18, kMinAllowance = 81;
  static constexpr double kCoarser = 10.0; // the tolerance's factor once the budget is spent

private:
  double m_resolution;
  uint64_t m_budget = kMinBudget, m_used = 0;
};

} // namespace dgn
