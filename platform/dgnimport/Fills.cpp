#include "Fills.h"

#include "DgnFormat.h"

#include <DxfCodes.h>
#include <RxObjectImpl.h>

#include <cmath>
#include <optional>

namespace dgn {

namespace {


double dot(const OdGeVector3d& a, const OdGeVector3d& b)
{
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

OdGePoint2d flat(const OdGePoint3d& p)
{
  return {p.x, p.y};
}

// The plane the loops lie in: an arc's, else the one Newell's sum of their edges gives.
std::optional<OdGeVector3d> planeOf(const std::vector<ChainRun>& loops)
{
  double nx = 0.0, ny = 0.0, nz = 0.0;
  std::optional<OdGeVector3d> arcNormal;
  for (const ChainRun& loop : loops)
    for (size_t i = 0; i < loop.size(); ++i) {
      const OdGePoint3d &a = loop[i].point, &b = loop[(i + 1) % loop.size()].point;
      nx += (a.y - b.y) * (a.z + b.z);
      ny += (a.z - b.z) * (a.x + b.x);
      nz += (a.x - b.x) * (a.y + b.y);
      if (loop[i].arcToNext && !arcNormal)
        arcNormal = loop[i].arcToNext->normal;
    }
  if (arcNormal)
    return arcNormal;
  // Either side will do for a fill: the world's own where it is the world's plane.
  const double length = std::copysign(OdGeVector3d{nx, ny, nz}.length(), nz);
  if (!(std::fabs(length) > 0.0))
    return std::nullopt;
  return OdGeVector3d{nx / length + 0.0, ny / length + 0.0, nz / length}; // no negative zeros
}

OdDbHatchPtr newHatch(const OdGeVector3d& normal, double elevation)
{
  OdDbHatchPtr hatch = OdRxObjectImpl<OdDbHatch>::createObject();
  hatch->normal = normal;
  hatch->elevation = elevation;
  return hatch;
}

} // namespace

OdDbHatchPtr solidHatch(const std::vector<ChainRun>& loops)
{
  const std::optional<OdGeVector3d> normal = planeOf(loops);
  const std::optional<RunPlane> in = normal ? planeThrough(loops.data(), loops.data() + loops.size(), *normal) : std::nullopt;
  if (!in)
    return {};
  const dxf::Ocs plane(*normal);
  OdDbHatchPtr hatch = newHatch(*normal, in->elevation);
  for (const ChainRun& loop : loops) {
    std::vector<OdDbHatch::Edge> edges;
    for (size_t i = 0; i < loop.size(); ++i) {
      const OdGePoint3d from = plane.fromWorld(loop[i].point), to = plane.fromWorld(loop[(i + 1) % loop.size()].point);
      if (const std::optional<Conic>& arc = loop[i].arcToNext) {
        const OdGePoint3d centre = plane.fromWorld(arc->center);
        const OdGePoint3d end = plane.fromWorld(arc->at(arc->start + arc->sweep));
        const bool counterClockwise = (dot(arc->normal, *normal) > 0.0) == (arc->sweep > 0.0);
        edges.push_back(OdDbHatch::Edge::arc(flat(centre), arc->xAxis.length(), std::atan2(from.y - centre.y, from.x - centre.x),
                                             std::atan2(end.y - centre.y, end.x - centre.x), counterClockwise));
      } else if ((to - from).length() > kPlaneTolerance * (1.0 + in->size)) { // not where ends nearly meet
        edges.push_back(OdDbHatch::Edge::line(flat(from), flat(to)));
      }
    }
    if (!edges.empty())
      hatch->appendLoop(hatch->numLoops() == 0 ? OdDbHatch::kExternal : OdDbHatch::kDefault, std::move(edges));
  }
  return hatch->numLoops() > 0 ? hatch : OdDbHatchPtr();
}

OdDbHatchPtr solidHatch(const Conic& closed)
{
  const dxf::Ocs plane(closed.normal);
  const OdGePoint3d centre = plane.fromWorld(closed.center);
  OdDbHatchPtr hatch = newHatch(closed.normal, centre.z);
  const double a = closed.xAxis.length(), b = closed.yAxis.length();
  if (closed.isCircular()) {
    hatch->appendLoop(OdDbHatch::kExternal, {OdDbHatch::Edge::arc(flat(centre), a, 0.0, 2.0 * kPi)});
    return hatch;
  }
  // The major axis is the longer one; in the plane's coordinates, as the edge keeps it.
  const OdGeVector3d& major = a >= b ? closed.xAxis : closed.yAxis;
  const OdGePoint3d axis = plane.fromWorld(OdGePoint3d{major.x, major.y, major.z});
  hatch->appendLoop(OdDbHatch::kExternal,
                    {OdDbHatch::Edge::ellipticalArc(flat(centre), flat(axis), std::min(a, b) / std::max(a, b), 0.0, 2.0 * kPi)});
  return hatch;
}

} // namespace dgn
