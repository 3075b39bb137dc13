#include "Chain.h"

#include "DgnFormat.h"

#include <DxfCodes.h>

#include <algorithm>
#include <cmath>

namespace dgn {

namespace {

constexpr double kTurn = 2.0 * kPi;

ChainRun turnedRound(const ChainRun& run)
{
  ChainRun back(run.size());
  for (size_t i = 0; i < run.size(); ++i) {
    back[i].point = run[run.size() - 1 - i].point;
    if (i + 1 < run.size() && run[run.size() - 2 - i].arcToNext)
      back[i].arcToNext = reversed(*run[run.size() - 2 - i].arcToNext);
  }
  return back;
}

} // namespace

std::optional<RunPlane> planeThrough(const ChainRun* first, const ChainRun* last, const OdGeVector3d& normal)
{
  if (first == last || first->empty())
    return std::nullopt;
  const dxf::Ocs plane(normal);
  const OdGePoint3d& origin = first->front().point;
  RunPlane found{plane.fromWorld(origin).z, 0.0};
  found.size = std::fabs(found.elevation);
  for (const ChainRun* run = first; run != last; ++run)
    for (const ChainVertex& v : *run)
      found.size = std::max(found.size, (v.point - origin).length());
  for (const ChainRun* run = first; run != last; ++run)
    for (const ChainVertex& v : *run) {
      if (std::fabs(plane.fromWorld(v.point).z - found.elevation) > kPlaneTolerance * (1.0 + found.size))
        return std::nullopt;
      if (v.arcToNext) {
        const OdGeVector3d& m = v.arcToNext->normal;
        if (std::fabs(std::fabs(m.x * normal.x + m.y * normal.y + m.z * normal.z) - 1.0) > kPlaneTolerance)
          return std::nullopt;
      }
    }
  return found;
}

Conic reversed(const Conic& arc)
{
  Conic back = arc;
  back.start = arc.start + arc.sweep;
  back.sweep = -arc.sweep;
  return back;
}

bool Chain::meets(const OdGePoint3d& a, const OdGePoint3d& b) const
{
  return (b - a).length() <= m_tolerance;
}

ChainRun Chain::runThrough(const std::vector<OdGePoint3d>& points)
{
  ChainRun run;
  for (const OdGePoint3d& p : points)
    if (run.empty() || !(run.back().point == p))
      run.push_back({p, std::nullopt});
  return run;
}

void Chain::addPoints(const std::vector<OdGePoint3d>& points)
{
  ChainRun piece = runThrough(points);
  if (!piece.empty())
    add(std::move(piece));
}

std::vector<ChainRun> Chain::loops() const
{
  std::vector<ChainRun> runs = m_runs;
  if (runs.size() > 1) {
    runs.back().insert(runs.back().end(), runs.front().begin(), runs.front().end());
    runs.erase(runs.begin());
  }
  return runs;
}

void Chain::addArc(const Conic& arc)
{
  // A whole circle has no second end to lead to: it goes in two halves.
  const bool whole = std::fabs(arc.sweep) >= kTurn - 1e-12;
  const int halves = whole ? 2 : 1;
  ChainRun piece;
  for (int i = 0; i < halves; ++i) {
    Conic part = arc;
    part.full = false;
    part.start = arc.start + arc.sweep * i / halves;
    part.sweep = arc.sweep / halves;
    piece.push_back({part.at(part.start), part});
  }
  piece.push_back({arc.at(arc.start + arc.sweep), std::nullopt});
  add(std::move(piece));
}

void Chain::add(ChainRun piece)
{
  if (!m_runs.empty()) {
    ChainRun& run = m_runs.back();
    // The first component may run against the chain: the second one shows it.
    if (m_piecesInRun == 1 && !meets(run.back().point, piece.front().point) &&
        !meets(run.back().point, piece.back().point) &&
        (meets(run.front().point, piece.front().point) || meets(run.front().point, piece.back().point)))
      run = turnedRound(run);
    if (!meets(run.back().point, piece.front().point) && meets(run.back().point, piece.back().point))
      piece = turnedRound(piece);
    if (meets(run.back().point, piece.front().point)) {
      // Ends that meet only nearly keep both points: an arc goes from where it starts.
      const bool same = run.back().point == piece.front().point;
      if (same)
        run.back().arcToNext = piece.front().arcToNext;
      run.insert(run.end(), piece.begin() + (same ? 1 : 0), piece.end());
      ++m_piecesInRun;
      return;
    }
  }
  m_runs.push_back(std::move(piece));
  m_piecesInRun = 1;
}

} // namespace dgn
