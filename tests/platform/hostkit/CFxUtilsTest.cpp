#include <CFxUtils.h>

#include <gtest/gtest.h>

#include <tuple>

TEST(CFxUtilsUnits, NamesFollowTheDrawingUnitNumbering)
{
  const std::tuple<int, const char*, const char*> rows[] = {
    {0, "Unitless", ""},        {1, "Inches", "in"},          {2, "Feet", "ft"},         {3, "Miles", "mi"},
    {4, "Millimeters", "mm"},   {5, "Centimeters", "cm"},     {6, "Meters", "m"},        {7, "Kilometers", "km"},
    {8, "Microinches", "uin"},  {9, "Mils", "mil"},           {10, "Yards", "yd"},       {11, "Angstroms", "A"},
    {12, "Nanometers", "nm"},   {13, "Microns", "um"},        {14, "Decimeters", "dm"},  {15, "Dekameters", "dam"},
    {16, "Hectometers", "hm"},  {17, "Gigameters", "Gm"},     {18, "Astronomical Units", "AU"},
    {19, "Light Years", "ly"},  {20, "Parsecs", "pc"},        {21, "US Survey Feet", "usft"},
  };
  for (const auto& [value, longName, shortName] : rows) {
    EXPECT_EQ(CFxUtils::GetStringForUnitScalingFactor(OdDb::UnitsValue(value)).toQString(), longName) << value;
    EXPECT_EQ(CFxUtils::GetStringForUnitScalingFactorShort(OdDb::UnitsValue(value)).toQString(), shortName) << value;
  }
  EXPECT_TRUE(CFxUtils::GetStringForUnitScalingFactor(OdDb::UnitsValue(22)).isEmpty());
  EXPECT_TRUE(CFxUtils::GetStringForUnitScalingFactorShort(OdDb::UnitsValue(-1)).isEmpty());
}

TEST(CFxUtilsUnits, ScalingFactorsConvertBetweenUnits)
{
  auto ratio = [](OdDb::UnitsValue from, OdDb::UnitsValue to) {
    return CFxUtils::GetUnitScalingFactor(from) / CFxUtils::GetUnitScalingFactor(to);
  };
  EXPECT_DOUBLE_EQ(ratio(OdDb::kUnitsMeters, OdDb::kUnitsMillimeters), 1000.0);
  EXPECT_DOUBLE_EQ(ratio(OdDb::kUnitsFeet, OdDb::kUnitsInches), 12.0);
  EXPECT_DOUBLE_EQ(ratio(OdDb::kUnitsMiles, OdDb::kUnitsYards), 1760.0);
  EXPECT_DOUBLE_EQ(ratio(OdDb::kUnitsInches, OdDb::kUnitsMils), 1000.0);
  EXPECT_DOUBLE_EQ(ratio(OdDb::kUnitsMils, OdDb::kUnitsMicroinches), 1000.0);
  EXPECT_DOUBLE_EQ(ratio(OdDb::kUnitsKilometers, OdDb::kUnitsHectometers), 10.0);
  EXPECT_DOUBLE_EQ(ratio(OdDb::kUnitsDekameters, OdDb::kUnitsDecimeters), 100.0);
  EXPECT_DOUBLE_EQ(ratio(OdDb::kUnitsMicrons, OdDb::kUnitsNanometers), 1000.0);
  EXPECT_DOUBLE_EQ(ratio(OdDb::kUnitsNanometers, OdDb::kUnitsAngstroms), 10.0);
  EXPECT_DOUBLE_EQ(ratio(OdDb::kUnitsGigameters, OdDb::kUnitsKilometers), 1e6);
  EXPECT_DOUBLE_EQ(CFxUtils::GetUnitScalingFactor(OdDb::kUnitsUSSurveyFeet), 1200.0 / 3937.0);
  EXPECT_NEAR(ratio(OdDb::kUnitsParsecs, OdDb::kUnitsLightYears), 3.2616, 1e-4);
  EXPECT_NEAR(ratio(OdDb::kUnitsLightYears, OdDb::kUnitsAstronomical), 63241.08, 0.01);
  EXPECT_DOUBLE_EQ(CFxUtils::GetUnitScalingFactor(OdDb::UnitsValue(99)), 1.0);
}
