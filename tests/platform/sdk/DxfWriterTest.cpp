#include "DxfTestSupport.h"
#include "LiveCounts.h"

#include <DxfNumbers.h>
#include <DxfWriter.h>

#include <QTemporaryDir>

#include <charconv>
#include <functional>
#include <random>
#include <sstream>

using namespace dxftest;

namespace {

class DxfWriter : public LiveCountsTest {};

// Raises the error a full disk would.
class FullDisk : public MemoryStream {
public:
  void putBytes(const void*, OdUInt32) override { throw OdError(eFileWriteError); }
};

// Prints what ezdxf makes of the file, one fact a line, reals as %.9g.
const std::string kEzdxfScript = kEzdxfPrologue + R"(print('units', doc.header['$INSUNITS'], doc.header['$MEASUREMENT'])
msp = doc.modelspace()
print('paper', len(doc.layout('Layout1')))
print('door', len(doc.blocks.get('Door')))
lt = doc.linetypes.get('DASHED2')
print('ltype', g(*[t.value for t in lt.pattern_tags.tags if t.code == 49]))
la = doc.layers.get('Wände')
print('layer', la.color, la.is_off(), la.dxf.linetype, la.dxf.lineweight)
for e in msp:
  t = e.dxftype()
  if t == 'LINE': print(t, g(*e.dxf.start, *e.dxf.end), e.dxf.layer, e.dxf.linetype, e.dxf.color, e.dxf.lineweight)
  elif t == 'POINT': print(t, g(*e.dxf.location), e.dxf.invisible)
  elif t == 'CIRCLE': print(t, g(*e.dxf.center, e.dxf.radius), e.dxf.true_color)
  elif t == 'ARC': print(t, g(*e.ocs().to_wcs(e.dxf.center), e.dxf.radius, e.dxf.start_angle, e.dxf.end_angle))
  elif t == 'ELLIPSE': print(t, g(*e.dxf.center, *e.dxf.major_axis, e.dxf.ratio, e.dxf.start_param, e.dxf.end_param))
  elif t == 'LWPOLYLINE': print(t, e.closed, g(e.dxf.elevation, *[c for p in e.get_points('xyb') for c in p]))
  elif t == 'POLYLINE' and e.is_poly_face_mesh: print('POLYFACE', ' / '.join(g(*[c for v in f[:-1] for c in v.dxf.location]) for f in e.faces()))
  elif t == 'POLYLINE': print(t, e.is_3d_polyline, g(*[c for v in e.vertices for c in v.dxf.location]))
  elif t == 'SPLINE': print(t, e.dxf.degree, len(e.control_points), len(e.knots), g(*e.weights))
  elif t == 'TEXT': print(t, g(*e.ocs().to_wcs(e.dxf.insert), *e.ocs().to_wcs(e.dxf.align_point), e.dxf.height, e.dxf.rotation), e.dxf.halign, e.dxf.valign, e.dxf.style, g(*e.dxf.extrusion))
  elif t == 'MTEXT': print(t, g(*e.dxf.insert, e.dxf.char_height, *e.dxf.text_direction), e.dxf.attachment_point, e.text)
  elif t == 'INSERT': print(t, e.dxf.name, g(*e.dxf.insert, e.dxf.xscale, e.dxf.yscale, e.dxf.rotation))
)";

} // namespace

TEST_F(DxfWriter, RefusesWhatItCannotWriteAndPassesStreamErrorsOn)
{
  SampleDrawing drawing;
  OdStaticRxObject<MemoryStream> stream;
  OdStaticRxObject<FullDisk> full;
  EXPECT_EQ(errorOf([&] { drawing.db->writeFile(nullptr, OdDb::kDxf, OdDb::kDHL_1032); }), eInvalidInput);
  EXPECT_EQ(errorOf([&] { drawing.db->writeFile(&stream, OdDb::kDwg, static_cast<OdDb::DwgVersion>(27)); }),
            eNotImplementedYet);
  EXPECT_THROW(drawing.db->writeFile(&stream, static_cast<OdDb::SaveType>(2), OdDb::kDHL_1032), OdError);
  EXPECT_TRUE(stream.data.empty());
  EXPECT_EQ(errorOf([&] { drawing.db->writeFile(&full, OdDb::kDwg, OdDb::kDHL_1032); }), eFileWriteError);

  // kDwg writes DXF too: there is no other writer.
  drawing.db->writeFile(&stream, OdDb::kDwg, OdDb::kDHL_1032);
  EXPECT_EQ(stream.data, drawing.write());

  // A block reference to no block the file defines is left out, and the rest written as before.
  const auto inserts = [](const std::string& dxf) { return occurrences(dxf, "\nINSERT\n"); };
  const size_t before = inserts(stream.data);
  SampleDrawing other;
  const OdDbObjectId erased = addRecord(drawing.db->getBlockTableId(), make<OdDbBlockTableRecord>().get(), "Gone");
  erased.openObject(OdDb::kForWrite)->erase();
  for (const OdDbObjectId& target : {OdDbObjectId(), drawing.walls, other.door, erased})
    append<OdDbBlockReference>(drawing.db->getModelSpaceId())->blockTableRecord = target;
  const std::string written = drawing.write();
  EXPECT_GT(before, 0u);
  EXPECT_EQ(inserts(written), before);
  EXPECT_EQ(written.find("Gone"), std::string::npos);

  // A block without a name is written, and referred to, as "_": a name may not be empty.
  const OdDbObjectId unnamed = addRecord(drawing.db->getBlockTableId(), make<OdDbBlockTableRecord>().get(), "");
  append<OdDbBlockReference>(drawing.db->getModelSpaceId())->blockTableRecord = unnamed;
  const std::string named = drawing.write();
  EXPECT_NE(named.find("\nAcDbBlockBegin\n2\n_\n"), std::string::npos);
  EXPECT_NE(named.find("\nAcDbBlockReference\n2\n_\n"), std::string::npos);
}

TEST_F(DxfWriter, EzdxfReadsEveryEntityAsBuilt)
{
  const QString python = ezdxfPython();
  if (python.isEmpty())
    GTEST_SKIP() << "no ezdxf";
  QTemporaryDir dir;
  const QString path = writeBytes(dir.filePath("ezdxf.dxf"), QByteArray::fromStdString(SampleDrawing().write()));
  const ProcessRun read = runProcess(python, {"-X", "utf8", "-c", kEzdxfScript.c_str(), path});
  ASSERT_EQ(read.code, 0) << read.err.toStdString();
  // The sample drawing as built, angles in degrees; the arc's centre and the text's points are
  // turned back from their tilted planes, and the mtext's direction is its rotation, 0.25, in its
  // plane, whose axes by the arbitrary axis rule are (0,1,0) and (-0.8,0,0.6).
  std::string mtext = "MTEXT 20 30 0 3.5 -0.197923167 0.968912422 0.148442376 5 First line\\P";
  for (int i = 0; i < 130; ++i)
    mtext += "äö";
  EXPECT_EQ(read.out.toStdString(), R"(errors 0
units 4 1
paper 1
door 2
ltype 0.5 -0.25 0 -0.25
layer 3 True DASHED2 35
LINE 1 2 3 4 5 6 Wände DASHED2 1 50
POINT 0.1 0.333333333 -7.5 1
CIRCLE 10 20 0 5 1193046
ARC 3 4 5 2 28.6478898 143.239449
ELLIPSE -5 -5 0 3 0 0 0.5 0.25 3
LWPOLYLINE True 2.5 0 0 0 10 0 0.5 10 10 -1 0 10 0
POLYLINE True 0 0 0 1 2 3 4 5 6
POLYFACE 0 0 0 1 0 0 1 1 0 0 1 0 / 0 0 0 1 0 0 0.5 0.5 1
SPLINE 3 4 8 1 0.5 0.5 1
TEXT 7 8 0 9 8 0 2.5 30 1 3 Italic 0 -0.6 0.8
)" + mtext + R"(
INSERT Door 100 200 0 2 3 90
INSERT Wing -100 0 0 1 1 0
)");
}

TEST_F(DxfWriter, GdalReadsTheFile)
{
  if (!haveGdal())
    GTEST_SKIP() << "GDAL's ogrinfo is not installed";
  QTemporaryDir dir;
  const QString path = writeBytes(dir.filePath("gdal.dxf"), QByteArray::fromStdString(SampleDrawing().write()));
  const auto expectOgrinfo = [&](const QStringList& args, const char* expected) {
    const ProcessRun run = runProcess("ogrinfo", QStringList{"-ro", "-al"} << args << path);
    const QString said = run.out + run.err;
    EXPECT_EQ(run.code, 0);
    EXPECT_FALSE(said.contains("ERROR") || said.contains("Warning")) << said.toStdString();
    EXPECT_TRUE(said.contains(expected)) << expected << " is not in:\n" << said.toStdString();
  };
  // One feature an entity of either space, 13 and 1; GDAL draws a block reference out as one feature.
  expectOgrinfo({"-so"}, "Feature Count: 14");
  expectOgrinfo({"-q", "-where", "SubClasses LIKE '%Line'"}, "LINESTRING Z (1 2 3,4 5 6)");
  // The leaf of the door, 0,0 to 0,900 from the block's origin 1,2, as the nested reference at
  // -100,0 draws it.
  expectOgrinfo({"-q", "-where", "SubClasses LIKE '%BlockReference'"}, "(-101 -2 0,-101 898 0)");
}

TEST_F(DxfWriter, RealsAreShortestUnlessAPrecisionIsAsked)
{
  SampleDrawing drawing;
  const std::string exact = drawing.write();
  // 1/3 in its shortest exact form, and cut to the precision asked for.
  EXPECT_NE(exact.find("\n0.3333333333333333\n"), std::string::npos);
  const std::string six = drawing.write(6);
  EXPECT_EQ(six.find("0.3333333333"), std::string::npos);
  EXPECT_NE(six.find("\n0.333333\n"), std::string::npos);
}

TEST_F(DxfWriter, SizeGrowsLinearlyWithTheEntities)
{
  // Bytes for a drawing of `lines` lines; how long writing takes is measured in bench/.
  const auto write = [](int lines) {
    OdDbDatabasePtr db = OdRxObjectImpl<OdDbDatabase>::createObject();
    for (int i = 0; i < lines; ++i) {
      OdDbLinePtr line = append<OdDbLine>(db->getModelSpaceId());
      line->start = {i * 0.1, i * 0.2, 0.0};
      line->end = {i * 0.3, -i * 0.7, 1.5};
    }
    return double(dxfOf(*db).size());
  };
  const double ratio = write(200000) / write(50000);
  EXPECT_GT(ratio, 3.5);
  EXPECT_LT(ratio, 4.5);
}

TEST_F(DxfWriter, ExtentsTakeBlocksThroughAnyNestingAndEndOnCycles)
{
  // Each case draws into a new drawing; its extents, "$EXTMIN $EXTMAX" as written, are worked out
  // by hand: a reference places the 8 corners of its block's box, or its position when the block
  // is still being worked out (one that holds itself).
  const auto block = [](OdDbDatabase& db, const std::string& name, OdGePoint3d origin = {}) {
    OdDbBlockTableRecordPtr record = make<OdDbBlockTableRecord>();
    record->origin = origin;
    return addRecord(db.getBlockTableId(), record.get(), name.c_str());
  };
  const auto line = [](OdDbObjectId owner, OdGePoint3d start, OdGePoint3d end) {
    OdDbLinePtr line = append<OdDbLine>(owner);
    line->start = start;
    line->end = end;
  };
  const auto reference = [](OdDbObjectId owner, OdDbObjectId target, OdGePoint3d at, OdGeVector3d scale = {1, 1, 1},
                            double rotation = 0.0) {
    OdDbBlockReferencePtr insert = append<OdDbBlockReference>(owner);
    insert->blockTableRecord = target;
    insert->position = at;
    insert->scale = scale;
    insert->rotation = rotation;
  };
  const struct {
    const char* what;
    std::function<void(OdDbDatabase&, OdDbObjectId model)> draw;
    const char* extents;
  } cases[] = {
    // Leaf's line is 0..2 by 0..1 from its origin; Mid doubles and turns it to -2..0 by 0..4,
    // beside a point at 5,5,5; model space moves Mid by 10,20,30 and Leaf's origin to -10,0,0.
    {"a reference to a block that references another", [&](OdDbDatabase& db, OdDbObjectId model) {
       const OdDbObjectId leaf = block(db, "Leaf", {1, 0, 0}), mid = block(db, "Mid");
       line(leaf, {1, 0, 0}, {3, 1, 0});
       reference(mid, leaf, {}, {2, 2, 1}, dxf::kPi / 2);
       append<OdDbPoint>(mid)->position = {5, 5, 5};
       reference(model, mid, {10, 20, 30});
       reference(model, leaf, {-10, 0, 0});
     }, "-10 0 0 15 25 35"},
    // Block i holds block i-1 one unit along x; block 0 a unit cube's diagonal.
    {"a chain of 100,000 blocks", [&](OdDbDatabase& db, OdDbObjectId model) {
       OdDbObjectId previous = block(db, "C0");
       line(previous, {0, 0, 0}, {1, 1, 1});
       for (int i = 1; i < 100000; ++i) {
         const OdDbObjectId next = block(db, "C" + std::to_string(i));
         reference(next, previous, {1, 0, 0});
         previous = next;
       }
       reference(model, previous, {});
     }, "99999 0 0 1e+05 1 1"},
    {"a block that references itself", [&](OdDbDatabase& db, OdDbObjectId model) {
       const OdDbObjectId self = block(db, "Self");
       line(self, {0, 0, 0}, {1, 1, 0});
       reference(self, self, {50, 0, 0});
       reference(model, self, {});
     }, "0 0 0 50 1 0"},
    // B, reached from A, counts its reference back to A at -5,0,0; A places that point at 0,10,0.
    {"two blocks that reference each other", [&](OdDbDatabase& db, OdDbObjectId model) {
       const OdDbObjectId a = block(db, "A"), b = block(db, "B");
       line(a, {0, 0, 0}, {1, 1, 0});
       reference(a, b, {0, 10, 0});
       reference(b, a, {-5, 0, 0});
       reference(model, a, {});
     }, "-5 0 0 1 10 0"},
  };
  for (const auto& c : cases) {
    OdDbDatabasePtr db = make<OdDbDatabase>();
    c.draw(*db, db->getModelSpaceId());
    std::istringstream in(dxfOf(*db));
    std::string code, value, extents;
    while (std::getline(in, code) && std::getline(in, value) && value != "ENDSEC")
      if (code == "9" && (value == "$EXTMIN" || value == "$EXTMAX"))
        for (int axis = 0; axis < 3 && std::getline(in, code) && std::getline(in, value); ++axis)
          extents += (extents.empty() ? "" : " ") + value;
    EXPECT_EQ(extents, c.extents) << c.what;
  }
}

TEST(DxfNumbers, ShortestRealsAreWhatToCharsWrites)
{
  // Coordinates from units of resolution (an integer over a power of ten), and any double.
  std::mt19937_64 random(7);
  std::vector<double> values = {0.0, -0.0, 1.0, -1.0, 0.1, 0.3, 1e-4, 1e6, 1e15, 123456789012345.0, 1e16, 5e-324,
                                1.7976931348623157e308, 0.30000000000000004, 10000.0, 100000.0, 2601088.69, -241551.09};
  // Positions as a reader makes them, times a reciprocal scale, which lands beside the short decimal
  // and needs 16 or 17 digits; any double; doubles of any digits from 10^-4 to 10^16; powers of
  // two, whose neighbour below is half as far; powers of ten. The last three with neighbours.
  const auto beside = [&values](double v) {
    for (double x = v, y = v, n = 0; n < 3; ++n, x = std::nextafter(x, 0.0), y = std::nextafter(y, 1e300))
      values.insert(values.end(), {x, y});
  };
  for (int e = -14; e <= 52; ++e)
    beside(std::ldexp(1.0, e));
  for (int e = -4; e <= 16; ++e)
    beside(std::pow(10.0, e));
  for (int i = 0; i < 300000; ++i) {
    const long long whole = (long long)(random() % 1000000000000000ull) >> (random() % 50);
    values.push_back((random() % 2 ? -1.0 : 1.0) * double(whole) / std::pow(10.0, double(random() % 12)));
    values.push_back(double(whole >> (random() % 20)) * (1.0 / std::pow(10.0, double(random() % 7))));
    double any;
    const uint64_t bits = random();
    std::memcpy(&any, &bits, sizeof any);
    if (std::isfinite(any))
      values.push_back(any);
    values.push_back(std::ldexp(double(random() >> 11) / double(1ull << 53), int(random() % 68) - 13));
  }
  for (double v : values) {
    char ours[40], theirs[40];
    const std::string a(ours, dxf::formatShortest(ours, v));
    const std::string b(theirs, std::to_chars(theirs, theirs + sizeof theirs, v).ptr);
    ASSERT_EQ(a, b) << "for " << v;
  }
}

TEST(DxfText, ValuesKeepToOneLineAndNamesToPrintableCharacters)
{
  enum Kind { kText, kName, kMText };
  const struct {
    Kind kind;
    std::u16string value;
    const char* line;
  } cases[] = {
    {kText, u"Plain ASCII, 10 mm", "Plain ASCII, 10 mm"},
    {kText, u"a\tb^c\x7F" u"d", "a^Ib^ c d"},
    {kText, u"Gr\u00F6\u00DFe \U0001F4D0 \xD800x", "Gr\xC3\xB6\xC3\x9F" "e \xF0\x9F\x93\x90 \xEF\xBF\xBDx"},
    {kName, u"x\ty^\x01z", "x_y^_z"},
    {kName, u"", "_"},
    {kMText, u"one\ntwo^", "one\\Ptwo^ "},
  };
  for (const auto& c : cases) {
    OdStaticRxObject<MemoryStream> stream;
    {
      dxf::GroupWriter out(stream, 0);
      c.kind == kText ? out.putText(1, c.value) : c.kind == kName ? out.putName(2, c.value) : out.putMText(c.value);
      out.flush();
    }
    const size_t start = stream.data.find('\n') + 1;
    EXPECT_EQ(stream.data.substr(start), std::string(c.line) + "\n") << "case " << &c - cases;
  }
}
