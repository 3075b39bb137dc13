#include "DxfReader.h"

#include "DxfCodes.h"

#include <OdError.h>
#include <RxObjectImpl.h>
#include <WinPort.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dxf {

namespace {

constexpr size_t kMaxLine = 64 * 1024;
constexpr size_t kReadChunk = 64 * 1024;

[[noreturn]] void fail(const char* what)
{
  throw OdError(eBadDxfFile, OdString(what));
}

std::string_view trim(std::string_view s)
{
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  if (!s.empty() && s.front() == '+')
    s.remove_prefix(1);
  return s;
}

// Windows-1252 for 0x80..0x9F; the rest of the code page is Latin-1.
constexpr char16_t kCp1252High[32] = {
  0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
  0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// Group code/value pairs of an ASCII DXF, read through a fixed buffer; comments are skipped.
class GroupReader {
public:
  explicit GroupReader(OdStreamBuf& stream) : m_stream(stream), m_buffer(kReadChunk) {}

  // Moves to the next pair; false when the stream ends before one starts.
  bool next();
  // The same where the drawing may not end.
  void advance()
  {
    if (!next())
      fail("The drawing ends early");
  }
  int code() const { return m_code; }
  const std::string& value() const { return m_value; }
  bool is(int code, std::string_view value) const { return m_code == code && m_value == value; }
  double real() const;
  int integer() const;
  // The value as drawing text; control characters come back from their ^ escapes.
  OdString text() const { return decode(m_value, true); }
  OdString name() const { return decode(m_value, false); }
  OdString decode(std::string_view raw, bool carets) const;
  void setUtf8(bool utf8) { m_utf8 = utf8; }

private:
  bool readLine(std::string& line);
  OdStreamBuf& m_stream;
  std::vector<char> m_buffer;
  size_t m_pos = 0, m_end = 0;
  std::string m_codeLine, m_value;
  int m_code = 0;
  bool m_first = true, m_utf8 = true;
};

bool GroupReader::readLine(std::string& line)
{
  line.clear();
  bool any = false;
  for (;;) {
    if (m_pos == m_end) {
      m_end = m_stream.getBytes(m_buffer.data(), static_cast<OdUInt32>(m_buffer.size()));
      m_pos = 0;
      if (m_end == 0)
        return any;
    }
    any = true;
    const char* start = m_buffer.data() + m_pos;
    const void* newline = std::memchr(start, '\n', m_end - m_pos);
    const size_t n = newline ? static_cast<const char*>(newline) - start : m_end - m_pos;
    if (line.size() + n > kMaxLine)
      fail("A line of the drawing is too long");
    line.append(start, n);
    m_pos += n;
    if (newline) {
      ++m_pos;
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      return true;
    }
  }
}

bool GroupReader::next()
{
  do {
    if (!readLine(m_codeLine))
      return false;
    std::string_view codeText = m_codeLine;
    if (m_first && codeText.substr(0, 3) == "\xEF\xBB\xBF")
      codeText.remove_prefix(3);
    m_first = false;
    codeText = trim(codeText);
    const auto [end, error] = std::from_chars(codeText.data(), codeText.data() + codeText.size(), m_code);
    if (error != std::errc() || end != codeText.data() + codeText.size() || codeText.empty() ||
        m_code < code::kMinCode || m_code > code::kMaxCode)
      fail("Not an ASCII DXF group code");
    if (!readLine(m_value))
      fail("The drawing ends inside a group");
  } while (m_code == code::kComment);
  if (m_code == code::kStructure) {
    while (!m_value.empty() && (m_value.back() == ' ' || m_value.back() == '\t'))
      m_value.pop_back();
  }
  return true;
}

double GroupReader::real() const
{
  const std::string_view s = trim(m_value);
  double v = 0.0;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (error != std::errc() || end != s.data() + s.size() || !std::isfinite(v))
    fail("A real value of the drawing is no number");
  return v;
}

int GroupReader::integer() const
{
  const std::string_view s = trim(m_value);
  int v = 0;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (error != std::errc() || end != s.data() + s.size())
    fail("An integer value of the drawing is no integer");
  return v;
}

OdString GroupReader::decode(std::string_view raw, bool carets) const
{
  std::string bytes;
  bytes.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    if (carets && raw[i] == '^' && i + 1 < raw.size() && (raw[i + 1] == ' ' || (raw[i + 1] >= '@' && raw[i + 1] <= '_'))) {
      bytes.push_back(raw[i + 1] == ' ' ? '^' : char(raw[i + 1] - '@'));
      ++i;
    } else {
      bytes.push_back(raw[i]);
    }
  }
  if (m_utf8)
    return OdString(winport::utf8ToUtf16(bytes));
  std::u16string text(bytes.size(), u' ');
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    text[i] = (c >= 0x80 && c < 0xA0) ? kCp1252High[c - 0x80] : char16_t(c);
  }
  return OdString(std::move(text));
}

// Sets the coordinate of `p` that the code names, if it is one of xCode's.
bool setCoordinate(OdGePoint3d& p, int xCode, const GroupReader& in)
{
  if (in.code() == xCode)
    p.x = in.real();
  else if (in.code() == code::kY(xCode))
    p.y = in.real();
  else if (in.code() == code::kZ(xCode))
    p.z = in.real();
  else
    return false;
  return true;
}

bool setCoordinate(OdGeVector3d& v, int xCode, const GroupReader& in)
{
  OdGePoint3d p{v.x, v.y, v.z};
  if (!setCoordinate(p, xCode, in))
    return false;
  v = {p.x, p.y, p.z};
  return true;
}

// What every entity says about itself, and the few values an entity holds by name or in
// pieces until the whole entity has been read.
struct EntityGroups {
  std::string layer, linetype, style, block, contents;
  OdCmColor color = OdCmColor::byLayer();
  long trueColor = -1;
  int lineWeight = OdDb::kLnWtByLayer;
  bool invisible = false, paper = false, embedded = false;
  OdGeVector3d direction;
  OdGeVector3d normal = OdGeVector3d::zAxis(); // of a polyline, set once it is read
  double elevation = 0.0;

  // Takes the group if it is a common one.
  bool take(const GroupReader& in);
};

OdCmColor colorFromIndex(int index)
{
  if (index < 0)
    index = -index; // an off layer's colour
  if (index == 0)
    return OdCmColor::byBlock();
  if (index >= 1 && index <= 255)
    return OdCmColor::fromIndex(static_cast<OdInt16>(index));
  return OdCmColor::byLayer();
}

bool EntityGroups::take(const GroupReader& in)
{
  switch (in.code()) {
  case code::kLayer: layer = in.value(); return true;
  case code::kLinetype: linetype = in.value(); return true;
  case code::kTextStyle: style = in.value(); return true;
  case code::kColor: color = colorFromIndex(in.integer()); return true;
  case code::kTrueColor: trueColor = in.integer() & 0xFFFFFF; return true;
  case code::kLineWeight: lineWeight = in.integer(); return true;
  case code::kInvisible: invisible = in.integer() != 0; return true;
  case code::kPaperSpace: paper = in.integer() != 0; return true;
  default: return false;
  }
}

void take(OdDbLine& e, const GroupReader& in, EntityGroups&)
{
  setCoordinate(e.start, code::kX, in) || setCoordinate(e.end, code::kX2, in);
}

void take(OdDbPoint& e, const GroupReader& in, EntityGroups&)
{
  setCoordinate(e.position, code::kX, in);
}

void take(OdDbCircle& e, const GroupReader& in, EntityGroups&)
{
  if (in.code() == code::kReal)
    e.radius = in.real();
  else
    setCoordinate(e.center, code::kX, in) || setCoordinate(e.normal, code::kNormalX, in);
}

void take(OdDbArc& e, const GroupReader& in, EntityGroups&)
{
  if (in.code() == code::kReal)
    e.radius = in.real();
  else if (in.code() == code::kAngle)
    e.startAngle = toRadians(in.real());
  else if (in.code() == code::kAngle2)
    e.endAngle = toRadians(in.real());
  else
    setCoordinate(e.center, code::kX, in) || setCoordinate(e.normal, code::kNormalX, in);
}

void take(OdDbEllipse& e, const GroupReader& in, EntityGroups&)
{
  if (in.code() == code::kReal)
    e.radiusRatio = in.real();
  else if (in.code() == code::kRealAux)
    e.startParam = in.real();
  else if (in.code() == code::kReal3)
    e.endParam = in.real();
  else
    setCoordinate(e.center, code::kX, in) || setCoordinate(e.majorAxis, code::kX2, in) ||
        setCoordinate(e.normal, code::kNormalX, in);
}

void take(OdDbPolyline& e, const GroupReader& in, EntityGroups& groups)
{
  switch (in.code()) {
  case code::kX: e.points.push_back({in.real(), 0.0}); break;
  case code::kY(code::kX): if (!e.points.empty()) e.points.back().y = in.real(); break;
  case code::kReal3: if (!e.points.empty()) e.setBulgeAt(e.points.size() - 1, in.real()); break;
  case code::kFlags: e.closed = (in.integer() & kClosed) != 0; break;
  case code::kElevation: groups.elevation = in.real(); break;
  default: setCoordinate(groups.normal, code::kNormalX, in);
  }
}

void take(OdDbSpline& e, const GroupReader& in, EntityGroups&)
{
  switch (in.code()) {
  case code::kFlags:
    e.closed = (in.integer() & kSplineClosed) != 0;
    e.periodic = (in.integer() & kSplinePeriodic) != 0;
    break;
  case code::kInt2: e.degree = in.integer(); break;
  case code::kReal: e.knots.push_back(in.real()); break;
  case code::kRealAux: e.weights.push_back(in.real()); break;
  case code::kX: e.controlPoints.push_back({in.real(), 0.0, 0.0}); break;
  case code::kY(code::kX): if (!e.controlPoints.empty()) e.controlPoints.back().y = in.real(); break;
  case code::kZ(code::kX): if (!e.controlPoints.empty()) e.controlPoints.back().z = in.real(); break;
  default: break;
  }
}

void take(OdDbText& e, const GroupReader& in, EntityGroups&)
{
  switch (in.code()) {
  case code::kText: e.text = in.text(); break;
  case code::kReal: e.height = in.real(); break;
  case code::kRealAux: e.widthFactor = in.real(); break;
  case code::kAngle: e.rotation = toRadians(in.real()); break;
  case code::kInt3: {
    const int mode = in.integer();
    e.horizontalMode = mode == 1 || mode == 4 ? OdDb::kTextCenter : mode == 2 ? OdDb::kTextRight : OdDb::kTextLeft;
    if (mode == 4) // "middle": centred both ways
      e.verticalMode = OdDb::kTextVertMid;
    break;
  }
  case code::kInt4: {
    const int mode = in.integer();
    if (mode >= OdDb::kTextBase && mode <= OdDb::kTextTop)
      e.verticalMode = static_cast<OdDb::TextVertMode>(mode);
    break;
  }
  default:
    setCoordinate(e.position, code::kX, in) || setCoordinate(e.alignmentPoint, code::kX2, in) ||
      setCoordinate(e.normal, code::kNormalX, in);
  }
}

void take(OdDbMText& e, const GroupReader& in, EntityGroups& groups)
{
  switch (in.code()) {
  case code::kText:
  case code::kMoreText: groups.contents += in.value(); break;
  case code::kReal: e.textHeight = in.real(); break;
  case code::kRealAux: e.width = in.real(); break;
  case code::kLineSpacing: e.lineSpacingFactor = in.real(); break;
  case code::kAngle: e.rotation = toRadians(in.real()); break;
  case code::kInt2: {
    const int attachment = in.integer();
    if (attachment >= OdDbMText::kTopLeft && attachment <= OdDbMText::kBottomRight)
      e.attachment = static_cast<OdDbMText::Attachment>(attachment);
    break;
  }
  default:
    setCoordinate(e.location, code::kX, in) || setCoordinate(groups.direction, code::kX2, in) ||
      setCoordinate(e.normal, code::kNormalX, in);
  }
}

void take(OdDbBlockReference& e, const GroupReader& in, EntityGroups& groups)
{
  switch (in.code()) {
  case code::kName: groups.block = in.value(); break;
  case code::kRealAux: e.scale.x = in.real(); break;
  case code::kReal3: e.scale.y = in.real(); break;
  case code::kScaleZ: e.scale.z = in.real(); break;
  case code::kAngle: e.rotation = toRadians(in.real()); break;
  default: setCoordinate(e.position, code::kX, in) || setCoordinate(e.normal, code::kNormalX, in);
  }
}

// What is left once all groups are in: planar entities store their points in their own plane.
template <class T>
void finish(T&, const EntityGroups&, const GroupReader&) {}

void finish(OdDbPolyline& e, const EntityGroups& groups, const GroupReader&)
{
  e.setPlane(groups.elevation, groups.normal);
}

void finish(OdDbCircle& e, const EntityGroups&, const GroupReader&)
{
  e.center = Ocs(e.normal).toWorld(e.center);
}

void finish(OdDbArc& e, const EntityGroups&, const GroupReader&)
{
  e.center = Ocs(e.normal).toWorld(e.center);
}

void finish(OdDbBlockReference& e, const EntityGroups&, const GroupReader&)
{
  e.position = Ocs(e.normal).toWorld(e.position);
}

void finish(OdDbText& e, const EntityGroups&, const GroupReader&)
{
  const Ocs ocs(e.normal);
  e.position = ocs.toWorld(e.position);
  e.alignmentPoint = ocs.toWorld(e.alignmentPoint);
}

void finish(OdDbMText& e, const EntityGroups& groups, const GroupReader& in)
{
  e.contents = in.decode(groups.contents, true);
  // The direction is a world vector; the rotation is its angle in the text's plane.
  const OdGePoint3d direction = Ocs(e.normal).fromWorld({groups.direction.x, groups.direction.y, groups.direction.z});
  if (direction.x != 0.0 || direction.y != 0.0)
    e.rotation = std::atan2(direction.y, direction.x);
}

class DrawingReader {
public:
  DrawingReader(OdStreamBuf& stream, OdDbDatabase& db) : m_in(stream), m_db(db) {}
  void read();

private:
  // Reads the groups up to the next structure pair, handing each to `take`.
  template <class F>
  void readGroups(F&& take)
  {
    m_in.advance();
    while (m_in.code() != code::kStructure) {
      take();
      m_in.advance();
    }
  }
  void skipGroups()
  {
    readGroups([] {});
  }
  void readHeader();
  void readTables();
  void readLayer();
  void readLinetype();
  void readStyle();
  void readBlocks();
  void readBlock();
  // Entities from the current pair up to ENDBLK or ENDSEC; into `into`, or by their paper space
  // flag when null.
  void readEntityList(OdDbBlockTableRecord* into);
  void readEntity(OdDbBlockTableRecord* into);
  template <class T>
  void readSimple(OdDbBlockTableRecord* into);
  void readPolyline(OdDbBlockTableRecord* into);
  void add(OdDbEntity& e, const EntityGroups& groups, OdDbBlockTableRecord* into);

  template <class T>
  OdSmartPtr<T> record(OdDbObjectId tableId, const OdString& name);
  OdDbObjectId cached(std::unordered_map<std::string, OdDbObjectId>& cache, const std::string& raw,
                      OdDbObjectId tableId, bool create);
  OdDbObjectId layer(const std::string& raw) { return cached(m_layers, raw, m_db.getLayerTableId(), true); }
  OdDbObjectId linetype(const std::string& raw);
  OdDbObjectId style(const std::string& raw);
  OdDbObjectId block(const std::string& raw);

  GroupReader m_in;
  OdDbDatabase& m_db;
  std::unordered_map<std::string, OdDbObjectId> m_layers, m_linetypes, m_styles, m_blocks;
};

template <class T>
OdSmartPtr<T> DrawingReader::record(OdDbObjectId tableId, const OdString& name)
{
  OdDbSymbolTablePtr table = OdDbSymbolTable::cast(tableId.openObject(OdDb::kForWrite).get());
  const OdDbObjectId id = table->getAt(name);
  if (!id.isNull())
    return T::cast(id.openObject(OdDb::kForWrite).get());
  OdSmartPtr<T> created = OdRxObjectImpl<T>::createObject();
  created->setName(name);
  table->add(created.get());
  return created;
}

OdDbObjectId DrawingReader::cached(std::unordered_map<std::string, OdDbObjectId>& cache, const std::string& raw,
                                   OdDbObjectId tableId, bool create)
{
  const auto it = cache.find(raw);
  if (it != cache.end())
    return it->second;
  OdDbObjectId id = OdDbSymbolTablePtr(OdDbSymbolTable::cast(tableId.openObject().get()))->getAt(m_in.decode(raw, false));
  if (id.isNull() && create) {
    OdDbSymbolTablePtr table = OdDbSymbolTable::cast(tableId.openObject(OdDb::kForWrite).get());
    OdDbSymbolTableRecordPtr added = tableId == m_db.getLayerTableId()
                                         ? OdDbSymbolTableRecordPtr(OdRxObjectImpl<OdDbLayerTableRecord>::createObject())
                                         : OdDbSymbolTableRecordPtr(OdRxObjectImpl<OdDbBlockTableRecord>::createObject());
    added->setName(m_in.decode(raw, false));
    id = table->add(added.get());
  }
  cache.emplace(raw, id);
  return id;
}

OdDbObjectId DrawingReader::linetype(const std::string& raw)
{
  const OdString name = m_in.decode(raw, false);
  if (raw.empty() || name.iCompare(OdString("ByLayer")) == 0)
    return OdDbObjectId(); // null is by layer
  return cached(m_linetypes, raw, m_db.getLinetypeTableId(), false);
}

OdDbObjectId DrawingReader::style(const std::string& raw)
{
  const OdDbObjectId id = raw.empty() ? OdDbObjectId() : cached(m_styles, raw, m_db.getTextStyleTableId(), false);
  return id.isNull() ? m_db.getTextStyleStandardId() : id;
}

// Blocks may be used before they are defined; the reference makes the record, the definition fills it.
OdDbObjectId DrawingReader::block(const std::string& raw)
{
  const OdString name = m_in.decode(raw, false);
  if (name.iCompare(OdString(kModelSpace)) == 0 || name.iCompare(OdString("$MODEL_SPACE")) == 0)
    return m_db.getModelSpaceId();
  if (name.iCompare(OdString(kPaperSpace)) == 0 || name.iCompare(OdString("$PAPER_SPACE")) == 0)
    return m_db.getPaperSpaceId();
  return cached(m_blocks, raw, m_db.getBlockTableId(), true);
}

// A drawing ends with EOF: without it, it was cut short.
void DrawingReader::read()
{
  for (;;) {
    m_in.advance();
    if (m_in.is(code::kStructure, "EOF"))
      return;
    if (!m_in.is(code::kStructure, "SECTION"))
      fail("Not a DXF section");
    m_in.advance();
    if (m_in.code() != code::kName)
      fail("A DXF section without a name");
    const std::string name = m_in.value();
    if (name == "HEADER")
      readHeader();
    else if (name == "TABLES")
      readTables();
    else if (name == "BLOCKS")
      readBlocks();
    else if (name == "ENTITIES")
      m_in.advance(), readEntityList(nullptr);
    else
      do
        m_in.advance();
      while (!m_in.is(code::kStructure, "ENDSEC"));
    if (!m_in.is(code::kStructure, "ENDSEC"))
      fail("A DXF section does not end");
  }
}

void DrawingReader::readHeader()
{
  std::string variable;
  m_in.advance();
  while (!m_in.is(code::kStructure, "ENDSEC")) {
    if (m_in.code() == code::kVariable) {
      variable = m_in.value();
    } else if (variable == "$ACADVER" && m_in.code() == code::kText) {
      m_in.setUtf8(m_in.value() >= "AC1021");
    } else if (variable == "$INSUNITS" && m_in.code() == code::kFlags) {
      const int units = m_in.integer();
      if (units >= OdDb::kUnitsUndefined && units <= OdDb::kUnitsMax)
        m_db.setInsertionUnits(static_cast<OdDb::UnitsValue>(units));
    }
    m_in.advance();
  }
}

void DrawingReader::readTables()
{
  m_in.advance();
  while (!m_in.is(code::kStructure, "ENDSEC")) {
    if (m_in.is(code::kStructure, "LAYER"))
      readLayer();
    else if (m_in.is(code::kStructure, "LTYPE"))
      readLinetype();
    else if (m_in.is(code::kStructure, "STYLE"))
      readStyle();
    else
      m_in.advance();
  }
}

void DrawingReader::readLayer()
{
  OdString name;
  std::string linetypeName;
  int flags = 0, color = 7, weight = -3;
  long trueColor = -1;
  readGroups([&] {
    switch (m_in.code()) {
    case code::kName: name = m_in.name(); break;
    case code::kFlags: flags = m_in.integer(); break;
    case code::kColor: color = m_in.integer(); break;
    case code::kTrueColor: trueColor = m_in.integer() & 0xFFFFFF; break;
    case code::kLinetype: linetypeName = m_in.value(); break;
    case code::kLineWeight: weight = m_in.integer(); break;
    default: break;
    }
  });
  if (name.isEmpty())
    return;
  OdDbLayerTableRecordPtr layer = record<OdDbLayerTableRecord>(m_db.getLayerTableId(), name);
  const OdCmColor indexed = colorFromIndex(color);
  layer->color = trueColor >= 0 ? OdCmColor::fromRGB(OdUInt8(trueColor >> 16), OdUInt8(trueColor >> 8), OdUInt8(trueColor))
                 : indexed.colorMethod() == OdCmColor::kByACI ? indexed : OdCmColor::fromIndex(7);
  layer->isOff = color < 0;
  layer->isFrozen = (flags & kLayerFrozen) != 0;
  const OdDbObjectId lt = linetype(linetypeName);
  layer->linetype = lt == m_db.getLinetypeContinuousId() ? OdDbObjectId() : lt;
  layer->lineWeight = weight;
}

void DrawingReader::readLinetype()
{
  OdString name, description;
  std::vector<double> dashes;
  readGroups([&] {
    if (m_in.code() == code::kName)
      name = m_in.name();
    else if (m_in.code() == code::kMoreText)
      description = m_in.text();
    else if (m_in.code() == code::kDash)
      dashes.push_back(m_in.real());
  });
  if (name.isEmpty())
    return;
  OdDbLinetypeTableRecordPtr linetype = record<OdDbLinetypeTableRecord>(m_db.getLinetypeTableId(), name);
  linetype->description = description;
  linetype->dashes = std::move(dashes);
}

void DrawingReader::readStyle()
{
  OdString name, font;
  double size = 0.0, xScale = 1.0;
  int flags = 0;
  readGroups([&] {
    switch (m_in.code()) {
    case code::kName: name = m_in.name(); break;
    case code::kMoreText: font = m_in.text(); break;
    case code::kReal: size = m_in.real(); break;
    case code::kRealAux: xScale = m_in.real(); break;
    case code::kFlags: flags = m_in.integer(); break;
    default: break;
    }
  });
  if (name.isEmpty() || (flags & 1)) // shape files have no name to use
    return;
  OdDbTextStyleTableRecordPtr style = record<OdDbTextStyleTableRecord>(m_db.getTextStyleTableId(), name);
  style->fileName = font;
  style->textSize = size;
  style->xScale = xScale;
}

void DrawingReader::readBlocks()
{
  m_in.advance();
  while (!m_in.is(code::kStructure, "ENDSEC")) {
    if (m_in.is(code::kStructure, "BLOCK"))
      readBlock();
    else
      m_in.advance();
  }
}

void DrawingReader::readBlock()
{
  std::string name;
  OdGePoint3d origin;
  readGroups([&] {
    if (m_in.code() == code::kName)
      name = m_in.value();
    else
      setCoordinate(origin, code::kX, m_in);
  });
  if (name.empty()) { // nothing could refer to it
    while (!m_in.is(code::kStructure, "ENDSEC") && !m_in.is(code::kStructure, "ENDBLK"))
      skipGroups();
  } else {
    OdDbBlockTableRecordPtr target = OdDbBlockTableRecord::cast(block(name).openObject(OdDb::kForWrite).get());
    target->origin = origin;
    readEntityList(target.get());
  }
  if (m_in.is(code::kStructure, "ENDBLK"))
    skipGroups();
}

void DrawingReader::readEntityList(OdDbBlockTableRecord* into)
{
  while (!m_in.is(code::kStructure, "ENDSEC") && !m_in.is(code::kStructure, "ENDBLK"))
    readEntity(into);
}

void DrawingReader::readEntity(OdDbBlockTableRecord* into)
{
  const std::string& type = m_in.value();
  if (type == "LINE")
    readSimple<OdDbLine>(into);
  else if (type == "POINT")
    readSimple<OdDbPoint>(into);
  else if (type == "CIRCLE")
    readSimple<OdDbCircle>(into);
  else if (type == "ARC")
    readSimple<OdDbArc>(into);
  else if (type == "ELLIPSE")
    readSimple<OdDbEllipse>(into);
  else if (type == "LWPOLYLINE")
    readSimple<OdDbPolyline>(into);
  else if (type == "SPLINE")
    readSimple<OdDbSpline>(into);
  else if (type == "TEXT")
    readSimple<OdDbText>(into);
  else if (type == "MTEXT")
    readSimple<OdDbMText>(into);
  else if (type == "INSERT")
    readSimple<OdDbBlockReference>(into);
  else if (type == "POLYLINE")
    readPolyline(into);
  else
    skipGroups();
}

template <class T>
void DrawingReader::readSimple(OdDbBlockTableRecord* into)
{
  OdSmartPtr<T> entity = OdRxObjectImpl<T>::createObject();
  EntityGroups groups;
  readGroups([&] {
    if (m_in.code() == code::kEmbeddedObject) // an embedded object repeats codes with other meanings
      groups.embedded = true;
    if (!groups.embedded && !groups.take(m_in))
      take(*entity, m_in, groups);
  });
  finish(*entity, groups, m_in);
  add(*entity, groups, into);
}

void DrawingReader::readPolyline(OdDbBlockTableRecord* into)
{
  EntityGroups groups;
  int flags = 0;
  double elevation = 0.0;
  OdGeVector3d normal = OdGeVector3d::zAxis();
  readGroups([&] {
    if (groups.take(m_in))
      return;
    if (m_in.code() == code::kFlags)
      flags = m_in.integer();
    else if (m_in.code() == code::kZ(code::kX))
      elevation = m_in.real();
    else
      setCoordinate(normal, code::kNormalX, m_in);
  });
  OdDbPolylinePtr flat = OdRxObjectImpl<OdDbPolyline>::createObject();
  OdDb3dPolylinePtr spatial = OdRxObjectImpl<OdDb3dPolyline>::createObject();
  OdDbPolyFaceMeshPtr mesh = OdRxObjectImpl<OdDbPolyFaceMesh>::createObject();
  while (m_in.is(code::kStructure, "VERTEX")) {
    OdGePoint3d point;
    double bulge = 0.0;
    int vertexFlags = 0;
    OdDbPolyFaceMesh::Face face;
    readGroups([&] {
      if (m_in.code() == code::kReal3)
        bulge = m_in.real();
      else if (m_in.code() == code::kFlags)
        vertexFlags = m_in.integer();
      else if (m_in.code() >= code::kInt2 && m_in.code() <= code::kInt5)
        face.vertices[m_in.code() - code::kInt2] = int(std::abs(m_in.integer())) - 1; // negative: an invisible edge
      else
        setCoordinate(point, code::kX, m_in);
    });
    if (vertexFlags & kVertexSplineFrame)
      continue; // the frame of a spline fit, not a point of the curve
    if ((vertexFlags & (kVertexMesh | kVertexPolyface)) == kVertexMesh) {
      if (face.vertices[0] >= 0 && face.vertices[1] >= 0 && face.vertices[2] >= 0)
        mesh->faces.push_back(face);
      continue;
    }
    flat->addVertex({point.x, point.y}, bulge);
    spatial->vertices.push_back(point);
  }
  if (m_in.is(code::kStructure, "SEQEND"))
    skipGroups();
  if (flags & kPolyface) {
    mesh->vertices = std::move(spatial->vertices);
    const int count = int(mesh->vertices.size());
    const auto outside = [count](const OdDbPolyFaceMesh::Face& f) {
      return std::any_of(f.vertices, f.vertices + f.count(), [count](int v) { return v >= count; });
    };
    mesh->faces.erase(std::remove_if(mesh->faces.begin(), mesh->faces.end(), outside), mesh->faces.end());
    add(*mesh, groups, into);
    return;
  }
  if (flags & kMesh)
    return; // polygon meshes: no such entity here
  if (flags & k3dPolyline) {
    spatial->closed = (flags & kClosed) != 0;
    add(*spatial, groups, into);
  } else {
    flat->closed = (flags & kClosed) != 0;
    flat->setPlane(elevation, normal);
    add(*flat, groups, into);
  }
}

void DrawingReader::add(OdDbEntity& e, const EntityGroups& groups, OdDbBlockTableRecord* into)
{
  OdDbBlockTableRecordPtr target(into);
  if (!target)
    target = OdDbBlockTableRecord::cast(
        (groups.paper ? m_db.getPaperSpaceId() : m_db.getModelSpaceId()).openObject(OdDb::kForWrite).get());
  e.setLayer(layer(groups.layer.empty() ? std::string("0") : groups.layer));
  e.setLinetype(linetype(groups.linetype));
  e.setColor(groups.trueColor >= 0 ? OdCmColor::fromRGB(OdUInt8(groups.trueColor >> 16), OdUInt8(groups.trueColor >> 8),
                                                        OdUInt8(groups.trueColor))
                                   : groups.color);
  e.setLineWeight(groups.lineWeight);
  e.setVisibility(!groups.invisible);
  if (auto* text = OdDbText::cast(&e).get())
    text->textStyle = style(groups.style);
  else if (auto* mtext = OdDbMText::cast(&e).get())
    mtext->textStyle = style(groups.style);
  else if (auto* insert = OdDbBlockReference::cast(&e).get()) {
    if (groups.block.empty())
      return; // a reference to nothing
    insert->blockTableRecord = block(groups.block);
  }
  target->appendOdDbEntity(&e);
}

} // namespace

void readDrawing(OdStreamBuf& stream, OdDbDatabase& db)
{
  DrawingReader(stream, db).read();
}

OdDbDatabasePtr readDrawing(OdStreamBuf& stream)
{
  OdDbDatabasePtr db = OdRxObjectImpl<OdDbDatabase>::createObject();
  readDrawing(stream, *db);
  return db;
}

} // namespace dxf
