#pragma once
#include <OdaCommon.h>

// An entity or layer colour: by layer, by block, an index of the drawing palette (1..255) or a
// true colour.
class OdCmColor {
public:
  enum Method : OdUInt8 { kByLayer, kByBlock, kByACI, kByColor };

  static OdCmColor byLayer() { return OdCmColor(kByLayer, 256); }
  static OdCmColor byBlock() { return OdCmColor(kByBlock, 0); }
  static OdCmColor fromIndex(OdInt16 index) { return OdCmColor(kByACI, index); }
  static OdCmColor fromRGB(OdUInt8 r, OdUInt8 g, OdUInt8 b)
  {
    OdCmColor c(kByColor, 0);
    c.m_rgb = (OdUInt32(r) << 16) | (OdUInt32(g) << 8) | b;
    return c;
  }

  Method colorMethod() const { return m_method; }
  // 256 by layer, 0 by block, 1..255 an index; for a true colour the index is 0.
  OdInt16 colorIndex() const { return m_index; }
  OdUInt32 rgb() const { return m_rgb; } // 0xRRGGBB, true colours only

  friend bool operator==(const OdCmColor& a, const OdCmColor& b)
  {
    return a.m_method == b.m_method && a.m_index == b.m_index && a.m_rgb == b.m_rgb;
  }

private:
  OdCmColor(Method method, OdInt16 index) : m_method(method), m_index(index) {}
  Method m_method;
  OdInt16 m_index;
  OdUInt32 m_rgb = 0;
};
