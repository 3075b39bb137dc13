#include "Symbology.h"

#include <RxObjectImpl.h>

#include <cmath>
#include <string>

namespace dgn {

namespace {

// Dash patterns of the eight standard line styles, in drawing units: draw > 0, skip < 0, 0 dot.
struct StylePattern {
  const char* name;
  const char* description;
  std::vector<double> dashes;
};

const StylePattern& stylePattern(int style)
{
  static const StylePattern kPatterns[8] = {
    {"", "", {}},
    {"DGN_DOTTED", "Dotted", {0.0, -0.1}},
    {"DGN_MEDIUM_DASH", "Medium dash", {0.5, -0.25}},
    {"DGN_LONG_DASH", "Long dash", {1.0, -0.25}},
    {"DGN_DOT_DASH", "Dot dash", {0.5, -0.15, 0.0, -0.15}},
    {"DGN_SHORT_DASH", "Short dash", {0.25, -0.15}},
    {"DGN_DASH_DOT_DOT", "Dash dot dot", {0.5, -0.15, 0.0, -0.15, 0.0, -0.15}},
    {"DGN_LONG_DASH_SHORT_DASH", "Long dash short dash", {1.0, -0.2, 0.4, -0.2}},
  };
  return kPatterns[style & 7];
}

// MicroStation's colours when a file brings no colour table, by colour number.
constexpr std::array<uint32_t, 256> kDefaultColors = {
  0xffffff, 0x0000ff, 0x00ff00, 0xff0000, 0xffff00, 0xff00ff, 0xff7f00, 0x00ffff,
  0x404040, 0xc0c0c0, 0xfe0060, 0xa0e000, 0x00fea0, 0x8000a0, 0xb0b0b0, 0x00f0f0,
  0xf0f0f0, 0x0000f0, 0x00f000, 0xf00000, 0xf0f000, 0xf000f0, 0xf07a00, 0x00f0f0,
  0xf0f0f0, 0x0000f0, 0x00f000, 0xf00000, 0xf0f000, 0xf000f0, 0xf07a00, 0x00e1e1,
  0xe1e1e1, 0x0000e1, 0x00e100, 0xe10000, 0xe1e100, 0xe100e1, 0xe17500, 0x00e1e1,
  0xe1e1e1, 0x0000e1, 0x00e100, 0xe10000, 0xe1e100, 0xe100e1, 0xe17500, 0x00d2d2,
  0xd2d2d2, 0x0000d2, 0x00d200, 0xd20000, 0xd2d200, 0xd200d2, 0xd27000, 0x00d2d2,
  0xd2d2d2, 0x0000d2, 0x00d200, 0xd20000, 0xd2d200, 0xd200d2, 0xd27000, 0x00c3c3,
  0xc3c3c3, 0x0000c3, 0x00c300, 0xc30000, 0xc3c300, 0xc300c3, 0xc36b00, 0x00c3c3,
  0xc3c3c3, 0x0000c3, 0x00c300, 0xc30000, 0xc3c300, 0xc300c3, 0xc36b00, 0x00b4b4,
  0xb4b4b4, 0x0000b4, 0x00b400, 0xb40000, 0xb4b400, 0xb400b4, 0xb46600, 0x00b4b4,
  0xb4b4b4, 0x0000b4, 0x00b400, 0xb40000, 0xb4b400, 0xb400b4, 0xb46600, 0x00a5a5,
  0xa5a5a5, 0x0000a5, 0x00a500, 0xa50000, 0xa5a500, 0xa500a5, 0xa56100, 0x00a5a5,
  0xa5a5a5, 0x0000a5, 0x00a500, 0xa50000, 0xa5a500, 0xa500a5, 0xa56100, 0x009696,
  0x969696, 0x000096, 0x009600, 0x960000, 0x969600, 0x960096, 0x965c00, 0x009696,
  0x969696, 0x000096, 0x009600, 0x960000, 0x969600, 0x960096, 0x965c00, 0x008787,
  0x878787, 0x000087, 0x008700, 0x870000, 0x878700, 0x870087, 0x875700, 0x008787,
  0x878787, 0x000087, 0x008700, 0x870000, 0x878700, 0x870087, 0x875700, 0x007878,
  0x787878, 0x000078, 0x007800, 0x780000, 0x787800, 0x780078, 0x785200, 0x007878,
  0x787878, 0x000078, 0x007800, 0x780000, 0x787800, 0x780078, 0x785200, 0x006969,
  0x696969, 0x000069, 0x006900, 0x690000, 0x696900, 0x690069, 0x694d00, 0x006969,
  0x696969, 0x000069, 0x006900, 0x690000, 0x696900, 0x690069, 0x694d00, 0x005a5a,
  0x5a5a5a, 0x00005a, 0x005a00, 0x5a0000, 0x5a5a00, 0x5a005a, 0x5a4800, 0x005a5a,
  0x5a5a5a, 0x00005a, 0x005a00, 0x5a0000, 0x5a5a00, 0x5a005a, 0x5a4800, 0x004b4b,
  0x4b4b4b, 0x00004b, 0x004b00, 0x4b0000, 0x4b4b00, 0x4b004b, 0x4b4300, 0x004b4b,
  0x4b4b4b, 0x00004b, 0x004b00, 0x4b0000, 0x4b4b00, 0x4b004b, 0x4b4300, 0x003c3c,
  0x3c3c3c, 0x00003c, 0x003c00, 0x3c0000, 0x3c3c00, 0x3c003c, 0x3c3e00, 0x003c3c,
  0x3c3c3c, 0x00003c, 0x003c00, 0x3c0000, 0x3c3c00, 0x3c003c, 0x3c3e00, 0x002d2d,
  0x2d2d2d, 0x00002d, 0x002d00, 0x2d0000, 0x2d2d00, 0x2d002d, 0x2d3900, 0x002d2d,
  0x2d2d2d, 0x00002d, 0x002d00, 0x2d0000, 0x2d2d00, 0x2d002d, 0x2d3900, 0x001e1e,
  0x1e1e1e, 0x00001e, 0x001e00, 0x1e0000, 0x1e1e00, 0x1e001e, 0x1e3400, 0x001e1e,
  0x1e1e1e, 0x00001e, 0x001e00, 0x1e0000, 0x1e1e00, 0x1e001e, 0xc0c0c0, 0x1c0064};

// Drawing palette entries whose colour every reader agrees on (the greys beyond 7 differ from
// reader to reader); a colour equal to one of them is written as that index, any other as a true
// colour. White is index 7, which, like MicroStation's colour 0, turns black on a white background.
constexpr struct {
  uint32_t rgb;
  OdInt16 index;
} kExactIndices[] = {{0xFF0000, 1}, {0xFFFF00, 2}, {0x00FF00, 3}, {0x00FFFF, 4},
                     {0x0000FF, 5}, {0xFF00FF, 6}, {0xFFFFFF, 7}};

constexpr int kStandardWeights[] = {0, 5, 9, 13, 15, 18, 20, 25, 30, 35, 40, 50, 53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};

} // namespace

std::optional<ColorTable> colorTableOf(const Element& e)
{
  // 256 RGB triples from byte 38: the background first, which colour 255 names, then colours 0
  // to 254.
  constexpr uint32_t kFirst = 38;
  if (!e.has(kFirst, 256 * 3))
    return std::nullopt;
  auto rgbAt = [&](uint32_t offset) {
    return (uint32_t(e.u8(offset)) << 16) | (uint32_t(e.u8(offset + 1)) << 8) | e.u8(offset + 2);
  };
  ColorTable colors;
  for (int i = 0; i < 255; ++i)
    colors[size_t(i)] = rgbAt(kFirst + 3 + 3 * uint32_t(i));
  colors[255] = rgbAt(kFirst);
  return colors;
}

SymbologyMap::SymbologyMap(OdDbDatabase* db, const std::optional<ColorTable>& colors)
  : m_db(db), m_colors(colors.value_or(kDefaultColors))
{
}



uint32_t SymbologyMap::rgb(int index) const
{
  return m_colors[size_t(index & 0xFF)];
}

OdCmColor SymbologyMap::color(int index) const
{
  const uint32_t c = rgb(index);
  for (const auto& exact : kExactIndices)
    if (exact.rgb == c)
      return OdCmColor::fromIndex(exact.index);
  return OdCmColor::fromRGB(OdUInt8(c >> 16), OdUInt8(c >> 8), OdUInt8(c));
}

int SymbologyMap::lineWeight(int weight)
{
  // One weight step is taken as 0.1 mm; the nearest standard line weight wins.
  const int wanted = (weight & 31) * 10;
  int best = 0;
  for (int w : kStandardWeights)
    if (std::abs(w - wanted) < std::abs(best - wanted))
      best = w;
  return best;
}

OdDbObjectId SymbologyMap::layer(int level)
{
  level &= 63;
  if (level == 0)
    return m_db->getLayerZeroId();
  OdDbObjectId& id = m_layers[level];
  if (id.isNull()) {
    OdDbLayerTablePtr table = OdDbLayerTable::cast(m_db->getLayerTableId().openObject(OdDb::kForWrite).get());
    const OdString name(std::to_string(level).c_str());
    id = table->getAt(name);
    if (id.isNull()) {
      OdDbLayerTableRecordPtr record = OdRxObjectImpl<OdDbLayerTableRecord>::createObject();
      record->setName(name);
      id = table->add(record.get());
    }
  }
  return id;
}

OdDbObjectId SymbologyMap::linetype(int style)
{
  style &= 7;
  if (style == 0)
    return m_db->getLinetypeContinuousId();
  OdDbObjectId& id = m_linetypes[style];
  if (id.isNull()) {
    const StylePattern& pattern = stylePattern(style);
    OdDbLinetypeTablePtr table = OdDbLinetypeTable::cast(m_db->getLinetypeTableId().openObject(OdDb::kForWrite).get());
    id = table->getAt(OdString(pattern.name));
    if (id.isNull()) {
      OdDbLinetypeTableRecordPtr record = OdRxObjectImpl<OdDbLinetypeTableRecord>::createObject();
      record->setName(OdString(pattern.name));
      record->description = OdString(pattern.description);
      record->dashes = pattern.dashes;
      id = table->add(record.get());
    }
  }
  return id;
}

void SymbologyMap::apply(OdDbEntity& entity, const Display& display)
{
  // Elements mostly come in runs of one symbology: it is looked up once a run.
  if (!m_last || !(m_last->display == display)) {
    m_last = Resolved{display, layer(display.level), linetype(display.style), color(display.color),
                      lineWeight(display.weight)};
  }
  entity.setLayer(m_last->layer);
  entity.setLinetype(m_last->linetype);
  entity.setColor(m_last->color);
  entity.setLineWeight(m_last->lineWeight);
}

} // namespace dgn
