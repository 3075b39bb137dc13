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
  // The resource path of the host icon `name` in `folder` (":/images/style/"), the variant for
  // `theme` (empty: the default) and `windowType` (0: dialogs); empty when there is none.
  static QString getIconPath(const QString& name, const QString& theme, const QString& folder, int windowType);
};
