// hostile_files OUTDIR: writes design files shaped to make a reader slow, hungry or deep: conics
// and B-splines of extreme proportions, surfaces whose weights differ by a million, swept solids
// with long profiles far from their axes, shared cells nested many times over, and B-spline
// headers nested inside each other. bench.py converts each and checks time, memory and size.
#include "V7Writer.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = V7Writer::Bytes;
using P = V7Point;

// Chains of a line and a conic whose axes are 1e9 UOR and 1 or 0, the long one first or second:
// a tilted ellipse, and arcs of a quarter and of a whole turn.
Bytes thinEllipseInChain()
{
  V7Writer w(true, {});
  const double axes[][2] = {{1e9, 1}, {1e9, 0}, {1, 1e9}, {0, 1e9}};
  for (const auto& ab : axes) {
    const P start{0, 0, 0}, end{int32_t(ab[0]), 0, 0};
    w.add(w.complex(12, {w.line(start, end), w.ellipse(ab[0], ab[1], {30.0, {1, 1, 0}}, 0, 0, 0)}));
    w.add(w.complex(12, {w.line(start, end), w.arc(0, 90, ab[0], ab[1], 0, 0)}));
    w.add(w.complex(12, {w.line(start, end), w.arc(45, 360, ab[0], ab[1], 0, 0)}));
  }
  return w.bytes();
}

// Rational B-spline curves in chains, their poles all on one point or all but the two ends, which
// lie 2e9 UOR apart, with weights of 1e-6 beside weights of 1.
Bytes coincidentPoles()
{
  V7Writer w(true, {});
  for (const int order : {3, 4, 6})
    for (const bool farEnds : {false, true})
      for (const bool alternate : {false, true}) {
        const int count = order + 3;
        std::vector<P> poles(size_t(count), P{500, 500, 500});
        std::vector<double> weights(size_t(count), 1.0);
        if (farEnds) {
          poles.front() = {-1000000000, 0, 0};
          poles.back() = {1000000000, 0, 0};
        }
        for (int i = 0; i < count; ++i)
          if (alternate ? i % 2 == 0 : i == count / 2)
            weights[size_t(i)] = 1e-6;
        w.add(w.complex(12, {w.spline(order, false, poles, {}, {}, weights), w.line({500, 500, 500}, {600, 500, 500})}));
      }
  return w.bytes();
}

// A rational 3 by 3 surface of order 3, its weights 1e-6 and 1 in a pattern `seed` picks.
Bytes extremeSurface(const V7Writer& w, int seed)
{
  V7Surface s;
  s.orderU = s.orderV = 3;
  const int32_t x0 = seed * 3000;
  for (int r = 0; r < 3; ++r) {
    s.rows.push_back({});
    s.weights.push_back({});
    for (int c = 0; c < 3; ++c) {
      s.rows.back().push_back({x0 + c * 1000, r * 1000, (r * c * 700 + seed * 130) % 1500});
      s.weights.back().push_back(((seed + 7) >> ((r * 3 + c) % 4)) & 1 ? 1e-6 : 1.0);
    }
  }
  return w.surface(s);
}

Bytes extremeWeights(int count)
{
  V7Writer w(true, {});
  for (int i = 0; i < count; ++i)
    w.add(extremeSurface(w, i));
  return w.bytes();
}

Bytes oneExtremeSurface()
{
  V7Writer w(true, {});
  w.add(extremeSurface(w, 0));
  return w.bytes();
}

// Planes trimmed by boundaries of 8,000 points a wavy circle: every corner of every cell is told
// inside or outside of them.
Bytes longBoundaries()
{
  V7Writer w(true, {});
  V7Surface s;
  s.rows = {{{0, 0, 0}, {100000, 0, 0}}, {{0, 100000, 0}, {100000, 100000, 0}}};
  std::vector<std::pair<double, double>> boundary;
  for (int i = 0; i < 8000; ++i) {
    const double t = 2 * M_PI * i / 8000, r = 0.3 + 0.1 * std::sin(40 * t);
    boundary.push_back({0.5 + r * std::cos(t), 0.5 + r * std::sin(t)});
  }
  s.boundaries = {boundary};
  for (int i = 0; i < 10; ++i)
    w.add(w.surface(s));
  return w.bytes();
}

// A solid and a surface of revolution about the z axis: a profile of 3000 points a few hundred UOR
// across, 1e6 UOR from the axis, turned a quarter turn by a rule arc of that radius.
Bytes longProfileFarRules()
{
  V7Writer w(true, {});
  std::vector<P> a, b;
  for (int i = 0; i < 3000; ++i) {
    const int32_t radius = 1000100 + int32_t(std::lround(80 * std::sin(i * 0.05))), z = i / 10;
    a.push_back({radius, 0, z});
    b.push_back({0, radius, z});
  }
  const std::vector<Bytes> parts = {w.vertices(4, a), w.vertices(4, b), w.arc(0, 90, 1e6, 1e6, 0, 0, V7Symbology::rule())};
  w.add(w.swept(19, 1, 1, parts));
  w.add(w.swept(18, 8, 1, parts));
  return w.bytes();
}

// Shared cell definitions L1 to L`levels`, each holding `width` instances of the one before, over
// L0, a line; one instance of the outermost in the design.
Bytes nestedSharedCells(int levels, int width)
{
  V7Writer w(true, {});
  w.add(w.sharedCellDefinition("L0", {w.line({0, 0, 0}, {100, 100, 0})}));
  const std::vector<double> identity = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  for (int level = 1; level <= levels; ++level) {
    std::vector<Bytes> instances;
    for (int i = 0; i < width; ++i)
      instances.push_back(w.sharedCellInstance("L" + std::to_string(level - 1), {i * 150, level * 10, 0}, identity));
    w.add(w.sharedCellDefinition("L" + std::to_string(level), instances));
  }
  w.add(w.sharedCellInstance("L" + std::to_string(levels), {0, 0, 0}, identity));
  return w.bytes();
}

// 100,000 B-spline curve headers, each a component of the one before: each header's count of the
// words that follow takes in all the headers after it and the last one's poles.
Bytes nestedHeaders()
{
  V7Writer w(true, {});
  const Bytes innermost = w.spline(2, false, {{0, 0, 0}, {1000, 0, 0}}, {});
  const size_t headerBytes = 48, count = 100000;
  Bytes nest;
  nest.reserve(headerBytes * (count - 1) + innermost.size());
  for (size_t i = 0; i + 1 < count; ++i) {
    const size_t at = nest.size();
    nest.insert(nest.end(), innermost.begin(), innermost.begin() + long(headerBytes));
    const size_t after = headerBytes * (count - 2 - i) + innermost.size();
    V7Writer::putI32(nest, at + 36, int32_t(headerBytes / 2 - 20 + after / 2));
    if (i > 0)
      nest[at] |= 0x80;
  }
  const size_t at = nest.size();
  nest.insert(nest.end(), innermost.begin(), innermost.end());
  nest[at] |= 0x80;
  w.add(nest);
  return w.bytes();
}

const struct {
  const char* name;
  Bytes (*make)();
} kFiles[] = {
  {"thin_ellipse_in_chain.dgn", thinEllipseInChain},
  {"coincident_poles.dgn", coincidentPoles},
  {"extreme_weights.dgn", [] { return extremeWeights(20); }},
  // Past the file's vertex budget each takes the least an element may.
  {"many_extreme_surfaces.dgn", [] { return extremeWeights(5000); }},
  {"one_extreme_surface.dgn", oneExtremeSurface},
  {"long_profile_far_rules.dgn", longProfileFarRules},
  {"nested_shared_cells.dgn", [] { return nestedSharedCells(6, 30); }},
  // Definitions of 750 instances, about as many as a definition's word count can take in.
  {"nested_shared_cells_1mb.dgn", [] { return nestedSharedCells(8, 750); }},
  // A chain of definitions, each holding one instance of the one before.
  {"chained_shared_cells.dgn", [] { return nestedSharedCells(20000, 1); }},
  {"long_boundaries.dgn", longBoundaries},
  {"nested_headers.dgn", nestedHeaders},
};

} // namespace

int main(int argc, char** argv)
{
  if (argc != 2) {
    std::fprintf(stderr, "usage: hostile_files OUTDIR\n");
    return 2;
  }
  for (const auto& file : kFiles) {
    const std::string path = std::string(argv[1]) + "/" + file.name;
    const Bytes bytes = file.make();
    if (!V7Writer::save(path, bytes)) {
      std::fprintf(stderr, "hostile_files: cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s %zu\n", path.c_str(), bytes.size());
  }
  return 0;
}
