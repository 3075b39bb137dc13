#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct V7Units {
  std::string master = "m", sub = "mm";
  int32_t subPerMaster = 1000, uorPerSub = 10;
  double origin[3] = {0.0, 0.0, 0.0};
};
struct V7Symbology {
  int level = 1, color = 0, weight = 0, style = 0;
  unsigned properties = 0;
  bool deleted = false;
  // Of the class of rule elements, which join the boundaries of 3D surfaces and solids.
  static V7Symbology rule() { return {1, 0, 0, 0, 4}; }
};
struct V7Point {
  int32_t x = 0, y = 0, z = 0;
};
// A rotation by `degrees` about `axis`, counter-clockwise as seen from the axis's tip.
struct V7Rotation {
  double degrees = 0.0;
  double axis[3] = {0.0, 0.0, 1.0};
};

// A reference point of a dimension: stored, or, with a target id, associative: at a vertex and
// the fraction (in halves) towards the next, or at a fraction along the segment from `vertex`.
struct V7DimensionPoint {
  V7Point at;
  int32_t offset = 0;
  bool centred = true;
  std::string text; // stored when not empty
  uint32_t target = 0;
  bool onSegment = false;
  int vertex = 0;
  double fraction = 0.0;
};

// A B-spline surface: rows of poles along u (with a row of weights each when rational), the
// interior knots in each direction, and boundaries as points in the parameters (0 to 1).
struct V7Surface {
  int orderU = 2, orderV = 2;
  bool closedU = false, closedV = false;
  std::vector<std::vector<V7Point>> rows;
  std::vector<std::vector<double>> weights;
  std::vector<double> knotsU, knotsV;
  std::vector<std::vector<std::pair<double, double>>> boundaries;
};

// Writes small V7 design files for tests: a control element with chosen units and origin,
// then whatever elements a test asks for, in UOR.
class V7Writer {
public:
  typedef V7Units Units;
  typedef V7Symbology Symbology;
  typedef V7Point P;
  typedef V7Rotation Rotation;
  typedef V7Surface Surface;
  typedef V7DimensionPoint DimensionPoint;
  typedef std::vector<uint8_t> Bytes;

  V7Writer(bool is3d, const Units& units);

  // Single elements, returned so that complex elements can take them as components.
  Bytes line(P a, P b, const Symbology& s = {}) const;
  Bytes vertices(int type, const std::vector<P>& points, const Symbology& s = {}) const;
  Bytes ellipse(double a, double b, const Rotation& rotation, double cx, double cy, double cz = 0,
                const Symbology& s = {}) const;
  Bytes arc(double startDeg, double sweepDeg, double a, double b, double cx, double cy, const Symbology& s = {},
            double cz = 0) const;
  // `text` is stored as given: eight-bit characters, or FF FD and little-endian words.
  Bytes text(const std::string& text, P origin, int32_t heightMult, const Symbology& s = {},
             const Rotation& rotation = {}) const;
  Bytes colorTable(const std::vector<uint32_t>& rgb) const;
  // Complex headers followed by their components (flagged as components).
  Bytes complex(int type, const std::vector<Bytes>& components, const Symbology& s = {}) const;
  Bytes textNode(const std::vector<Bytes>& lines, P origin, int justification, int32_t lineSpacing = 0,
                 const Symbology& s = {}) const;
  Bytes cell(const std::string& name, P origin, const std::vector<Bytes>& components, const Symbology& s = {}) const;
  // A shared cell definition holding components in its own coordinates, and an instance that
  // places it: `matrix` takes definition coordinates into the design (rows first, 2x2 or 3x3).
  Bytes sharedCellDefinition(const std::string& name, const std::vector<Bytes>& components) const;
  Bytes sharedCellInstance(const std::string& name, P origin, const std::vector<double>& matrix,
                           const Symbology& s = {}) const;
  // Knots and weights as fractions: values from 0 to 1. Poles are given as the points they stand
  // for and stored weighted when there are weights, as homogeneous coordinates.
  Bytes spline(int order, bool closed, const std::vector<P>& poles, const std::vector<double>& knots,
               const Symbology& s = {}, const std::vector<double>& weights = {}) const;
  // The symbology's H bit (properties 0x8000) removes the outside of the boundaries.
  Bytes surface(const Surface& surface, const Symbology& s = {}) const;
  // A 3D surface (18) or solid (19) of `components`: boundaries of `elementsPerBoundary` elements
  // and rule elements (class 4 in their symbology's properties) in the order they are stored.
  Bytes swept(int type, int surfaceType, int elementsPerBoundary, const std::vector<Bytes>& components,
              const Symbology& s = {}) const;
  // Two circles in the plane the rotation turns the x-y plane into: centres and radii in UOR.
  Bytes cone(bool surface, const Rotation& rotation, const std::vector<double>& center1, double radius1,
             const std::vector<double>& center2, double radius2, const Symbology& s = {}) const;

  // A 2D dimension of `kind`; `matrix` (rows first, 2x2) takes its axes into the design.
  Bytes dimension(int kind, const std::vector<DimensionPoint>& points, int32_t textHeight,
                  const std::vector<double>& matrix = {1, 0, 0, 1}, double scale = 1.0, const Symbology& s = {}) const;

  // A tag set definition of text tags (`names`, numbered from 1), with its id, which tag values
  // name it by.
  Bytes tagSet(const std::string& name, uint32_t id, const std::vector<std::string>& names) const;
  // A text value of tag `tag` of set `set` on the element of association id `host`, displayed
  // with its origin at `origin` (UOR) and a text size of `height` UOR.
  Bytes tagValue(uint32_t host, uint32_t set, int tag, const std::string& value, P origin, int32_t height,
                 const Symbology& s = {}) const;

  // `element` (simple, or a complex header with its components) with an area fill linkage that
  // paints its inside in `color`.
  static Bytes filled(Bytes element, int color);
  // `element` with the linkage that gives it an association id.
  static Bytes associated(Bytes element, uint32_t id);

  void add(const Bytes& element) { m_file.insert(m_file.end(), element.begin(), element.end()); }
  // The file so far, closed with the end-of-design marker.
  Bytes bytes() const;
  bool save(const std::string& path) const { return save(path, bytes()); }
  // Writes `bytes` as the whole of the file `path`.
  static bool save(const std::string& path, const Bytes& bytes);

  static void putI32(Bytes& b, size_t at, int32_t v);
  static void putF64(Bytes& b, size_t at, double v);

private:
  Bytes header(int type, size_t bytes, const Symbology& s) const;
  void putPoint(Bytes& b, size_t at, P p) const;
  void putRotation(Bytes& b, size_t at, const Rotation& rotation) const;
  // A conic's centre, the last of its data: two or three doubles.
  void putCentre(Bytes& b, double x, double y, double z) const;
  size_t vertexBytes() const { return m_is3d ? 12 : 8; }
  Bytes fractions(int type, const std::vector<double>& values, const Symbology& s) const;
  static Bytes withLinkage(Bytes element, const Bytes& linkage);
  static std::vector<P> weighted(std::vector<P> poles, const std::vector<double>& weights);

  bool m_is3d;
  Bytes m_file;
};
