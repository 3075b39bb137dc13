#include "V7Writer.h"

#include <cmath>
#include <cstring>
#include <fstream>

namespace {
constexpr double kQuaternionOne = 2147483647.0;

void put16(V7Writer::Bytes& b, size_t at, unsigned v)
{
  b[at] = uint8_t(v & 0xFF);
  b[at + 1] = uint8_t((v >> 8) & 0xFF);
}

// Marks an element as a component of a complex element.
V7Writer::Bytes component(V7Writer::Bytes e)
{
  e[0] |= 0x80;
  return e;
}

size_t words(const std::vector<V7Writer::Bytes>& parts)
{
  size_t n = 0;
  for (const auto& p : parts)
    n += p.size() / 2;
  return n;
}

V7Writer::Bytes joined(V7Writer::Bytes head, const std::vector<V7Writer::Bytes>& parts)
{
  for (const auto& p : parts) {
    const V7Writer::Bytes c = component(p);
    head.insert(head.end(), c.begin(), c.end());
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

uint16_t V7Writer::radix50(const std::string& three)
{
  static const std::string kChars = " ABCDEFGHIJKLMNOPQRSTUVWXYZ$.?0123456789";
  unsigned v = 0;
  for (size_t i = 0; i < 3; ++i) {
    const size_t d = i < three.size() ? kChars.find(three[i]) : 0;
    v = v * 40 + unsigned(d == std::string::npos ? 0 : d);
  }
  return uint16_t(v);
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
  for (int i = 0; i < 3; ++i)
    putF64(tcb, 1240 + 8 * i, u.origin[i]);
  add(tcb);
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
  putI32(b, at, int32_t(std::lround(std::cos(half) * kQuaternionOne)));
  for (int i = 0; i < 3; ++i)
    putI32(b, at + 4 + 4 * size_t(i), int32_t(std::lround(-std::sin(half) * r.axis[i] / n * kQuaternionOne)));
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
  putF64(e, 36, a);
  putF64(e, 44, b);
  putRotation(e, 52, rot);
  const size_t o = m_is3d ? 68 : 56;
  putF64(e, o, cx);
  putF64(e, o + 8, cy);
  if (m_is3d)
    putF64(e, o + 16, cz);
  return e;
}

V7Writer::Bytes V7Writer::arc(double start, double sweep, double a, double b, double cx, double cy,
                              const Symbology& s, double cz) const
{
  Bytes e = header(16, m_is3d ? 100 : 80, s);
  putI32(e, 36, int32_t(std::lround(start * 360000.0)));
  const int32_t magnitude = int32_t(std::lround(std::fabs(sweep) * 360000.0));
  putI32(e, 40, sweep < 0 ? int32_t(uint32_t(magnitude) | 0x80000000u) : magnitude);
  putF64(e, 44, a);
  putF64(e, 52, b);
  putRotation(e, 60, {});
  const size_t o = m_is3d ? 76 : 64;
  putF64(e, o, cx);
  putF64(e, o + 8, cy);
  if (m_is3d)
    putF64(e, o + 16, cz);
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
  Symbology s;
  s.level = 1;
  Bytes e = header(5, 38 + 768, s);
  for (size_t i = 0; i < 256 && i < rgb.size(); ++i)
    for (int c = 0; c < 3; ++c)
      e[38 + 3 * i + size_t(c)] = uint8_t(rgb[i] >> (16 - 8 * c));
  return e;
}

V7Writer::Bytes V7Writer::complex(int type, const std::vector<Bytes>& parts, const Symbology& s) const
{
  Bytes e = header(type, 44, s);
  put16(e, 36, unsigned(words(parts) + e.size() / 2 - 19));
  put16(e, 38, unsigned(parts.size()));
  return joined(e, parts);
}

V7Writer::Bytes V7Writer::textNode(const std::vector<Bytes>& lines, P origin, int just, int32_t lineSpacing,
                                   const Symbology& s) const
{
  Bytes e = header(7, (m_is3d ? 74 : 62) + vertexBytes(), s);
  put16(e, 36, unsigned(words(lines) + e.size() / 2 - 19));
  put16(e, 38, unsigned(lines.size()));
  e[45] = uint8_t(just);
  putI32(e, 46, lineSpacing);
  putI32(e, 50, 1000);
  putI32(e, 54, 1000);
  putRotation(e, 58, {});
  putPoint(e, m_is3d ? 74 : 62, origin);
  return joined(e, lines);
}

V7Writer::Bytes V7Writer::cell(const std::string& name, P origin, const std::vector<Bytes>& parts,
                               const Symbology& s) const
{
  Bytes e = header(2, m_is3d ? 124 : 92, s);
  put16(e, 36, unsigned(words(parts) + e.size() / 2 - 19));
  put16(e, 38, radix50(name.substr(0, std::min<size_t>(3, name.size()))));
  put16(e, 40, radix50(name.size() > 3 ? name.substr(3) : ""));
  putPoint(e, m_is3d ? 112 : 84, origin);
  return joined(e, parts);
}

V7Writer::Bytes V7Writer::sharedCell(int type, const std::string& name, P origin, const std::vector<double>& matrix,
                                     const Symbology& s) const
{
  Bytes e = header(type, 164 + name.size() + 1, s);
  for (size_t i = 0; i < matrix.size(); ++i)
    putF64(e, 76 + 8 * i, matrix[i]);
  for (int i = 0; i < 3; ++i) {
    const uint32_t v = uint32_t(i == 0 ? origin.x : i == 1 ? origin.y : origin.z);
    for (int byte = 0; byte < 4; ++byte)
      e[148 + 4 * size_t(i) + size_t(byte)] = uint8_t(v >> (8 * byte)); // plainly little-endian
  }
  std::memcpy(e.data() + 164, name.data(), name.size());
  return e;
}

V7Writer::Bytes V7Writer::sharedCellDefinition(const std::string& name, const std::vector<Bytes>& parts) const
{
  const std::vector<double> identity = m_is3d ? std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1} : std::vector<double>{1, 0, 0, 1};
  Bytes e = sharedCell(34, name, {}, identity, {});
  put16(e, 36, unsigned(words(parts) + e.size() / 2 - 19));
  return joined(e, parts);
}

V7Writer::Bytes V7Writer::sharedCellInstance(const std::string& name, P origin, const std::vector<double>& matrix,
                                             const Symbology& s) const
{
  return sharedCell(35, name, origin, matrix, s);
}

V7Writer::Bytes V7Writer::fractions(int type, const std::vector<double>& values, const Symbology& s) const
{
  Bytes e = header(type, 36 + 4 * values.size(), s);
  for (size_t i = 0; i < values.size(); ++i)
    putI32(e, 36 + 4 * i, int32_t(std::lround(values[i] * 2147483647.0)));
  return e;
}

V7Writer::Bytes V7Writer::spline(int order, bool closed, const std::vector<P>& poles, const std::vector<double>& knots,
                                 const Symbology& s, const std::vector<double>& weights) const
{
  std::vector<Bytes> parts;
  if (!knots.empty())
    parts.push_back(fractions(26, knots, s));
  parts.push_back(vertices(21, poles, s));
  if (!weights.empty())
    parts.push_back(fractions(28, weights, s));
  Bytes e = header(27, 48, s);
  putI32(e, 36, int32_t(words(parts) + e.size() / 2 - 20));
  e[40] = uint8_t(((order - 2) & 0x0F) | (weights.empty() ? 0 : 0x40) | (closed ? 0x80 : 0));
  put16(e, 42, unsigned(poles.size()));
  put16(e, 44, unsigned(knots.size()));
  return joined(e, parts);
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
      putI32(e, 40 + 8 * i, int32_t(std::lround(f.boundaries[b][i].first * 2147483647.0)));
      putI32(e, 44 + 8 * i, int32_t(std::lround(f.boundaries[b][i].second * 2147483647.0)));
    }
    parts.push_back(e);
  }
  for (size_t r = 0; r < f.rows.size(); ++r) {
    parts.push_back(vertices(21, f.rows[r], s));
    if (r < f.weights.size())
      parts.push_back(fractions(28, f.weights[r], s));
  }
  Bytes e = header(24, 58, s);
  putI32(e, 36, int32_t(words(parts) + e.size() / 2 - 20));
  e[40] = uint8_t(((f.orderU - 2) & 0x0F) | (f.weights.empty() ? 0 : 0x40) | (f.closedU ? 0x80 : 0));
  put16(e, 42, unsigned(f.rows.empty() ? 0 : f.rows.front().size()));
  put16(e, 44, unsigned(f.knotsU.size()));
  e[48] = uint8_t(((f.orderV - 2) & 0x0F) | (f.closedV ? 0x80 : 0));
  put16(e, 50, unsigned(f.rows.size()));
  put16(e, 52, unsigned(f.knotsV.size()));
  put16(e, 56, unsigned(f.boundaries.size()));
  return joined(e, parts);
}

V7Writer::Bytes V7Writer::swept(int type, int surfaceType, int elementsPerBoundary, const std::vector<Bytes>& parts,
                                const Symbology& s) const
{
  Bytes e = header(type, 50, s);
  put16(e, 36, unsigned(words(parts) + e.size() / 2 - 19));
  put16(e, 38, unsigned(parts.size()));
  e[40] = uint8_t(surfaceType);
  e[41] = uint8_t(elementsPerBoundary - 1);
  return joined(e, parts);
}

V7Writer::Bytes V7Writer::cone(bool surface, const Rotation& rotation, const std::vector<double>& center1,
                               double radius1, const std::vector<double>& center2, double radius2,
                               const Symbology& s) const
{
  Bytes e = header(23, 118, s);
  put16(e, 36, surface ? 0x8000 : 0);
  putRotation(e, 38, rotation);
  for (size_t i = 0; i < 3; ++i) {
    putF64(e, 54 + 8 * i, center1[i]);
    putF64(e, 86 + 8 * i, center2[i]);
  }
  putF64(e, 78, radius1);
  putF64(e, 110, radius2);
  return e;
}

V7Writer::Bytes V7Writer::bytes() const
{
  Bytes b = m_file;
  b.insert(b.end(), {0xFF, 0xFF});
  return b;
}

bool V7Writer::save(const std::string& path) const
{
  const Bytes b = bytes();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
  return bool(out);
}
