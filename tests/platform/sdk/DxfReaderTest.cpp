#include "DxfTestSupport.h"
#include "LiveCounts.h"

#include <QTemporaryDir>

#include <random>

using namespace dxftest;

namespace {

class DxfReader : public LiveCountsTest {};

OdString nameOf(OdDbObjectId id)
{
  return open<OdDbSymbolTableRecord>(id)->getName();
}

std::vector<OdDbObjectPtr> entitiesOf(OdDbObjectId blockId)
{
  std::vector<OdDbObjectPtr> entities;
  for (OdDbObjectId id : open<OdDbBlockTableRecord>(blockId)->entityIds())
    entities.push_back(id.openObject());
  return entities;
}

} // namespace

// Every entity kind, table record and header value the writer writes comes back: writing what was
// read gives the same file, but for the last bits of reals that went through a tilted plane.
TEST_F(DxfReader, ReadsBackWhatTheWriterWrote)
{
  SampleDrawing drawing;
  const std::string written = drawing.write();
  const std::string again = dxfOf(*readBack(written));
  expectSameDrawing(written, again);

  std::string crlf; // as Windows tools save it
  for (char c : written)
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(dxfOf(*readBack(crlf)), again);
}

TEST_F(DxfReader, ReadsWhatEzdxfAndGdalWrite)
{
  const QString python = ezdxfPython();
  if (python.isEmpty())
    GTEST_SKIP() << "no ezdxf";
  QTemporaryDir dir;
  const QString path = dir.filePath("from_ezdxf.dxf");
  const ProcessRun made = runProcess(python, {"-c", R"(
import sys, ezdxf
for version in ('R2018', 'R2000', 'R12'):
  doc = ezdxf.new(version)
  doc.header['$INSUNITS'] = 6
  doc.layers.add('Pipes', color=5)
  b = doc.blocks.new('Valve')
  b.add_circle((0, 0), 0.5)
  msp = doc.modelspace()
  for i in range(100): msp.add_line((i, 0, 0), (i, 1, 2), dxfattribs={'layer': 'Pipes'})
  msp.add_circle((3, 4), 2, dxfattribs={'color': 1})
  msp.add_arc((0, 0), 1, 90, 180)
  if version == 'R12': msp.add_polyline2d([(0, 0), (5, 0), (5, 5)], close=True)
  else: msp.add_lwpolyline([(0, 0), (5, 0), (5, 5)], dxfattribs={'closed': True})
  msp.add_polyline3d([(0, 0, 0), (1, 1, 1), (2, 0, 3)])
  msp.add_text('Größe', dxfattribs={'insert': (1, 2), 'height': 0.5})
  if version == 'R12': msp.add_text('a' * 600)
  else: msp.add_mtext('a' * 600)
  msp.add_blockref('Valve', (10, 10))
  msp.add_point((7, 7, 7))
  if version != 'R12': msp.add_hatch().paths.add_polyline_path([(0, 0, 0), (10, 0, 1), (10, 10, 0)], is_closed=True)
  doc.saveas(sys.argv[1] + version)
)", path});
  ASSERT_EQ(made.code, 0) << made.err.toStdString();
  for (const char* version : {"R2018", "R2000", "R12"}) {
    SCOPED_TRACE(version);
    OdDbDatabasePtr db = readBack(readBytes(path + version).toStdString());
    if (std::string(version) != "R12") { // no units before R2000
      EXPECT_EQ(db->getInsertionUnits(), OdDb::kUnitsMeters);
    }
    const auto model = entitiesOf(db->getModelSpaceId());
    const bool r12 = std::string(version) == "R12"; // no hatches
    ASSERT_EQ(model.size(), r12 ? 108u : 109u);
    OdDbLinePtr line = OdDbLine::cast(model[99].get());
    ASSERT_TRUE(line);
    EXPECT_EQ(line->end, (OdGePoint3d{99, 1, 2}));
    EXPECT_EQ(nameOf(line->layerId()), OdString("Pipes"));
    EXPECT_EQ(OdDbCircle::cast(model[100].get())->radius, 2.0);
    EXPECT_TRUE(OdDbCircle::cast(model[100].get())->color() == OdCmColor::fromIndex(1));
    EXPECT_NEAR(OdDbArc::cast(model[101].get())->endAngle, dxf::kPi, 1e-12);
    EXPECT_TRUE(OdDbPolyline::cast(model[102].get())->closed);
    EXPECT_EQ(OdDb3dPolyline::cast(model[103].get())->vertices.size(), 3u);
    EXPECT_EQ(OdDbText::cast(model[104].get())->text, OdString("Größe")) << "UTF-8 or the 1252 code page";
    if (OdDbMTextPtr mtext = OdDbMText::cast(model[105].get())) {
      EXPECT_EQ(mtext->contents.getLength(), 600);
    } else {
      EXPECT_EQ(OdDbText::cast(model[105].get())->text.getLength(), 600);
    }
    OdDbBlockReferencePtr ref = OdDbBlockReference::cast(model[106].get());
    EXPECT_EQ(nameOf(ref->blockTableRecord), OdString("Valve"));
    EXPECT_EQ(entitiesOf(ref->blockTableRecord).size(), 1u);
    EXPECT_EQ(OdDbPoint::cast(model[107].get())->position, (OdGePoint3d{7, 7, 7}));
    if (!r12) { // the polyline loop as edges: a bulge of 1 is a half circle, counter-clockwise
      OdDbHatchPtr hatch = OdDbHatch::cast(model[108].get());
      ASSERT_TRUE(hatch && hatch->numLoops() == 1 && hatch->loops()[0].edges.size() == 3u);
      const OdDbHatch::Edge& arc = hatch->loops()[0].edges[1];
      EXPECT_EQ(arc.type, OdDbHatch::kCirArc);
      EXPECT_EQ(arc.center.x, 10.0);
      EXPECT_EQ(arc.center.y, 5.0);
      EXPECT_EQ(arc.radius, 5.0);
      EXPECT_NEAR(arc.endAngle - arc.startAngle, dxf::kPi, 1e-12);
      EXPECT_TRUE(arc.counterClockwise);
    }
    EXPECT_TRUE(OdDbLayerTableRecordPtr(open<OdDbLayerTableRecord>(line->layerId()))->color == OdCmColor::fromIndex(5));
  }

  // GDAL writes its own header template, release AC1015.
  if (!haveGdal())
    return;
  const QString csv = writeBytes(dir.filePath("points.csv"), "WKT,id\n\"LINESTRING (0 0,3 4)\",1\n\"POINT (5 6)\",2\n");
  const ProcessRun converted = runProcess("ogr2ogr", {"-f", "DXF", dir.filePath("from_gdal.dxf"), csv});
  ASSERT_EQ(converted.code, 0) << converted.err.toStdString();
  OdDbDatabasePtr db = readBack(readBytes(dir.filePath("from_gdal.dxf")).toStdString());
  const auto model = entitiesOf(db->getModelSpaceId());
  ASSERT_EQ(model.size(), 2u);
  OdDbPolylinePtr line = OdDbPolyline::cast(model[0].get());
  ASSERT_TRUE(line);
  ASSERT_EQ(line->points.size(), 2u);
  EXPECT_EQ(line->points[1].x, 3.0);
  EXPECT_EQ(line->points[1].y, 4.0);
  EXPECT_TRUE(OdDbPoint::cast(model[1].get()));
}

TEST_F(DxfReader, MalformedInputRaisesOdErrorAndNeverCrashes)
{
  const auto outcome = [](const std::string& bytes) { return errorOf([&] { readBack(bytes); }); };
  SampleDrawing drawing;
  const std::string good = drawing.write();
  ASSERT_EQ(outcome(good), eOk);

  // Cut anywhere before the last line break: an error, whether inside a section or between two.
  const size_t entities = good.find("ENTITIES");
  for (size_t cut = 0; cut + 1 < good.size(); cut += (cut < 600 || (cut > entities && cut < entities + 3000)) ? 1 : 97)
    EXPECT_EQ(outcome(good.substr(0, cut)), eBadDxfFile) << "cut at " << cut;
  EXPECT_EQ(outcome(good.substr(0, good.size() - 1)), eOk);

  EXPECT_EQ(outcome(""), eBadDxfFile);
  EXPECT_EQ(outcome("AutoCAD Binary DXF\r\n\x1a"), eBadDxfFile);
  EXPECT_EQ(outcome("0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1e999\n0\nENDSEC\n0\nEOF\n"), eBadDxfFile);
  EXPECT_EQ(outcome("0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nabc\n0\nENDSEC\n0\nEOF\n"), eBadDxfFile);
  EXPECT_EQ(outcome("0\nSECTION\n2\nENTITIES\n0\nLINE\n99999\n1\n0\nENDSEC\n0\nEOF\n"), eBadDxfFile);
  EXPECT_EQ(outcome("0\nSECTION\n2\nENTITIES\n0\nTEXT\n1\n" + std::string(100000, 'x') + "\n0\nENDSEC\n0\nEOF\n"), eBadDxfFile);
  // A count the data does not back allocates nothing.
  EXPECT_EQ(outcome("0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n90\n2000000000\n10\n1\n20\n2\n0\nENDSEC\n0\nEOF\n"), eOk);

  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    std::string bytes = good;
    for (int i = 0; i < 1 + round % 20; ++i)
      bytes[random() % bytes.size()] = char(random() % 256);
    const OdResult result = outcome(bytes);
    EXPECT_TRUE(result == eOk || result == eBadDxfFile) << odResultName(result);
  }
  std::string garbage(5000, '\0');
  for (char& c : garbage)
    c = char(random() % 256);
  EXPECT_EQ(outcome(garbage), eBadDxfFile);
}
