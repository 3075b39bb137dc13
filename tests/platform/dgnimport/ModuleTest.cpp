#include "ModuleFixture.h"

#include <DxfCodes.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

namespace {
V7Writer::Units mmUnits()
{
  V7Writer::Units u;
  u.origin[0] = 1000.0; // UOR
  return u;
}
} // namespace

TEST_F(DgnModuleTest, AnswersComputedKeysFromTheCurrentPath)
{
  OdDgnImportPtr importer = m_module->create();
  ASSERT_FALSE(importer.isNull());
  EXPECT_NE(importer.get(), m_module->create().get()) << "each create() is a new importer";

  V7Writer::Units ft;
  ft.master = "FT";
  ft.sub = "IN";
  ft.subPerMaster = 12;
  const std::string feet = save(V7Writer(false, ft), "feet.dgn");
  V7Writer::Units onlySub;
  onlySub.master = "MU";
  onlySub.sub = "mm";
  const std::string sub = save(V7Writer(false, onlySub), "sub.dgn");

  EXPECT_FALSE(get(*importer, "IsValidDgnDatabase")->getBool()) << "no path yet";
  putString(*importer, "DgnPath", feet);
  EXPECT_TRUE(get(*importer, "IsValidDgnDatabase")->getBool());
  EXPECT_EQ(get(*importer, "DesignModelList")->getString().toUtf8(), "Default");
  EXPECT_TRUE(get(*importer, "ConversionUnits")->getBool());
  EXPECT_EQ(get(*importer, "MeasurementUnits")->getInt32(), OdDb::kUnitsFeet);
  putBool(*importer, "MasterUnit", false);
  EXPECT_EQ(get(*importer, "MeasurementUnits")->getInt32(), OdDb::kUnitsInches);

  putString(*importer, "DgnPath", sub);
  EXPECT_FALSE(get(*importer, "ConversionUnits")->getBool()) << "re-inspected for the new path";
  putBool(*importer, "MasterUnit", true);
  EXPECT_EQ(get(*importer, "MeasurementUnits")->getInt32(), OdDb::kUnitsUndefined);

  putString(*importer, "DgnPath", sub + ".missing");
  EXPECT_FALSE(get(*importer, "IsValidDgnDatabase")->getBool());
  EXPECT_EQ(get(*importer, "DesignModelList")->getString().toUtf8(), "");
  EXPECT_EQ(importer->importDgn(), kDgnImportCannotOpen);

  // Options are kept as written; a null put clears.
  putU8(*importer, "XRefImportMode", 2);
  EXPECT_EQ(get(*importer, "XRefImportMode")->getUInt8(), 2);
  importer->properties()->putAt(OdString("XRefImportMode"), nullptr);
  EXPECT_FALSE(importer->properties()->has(OdString("XRefImportMode")));
}

TEST_F(DgnModuleTest, RunsAndReportsResults)
{
  OdDgnImportPtr importer = m_module->create();
  const std::string garbage = tempFile("garbage.dgn");
  std::ofstream(garbage) << "not a design file at all";
  int r = -1;
  import(*importer, garbage, &r);
  EXPECT_EQ(r, kDgnImportInvalidFile);

  V7Writer w(false, mmUnits());
  w.add(w.line({1000, 1000}, {11000, 21000}));
  const std::string path = save(w, "line.dgn");
  putString(*importer, "DesignModel", "Other");
  import(*importer, path, &r);
  EXPECT_EQ(r, kDgnImportFailure);
  putString(*importer, "DesignModel", "Default");
  auto entities = import(*importer, path, &r);
  ASSERT_EQ(r, kDgnImportOk);
  auto lines = ofType<OdDbLine>(entities);
  ASSERT_EQ(lines.size(), 1u);
  // (uor - origin) / 10 UOR per mm / 1000 mm per m.
  EXPECT_DOUBLE_EQ(lines[0]->start.x, 0.0);
  EXPECT_DOUBLE_EQ(lines[0]->end.x, 1.0);
  EXPECT_DOUBLE_EQ(lines[0]->end.y, 2.1);
  putBool(*importer, "MasterUnit", false);
  lines = ofType<OdDbLine>(import(*importer, path));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_DOUBLE_EQ(lines[0]->end.y, 2100.0);
}

TEST_F(DgnModuleTest, DecodesElementKinds)
{
  V7Writer w(false, mmUnits());
  V7Writer::Symbology red;
  red.color = 3;
  red.level = 5;
  red.style = 2;
  red.weight = 3;
  V7Writer::Symbology deleted;
  deleted.deleted = true;
  V7Writer::Symbology invisible;
  invisible.properties = 0x0080;
  std::vector<uint32_t> colors(256, 0);
  colors[4] = 0x102030; // index 3 is the fourth triple after the background
  w.add(w.colorTable(colors));
  w.add(w.line({5000, 5000}, {5000, 5000}));                                  // a point
  w.add(w.vertices(4, {{1000, 1000}, {2000, 1000}, {2000, 3000}}, red));      // line string
  w.add(w.vertices(6, {{1000, 1000}, {2000, 1000}, {2000, 2000}, {1000, 1000}})); // shape
  w.add(w.ellipse(500, 500, {0}, 11000, 1000));                                 // circle
  w.add(w.ellipse(1000, 500, {90}, 11000, 1000));                               // ellipse
  w.add(w.arc(0, 90, 1000, 1000, 1000, 1000));                                // arc
  w.add(w.text("HELLO", {1000, 1000}, 1000));
  w.add(w.textNode({w.text("one", {1000, 1000}, 1000), w.text("two", {1000, 0}, 1000)}, {1000, 1000}, 0, 6));
  w.add(w.complex(12, {w.vertices(4, {{0, 0}, {10000, 0}}), w.vertices(4, {{10000, 0}, {10000, 10000}})}));
  w.add(w.cell("DOOR", {1000, 1000}, {w.line({1000, 1000}, {2000, 2000}),
                                      w.cell("KNOB", {1000, 1000}, {w.line({1000, 1000}, {1500, 1500})})}));
  w.add(w.spline(4, false, {{1000, 1000}, {2000, 3000}, {3000, 3000}, {4000, 1000}, {5000, 0}}, {0.5}));
  w.add(w.line({0, 0}, {1, 1}, deleted));
  w.add(w.line({0, 0}, {2, 2}, invisible));
  w.add(w.vertices(4, {{0, 0}, {1, 1}}));
  const std::string path = save(w, "kinds.dgn");

  OdDgnImportPtr importer = m_module->create();
  auto all = import(*importer, path);
  EXPECT_EQ(ofType<OdDbPoint>(all).size(), 1u);
  EXPECT_EQ(ofType<OdDbCircle>(all).size(), 1u);
  EXPECT_EQ(ofType<OdDbEllipse>(all).size(), 1u);
  EXPECT_EQ(ofType<OdDbArc>(all).size(), 1u);
  EXPECT_EQ(ofType<OdDbText>(all).size(), 1u);
  EXPECT_EQ(ofType<OdDbLine>(all).size(), 1u) << "the invisible line is kept by default, the deleted one never";
  auto mtexts = ofType<OdDbMText>(all);
  ASSERT_EQ(mtexts.size(), 1u);
  EXPECT_EQ(mtexts[0]->contents.toUtf8(), "one\\Ptwo");
  EXPECT_NEAR(mtexts[0]->lineSpacingFactor, 1.2, 1e-12) << "a gap of one height: two heights from line to line";
  auto polylines = ofType<OdDbPolyline>(all);
  ASSERT_EQ(polylines.size(), 4u);
  EXPECT_EQ(polylines[0]->vertices.size(), 3u);
  EXPECT_EQ(polylines[0]->color().rgb(), 0x102030u);
  EXPECT_EQ(polylines[0]->lineWeight(), 30);
  EXPECT_TRUE(polylines[1]->closed);
  EXPECT_EQ(polylines[1]->vertices.size(), 3u);
  EXPECT_EQ(polylines[2]->vertices.size(), 3u) << "a chain joins its components";
  auto refs = ofType<OdDbBlockReference>(all);
  ASSERT_EQ(refs.size(), 1u);
  OdDbBlockTableRecordPtr door = OdDbBlockTableRecord::cast(refs[0]->blockTableRecord.openObject().get());
  EXPECT_EQ(door->getName().toUtf8(), "DOOR");
  EXPECT_EQ(door->entityIds().size(), 2u) << "a line and the nested cell's reference";
  auto splines = ofType<OdDbSpline>(all);
  ASSERT_EQ(splines.size(), 1u);
  EXPECT_EQ(splines[0]->degree, 3);
  EXPECT_EQ(splines[0]->knots.size(), 9u);
  EXPECT_NEAR(splines[0]->knots[4], 0.5, 1e-9);

  auto ellipse = ofType<OdDbEllipse>(all)[0];
  EXPECT_NEAR(ellipse->majorAxis.y, 0.1, 1e-12) << "major axis rotated by 90 degrees";
  EXPECT_NEAR(ellipse->radiusRatio, 0.5, 1e-12);

  EXPECT_NE(get(*importer, "ElementStatistics")->getString().toUtf8().find(";3=4+1;"), std::string::npos)
    << "the deleted line is counted apart";

  putBool(*importer, "ExplodeTextNodes", true);
  putBool(*importer, "DontImportInvisibleElements", true);
  putU8(*importer, "2dEllipseImportMode", 1);
  all = import(*importer, path);
  EXPECT_EQ(ofType<OdDbText>(all).size(), 3u);
  EXPECT_EQ(ofType<OdDbMText>(all).size(), 0u);
  EXPECT_EQ(ofType<OdDbLine>(all).size(), 0u);
  EXPECT_EQ(ofType<OdDbEllipse>(all).size() + ofType<OdDbCircle>(all).size() + ofType<OdDbArc>(all).size(), 0u);
}

TEST_F(DgnModuleTest, SurvivesTruncatedAndCorruptedFiles)
{
  V7Writer w(true, mmUnits());
  w.add(w.vertices(4, {{0, 0, 0}, {1000, 1000, 1000}, {2000, 0, 500}}));
  w.add(w.ellipse(500, 300, {30}, 1000, 1000, 1000));
  w.add(w.cell("A", {0, 0, 0}, {w.cell("B", {0, 0, 0}, {w.text("x", {0, 0, 0}, 100)})}));
  w.add(w.spline(3, true, {{0, 0, 0}, {1000, 0, 0}, {1000, 1000, 0}, {0, 1000, 0}}, {}));
  w.add(w.sharedCellDefinition("S", {w.text("\xFF\xFD\xFC\xB9\xC6", {0, 0, 0}, 100), w.sharedCellInstance("S", {}, {})}));
  w.add(w.sharedCellInstance("S", {5, 5, 5}, {2, 0, 0, 0, 2, 0, 0, 0, 2}));
  const V7Writer::Bytes good = w.bytes();
  OdDgnImportPtr importer = m_module->create();
  const std::string path = tempFile("broken.dgn");
  auto write = [&](const V7Writer::Bytes& b) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(b.data()), b.size());
  };
  for (size_t cut = 0; cut < good.size(); cut += 7) {
    write(V7Writer::Bytes(good.begin(), good.begin() + long(cut)));
    putString(*importer, "DgnPath", path + std::to_string(cut)); // a new path forces re-inspection
    putString(*importer, "DgnPath", path);
    get(*importer, "IsValidDgnDatabase");
    int r = -1;
    import(*importer, path, &r);
    EXPECT_TRUE(r == kDgnImportOk || r == kDgnImportInvalidFile) << cut;
  }
  uint32_t seed = 12345;
  for (int round = 0; round < 300; ++round) {
    V7Writer::Bytes bad = good;
    for (int flips = 0; flips < 4; ++flips) {
      seed = seed * 1103515245u + 12345u;
      bad[(seed >> 8) % bad.size()] ^= uint8_t(1u << ((seed >> 3) % 8));
    }
    write(bad);
    putString(*importer, "DgnPath", "");
    int r = -1;
    import(*importer, path, &r);
    EXPECT_GE(r, 0);
  }
}

namespace {
OdDbBlockTableRecordPtr definitionOf(const OdDbBlockReferencePtr& reference)
{
  return OdDbBlockTableRecord::cast(reference->blockTableRecord.openObject().get());
}
} // namespace

TEST_F(DgnModuleTest, SharedCellsAreBlocksPlacedByTheirInstancesAndNeverDrawnAlone)
{
  V7Writer w(false, mmUnits()); // 10,000 UOR a metre, the design's zero 1,000 UOR right of the plane's
  w.add(w.sharedCellInstance("LATE", {21000, 0}, {1, 0, 0, 1}));
  w.add(w.cell("BOX", {0, 0}, {w.line({0, 0}, {1, 1})})); // takes the name first
  w.add(w.sharedCellDefinition("BOX", {w.line({0, 0}, {10000, 0}), w.sharedCellInstance("LATE", {0, 0}, {1, 0, 0, 1})}));
  w.add(w.sharedCellDefinition("LATE", {w.line({0, 0}, {0, 10000})}));
  V7Writer::Symbology red;
  red.color = 3;
  red.level = 7;
  w.add(w.sharedCellInstance("box", {11000, 20000}, {0, -2, 2, 0}, red)); // twice the size, a quarter turn
  w.add(w.sharedCellInstance("NOWHERE", {0, 0}, {1, 0, 0, 1}));
  const V7Writer::Bytes loop = w.sharedCellInstance("LOOP", {}, {1, 0, 0, 1});
  w.add(w.sharedCellDefinition("LOOP", {loop, w.cell("IN", {}, {loop})})); // would hold itself
  const std::string path = save(w, "shared.dgn");

  OdDgnImportPtr importer = m_module->create();
  const auto all = import(*importer, path);
  EXPECT_TRUE(ofType<OdDbLine>(all).empty()) << "definitions are not drawn in model space";
  const auto refs = ofType<OdDbBlockReference>(all);
  ASSERT_EQ(refs.size(), 3u) << "the cell, the late instance and the placed one; the unresolved one is left out";
  EXPECT_EQ(definitionOf(refs[0])->getName().toUtf8(), "BOX");
  const OdDbBlockReferencePtr box = refs[1], late = refs[2]; // the late one placed once its definition came
  EXPECT_EQ(definitionOf(late)->getName().toUtf8(), "LATE");
  EXPECT_DOUBLE_EQ(late->position.x, 2.0);
  EXPECT_EQ(definitionOf(box)->getName().toUtf8(), "BOX_2") << "made unique beside the cell";
  EXPECT_DOUBLE_EQ(box->position.x, 1.0);
  EXPECT_DOUBLE_EQ(box->position.y, 2.0);
  EXPECT_NEAR(box->rotation, M_PI / 2, 1e-12);
  EXPECT_NEAR(box->scale.x, 2.0, 1e-12);
  EXPECT_NEAR(box->scale.y, 2.0, 1e-12);
  EXPECT_EQ(box->color(), OdCmColor::fromIndex(1)) << "the instance's own colour";
  const auto inside = definitionOf(box)->entityIds();
  ASSERT_EQ(inside.size(), 2u) << "its line and the nested instance";
  const OdDbLinePtr line = OdDbLine::cast(inside[0].openObject().get());
  EXPECT_DOUBLE_EQ(line->end.x, 1.0) << "components keep the definition's own coordinates";
  EXPECT_DOUBLE_EQ(line->start.x, 0.0);
  const OdDbBlockReferencePtr nested = OdDbBlockReference::cast(inside[1].openObject().get());
  EXPECT_EQ(definitionOf(nested)->getName().toUtf8(), "LATE");
  EXPECT_DOUBLE_EQ(nested->position.x, 0.0) << "a nested instance lies in the definition's coordinates";
  const std::string statistics = get(*importer, "ElementStatistics")->getString().toUtf8();
  EXPECT_NE(statistics.find("malformed elements=2;shared cells without definition=1;"), std::string::npos)
    << statistics << ": both instances of LOOP within itself are left out";
}

TEST_F(DgnModuleTest, ThreeDimensionalRotationsTurnAsInMicroStation)
{
  V7Writer w(true, mmUnits());
  w.add(w.text("Z30", {1000, 0, 0}, 1000, {}, {30}));
  w.add(w.text("UPRIGHT", {11000, 0, 0}, 1000, {}, {90, {1, 0, 0}})); // stands in the x-z plane
  w.add(w.ellipse(2000, 1000, {30}, 1000, 1000, 0));
  w.add(w.sharedCellDefinition("S", {w.line({0, 0, 0}, {10000, 0, 0})}));
  const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
  w.add(w.sharedCellInstance("S", {1000, 0, 0}, {c, -s, 0, s, c, 0, 0, 0, 1}));
  OdDgnImportPtr importer = m_module->create();
  const auto all = import(*importer, save(w, "rotated3d.dgn"));

  const auto texts = ofType<OdDbText>(all);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NEAR(texts[0]->rotation, M_PI / 6, 1e-9);
  EXPECT_EQ(texts[0]->normal, OdGeVector3d::zAxis());
  EXPECT_NEAR(texts[1]->normal.y, -1.0, 1e-9) << "the plane's normal is the text's extrusion";
  const OdGePoint3d baseline =
    dxf::Ocs(texts[1]->normal).toWorld({std::cos(texts[1]->rotation), std::sin(texts[1]->rotation), 0.0});
  EXPECT_NEAR(baseline.x, 1.0, 1e-9) << "and it still reads along x";
  EXPECT_DOUBLE_EQ(texts[1]->position.x, 1.0);
  const auto ellipses = ofType<OdDbEllipse>(all);
  ASSERT_EQ(ellipses.size(), 1u);
  EXPECT_NEAR(std::atan2(ellipses[0]->majorAxis.y, ellipses[0]->majorAxis.x), M_PI / 6, 1e-9);
  const auto refs = ofType<OdDbBlockReference>(all);
  ASSERT_EQ(refs.size(), 1u);
  EXPECT_NEAR(refs[0]->rotation, M_PI / 6, 1e-9);
  EXPECT_EQ(refs[0]->normal, OdGeVector3d::zAxis());
}

TEST_F(DgnModuleTest, TextComesOutAsUnicodeWhateverItsBytes)
{
  const std::string big5 = "\xFF\xFD\xFC\xB9\xC6\xA4\xA4\xBF"; // 彰化縣, lead bytes second in each word
  const std::string places = "\xFF\xFD\xE6\xA4\x6E\xAB\xE6\xA5\x79\xAC\x44\xB9"; // 斗南交流道
  struct Case {
    const char* what;
    std::vector<std::string> texts;
    const char* lang;
    const char* expected; // the first text
  } cases[] = {
    {"Big5 told by its bytes", {big5, places, places, big5}, "C", "彰化縣"},
    {"Big5 told by the locale", {big5}, "zh_TW.UTF-8", "彰化縣"},
    {"no code page to tell", {big5}, "C", "\uFFFD\uFFFD\uFFFD"},
    {"an odd byte count", {big5 + "A"}, "zh_TW.UTF-8", "彰化縣A"},
    {"ASCII words in two-byte text", {std::string("\xFF\xFD" "A\0(\0", 6)}, "C", "A("},
    {"MicroStation fractions", {"\x81\" x 1\x83\" \x98 \x80"}, "C", "½\" x 1¾\" 17⁄32 \uFFFD"},
    {"controls and Latin-1", {"a\tb\x01\x7F\xB0\xE9"}, "C", "a b\uFFFD\uFFFD°é"},
  };
  const char* savedLocale = std::getenv("LC_ALL");
  const std::string saved = savedLocale ? savedLocale : "";
  OdDgnImportPtr importer = m_module->create();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::setenv("LC_ALL", c.lang, 1);
    V7Writer w(false, mmUnits());
    for (const std::string& t : c.texts)
      w.add(w.text(t, {1000, 1000}, 1000));
    putString(*importer, "DgnPath", ""); // inspect the file afresh
    const auto texts = ofType<OdDbText>(import(*importer, save(w, "text.dgn")));
    ASSERT_EQ(texts.size(), c.texts.size());
    EXPECT_EQ(texts[0]->text.toUtf8(), c.expected);
  }
  if (savedLocale)
    ::setenv("LC_ALL", saved.c_str(), 1);
  else
    ::unsetenv("LC_ALL");
}

TEST_F(DgnModuleTest, ColoursComeFromMicroStationsDefaultTableWhenTheFileHasNone)
{
  V7Writer w(false, mmUnits());
  for (int color : {1, 0, 6, 255}) {
    V7Writer::Symbology s;
    s.color = color;
    w.add(w.line({0, 0}, {1000, 1000}, s));
  }
  OdDgnImportPtr importer = m_module->create();
  const auto lines = ofType<OdDbLine>(import(*importer, save(w, "colours.dgn")));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0]->color(), OdCmColor::fromIndex(5)) << "colour 1 is blue";
  EXPECT_EQ(lines[1]->color(), OdCmColor::fromIndex(7)) << "colour 0 is white, which turns black on white";
  EXPECT_EQ(lines[2]->color(), OdCmColor::fromRGB(0xFF, 0x7F, 0x00)) << "a colour no index has exactly";
  EXPECT_EQ(lines[3]->color(), OdCmColor::fromRGB(0x1C, 0x00, 0x64));
}

TEST_F(DgnModuleTest, ChainsKeepTrueArcsDrawNoLineAcrossGapsAndCurvesAreSplines)
{
  V7Writer w(false, V7Writer::Units{}); // 10,000 UOR a metre
  // A line, an arc stored the other way round (it ends where the line ends), a line string.
  w.add(w.complex(12, {w.line({0, 0}, {10000, 0}), w.arc(0, -90, 10000, 10000, 10000, 10000),
                       w.vertices(4, {{20000, 10000}, {20000, 20000}, {0, 20000}})}));
  w.add(w.complex(12, {w.line({0, 50000}, {10000, 50000}), w.line({30000, 50000}, {40000, 50000})})); // a gap
  w.add(w.complex(14, {w.line({0, 0}, {10000, 0}), w.arc(0, 180, 5000, 5000, 5000, 0)}));        // a closed half disc
  w.add(w.vertices(11, {{0, 0}, {1000, 0}, {2000, 1000}, {3000, 0}, {4000, 1000}, {5000, 0}, {6000, 0}}));
  OdDgnImportPtr importer = m_module->create();
  const auto all = import(*importer, save(w, "chains.dgn"));

  const auto polylines = ofType<OdDbPolyline>(all);
  ASSERT_EQ(polylines.size(), 4u) << "the gap splits the second chain in two";
  const auto& chain = polylines[0]->vertices;
  ASSERT_EQ(chain.size(), 5u);
  EXPECT_DOUBLE_EQ(chain[2].point.x, 2.0);
  EXPECT_NEAR(chain[1].bulge, std::tan(M_PI / 8), 1e-12) << "a quarter turn, counter-clockwise as the chain runs";
  EXPECT_EQ(chain[0].bulge, 0.0);
  EXPECT_DOUBLE_EQ(polylines[1]->vertices.back().point.x, 1.0);
  EXPECT_DOUBLE_EQ(polylines[2]->vertices.front().point.x, 3.0);
  EXPECT_TRUE(polylines[3]->closed);
  ASSERT_GE(polylines[3]->vertices.size(), 2u) << "the arc's end may stay beside the start it nearly meets";
  EXPECT_NEAR(polylines[3]->vertices[1].bulge, 1.0, 1e-12) << "half a turn back to the start";

  const auto splines = ofType<OdDbSpline>(all);
  ASSERT_EQ(splines.size(), 1u);
  EXPECT_EQ(splines[0]->degree, 3);
  ASSERT_EQ(splines[0]->controlPoints.size(), 7u) << "two cubic pieces, from the third point to the third last";
  for (const auto& [pole, x] : {std::make_pair(0, 0.2), std::make_pair(3, 0.3), std::make_pair(6, 0.4)})
    EXPECT_DOUBLE_EQ(splines[0]->controlPoints[size_t(pole)].x, x);
}
