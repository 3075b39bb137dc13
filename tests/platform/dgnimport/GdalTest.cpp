#include "ModuleFixture.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

bool haveGdal()
{
  return std::system("ogr2ogr --version > /dev/null 2>&1") == 0;
}

std::string run(const std::string& command)
{
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
      out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

// The first LINESTRING of ogrinfo's listing, as numbers.
std::vector<double> ogrCoordinates(const std::string& listing)
{
  std::vector<double> values;
  std::smatch m;
  if (std::regex_search(listing, m, std::regex(R"(LINESTRING \(([^)]*)\))"))) {
    std::string text = m[1];
    for (char& c : text)
      if (c == ',')
        c = ' ';
    std::istringstream in(text);
    double v;
    while (in >> v)
      values.push_back(v);
  }
  return values;
}

struct Case {
  const char* master;
  const char* sub;
  int ratio;
  OdDb::UnitsValue masterUnits, subUnits;
};

} // namespace

TEST_F(DgnModuleTest, MatchesGdalOnFilesItWrites)
{
  if (!haveGdal())
    GTEST_SKIP() << "ogr2ogr is not installed";
  const Case cases[] = {{"m", "mm", 1000, OdDb::kUnitsMeters, OdDb::kUnitsMillimeters},
                        {"ft", "in", 12, OdDb::kUnitsFeet, OdDb::kUnitsInches},
                        {"km", "m", 1000, OdDb::kUnitsKilometers, OdDb::kUnitsMeters}};
  const std::string csv = tempFile("in.csv");
  std::ofstream(csv) << "id,WKT\n1,\"LINESTRING (12.5 3.25,100 -40.75,7 8)\"\n";
  for (const Case& c : cases) {
    const std::string dgn = tempFile(std::string("gdal_") + c.master + ".dgn");
    const std::string cmd = "ogr2ogr -f DGN -dsco MASTER_UNIT_NAME=" + std::string(c.master) +
                            " -dsco SUB_UNIT_NAME=" + c.sub + " -dsco SUB_UNITS_PER_MASTER_UNIT=" +
                            std::to_string(c.ratio) + " -dsco UOR_PER_SUB_UNIT=10 -dsco ORIGIN=0,0,0 " + dgn +
                            " " + csv + " > /dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    const std::vector<double> expected = ogrCoordinates(run("ogrinfo -al " + dgn));
    ASSERT_EQ(expected.size(), 6u) << c.master;

    OdDgnImportPtr importer = m_module->create();
    putString(*importer, "DgnPath", dgn);
    EXPECT_TRUE(get(*importer, "IsValidDgnDatabase")->getBool());
    EXPECT_EQ(get(*importer, "MeasurementUnits")->getInt32(), c.masterUnits);
    putBool(*importer, "MasterUnit", false);
    EXPECT_EQ(get(*importer, "MeasurementUnits")->getInt32(), c.subUnits);
    putBool(*importer, "MasterUnit", true);
    auto lines = ofType<OdDbPolyline>(import(*importer, dgn));
    ASSERT_EQ(lines.size(), 1u) << c.master;
    ASSERT_EQ(lines[0]->vertices.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_NEAR(lines[0]->vertices[i].point.x, expected[2 * i], 1e-6) << c.master;
      EXPECT_NEAR(lines[0]->vertices[i].point.y, expected[2 * i + 1], 1e-6) << c.master;
    }
  }

  // The placeholder names "MU"/"SU" name no unit.
  const std::string unnamed = tempFile("gdal_unnamed.dgn");
  ASSERT_EQ(std::system(("ogr2ogr -f DGN -dsco MASTER_UNIT_NAME=MU -dsco SUB_UNIT_NAME=SU " + unnamed + " " + csv +
                         " > /dev/null 2>&1").c_str()),
            0);
  OdDgnImportPtr importer = m_module->create();
  putString(*importer, "DgnPath", unnamed);
  EXPECT_TRUE(get(*importer, "IsValidDgnDatabase")->getBool());
  EXPECT_TRUE(get(*importer, "ConversionUnits")->getBool());
  EXPECT_EQ(get(*importer, "MeasurementUnits")->getInt32(), OdDb::kUnitsUndefined);
}
