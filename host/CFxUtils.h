#pragma once
#include "CFxString.h"

#include <OdDb.h>

class CFxUtils {
public:
  // The size of one unit in metres; 1 for Unitless and for values outside the table. The ratio of
  // two factors converts between their units.
  static double GetUnitScalingFactor(OdDb::UnitsValue units);
  // "Millimeters", "Feet", ...; empty for values outside the table.
  static CFxString GetStringForUnitScalingFactor(OdDb::UnitsValue units);
  // "mm", "ft", ...; empty for Unitless and for values outside the table.
  static CFxString GetStringForUnitScalingFactorShort(OdDb::UnitsValue units);
};
