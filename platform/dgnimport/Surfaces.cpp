#include "Surfaces.h"

#include "DgnFormat.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace dgn {

namespace {

constexpr int kCrossingSteps = 30; // halvings that find where a cell's edge crosses a boundary
constexpr double kInset = 1e-6;    // of a cell, where its corners are told inside or outside
constexpr size_t kMaxBoundaryLines = 64; // grid lines a direction through boundaries' corners

// The p + 1 basis functions that are not zero at t in knot span `span`.
void basis(const std::vector<double>& knots, int p, size_t span, double t, double* n)
{
  double left[32], right[32];
  n[0] = 1.0;
  for (int j = 1; j <= p; ++j) {
    left[j] = t - knots[span + 1 - size_t(j)];
    right[j] = knots[span + size_t(j)] - t;
    double saved = 0.0;
    for (int r = 0; r < j; ++r) {
      const double sum = right[r + 1] + left[j - r];
      const double temp = sum > 0.0 ? n[r] / sum : 0.0;
      n[r] = saved + right[r + 1] * temp;
      saved = left[j - r] * temp;
    }
    n[j] = saved;
  }
}

size_t spanOf(const std::vector<double>& knots, int p, size_t count, double t)
{
  size_t span = size_t(p);
  while (span + 1 < count && knots[span + 1] <= t)
    ++span;
  return span;
}

// Even-odd: inside an odd number of the polygons. The polygons' edges are sorted into bands of v
// once, so that each point looks at the edges of its own band only: boundaries of thousands of
// points are asked about every corner of every cell.
class Region {
public:
  explicit Region(const std::vector<std::vector<OdGePoint2d>>& polygons)
  {
    for (const auto& polygon : polygons)
      for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++)
        m_edges.push_back({polygon[i], polygon[j]});
    m_bands.resize(std::min<size_t>(kBands, std::max<size_t>(1, m_edges.size())));
    for (size_t e = 0; e < m_edges.size(); ++e) {
      const auto [low, high] = std::minmax(m_edges[e].a.y, m_edges[e].b.y);
      for (size_t band = bandOf(low); band <= bandOf(high); ++band)
        m_bands[band].push_back(e);
    }
  }
  bool inside(const OdGePoint2d& p) const
  {
    bool in = false;
    for (size_t e : m_bands[bandOf(p.y)]) {
      const OdGePoint2d &a = m_edges[e].a, &b = m_edges[e].b;
      if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y))
        in = !in;
    }
    return in;
  }

private:
  static constexpr size_t kBands = 64; // few enough that edges across many stay cheap to hold
  struct Edge {
    OdGePoint2d a, b;
  };
  // Parameters run from 0 to 1.
  size_t bandOf(double v) const { return std::min(m_bands.size() - 1, size_t(std::clamp(v, 0.0, 1.0) * double(m_bands.size()))); }

  std::vector<Edge> m_edges;
  std::vector<std::vector<size_t>> m_bands;
};

// Parameters from 0 to 1: `steps` equal ones in each piece, or `kMaxGrid` in all where the
// pieces are too many for that.
std::vector<double> parameters(const std::vector<double>& breaks, int steps)
{
  std::vector<double> out;
  const size_t pieces = breaks.size() - 1;
  if (pieces * size_t(steps) > size_t(kMaxGrid)) {
    for (int i = 0; i <= kMaxGrid; ++i)
      out.push_back(double(i) / kMaxGrid);
    return out;
  }
  for (size_t k = 0; k < pieces; ++k)
    for (int i = 0; i < steps; ++i)
      out.push_back(breaks[k] + (breaks[k + 1] - breaks[k]) * i / steps);
  out.push_back(1.0);
  return out;
}

// At most `count` of the sorted, distinct `values`, spread evenly over them, the first and last
// among them.
std::vector<double> spread(std::vector<double> values, size_t count)
{
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  if (values.size() <= count || count < 2)
    return values;
  std::vector<double> kept;
  for (size_t i = 0; i < count; ++i)
    kept.push_back(values[i * (values.size() - 1) / (count - 1)]);
  return kept;
}

double distance(const OdGePoint3d& a, const OdGePoint3d& b)
{
  return (a - b).length();
}

OdGePoint3d middle(const OdGePoint3d& a, const OdGePoint3d& b)
{
  return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2};
}

} // namespace

bool readSurfaceHeader(const Element& e, SurfaceHeader& out)
{
  const uint8_t u = e.u8(40), v = e.u8(48);
  out.u.order = (u & 0x0F) + 2;
  out.u.rational = out.v.rational = (u & 0x40) != 0;
  out.u.closed = (u & 0x80) != 0;
  out.u.poles = e.u16(42);
  out.u.knots = e.u16(44);
  out.v.order = (v & 0x0F) + 2;
  out.v.closed = (v & 0x80) != 0;
  out.v.poles = e.u16(50);
  out.v.knots = e.u16(52);
  out.boundaries = e.u16(56);
  out.outsideRemoved = (e.properties() & 0x8000) != 0;
  return e.intact() && out.u.poles >= 2 && out.v.poles >= 2;
}

bool readBoundary(const Element& e, int& number, std::vector<OdGePoint2d>& out, bool& clamped)
{
  number = e.u16(36);
  const uint32_t stored = e.u16(38);
  const uint32_t fits = e.size() > 40 ? (e.size() - 40) / 8 : 0;
  out.clear();
  clamped = stored > fits;
  for (uint32_t i = 0; i < std::min(stored, fits); ++i) {
    const double u = e.i32(40 + 8 * i) / kFraction, v = e.i32(44 + 8 * i) / kFraction;
    clamped = clamped || u < 0.0 || u > 1.0 || v < 0.0 || v > 1.0;
    out.push_back({std::clamp(u, 0.0, 1.0), std::clamp(v, 0.0, 1.0)});
  }
  return e.intact() && !out.empty();
}

BSplineSurface BSplineSurface::from(const SurfaceHeader& h, std::vector<std::vector<OdGePoint3d>> rows,
                                    std::vector<std::vector<double>> weights, const std::vector<double>& knots,
                                    bool& repaired)
{
  BSplineSurface s;
  repaired = false;
  const size_t columns = size_t(h.u.poles);
  const auto wrong = [columns](const std::vector<OdGePoint3d>& row) { return row.size() != columns; };
  if (rows.size() != size_t(h.v.poles) || std::any_of(rows.begin(), rows.end(), wrong)) {
    repaired = true;
    for (size_t i = rows.size(); i-- > 0;)
      if (wrong(rows[i])) {
        rows.erase(rows.begin() + long(i));
        if (i < weights.size())
          weights.erase(weights.begin() + long(i));
      }
    rows.resize(std::min(rows.size(), size_t(h.v.poles)));
    weights.resize(std::min(weights.size(), rows.size()));
  }
  if (rows.size() < 2)
    return s;
  // Weights with every row or with none.
  if (h.u.rational && weights.size() != rows.size()) {
    repaired = true;
    weights.clear();
  }
  if (!h.u.rational)
    weights.clear();
  SplineHeader across = h.v;
  across.poles = int(rows.size());
  const size_t knotsU = h.u.knots > 0 ? std::min(knots.size(), size_t(h.u.knots)) : 0;
  const std::vector<double> storedU(knots.begin(), knots.begin() + long(knotsU));
  const std::vector<double> storedV(knots.begin() + long(knotsU), knots.end());
  // Each row is a curve along u; the rows' indices make a curve along v.
  std::vector<BSplineCurve> curves;
  bool weighted = !weights.empty();
  for (size_t r = 0; r < rows.size(); ++r) {
    bool fixed = false;
    curves.push_back(splineCurve(h.u, std::move(rows[r]), storedU, weighted ? weights[r] : std::vector<double>{}, fixed));
    repaired = repaired || fixed;
    weighted = weighted && !curves.back().weights.empty();
  }
  std::vector<OdGePoint3d> indices(curves.size());
  for (size_t r = 0; r < indices.size(); ++r)
    indices[r].x = double(r);
  bool fixed = false;
  const BSplineCurve along = splineCurve(across, indices, storedV, {}, fixed);
  repaired = repaired || fixed || (!weights.empty() && !weighted);
  if (!curves.front().valid() || !along.valid())
    return s;
  s.m_degree[0] = curves.front().degree;
  s.m_degree[1] = along.degree;
  s.m_knots[0] = curves.front().knots;
  s.m_knots[1] = along.knots;
  s.m_columns = curves.front().poles.size();
  s.m_rows = along.poles.size();
  for (const OdGePoint3d& row : along.poles) { // unwrapped: the first rows again at the end
    const BSplineCurve& c = curves[size_t(row.x)];
    s.m_poles.insert(s.m_poles.end(), c.poles.begin(), c.poles.end());
    if (weighted)
      s.m_weights.insert(s.m_weights.end(), c.weights.begin(), c.weights.end());
  }
  return s;
}

OdGePoint3d BSplineSurface::at(double u, double v) const
{
  const int p = m_degree[0], q = m_degree[1];
  u = std::clamp(u, 0.0, 1.0);
  v = std::clamp(v, 0.0, 1.0);
  const size_t su = spanOf(m_knots[0], p, m_columns, u), sv = spanOf(m_knots[1], q, m_rows, v);
  double nu[32], nv[32];
  basis(m_knots[0], p, su, u, nu);
  basis(m_knots[1], q, sv, v, nv);
  double x = 0, y = 0, z = 0, w = 0;
  for (int j = 0; j <= q; ++j)
    for (int i = 0; i <= p; ++i) {
      const size_t k = (sv - size_t(q) + size_t(j)) * m_columns + su - size_t(p) + size_t(i);
      const double f = nu[i] * nv[j] * (m_weights.empty() ? 1.0 : m_weights[k]);
      x += f * m_poles[k].x;
      y += f * m_poles[k].y;
      z += f * m_poles[k].z;
      w += f;
    }
  return {x / w, y / w, z / w};
}

std::vector<double> BSplineSurface::breaks(int direction) const
{
  std::vector<double> out;
  for (double k : m_knots[direction])
    if (k >= 0.0 && k <= 1.0 && (out.empty() || k > out.back()))
      out.push_back(k);
  return out;
}

Mesh surfaceMesh(const BSplineSurface& s, const std::vector<std::vector<OdGePoint2d>>& boundaries,
                 bool outsideRemoved, double tolerance, size_t maxVertices)
{
  // Grid lines through the boundaries' corners too, so that the cells find them: as many as a
  // few pieces of the grid would take, the rest left to the cells' cut edges.
  std::vector<double> cornersU, cornersV;
  for (const auto& boundary : boundaries)
    for (const OdGePoint2d& p : boundary) {
      cornersU.push_back(p.x);
      cornersV.push_back(p.y);
    }
  std::vector<double> breaksU = s.breaks(0), breaksV = s.breaks(1);
  // Lines a direction the vertices allow: pieces beyond them are drawn across.
  const size_t lines = std::clamp(size_t(std::sqrt(double(maxVertices))), size_t(2), size_t(kMaxGrid) + 1);
  bool coarse = breaksU.size() > lines || breaksV.size() > lines;
  for (auto [breaks, corners] : {std::pair{&breaksU, &cornersU}, std::pair{&breaksV, &cornersV}}) {
    const std::vector<double> kept = spread(std::move(*corners), kMaxBoundaryLines);
    breaks->insert(breaks->end(), kept.begin(), kept.end());
    *breaks = spread(std::move(*breaks), lines);
  }
  // Halve the steps along a direction while a cell edge's middle lies off its chord, along both
  // while a cell's middle lies off either of its diagonals (a twisted cell).
  int steps[2] = {1, 1};
  std::vector<double> us, vs;
  std::vector<OdGePoint3d> grid;
  for (;;) {
    us = parameters(breaksU, steps[0]);
    vs = parameters(breaksV, steps[1]);
    grid.clear();
    for (double v : vs)
      for (double u : us)
        grid.push_back(s.at(u, v));
    double off[2] = {0.0, 0.0};
    for (size_t j = 0; j < vs.size(); ++j)
      for (size_t i = 0; i < us.size(); ++i) {
        const OdGePoint3d& here = grid[j * us.size() + i];
        if (i + 1 < us.size() && j + 1 < vs.size()) {
          const OdGePoint3d m = s.at((us[i] + us[i + 1]) / 2, (vs[j] + vs[j + 1]) / 2);
          const OdGePoint3d &right = grid[j * us.size() + i + 1], &up = grid[(j + 1) * us.size() + i];
          const double twist = std::max(distance(m, middle(here, grid[(j + 1) * us.size() + i + 1])),
                                        distance(m, middle(right, up)));
          off[0] = std::max(off[0], twist);
          off[1] = std::max(off[1], twist);
        }
        if (i + 1 < us.size())
          off[0] = std::max(off[0], distance(s.at((us[i] + us[i + 1]) / 2, vs[j]),
                                             middle(here, grid[j * us.size() + i + 1])));
        if (j + 1 < vs.size())
          off[1] = std::max(off[1], distance(s.at(us[i], (vs[j] + vs[j + 1]) / 2),
                                             middle(here, grid[(j + 1) * us.size() + i])));
      }
    bool finer = false, limited = false;
    for (int d = 0; d < 2; ++d) {
      if (!(off[d] > tolerance))
        continue;
      // Doubling the steps of a direction at most doubles its rows.
      const size_t rows = (d == 0 ? us : vs).size(), across = (d == 0 ? vs : us).size();
      if (rows - 1 < size_t(kMaxGrid) && (2 * rows - 1) * across <= maxVertices) {
        steps[d] *= 2;
        finer = true;
      } else {
        limited = true;
      }
    }
    if (!finer) {
      coarse = coarse || limited;
      break;
    }
  }

  Mesh mesh;
  mesh.coarse = coarse;
  std::vector<int> index(grid.size(), -1);
  const Region region(boundaries);
  const auto kept = [&](const OdGePoint2d& p) { return boundaries.empty() || region.inside(p) == outsideRemoved; };
  const auto vertex = [&](size_t i, size_t j) {
    int& v = index[j * us.size() + i];
    if (v < 0)
      v = mesh.add(grid[j * us.size() + i]);
    return v;
  };
  for (size_t j = 0; j + 1 < vs.size(); ++j)
    for (size_t i = 0; i + 1 < us.size(); ++i) {
      const size_t corner[4][2] = {{i, j}, {i + 1, j}, {i + 1, j + 1}, {i, j + 1}};
      OdGePoint2d uv[4];
      bool in[4];
      int count = 0;
      // Corners are told apart a hair inside the cell: a grid line may run along a boundary.
      const OdGePoint2d mid{(us[i] + us[i + 1]) / 2, (vs[j] + vs[j + 1]) / 2};
      for (int c = 0; c < 4; ++c) {
        const OdGePoint2d at{us[corner[c][0]], vs[corner[c][1]]};
        uv[c] = {at.x + (mid.x - at.x) * kInset, at.y + (mid.y - at.y) * kInset};
        in[c] = kept(uv[c]);
        count += in[c];
      }
      if (count == 4) {
        mesh.face(vertex(i, j), vertex(i + 1, j), vertex(i + 1, j + 1), vertex(i, j + 1));
        continue;
      }
      if (count == 0)
        continue;
      // The kept corners and where the edges between kept and removed ones cross a boundary.
      std::vector<int> outline;
      for (int c = 0; c < 4; ++c) {
        const int next = (c + 1) % 4;
        if (in[c])
          outline.push_back(vertex(corner[c][0], corner[c][1]));
        if (in[c] == in[next])
          continue;
        OdGePoint2d a = uv[c], b = uv[next]; // a kept, b removed, or the other way round
        for (int step = 0; step < kCrossingSteps; ++step) {
          const OdGePoint2d m{(a.x + b.x) / 2, (a.y + b.y) / 2};
          (kept(m) == in[c] ? a : b) = m;
        }
        const OdGePoint2d at = in[c] ? a : b;
        outline.push_back(mesh.add(s.at(at.x, at.y)));
      }
      if (outline.size() == 4)
        mesh.face(outline[0], outline[1], outline[2], outline[3]);
      else
        for (size_t k = 1; k + 1 < outline.size(); ++k)
          mesh.face(outline[0], outline[k], outline[k + 1]);
    }
  return mesh;
}

} // namespace dgn
