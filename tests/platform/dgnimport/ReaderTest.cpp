#include "V7Writer.h"

#include <AssociationTargets.h>
#include <DesignFile.h>
#include <DgnFormat.h>
#include <DimensionGraphics.h>
#include <Dimensions.h>
#include <ElementReader.h>
#include <Orientation.h>
#include <RealFiles.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

using namespace dgn;

TEST(DgnElement, DecodesMiddleEndianIntegersAndVaxDoubles)
{
  V7Writer::Bytes b(64, 0);
  b[2] = 30;
  for (int32_t v : {0, 1, -1, 123456789, -987654321, 0x7FFFFFFF}) {
    V7Writer::putI32(b, 8, v);
    EXPECT_EQ(Element(b.data(), 64).i32(8), v);
  }
  for (double v : {0.0, 1.0, -2.5, 1234567.125, 1e-7, -6.02e23}) {
    V7Writer::putF64(b, 16, v);
    EXPECT_DOUBLE_EQ(Element(b.data(), 64).f64(16), v);
  }
  // Known bytes: 1.0 in VAX D is 0x4080 in the first word.
  const uint8_t one[8] = {0x80, 0x40, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(Element(one, 8).f64(0), 1.0);
  const uint8_t mid[4] = {0x34, 0x12, 0x78, 0x56};
  EXPECT_EQ(Element(mid, 4).i32(0), 0x12345678);

  Element e(b.data(), 64);
  EXPECT_EQ(e.f64(60), 0.0) << "reads past the end answer 0";
  EXPECT_FALSE(e.intact());
}

// Elements of every size up to the largest, so that several straddle the edges of the chunks the
// reader reads, some at their length word: a file of over three chunks.
std::vector<uint8_t> elementStream(std::vector<size_t>& offsets)
{
  std::vector<uint8_t> bytes;
  const uint32_t words[] = {0, 16, 499, 0xFFFF, 3, 7000, 0xFFFE, 1};
  for (size_t i = 0; bytes.size() < 3 * ElementReader::kChunkBytes + 12345; ++i) {
    const uint32_t size = (words[i % 8] + 2) * 2;
    offsets.push_back(bytes.size());
    bytes.push_back(0x01);
    bytes.push_back(0x04);
    bytes.push_back(uint8_t(words[i % 8]));
    bytes.push_back(uint8_t(words[i % 8] >> 8));
    for (uint32_t k = 4; k < size; ++k)
      bytes.push_back(uint8_t(i * 31 + k));
  }
  offsets.push_back(bytes.size());
  return bytes;
}

TEST(DgnElementReader, ReadsEveryElementWholeAcrossChunksFromFilesAndPipes)
{
  std::vector<size_t> offsets;
  const std::vector<uint8_t> stream = elementStream(offsets);
  const size_t count = offsets.size() - 1, chunk = ElementReader::kChunkBytes;
  // The element over the second chunk's edge, cut in its middle.
  const size_t straddling = size_t(std::upper_bound(offsets.begin(), offsets.end(), 2 * chunk) - offsets.begin()) - 1;
  const size_t cut = (offsets[straddling] + offsets[straddling + 1]) / 2;
  // Elements that end right at the third chunk's edge, the file with them.
  std::vector<uint8_t> even(stream.begin(), stream.begin() + long(3 * chunk));
  const size_t last = size_t(std::lower_bound(offsets.begin(), offsets.end(), 3 * chunk) - offsets.begin());
  even.resize(offsets[last - 1]);
  ASSERT_GE(3 * chunk - even.size(), 4u);
  even.resize(3 * chunk, 0);
  even[offsets[last - 1] + 2] = uint8_t((3 * chunk - offsets[last - 1]) / 2 - 2);
  even[offsets[last - 1] + 3] = uint8_t(((3 * chunk - offsets[last - 1]) / 2 - 2) >> 8);
  std::vector<uint8_t> ended = stream;
  ended.insert(ended.end(), {0xFF, 0xFF, 0x12, 0x34});

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    bool pipe;
    size_t elements;
    ElementReader::Status status;
  } cases[] = {
    {"whole, to the end-of-design marker", ended, false, count, ElementReader::Status::End},
    {"whole, to the end of the file", stream, false, count, ElementReader::Status::End},
    {"ending at a chunk's edge", even, false, last, ElementReader::Status::End},
    {"cut inside an element over a chunk's edge", {stream.begin(), stream.begin() + long(cut)}, false, straddling,
     ElementReader::Status::Truncated},
    {"through a pipe", ended, true, count, ElementReader::Status::End},
    {"cut, through a pipe", {stream.begin(), stream.begin() + long(cut)}, true, straddling,
     ElementReader::Status::Truncated},
  };
  const std::string path = ::testing::TempDir() + std::to_string(::getpid()) + "_chunks.dgn";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(path.c_str());
    std::thread feeder;
    if (c.pipe) {
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
      feeder = std::thread([&] { V7Writer::save(path, c.bytes); });
    } else {
      ASSERT_TRUE(V7Writer::save(path, c.bytes));
    }
    {
      ElementReader reader(path);
      Element e;
      size_t n = 0;
      ElementReader::Status status;
      while ((status = reader.next(e)) == ElementReader::Status::Element) {
        const size_t at = reader.offset() - e.size();
        ASSERT_TRUE(at + e.size() <= c.bytes.size() && std::memcmp(e.data(), c.bytes.data() + at, e.size()) == 0)
          << "element " << n << " at " << at;
        ++n;
      }
      EXPECT_EQ(n, c.elements);
      EXPECT_EQ(status, c.status);
    }
    if (feeder.joinable())
      feeder.join();
  }
  // A reader left early stops reading ahead: no thread outlives it.
  std::remove(path.c_str());
  ASSERT_TRUE(V7Writer::save(path, stream));
  {
    ElementReader reader(path);
    Element e;
    ASSERT_EQ(reader.next(e), ElementReader::Status::Element);
  }
  std::remove(path.c_str());
}

TEST(DgnUnits, NamesAreMappedAndCheckedAgainstTheRatio)
{
  for (const auto& [name, unit] : {std::pair<const char*, OdDb::UnitsValue>{"M", OdDb::kUnitsMeters},
                                   {"mm", OdDb::kUnitsMillimeters}, {"FT", OdDb::kUnitsFeet}, {"\"", OdDb::kUnitsInches},
                                   {"'", OdDb::kUnitsFeet}, {"um", OdDb::kUnitsMicrons}})
    EXPECT_EQ(unitFromName(name), unit) << name;
  for (const char* unnamed : {"MU", "SU", "mu", "Su", " mU ", "zz"})
    EXPECT_EQ(unitFromName(unnamed), OdDb::kUnitsUndefined) << unnamed << ": a placeholder, or no unit at all";

  struct Case {
    const char *master, *sub;
    int32_t ratio;
    OdDb::UnitsValue expectMaster, expectSub;
    bool defaultIsMaster;
  } cases[] = {
    {"m", "mm", 1000, OdDb::kUnitsMeters, OdDb::kUnitsMillimeters, true},
    {"ft", "in", 12, OdDb::kUnitsFeet, OdDb::kUnitsInches, true},
    // "mm" under a master metre with a ratio of 100 contradicts: the ratio says centimetres.
    {"m", "mm", 100, OdDb::kUnitsMeters, OdDb::kUnitsCentimeters, true},
    // An unknown name stays unknown; with only the sub unit known, sub units are the default.
    {"xx", "m", 1000, OdDb::kUnitsUndefined, OdDb::kUnitsMeters, false},
    // No unit is 1000 metres but a kilometre: the master name fits no unit with that ratio.
    {"ft", "m", 1000, OdDb::kUnitsKilometers, OdDb::kUnitsMeters, true},
    {"MU", "SU", 10, OdDb::kUnitsUndefined, OdDb::kUnitsUndefined, true},
    {"MU", "mm", 10, OdDb::kUnitsUndefined, OdDb::kUnitsMillimeters, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.master) + "/" + c.sub);
    const FileUnits u = resolveUnits(ControlData{false, c.ratio, 1, c.master, c.sub});
    EXPECT_EQ(u.master, c.expectMaster);
    EXPECT_EQ(u.sub, c.expectSub);
    EXPECT_EQ(u.defaultIsMaster(), c.defaultIsMaster);
  }
}

TEST(DgnInspection, AcceptsDesignFilesAndRejectsEverythingElse)
{
  const std::string path = ::testing::TempDir() + "inspect.dgn";
  V7Writer w(true, {});
  w.add(w.line({0, 0, 0}, {10, 10, 10}));
  ASSERT_TRUE(w.save(path));
  DesignFile f = DesignFile::inspect(path);
  EXPECT_TRUE(f.isValid());
  EXPECT_TRUE(f.control().is3d);
  EXPECT_EQ(f.control().uorPerSubUnit, 10);
  EXPECT_EQ(f.elementCount(), 2u);
  EXPECT_FALSE(f.colorTable());
  // The file's colour table is its last one on level 1 that is not deleted.
  V7Writer::Bytes deleted = w.colorTable({0, 0x300000}), level2 = w.colorTable({0, 0x400000});
  deleted[1] |= 0x80;
  level2[0] = uint8_t((level2[0] & 0xC0) | 2);
  for (const V7Writer::Bytes& table : {w.colorTable({0, 0x100000}), w.colorTable({0, 0x200000}), deleted, level2})
    w.add(table);
  ASSERT_TRUE(w.save(path));
  f = DesignFile::inspect(path);
  ASSERT_TRUE(f.colorTable());
  EXPECT_EQ((*f.colorTable())[0], 0x200000u);

  V7Writer::save(path, {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1, 0, 0, 0, 0});
  EXPECT_FALSE(DesignFile::inspect(path).isValid()) << "V8 compound document";
  V7Writer::save(path, {});
  EXPECT_FALSE(DesignFile::inspect(path).isValid()) << "empty";
  V7Writer::Bytes cut = w.bytes();
  cut.resize(cut.size() - 5);
  V7Writer::save(path, cut);
  EXPECT_FALSE(DesignFile::inspect(path).isValid()) << "element running past the end";
  std::remove(path.c_str());
  EXPECT_FALSE(DesignFile::inspect(path).exists());
  EXPECT_FALSE(DesignFile::inspect(path).isValid());
}

TEST(DgnOrientation, QuaternionsAndMatricesGiveTheElementsAxes)
{
  const double h = M_PI / 12; // half of 30 degrees, stored with its sine negated
  struct Case {
    const char* what;
    Axes axes;
    OdGeVector3d x, z;
  } cases[] = {
    {"30 degrees about z", Axes::ofQuaternion(std::cos(h), 0, 0, -std::sin(h)), {std::cos(2 * h), std::sin(2 * h), 0}, {0, 0, 1}},
    {"not of unit length", Axes::ofQuaternion(3 * std::cos(h), 0, 0, -3 * std::sin(h)), {std::cos(2 * h), std::sin(2 * h), 0}, {0, 0, 1}},
    {"zero: no rotation", Axes::ofQuaternion(0, 0, 0, 0), {1, 0, 0}, {0, 0, 1}},
    {"a quarter turn about x", Axes::ofQuaternion(std::sqrt(0.5), -std::sqrt(0.5), 0, 0), {1, 0, 0}, {0, -1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& [got, want] : {std::make_pair(c.axes.x, c.x), std::make_pair(c.axes.z, c.z)})
      EXPECT_LT(OdGeVector3d({got.x - want.x, got.y - want.y, got.z - want.z}).length(), 1e-12)
        << got.x << ", " << got.y << ", " << got.z << " for " << want.x << ", " << want.y << ", " << want.z;
  }
  const double quarterTurnTwice[4] = {0, -2, 2, 0}, mirrored[4] = {-1, 0, 0, 1};
  Placement p = Placement::of(Axes::ofMatrix2d(quarterTurnTwice), false);
  EXPECT_NEAR(p.rotation, M_PI / 2, 1e-12);
  EXPECT_NEAR(p.scale.x, 2, 1e-12);
  EXPECT_NEAR(p.scale.y, 2, 1e-12);
  p = Placement::of(Axes::ofMatrix2d(mirrored), false);
  EXPECT_NEAR(std::fabs(p.rotation), M_PI, 1e-12);
  EXPECT_NEAR(p.scale.y, -1, 1e-12) << "a mirror image keeps its plane and flips y";
}

namespace {

// What dimensions may be associated with, in a file of 10000 units to the metre: a line (id 7) and
// a line string (id 8); a line without an id; another line with id 7, which stays the first's.
AssociationTargets associationTargets(const CoordinateMap& map)
{
  const V7Writer w(false, {});
  AssociationTargets targets;
  for (const V7Writer::Bytes& t : {V7Writer::associated(w.line({0, 0}, {200000, 0}), 7),
                                   V7Writer::associated(w.vertices(4, {{0, 0}, {0, 50000}, {400000, 50000}}), 8),
                                   w.line({0, 0}, {1, 1}), V7Writer::associated(w.line({5, 5}, {6, 6}), 7)})
    targets.add(Element(t.data(), uint32_t(t.size())), map);
  return targets;
}

bool near(const std::vector<OdGePoint3d>& got, const std::vector<OdGePoint3d>& want)
{
  bool same = got.size() == want.size();
  for (size_t i = 0; same && i < got.size(); ++i)
    same = (got[i] - want[i]).length() < 1e-6;
  return same;
}

} // namespace

TEST(DgnDimension, AssociationsFindTheirPlacesOnTheirTargets)
{
  const AssociationTargets targets = associationTargets(CoordinateMap({false, 1000, 10}, true));
  struct Case {
    const char* what;
    Association association;
    std::vector<OdGePoint3d> at; // none when it cannot be found
  } cases[] = {
    {"a vertex", {7, 1}, {{20, 0, 0}}},
    {"between a vertex and the next", {7, 0, 0.5}, {{10, 0, 0}}},
    {"along a line string's segment", {8, 1, 0.75}, {{30, 5, 0}}},
    {"a vertex the target lacks", {7, 2}, {}},
    {"past the last vertex", {8, 2, 0.5}, {}},
    {"a target no element has", {9, 0}, {}},
    {"of a kind not known", {7, 0, 0.0, false}, {}},
  };
  for (const Case& c : cases) {
    const std::optional<OdGePoint3d> at = targets.locate(c.association);
    EXPECT_TRUE(near(at ? std::vector<OdGePoint3d>{*at} : std::vector<OdGePoint3d>{}, c.at)) << c.what;
  }
}

TEST(DgnDimension, PointsAxesOffsetsAndTextsAreDecodedAndDrawn)
{
  const V7Units feet{"'", "\"", 12, 8000}, metres{"m", "mm", 1000, 10}; // 96000 and 10000 to the master unit
  using DP = V7Writer::DimensionPoint;
  const std::vector<double> identity{1, 0, 0, 1}, quarterTurn{0, -1, 1, 0};
  struct Case {
    const char* what;
    V7Units units;
    int kind;
    int32_t textHeight;
    std::vector<DP> points;
    std::vector<double> matrix;
    double scale;
    std::vector<OdGePoint3d> at; // the points, associative ones resolved
    OdGeVector3d yAxis;
    std::vector<OdGePoint3d> first, last; // the first line drawn and the last
    size_t arrowheads;
    std::vector<std::string> texts;
    OdGePoint3d lastText;
    std::string textOverride;
  } cases[] = {
    {"feet and inches; the second text moved", feet, 1, 72000,
     {{{0, 0}, 96000}, {{576000, 0}}, {{764000, 0}, 12000, false}}, identity, 1.0,
     {{0, 0, 0}, {6, 0, 0}, {764000 / 96000.0, 0, 0}}, {0, 1, 0},
     {{0, 0, 0}, {0, 1.375, 0}}, {{0, 1, 0}, {764000 / 96000.0, 1, 0}}, 4, {"6'-0\"", "1'-11 1/2\""}, {6.5, 1.75, 0}, ""},
    {"metres, turned a quarter, scaled, with a stored text", metres, 1, 1000,
     {{{0, 0}, 20000}, {{0, 12340}, 0, true, "* MIN."}}, quarterTurn, 0.5, {{0, 0, 0}, {0, 1.234, 0}}, {-1, 0, 0},
     {{0, 0, 0}, {-2.05, 0, 0}}, {{-2, 0, 0}, {-2, 1.234, 0}}, 2, {"0.617 MIN."}, {-2.1, 0.617, 0}, "0.617 MIN."},
    {"associated: a line's vertex and middle, a line string's segment", metres, 1, 1000,
     {{{}, -30000, true, "", 7}, {{}, 0, true, "", 7, false, 0, 0.5}, {{}, 0, true, "", 8, true, 1, 0.75}}, identity, 1.0,
     {{0, 0, 0}, {10, 0, 0}, {30, 5, 0}}, {0, 1, 0},
     {{0, 0, 0}, {0, -3.05, 0}}, {{0, -3, 0}, {30, -3, 0}}, 4, {"10", "20"}, {20, -2.9, 0}, ""},
    {"a leader", metres, 53, 1000, {{{0, 0}}, {{10000, 10000}}, {{20000, 10000}}}, identity, 1.0,
     {{0, 0, 0}, {1, 1, 0}, {2, 1, 0}}, {0, 1, 0},
     {{0, 0, 0}, {1, 1, 0}, {2, 1, 0}}, {{0, 0, 0}, {1, 1, 0}, {2, 1, 0}}, 1, {}, {}, ""},
    {"a kind not known: its points", metres, 7, 1000, {{{0, 0}}, {{10000, 0}}}, identity, 1.0,
     {{0, 0, 0}, {1, 0, 0}}, {0, 1, 0}, {{0, 0, 0}, {1, 0, 0}}, {{0, 0, 0}, {1, 0, 0}}, 0, {}, {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ControlData control{false, c.units.subPerMaster, c.units.uorPerSub, c.units.master, c.units.sub};
    const CoordinateMap map(control, true);
    const V7Writer::Bytes b = V7Writer(false, c.units).dimension(c.kind, c.points, c.textHeight, c.matrix, c.scale);
    DimensionData d;
    ASSERT_TRUE(readDimension(Element(b.data(), uint32_t(b.size())), map, d));
    // Associative points wait for their targets, which may come later.
    EXPECT_EQ(d.resolve(AssociationTargets()), std::none_of(c.points.begin(), c.points.end(), [](const DP& p) { return p.target; }));
    ASSERT_TRUE(d.resolve(associationTargets(map)));
    std::vector<OdGePoint3d> at;
    for (size_t i = 0; i < d.points.size(); ++i) {
      at.push_back(d.points[i].at);
      EXPECT_NEAR(d.points[i].offset, map.length(c.points[i].offset), 1e-9);
      EXPECT_EQ(d.points[i].text.value_or(""), c.points[i].text);
    }
    EXPECT_TRUE(near(at, c.at));
    EXPECT_EQ(d.yAxis, c.yAxis);

    DimensionGraphics g;
    ASSERT_TRUE(drawDimension(d, DimensionFormat(control, map), g));
    EXPECT_TRUE(near(g.lines.front(), c.first));
    EXPECT_TRUE(near(g.lines.back(), c.last));
    EXPECT_EQ(g.arrowheads.size(), c.arrowheads);
    ASSERT_EQ(g.texts.size(), c.texts.size());
    for (size_t i = 0; i < c.texts.size(); ++i)
      EXPECT_EQ(g.texts[i].text, c.texts[i]);
    if (!c.texts.empty()) {
      EXPECT_TRUE(near({g.texts.back().position}, {c.lastText}));
    }
    EXPECT_EQ(g.entity.textOverride, c.textOverride);
  }

  V7Writer::Bytes b = V7Writer(false, {}).dimension(1, {{{0, 0}}, {{10, 0}}}, 1000);
  DimensionData d;
  EXPECT_FALSE(readDimension(Element(b.data(), uint32_t(b.size())), CoordinateMap({true, 1000, 10}, true), d)) << "a 3D file";
  b[49] = 3;
  EXPECT_FALSE(readDimension(Element(b.data(), uint32_t(b.size())), CoordinateMap({false, 1000, 10}, true), d))
    << "more points than the element holds";
}

// The sample sheets' dimensions, their targets resolved, drawn within the range blocks
// MicroStation stored for them, and across at least half of them.
TEST(DgnDimension, RealDimensionsAreDrawnWithinTheirRanges)
{
  for (const char* name : {"sheets/aspose_Nikon_D90_Camera_2d_half_a.dgn", "dgnlib_tag.dgn"}) {
    SCOPED_TRACE(name);
    ElementReader reader(realFile(name));
    Element e;
    ControlData control;
    if (!reader.isOpen())
      GTEST_SKIP() << noRealFiles();
    ASSERT_TRUE(reader.next(e) == ElementReader::Status::Element && DesignFile::readControl(e, control));
    const CoordinateMap map(control, true);
    AssociationTargets targets;
    std::vector<std::pair<DimensionData, std::array<OdGePoint3d, 2>>> dimensions;
    while (reader.next(e) == ElementReader::Status::Element) {
      targets.add(e, map);
      if (e.type() != ElementType::Dimension)
        continue;
      // The range block's values have their sign bit flipped.
      const auto range = [&](uint32_t at) { return double(int32_t(uint32_t(e.i32(at)) ^ 0x80000000u)); };
      auto& [d, box] = dimensions.emplace_back();
      box = {map.point(range(4), range(8), 0), map.point(range(16), range(20), 0)};
      ASSERT_TRUE(readDimension(e, map, d)) << "at " << reader.offset();
    }
    ASSERT_FALSE(dimensions.empty());
    for (auto& [d, range] : dimensions) {
      DimensionGraphics g;
      ASSERT_TRUE(d.resolve(targets) && drawDimension(d, DimensionFormat(control, map), g));
      std::vector<OdGePoint3d> drawn;
      for (const auto& line : g.lines)
        drawn.insert(drawn.end(), line.begin(), line.end());
      for (const auto& arrow : g.arrowheads)
        drawn.insert(drawn.end(), arrow.begin(), arrow.end());
      // A text's ends, its characters taken as 0.6 of its height wide, about what the sheets' take:
      // it starts at its position, half its length before, or all of it (Start, Middle, End).
      for (const DimensionText& t : g.texts) {
        const double length = 0.6 * t.height * double(t.text.size()), begin = -0.5 * double(t.anchor) * length;
        for (const double along : {begin, begin + length})
          drawn.push_back({t.position.x + along * std::cos(t.rotation), t.position.y + along * std::sin(t.rotation), 0});
      }
      OdGePoint3d low{INFINITY, INFINITY, 0}, high{-INFINITY, -INFINITY, 0};
      for (const OdGePoint3d& p : drawn) {
        EXPECT_TRUE(p.x > range[0].x - d.textHeight && p.x < range[1].x + d.textHeight && p.y > range[0].y - d.textHeight &&
                    p.y < range[1].y + d.textHeight)
          << "dimension " << d.id << ": (" << p.x << ", " << p.y << ")";
        low = {std::min(low.x, p.x), std::min(low.y, p.y), 0};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), 0};
      }
      EXPECT_GE((high - low).length(), 0.5 * (range[1] - range[0]).length()) << "dimension " << d.id;
    }
  }
}
