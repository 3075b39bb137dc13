#include "DxfWriter.h"

#include "DxfCodes.h"
#include "DxfEntityWriter.h"
#include "ParallelInOrder.h"

#include <OdError.h>
#include <RxObjectImpl.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <type_traits>
#include <unordered_map>

namespace dxf {

namespace {

constexpr size_t kLongestNumber = 40; // a number and its line break, with room to spare
constexpr size_t kMTextPiece = 250; // longest MTEXT piece older readers take

enum class TextMode { kName, kText, kMText };

// Appends UTF-8 for a UTF-16 string; lone surrogates become U+FFFD.
void appendCodePoint(std::string& out, char32_t c)
{
  if (c < 0x80) {
    out.push_back(char(c));
  } else if (c < 0x800) {
    out.push_back(char(0xC0 | (c >> 6)));
    out.push_back(char(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(char(0xE0 | (c >> 12)));
    out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(char(0x80 | (c & 0x3F)));
  } else {
    out.push_back(char(0xF0 | (c >> 18)));
    out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(char(0x80 | (c & 0x3F)));
  }
}

// One value line never holds a line break: names lose control characters, text escapes them
// (MTEXT turns a line break into its paragraph code).
void appendEncoded(std::string& out, const std::u16string& text, TextMode mode)
{
  for (size_t i = 0; i < text.size(); ++i) {
    // Printable ASCII but the caret, most of any name or text, goes over a run at a time.
    size_t plain = i;
    while (plain < text.size() && text[plain] >= 0x20 && text[plain] < 0x7F && text[plain] != '^')
      ++plain;
    if (plain > i) {
      const size_t at = out.size();
      out.resize(at + (plain - i));
      std::copy(text.begin() + long(i), text.begin() + long(plain), out.begin() + long(at));
      if (plain == text.size())
        return;
      i = plain;
    }
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    if (c == '\n' && mode == TextMode::kMText) {
      out += "\\P";
    } else if (c < 0x20 || c == 0x7F) {
      if (mode == TextMode::kName) {
        out.push_back('_');
      } else if (c == 0x7F) {
        out.push_back(' ');
      } else {
        out.push_back('^');
        out.push_back(char(c + 0x40));
      }
    } else if (c == '^' && mode != TextMode::kName) {
      out += "^ ";
    } else {
      appendCodePoint(out, c);
    }
  }
}

// The decimal digits of `n` into the end of `digits`; returns where they start. Most numbers fit
// 32 bits, whose divisions are the cheaper.
template <class Unsigned>
inline char* decimalDigitsOf(Unsigned n, char* end)
{
  static constexpr char kPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                   "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                   "8081828384858687888990919293949596979899";
  while (n >= 100) {
    const unsigned pair = unsigned(n % 100) * 2;
    n /= 100;
    *--end = kPairs[pair + 1];
    *--end = kPairs[pair];
  }
  if (n >= 10) {
    *--end = kPairs[n * 2 + 1];
    *--end = kPairs[n * 2];
  } else {
    *--end = char('0' + n);
  }
  return end;
}

inline char* decimalDigits(uint64_t n, char* end)
{
  return n <= 0xFFFFFFFFu ? decimalDigitsOf(uint32_t(n), end) : decimalDigitsOf(n, end);
}

constexpr uint64_t kWholePowers[] = {1ull,
                                     10ull,
                                     100ull,
                                     1000ull,
                                     10000ull,
                                     100000ull,
                                     1000000ull,
                                     10000000ull,
                                     100000000ull,
                                     1000000000ull,
                                     10000000000ull,
                                     100000000000ull,
                                     1000000000000ull,
                                     10000000000000ull,
                                     100000000000000ull,
                                     1000000000000000ull,
                                     10000000000000000ull,
                                     100000000000000000ull,
                                     1000000000000000000ull,
                                     10000000000000000000ull};

// Digits of n, from its bit length (log10 2 is about 1233 / 4096) and one comparison.
int digitCount(uint64_t n)
{
  const int bits = 64 - __builtin_clzll(n | 1);
  const int count = (bits * 1233) >> 12;
  return count + (n >= kWholePowers[count] ? 1 : 0);
}

// n (not 0) without its trailing zeros, each taking a decimal away; 32 bits divide faster.
template <class Unsigned>
Unsigned withoutTrailingZeros(Unsigned n, int& decimals)
{
  while (n % 10000 == 0)
    n /= 10000, decimals -= 4;
  if (n % 100 == 0)
    n /= 100, decimals -= 2;
  if (n % 10 == 0)
    n /= 10, --decimals;
  return n;
}

// The shortest decimal that reads back as `magnitude` (in [1e-3, 1e15)), as `whole` over 10 to
// the `decimals`, worked out exactly in 128-bit integers. The decimal of 15, then 16, then 17
// significant digits nearest to the value is tried: when any decimal of a length reads back, the
// nearest does, and no two decimals of at most 15 digits read back as one double. So the first
// that reads back is the shortest, and the nearest of the shortest, as std::to_chars chooses.
bool exactShortest(double magnitude, uint64_t& whole, int& decimals)
{
  uint64_t bits;
  std::memcpy(&bits, &magnitude, sizeof bits);
  const uint64_t fraction = bits & ((uint64_t(1) << 52) - 1);
  const uint64_t m = fraction | (uint64_t(1) << 52);
  const int shift = 1075 - int(bits >> 52); // magnitude = m / 2^shift
  // The doubles beside a power of two are not equally far; every one in range is a short decimal
  // anyway, which the caller's grid fits.
  if (!(magnitude >= 1e-3 && magnitude < 1e15) || fraction == 0 || shift < 1 || shift > 62)
    return false;
  typedef unsigned __int128 Wide;
  // Of the leading digit: 10^exponent <= magnitude. The doubles of 0.1, 0.01 and 0.001 lie above
  // those numbers, so comparing with them is exact.
  const int exponent = magnitude >= 1.0   ? digitCount(uint64_t(magnitude)) - 1
                       : magnitude >= 0.1  ? -1
                       : magnitude >= 0.01 ? -2
                                           : -3;
  for (int digits = 15; digits <= 17; ++digits) {
    const int places = digits - 1 - exponent;
    const Wide scaled = Wide(m) * kWholePowers[places];
    uint64_t n = uint64_t(scaled >> shift);
    const Wide rest = scaled - (Wide(n) << shift), half = Wide(1) << (shift - 1);
    if (rest > half || (rest == half && (n & 1)))
      ++n;
    // Both sides times 10^places * 2^(shift + 2): the decimal, the double, and half the gap to
    // the doubles beside it, all integers. A point halfway between two doubles here has over 17
    // digits, so no decimal tried lies on one.
    const Wide decimal = Wide(n) << (shift + 2), value = scaled * 4, gap = Wide(kWholePowers[places]) * 2;
    if ((decimal >= value ? decimal - value : value - decimal) < gap) {
      whole = n;
      decimals = places;
      return true;
    }
  }
  return false;
}

// UTF-8 with control characters replaced by '_': names are read as one line and may not be empty.
void appendName(std::string& out, const std::u16string& name)
{
  const size_t start = out.size();
  appendEncoded(out, name, TextMode::kName);
  if (out.size() == start)
    out.push_back('_');
}

std::string safeName(const OdString& name)
{
  std::string out;
  appendName(out, name.str());
  return out;
}

} // namespace

GroupWriter::GroupWriter(OdStreamBuf& stream, int precision)
    : m_buffer(new char[kChunkSize]), m_stream(stream), m_precision(precision > 0 && precision < 16 ? precision : 0)
{
}

namespace {

// Each group code's line ("10\n"), made at compile time for the codes 0 to 1071 there are.
struct CodeLines {
  char text[1072][8] = {};
  uint8_t length[1072] = {};
  constexpr CodeLines()
  {
    for (unsigned code = 0; code < 1072; ++code) {
      char digits[4] = {};
      unsigned n = code, count = 0;
      do {
        digits[count++] = char('0' + n % 10);
        n /= 10;
      } while (n);
      for (unsigned i = 0; i < count; ++i)
        text[code][i] = digits[count - 1 - i];
      text[code][count] = '\n';
      length[code] = uint8_t(count + 1);
    }
  }
};
constexpr CodeLines kCodeLines;

} // namespace

void GroupWriter::putCode(int code)
{
  char* at = room(kLongestNumber);
  if (code >= 0 && code < 1072) {
    std::memcpy(at, kCodeLines.text[code], 8);
    m_used += kCodeLines.length[code];
    return;
  }
  char* end = std::to_chars(at, at + kLongestNumber, code).ptr;
  *end++ = '\n';
  m_used = size_t(end - m_buffer.get());
}

void GroupWriter::putBytes(std::string_view bytes)
{
  while (!bytes.empty()) {
    const size_t part = std::min(bytes.size(), kChunkSize);
    std::memcpy(room(part), bytes.data(), part);
    m_used += part;
    bytes.remove_prefix(part);
  }
}

void GroupWriter::endLine()
{
  *room(1) = '\n';
  ++m_used;
}

void GroupWriter::put(int code, std::string_view value)
{
  putCode(code);
  putBytes(value);
  endLine();
}

void GroupWriter::putText(int code, const std::u16string& text)
{
  m_scratch.clear();
  appendEncoded(m_scratch, text, TextMode::kText);
  put(code, m_scratch);
}

void GroupWriter::putName(int code, const std::u16string& name)
{
  m_scratch.clear();
  appendName(m_scratch, name);
  put(code, m_scratch);
}

void GroupWriter::putMText(const std::u16string& text)
{
  m_scratch.clear();
  appendEncoded(m_scratch, text, TextMode::kMText);
  std::string_view rest = m_scratch;
  while (rest.size() > kMTextPiece) {
    size_t cut = kMTextPiece;
    // Neither a UTF-8 sequence nor a caret escape is split between pieces.
    while (cut > 1 && ((static_cast<unsigned char>(rest[cut]) & 0xC0) == 0x80 || rest[cut - 1] == '^'))
      --cut;
    put(code::kMoreText, rest.substr(0, cut));
    rest.remove_prefix(cut);
  }
  put(code::kText, rest);
}

char* GroupWriter::formatShortest(char* out, double value)
{
  // A value below 10^15 that, scaled by the largest power of ten that keeps it below 10^15 (at
  // most 10^9), is an integer reads back from that decimal exactly: both are exact doubles and
  // their quotient is rounded once. Its grid is coarser than two steps of the double there, so no
  // other decimal with as few decimals reads back too: the shortest digits are that integer's
  // without its trailing zeros. Other values from 10^-3 on are worked out exactly. std::to_chars
  // writes the digits in the shorter of fixed and scientific form, fixed where both are as long;
  // anything else goes to std::to_chars itself.
  static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  const double magnitude = std::fabs(value);
  if (value == 0.0 && !std::signbit(value)) {
    *out = '0';
    return out + 1;
  }
  if (!(magnitude < 1e15) || magnitude == 0.0)
    return std::to_chars(out, out + 32, value).ptr;
  int decimals = 9;
  while (decimals > 0 && !(magnitude * kPowers[decimals] < 1e15))
    --decimals;
  uint64_t whole = static_cast<uint64_t>(magnitude * kPowers[decimals] + 0.5);
  if (double(whole) / kPowers[decimals] != magnitude && !exactShortest(magnitude, whole, decimals))
    return std::to_chars(out, out + 32, value).ptr;
  // The integer part comes from the value itself, on whose side of every integer the decimal
  // lies; the fraction is what remains of the decimal.
  const uint64_t integer = static_cast<uint64_t>(magnitude);
  uint64_t fraction = whole - integer * kWholePowers[decimals];
  if (fraction == 0)
    decimals = 0;
  else
    fraction = fraction <= 0xFFFFFFFFu ? withoutTrailingZeros(uint32_t(fraction), decimals)
                                       : withoutTrailingZeros(fraction, decimals);
  char* const start = out;
  if (value < 0)
    *out++ = '-';
  if (integer > 0 && decimals > 0) {
    // Digits on both sides of the point: the fixed form is the shorter.
    char* const point = out + digitCount(integer);
    decimalDigits(integer, point);
    *point = '.';
    char* const end = point + 1 + decimals;
    std::memset(point + 1, '0', size_t(decimals));
    decimalDigits(fraction, end);
    return end;
  }
  // An integer, or a fraction below 1.
  whole = decimals > 0 ? fraction : integer;
  const int count = digitCount(whole);
  int significant = count; // an integer's trailing zeros are not significant
  if (decimals == 0)
    for (uint64_t rest = whole; significant > 1 && rest % 10 == 0; rest /= 10)
      --significant;
  const int exponent = count - 1 - decimals;
  const int fixedLength = exponent >= 0 ? count : 2 - exponent - 1 + count;
  const int scientificLength = significant + (significant > 1 ? 1 : 0) + 2 + (std::abs(exponent) >= 100 ? 3 : 2);
  if (fixedLength > scientificLength)
    return std::to_chars(start, start + 32, value).ptr;
  char* const end = out + fixedLength;
  if (exponent < 0) {
    // 0.00ddd: the digits right-aligned after the point and its zeros
    std::memset(out, '0', size_t(fixedLength - count));
    out[1] = '.';
  }
  decimalDigits(whole, end);
  return end;
}

void GroupWriter::putReal(int code, double value)
{
  if (!std::isfinite(value))
    value = 0.0; // readers reject "inf" and "nan"
  room(2 * kLongestNumber); // the code's and the value's lines together
  putCode(code);
  char* at = m_buffer.get() + m_used;
  char* end = m_precision ? std::to_chars(at, at + kLongestNumber, value, std::chars_format::general, m_precision).ptr
                          : formatShortest(at, value);
  *end++ = '\n';
  m_used = size_t(end - m_buffer.get());
}

void GroupWriter::putInt(int code, long long value)
{
  putCode(code);
  char* at = room(kLongestNumber);
  char* end = std::to_chars(at, at + kLongestNumber, value).ptr;
  *end++ = '\n';
  m_used = size_t(end - m_buffer.get());
}

void GroupWriter::putHandle(int code, OdDbHandle handle)
{
  putCode(code);
  char* at = room(kLongestNumber);
  int digits = 1;
  while (digits < 16 && (handle >> (4 * digits)) != 0)
    ++digits;
  char* end = at + digits;
  for (char* p = end; p != at; handle >>= 4)
    *--p = "0123456789ABCDEF"[handle & 0xF];
  *end++ = '\n';
  m_used = size_t(end - m_buffer.get());
}

void GroupWriter::putPoint(int xCode, const OdGePoint3d& point)
{
  putReal(xCode, point.x);
  putReal(code::kY(xCode), point.y);
  putReal(code::kZ(xCode), point.z);
}

void GroupWriter::flush()
{
  flushTo(m_stream);
}

void GroupWriter::flushTo(OdStreamBuf& stream)
{
  if (m_used)
    stream.putBytes(m_buffer.get(), static_cast<OdUInt32>(m_used));
  m_used = 0;
}

namespace {

// The handles of what the drawing has no object for; they follow the database's own handles.
enum Fixed : int {
  kVportTable, kVportActive, kViewTable, kUcsTable, kAppidTable, kAppidAcad, kDimStyleTable,
  kDimStyleStandard, kRootDictionary, kGroupDictionary, kLayoutDictionary, kModelLayout,
  kPaperLayout, kFixedCount
};

struct Box {
  OdGePoint3d min{1e20, 1e20, 1e20}, max{-1e20, -1e20, -1e20};
  void add(const OdGePoint3d& p)
  {
    min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
    max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
  }
  void merge(const Box& other)
  {
    min = {std::min(min.x, other.min.x), std::min(min.y, other.min.y), std::min(min.z, other.min.z)};
    max = {std::max(max.x, other.max.x), std::max(max.y, other.max.y), std::max(max.z, other.max.z)};
  }
};

// What a GroupWriter hands on is appended to a string.
class StringSink : public OdStreamBuf {
public:
  std::string* target = nullptr;
  void putBytes(const void* buffer, OdUInt32 numBytes) override
  {
    target->append(static_cast<const char*>(buffer), numBytes);
  }
  OdUInt32 getBytes(void*, OdUInt32) override { return 0; }
  bool isEof() override { return true; }
  OdUInt64 tell() override { return target ? target->size() : 0; }
  OdUInt64 length() override { return tell(); }
};

// The BLOCKS and ENTITIES sections are written in pieces of about this many entities, side by
// side on every core when there are several.
constexpr size_t kPieceSize = 1024;

unsigned workerCount()
{
  return std::min(std::thread::hardware_concurrency(), 8u);
}

// The database holds its records open while it writes itself, and a drawing may hold a block for
// each of a million cells: a block here is its record, no more.
struct Block {
  const OdDbBlockTableRecord* record;
};

// Where a piece of a section starts: before entity `entity` of block `block` (in the BLOCKS
// section, entity 0 means before the block's head), with the handles its records take beyond
// the entities' own from `handle` on.
struct Cut {
  size_t block, entity;
  OdDbHandle handle;
};


// The records of a table that are not erased.
template <class T>
std::vector<OdSmartPtr<T>> openRecords(const OdDbSymbolTable& table)
{
  std::vector<OdSmartPtr<T>> records;
  for (OdDbObjectId id : table.recordIds())
    if (OdSmartPtr<T> record = T::cast(id.safeOpenObject().get()))
      records.push_back(record);
  return records;
}

// Adds the points of center + cos(t) x + sin(t) y, t from t0 to t1 (radians, t1 >= t0): its ends,
// and wherever a coordinate is at its least or most between them.
void addConic(Box& box, const OdGePoint3d& c, const OdGeVector3d& x, const OdGeVector3d& y, double t0, double t1)
{
  const auto at = [&](double t) {
    return OdGePoint3d{c.x + std::cos(t) * x.x + std::sin(t) * y.x, c.y + std::cos(t) * x.y + std::sin(t) * y.y,
                       c.z + std::cos(t) * x.z + std::sin(t) * y.z};
  };
  box.add(at(t0));
  box.add(at(t1));
  for (const double extreme : {std::atan2(y.x, x.x), std::atan2(y.y, x.y), std::atan2(y.z, x.z)})
    for (double t = extreme + kPi * std::ceil((t0 - extreme) / kPi); t <= t1; t += kPi)
      box.add(at(t));
}

// A block reference on the way to the extents: it is placed once the block it names has its box.
struct Reference {
  size_t owner, target; // the blocks holding it and named by it, by index (target kNoBlock: none to place)
  const OdDbBlockReference* insert;
};
constexpr size_t kNoBlock = ~size_t(0);

// Adds where a reference puts its block's content: the 8 corners of the content's box, placed as
// the reference places them (block origin, scale, rotation in the reference's plane, position).
// Without content (none, or a block still being worked out) the reference counts by its position.
void place(Box& box, const OdDbBlockReference& insert, const OdGePoint3d& origin, const Box* content)
{
  if (!content || content->min.x > content->max.x) {
    box.add(insert.position);
    return;
  }
  const Ocs plane(insert.normal);
  const double c = std::cos(insert.rotation), s = std::sin(insert.rotation);
  for (int corner = 0; corner < 8; ++corner) {
    const OdGePoint3d p{corner & 1 ? content->max.x : content->min.x, corner & 2 ? content->max.y : content->min.y,
                        corner & 4 ? content->max.z : content->min.z};
    const double x = (p.x - origin.x) * insert.scale.x, y = (p.y - origin.y) * insert.scale.y;
    const OdGePoint3d turned = plane.toWorld({c * x - s * y, s * x + c * y, (p.z - origin.z) * insert.scale.z});
    box.add({insert.position.x + turned.x, insert.position.y + turned.y, insert.position.z + turned.z});
  }
}

// Extents: exact for points, lines and conics, a spline's by its control points. Block references
// go by their blocks' boxes (see place).
void extendBy(Box& box, const OdDbLine& line)
{
  box.add(line.start);
  box.add(line.end);
}

void extendBy(Box& box, const OdDbPoint& point)
{
  box.add(point.position);
}

void extendBy(Box& box, const OdDbCircle& circle)
{
  const Ocs plane(circle.normal);
  addConic(box, circle.center, plane.axis(0, circle.radius), plane.axis(1, circle.radius), 0.0, 2 * kPi);
}

void extendBy(Box& box, const OdDbArc& arc)
{
  const Ocs plane(arc.normal);
  const double end = arc.endAngle >= arc.startAngle ? arc.endAngle : arc.endAngle + 2 * kPi;
  addConic(box, arc.center, plane.axis(0, arc.radius), plane.axis(1, arc.radius), arc.startAngle, end);
}

void extendBy(Box& box, const OdDbEllipse& ellipse)
{
  const OdGeVector3d& a = ellipse.majorAxis;
  const OdGeVector3d& n = ellipse.normal;
  const double len = n.length() > 0 ? n.length() : 1.0, r = ellipse.radiusRatio / len;
  const OdGeVector3d b{(n.y * a.z - n.z * a.y) * r, (n.z * a.x - n.x * a.z) * r, (n.x * a.y - n.y * a.x) * r};
  const double end = ellipse.endParam >= ellipse.startParam ? ellipse.endParam : ellipse.endParam + 2 * kPi;
  addConic(box, ellipse.center, a, b, ellipse.startParam, end);
}

void extendBy(Box& box, const OdDbPolyline& pline)
{
  const double z = pline.elevation();
  if (pline.normal() == OdGeVector3d::zAxis()) {
    for (const OdGePoint2d& p : pline.points)
      box.add({p.x, p.y, z});
    return;
  }
  const Ocs ocs(pline.normal());
  for (const OdGePoint2d& p : pline.points)
    box.add(ocs.toWorld({p.x, p.y, z}));
}

template <class T>
void extendByPoints(Box& box, const std::vector<T>& points)
{
  for (const auto& p : points)
    box.add(p);
}

void extendBy(Box& box, const OdDb3dPolyline& pline)
{
  extendByPoints(box, pline.vertices);
}

void extendBy(Box& box, const OdDbPolyFaceMesh& mesh)
{
  extendByPoints(box, mesh.vertices);
}

void extendBy(Box& box, const OdDbSpline& spline)
{
  extendByPoints(box, spline.controlPoints); // the curve stays in their hull
}

void extendBy(Box& box, const OdDbText& text)
{
  box.add(text.position);
}

void extendBy(Box& box, const OdDbMText& mtext)
{
  box.add(mtext.location);
}

class DrawingWriter {
public:
  DrawingWriter(const OdDbDatabase& db, OdStreamBuf& stream, int precision)
      : m_db(db), m_stream(stream), m_out(stream, precision), m_precision(precision), m_base(db.handseed())
  {
  }
  void write();

private:
  OdDbHandle fixed(Fixed which) const { return m_base + which; }
  const std::string& nameOf(OdDbObjectId id, const std::string& fallback) const;
  // Model and paper space under the names the format gives them, other blocks under their own.
  void putBlockName(GroupWriter& out, int code, const Block& block) const;
  // The layout a block holds the contents of; 0 unless model or paper space.
  OdDbHandle layoutOf(const Block& block) const;
  void collect();
  void collectNames(OdDbObjectId tableId);
  void cutSections();
  void tallyPieces();
  // The index in m_blocks of the block `id` names; kNoBlock for none the table holds, and for a
  // layout, which is no block to place.
  size_t indexOf(OdDbObjectId id) const;
  // Adds to a box where a reference puts the box of block `target`, finished.
  void placeIn(Box& box, const OdDbBlockReference& insert, size_t target, const std::vector<Box>& boxes) const
  {
    place(box, insert, target == kNoBlock ? OdGePoint3d{} : m_blocks[target].record->origin,
          target == kNoBlock ? nullptr : &boxes[target]);
  }
  // Finishes the boxes of the blocks that hold `references` (in the order of their blocks).
  void placeNested(std::vector<Box>& boxes, const std::vector<Reference>& references) const;
  // Calls f(block, from, to, last) for each block the piece spans, with the entities from..to-1
  // of it that the piece holds; last: the piece ends in this block.
  template <class F>
  void forEachSpan(const std::vector<Cut>& cuts, size_t piece, bool blocks, F&& f) const;

  void section(const char* name);
  void endSection();
  void tableHead(const char* name, OdDbHandle handle, int count);
  void recordHead(const char* type, OdDbHandle handle, OdDbHandle table, const char* subclass)
  {
    recordHead(m_out, type, handle, table, subclass);
  }
  static void recordHead(GroupWriter& out, const char* type, OdDbHandle handle, OdDbHandle table,
                         const char* subclass);
  void writeHeader();
  void writeTables();
  void writeVport();
  void writeLinetypes();
  void writeLayers();
  void writeStyles();
  void writeOneRecordTable(const char* name, Fixed table, Fixed record, const char* subclass, const char* recordName);
  void writeEmptyTable(const char* name, Fixed table);
  void writeDimStyles();
  void writeBlockRecords();
  // The BLOCKS section (blocks: true) or the ENTITIES section, piece by piece.
  void writeSection(const char* name, const std::vector<Cut>& cuts, bool blocks);
  void writeInPieces(size_t count, const std::function<void(size_t, GroupWriter&)>& write);
  void writePiece(const std::vector<Cut>& cuts, size_t piece, bool blocks, GroupWriter& out) const;
  void blockEdge(GroupWriter& out, const Block& block, OdDbHandle handle, bool head) const;
  void writeObjects();
  void writeDictionary(OdDbHandle handle, OdDbHandle owner, std::initializer_list<std::pair<const char*, OdDbHandle>> entries);
  void writeLayout(OdDbHandle handle, const char* name, int flags, int tabOrder, OdDbHandle block);


  const OdDbDatabase& m_db;
  OdStreamBuf& m_stream;
  GroupWriter m_out;
  const int m_precision;
  const OdDbHandle m_base;
  OdDbHandle m_seed = 0;
  std::vector<Cut> m_blockCuts, m_entityCuts;
  std::vector<Block> m_blocks;
  std::vector<OdDbHandle> m_blockHandles; // of m_blocks, to find a block by
  size_t m_modelBlock = kNoBlock, m_paperBlock = kNoBlock;
  NameTable m_names; // layers, line types and styles; blocks are many and go by their records
  Box m_extents;
  const std::string m_layerZero{"0"}, m_standard{"Standard"};
};

const std::string& DrawingWriter::nameOf(OdDbObjectId id, const std::string& fallback) const
{
  return dxf::nameOf(m_names, id, fallback);
}

void DrawingWriter::putBlockName(GroupWriter& out, int code, const Block& block) const
{
  const OdDbObjectId id = block.record->objectId();
  if (id == m_db.getModelSpaceId() || id == m_db.getPaperSpaceId())
    out.put(code, id == m_db.getModelSpaceId() ? kModelSpace : kPaperSpace);
  else
    out.putName(code, block.record->getName().str());
}

OdDbHandle DrawingWriter::layoutOf(const Block& block) const
{
  const OdDbObjectId id = block.record->objectId();
  return id == m_db.getModelSpaceId() ? fixed(kModelLayout) : id == m_db.getPaperSpaceId() ? fixed(kPaperLayout) : 0;
}

void DrawingWriter::collectNames(OdDbObjectId tableId)
{
  OdDbSymbolTablePtr table = OdDbSymbolTable::cast(tableId.safeOpenObject().get());
  if (!table)
    return;
  m_names.reserve(table->recordIds().size());
  for (OdDbObjectId id : table->recordIds()) {
    if (OdDbSymbolTableRecordPtr record = OdDbSymbolTableRecord::cast(id.safeOpenObject().get()))
      m_names.add(id.getHandle(), safeName(record->getName()));
  }
}

// Names, blocks, where the sections are cut into pieces, extents and the handles the file needs
// beyond the database's.
void DrawingWriter::collect()
{
  collectNames(m_db.getLayerTableId());
  collectNames(m_db.getLinetypeTableId());
  collectNames(m_db.getTextStyleTableId());
  m_names.sort();
  OdDbSymbolTablePtr blocks = OdDbSymbolTable::cast(m_db.getBlockTableId().safeOpenObject().get());
  m_blocks.reserve(blocks->recordIds().size());
  for (OdDbObjectId id : blocks->recordIds())
    if (const OdDbBlockTableRecord* record = as<OdDbBlockTableRecord>(id.peekObject()))
      m_blocks.push_back(Block{record});
  m_blockHandles.reserve(m_blocks.size());
  for (size_t b = 0; b < m_blocks.size(); ++b) {
    m_blockHandles.push_back(m_blocks[b].record->getHandle());
    const OdDbHandle layout = layoutOf(m_blocks[b]);
    if (layout)
      (layout == fixed(kModelLayout) ? m_modelBlock : m_paperBlock) = b;
  }
  cutSections();
  tallyPieces();
}

// A piece ends once it holds kPieceSize entities; in the BLOCKS section, at a block's head if it
// can. Where the cuts fall depends on the numbers of entities alone.
void DrawingWriter::cutSections()
{
  size_t blockRun = 0, entityRun = 0; // entities since the last cut
  m_blockCuts = {{0, 0, 0}};
  m_entityCuts = {{0, 0, 0}};
  for (size_t b = 0; b < m_blocks.size(); ++b) {
    const bool layout = layoutOf(m_blocks[b]) != 0;
    if (blockRun >= kPieceSize)
      m_blockCuts.push_back({b, 0, 0}), blockRun = 0;
    const size_t count = m_blocks[b].record->entityIds().size();
    for (size_t i = 0; i < count; ++i) {
      if (layout) {
        if (entityRun >= kPieceSize)
          m_entityCuts.push_back({b, i, 0}), entityRun = 0;
        ++entityRun;
      } else {
        if (i > 0 && blockRun >= kPieceSize)
          m_blockCuts.push_back({b, i, 0}), blockRun = 0;
        ++blockRun;
      }
    }
  }
}

size_t DrawingWriter::indexOf(OdDbObjectId id) const
{
  if (id.isNull())
    return kNoBlock;
  // A table holds its records in the order they were added, which is the order of their handles.
  const auto found = std::lower_bound(m_blockHandles.begin(), m_blockHandles.end(), id.getHandle());
  const size_t index = size_t(found - m_blockHandles.begin());
  if (found == m_blockHandles.end() || m_blocks[index].record != id.peekObject() || index == m_modelBlock ||
      index == m_paperBlock)
    return kNoBlock;
  return index;
}

// Each piece's extra handles, and the extents, side by side on every core; then the handles each
// piece starts from. Handles beyond the objects' own are taken in file order: BLOCK, the entities'
// VERTEX and SEQEND records and ENDBLK of every block, then those of the model and paper space
// entities. The BLOCKS pieces give each block the box of its entities but its references, which
// placeNested then adds, every block once; the ENTITIES pieces place model space's references by
// the finished boxes.
void DrawingWriter::tallyPieces()
{
  struct Tally {
    OdDbHandle extra = 0;
    Box extents;                                // of model space's entities in the piece
    std::vector<std::pair<size_t, Box>> shared; // boxes of the parts of blocks other pieces hold the rest of
    std::vector<Reference> references;          // those the piece's blocks hold
  };
  // A piece that holds all of a block's entities writes the block's box alone; the parts of a
  // block that pieces share are merged in their order.
  std::vector<Box> boxes(m_blocks.size());
  const auto pass = [&](const std::vector<Cut>& cuts, bool blocks, const auto& take) {
    std::vector<Tally> tallies(cuts.size());
    const auto make = [&](size_t piece, unsigned) {
      Tally& tally = tallies[piece];
      forEachSpan(cuts, piece, blocks, [&](const Block& block, size_t from, size_t to, bool) {
        const size_t index = size_t(&block - m_blocks.data());
        const bool measure = blocks || index == m_modelBlock;
        const OdDbObjectIdArray& ids = block.record->entityIds();
        Box box;
        for (size_t i = from; i < to; ++i) {
          const OdDbEntity* e = as<OdDbEntity>(ids[i].peekObject());
          if (!e)
            continue;
          tally.extra += dxf::extraHandles(*e);
          if (measure)
            visit(*e, [&](const auto& entity) {
              if constexpr (!std::is_same_v<std::decay_t<decltype(entity)>, OdDbBlockReference>)
                extendBy(box, entity);
              else if (blocks)
                tally.references.push_back({index, indexOf(entity.blockTableRecord), &entity});
              else
                placeIn(box, entity, indexOf(entity.blockTableRecord), boxes);
            });
        }
        if (!blocks) {
          tally.extents.merge(box);
        } else if (from < to) { // an empty span may be of a block another piece holds
          if (from == 0 && to == ids.size())
            boxes[index] = box;
          else
            tally.shared.emplace_back(index, box);
        }
      });
    };
    parallelInOrder(cuts.size(), workerCount(), cuts.size(), make, [&](size_t piece) {
      take(piece, tallies[piece]);
      tallies[piece] = Tally{};
    });
  };
  OdDbHandle handle = m_base + kFixedCount;
  std::vector<Reference> references;
  pass(m_blockCuts, true, [&](size_t piece, Tally& tally) {
    Cut& cut = m_blockCuts[piece];
    // A BLOCK and an ENDBLK for each block before, and this block's BLOCK unless the cut is before it.
    cut.handle = handle + 2 * cut.block + (cut.entity > 0 ? 1 : 0);
    handle += tally.extra;
    for (const auto& [index, box] : tally.shared)
      boxes[index].merge(box);
    references.insert(references.end(), tally.references.begin(), tally.references.end());
  });
  placeNested(boxes, references);
  handle += 2 * m_blocks.size();
  pass(m_entityCuts, false, [&](size_t piece, Tally& tally) {
    m_entityCuts[piece].handle = handle;
    handle += tally.extra;
    m_extents.merge(tally.extents);
  });
  m_seed = handle;
}

// Depth first, with a stack of its own: references may nest as deep as there are blocks. A block's
// box is finished before any reference to it is placed; a reference back into a block not
// finished yet (one that holds itself, through others or not) counts by its position.
void DrawingWriter::placeNested(std::vector<Box>& boxes, const std::vector<Reference>& references) const
{
  enum : uint8_t { kFinished, kUnseen, kOpen };
  std::vector<uint8_t> state(m_blocks.size(), kFinished); // a block without references is, as it is
  for (const Reference& r : references)
    state[r.owner] = kUnseen;
  struct Visit {
    size_t block, next, end; // references[next] to references[end - 1]: the block's still to place
  };
  const auto open = [&](size_t block) {
    state[block] = kOpen;
    const auto [first, last] = std::equal_range(references.begin(), references.end(), Reference{block, 0, nullptr},
                                                [](const Reference& a, const Reference& b) { return a.owner < b.owner; });
    return Visit{block, size_t(first - references.begin()), size_t(last - references.begin())};
  };
  std::vector<Visit> stack;
  for (const Reference& start : references) {
    if (state[start.owner] != kUnseen)
      continue;
    stack.push_back(open(start.owner));
    while (!stack.empty()) {
      Visit& top = stack.back();
      if (top.next == top.end) {
        state[top.block] = kFinished;
        stack.pop_back();
        continue;
      }
      const Reference& r = references[top.next];
      if (r.target != kNoBlock && state[r.target] == kUnseen) {
        stack.push_back(open(r.target)); // comes back to this reference once that block is finished
        continue;
      }
      placeIn(boxes[top.block], *r.insert, r.target != kNoBlock && state[r.target] == kFinished ? r.target : kNoBlock,
              boxes);
      ++top.next;
    }
  }
}

void DrawingWriter::write()
{
  collect();
  writeHeader();
  section("CLASSES");
  endSection();
  writeTables();
  writeSection("BLOCKS", m_blockCuts, true);
  writeSection("ENTITIES", m_entityCuts, false);
  writeObjects();
  m_out.put(code::kStructure, "EOF");
  m_out.flush();
}

void DrawingWriter::section(const char* name)
{
  m_out.put(code::kStructure, "SECTION");
  m_out.put(code::kName, name);
}

void DrawingWriter::endSection()
{
  m_out.put(code::kStructure, "ENDSEC");
}

void DrawingWriter::writeHeader()
{
  section("HEADER");
  auto variable = [this](const char* name) { m_out.put(code::kVariable, name); };
  variable("$ACADVER");
  m_out.put(code::kText, kVersion);
  variable("$DWGCODEPAGE");
  m_out.put(code::kMoreText, "ANSI_1252");
  variable("$INSBASE");
  m_out.putPoint(code::kX, {});
  variable("$EXTMIN");
  m_out.putPoint(code::kX, m_extents.min);
  variable("$EXTMAX");
  m_out.putPoint(code::kX, m_extents.max);
  variable("$HANDSEED");
  m_out.putHandle(code::kHandle, m_seed);
  variable("$INSUNITS");
  m_out.putInt(code::kFlags, m_db.getInsertionUnits());
  variable("$MEASUREMENT");
  m_out.putInt(code::kFlags, isImperial(m_db.getInsertionUnits()) ? 0 : 1);
  variable("$CLAYER");
  m_out.put(code::kLayer, "0");
  variable("$CELTYPE");
  m_out.put(code::kLinetype, "ByLayer");
  variable("$TEXTSTYLE");
  m_out.put(code::kTextStyle, "Standard");
  variable("$DIMSTYLE");
  m_out.put(code::kName, "Standard");
  endSection();
}

void DrawingWriter::tableHead(const char* name, OdDbHandle handle, int count)
{
  m_out.put(code::kStructure, "TABLE");
  m_out.put(code::kName, name);
  m_out.putHandle(code::kHandle, handle);
  m_out.putHandle(code::kOwner, 0);
  m_out.put(code::kSubclass, "AcDbSymbolTable");
  m_out.putInt(code::kFlags, count);
}

void DrawingWriter::recordHead(GroupWriter& out, const char* type, OdDbHandle handle, OdDbHandle table,
                              const char* subclass)
{
  out.put(code::kStructure, type);
  out.putHandle(code::kHandle, handle);
  out.putHandle(code::kOwner, table);
  out.put(code::kSubclass, "AcDbSymbolTableRecord");
  out.put(code::kSubclass, subclass);
}

void DrawingWriter::writeTables()
{
  section("TABLES");
  writeVport();
  writeLinetypes();
  writeLayers();
  writeStyles();
  writeEmptyTable("VIEW", kViewTable);
  writeEmptyTable("UCS", kUcsTable);
  writeOneRecordTable("APPID", kAppidTable, kAppidAcad, "AcDbRegAppTableRecord", "ACAD");
  writeDimStyles();
  writeBlockRecords();
  endSection();
}

void DrawingWriter::writeVport()
{
  tableHead("VPORT", fixed(kVportTable), 1);
  recordHead("VPORT", fixed(kVportActive), fixed(kVportTable), "AcDbViewportTableRecord");
  m_out.put(code::kName, "*Active");
  m_out.putInt(code::kFlags, 0);
  const bool empty = m_extents.min.x > m_extents.max.x;
  const OdGePoint3d lo = empty ? OdGePoint3d{} : m_extents.min, hi = empty ? OdGePoint3d{1, 1, 0} : m_extents.max;
  m_out.putReal(10, 0.0);
  m_out.putReal(20, 0.0);
  m_out.putReal(11, 1.0);
  m_out.putReal(21, 1.0);
  m_out.putReal(12, (lo.x + hi.x) / 2); // view centre: the whole drawing in view
  m_out.putReal(22, (lo.y + hi.y) / 2);
  m_out.putReal(40, std::max({hi.y - lo.y, (hi.x - lo.x) / 1.5, 1.0}));
  m_out.putReal(41, 1.5);
  m_out.put(code::kStructure, "ENDTAB");
}

void DrawingWriter::writeLinetypes()
{
  OdDbSymbolTablePtr table = OdDbSymbolTable::cast(m_db.getLinetypeTableId().safeOpenObject().get());
  const std::vector<OdDbLinetypeTableRecordPtr> records = openRecords<OdDbLinetypeTableRecord>(*table);
  tableHead("LTYPE", table->getHandle(), int(records.size()));
  for (const OdDbLinetypeTableRecordPtr& record : records) {
    recordHead("LTYPE", record->getHandle(), table->getHandle(), "AcDbLinetypeTableRecord");
    m_out.put(code::kName, nameOf(record->objectId(), m_layerZero));
    m_out.putInt(code::kFlags, 0);
    m_out.putText(code::kMoreText, record->description.str());
    m_out.putInt(code::kInt3, 'A'); // alignment: always A
    m_out.putInt(code::kInt4, int(record->dashes.size()));
    m_out.putReal(code::kReal, record->patternLength());
    for (double dash : record->dashes) {
      m_out.putReal(code::kDash, dash);
      m_out.putInt(code::kInt5, 0); // a plain dash: no text or shape
    }
  }
  m_out.put(code::kStructure, "ENDTAB");
}

void DrawingWriter::writeLayers()
{
  OdDbSymbolTablePtr table = OdDbSymbolTable::cast(m_db.getLayerTableId().safeOpenObject().get());
  const std::vector<OdDbLayerTableRecordPtr> records = openRecords<OdDbLayerTableRecord>(*table);
  tableHead("LAYER", table->getHandle(), int(records.size()));
  static const std::string continuous("Continuous");
  for (const OdDbLayerTableRecordPtr& layer : records) {
    recordHead("LAYER", layer->getHandle(), table->getHandle(), "AcDbLayerTableRecord");
    m_out.put(code::kName, nameOf(layer->objectId(), m_layerZero));
    m_out.putInt(code::kFlags, layer->isFrozen ? kLayerFrozen : 0);
    // A layer has a real colour; an off layer shows it negated.
    const OdCmColor& color = layer->color;
    const int index = color.colorMethod() == OdCmColor::kByACI && color.colorIndex() > 0 && color.colorIndex() < 256
                          ? color.colorIndex() : 7;
    m_out.putInt(code::kColor, layer->isOff ? -index : index);
    if (color.colorMethod() == OdCmColor::kByColor)
      m_out.putInt(code::kTrueColor, color.rgb());
    m_out.put(code::kLinetype, nameOf(layer->linetype, continuous));
    m_out.putInt(code::kLineWeight, layer->lineWeight);
  }
  m_out.put(code::kStructure, "ENDTAB");
}

void DrawingWriter::writeStyles()
{
  OdDbSymbolTablePtr table = OdDbSymbolTable::cast(m_db.getTextStyleTableId().safeOpenObject().get());
  const std::vector<OdDbTextStyleTableRecordPtr> records = openRecords<OdDbTextStyleTableRecord>(*table);
  tableHead("STYLE", table->getHandle(), int(records.size()));
  for (const OdDbTextStyleTableRecordPtr& style : records) {
    recordHead("STYLE", style->getHandle(), table->getHandle(), "AcDbTextStyleTableRecord");
    m_out.put(code::kName, nameOf(style->objectId(), m_standard));
    m_out.putInt(code::kFlags, 0);
    m_out.putReal(code::kReal, style->textSize);
    m_out.putReal(code::kRealAux, style->xScale);
    m_out.putReal(code::kAngle, 0.0);
    m_out.putInt(code::kInt2, 0);
    m_out.putReal(code::kReal3, style->textSize > 0.0 ? style->textSize : 2.5);
    m_out.putText(code::kMoreText, style->fileName.str());
    m_out.put(4, ""); // no big font
  }
  m_out.put(code::kStructure, "ENDTAB");
}

void DrawingWriter::writeEmptyTable(const char* name, Fixed table)
{
  tableHead(name, fixed(table), 0);
  m_out.put(code::kStructure, "ENDTAB");
}

void DrawingWriter::writeOneRecordTable(const char* name, Fixed table, Fixed record, const char* subclass, const char* recordName)
{
  tableHead(name, fixed(table), 1);
  recordHead(name, fixed(record), fixed(table), subclass);
  m_out.put(code::kName, recordName);
  m_out.putInt(code::kFlags, 0);
  m_out.put(code::kStructure, "ENDTAB");
}

// DIMSTYLE differs from the other tables: a subclass of its own and 105 for the record handle.
void DrawingWriter::writeDimStyles()
{
  tableHead("DIMSTYLE", fixed(kDimStyleTable), 1);
  m_out.put(code::kSubclass, "AcDbDimStyleTable");
  m_out.putInt(code::kInt2, 0);
  m_out.put(code::kStructure, "DIMSTYLE");
  m_out.putHandle(code::kDimStyleHandle, fixed(kDimStyleStandard));
  m_out.putHandle(code::kOwner, fixed(kDimStyleTable));
  m_out.put(code::kSubclass, "AcDbSymbolTableRecord");
  m_out.put(code::kSubclass, "AcDbDimStyleTableRecord");
  m_out.put(code::kName, "Standard");
  m_out.putInt(code::kFlags, 0);
  m_out.put(code::kStructure, "ENDTAB");
}

void DrawingWriter::writeBlockRecords()
{
  const OdDbHandle table = m_db.getBlockTableId().getHandle();
  tableHead("BLOCK_RECORD", table, int(m_blocks.size()));
  const int units = m_db.getInsertionUnits();
  writeInPieces((m_blocks.size() + kPieceSize - 1) / kPieceSize, [&](size_t piece, GroupWriter& out) {
    const size_t end = std::min(m_blocks.size(), (piece + 1) * kPieceSize);
    for (size_t b = piece * kPieceSize; b < end; ++b) {
      recordHead(out, "BLOCK_RECORD", m_blocks[b].record->getHandle(), table, "AcDbBlockTableRecord");
      putBlockName(out, code::kName, m_blocks[b]);
      out.putHandle(code::kSoftPointer, layoutOf(m_blocks[b]));
      out.putInt(code::kFlags, units);
      out.putInt(280, 1); // explodable
      out.putInt(281, 0); // scales freely
    }
  });
  m_out.put(code::kStructure, "ENDTAB");
}

void DrawingWriter::blockEdge(GroupWriter& out, const Block& block, OdDbHandle handle, bool head) const
{
  out.put(code::kStructure, head ? "BLOCK" : "ENDBLK");
  out.putHandle(code::kHandle, handle);
  out.putHandle(code::kOwner, block.record->getHandle());
  out.put(code::kSubclass, "AcDbEntity");
  if (layoutOf(block) == fixed(kPaperLayout))
    out.putInt(code::kPaperSpace, 1);
  out.put(code::kLayer, "0");
  if (!head) {
    out.put(code::kSubclass, "AcDbBlockEnd");
    return;
  }
  out.put(code::kSubclass, "AcDbBlockBegin");
  putBlockName(out, code::kName, block);
  out.putInt(code::kFlags, 0);
  out.putPoint(code::kX, block.record->origin);
  putBlockName(out, code::kMoreText, block);
  out.put(code::kText, "");
}

// A piece runs from its cut to the next one. Layout contents belong to the ENTITIES section, the
// other blocks' to the BLOCKS section, between their heads and ends.
template <class F>
void DrawingWriter::forEachSpan(const std::vector<Cut>& cuts, size_t piece, bool blocks, F&& f) const
{
  const Cut& from = cuts[piece];
  const Cut to = piece + 1 < cuts.size() ? cuts[piece + 1] : Cut{m_blocks.size(), 0, 0};
  for (size_t b = from.block, k = from.entity; b < to.block || (b == to.block && k < to.entity); ++b, k = 0) {
    const Block& block = m_blocks[b];
    const bool drawnHere = blocks == !layoutOf(block), last = b == to.block;
    const size_t end = !drawnHere ? 0 : last ? to.entity : block.record->entityIds().size();
    f(block, k, std::max(k, end), last);
    if (last)
      break;
  }
}

void DrawingWriter::writePiece(const std::vector<Cut>& cuts, size_t piece, bool blocks, GroupWriter& out) const
{
  EntityWriter writer(m_db, m_names, out);
  writer.setNextHandle(cuts[piece].handle);
  forEachSpan(cuts, piece, blocks, [&](const Block& block, size_t from, size_t to, bool last) {
    if (blocks && from == 0)
      blockEdge(out, block, writer.takeHandle(), true);
    writer.setOwner(block.record->getHandle(), !blocks && layoutOf(block) == fixed(kPaperLayout));
    const OdDbObjectIdArray& ids = block.record->entityIds();
    for (size_t k = from; k < to; ++k)
      if (const OdDbEntity* entity = as<OdDbEntity>(ids[k].peekObject()))
        writer.write(*entity);
    if (blocks && !last)
      blockEdge(out, block, writer.takeHandle(), false);
  });
}

void DrawingWriter::writeSection(const char* name, const std::vector<Cut>& cuts, bool blocks)
{
  section(name);
  writeInPieces(cuts.size(), [&](size_t piece, GroupWriter& out) { writePiece(cuts, piece, blocks, out); });
  endSection();
}

// Pieces are written into buffers of their own on every core and handed to the file in their
// order, a few held at a time; one or two pieces go straight out.
void DrawingWriter::writeInPieces(size_t count, const std::function<void(size_t, GroupWriter&)>& write)
{
  const unsigned workers = workerCount();
  if (count <= 2 || workers < 2) {
    for (size_t piece = 0; piece < count; ++piece)
      write(piece, m_out);
    return;
  }
  // A piece is written into its slot's buffer and handed on from there; only what outgrows the
  // buffer goes through a string first.
  struct Slot {
    std::string overflow;
    OdStaticRxObject<StringSink> sink;
    std::unique_ptr<GroupWriter> out;
  };
  const size_t window = 2 * workers + 2;
  std::vector<Slot> slots(window);
  const auto make = [&](size_t piece, unsigned) {
    Slot& slot = slots[piece % window];
    if (!slot.out) {
      slot.sink.target = &slot.overflow;
      slot.out = std::make_unique<GroupWriter>(slot.sink, m_precision);
    }
    slot.overflow.clear();
    write(piece, *slot.out);
  };
  m_out.flush();
  parallelInOrder(count, workers, window, make, [&](size_t piece) {
    Slot& slot = slots[piece % window];
    if (!slot.overflow.empty())
      m_stream.putBytes(slot.overflow.data(), static_cast<OdUInt32>(slot.overflow.size()));
    slot.out->flushTo(m_stream);
  });
}

void DrawingWriter::writeDictionary(OdDbHandle handle, OdDbHandle owner,
                                    std::initializer_list<std::pair<const char*, OdDbHandle>> entries)
{
  m_out.put(code::kStructure, "DICTIONARY");
  m_out.putHandle(code::kHandle, handle);
  m_out.putHandle(code::kOwner, owner);
  m_out.put(code::kSubclass, "AcDbDictionary");
  m_out.putInt(281, 1); // keep existing entries on a name clash
  for (const auto& [name, entry] : entries) {
    m_out.put(code::kMoreText, name);
    m_out.putHandle(code::kOwnedPointer, entry);
  }
}

void DrawingWriter::writeLayout(OdDbHandle handle, const char* name, int flags, int tabOrder, OdDbHandle block)
{
  m_out.put(code::kStructure, "LAYOUT");
  m_out.putHandle(code::kHandle, handle);
  m_out.putHandle(code::kOwner, fixed(kLayoutDictionary));
  m_out.put(code::kSubclass, "AcDbPlotSettings");
  m_out.put(code::kText, "");
  m_out.put(4, "");
  m_out.put(code::kLinetype, "");
  m_out.putInt(code::kFlags, 688); // print lineweights, use standard scale, ...
  m_out.putInt(code::kInt3, 1);    // paper units: millimetres
  m_out.put(code::kSubclass, "AcDbLayout");
  m_out.put(code::kText, name);
  m_out.putInt(code::kFlags, flags);
  m_out.putInt(code::kInt2, tabOrder);
  m_out.putPoint(code::kX, {});
  m_out.putPoint(code::kX2, {420.0, 297.0, 0.0});
  m_out.putPoint(code::kX3, {});
  m_out.putPoint(14, m_extents.min);
  m_out.putPoint(15, m_extents.max);
  m_out.putReal(146, 0.0);
  m_out.putPoint(13, {});
  m_out.putPoint(16, {1.0, 0.0, 0.0});
  m_out.putPoint(17, {0.0, 1.0, 0.0});
  m_out.putInt(76, 1);
  m_out.putHandle(code::kOwner, block);
}

void DrawingWriter::writeObjects()
{
  section("OBJECTS");
  writeDictionary(fixed(kRootDictionary), 0,
                  {{"ACAD_GROUP", fixed(kGroupDictionary)}, {"ACAD_LAYOUT", fixed(kLayoutDictionary)}});
  writeDictionary(fixed(kGroupDictionary), fixed(kRootDictionary), {});
  writeDictionary(fixed(kLayoutDictionary), fixed(kRootDictionary),
                  {{"Layout1", fixed(kPaperLayout)}, {"Model", fixed(kModelLayout)}});
  writeLayout(fixed(kModelLayout), "Model", 1, 0, m_db.getModelSpaceId().getHandle());
  writeLayout(fixed(kPaperLayout), "Layout1", 0, 1, m_db.getPaperSpaceId().getHandle());
  endSection();
}

} // namespace

void writeDrawing(const OdDbDatabase& db, OdStreamBuf& stream, int precision)
{
  DrawingWriter(db, stream, precision).write();
}

} // namespace dxf

void OdDbDatabase::writeFile(OdStreamBuf* stream, OdDb::SaveType type, OdDb::DwgVersion version, bool, int dxfPrecision)
{
  if (!stream)
    throw OdError(eInvalidInput, OdString("No stream to write the drawing to"));
  if (type != OdDb::kDwg && type != OdDb::kDxf)
    throw OdError(eInvalidInput, OdString("Unknown save type"));
  if (version != OdDb::kDHL_1032)
    throw OdError(eNotImplementedYet, OdString("Only release AC1032 drawings are written"));
  // No DWG writer here: either type is written as DXF.
  dxf::writeDrawing(*this, *stream, dxfPrecision);
}
