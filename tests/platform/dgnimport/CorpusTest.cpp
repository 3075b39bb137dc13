// Real design files converted whole and checked against two independent readers: GDAL's ogrinfo
// reads the design file, ezdxf reads our drawing of it (drawing_dump.py), and every element GDAL
// reports must have its counterpart in the drawing, on the same layer, in the same colour.
#include <ProcessRun.h>
#include <RealFiles.h>
#include <TestFiles.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextCodec>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

struct P {
  double x = 0, y = 0, z = 0;
  P operator-(const P& o) const { return {x - o.x, y - o.y, z - o.z}; }
  P operator+(const P& o) const { return {x + o.x, y + o.y, z + o.z}; }
  P operator*(double f) const { return {x * f, y * f, z * f}; }
  double dot(const P& o) const { return x * o.x + y * o.y + z * o.z; }
  double norm() const { return std::sqrt(dot(*this)); }
};
using Points = std::vector<P>;

std::string str(const P& p)
{
  return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")";
}

struct Box {
  P lo{INFINITY, INFINITY}, hi{-INFINITY, -INFINITY}; // in plan

  Box& add(const Points& points)
  {
    for (const P& p : points) {
      lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
      hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
    }
    return *this;
  }
  bool overlaps(const Box& o, double margin) const
  {
    return lo.x <= o.hi.x + margin && o.lo.x <= hi.x + margin && lo.y <= o.hi.y + margin && o.lo.y <= hi.y + margin;
  }
  double size() const { return std::max(hi.x - lo.x, hi.y - lo.y); }
};

// Vertices without repeats or a closing repeat: a line of no length compares with a point, a
// closed ring with a polyline that is closed by its flag.
Points simplified(const Points& in, double tol)
{
  Points out;
  for (const P& p : in)
    if (out.empty() || (p - out.back()).norm() > tol)
      out.push_back(p);
  if (out.size() > 2 && (out.front() - out.back()).norm() <= tol)
    out.pop_back();
  return out;
}

// Points, their box, and their vertices without repeats, worked out once for the many comparisons.
struct Path {
  Points points, simple;
  Box box;
  Path(Points p, double tol) : points(std::move(p)), simple(simplified(points, tol)), box(Box().add(points)) {}
};

// --- The file's element chain, scanned without the reader under test. ------------------------

struct Element {
  int type = 0;
  bool deleted = false, component = false; // component: the complex bit, a part of what precedes it
  int owner = 0;                           // the top-level element it belongs to, itself if top-level
  int parts = 0;                           // complex chains and shapes: their number of components
  QByteArray name;                         // shared cell definitions
  bool twoByte = false;                    // texts in the file's double-byte code page
  int vertices = 0;                        // curves
};

std::vector<Element> scanElements(const QByteArray& file)
{
  std::vector<Element> elements;
  const auto byte = [&](int at) { return at < file.size() ? quint8(file[at]) : 0; };
  const int textAt = byte(1214) & 0x40 ? 76 : 60; // where a text's characters start, in 3D and 2D files
  for (int at = 0; at + 4 <= file.size() && !(byte(at) == 0xFF && byte(at + 1) == 0xFF);
       at += ((byte(at + 2) | byte(at + 3) << 8) + 2) * 2) {
    Element e;
    e.type = byte(at + 1) & 0x7F;
    e.deleted = byte(at + 1) & 0x80;
    e.component = byte(at) & 0x80;
    e.owner = e.component && !elements.empty() ? elements.back().owner : int(elements.size());
    e.parts = e.type == 12 || e.type == 14 ? byte(at + 38) | byte(at + 39) << 8 : 0;
    e.name = e.type == 34 ? file.mid(at + 164, 16).split('\0').front() : QByteArray();
    e.twoByte = e.type == 17 && byte(at + textAt) == 0xFF && byte(at + textAt + 1) == 0xFD;
    e.vertices = e.type == 11 ? byte(at + 36) | byte(at + 37) << 8 : 0;
    elements.push_back(e);
  }
  return elements;
}

// --- GDAL's view of the design file. ---------------------------------------------------------

struct Feature {
  int fid = 0, type = 0, level = 0;
  QString rgb;               // empty when GDAL gives none
  QString fill;              // an area fill's colour
  std::vector<Points> parts; // lines, rings, or a text's origin
  bool polygon = false;
  QByteArray text;      // GDAL's bytes: it shows two-byte texts undecoded
  QString size;         // a text's height as GDAL prints it
  double angle = 0;     // a text's rotation as GDAL prints it, in whole degrees
  bool rotated = false; // GDAL prints no angle for a rotation of exactly 0
};

// Each innermost parenthesised list of points of a WKT geometry: a point, a line, a ring.
std::vector<Points> wktParts(const QString& wkt)
{
  static const QRegularExpression innermost(R"(\(([^()]*)\))");
  std::vector<Points> parts;
  for (auto lists = innermost.globalMatch(wkt); lists.hasNext();) {
    Points& part = parts.emplace_back();
    for (const QString& point : lists.next().captured(1).split(',')) {
      const QStringList v = point.split(' ', Qt::SkipEmptyParts);
      part.push_back({v.value(0).toDouble(), v.value(1).toDouble(), v.value(2).toDouble()});
    }
  }
  return parts;
}

// GDAL's features, and its extent: the box of the file's top-level elements.
std::vector<Feature> gdalFeatures(const QString& dgn, Box& extent)
{
  static const QRegularExpression pen(R"(PEN\([^)]*c:#([0-9a-f]{6}))"), brush(R"(BRUSH\(fc:#([0-9a-f]{6}))"),
    label(R"(^  Style = LABEL\(t:.*?(?:,c:#([0-9a-f]{6}))?,s:([-0-9.]+)g,f:[^,]*(?:,a:(-?\d+))?\)$)");
  std::vector<Feature> features;
  // Lines in place and plain prefixes: the output of a large file has many lines.
  const QByteArray out = runProcess("ogrinfo", {"-al", dgn}).rawOut;
  for (const char *line = out.constData(), *end; *line; line = *end ? end + 1 : end) {
    end = std::strchr(line, '\n');
    end = end ? end : line + std::strlen(line);
    const auto after = [&](const char* prefix) {
      return std::strncmp(line, prefix, std::strlen(prefix)) ? nullptr : line + std::strlen(prefix);
    };
    double x0, y0, x1, y1;
    if (const char* box = after("Extent: ");
        box && std::sscanf(box, "(%lf, %lf) - (%lf, %lf)", &x0, &y0, &x1, &y1) == 4)
      extent.add({{x0, y0}, {x1, y1}});
    if (const char* fid = after("OGRFeature(elements):"))
      features.emplace_back().fid = std::atoi(fid);
    if (features.empty())
      continue;
    Feature& f = features.back();
    if (const char* type = after("  Type (Integer) = "))
      f.type = std::atoi(type);
    else if (const char* level = after("  Level (Integer) = "))
      f.level = std::atoi(level);
    else if (const char* text = after("  Text (String) = "))
      f.text = QByteArray(text, int(end - text));
    else if (after("  Style = ")) {
      const QString style = QString::fromLatin1(line, int(end - line));
      if (const auto m = label.match(style); m.hasMatch()) {
        f.rgb = m.captured(1);
        f.size = m.captured(2);
        f.angle = m.captured(3).toDouble();
        f.rotated = !m.captured(3).isEmpty();
      } else {
        f.rgb = (pen.match(style).hasMatch() ? pen.match(style) : brush.match(style)).captured(1);
        f.fill = brush.match(style).captured(1);
      }
    } else if (after("  POINT") || after("  LINESTRING") || after("  POLYGON") || after("  MULTILINESTRING")) {
      f.polygon = after("  POLYGON");
      f.parts = wktParts(QString::fromLatin1(line, int(end - line)));
    }
  }
  return features;
}

// GDAL's extent grown by the features it reads outside: cells are not part of it. Components of
// shared cell definitions are drawn elsewhere.
Box gdalExtent(Box box, const std::vector<Feature>& features, const std::vector<Element>& elements)
{
  for (const Feature& f : features)
    if (elements[elements[f.fid].owner].type != 34)
      for (const Points& part : f.parts)
        box.add(part);
  return box;
}

// --- ezdxf's view of our drawing. ------------------------------------------------------------

Points pointList(const QJsonValue& v) // x, y, z, x, y, z...
{
  const QJsonArray a = v.toArray();
  Points points;
  for (int i = 0; i + 2 < a.size(); i += 3)
    points.push_back({a[i].toDouble(), a[i + 1].toDouble(), a[i + 2].toDouble()});
  return points;
}

P point(const QJsonValue& v)
{
  const Points one = pointList(v);
  return one.empty() ? P{} : one.front();
}

struct Entity {
  QString kind, layer, rgb; // rgb empty: by block, in a block definition
  Points points, flat;      // flat: a polyline with arcs or a conic, stroked
  bool closed = false;
  P center, major, minor; // conics
  double start = 0, end = 0;
  P insert, dir; // texts
  double height = 0;
  QString text;
  bool used = false; // the counterpart of a feature already
  Path drawn;        // what it draws; a text's insertion point

  Entity(const QJsonObject& o, double tol)
    : kind(o["kind"].toString()), layer(o["layer"].toString()), rgb(o["rgb"].toString()),
      points(pointList(o["points"])), flat(pointList(o["flat"])), closed(o["closed"].toBool()),
      center(point(o["center"])), major(point(o["major"])), minor(point(o["minor"])), start(o["start"].toDouble()),
      end(o["end"].toDouble()), insert(point(o["insert"])), dir(point(o["dir"])), height(o["height"].toDouble()),
      text(o["text"].toString()), drawn(isText() ? Points{insert} : stroke(), tol)
  {
  }

  bool isConic() const { return kind == "CIRCLE" || kind == "ARC" || kind == "ELLIPSE"; }
  bool isFill() const { return kind == "HATCH"; }
  bool isText() const { return kind == "TEXT" || kind == "MTEXT"; }
  const Points& stroke() const { return flat.empty() ? points : flat; }
  P at(double t) const { return center + major * std::cos(t) + minor * std::sin(t); }
  double span() const { return std::fmod(std::fmod(end - start, 2 * M_PI) + 2 * M_PI, 2 * M_PI); }
};

struct Drawing {
  QStringList audit;
  std::vector<Entity> model; // flattened through block references
  std::map<QString, std::vector<Entity>> blocks;
  int inserts = -1; // block references in model space itself
  Box extents;      // as the drawing's header gives them
};

std::vector<Entity> entities(const QJsonArray& list, double tol)
{
  std::vector<Entity> out;
  for (const QJsonValue& value : list)
    out.emplace_back(value.toObject(), tol);
  return out;
}

Drawing readDrawing(const QString& dxf, double tol)
{
  // Debian's python3-ezdxf is the system Python's.
  const QJsonObject o =
    QJsonDocument::fromJson(
      runProcess("/usr/bin/python3", {DGN_SOURCE_DIR "/tests/platform/dgnimport/drawing_dump.py", dxf}).rawOut)
      .object();
  Drawing d;
  d.audit = o["audit"].toVariant().toStringList();
  d.model = entities(o["model"].toArray(), tol);
  const QJsonObject blocks = o["blocks"].toObject();
  for (auto it = blocks.begin(); it != blocks.end(); ++it)
    d.blocks[it.key()] = entities(it.value().toArray(), tol);
  d.inserts = o["inserts"].toInt(-1);
  d.extents.add(pointList(o["extents"]));
  return d;
}

// --- Geometry and text. ----------------------------------------------------------------------

bool isClosed(const Points& points, bool flag, double tol)
{
  return flag || (points.size() > 2 && (points.front() - points.back()).norm() <= tol);
}

double distanceToPolyline(const P& p, const Points& line)
{
  double best = line.empty() ? INFINITY : (p - line.front()).norm();
  for (size_t i = 1; i < line.size(); ++i) {
    const P ab = line[i] - line[i - 1];
    const double t = ab.dot(ab) > 0 ? std::clamp((p - line[i - 1]).dot(ab) / ab.dot(ab), 0.0, 1.0) : 0.0;
    best = std::min(best, (p - (line[i - 1] + ab * t)).norm());
  }
  return best;
}

// Distance from p to the conic's arc: exact for points on the curve, an upper bound otherwise.
double distanceToConic(const P& p, const Entity& e)
{
  const P d = p - e.center;
  const double m2 = e.major.dot(e.major), n2 = e.minor.dot(e.minor);
  const double t = std::atan2(n2 > 0 ? d.dot(e.minor) / n2 : 0.0, m2 > 0 ? d.dot(e.major) / m2 : 0.0);
  double from = std::fmod(std::fmod(t - e.start, 2 * M_PI) + 2 * M_PI, 2 * M_PI);
  if (e.span() > 0 && from > e.span()) // beyond the arc: its nearer end
    from = from - e.span() < 2 * M_PI - from ? e.span() : 0.0;
  return (p - e.at(e.start + from)).norm();
}

bool isControl(QChar c)
{
  return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0);
}

// UTF-8 with control characters escaped, for messages.
std::string printable(const QString& text)
{
  QString out;
  for (QChar c : text)
    out += isControl(c) ? QString("\\x%1").arg(c.unicode(), 2, 16, QChar('0')) : QString(c);
  return out.toStdString();
}

// GDAL's bytes of a two-byte text decoded one character at a time (a lead byte from 0x81 takes
// the next byte along), so that a character the code page cannot map is U+FFFD and no other.
QString decodeEach(const QByteArray& gdal, QTextCodec* codec)
{
  // What Big5 leaves to its users, Hong Kong's supplement (HKSCS) may fill.
  QTextCodec* hongKong = codec->name() == "Big5" ? QTextCodec::codecForName("Big5-HKSCS") : nullptr;
  QString text;
  for (int i = 0; i < gdal.size();) {
    const int length = quint8(gdal[i]) >= 0x81 && i + 1 < gdal.size() ? 2 : 1;
    const auto decoded = [&](QTextCodec* page) {
      QTextCodec::ConverterState state;
      const QString c = page->toUnicode(gdal.constData() + i, length, &state);
      // The private use area holds characters a code page leaves to each user: nothing to show.
      const bool unmapped = c.toUcs4().size() != 1 || (c[0].unicode() >= 0xE000 && c[0].unicode() <= 0xF8FF);
      return state.invalidChars || state.remainingChars || unmapped ? QString(QChar(0xFFFD)) : c;
    };
    const QString c = decoded(codec);
    text += c == QChar(0xFFFD) && hongKong ? decoded(hongKong) : c;
    i += length;
  }
  return text;
}

// The double-byte code page that decodes the most of the file's two-byte texts.
QTextCodec* twoByteCodec(const std::vector<Feature>& features, const std::vector<Element>& elements)
{
  std::map<long, QTextCodec*> byDecoded; // the first of each count
  for (const char* name : {"Big5", "Shift-JIS", "GBK", "EUC-KR"})
    if (QTextCodec* codec = QTextCodec::codecForName(name))
      byDecoded.emplace(std::count_if(features.begin(), features.end(), [&](const Feature& f) {
        return elements[f.fid].twoByte && !decodeEach(f.text, codec).contains(QChar(0xFFFD));
      }), codec);
  return byDecoded.empty() ? nullptr : byDecoded.rbegin()->second;
}

// Our text for GDAL's bytes: a two-byte text through the file's code page; an eight-bit text
// byte for byte, where GDAL shows the MicroStation fractions at 0x80-0x9F raw and ours may show
// any printable characters for each.
bool sameText(const QString& ours, const QByteArray& gdal, QTextCodec* twoByte)
{
  if (twoByte)
    return ours == decodeEach(gdal, twoByte);
  QString pattern;
  for (const char byte : gdal) {
    const quint8 b = quint8(byte);
    pattern += b >= 0x80 && b < 0xA0 ? QString("[^\\x00-\\x1f\\x7f-\\x9f]+")
                                     : QRegularExpression::escape(QString(QChar(b)));
  }
  return QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(ours).hasMatch();
}

// --- Matching. -------------------------------------------------------------------------------

// Straight features match an entity vertex by vertex, conics and texts an entity of their kind;
// curves, chains and shapes are covered by what we drew: a chain draws its runs apart where its
// components do not meet, which GDAL joins. GDAL's lines of a 3D surface or solid lie on the
// edges of our mesh's faces.
// GDAL draws a B-spline curve's poles as lines; we draw the curve, a spline with those poles.
enum class Shape { Straight, Conic, Covered, Text, Poles };

Shape shapeOf(const Feature& f)
{
  switch (f.type) {
  case 17: return Shape::Text;
  case 15: case 16: return Shape::Conic;
  case 11: case 12: case 14: case 18: case 19: return Shape::Covered;
  case 21: return Shape::Poles;
  default: return Shape::Straight;
  }
}

// How close a covered feature's stroke must lie to our drawing, relative to its size. A curve
// inside a chain or shape is stroked within 1e-4 of its size. GDAL draws a curve of one piece (six
// points) as a straight line from near its start, up to 2e-5 of its size off the curve.
double closeness(const Feature& f, const std::vector<Element>& elements)
{
  if (f.type == 11)
    return elements[f.fid].vertices == 6 ? 1e-4 : 1e-6;
  const auto first = elements.begin() + f.fid + 1, last = first + std::min<long>(elements[f.fid].parts, elements.end() - first);
  return std::any_of(first, last, [](const Element& e) { return e.type == 11 || e.type == 27; }) ? 1e-4 : 1e-6;
}

// What must be drawn for a feature: a chain or shape is one path, other multi-part features
// (solids) are several.
std::vector<Path> paths(const Feature& f, double tol)
{
  std::vector<Path> out;
  Points joined;
  for (const Points& part : f.parts)
    if (f.type == 12 || f.type == 14)
      joined.insert(joined.end(), part.begin(), part.end());
    else
      out.emplace_back(part, tol);
  if (!f.parts.empty() && (f.type == 12 || f.type == 14))
    out.emplace_back(joined, tol);
  return out;
}

struct Check {
  const Feature& feature;
  Shape shape;
  double tol;
  QTextCodec* twoByte; // the file's code page, for a two-byte text
  double closeness;    // covered features: how near our drawing, relative to their size
  double resolution;   // a unit of resolution: no stored position is finer

  bool sameGeometry(const Path& path, const Entity& e) const
  {
    // Some writers store fractions of a unit of resolution in a linkage, which GDAL adds and we
    // do not: straight features match to a unit of resolution.
    const double near = shape == Shape::Straight ? std::max(tol, resolution) : tol;
    // GDAL draws an arc without axes at the origin, wherever it is stored: ours is as small.
    if (shape == Shape::Conic && path.box.size() == 0)
      return (e.kind == "POINT" || e.kind == "LINE") && e.drawn.box.size() <= tol;
    if (shape != Shape::Poles && !path.box.overlaps(e.drawn.box, near))
      return false;
    if (shape == Shape::Text)
      return e.isText() && (e.insert - path.points.front()).norm() <= tol;
    if (shape == Shape::Poles)
      return e.kind == "SPLINE" && std::all_of(path.points.begin(), path.points.end(), [&](const P& p) {
               return std::any_of(e.points.begin(), e.points.end(), [&](const P& q) { return (p - q).norm() <= tol; });
             });
    if (shape == Shape::Conic)
      return e.isConic() && std::all_of(path.points.begin(), path.points.end(),
                                        [&](const P& p) { return distanceToConic(p, e) <= tol; });
    const Points &a = path.simple, &b = e.drawn.simple;
    return !e.isConic() && !e.isText() && e.flat.empty() && a.size() == b.size() &&
           (a.size() < 3 || isClosed(path.points, feature.polygon, tol) == isClosed(e.points, e.closed, tol)) &&
           std::equal(a.begin(), a.end(), b.begin(), [&](const P& p, const P& q) { return (p - q).norm() <= near; });
  }

  // Whether every point of GDAL's stroke lies on what we drew within 1e-6 of the element's size
  // (true arcs and splines flattened far closer than that), or 1e-4 where curves had to become
  // polylines; empty when it does.
  std::string cover(const Path& path, const std::vector<Entity*>& candidates) const
  {
    // GDAL moves some vertices of line chains in dgn2gdb_952000 by less than a unit of resolution.
    const double near = std::max(closeness * path.box.size(), resolution);
    std::vector<Entity*> drawn;
    for (Entity* e : candidates)
      if (!e->isText() && !e->isConic() && !e->isFill() && path.box.overlaps(e->drawn.box, near) &&
          difference(*e).empty())
        drawn.push_back(e);
    for (const P& p : path.points) {
      double off = INFINITY;
      for (const Entity* e : drawn)
        off = std::min(off, distanceToPolyline(p, e->stroke()));
      if (off > near)
        return drawn.empty() ? "nothing drawn there" : "GDAL's " + str(p) + " lies " + std::to_string(off) + " off";
    }
    return {};
  }

  // Whether a solid hatch of the feature's fill colour lies along every point of its outline;
  // empty when one does.
  std::string fill(const Path& path, const std::vector<Entity*>& candidates) const
  {
    const double near = std::max(1e-6 * path.box.size(), resolution);
    for (Entity* e : candidates)
      if (e->isFill() && !e->used && path.box.overlaps(e->drawn.box, near) &&
          (e->rgb.isEmpty() || e->rgb == feature.fill) &&
          std::all_of(path.points.begin(), path.points.end(),
                      [&](const P& p) { return distanceToPolyline(p, e->flat) <= near; })) {
        e->used = true;
        return {};
      }
    return "no solid hatch of #" + feature.fill.toStdString() + " over it";
  }

  // Why an entity drawn in the feature's place is not its counterpart; empty when it is.
  std::string difference(const Entity& e) const
  {
    const Feature& f = feature;
    if (e.layer != QString::number(f.level))
      return "on layer " + e.layer.toStdString() + " instead of " + std::to_string(f.level);
    if (!f.rgb.isEmpty() && !e.rgb.isEmpty() && e.rgb != f.rgb)
      return "colour #" + e.rgb.toStdString() + " instead of #" + f.rgb.toStdString();
    if (shape != Shape::Text)
      return {};
    const std::string theirs = printable(twoByte ? twoByte->toUnicode(f.text) : QString::fromLatin1(f.text));
    if (std::any_of(e.text.begin(), e.text.end(), isControl))
      return "control character in \"" + printable(e.text) + "\" for GDAL's \"" + theirs + "\"";
    if (!sameText(e.text, f.text, twoByte))
      return "text \"" + printable(e.text) + "\" instead of \"" + theirs + "\"";
    // GDAL prints heights of 6 and more truncated to whole units, smaller ones to 3 decimals or
    // more, and angles rounded to whole degrees.
    const int decimals = f.size.contains('.') ? int(f.size.size() - f.size.indexOf('.') - 1) : 0;
    const double height = f.size.toDouble(), heightOff = e.height - height;
    if (decimals ? std::fabs(heightOff) > 0.5 * std::pow(10.0, -decimals) + 1e-6 * height
                 : heightOff < -1e-6 * height || heightOff >= 1)
      return "height " + std::to_string(e.height) + " instead of " + f.size.toStdString();
    const double angle = std::atan2(e.dir.y, e.dir.x) * 180 / M_PI, angleOff = std::remainder(angle - f.angle, 360.0);
    if (f.rotated ? std::fabs(angleOff) >= 1.5 : std::fabs(angleOff) > 1e-6)
      return "rotation " + std::to_string(angle) + " instead of " + std::to_string(f.angle);
    return {};
  }

  // Finds and uses the counterpart of one path among the candidates, else says why there is none.
  std::string match(const Path& path, const std::vector<Entity*>& candidates) const
  {
    std::string why;
    for (Entity* e : candidates) {
      if (e->used || !sameGeometry(path, *e))
        continue;
      const std::string difference = this->difference(*e);
      if (difference.empty()) {
        e->used = true;
        return {};
      }
      if (why.empty())
        why = difference;
    }
    return why.empty() ? "nothing drawn there" : why;
  }
};

// The entities of the blocks made of a shared cell definition: named after it, made unique by a
// suffix.
std::vector<Entity*> definitionEntities(Drawing& drawing, const QByteArray& definition)
{
  std::vector<Entity*> entities;
  for (auto& [name, list] : drawing.blocks)
    if (name.toLatin1().toUpper().startsWith(definition.toUpper()))
      for (Entity& e : list)
        entities.push_back(&e);
  return entities;
}

// Finds and uses a feature's counterpart among the entities of model space, or for a component of
// a shared cell definition, which only the definition's instances draw, of its blocks.
std::string counterpart(const Check& check, const Element* definition, const std::vector<Entity*>& candidates)
{
  const std::vector<Path> wanted = paths(check.feature, check.tol);
  if (wanted.empty() || wanted.front().points.empty())
    return "GDAL's geometry not understood";
  const std::string name = definition ? "\"" + definition->name.toStdString() + "\"" : "";
  if (definition && candidates.empty())
    return "no block named " + name;
  for (const Path& path : wanted) {
    std::string why = check.shape == Shape::Covered ? check.cover(path, candidates) : check.match(path, candidates);
    if (why.empty() && !check.feature.fill.isEmpty())
      why = check.fill(path, candidates);
    if (!why.empty())
      return definition ? why + " in block " + name : why;
  }
  return {};
}

// Features of one element type without counterpart: how many of how many, and the first few
// with the reason.
struct Tally {
  int failed = 0, total = 0;
  std::string examples;

  void add(const Feature& f, const std::string& why)
  {
    ++total;
    if (!why.empty() && ++failed <= 5)
      examples += "    FID " + std::to_string(f.fid) + " at " + str(f.parts.empty() ? P{} : f.parts[0].front()) +
                  ": " + why + "\n";
  }
};

void checkConversion(const QString& dgn, const QByteArray& bytes)
{
  QTemporaryDir dir;
  const QString dxf = dir.filePath("drawing.dxf");
  const ProcessRun converted = runProcess(DGN_BIN_DIR "/dgninfo", {dgn, "--explode-text-nodes", "--convert", dxf});
  ASSERT_EQ(converted.code, 0) << converted.err.toStdString();
  const std::vector<Element> elements = scanElements(bytes);
  // Master units a unit of resolution: sub units a master unit (byte 1112) times units of
  // resolution a sub unit (1116), each stored high word first.
  const auto int32At = [&](int at) {
    return qint32(quint32(quint8(bytes[at + 1])) << 24 | quint32(quint8(bytes[at])) << 16 |
                  quint32(quint8(bytes[at + 3])) << 8 | quint8(bytes[at + 2]));
  };
  const double resolution = 1.0 / std::max(1.0, double(int32At(1112)) * double(int32At(1116)));
  Box gdalBox;
  const std::vector<Feature> gdal = gdalFeatures(dgn, gdalBox);
  ASSERT_FALSE(gdal.empty()) << "GDAL reads nothing";
  const Box features = gdalExtent(Box{}, gdal, elements), extent = gdalExtent(gdalBox, gdal, elements);
  const double tol = 1e-6 * extent.size();
  QTextCodec* codec = twoByteCodec(gdal, elements);

  Drawing drawing = readDrawing(dxf, tol);
  ASSERT_GE(drawing.inserts, 0) << "ezdxf cannot read the drawing";
  EXPECT_TRUE(drawing.audit.isEmpty()) << "ezdxf's audit: " << drawing.audit.mid(0, 5).join('\n').toStdString();
  std::vector<Entity*> model;
  for (Entity& e : drawing.model)
    model.push_back(&e);
  std::map<int, std::vector<Entity*>> definitions; // by the definition's element
  std::map<int, Tally> failures; // by element type
  for (const Feature& f : gdal) {
    ASSERT_LT(f.fid, int(elements.size())) << "GDAL and the scan disagree on the element chain";
    const Check check{f, shapeOf(f), tol, elements[f.fid].twoByte ? codec : nullptr, closeness(f, elements),
                      resolution};
    const int owner = elements[f.fid].owner;
    const Element* definition = elements[owner].type == 34 ? &elements[owner] : nullptr;
    if (definition && !definitions.count(owner))
      definitions[owner] = definitionEntities(drawing, definition->name);
    failures[f.type].add(f, counterpart(check, definition, definition ? definitions[owner] : model));
  }
  for (const auto& [type, t] : failures)
    EXPECT_EQ(t.failed, 0) << "elements of type " << type << " GDAL reads without their counterpart in the drawing, of "
                           << t.total << ":\n" << t.examples;

  int outside = 0;
  std::string example;
  for (const Entity& e : drawing.model)
    for (const P& p : e.drawn.points)
      if (!extent.overlaps(Box().add({p}), tol) && ++outside == 1)
        example = e.kind.toStdString() + " on layer " + e.layer.toStdString() + " at " + str(p);
  EXPECT_EQ(outside, 0) << "points drawn outside GDAL's extent, e.g. " << example;
  // Zoom to extents shows the design: the drawing's extents are those of GDAL's features, within
  // the stroke of a curve.
  const Box& ours = drawing.extents;
  const double side = 0.01 * features.size();
  const auto box = [](const Box& b) { return str(b.lo) + " - " + str(b.hi); };
  EXPECT_TRUE(std::fabs(ours.lo.x - features.lo.x) <= side && std::fabs(ours.hi.x - features.hi.x) <= side &&
              std::fabs(ours.lo.y - features.lo.y) <= side && std::fabs(ours.hi.y - features.hi.y) <= side)
    << "the drawing's extents " << box(ours) << " are not those of GDAL's features " << box(features);

  int cells = 0;
  for (const Element& e : elements)
    cells += !e.component && !e.deleted && (e.type == 2 || e.type == 35);
  EXPECT_GE(drawing.inserts, cells) << "cells and shared cells are block references in model space";
}

} // namespace

TEST(DgnCorpus, EveryElementGdalReadsHasItsCounterpartInTheDrawing)
{
  const QDir corpus(QString::fromStdString(realFile()));
  QStringList files = corpus.entryList({"*.dgn"}, QDir::Files, QDir::Name);
  for (const QString& sheet : QDir(corpus.filePath("sheets")).entryList({"*.dgn"}, QDir::Files, QDir::Name))
    files << "sheets/" + sheet;
  if (files.isEmpty())
    GTEST_SKIP() << noRealFiles();
  for (const QString& name : files) {
    SCOPED_TRACE(name.toStdString());
    const QString path = corpus.filePath(name);
    const QByteArray bytes = readBytes(path);
    if (!bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
      checkConversion(path, bytes);
      continue;
    }
    // A V8 file, an OLE compound document: refused, and said so.
    const ProcessRun info = runProcess(DGN_BIN_DIR "/dgninfo", {path});
    EXPECT_EQ(info.code, 1);
    EXPECT_TRUE(info.out.split('\n').contains("valid: 0")) << info.out.toStdString();
    EXPECT_TRUE(info.err.contains("V8")) << "a line saying it is not a V7 design file: " << info.err.toStdString();
  }
}

// Dimensions, which GDAL does not read: dimensions_oracle.py decodes each one's range block, where
// MicroStation drew it, and checks the DIMENSION entities ezdxf reads from our drawing against them.
TEST(DgnCorpus, DimensionsLieWhereMicroStationDrewThem)
{
  const QDir corpus(QString::fromStdString(realFile()));
  QStringList files;
  for (const QString& folder : {QString("."), QString("sheets")})
    for (const QString& name : QDir(corpus.filePath(folder)).entryList({"*.dgn"}, QDir::Files, QDir::Name)) {
      const QString path = corpus.filePath(folder + "/" + name);
      const std::vector<Element> elements = scanElements(readBytes(path));
      if (std::any_of(elements.begin(), elements.end(), [](const Element& e) { return e.type == 33 && !e.deleted; }))
        files << path;
    }
  if (files.isEmpty())
    GTEST_SKIP() << noRealFiles();
  for (const QString& dgn : files) {
    SCOPED_TRACE(dgn.toStdString());
    QTemporaryDir dir;
    const QString dxf = dir.filePath("drawing.dxf");
    const ProcessRun converted = runProcess(DGN_BIN_DIR "/dgninfo", {dgn, "--convert", dxf});
    ASSERT_EQ(converted.code, 0) << converted.err.toStdString();
    const ProcessRun oracle =
      runProcess("/usr/bin/python3", {DGN_SOURCE_DIR "/tests/platform/dgnimport/dimensions_oracle.py", dgn, dxf});
    EXPECT_EQ(oracle.code, 0) << oracle.out.toStdString() << oracle.err.toStdString();
  }
}

// plant3d/'s surfaces, solids and cones, which GDAL does not read: surfaces_oracle.py decodes each
// element's range block, boundaries and rules itself and checks them against the meshes ezdxf reads
// from our drawing, and prints which elements fail and by how much.
TEST(DgnCorpus, ThreeDElementsPassThroughTheirBoundariesAndRules)
{
  const QDir folder(QString::fromStdString(realFile("plant3d")));
  const QStringList files = folder.entryList({"*.dgn"}, QDir::Files, QDir::Name);
  if (files.isEmpty())
    GTEST_SKIP() << noRealFiles();
  for (const QString& name : files) {
    SCOPED_TRACE(name.toStdString());
    QTemporaryDir dir;
    const QString dgn = folder.filePath(name), dxf = dir.filePath("drawing.dxf");
    const ProcessRun converted = runProcess(DGN_BIN_DIR "/dgninfo", {dgn, "--convert", dxf});
    ASSERT_EQ(converted.code, 0) << converted.err.toStdString();
    const ProcessRun oracle =
      runProcess("/usr/bin/python3", {DGN_SOURCE_DIR "/tests/platform/dgnimport/surfaces_oracle.py", dgn, dxf});
    EXPECT_EQ(oracle.code, 0) << oracle.out.toStdString() << oracle.err.toStdString();
  }
}
