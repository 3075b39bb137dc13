#pragma once
#include "Coordinates.h"
#include "DesignFile.h"

#include <string>

namespace dgn {

// How a dimension writes a length: in feet and inches to an eighth of an inch (6'-0", 1'-11 1/2")
// when the file's master and sub units are feet and inches, else in master units with up to four
// decimals. Where a dimension keeps its own unit format and accuracy is not known, so these are
// the customary settings of such files, not what a file may have chosen.
class DimensionFormat {
public:
  DimensionFormat(const ControlData& control, const CoordinateMap& map);
  // `length` in drawing units, already scaled by the dimension.
  std::string text(double length) const;

private:
  double m_masterUnitsPerLength;
  bool m_feetAndInches;
};

} // namespace dgn
