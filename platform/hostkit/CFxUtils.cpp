#include <CFxUtils.h>

#include <QCoreApplication>
#include <QFile>

namespace {

struct UnitInfo {
  double metres;
  const char* longName;
  const char* shortName;
};

// Indexed by OdDb::UnitsValue.
constexpr UnitInfo kUnits[] = {
  {1.0, QT_TRANSLATE_NOOP("CFxUtils", "Unitless"), ""},
  {0.0254, QT_TRANSLATE_NOOP("CFxUtils", "Inches"), "in"},
  {0.3048, QT_TRANSLATE_NOOP("CFxUtils", "Feet"), "ft"},
  {1609.344, QT_TRANSLATE_NOOP("CFxUtils", "Miles"), "mi"},
  {0.001, QT_TRANSLATE_NOOP("CFxUtils", "Millimeters"), "mm"},
  {0.01, QT_TRANSLATE_NOOP("CFxUtils", "Centimeters"), "cm"},
  {1.0, QT_TRANSLATE_NOOP("CFxUtils", "Meters"), "m"},
  {1000.0, QT_TRANSLATE_NOOP("CFxUtils", "Kilometers"), "km"},
  {2.54e-8, QT_TRANSLATE_NOOP("CFxUtils", "Microinches"), "uin"},
  {2.54e-5, QT_TRANSLATE_NOOP("CFxUtils", "Mils"), "mil"},
  {0.9144, QT_TRANSLATE_NOOP("CFxUtils", "Yards"), "yd"},
  {1e-10, QT_TRANSLATE_NOOP("CFxUtils", "Angstroms"), "A"},
  {1e-9, QT_TRANSLATE_NOOP("CFxUtils", "Nanometers"), "nm"},
  {1e-6, QT_TRANSLATE_NOOP("CFxUtils", "Microns"), "um"},
  {0.1, QT_TRANSLATE_NOOP("CFxUtils", "Decimeters"), "dm"},
  {10.0, QT_TRANSLATE_NOOP("CFxUtils", "Dekameters"), "dam"},
  {100.0, QT_TRANSLATE_NOOP("CFxUtils", "Hectometers"), "hm"},
  {1e9, QT_TRANSLATE_NOOP("CFxUtils", "Gigameters"), "Gm"},
  {149597870700.0, QT_TRANSLATE_NOOP("CFxUtils", "Astronomical Units"), "AU"},
  {9460730472580800.0, QT_TRANSLATE_NOOP("CFxUtils", "Light Years"), "ly"},
  {3.0856775814913673e16, QT_TRANSLATE_NOOP("CFxUtils", "Parsecs"), "pc"},
  {1200.0 / 3937.0, QT_TRANSLATE_NOOP("CFxUtils", "US Survey Feet"), "usft"},
};
static_assert(sizeof kUnits / sizeof kUnits[0] == OdDb::kUnitsMax + 1, "one row per unit value");

const UnitInfo* find(OdDb::UnitsValue units)
{
  return units >= OdDb::kUnitsUndefined && units <= OdDb::kUnitsMax ? &kUnits[units] : nullptr;
}

} // namespace

double CFxUtils::GetUnitScalingFactor(OdDb::UnitsValue units)
{
  const UnitInfo* info = find(units);
  return info ? info->metres : 1.0;
}

CFxString CFxUtils::GetStringForUnitScalingFactor(OdDb::UnitsValue units)
{
  const UnitInfo* info = find(units);
  return info ? QCoreApplication::translate("CFxUtils", info->longName) : QString();
}

CFxString CFxUtils::GetStringForUnitScalingFactorShort(OdDb::UnitsValue units)
{
  const UnitInfo* info = find(units);
  return info ? QString::fromLatin1(info->shortName) : QString();
}

QString CFxUtils::getIconPath(const QString& name, const QString& theme, const QString& folder, int)
{
  const QString base = folder + (theme.isEmpty() ? QString() : theme + QLatin1Char('/')) + name;
  for (const char* suffix : {".svg", ".png"})
    if (QFile::exists(base + QLatin1String(suffix)))
      return base + QLatin1String(suffix);
  return QString();
}
