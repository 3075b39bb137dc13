#include "EntityMaker.h"

#include "DgnFormat.h"
#include "Fills.h"

#include <DbDimension.h>
#include <DxfCodes.h>
#include <RxObjectImpl.h>

#include <algorithm>
#include <cmath>

namespace dgn {

namespace {

constexpr int kStrokesPerTurn = 72;
// The line spacing factors the drawing format accepts.
constexpr double kMinLineSpacing = 0.25, kMaxLineSpacing = 4.0;

bool flat(const std::vector<OdGePoint3d>& points)
{
  for (const OdGePoint3d& p : points)
    if (p.z != points.front().z)
      return false;
  return true;
}

template <class T>
OdSmartPtr<T> make()
{
  return OdRxObjectImpl<T>::createObject();
}

// The name in the drawing format of an entity of this class, the one a user knows it by.
const char* kindOf(const OdRxClass* cls)
{
  static const std::pair<const OdRxClass*, const char*> kinds[] = {
    {OdDbLine::desc(), "LINE"}, {OdDbPoint::desc(), "POINT"}, {OdDbCircle::desc(), "CIRCLE"},
    {OdDbArc::desc(), "ARC"}, {OdDbEllipse::desc(), "ELLIPSE"}, {OdDbPolyline::desc(), "LWPOLYLINE"},
    {OdDb3dPolyline::desc(), "3D POLYLINE"}, {OdDbPolyFaceMesh::desc(), "POLYFACE MESH"},
    {OdDbSpline::desc(), "SPLINE"}, {OdDbText::desc(), "TEXT"}, {OdDbMText::desc(), "MTEXT"},
    {OdDbBlockReference::desc(), "INSERT"}, {OdDbHatch::desc(), "HATCH"},
    {OdDbRotatedDimension::desc(), "DIMENSION"}, {OdDbAlignedDimension::desc(), "DIMENSION"}};
  for (const auto& [type, name] : kinds)
    if (cls == type)
      return name;
  return "ENTITY";
}

} // namespace

OdDbObjectId EntityMaker::append(OdDbBlockTableRecord& block, OdDbEntity* entity, const Display& d)
{
  m_symbology.apply(*entity, d);
  const OdDbObjectId id = block.appendOdDbEntity(entity);
  ++m_madeByClass[{m_source, entity->isA()}];
  m_lastMade.push_back(id);
  return id;
}

EntityMaker::MadeCounts EntityMaker::made() const
{
  MadeCounts made;
  for (const auto& [from, count] : m_madeByClass)
    if (from.first != kPartOfAnother)
      made[{from.first, kindOf(from.second)}] += count;
  return made;
}

void EntityMaker::mesh(OdDbBlockTableRecord& block, const Display& d, const Mesh& mesh)
{
  size_t face = 0;
  while (face < mesh.faces.size()) {
    OdDbPolyFaceMeshPtr piece = make<OdDbPolyFaceMesh>();
    std::map<int, int> renumbered;
    for (; face < mesh.faces.size(); ++face) {
      const std::array<int, 4>& f = mesh.faces[face];
      if (renumbered.size() + 4 > kMaxMeshVertices)
        break;
      OdDbPolyFaceMesh::Face out;
      for (size_t k = 0; k < 4 && f[k] >= 0; ++k) {
        const auto [it, added] = renumbered.emplace(f[k], int(piece->vertices.size()));
        if (added)
          piece->vertices.push_back(mesh.vertices[size_t(f[k])]);
        out.vertices[k] = it->second;
      }
      piece->faces.push_back(out);
    }
    append(block, piece.get(), d);
  }
}

void EntityMaker::line(OdDbBlockTableRecord& block, const Display& d, const OdGePoint3d& a, const OdGePoint3d& b)
{
  if (a == b) {
    OdDbPointPtr point = make<OdDbPoint>();
    point->position = a;
    append(block, point.get(), d);
    return;
  }
  OdDbLinePtr l = make<OdDbLine>();
  l->start = a;
  l->end = b;
  append(block, l.get(), d);
}

void EntityMaker::polyline(OdDbBlockTableRecord& block, const Display& d, const std::vector<OdGePoint3d>& points,
                           bool closed, bool shape)
{
  if (points.size() < 2) {
    if (!points.empty())
      line(block, d, points.front(), points.front());
    return;
  }
  const uint8_t shapeMode = m_is3d ? m_options.shapeMode3d : m_options.shapeMode2d;
  // A closed outline repeats its first vertex at the end; the closed flag says it instead.
  const bool repeated = closed && points.size() > 2 && points.front() == points.back();
  const auto begin = points.begin(), end = repeated ? points.end() - 1 : points.end();
  if ((shape && shapeMode != 0) || !flat(points)) {
    OdDb3dPolylinePtr p = make<OdDb3dPolyline>();
    p->vertices.assign(begin, end);
    p->closed = closed;
    append(block, p.get(), d);
    return;
  }
  OdDbPolylinePtr p = make<OdDbPolyline>();
  p->points.reserve(size_t(end - begin));
  for (auto v = begin; v != end; ++v)
    p->points.push_back({v->x, v->y});
  p->setPlane(points.front().z, OdGeVector3d::zAxis());
  p->closed = closed;
  append(block, p.get(), d);
}

void EntityMaker::points(OdDbBlockTableRecord& block, const Display& d, const std::vector<OdGePoint3d>& points)
{
  for (const OdGePoint3d& p : points)
    line(block, d, p, p);
}

void EntityMaker::stroke(const Conic& conic, std::vector<OdGePoint3d>& out)
{
  const int n = std::max(2, int(std::ceil(std::fabs(conic.sweep) / (2.0 * kPi) * kStrokesPerTurn)));
  const int last = conic.full ? n - 1 : n; // a full turn closes by the closed flag
  for (int i = 0; i <= last; ++i)
    out.push_back(conic.at(conic.start + conic.sweep * i / n));
}

void EntityMaker::strokeClosely(const Conic& conic, std::vector<OdGePoint3d>& out)
{
  const double a = conic.xAxis.length(), b = conic.yAxis.length();
  const double reach = std::max({std::fabs(conic.center.x), std::fabs(conic.center.y), std::fabs(conic.center.z)});
  const int quarters = std::max(1, int(std::ceil(std::fabs(conic.sweep) / (kPi / 2))));
  const size_t before = out.size();
  strokeCurve([&conic](double t) { return conic.at(t); }, conic.start, conic.start + conic.sweep, 2 * quarters,
              m_detail.tolerance(kCurveTolerance, std::min(a, b), reach + std::max(a, b)), out, m_detail.allowance());
  m_detail.spend(out.size() - before);
}

std::optional<OdGeVector3d> EntityMaker::bulgePlane(const ChainRun& run, bool shape) const
{
  const uint8_t shapeMode = m_is3d ? m_options.shapeMode3d : m_options.shapeMode2d;
  if ((m_is3d ? m_options.ellipseMode3d : m_options.ellipseMode2d) != 0 || (shape && shapeMode != 0))
    return std::nullopt;
  const auto arc = std::find_if(run.begin(), run.end(), [](const ChainVertex& v) { return v.arcToNext.has_value(); });
  if (arc == run.end())
    return std::nullopt;
  const OdGeVector3d n = arc->arcToNext->normal;
  if (!planeThrough(&run, &run + 1, n))
    return std::nullopt;
  return n;
}

void EntityMaker::run(OdDbBlockTableRecord& block, const Display& d, const ChainRun& run, bool closed, bool shape)
{
  const std::optional<OdGeVector3d> normal = bulgePlane(run, shape);
  if (!normal) {
    std::vector<OdGePoint3d> points;
    for (const ChainVertex& v : run) {
      if (points.empty() || !(points.back() == v.point))
        points.push_back(v.point);
      if (v.arcToNext)
        strokeClosely(*v.arcToNext, points);
    }
    polyline(block, d, points, closed, shape);
    return;
  }
  const dxf::Ocs plane(*normal);
  OdDbPolylinePtr p = make<OdDbPolyline>();
  size_t count = run.size();
  // A closed outline repeats its first vertex at the end; the closed flag says it instead.
  if (closed && count > 2 && run.front().point == run.back().point)
    --count;
  for (size_t i = 0; i < count; ++i) {
    const OdGePoint3d q = plane.fromWorld(run[i].point);
    double bulge = 0.0;
    if (const std::optional<Conic>& arc = run[i].arcToNext) {
      const OdGeVector3d& m = arc->normal;
      const double turn = m.x * normal->x + m.y * normal->y + m.z * normal->z > 0.0 ? arc->sweep : -arc->sweep;
      bulge = std::tan(turn / 4.0);
    }
    p->addVertex({q.x, q.y}, bulge);
  }
  p->setPlane(plane.fromWorld(run.front().point).z, *normal);
  p->closed = closed;
  append(block, p.get(), d);
}

void EntityMaker::chain(OdDbBlockTableRecord& block, const Display& d, const Chain& chain, bool shape)
{
  const bool closed = shape && chain.runs().size() == 1;
  for (const ChainRun& r : shape ? chain.loops() : chain.runs()) {
    if (r.size() == 1)
      line(block, d, r.front().point, r.front().point);
    else
      run(block, d, r, closed, shape);
  }
}

void EntityMaker::fill(OdDbBlockTableRecord& block, const Display& d, const std::vector<ChainRun>& loops)
{
  if (OdDbHatchPtr hatch = solidHatch(loops))
    append(block, hatch.get(), d);
}

void EntityMaker::fill(OdDbBlockTableRecord& block, const Display& d, const Conic& closed)
{
  append(block, solidHatch(closed).get(), d);
}

void EntityMaker::curve(OdDbBlockTableRecord& block, const Display& d, const MicroStationCurve& curve)
{
  // The cubic pieces one after the other: a cubic spline with the pieces' control points as
  // poles and a triple knot where two pieces meet, at the chords' summed lengths; a repeated
  // point may leave a corner there.
  OdDbSplinePtr s = make<OdDbSpline>();
  s->degree = 3;
  double at = 0.0;
  s->knots.assign(4, 0.0);
  s->controlPoints.push_back(curve.pieces.front().p[0]);
  for (size_t i = 0; i < curve.pieces.size(); ++i) {
    s->controlPoints.insert(s->controlPoints.end(), curve.pieces[i].p + 1, curve.pieces[i].p + 4);
    at += curve.lengths[i];
    s->knots.insert(s->knots.end(), i + 1 < curve.pieces.size() ? 3 : 4, at);
  }
  append(block, s.get(), d);
}

void EntityMaker::conic(OdDbBlockTableRecord& block, const Display& d, const Conic& c)
{
  if ((m_is3d ? m_options.ellipseMode3d : m_options.ellipseMode2d) != 0) {
    std::vector<OdGePoint3d> points;
    stroke(c, points);
    polyline(block, d, points, c.full, false);
    return;
  }
  const double a = c.xAxis.length(), b = c.yAxis.length();
  const bool planar = c.normal == OdGeVector3d::zAxis();
  if (c.isCircular() && c.full) {
    OdDbCirclePtr circle = make<OdDbCircle>();
    circle->center = c.center;
    circle->radius = a;
    circle->normal = c.normal;
    append(block, circle.get(), d);
    return;
  }
  const double from = c.sweep >= 0 ? c.start : c.start + c.sweep;
  const double to = c.sweep >= 0 ? c.start + c.sweep : c.start;
  if (c.isCircular() && planar) {
    const double axis = std::atan2(c.xAxis.y, c.xAxis.x);
    OdDbArcPtr arc = make<OdDbArc>();
    arc->center = c.center;
    arc->radius = a;
    arc->startAngle = std::remainder(axis + from, 2.0 * kPi);
    arc->endAngle = std::remainder(axis + to, 2.0 * kPi);
    append(block, arc.get(), d);
    return;
  }
  OdDbEllipsePtr e = make<OdDbEllipse>();
  e->center = c.center;
  e->normal = c.normal;
  // The major axis is the longer one; parameters then count from it.
  const bool xMajor = a >= b;
  e->majorAxis = xMajor ? c.xAxis : c.yAxis;
  e->radiusRatio = xMajor ? b / a : a / b;
  const double shift = xMajor ? 0.0 : -kPi / 2.0;
  e->startParam = c.full ? 0.0 : from + shift;
  e->endParam = c.full ? 2.0 * kPi : to + shift;
  append(block, e.get(), d);
}

OdDbObjectId EntityMaker::text(OdDbBlockTableRecord& block, const Display& d, const TextData& t)
{
  OdDbTextPtr text = make<OdDbText>();
  text->position = t.origin;
  text->height = t.height > 0.0 ? t.height : 1.0;
  text->widthFactor = t.height > 0.0 && t.width > 0.0 ? t.width / t.height : 1.0;
  text->rotation = t.rotation;
  text->normal = t.normal;
  text->text = t.text;
  return append(block, text.get(), d);
}

void EntityMaker::mtext(OdDbBlockTableRecord& block, const Display& d, const TextData& node, const OdString& contents)
{
  OdDbMTextPtr m = make<OdDbMText>();
  m->location = node.origin;
  m->textHeight = node.height > 0.0 ? node.height : 1.0;
  m->rotation = node.rotation;
  m->normal = node.normal;
  // MicroStation spaces lines by the gap between them, the drawing by a factor of 5/3 of the
  // height from one base line to the next.
  m->lineSpacingFactor = std::clamp((m->textHeight + std::max(0.0, node.lineSpacing)) / (m->textHeight * 5.0 / 3.0),
                                    kMinLineSpacing, kMaxLineSpacing);
  // Justifications run left (0..5), centre (6..8), right (9..14); top, middle, bottom in each.
  const int column = node.justification <= 5 ? 0 : node.justification <= 8 ? 1 : 2;
  const int row = node.justification % 3;
  m->attachment = static_cast<OdDbMText::Attachment>(1 + row * 3 + column);
  m->contents = contents;
  append(block, m.get(), d);
}

void EntityMaker::spline(OdDbBlockTableRecord& block, const Display& d, const BSplineCurve& curve, bool closed)
{
  OdDbSplinePtr s = make<OdDbSpline>();
  s->degree = curve.degree;
  s->knots = curve.knots;
  s->controlPoints = curve.poles;
  s->weights = curve.weights;
  // A closed curve is written unwrapped either way; the periodic flag only marks it as such.
  s->closed = closed;
  s->periodic = closed && m_options.closedSplineMode == 0;
  append(block, s.get(), d);
}

void EntityMaker::reference(OdDbBlockTableRecord& block, const Display& d, OdDbObjectId definition,
                            const OdGePoint3d& at, const Placement& placement)
{
  OdDbBlockReferencePtr r = make<OdDbBlockReference>();
  r->blockTableRecord = definition;
  r->position = at;
  r->normal = placement.normal;
  r->rotation = placement.rotation;
  r->scale = placement.scale;
  append(block, r.get(), d);
}

} // namespace dgn
