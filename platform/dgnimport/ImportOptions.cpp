#include "ImportOptions.h"

#include <RxVariant.h>

namespace dgn {

namespace {

// The value under key when it is a variant of the expected type; otherwise the default.
template <class T, class Read>
T value(const OdRxDictionary& d, const char* key, T fallback, Read read)
{
  OdRxVariantPtr v = OdRxVariant::cast(d.getAt(OdString(key)).get());
  if (v.isNull())
    return fallback;
  try {
    return read(*v);
  } catch (...) {
    return fallback;
  }
}

bool flag(const OdRxDictionary& d, const char* key, bool fallback)
{
  return value(d, key, fallback, [](const OdVariant& v) { return v.getBool(); });
}

uint8_t mode(const OdRxDictionary& d, const char* key)
{
  return value<uint8_t>(d, key, 0, [](const OdVariant& v) { return v.getUInt8(); });
}

} // namespace

ImportOptions ImportOptions::from(const OdRxDictionary& d)
{
  ImportOptions o;
  o.masterUnits = flag(d, "MasterUnit", true);
  o.explodeTextNodes = flag(d, "ExplodeTextNodes", false);
  o.skipInvisible = flag(d, "DontImportInvisibleElements", false);
  o.ellipseMode2d = mode(d, "2dEllipseImportMode");
  o.ellipseMode3d = mode(d, "3dEllipseImportMode");
  o.shapeMode2d = mode(d, "2dShapeImportMode");
  o.shapeMode3d = mode(d, "3dShapeImportMode");
  o.closedSplineMode = mode(d, "3dClosedBSplineCurveImportMode");
  return o;
}

} // namespace dgn
