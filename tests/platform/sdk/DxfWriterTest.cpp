#include "DxfTestSupport.h"
#include "LiveCounts.h"

#include <DxfWriter.h>

#include <charconv>
#include <chrono>
#include <cstdarg>
#include <random>
#include <set>
#include <sstream>

using namespace dxftest;

namespace {

class DxfWriter : public LiveCountsTest {};

// Raises the error a full disk would.
class FullDisk : public MemoryStream {
public:
  void putBytes(const void*, OdUInt32) override { throw OdError(eFileWriteError); }
};

std::string format(const char* pattern, ...)
{
  char buffer[512];
  va_list args;
  va_start(args, pattern);
  std::vsnprintf(buffer, sizeof buffer, pattern, args);
  va_end(args);
  return buffer;
}

std::string point(const OdGePoint3d& p)
{
  return format("%.9g %.9g %.9g", p.x, p.y, p.z);
}

// Prints what ezdxf makes of the file, one fact a line, reals as %.9g.
const char* const kEzdxfScript = R"(
import sys, ezdxf
from collections import Counter
doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
for e in auditor.errors: print('error', e)
print('errors', len(auditor.errors))
g = lambda *v: ' '.join('%.9g' % x for x in v)
print('units', doc.header['$INSUNITS'], doc.header['$MEASUREMENT'])
msp = doc.modelspace()
for k, n in sorted(Counter(e.dxftype() for e in msp).items()): print('count', k, n)
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

bool has(const std::string& output, const std::string& line)
{
  return output.find("\n" + line + "\n") != std::string::npos || output.rfind(line + "\n", 0) == 0;
}

} // namespace

TEST_F(DxfWriter, RefusesWhatItCannotWriteAndPassesStreamErrorsOn)
{
  SampleDrawing drawing;
  OdStaticRxObject<MemoryStream> stream;
  try {
    drawing.db->writeFile(nullptr, OdDb::kDxf, OdDb::kDHL_1032);
    FAIL() << "null stream accepted";
  } catch (const OdError& e) {
    EXPECT_EQ(e.code(), eInvalidInput);
  }
  try {
    drawing.db->writeFile(&stream, OdDb::kDwg, static_cast<OdDb::DwgVersion>(27));
    FAIL() << "AC1027 accepted";
  } catch (const OdError& e) {
    EXPECT_EQ(e.code(), eNotImplementedYet);
  }
  EXPECT_THROW(drawing.db->writeFile(&stream, static_cast<OdDb::SaveType>(2), OdDb::kDHL_1032), OdError);
  EXPECT_TRUE(stream.data.empty());

  OdStaticRxObject<FullDisk> full;
  try {
    drawing.db->writeFile(&full, OdDb::kDwg, OdDb::kDHL_1032);
    FAIL() << "write error swallowed";
  } catch (const OdError& e) {
    EXPECT_EQ(e.code(), eFileWriteError);
  }

  // kDwg writes DXF too: there is no other writer.
  drawing.db->writeFile(&stream, OdDb::kDwg, OdDb::kDHL_1032);
  EXPECT_EQ(stream.data, drawing.write());
}

TEST_F(DxfWriter, EzdxfReadsEveryEntityAsBuilt)
{
  const std::string python = ezdxfPython();
  if (python.empty())
    GTEST_SKIP() << "no ezdxf";
  SampleDrawing drawing;
  const std::string path = tempPath("ezdxf.dxf"), script = tempPath("check.py");
  saveFile(path, drawing.write());
  saveFile(script, kEzdxfScript);
  std::string out;
  ASSERT_TRUE(run("PYTHONIOENCODING=utf-8 " + python + " " + script + " " + path, out)) << out;

  EXPECT_TRUE(has(out, "errors 0")) << out;
  EXPECT_TRUE(has(out, format("units %d 1", int(drawing.db->getInsertionUnits())))) << out;
  OdDbBlockTableRecordPtr model = open<OdDbBlockTableRecord>(drawing.db->getModelSpaceId());
  OdDbBlockTableRecordPtr door = open<OdDbBlockTableRecord>(drawing.door);
  EXPECT_TRUE(has(out, format("door %d", int(door->entityIds().size())))) << out;
  EXPECT_TRUE(has(out, format("paper %d", int(open<OdDbBlockTableRecord>(drawing.db->getPaperSpaceId())->entityIds().size()))));
  EXPECT_TRUE(has(out, "count INSERT 2")) << out;
  EXPECT_TRUE(has(out, "ltype 0.5 -0.25 0 -0.25")) << out;
  OdDbLayerTableRecordPtr walls = open<OdDbLayerTableRecord>(drawing.walls);
  EXPECT_TRUE(has(out, format("layer %d True DASHED2 %d", walls->color.colorIndex(), walls->lineWeight))) << out;

  int entities = 0;
  for (OdDbObjectId id : model->entityIds()) {
    OdDbObjectPtr object = id.openObject();
    std::string expected;
    if (auto line = OdDbLine::cast(object.get()))
      expected = "LINE " + point(line->start) + " " + point(line->end) + format(" Wände DASHED2 %d %d", line->color().colorIndex(), line->lineWeight());
    else if (auto p = OdDbPoint::cast(object.get()))
      expected = "POINT " + point(p->position) + " 1";
    else if (auto circle = OdDbCircle::cast(object.get()))
      expected = "CIRCLE " + point(circle->center) + format(" %.9g %u", circle->radius, circle->color().rgb());
    else if (auto arc = OdDbArc::cast(object.get()))
      expected = "ARC " + point(arc->center) + format(" %.9g %.9g %.9g", arc->radius, dxf::toDegrees(arc->startAngle), dxf::toDegrees(arc->endAngle));
    else if (auto el = OdDbEllipse::cast(object.get()))
      expected = "ELLIPSE " + point(el->center) + " " + point({el->majorAxis.x, el->majorAxis.y, el->majorAxis.z}) +
                 format(" %.9g %.9g %.9g", el->radiusRatio, el->startParam, el->endParam);
    else if (auto pl = OdDbPolyline::cast(object.get())) {
      expected = std::string("LWPOLYLINE ") + (pl->closed ? "True" : "False") + format(" %.9g", pl->elevation());
      for (size_t i = 0; i < pl->points.size(); ++i)
        expected += format(" %.9g %.9g %.9g", pl->points[i].x, pl->points[i].y, pl->bulgeAt(i));
    } else if (auto p3 = OdDb3dPolyline::cast(object.get())) {
      expected = "POLYLINE True";
      for (const auto& v : p3->vertices)
        expected += " " + point(v);
    } else if (auto mesh = OdDbPolyFaceMesh::cast(object.get())) {
      expected = "POLYFACE";
      for (const OdDbPolyFaceMesh::Face& f : mesh->faces)
        for (int i = 0; i < f.count(); ++i)
          expected += (i == 0 && &f != &mesh->faces.front() ? " / " : " ") + point(mesh->vertices[size_t(f.vertices[i])]);
    } else if (auto sp = OdDbSpline::cast(object.get())) {
      expected = format("SPLINE %d %d %d", sp->degree, int(sp->controlPoints.size()), int(sp->knots.size()));
      for (double w : sp->weights)
        expected += format(" %.9g", w);
    } else if (auto t = OdDbText::cast(object.get()))
      expected = "TEXT " + point(t->position) + " " + point(t->alignmentPoint) +
                 format(" %.9g %.9g %d %d Italic ", t->height, dxf::toDegrees(t->rotation), t->horizontalMode, t->verticalMode) +
                 point({t->normal.x, t->normal.y, t->normal.z});
    else if (auto mt = OdDbMText::cast(object.get())) {
      // The direction ezdxf reads is the rotation turned into the text's plane.
      const OdGePoint3d direction = dxf::Ocs(mt->normal).toWorld({std::cos(mt->rotation), std::sin(mt->rotation), 0.0});
      expected = "MTEXT " + point(mt->location) + format(" %.9g ", mt->textHeight) + point(direction) +
                 format(" %d ", mt->attachment) + mt->contents.toUtf8();
    }
    else if (auto ref = OdDbBlockReference::cast(object.get())) {
      const std::string name = open<OdDbBlockTableRecord>(ref->blockTableRecord)->getName().toUtf8();
      expected = "INSERT " + name + " " + point(ref->position) + format(" %.9g %.9g %.9g", ref->scale.x, ref->scale.y, dxf::toDegrees(ref->rotation));
    }
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(has(out, expected)) << "missing: " << expected << "\n" << out;
    ++entities;
  }
  EXPECT_EQ(entities, 13);
  std::remove(path.c_str());
  std::remove(script.c_str());
}

TEST_F(DxfWriter, GdalReadsTheFile)
{
  std::string out;
  if (!run("ogrinfo --version", out))
    GTEST_SKIP() << "no ogrinfo";
  SampleDrawing drawing;
  const std::string path = tempPath("gdal.dxf");
  saveFile(path, drawing.write());
  ASSERT_TRUE(run("ogrinfo -ro -al -so " + path, out)) << out;
  EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;
  EXPECT_EQ(out.find("Warning"), std::string::npos) << out;
  // One feature an entity of either space; GDAL draws a block reference out as one feature.
  const size_t model = open<OdDbBlockTableRecord>(drawing.db->getModelSpaceId())->entityIds().size();
  const size_t paper = open<OdDbBlockTableRecord>(drawing.db->getPaperSpaceId())->entityIds().size();
  EXPECT_NE(out.find(format("Feature Count: %d", int(model + paper))), std::string::npos) << out;

  ASSERT_TRUE(run("ogrinfo -ro -al -q -where \"SubClasses LIKE '%Line'\" " + path, out)) << out;
  EXPECT_NE(out.find("LINESTRING Z (1 2 3,4 5 6)"), std::string::npos) << out;
  // The leaf of the door that the nested reference draws: from the block's origin to the
  // position of the outer reference.
  ASSERT_TRUE(run("ogrinfo -ro -al -q -where \"SubClasses LIKE '%BlockReference'\" " + path, out)) << out;
  const OdGePoint3d origin = open<OdDbBlockTableRecord>(drawing.door)->origin;
  const OdGePoint3d at = OdDbBlockReference::cast(open<OdDbBlockTableRecord>(drawing.db->getModelSpaceId())->entityIds().back().openObject().get())->position;
  const OdDbLinePtr leaf = OdDbLine::cast(open<OdDbBlockTableRecord>(drawing.door)->entityIds().front().openObject().get());
  EXPECT_NE(out.find(format("(%g %g 0,%g %g 0)", leaf->start.x - origin.x + at.x, leaf->start.y - origin.y + at.y,
                            leaf->end.x - origin.x + at.x, leaf->end.y - origin.y + at.y)), std::string::npos) << out;
  std::remove(path.c_str());
}

TEST_F(DxfWriter, HandlesAreUniqueAndTheSeedLiesAboveThem)
{
  SampleDrawing drawing;
  std::istringstream in(drawing.write());
  std::string code, value, seed;
  std::set<unsigned long long> handles;
  unsigned long long highest = 0;
  bool nextIsSeed = false;
  while (std::getline(in, code) && std::getline(in, value)) {
    if (nextIsSeed && code == "5")
      seed = value, nextIsSeed = false;
    else if (code == "9")
      nextIsSeed = value == "$HANDSEED";
    else if (code == "5" || code == "105") {
      const unsigned long long h = std::stoull(value, nullptr, 16);
      EXPECT_TRUE(handles.insert(h).second) << "handle " << value << " twice";
      highest = std::max(highest, h);
    }
  }
  ASSERT_FALSE(seed.empty());
  EXPECT_GT(std::stoull(seed, nullptr, 16), highest);
  EXPECT_GT(handles.size(), 40u);
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

TEST_F(DxfWriter, TimeAndSizeGrowLinearlyWithTheEntities)
{
  auto build = [](int lines) {
    OdDbDatabasePtr db = OdRxObjectImpl<OdDbDatabase>::createObject();
    OdDbBlockTableRecordPtr model = open<OdDbBlockTableRecord>(db->getModelSpaceId());
    for (int i = 0; i < lines; ++i) {
      OdDbLinePtr line = make<OdDbLine>();
      line->start = {i * 0.1, i * 0.2, 0.0};
      line->end = {i * 0.3, -i * 0.7, 1.5};
      model->appendOdDbEntity(line.get());
    }
    return db;
  };
  auto timedWrite = [](const OdDbDatabasePtr& db, size_t& size) {
    OdStaticRxObject<MemoryStream> stream;
    const auto start = std::chrono::steady_clock::now();
    db->writeFile(&stream, OdDb::kDxf, OdDb::kDHL_1032);
    size = stream.data.size();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  size_t small = 0, large = 0;
  const double smallTime = timedWrite(build(50000), small);
  const double largeTime = timedWrite(build(200000), large);
#ifdef __SANITIZE_ADDRESS__
  const double slowdown = 10.0; // the checked build runs much slower
#else
  const double slowdown = 1.0;
#endif
  EXPECT_LT(largeTime, 3.0 * slowdown);
  EXPECT_LT(largeTime, 4.0 * smallTime * 3.0 + 0.05) << "worse than linear";
  EXPECT_GT(double(large) / double(small), 3.5);
  EXPECT_LT(double(large) / double(small), 4.5);
}

TEST(DxfNumbers, ShortestRealsAreWhatToCharsWrites)
{
  // Coordinates from units of resolution (an integer over a power of ten), and any double.
  std::mt19937_64 random(7);
  std::vector<double> values = {0.0, -0.0, 1.0, -1.0, 0.1, 0.3, 1e-4, 1e6, 1e15, 123456789012345.0, 1e16, 5e-324,
                                1.7976931348623157e308, 0.30000000000000004, 10000.0, 100000.0, 2601088.69, -241551.09};
  for (int i = 0; i < 300000; ++i) {
    const long long whole = (long long)(random() % 1000000000000000ull) >> (random() % 50);
    values.push_back((random() % 2 ? -1.0 : 1.0) * double(whole) / std::pow(10.0, double(random() % 12)));
    double any;
    const uint64_t bits = random();
    std::memcpy(&any, &bits, sizeof any);
    if (std::isfinite(any))
      values.push_back(any);
  }
  for (double v : values) {
    char ours[40], theirs[40];
    const std::string a(ours, dxf::GroupWriter::formatShortest(ours, v));
    const std::string b(theirs, std::to_chars(theirs, theirs + sizeof theirs, v).ptr);
    ASSERT_EQ(a, b) << "for " << v;
  }
}
