#pragma once
#include <RxDictionary.h>

#include <cstdint>

namespace dgn {

// The import options with a meaning for V7 design files, read from the importer's properties.
struct ImportOptions {
  bool masterUnits = true;
  bool explodeTextNodes = false;
  bool skipInvisible = false;
  uint8_t ellipseMode2d = 0, ellipseMode3d = 0; // 0: true curve; else a polyline through it
  uint8_t shapeMode2d = 0, shapeMode3d = 0;     // 0: polyline (3D when not flat); else 3D polyline
  uint8_t closedSplineMode = 0;                 // 0: periodic spline; else the same curve unwrapped

  static ImportOptions from(const OdRxDictionary& properties);
};

} // namespace dgn
