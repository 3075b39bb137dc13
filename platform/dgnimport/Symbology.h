#pragma once
#include "ElementReader.h"

#include <DbDatabase.h>

#include <array>
#include <optional>

namespace dgn {

// The symbology an element is drawn with, kept apart from the element so that complex
// elements can apply their header's symbology when they are finished.
struct Display {
  int level = 0, color = 0, weight = 0, style = 0;
  static Display of(const Element& e) { return {e.level(), e.color(), e.weight(), e.lineStyle()}; }
  friend bool operator==(const Display& a, const Display& b)
  {
    return a.level == b.level && a.color == b.color && a.weight == b.weight && a.style == b.style;
  }
};

// 0xRRGGBB by colour number.
using ColorTable = std::array<uint32_t, 256>;

// The colours of a colour table element (type 5, level 1); none when it is too short to hold them.
std::optional<ColorTable> colorTableOf(const Element& e);

// Maps an element's level, colour, weight and line style onto the database's layers, colours,
// line weights and line types. Layers and line types are made on first use.
class SymbologyMap {
public:
  // The colours of the file's colour table, else MicroStation's default colours.
  explicit SymbologyMap(OdDbDatabase* db, const std::optional<ColorTable>& colors = std::nullopt);

  void apply(OdDbEntity& entity, const Display& display);

  uint32_t rgb(int index) const; // 0xRRGGBB
  OdCmColor color(int index) const;
  static int lineWeight(int weight);

private:
  OdDbObjectId layer(int level);
  OdDbObjectId linetype(int style);

  OdDbDatabase* m_db;
  std::array<OdDbObjectId, 64> m_layers{};
  std::array<OdDbObjectId, 8> m_linetypes{};
  ColorTable m_colors;
  struct Resolved {
    Display display;
    OdDbObjectId layer, linetype;
    OdCmColor color;
    int lineWeight;
  };
  std::optional<Resolved> m_last; // what the latest display came to

};

} // namespace dgn
