#include "V7Writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

namespace {
using Bytes = V7Writer::Bytes;
constexpr double kOne = 2147483647.0; // a quaternion's unit, and a fraction's

void put16(Bytes& b, size_t at, unsigned v)
{
  b[at] = uint8_t(v & 0xFF);
  b[at + 1] = uint8_t((v >> 8) & 0xFF);
}

void putLE32(Bytes& b, size_t at, uint32_t v)
{
  for (size_t i = 0; i < 4; ++i)
    b[at + i] = uint8_t(v >> (8 * i));
}

void putF64s(Bytes& b, size_t at, const std::vector<double>& values)
{
  for (size_t i = 0; i < values.size(); ++i)
    V7Writer::putF64(b, at + 8 * i, values[i]);
}

void putFraction(Bytes& b, size_t at, double value)
{
  V7Writer::putI32(b, at, int32_t(std::lround(value * kOne)));
}

uint16_t radix50(const std::string& three)
{
  static const std::string kChars = " ABCDEFGHIJKLMNOPQRSTUVWXYZ$.?0123456789";
  unsigned v = 0;
  for (size_t i = 0; i < 3; ++i) {
    const size_t d = i < three.size() ? kChars.find(three[i]) : 0;
    v = v * 40 + unsigned(d == std::string::npos ? 0 : d);
  }
  return uint16_t(v);
}

// A B-spline's order, whether it is rational and whether it is closed, in one byte.
uint8_t orderFlags(int order, bool rational, bool closed)
{
  return uint8_t(((order - 2) & 0x0F) | (rational ? 0x40 : 0) | (closed ? 0x80 : 0));
}

// A complex header followed by its components, flagged as such. The header counts the words that
// follow its 19th (its 20th for B-splines, in two words).
Bytes withComponents(Bytes head, const std::vector<Bytes>& parts, bool bspline = false)
{
  size_t words = head.size() / 2;
  for (const Bytes& p : parts)
    words += p.size() / 2;
  if (bspline)
    V7Writer::putI32(head, 36, int32_t(words - 20));
  else
    put16(head, 36, unsigned(words - 19));
  for (const Bytes& p : parts) {
    head.insert(head.end(), p.begin(), p.end());
    head[head.size() - p.size()] |= 0x80;
  }
  return head;
}
} // namespace

void V7Writer::putI32(Bytes& b, size_t at, int32_t value)
{
  const uint32_t v = static_cast<uint32_t>(value);
  b[at] = uint8_t(v >> 16);
  b[at + 1] = uint8_t(v >> 24);
  b[at + 2] = uint8_t(v);
  b[at + 3] = uint8_t(v >> 8);
}

void V7Writer::putF64(Bytes& b, size_t at, double value)
{
  uint64_t vax = 0;
  if (value != 0.0) {
    uint64_t ieee;
    std::memcpy(&ieee, &value, sizeof ieee);
    const uint64_t sign = ieee >> 63;
    const uint64_t exponent = ((ieee >> 52) & 0x7FF) - 1023 + 129;
    vax = (sign << 63) | (exponent << 55) | ((ieee & ((uint64_t(1) << 52) - 1)) << 3);
  }
  for (int word = 0; word < 4; ++word)
    put16(b, at + 2 * word, unsigned((vax >> (48 - 16 * word)) & 0xFFFF));
}

V7Writer::V7Writer(bool is3d, const Units& u) : m_is3d(is3d)
{
  Bytes tcb(1536, 0);
  tcb[0] = 0x08;
  tcb[1] = 0x09;
  put16(tcb, 2, 1536 / 2 - 2);
  putI32(tcb, 1112, u.subPerMaster);
  putI32(tcb, 1116, u.uorPerSub);
  for (size_t i = 0; i < 2; ++i) {
    tcb[1120 + i] = i < u.master.size() ? uint8_t(u.master[i]) : 0;
    tcb[1122 + i] = i < u.sub.size() ? uint8_t(u.sub[i]) : 0;
  }
  tcb[1214] = is3d ? 0x40 : 0x00;
  putF64s(tcb, 1240, {u.origin[0], u.origin[1], u.origin[2]});
  add(tcb);
}

V7Writer::Bytes V7Writer::filled(Bytes element, int color)
{
  // A user data linkage of 8 words, id 0x41, with the fill colour in its ninth byte; the rest as
  // MicroStation writes it.
  return withLinkage(std::move(element), {0x07, 0x10, 0x41, 0x00, 0x02, 0x08, 0x01, 0x00, uint8_t(color), 0, 0, 0, 0, 0, 0, 0});
}

V7Writer::Bytes V7Writer::associated(Bytes element, uint32_t id)
{
  return withLinkage(std::move(element), {0x03, 0x10, 0x2F, 0x7D, uint8_t(id), uint8_t(id >> 8), uint8_t(id >> 16), uint8_t(id >> 24)});
}

V7Writer::Bytes V7Writer::withLinkage(Bytes element, const Bytes& linkage)
{
  const size_t end = (size_t(element[2] | (element[3] << 8)) + 2) * 2;
  element.insert(element.begin() + long(end), linkage.begin(), linkage.end());
  const unsigned added = unsigned(linkage.size() / 2);
  put16(element, 2, unsigned(element[2] | (element[3] << 8)) + added);
  if (end < element.size() - linkage.size()) // a complex header: its total grows as well
    put16(element, 36, unsigned(element[36] | (element[37] << 8)) + added);
  return element;
}

V7Writer::Bytes V7Writer::header(int type, size_t bytes, const Symbology& s) const
{
  Bytes e(bytes + (bytes & 1), 0);
  e[0] = uint8_t(s.level & 0x3F);
  e[1] = uint8_t(type | (s.deleted ? 0x80 : 0));
  put16(e, 2, unsigned(e.size() / 2 - 2));
  put16(e, 30, unsigned(e.size() / 2 - 16)); // no attributes: the index points at the end
  put16(e, 32, s.properties);
  e[34] = uint8_t((s.style & 7) | (s.weight << 3));
  e[35] = uint8_t(s.color);
  return e;
}

void V7Writer::putPoint(Bytes& b, size_t at, P p) const
{
  putI32(b, at, p.x);
  putI32(b, at + 4, p.y);
  if (m_is3d)
    putI32(b, at + 8, p.z);
}

void V7Writer::putRotation(Bytes& b, size_t at, const Rotation& r) const
{
  if (!m_is3d) {
    putI32(b, at, int32_t(std::lround(r.degrees * 360000.0)));
    return;
  }
  // MicroStation stores the inverse rotation: the half angle's sine enters negated.
  const double half = r.degrees * M_PI / 360.0;
  const double n = std::sqrt(r.axis[0] * r.axis[0] + r.axis[1] * r.axis[1] + r.axis[2] * r.axis[2]);
  putI32(b, at, int32_t(std::lround(std::cos(half) * kOne)));
  for (int i = 0; i < 3; ++i)
    putI32(b, at + 4 + 4 * size_t(i), int32_t(std::lround(-std::sin(half) * r.axis[i] / n * kOne)));
}

void V7Writer::putCentre(Bytes& b, double x, double y, double z) const
{
  putF64s(b, b.size() - 2 * vertexBytes(), m_is3d ? std::vector<double>{x, y, z} : std::vector<double>{x, y});
}

V7Writer::Bytes V7Writer::line(P a, P b, const Symbology& s) const
{
  Bytes e = header(3, 36 + 2 * vertexBytes(), s);
  putPoint(e, 36, a);
  putPoint(e, 36 + vertexBytes(), b);
  return e;
}

V7Writer::Bytes V7Writer::vertices(int type, const std::vector<P>& points, const Symbology& s) const
{
  Bytes e = header(type, 38 + points.size() * vertexBytes(), s);
  put16(e, 36, unsigned(points.size()));
  for (size_t i = 0; i < points.size(); ++i)
    putPoint(e, 38 + i * vertexBytes(), points[i]);
  return e;
}

V7Writer::Bytes V7Writer::ellipse(double a, double b, const Rotation& rot, double cx, double cy, double cz,
                                  const Symbology& s) const
{
  Bytes e = header(15, m_is3d ? 92 : 72, s);
  putF64s(e, 36, {a, b});
  putRotation(e, 52, rot);
  putCentre(e, cx, cy, cz);
  return e;
}

V7Writer::Bytes V7Writer::arc(double start, double sweep, double a, double b, double cx, double cy, const Symbology& s,
                              double cz) const
{
  Bytes e = header(16, m_is3d ? 100 : 80, s);
  putI32(e, 36, int32_t(std::lround(start * 360000.0)));
  const int32_t magnitude = int32_t(std::lround(std::fabs(sweep) * 360000.0));
  putI32(e, 40, sweep < 0 ? int32_t(uint32_t(magnitude) | 0x80000000u) : magnitude);
  putF64s(e, 44, {a, b});
  putRotation(e, 60, {});
  putCentre(e, cx, cy, cz);
  return e;
}

V7Writer::Bytes V7Writer::text(const std::string& t, P origin, int32_t heightMult, const Symbology& s,
                               const Rotation& rotation) const
{
  const size_t originAt = m_is3d ? 62 : 50;
  const size_t countAt = originAt + vertexBytes();
  Bytes e = header(17, countAt + 2 + t.size(), s);
  putI32(e, 38, heightMult);
  putI32(e, 42, heightMult);
  putRotation(e, 46, rotation);
  putPoint(e, originAt, origin);
  e[countAt] = uint8_t(t.size());
  std::memcpy(e.data() + countAt + 2, t.data(), t.size());
  return e;
}

V7Writer::Bytes V7Writer::colorTable(const std::vector<uint32_t>& rgb) const
{
  Bytes e = header(5, 38 + 768, {});
  for (size_t i = 0; i < 256 && i < rgb.size(); ++i)
    for (int c = 0; c < 3; ++c)
      e[38 + 3 * i + size_t(c)] = uint8_t(rgb[i] >> (16 - 8 * c));
  return e;
}

V7Writer::Bytes V7Writer::tagSet(const std::string& name, uint32_t id, const std::vector<std::string>& names) const
{
  // The set's name, a zero byte, then each tag: name, number, prompt, type 1 (text), five option
  // bytes and an empty default.
  Bytes data(name.begin(), name.end());
  data.insert(data.end(), {0, 0});
  for (size_t i = 0; i < names.size(); ++i) {
    data.insert(data.end(), names[i].begin(), names[i].end());
    data.insert(data.end(), {0, uint8_t(i + 1), 0, 0, 1, 0, 0, 0, 0, 0, 0, 0});
  }
  Bytes e = header(66, 48 + data.size(), {24, 0});
  put16(e, 36, 1);
  put16(e, 44, unsigned(names.size()));
  std::copy(data.begin(), data.end(), e.begin() + 48);
  return associated(e, id);
}

V7Writer::Bytes V7Writer::tagValue(uint32_t host, uint32_t set, int tag, const std::string& value, P origin,
                                   int32_t height, const Symbology& s) const
{
  Bytes e = header(37, 154 + value.size() + 1, s);
  // The range block says where the tag is displayed: from half a text height below its origin.
  const auto range = [&e](size_t at, int32_t v) { putI32(e, at, int32_t(uint32_t(v) ^ 0x80000000u)); };
  range(4, origin.x);
  range(8, origin.y - height / 2);
  range(16, origin.x + height * int32_t(value.size()));
  range(20, origin.y + 3 * height / 2);
  const auto le32 = [&e](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
      e[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  le32(44, host);
  le32(68, set);
  put16(e, 72, unsigned(tag));
  put16(e, 74, 1);
  le32(108, uint32_t(height) * 1000 / 6);
  le32(112, uint32_t(height) * 1000 / 6);
  put16(e, 150, unsigned(value.size() + 1));
  std::copy(value.begin(), value.end(), e.begin() + 154);
  return e;
}

V7Writer::Bytes V7Writer::complex(int type, const std::vector<Bytes>& parts, const Symbology& s) const
{
  Bytes e = header(type, 44, s);
  put16(e, 38, unsigned(parts.size()));
  return withComponents(e, parts);
}

V7Writer::Bytes V7Writer::textNode(const std::vector<Bytes>& lines, P origin, int just, int32_t lineSpacing,
                                   const Symbology& s) const
{
  Bytes e = header(7, (m_is3d ? 74 : 62) + vertexBytes(), s);
  put16(e, 38, unsigned(lines.size()));
  e[45] = uint8_t(just);
  putI32(e, 46, lineSpacing);
  putI32(e, 50, 1000);
  putI32(e, 54, 1000);
  putRotation(e, 58, {});
  putPoint(e, m_is3d ? 74 : 62, origin);
  return withComponents(e, lines);
}

V7Writer::Bytes V7Writer::cell(const std::string& name, P origin, const std::vector<Bytes>& parts,
                               const Symbology& s) const
{
  Bytes e = header(2, m_is3d ? 124 : 92, s);
  put16(e, 38, radix50(name.substr(0, std::min<size_t>(3, name.size()))));
  put16(e, 40, radix50(name.size() > 3 ? name.substr(3) : ""));
  putPoint(e, m_is3d ? 112 : 84, origin);
  return withComponents(e, parts);
}

V7Writer::Bytes V7Writer::sharedCellDefinition(const std::string& name, const std::vector<Bytes>& parts) const
{
  // Laid out as an instance at the origin with no rotation.
  const std::vector<double> identity =
    m_is3d ? std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1} : std::vector<double>{1, 0, 0, 1};
  Bytes e = sharedCellInstance(name, {}, identity);
  e[1] = 34;
  return withComponents(e, parts);
}

V7Writer::Bytes V7Writer::sharedCellInstance(const std::string& name, P origin, const std::vector<double>& matrix,
                                             const Symbology& s) const
{
  Bytes e = header(35, 164 + name.size() + 1, s);
  putF64s(e, 76, matrix);
  const int32_t xyz[3] = {origin.x, origin.y, origin.z};
  for (size_t i = 0; i < 3; ++i)
    putLE32(e, 148 + 4 * i, uint32_t(xyz[i])); // plainly little-endian
  std::memcpy(e.data() + 164, name.data(), name.size());
  return e;
}

V7Writer::Bytes V7Writer::spline(int order, bool closed, const std::vector<P>& poles, const std::vector<double>& knots,
                                 const Symbology& s, const std::vector<double>& weights) const
{
  std::vector<Bytes> parts;
  if (!knots.empty())
    parts.push_back(fractions(26, knots, s));
  parts.push_back(vertices(21, weighted(poles, weights), s));
  if (!weights.empty())
    parts.push_back(fractions(28, weights, s));
  Bytes e = header(27, 48, s);
  e[40] = orderFlags(order, !weights.empty(), closed);
  put16(e, 42, unsigned(poles.size()));
  put16(e, 44, unsigned(knots.size()));
  return withComponents(e, parts, true);
}

std::vector<V7Point> V7Writer::weighted(std::vector<P> poles, const std::vector<double>& weights)
{
  for (size_t i = 0; i < poles.size() && i < weights.size(); ++i)
    poles[i] = {int32_t(std::lround(poles[i].x * weights[i])), int32_t(std::lround(poles[i].y * weights[i])),
                int32_t(std::lround(poles[i].z * weights[i]))};
  return poles;
}

V7Writer::Bytes V7Writer::fractions(int type, const std::vector<double>& values, const Symbology& s) const
{
  Bytes e = header(type, 36 + 4 * values.size(), s);
  for (size_t i = 0; i < values.size(); ++i)
    putFraction(e, 36 + 4 * i, values[i]);
  return e;
}

V7Writer::Bytes V7Writer::surface(const Surface& f, const Symbology& s) const
{
  std::vector<double> knots = f.knotsU;
  knots.insert(knots.end(), f.knotsV.begin(), f.knotsV.end());
  std::vector<Bytes> parts;
  if (!knots.empty())
    parts.push_back(fractions(26, knots, s));
  for (size_t b = 0; b < f.boundaries.size(); ++b) {
    Bytes e = header(25, 40 + 8 * f.boundaries[b].size(), s);
    put16(e, 36, unsigned(b + 1));
    put16(e, 38, unsigned(f.boundaries[b].size()));
    for (size_t i = 0; i < f.boundaries[b].size(); ++i) {
      putFraction(e, 40 + 8 * i, f.boundaries[b][i].first);
      putFraction(e, 44 + 8 * i, f.boundaries[b][i].second);
    }
    parts.push_back(e);
  }
  for (size_t r = 0; r < f.rows.size(); ++r) {
    parts.push_back(vertices(21, weighted(f.rows[r], r < f.weights.size() ? f.weights[r] : std::vector<double>{}), s));
    if (r < f.weights.size())
      parts.push_back(fractions(28, f.weights[r], s));
  }
  Bytes e = header(24, 58, s);
  e[40] = orderFlags(f.orderU, !f.weights.empty(), f.closedU);
  put16(e, 42, unsigned(f.rows.empty() ? 0 : f.rows.front().size()));
  put16(e, 44, unsigned(f.knotsU.size()));
  e[48] = orderFlags(f.orderV, false, f.closedV);
  put16(e, 50, unsigned(f.rows.size()));
  put16(e, 52, unsigned(f.knotsV.size()));
  put16(e, 56, unsigned(f.boundaries.size()));
  return withComponents(e, parts, true);
}

V7Writer::Bytes V7Writer::swept(int type, int surfaceType, int elementsPerBoundary, const std::vector<Bytes>& parts,
                                const Symbology& s) const
{
  Bytes e = header(type, 50, s);
  put16(e, 38, unsigned(parts.size()));
  e[40] = uint8_t(surfaceType);
  e[41] = uint8_t(elementsPerBoundary - 1);
  return withComponents(e, parts);
}

V7Writer::Bytes V7Writer::cone(bool surface, const Rotation& rotation, const std::vector<double>& center1,
                               double radius1, const std::vector<double>& center2, double radius2,
                               const Symbology& s) const
{
  Bytes e = header(23, 118, s);
  put16(e, 36, surface ? 0x8000 : 0);
  putRotation(e, 38, rotation);
  putF64s(e, 54, {center1[0], center1[1], center1[2], radius1});
  putF64s(e, 86, {center2[0], center2[1], center2[2], radius2});
  return e;
}

V7Writer::Bytes V7Writer::dimension(int kind, const std::vector<DimensionPoint>& points, int32_t textHeight,
                                    const std::vector<double>& matrix, double scale, const Symbology& s) const
{
  // Fixed fields, 20 bytes per point, then the points' texts, each ended by a NUL and padded to
  // an even length. Integers are plainly little-endian here.
  Bytes e(136 + 20 * points.size(), 0);
  putF64(e, 36, scale);
  e[47] = uint8_t(kind);
  e[49] = uint8_t(points.size());
  putLE32(e, 56, uint32_t(textHeight));
  putLE32(e, 60, uint32_t(textHeight));
  for (size_t i = 0; i < 4; ++i)
    putLE32(e, 120 + 4 * i, uint32_t(int32_t(std::lround(matrix[i] * kOne))));
  for (size_t i = 0; i < points.size(); ++i) {
    const DimensionPoint& p = points[i];
    const size_t at = 136 + 20 * i;
    putLE32(e, at, p.target ? p.target : uint32_t(p.at.x));
    if (!p.target) {
      putLE32(e, at + 4, uint32_t(p.at.y));
    } else if (p.onSegment) {
      putLE32(e, at + 4, uint32_t(std::llround(p.fraction * kOne)));
      e[at + 8] = uint8_t(p.vertex);
      e[at + 11] = 6;
    } else {
      put16(e, at + 4, unsigned(p.vertex));
      put16(e, at + 6, unsigned(std::lround(p.fraction * 2)));
      e[at + 8] = 2;
      e[at + 11] = 1;
    }
    putLE32(e, at + 12, uint32_t(p.offset));
    e[at + 18] = uint8_t((p.target ? 0x01 : 0) | (p.centred ? 0x80 : 0));
    e[at + 19] = p.text.empty() ? 0 : 1;
    if (!p.text.empty()) {
      e.insert(e.end(), p.text.begin(), p.text.end());
      e.resize(e.size() + 2 - e.size() % 2, 0);
    }
  }
  Bytes h = header(33, e.size(), s);
  std::copy(e.begin() + 36, e.end(), h.begin() + 36);
  return h;
}

V7Writer::Bytes V7Writer::bytes() const
{
  Bytes b = m_file;
  b.insert(b.end(), {0xFF, 0xFF});
  return b;
}

bool V7Writer::save(const std::string& path, const Bytes& b)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
  return bool(out);
}
