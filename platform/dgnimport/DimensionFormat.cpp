#include "DimensionFormat.h"

#include <cmath>
#include <cstdio>

namespace dgn {

namespace {
constexpr double kEighths = 8.0, kEighthsPerFoot = 12.0 * kEighths;
} // namespace

DimensionFormat::DimensionFormat(const ControlData& control, const CoordinateMap& map)
  : m_masterUnitsPerLength(1.0 / map.length(double(control.uorPerSubUnit) * control.subUnitsPerMaster))
{
  const FileUnits units = resolveUnits(control);
  m_feetAndInches = units.master == OdDb::kUnitsFeet && units.sub == OdDb::kUnitsInches && control.subUnitsPerMaster == 12;
}

std::string DimensionFormat::text(double length) const
{
  const double master = std::fabs(length) * m_masterUnitsPerLength;
  char out[64];
  if (!m_feetAndInches) {
    std::snprintf(out, sizeof out, "%.4f", master);
    std::string s = out;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.')
      s.pop_back();
    return s;
  }
  const double eighths = std::round(master * kEighthsPerFoot);
  const double inEighths = std::fmod(eighths, kEighthsPerFoot), feet = (eighths - inEighths) / kEighthsPerFoot;
  const int inches = int(inEighths / kEighths), fraction = int(inEighths) % int(kEighths);
  std::string s;
  if (feet > 0.0) {
    std::snprintf(out, sizeof out, "%.0f'-", feet);
    s = out;
  }
  s += std::to_string(inches);
  if (fraction != 0) {
    const int common = fraction % 4 == 0 ? 4 : fraction % 2 == 0 ? 2 : 1;
    s += " " + std::to_string(fraction / common) + "/" + std::to_string(int(kEighths) / common);
  }
  return s + '"';
}

} // namespace dgn
