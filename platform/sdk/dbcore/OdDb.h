#pragma once

namespace OdDb {

// Drawing units, as the INSUNITS header variable numbers them.
enum UnitsValue {
  kUnitsUndefined = 0,
  kUnitsInches = 1,
  kUnitsFeet = 2,
  kUnitsMiles = 3,
  kUnitsMillimeters = 4,
  kUnitsCentimeters = 5,
  kUnitsMeters = 6,
  kUnitsKilometers = 7,
  kUnitsMicroinches = 8,
  kUnitsMils = 9,
  kUnitsYards = 10,
  kUnitsAngstroms = 11,
  kUnitsNanometers = 12,
  kUnitsMicrons = 13,
  kUnitsDecimeters = 14,
  kUnitsDekameters = 15,
  kUnitsHectometers = 16,
  kUnitsGigameters = 17,
  kUnitsAstronomical = 18,
  kUnitsLightYears = 19,
  kUnitsParsecs = 20,
  kUnitsUSSurveyFeet = 21,
  kUnitsMax = kUnitsUSSurveyFeet
};

enum OpenMode { kNotOpen = -1, kForRead = 0, kForWrite = 1, kForNotify = 2 };

enum SaveType { kDwg = 0, kDxf = 1 };

enum DwgVersion { kDHL_1032 = 33, kDHL_CURRENT = kDHL_1032 };

} // namespace OdDb
