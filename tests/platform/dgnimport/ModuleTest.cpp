#include "ModuleFixture.h"

#include <DbHatch.h>

#include <Detail.h>
#include <RealFiles.h>
#include <Surfaces.h>
#include <TagAttachment.h>

#include <DxfCodes.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <sstream>
#include <thread>

// 10,000 UOR a metre, the design's zero 1,000 UOR right of the plane's.
const V7Writer::Units kMm{"m", "mm", 1000, 10, {1000.0}};

TEST_F(DgnModuleTest, AnswersComputedKeysFromTheCurrentPath)
{
  ASSERT_FALSE(importer.isNull());

  const std::string feet = save(V7Writer(false, {"FT", "IN", 12}), "feet.dgn");
  const std::string sub = save(V7Writer(false, {"MU", "mm"}), "sub.dgn");

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
  const std::string garbage = tempFile("garbage.dgn");
  std::ofstream(garbage) << "not a design file at all";
  int r = -1;
  import(*importer, garbage, &r);
  EXPECT_EQ(r, kDgnImportInvalidFile);

  V7Writer w(false, kMm);
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

// Services whose database cannot be had because memory has run out.
class NoMemoryServices : public OdDbHostAppServices {
public:
  OdDbDatabasePtr createDatabase() const override { throw std::bad_alloc(); }
};

// "ImportProgress" ("ELEMENTS;BYTES;FILEBYTES") tells another thread how far a run has read while
// it runs, and what the latest run read; a run that memory fails answers 5 and no database, not
// even an earlier run's.
TEST_F(DgnModuleTest, TellsHowFarARunReadAndRunsOutOfMemoryWithoutADatabase)
{
  V7Writer w(false, kMm);
  for (int32_t i = 0; i < 20000; ++i)
    w.add(w.line({i, 0}, {i, 1000}));
  const std::string path = save(w, "many.dgn");
  const uint64_t fileBytes = std::filesystem::file_size(path);
  const auto progress = [this] {
    std::istringstream in(get(*importer, "ImportProgress")->getString().toUtf8());
    std::array<uint64_t, 3> values{};
    char separator = 0;
    in >> values[0] >> separator >> values[1] >> separator >> values[2];
    EXPECT_TRUE(in.eof() && !in.fail());
    return values;
  };
  std::atomic<bool> running{true};
  std::thread watcher([&] {
    for (std::array<uint64_t, 3> last{}; running;) {
      const std::array<uint64_t, 3> now = progress();
      EXPECT_TRUE(now[0] >= last[0] && now[1] >= last[1] && now[1] <= now[2]) << now[0] << ";" << now[1];
      last = now;
    }
  });
  int r = -1;
  import(*importer, path, &r);
  running = false;
  watcher.join();
  ASSERT_EQ(r, kDgnImportOk);
  const std::array<uint64_t, 3> read = progress();
  EXPECT_EQ(read[0], 20001u) << "the lines and the control element";
  EXPECT_EQ(read[2], fileBytes);
  EXPECT_GE(read[1], fileBytes - 2) << "the whole file but perhaps its end-of-design marker";

  const struct {
    const char* what;
    std::string path;
    bool noMemory;
    int result;
  } runs[] = {{"missing file", path + ".missing", false, kDgnImportCannotOpen},
              {"no memory", path, true, kDgnImportOutOfMemory}};
  for (const auto& run : runs) {
    SCOPED_TRACE(run.what);
    putString(*importer, "DgnPath", path);
    ASSERT_EQ(importer->importDgn(), kDgnImportOk);
    if (run.noMemory)
      importer->properties()->putAt(OdString("Services"), OdRxObjectImpl<NoMemoryServices>::createObject().get());
    putString(*importer, "DgnPath", run.path);
    EXPECT_EQ(importer->importDgn(), run.result);
    EXPECT_TRUE(importer->properties()->getAt(OdString("Database")).isNull());
    EXPECT_EQ(progress()[0], 0u) << "nothing read by this run";
  }
}

// What the real files of the corpus test do not hold or do not show: a colour table, weights,
// text nodes kept whole, B-spline knots, deleted elements, and the options that leave things out.
TEST_F(DgnModuleTest, DecodesWhatTheCorpusLeavesOutAndHonoursTheOptions)
{
  V7Writer w(false, kMm);
  const V7Writer::Symbology red{5, 3, 3, 2}, deleted{1, 0, 0, 0, 0, true}, invisible{1, 0, 0, 0, 0x0080};
  w.add(w.colorTable({0, 0, 0, 0, 0x102030})); // index 3 is the fourth triple after the background
  w.add(w.vertices(4, {{1000, 1000}, {2000, 1000}, {2000, 3000}}, red));
  w.add(w.ellipse(1000, 500, {90}, 11000, 1000));
  w.add(w.arc(0, 90, 1000, 1000, 1000, 1000));
  w.add(w.textNode({}, {1000, 1000}, 0)); // keeps a place for text: nothing drawn, nothing wrong
  w.add(w.textNode({w.text("one", {1000, 1000}, 1000), w.text("two", {1000, 0}, 1000)}, {1000, 1000}, 0, 6));
  w.add(w.spline(4, false, {{1000, 1000}, {2000, 3000}, {3000, 3000}, {4000, 1000}, {5000, 0}}, {0.5}));
  w.add(w.line({0, 0}, {1, 1}, deleted));
  w.add(w.line({0, 0}, {2, 2}, invisible));
  const std::string path = save(w, "kinds.dgn");

  auto all = import(*importer, path);
  EXPECT_EQ(ofType<OdDbLine>(all).size(), 1u) << "the invisible line is kept by default, the deleted one never";
  EXPECT_NE((";" + statistics()).find(";3=1+1;"), std::string::npos) << statistics() << ": the deleted line counted apart";
  EXPECT_EQ(statistics().find("malformed"), std::string::npos) << statistics();
  const auto polylines = ofType<OdDbPolyline>(all);
  ASSERT_EQ(polylines.size(), 1u);
  EXPECT_EQ(polylines[0]->color().rgb(), 0x102030u);
  EXPECT_EQ(polylines[0]->lineWeight(), 30);
  const auto mtexts = ofType<OdDbMText>(all);
  ASSERT_EQ(mtexts.size(), 1u);
  EXPECT_EQ(mtexts[0]->contents.toUtf8(), "one\\Ptwo");
  EXPECT_NEAR(mtexts[0]->lineSpacingFactor, 1.2, 1e-12) << "a gap of one height: two heights from line to line";
  const auto splines = ofType<OdDbSpline>(all);
  ASSERT_EQ(splines.size(), 1u);
  EXPECT_EQ(splines[0]->degree, 3);
  EXPECT_EQ(splines[0]->knots.size(), 9u);
  EXPECT_NEAR(splines[0]->knots[4], 0.5, 1e-9);

  putBool(*importer, "ExplodeTextNodes", true);
  putBool(*importer, "DontImportInvisibleElements", true);
  putU8(*importer, "2dEllipseImportMode", 1);
  all = import(*importer, path);
  EXPECT_EQ(ofType<OdDbText>(all).size(), 2u);
  EXPECT_EQ(ofType<OdDbMText>(all).size(), 0u);
  EXPECT_EQ(ofType<OdDbLine>(all).size(), 0u);
  EXPECT_EQ(ofType<OdDbEllipse>(all).size() + ofType<OdDbArc>(all).size(), 0u);
}

namespace {

// Damaged copies of a design file: cut at every element boundary, each of its first elements with
// a length of 0 or 0xFFFF words, another type, its first count or length word at 0xFFFF, its text
// count at 255; then `flips` copies with four bits flipped.
std::vector<V7Writer::Bytes> damagedCopies(const V7Writer::Bytes& good, int flips)
{
  static const uint8_t kTypes[] = {2, 3, 4, 6, 7, 11, 12, 14, 15, 16, 17, 18, 19, 21, 23, 24, 25, 26, 27, 28, 34, 35};
  std::vector<V7Writer::Bytes> copies;
  size_t at = 0;
  for (int i = 0; at + 4 <= good.size() && i < 120; ++i) {
    const size_t next = at + (size_t(good[at + 2] | good[at + 3] << 8) + 2) * 2;
    copies.emplace_back(good.begin(), good.begin() + long(at));
    const auto damaged = [&](size_t offset, std::initializer_list<uint8_t> bytes) {
      copies.push_back(good);
      for (uint8_t b : bytes)
        if (offset < good.size())
          copies.back()[offset++] = b;
    };
    damaged(at + 2, {0, 0});
    damaged(at + 2, {0xFF, 0xFF});
    damaged(at + 1, {uint8_t((good[at + 1] & 0x80) | kTypes[size_t(i) % sizeof kTypes])});
    damaged(at + 36, {0xFF, 0xFF});
    damaged(at + 58, {0xFF});
    at = next;
  }
  uint32_t seed = 12345;
  for (int round = 0; round < flips; ++round) {
    copies.push_back(good);
    for (int flip = 0; flip < 4; ++flip) {
      seed = seed * 1103515245u + 12345u;
      copies.back()[(seed >> 8) % good.size()] ^= uint8_t(1u << ((seed >> 3) % 8));
    }
  }
  return copies;
}

V7Writer::Bytes fileBytes(const std::filesystem::path& path)
{
  std::ifstream in{path, std::ios::binary};
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

// Converts damaged copies: each must convert as far as it reads or be refused, and the sanitized
// build sees that nothing reads or allocates beyond what a file backs.
class DamagedCopiesTest : public DgnModuleTest {
protected:
  // How many of `copies` converted or were refused; every one must be.
  size_t convertEach(const std::vector<V7Writer::Bytes>& copies)
  {
    const std::string path = tempFile("damaged.dgn");
    size_t done = 0;
    for (size_t i = 0; i < copies.size(); ++i) {
      EXPECT_TRUE(V7Writer::save(path, copies[i]));
      putString(*importer, "DgnPath", ""); // a new path forces inspection afresh
      int r = -1;
      import(*importer, path, &r);
      const bool convertedOrRefused = r == kDgnImportOk || r == kDgnImportInvalidFile;
      EXPECT_TRUE(convertedOrRefused) << "copy " << i;
      done += convertedOrRefused;
    }
    return done;
  }
};

// Damaged copies of a generated file with every kind of element, and the inputs that earlier
// readers made unsound drawings of (fuzz/regressions).
TEST_F(DamagedCopiesTest, OfAGeneratedFileAndTheRegressionInputsConvertOrAreRefused)
{
  V7Writer w(true, kMm);
  w.add(w.vertices(4, {{0, 0, 0}, {1000, 1000, 1000}, {2000, 0, 500}}));
  w.add(w.ellipse(500, 300, {30}, 1000, 1000, 1000));
  w.add(w.cell("A", {0, 0, 0}, {w.cell("B", {0, 0, 0}, {w.text("x", {0, 0, 0}, 100)})}));
  w.add(w.spline(3, true, {{0, 0, 0}, {1000, 0, 0}, {1000, 1000, 0}, {0, 1000, 0}}, {}));
  w.add(w.sharedCellDefinition("S", {w.text("\xFF\xFD\xFC\xB9\xC6", {0, 0, 0}, 100), w.sharedCellInstance("S", {}, {})}));
  w.add(w.sharedCellInstance("S", {5, 5, 5}, {2, 0, 0, 0, 2, 0, 0, 0, 2}));
  w.add(w.complex(14, {w.vertices(4, {{0, 0, 0}, {1000, 0, 0}}), w.arc(0, 180, 500, 500, 500, 0),
                       w.vertices(11, {{0, 0, 0}, {1, 0, 0}, {2, 5, 0}, {3, 0, 0}, {4, 5, 0}, {5, 0, 0}, {6, 0, 0}})}));
  const V7Writer::Symbology rule = V7Writer::Symbology::rule();
  w.add(w.surface({3, 2, true, false, {{{0, 0, 0}, {900, 0, 0}, {900, 900, 0}, {0, 900, 9}}, {{0, 0, 90}, {900, 0, 90}, {900, 900, 90}, {0, 900, 99}}},
                   {{1, 0.5, 1, 0.5}, {1, 0.5, 1, 0.5}}, {0.2, 0.3, 0.7}, {}, {{{0.1, 0.1}, {0.9, 0.2}, {0.5, 0.9}}}}));
  w.add(w.swept(19, 1, 1, {w.vertices(4, {{100, 0, 0}, {200, 0, 50}}), w.vertices(4, {{0, 100, 0}, {0, 200, 50}}),
                           w.arc(0, 90, 100, 100, 0, 0, rule)}));
  w.add(w.cone(false, {30}, {0, 0, 0}, 500, {0, 0, 900}, 100));
  std::vector<V7Writer::Bytes> copies = damagedCopies(w.bytes(), 700);
  EXPECT_GE(copies.size(), 700u + 6 * 10) << "six copies for each of the elements, then the flips";
  size_t regressions = 0;
  for (const auto& entry : std::filesystem::directory_iterator(DGN_SOURCE_DIR "/tests/platform/dgnimport/fuzz/regressions"))
    if (entry.path().extension() == ".dgn") {
      copies.push_back(fileBytes(entry.path()));
      ++regressions;
    }
  EXPECT_GE(regressions, 3u) << "the regression inputs are there";
  EXPECT_EQ(convertEach(copies), copies.size());
}

// Damaged copies of real files that other programs wrote.
TEST_F(DamagedCopiesTest, OfRealFilesConvertOrAreRefused)
{
  std::vector<V7Writer::Bytes> copies;
  size_t files = 0;
  for (const char* name : {"gdal_smalltest.dgn", "gvsig_prueba.dgn", "dgnlib_seed.dgn", "tika_testDGN7.dgn"})
    if (const V7Writer::Bytes file = fileBytes(realFile(name)); !file.empty()) {
      const auto damaged = damagedCopies(file, 100);
      copies.insert(copies.end(), damaged.begin(), damaged.end());
      ++files;
    }
  if (files == 0)
    GTEST_SKIP() << noRealFiles();
  EXPECT_EQ(convertEach(copies), copies.size());
}

TEST_F(DgnModuleTest, SharedCellsAreBlocksPlacedByTheirInstancesAndNeverDrawnAlone)
{
  V7Writer w(false, kMm);
  w.add(w.sharedCellInstance("LATE", {21000, 0}, {1, 0, 0, 1}));
  w.add(w.cell("BOX", {0, 0}, {w.line({0, 0}, {1, 1})})); // takes the name first
  // BOX holds a definition of its own, placed within it.
  w.add(w.sharedCellDefinition("BOX", {w.line({0, 0}, {10000, 0}), w.sharedCellInstance("LATE", {0, 0}, {1, 0, 0, 1}),
                                       w.sharedCellDefinition("INNER", {w.line({0, 0}, {0, 5000})}),
                                       w.sharedCellInstance("INNER", {10000, 0}, {1, 0, 0, 1})}));
  w.add(w.sharedCellDefinition("LATE", {w.line({0, 0}, {0, 10000})}));
  const V7Writer::Symbology red{7, 3}; // level 7, colour 3
  w.add(w.sharedCellInstance("box", {11000, 20000}, {0, -2, 2, 0}, red)); // twice the size, a quarter turn
  w.add(w.sharedCellInstance("NOWHERE", {0, 0}, {1, 0, 0, 1}));
  const V7Writer::Bytes loop = w.sharedCellInstance("LOOP", {}, {1, 0, 0, 1});
  w.add(w.sharedCellDefinition("LOOP", {loop, w.cell("IN", {}, {loop})})); // would hold itself
  w.add(w.sharedCellDefinition("BOX_3", {w.line({0, 0}, {1, 0})}));
  w.add(w.cell("BOX", {0, 0}, {w.line({0, 0}, {1, 1})})); // BOX_2 and BOX_3 are taken
  const std::string path = save(w, "shared.dgn");

  const auto all = import(*importer, path);
  const auto definitionOf = [](const OdDbBlockReferencePtr& r) {
    return OdDbBlockTableRecord::cast(r->blockTableRecord.openObject().get());
  };
  EXPECT_TRUE(ofType<OdDbLine>(all).empty()) << "definitions are not drawn in model space";
  const auto refs = ofType<OdDbBlockReference>(all);
  ASSERT_EQ(refs.size(), 4u) << "the cells, the late instance and the placed one; the unresolved one is left out";
  EXPECT_EQ(definitionOf(refs[2])->getName().toUtf8(), "BOX_4");
  EXPECT_EQ(definitionOf(refs[0])->getName().toUtf8(), "BOX");
  const OdDbBlockReferencePtr box = refs[1], late = refs[3]; // the late one placed once its definition came
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
  ASSERT_EQ(inside.size(), 3u) << "its line and the instances of LATE and INNER";
  const OdDbLinePtr line = OdDbLine::cast(inside[0].openObject().get());
  EXPECT_DOUBLE_EQ(line->end.x, 1.0) << "components keep the definition's own coordinates";
  EXPECT_DOUBLE_EQ(line->start.x, 0.0);
  // LATE's instance is placed once its definition has come, after INNER's.
  const OdDbBlockReferencePtr nested = OdDbBlockReference::cast(inside[2].openObject().get());
  EXPECT_EQ(definitionOf(nested)->getName().toUtf8(), "LATE");
  EXPECT_DOUBLE_EQ(nested->position.x, 0.0) << "a nested instance lies in the definition's coordinates";
  const OdDbBlockReferencePtr inner = OdDbBlockReference::cast(inside[1].openObject().get());
  EXPECT_EQ(definitionOf(inner)->getName().toUtf8(), "INNER");
  EXPECT_DOUBLE_EQ(inner->position.x, 1.0);
  EXPECT_EQ(definitionOf(inner)->entityIds().size(), 1u);
  EXPECT_NE(statistics().find("malformed elements=2;shared cells without definition=1;"), std::string::npos)
    << statistics() << ": both instances of LOOP within itself are left out";
}

TEST_F(DgnModuleTest, ThreeDimensionalRotationsTurnAsInMicroStation)
{
  V7Writer w(true, kMm);
  w.add(w.text("Z30", {1000, 0, 0}, 1000, {}, {30}));
  w.add(w.text("UPRIGHT", {11000, 0, 0}, 1000, {}, {90, {1, 0, 0}})); // stands in the x-z plane
  w.add(w.ellipse(2000, 1000, {30}, 1000, 1000, 0));
  w.add(w.sharedCellDefinition("S", {w.line({0, 0, 0}, {10000, 0, 0})}));
  const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
  w.add(w.sharedCellInstance("S", {1000, 0, 0}, {c, -s, 0, s, c, 0, 0, 0, 1}));
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
    {"a Hong Kong character Big5 lacks", {big5 + "\x57\x9C"}, "zh_TW.UTF-8", "彰化縣乪"},
    {"ASCII words in two-byte text", {std::string("\xFF\xFD" "A\0(\0", 6)}, "C", "A("},
    {"MicroStation fractions", {"\x81\" x 1\x83\" \x98 \x80"}, "C", "½\" x 1¾\" 17⁄32 \uFFFD"},
    {"controls and Latin-1", {"a\tb\x01\x7F\xB0\xE9"}, "C", "a b\uFFFD\uFFFD°é"},
  };
  const char* savedLocale = std::getenv("LC_ALL");
  const std::string saved = savedLocale ? savedLocale : "";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::setenv("LC_ALL", c.lang, 1);
    V7Writer w(false, kMm);
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

TEST_F(DgnModuleTest, ColoursComeFromTheFilesLastColourTableElseMicroStationsDefaultTable)
{
  V7Writer w(false, kMm);
  for (int color : {1, 0, 6, 255})
    w.add(w.line({0, 0}, {1000, 1000}, {1, color}));
  auto lines = ofType<OdDbLine>(import(*importer, save(w, "colours.dgn")));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0]->color(), OdCmColor::fromIndex(5)) << "colour 1 is blue";
  EXPECT_EQ(lines[1]->color(), OdCmColor::fromIndex(7)) << "colour 0 is white, which turns black on white";
  EXPECT_EQ(lines[2]->color(), OdCmColor::fromRGB(0xFF, 0x7F, 0x00)) << "a colour no index has exactly";
  EXPECT_EQ(lines[3]->color(), OdCmColor::fromRGB(0x1C, 0x00, 0x64));

  // Colour 6 green in the first table, magenta in the second.
  V7Writer tables(false, kMm);
  tables.add(tables.colorTable({0, 0, 0, 0, 0, 0, 0, 0x00FF00}));
  tables.add(tables.line({0, 0}, {1000, 1000}, {1, 6}));
  tables.add(tables.colorTable({0, 0, 0, 0, 0, 0, 0, 0xFF00FF}));
  tables.add(tables.line({0, 0}, {1000, 1000}, {1, 6}));
  lines = ofType<OdDbLine>(import(*importer, save(tables, "tables.dgn")));
  ASSERT_EQ(lines.size(), 2u);
  for (const auto& line : lines)
    EXPECT_EQ(line->color(), OdCmColor::fromIndex(6)) << "the last table applies, before it as well";
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
  // A shape whose components miss each other by less than a millimetre, as rounded arcs do.
  w.add(w.complex(14, {w.vertices(4, {{0, 60000}, {20000, 60000}, {20000, 70000}}),
                       w.vertices(4, {{20008, 70000}, {0, 70000}, {0, 60006}})}));
  // A centimetre's gap in a chain whose stored range spans the origin: a real gap, 1/200 of its size.
  V7Writer::Bytes across = w.complex(12, {w.line({-10000, 60000}, {0, 60000}), w.line({100, 60000}, {10000, 60000})});
  for (const auto& [at, value] : {std::pair(4, -10000), std::pair(8, 60000), std::pair(16, 10000), std::pair(20, 60000)})
    V7Writer::putI32(across, size_t(at), int32_t(uint32_t(value) ^ 0x80000000u));
  w.add(across);
  const auto all = import(*importer, save(w, "chains.dgn"));

  const auto polylines = ofType<OdDbPolyline>(all);
  ASSERT_EQ(polylines.size(), 7u) << "the gaps split the second and the last chain in two, near misses split nothing";
  EXPECT_TRUE(polylines[4]->closed);
  EXPECT_EQ(polylines[4]->points.size(), 6u);
  const OdDbPolyline& chain = *polylines[0];
  ASSERT_EQ(chain.points.size(), 5u);
  EXPECT_DOUBLE_EQ(chain.points[2].x, 2.0);
  EXPECT_NEAR(chain.bulgeAt(1), std::tan(M_PI / 8), 1e-12) << "a quarter turn, counter-clockwise as the chain runs";
  EXPECT_EQ(chain.bulgeAt(0), 0.0);
  EXPECT_DOUBLE_EQ(polylines[1]->points.back().x, 1.0);
  EXPECT_DOUBLE_EQ(polylines[2]->points.front().x, 3.0);
  EXPECT_TRUE(polylines[3]->closed);
  ASSERT_GE(polylines[3]->points.size(), 2u) << "the arc's end may stay beside the start it nearly meets";
  EXPECT_NEAR(polylines[3]->bulgeAt(1), 1.0, 1e-12) << "half a turn back to the start";

  const auto splines = ofType<OdDbSpline>(all);
  ASSERT_EQ(splines.size(), 1u);
  EXPECT_EQ(splines[0]->degree, 3);
  ASSERT_EQ(splines[0]->controlPoints.size(), 7u) << "two cubic pieces, from the third point to the third last";
  for (const auto& [pole, x] : {std::make_pair(0, 0.2), std::make_pair(3, 0.3), std::make_pair(6, 0.4)})
    EXPECT_DOUBLE_EQ(splines[0]->controlPoints[size_t(pole)].x, x);
}

TEST_F(DgnModuleTest, AreaFillsAreSolidHatchesOfTheFillColourUnderTheirOutlines)
{
  V7Writer w(false, V7Writer::Units{}); // 10,000 UOR a metre
  const V7Writer::Symbology green{1, 2};
  w.add(V7Writer::filled(w.vertices(6, {{0, 0}, {20000, 0}, {20000, 10000}, {0, 0}}, green), 5));
  w.add(V7Writer::filled(w.complex(14, {w.line({0, 0}, {10000, 0}), w.arc(0, 180, 5000, 5000, 5000, 0)}, green), 5));
  w.add(V7Writer::filled(w.ellipse(20000, 10000, {30}, 0, 0, 0, green), 5));
  w.add(w.vertices(6, {{0, 0}, {1, 0}, {1, 1}, {0, 0}}, green)); // not filled
  const auto all = import(*importer, save(w, "fills.dgn"));

  struct Case {
    std::vector<OdDbHatch::EdgeType> edges;
    double radius; // of an arc edge
  };
  const Case cases[] = {{{OdDbHatch::kLine, OdDbHatch::kLine, OdDbHatch::kLine}, 0},
                        {{OdDbHatch::kLine, OdDbHatch::kCirArc}, 0.5},
                        {{OdDbHatch::kEllArc}, 0}};
  ASSERT_EQ(all.size(), 7u) << "a hatch and an outline for each filled element, an outline for the other";
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const OdDbHatchPtr hatch = OdDbHatch::cast(all[2 * i].get());
    ASSERT_FALSE(hatch.isNull()) << "the fill comes first, so that the outline shows on top";
    EXPECT_TRUE(OdDbHatch::cast(all[2 * i + 1].get()).isNull());
    EXPECT_EQ(hatch->color(), OdCmColor::fromIndex(6)) << "the fill's colour 5 is magenta";
    EXPECT_EQ(all[2 * i + 1]->color(), OdCmColor::fromIndex(3)) << "the outline keeps the element's green";
    ASSERT_EQ(hatch->numLoops(), 1);
    std::vector<OdDbHatch::EdgeType> kinds;
    for (const OdDbHatch::Edge& edge : hatch->loops()[0].edges)
      kinds.push_back(edge.type);
    EXPECT_EQ(kinds, cases[i].edges);
    if (cases[i].radius > 0) {
      EXPECT_DOUBLE_EQ(hatch->loops()[0].edges[1].radius, cases[i].radius) << "the arc is an arc, not chords";
    }
  }
  const OdDbHatch::Edge& ellipse = OdDbHatch::cast(all[4].get())->loops()[0].edges[0];
  EXPECT_NEAR(ellipse.majorAxis.x, 2.0 * std::cos(M_PI / 6), 1e-12);
  EXPECT_NEAR(ellipse.ratio, 0.5, 1e-12);
}

TEST_F(DgnModuleTest, TagsAreAttributesOfCellsAndDataOfOtherElementsAndNothingTheyHoldIsLost)
{
  V7Writer w(false, V7Writer::Units{}); // 10,000 UOR a metre
  w.add(w.tagValue(9, 1, 1, "before its set", {20000, 0}, 2000)); // on the line, stored first
  w.add(w.tagSet("room", 1, {"number", "use"}));
  w.add(V7Writer::associated(w.line({0, 0}, {10000, 0}), 9));
  w.add(V7Writer::associated(w.cell("DOOR", {0, 0}, {w.line({0, 0}, {0, 1000})}), 12));
  w.add(w.tagValue(9, 1, 2, "office", {20000, 5000}, 2000));
  w.add(w.tagValue(12, 1, 1, "B12", {0, 3000}, 2000));
  w.add(w.tagValue(77, 1, 2, "lost host", {0, -3000}, 2000, {1, 0, 0, 0, 0x80})); // hidden, on nothing
  const auto all = import(*importer, save(w, "tags.dgn"));

  const auto data = [](const OdDbEntityPtr& e) {
    std::vector<std::string> texts;
    for (OdResBufPtr rb = e->xData(OdString(dgn::TagAttachment::kApplication)); !rb.isNull(); rb = rb->next())
      texts.push_back(rb->getString().toUtf8());
    return texts;
  };
  const auto lines = ofType<OdDbLine>(all);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(data(lines[0]), (std::vector<std::string>{"DGN_TAGS", "number", "before its set", "use", "office"}));
  const auto texts = ofType<OdDbText>(all);
  std::map<std::string, OdDbTextPtr> byValue;
  for (const auto& t : texts)
    byValue[t->text.toUtf8()] = t;
  ASSERT_EQ(byValue.size(), 3u) << "the line's two displayed tags and the one on nothing; the cell's show as attributes";
  EXPECT_DOUBLE_EQ(byValue["office"]->position.x, 2.0);
  EXPECT_NEAR(byValue["office"]->position.y, 0.5, 1e-6) << "half a text height above its range's corner";
  EXPECT_NEAR(byValue["office"]->height, 0.2, 1e-6);
  EXPECT_EQ(data(byValue["lost host"]), (std::vector<std::string>{"DGN_TAGS", "use", "lost host"}));

  const auto refs = ofType<OdDbBlockReference>(all);
  ASSERT_EQ(refs.size(), 1u);
  ASSERT_EQ(refs[0]->attributeIds().size(), 1u);
  const OdDbAttributePtr attribute = OdDbAttribute::cast(refs[0]->attributeIds()[0].openObject().get());
  EXPECT_EQ(attribute->tag.toUtf8(), "number");
  EXPECT_EQ(attribute->text.toUtf8(), "B12");
  EXPECT_NEAR(attribute->position.y, 0.3, 1e-6);
  const OdDbBlockTableRecordPtr door = OdDbBlockTableRecord::cast(refs[0]->blockTableRecord.openObject().get());
  ASSERT_EQ(door->entityIds().size(), 2u) << "the cell's line and the tag's definition";
  EXPECT_EQ(OdDbAttributeDefinition::cast(door->entityIds()[1].openObject().get())->tag.toUtf8(), "number");
}

namespace {
double faceArea(const OdDbPolyFaceMesh& mesh, const OdDbPolyFaceMesh::Face& f)
{
  double area = 0.0;
  const OdGePoint3d& a = mesh.vertices[size_t(f.vertices[0])];
  for (int i = 1; i + 1 < f.count(); ++i) {
    const OdGeVector3d u = mesh.vertices[size_t(f.vertices[i])] - a, v = mesh.vertices[size_t(f.vertices[i + 1])] - a;
    area += OdGeVector3d{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x}.length() / 2;
  }
  return area;
}
} // namespace

// Surfaces, solids and cones as the V7 writer stores them, against the exact surface: every mesh
// vertex on it, every chord within 1e-3 of the size of it, and the area it covers. Drawing units
// are metres, 10,000 UOR each.
TEST_F(DgnModuleTest, SurfacesSolidsAndConesBecomeMeshesOnTheExactSurface)
{
  V7Writer w(true, V7Writer::Units{});
  const double h = std::sqrt(0.5);
  const V7Writer::Symbology rule = V7Writer::Symbology::rule(), outsideRemoved{1, 0, 0, 0, 0x8000};
  std::vector<std::pair<double, double>> circle; // 64 points of a radius of 0.25 about the middle, in parameters
  for (int i = 0; i < 64; ++i)
    circle.push_back({0.5 + 0.25 * std::cos(i * M_PI / 32), 0.5 + 0.25 * std::sin(i * M_PI / 32)});
  const double hole = 32 * 2.5 * 2.5 * std::sin(M_PI / 32), sag = 2.5 * (1 - std::cos(M_PI / 64)) + 1e-8;
  // (boundaries are stored to 1 / (2^31 - 1) of the surface's side: 5e-9 here)
  const V7Writer::Surface holed{2, 2, false, false, {{{0, 0, 0}, {100000, 0, 0}}, {{0, 100000, 0}, {100000, 100000, 0}}},
                                {}, {}, {}, {circle}};
  const std::vector<V7Writer::P> square{{0, 0, 0}, {100000, 0, 0}, {100000, 100000, 0}, {0, 100000, 0}, {0, 0, 0}};
  std::vector<V7Writer::P> top = square;
  for (auto& p : top)
    p.z = 50000;
  const std::vector<V7Writer::P> profile{{20000, 0, 0}, {40000, 0, 0}, {40000, 0, 30000}, {20000, 0, 30000}, {20000, 0, 0}};
  std::vector<V7Writer::P> quarterTurned; // the profile a quarter turn about z
  for (const auto& p : profile)
    quarterTurned.push_back({0, p.x, p.z});
  std::vector<V7Writer::Bytes> revolution{w.vertices(4, profile), w.vertices(4, quarterTurned)};
  for (const auto& [r, z] : {std::make_pair(20000, 0), std::make_pair(40000, 0), std::make_pair(40000, 30000), std::make_pair(20000, 30000)})
    revolution.push_back(w.arc(0, 90, r, r, 0, 0, rule, z));
  // An elbow as a plant design system writes it: a circle of radius 1 about (3, 0, 0) in the x-z
  // plane turned a quarter turn about z (solid type 8), its rule arcs after a stray one.
  std::vector<V7Writer::Bytes> elbow{w.ellipse(10000, 10000, {90, {1, 0, 0}}, 30000, 0),
                                     w.ellipse(10000, 10000, {90, {0, 1, 0}}, 0, 30000),
                                     w.arc(0, 90, 10000, 10000, 30000, 0, rule)}; // meets only the first
  for (const auto& [r, z] : {std::make_pair(20000, 0), std::make_pair(40000, 0), std::make_pair(30000, 10000)})
    elbow.push_back(w.arc(0, 90, r, r, 0, 0, rule, z));
  const auto alongX = [](int32_t z) { // MicroStation curve points: the two at each end only steer it
    std::vector<V7Writer::P> points;
    for (int32_t x = 0; x < 10; ++x)
      points.push_back({x * 10000, 0, z});
    return points;
  };
  const auto onElbow = [&](const OdGePoint3d& p) {
    const double tube = std::fabs(std::hypot(std::hypot(p.x, p.y) - 3, p.z) - 1) + (p.x < -1e-9 || p.y < -1e-9);
    const auto cap = [&](double along, double across) { return std::fabs(across) + (std::hypot(along - 3, p.z) > 1 + 1e-9); };
    return std::min({tube, cap(p.x, p.y), cap(p.y, p.x)});
  };
  std::vector<V7Writer::Bytes> projection{w.vertices(6, square), w.vertices(6, top)};
  for (size_t i = 0; i + 1 < square.size(); ++i)
    projection.push_back(w.line(square[i], top[i], rule));

  const auto rho = [](const OdGePoint3d& p) { return std::hypot(p.x, p.y); };
  struct Case {
    const char* what;
    V7Writer::Bytes element;
    std::function<double(const OdGePoint3d&)> off; // from the exact surface, which the mesh must cover
    double area;
  } cases[] = {
    {"a bilinear patch, z = xy / 10",
     w.surface({2, 2, false, false, {{{0, 0, 0}, {100000, 0, 0}}, {{0, 100000, 0}, {100000, 100000, 100000}}}, {}, {}, {}, {}}),
     [](const OdGePoint3d& p) { return std::fabs(p.z - p.x * p.y / 10); }, 0.0},
    {"a quarter cylinder of radius 10 and height 4, rational in u",
     w.surface({3, 2, false, false,
                {{{100000, 0, 0}, {100000, 100000, 0}, {0, 100000, 0}}, {{100000, 0, 40000}, {100000, 100000, 40000}, {0, 100000, 40000}}},
                {{1, h, 1}, {1, h, 1}}, {}, {}, {}}),
     // (its weighted poles are stored to a unit of resolution, 1e-4: so is the surface)
     [&](const OdGePoint3d& p) { return std::max(0.0, std::fabs(rho(p) - 10) - 1e-4) + (p.z < 0 || p.z > 4 ? 1 : 0); },
     M_PI / 2 * 10 * 4},
    {"a plane of 10 by 10 with a round hole", w.surface(holed),
     [&](const OdGePoint3d& p) { return std::fabs(p.z) + (std::hypot(p.x - 5, p.y - 5) < 2.5 - sag ? 1 : 0); },
     100 - hole},
    {"the same plane with all but the round piece removed", w.surface(holed, outsideRemoved),
     [](const OdGePoint3d& p) { return std::fabs(p.z) + (std::hypot(p.x - 5, p.y - 5) > 2.5 + 1e-8 ? 1 : 0); },
     hole},
    {"a solid cone from radius 5 at z = 0 to radius 2 at z = 10",
     w.cone(false, {}, {0, 0, 0}, 50000, {0, 0, 100000}, 20000),
     [&](const OdGePoint3d& p) {
       return std::min({std::fabs(p.z) + (rho(p) > 5 + 1e-9), std::fabs(p.z - 10) + (rho(p) > 2 + 1e-9),
                       std::fabs(rho(p) - (5 - 0.3 * p.z)) + (p.z < 0 || p.z > 10)});
     },
     M_PI * 7 * std::hypot(3.0, 10.0) + M_PI * 29},
    {"a solid of projection: a box of 10 by 10 by 5", w.swept(19, 0, 1, projection),
     [](const OdGePoint3d& p) {
       return std::min({std::fabs(p.x), std::fabs(p.x - 10), std::fabs(p.y), std::fabs(p.y - 10), std::fabs(p.z),
                        std::fabs(p.z - 5)});
     },
     400},
    {"a solid of revolution: a rectangle turned a quarter turn about z", w.swept(19, 1, 1, revolution),
     [&](const OdGePoint3d& p) {
       return std::min({std::fabs(rho(p) - 2), std::fabs(rho(p) - 4), std::fabs(p.z), std::fabs(p.z - 3),
                        std::fabs(p.x), std::fabs(p.y)});
     },
     15 * M_PI + 12},
    {"an elbow: a solid of revolution of type 8, turned about the rule arc that meets its circles",
     w.swept(19, 8, 1, elbow), onElbow, 3 * M_PI * M_PI + 2 * M_PI},
    {"a surface of projection between two curves along x, 5 m apart in z, drawn from x = 2 to 7",
     w.swept(18, 0, 1, {w.vertices(11, alongX(0)), w.vertices(11, alongX(50000))}),
     [](const OdGePoint3d& p) { return std::fabs(p.y) + (p.x < 2 - 1e-9 || p.x > 7 + 1e-9 || p.z < 0 || p.z > 5); },
     25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    V7Writer file(true, V7Writer::Units{});
    file.add(c.element);
    const auto all = import(*importer, save(file, "surface.dgn"));
    const auto meshes = ofType<OdDbPolyFaceMesh>(all);
    ASSERT_EQ(meshes.size(), 1u);
    ASSERT_EQ(all.size(), 1u);
    const OdDbPolyFaceMesh& mesh = *meshes[0];
    OdGePoint3d low = mesh.vertices.front(), high = low;
    for (const OdGePoint3d& p : mesh.vertices) {
      EXPECT_LE(c.off(p), 1e-9) << p.x << " " << p.y << " " << p.z;
      low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
      high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    const double size = (high - low).length();
    double area = 0.0, worstEdge = 0.0, worstDiagonal = 0.0;
    for (const auto& f : mesh.faces) {
      area += faceArea(mesh, f);
      // The middles of its edges (chords of one direction) and diagonals (of both): a face drawn
      // as either pair of triangles passes them.
      for (int i = 0; i < f.count(); ++i)
        for (int j = i + 1; j < f.count(); ++j) {
          const OdGePoint3d &a = mesh.vertices[size_t(f.vertices[i])], &b = mesh.vertices[size_t(f.vertices[j])];
          double& worst = j == i + 1 || (i == 0 && j == f.count() - 1) ? worstEdge : worstDiagonal;
          worst = std::max(worst, c.off({(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2}));
        }
    }
    EXPECT_LE(worstEdge, 1e-3 * size) << "the grid is fine enough";
    EXPECT_LE(worstDiagonal, 2e-3 * size) << "the grid is fine enough";
    if (c.area > 0) {
      EXPECT_NEAR(area, c.area, 1e-2 * c.area) << "the faces cover the surface, and only it: chords cut 0.5% off";
    }
    EXPECT_LE(mesh.vertices.size(), 32767u);
  }
}

namespace {
// A chain of a line and a chain, which holds a line and a chain, `depth` times.
V7Writer::Bytes nestedChains(const V7Writer& w, int depth)
{
  V7Writer::Bytes nest = w.line({0, 0, 0}, {1000, 0, 0});
  for (int i = 0; i < depth; ++i)
    nest = w.complex(12, {w.line({0, 0, 0}, {1000, 0, 0}), nest});
  return nest;
}
} // namespace

// What cannot be read as stored is counted and converted as far as it goes.
TEST_F(DgnModuleTest, BadCurvesAndSurfacesAreCountedAndConvertedAsFarAsTheyGo)
{
  V7Writer w(true, V7Writer::Units{});
  const auto rows = [](size_t count, size_t poles) { // a plane of 1 m squares
    std::vector<std::vector<V7Writer::P>> out(count);
    for (size_t r = 0; r < count; ++r)
      for (size_t i = 0; i < poles; ++i)
        out[r].push_back({int32_t(i) * 10000, int32_t(r) * 10000, 0});
    return out;
  };
  const auto plane = rows(2, 3);
  V7Writer::Surface shortRow{2, 2, false, false, rows(3, 3)};
  shortRow.rows.back().pop_back(); // one pole short of the header's three
  struct Case {
    const char* what;
    V7Writer::Bytes element;
    const char* entity; // what it becomes
  } cases[] = {
    {"knots that decrease give way to uniform ones", w.surface({3, 2, false, false, rows(2, 5), {}, {0.7, 0.3}}),
     "POLYFACE MESH"},
    {"weights of zero are dropped", w.surface({2, 2, false, false, plane, {{1, 0, 1}, {1, 1, 1}}}), "POLYFACE MESH"},
    {"a row the header does not count is left out", w.surface(shortRow), "POLYFACE MESH"},
    {"a boundary outside the surface is moved onto it",
     w.surface({2, 2, false, false, plane, {}, {}, {}, {{{-1, -1}, {0.5, 2}, {0.5, 0.5}}}}), "POLYFACE MESH"},
    {"an arc of no radius is a point", w.arc(0, 90, 0, 0, 5000, 5000), "POINT"},
    {"an ellipse of no width is a line", w.ellipse(1000, 0, {}, 0, 0), "LINE"},
    {"a cone of no radius is its axis", w.cone(false, {}, {0, 0, 0}, 0, {0, 0, 1000}, 0), "LINE"},
    {"a B-spline whose poles are all in one place is a point",
     w.spline(3, false, std::vector<V7Writer::P>(5, {7000, 7000, 7000}), {}), "POINT"},
    {"a chain nested in a chain a thousand deep is left out with all it holds", nestedChains(w, 1000), "LWPOLYLINE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    V7Writer file(true, V7Writer::Units{});
    file.add(c.element);
    putString(*importer, "DgnPath", "");
    const auto all = import(*importer, save(file, "bad.dgn"));
    ASSERT_EQ(all.size(), 1u);
    EXPECT_NE(statistics().find(std::string("->") + c.entity + "=1;"), std::string::npos) << statistics();
    EXPECT_NE(statistics().find("malformed elements=1;"), std::string::npos) << statistics();
  }
}

namespace {
// Every vertex the entities hold, in drawing units.
std::vector<OdGePoint3d> verticesOf(const std::vector<OdDbEntityPtr>& entities)
{
  std::vector<OdGePoint3d> out;
  for (const auto& e : entities) {
    if (const auto p = OdDbPolyline::cast(e.get()))
      for (const OdGePoint2d& q : p->points)
        out.push_back({q.x, q.y, p->elevation()});
    if (const auto p = OdDb3dPolyline::cast(e.get()))
      out.insert(out.end(), p->vertices.begin(), p->vertices.end());
    if (const auto m = OdDbPolyFaceMesh::cast(e.get()))
      out.insert(out.end(), m->vertices.begin(), m->vertices.end());
  }
  return out;
}
} // namespace

// Elements that once asked for millions of points (a tolerance below what the coordinates can
// tell apart, weights that keep a chord from ever coming close, a long profile turned about a far
// axis) are drawn with a bounded number of vertices, each one on the element: finite and inside
// the box its poles or boundaries span. Units: 10,000 UOR a metre.
TEST_F(DgnModuleTest, HostileCurvesAndSurfacesStayWithinBoundedDetail)
{
  V7Writer w(true, V7Writer::Units{});
  const V7Writer::Symbology rule = V7Writer::Symbology::rule();
  // 3x3 and 3 by 7 poles, 100 m from zero; poles are stored weighted, so those of weight 2^-20
  // lie on multiples of 2^20 UOR to be stored exactly.
  std::vector<std::vector<V7Writer::P>> bump(3), ladder(7);
  std::vector<std::vector<double>> extreme(3), halves(7);
  constexpr int32_t kStep = 1 << 20;
  for (int r = 0; r < 7; ++r)
    for (int i = 0; i < 3; ++i) {
      if (r < 3) {
        bump[size_t(r)].push_back({(1 + i) * kStep, (1 + r) * kStep, (1 + (r == 1 && i == 1)) * kStep});
        extreme[size_t(r)].push_back((r + i) % 2 ? 1.0 / kStep : 1.0);
      }
      ladder[size_t(r)].push_back({1000000 + i * 10000, 1000000 + r * 10000, 1000000 + (r % 2) * 5000});
      halves[size_t(r)].push_back(i == 1 ? 0.5 : 1.0);
    }
  std::vector<V7Writer::P> profile, turned; // a zigzag of 3,000 points 100 m from the axis
  for (int i = 0; i < 3000; ++i) {
    profile.push_back({1000000 + (i % 2) * 100, 0, i * 10});
    turned.push_back({0, profile.back().x, profile.back().z});
  }
  std::vector<V7Writer::P> coincident(5, {1000000000, 1000000000, 0});
  coincident.front() = coincident.back() = {};
  struct Case {
    const char* what;
    V7Writer::Bytes element;
    size_t maxVertices;
    OdGePoint3d low, high; // what the vertices must lie within, in metres
  } cases[] = {
    {"a half ellipse of 1e5 m by 1e-7 m in a chain (its tolerance was below the doubles' own)",
     w.complex(12, {w.arc(0, 180, 1e9, 1e-3, 0, 0), w.line({-1000000000, 0, 0}, {-1000000000, -10000, 0})}), 2000,
     {-1e5, -1, 0}, {1e5, 1e-7, 0}},
    {"a rational B-spline of coincident poles, weights 1e-6 and 1, in a chain",
     w.complex(12, {w.spline(3, false, coincident, {}, {}, {1e-6, 1, 1, 1, 1e-6}), w.line({}, {0, -10000, 0})}), 6000,
     {0, -1, 0}, {1e5, 1e5, 0}},
    {"a 3x3 rational surface of weights 2^-20 and 1", w.surface({3, 3, false, false, bump, extreme}),
     size_t(dgn::kMaxGrid + 1) * size_t(dgn::kMaxGrid + 1), {kStep / 1e4, kStep / 1e4, kStep / 1e4},
     {3 * kStep / 1e4, 3 * kStep / 1e4, 2 * kStep / 1e4}},
    {"a rational surface of order 3, 3x7 poles, weights 1 and 0.5", w.surface({3, 3, false, false, ladder, halves}),
     dgn::Detail::kMaxAllowance, {100, 100, 100}, {102, 106, 100.5}},
    {"a long profile turned a quarter turn about rules 100 m away",
     w.swept(18, 8, 1, {w.vertices(4, profile), w.vertices(4, turned), w.arc(0, 90, 1e6, 1e6, 0, 0, rule)}),
     dgn::Detail::kMinBudget, {0, 0, 0}, {100.01, 100.01, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    V7Writer file(true, V7Writer::Units{});
    file.add(c.element);
    const std::vector<OdGePoint3d> vertices = verticesOf(import(*importer, save(file, "hostile.dgn")));
    ASSERT_FALSE(vertices.empty());
    EXPECT_LE(vertices.size(), c.maxVertices);
    const double margin = 1e-6 * (c.high - c.low).length();
    for (const OdGePoint3d& p : vertices)
      ASSERT_TRUE(p.x >= c.low.x - margin && p.y >= c.low.y - margin && p.z >= c.low.z - margin &&
                  p.x <= c.high.x + margin && p.y <= c.high.y + margin && p.z <= c.high.z + margin)
        << p.x << " " << p.y << " " << p.z;
  }

  // A small file of many such surfaces: the first take the file's budget, the rest are drawn
  // coarser, and the report says how many.
  V7Writer many(true, V7Writer::Units{});
  constexpr size_t kSurfaces = 80; // of about a thousand vertices each
  for (size_t i = 0; i < kSurfaces; ++i)
    many.add(w.surface({3, 3, false, false, bump, extreme}));
  EXPECT_LE(verticesOf(import(*importer, save(many, "many.dgn"))).size(),
            dgn::Detail::kMinBudget + kSurfaces * 2 * dgn::Detail::kMinAllowance);
  EXPECT_NE(statistics().find("24->drawn coarser for the file's vertex budget="), std::string::npos) << statistics();
}
