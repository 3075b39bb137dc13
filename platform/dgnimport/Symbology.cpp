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

constexpr int kStandardWeights[] = {0, 5, 9, 13, 15, 18, 20, 25, 30, 35, 40, 50, 53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};

} // namespace

void SymbologyMap::readColorTable(const Element& e)
{
  // 256 RGB triples from byte 38; the first is the background colour, which colour 255 names.
  constexpr uint32_t kFirst = 38;
  if (!e.has(kFirst, 256 * 3))
    return;
  std::array<uint32_t, 256> colors{};
  auto rgbAt = [&](uint32_t offset) {
    return (uint32_t(e.u8(offset)) << 16) | (uint32_t(e.u8(offset + 1)) << 8) | e.u8(offset + 2);
  };
  for (int i = 0; i < 255; ++i)
    colors[i] = rgbAt(kFirst + 3 + 3 * i);
  colors[255] = rgbAt(kFirst);
  m_colors = colors;
}

OdCmColor SymbologyMap::color(int index) const
{
  index &= 0xFF;
  if (m_colors) {
    const uint32_t c = (*m_colors)[index];
    return OdCmColor::fromRGB(OdUInt8(c >> 16), OdUInt8(c >> 8), OdUInt8(c));
  }
  // Without a table, colour numbers are palette indices; 0 (white in the default table) is 7.
  return OdCmColor::fromIndex(index == 0 ? 7 : OdInt16(index));
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
  entity.setLayer(layer(display.level));
  entity.setLinetype(linetype(display.style));
  entity.setColor(color(display.color));
  entity.setLineWeight(lineWeight(display.weight));
}

} // namespace dgn
