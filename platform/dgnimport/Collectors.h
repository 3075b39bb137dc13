#pragma once
#include "Chain.h"
#include "ElementGeometry.h"
#include "Solids.h"
#include "Surfaces.h"
#include "Symbology.h"

#include <DbDatabase.h>

#include <map>
#include <optional>
#include <vector>

namespace dgn {

// A complex element whose components are still arriving: what its header says, and the
// component words still to come. Each kind gathers its own components in a collector of its own.
class Collector {
public:
  enum class Kind { Chain, Shape, TextNode, Cell, SharedCellDefinition, Spline, Surface, Swept, Skip };

  Collector(Kind kind, const Element& header, long words)
    : kind(kind), type(header.type()), words(words), display(Display::of(header))
  {
  }
  virtual ~Collector() = default;
  Collector(const Collector&) = delete;
  Collector& operator=(const Collector&) = delete;

  const Kind kind;
  const int type; // of the header
  long words;
  const Display display;
  std::optional<uint32_t> elementId; // the id tags name the element by
};

// A complex chain or shape: its connected runs so far.
class ChainCollector : public Collector {
public:
  ChainCollector(Kind kind, const Element& header, long words, double joinTolerance)
    : Collector(kind, header, words), chain(joinTolerance)
  {
  }
  Chain chain;
  std::optional<int> fill; // a shape's area fill colour
};

// A text node: its origin and layout, and its lines joined as MTEXT paragraphs.
class TextNodeCollector : public Collector {
public:
  using Collector::Collector;
  void addLine(const OdString& line)
  {
    if (lines++ > 0)
      contents += OdString("\\P");
    contents += line;
  }
  TextData node;
  OdString contents;
  int lines = 0;
};

// A cell or a shared cell definition: the block definition its components fill.
class BlockCollector : public Collector {
public:
  BlockCollector(Kind kind, const Element& header, long words, OdDbBlockTableRecordPtr block, const OdGePoint3d& origin)
    : Collector(kind, header, words), block(std::move(block)), origin(origin)
  {
  }
  const OdDbBlockTableRecordPtr block;
  const OdGePoint3d origin;
};

// A B-spline curve: its poles, knots and weights as they arrive.
class SplineCollector : public Collector {
public:
  SplineCollector(Kind kind, const Element& header, long words, const SplineHeader& spline)
    : Collector(kind, header, words), spline(spline)
  {
  }
  const SplineHeader spline;
  std::vector<OdGePoint3d> poles;
  std::vector<double> knots, weights;
};

// A B-spline surface: its rows of poles, their weights, its knots and its boundaries by number.
class SurfaceCollector : public Collector {
public:
  SurfaceCollector(Kind kind, const Element& header, long words, const SurfaceHeader& surface)
    : Collector(kind, header, words), surface(surface)
  {
  }
  void addBoundary(int number, const std::vector<OdGePoint2d>& points, bool pointsClamped)
  {
    clamped = clamped || pointsClamped;
    std::vector<OdGePoint2d>& boundary = boundaries[number];
    boundary.insert(boundary.end(), points.begin(), points.end());
  }
  const SurfaceHeader surface;
  std::vector<std::vector<OdGePoint3d>> rows; // of poles along u
  std::vector<std::vector<double>> weightRows;
  std::vector<double> knots; // u, then v
  std::map<int, std::vector<OdGePoint2d>> boundaries;
  bool clamped = false; // a boundary left the surface
};

// A 3D surface or solid: its boundaries and rules.
class SweptCollector : public Collector {
public:
  SweptCollector(Kind kind, const Element& header, long words, const SweptHeader& swept)
    : Collector(kind, header, words), shape(swept)
  {
  }
  SweptShape shape;
};

} // namespace dgn
