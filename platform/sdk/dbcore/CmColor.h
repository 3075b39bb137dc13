#pragma once
#include <OdaCommon.h>

// An entity or layer colour: by layer, by block, an index of the drawing palette (1..255) or a
// true colour.
class OdCmColor {
public:
  enum Method : OdUInt8 { kByLayer, kByBlock, kByACI, kByColor };

  static OdCmColor byLayer() { return OdCmColor(kByLayer, 256); }
  static OdCmColor byBlock() { return OdCmColor(kByBlock, 0); }
  static OdCmColor fromIndex(OdInt16 index) { return OdCmColor(kByACI, OdUInt16(index)); }
  static OdCmColor fromRGB(OdUInt8 r, OdUInt8 g, OdUInt8 b)
  {
    return OdCmColor(kByColor, (OdUInt32(r) << 16) | (OdUInt32(g) << 8) | b);
  }

  Method colorMethod() const { return Method(m_value >> 24); }
  // 256 by layer, 0 by block, 1..255 an index; for a true colour the index is 0.
  OdInt16 colorIndex() const { return colorMethod() == kByColor ? 0 : OdInt16(m_value & 0xFFFF); }
  OdUInt32 rgb() const { return colorMethod() == kByColor ? m_value & 0xFFFFFF : 0; } // 0xRRGGBB, true colours only

  friend bool operator==(const OdCmColor& a, const OdCmColor& b) { return a.m_value == b.m_value; }

private:
  // The method in the top byte, the index or the RGB below it: four bytes, as every entity has one.
  OdCmColor(Method method, OdUInt32 value) : m_value((OdUInt32(method) << 24) | (value & 0xFFFFFF)) {}
  OdUInt32 m_value;
};
