#include "DxfTestSupport.h"
#include "LiveCounts.h"

#include <DxfReader.h>

#include <random>
#include <sstream>

using namespace dxftest;

namespace {

class DxfReader : public LiveCountsTest {};

OdDbDatabasePtr readBack(const std::string& bytes)
{
  OdStaticRxObject<MemoryStream> stream;
  stream.data = bytes;
  return dxf::readDrawing(stream);
}

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

OdDbObjectId find(OdDbObjectId tableId, const OdString& name)
{
  return open<OdDbSymbolTable>(tableId)->getAt(name);
}

void expectNear(const OdGePoint3d& a, const OdGePoint3d& b)
{
  EXPECT_NEAR(a.x, b.x, 1e-12);
  EXPECT_NEAR(a.y, b.y, 1e-12);
  EXPECT_NEAR(a.z, b.z, 1e-12);
}

void expectSameEntity(const OdDbEntity& a, const OdDbEntity& b)
{
  ASSERT_EQ(a.isA(), b.isA());
  EXPECT_EQ(nameOf(a.layerId()), nameOf(b.layerId()));
  EXPECT_EQ(a.linetypeId().isNull(), b.linetypeId().isNull());
  if (!a.linetypeId().isNull()) {
    EXPECT_EQ(nameOf(a.linetypeId()), nameOf(b.linetypeId()));
  }
  EXPECT_TRUE(a.color() == b.color());
  EXPECT_EQ(a.lineWeight(), b.lineWeight());
  EXPECT_EQ(a.isVisible(), b.isVisible());
  if (auto x = OdDbLine::cast(&a)) {
    auto y = OdDbLine::cast(&b);
    EXPECT_EQ(x->start, y->start);
    EXPECT_EQ(x->end, y->end);
  } else if (auto x = OdDbPoint::cast(&a)) {
    EXPECT_EQ(x->position, OdDbPoint::cast(&b)->position) << "shortest reals read back exactly";
  } else if (auto x = OdDbCircle::cast(&a)) {
    auto y = OdDbCircle::cast(&b);
    EXPECT_EQ(x->center, y->center);
    EXPECT_EQ(x->radius, y->radius);
  } else if (auto x = OdDbArc::cast(&a)) {
    auto y = OdDbArc::cast(&b);
    expectNear(x->center, y->center); // through the arc's own plane and back
    EXPECT_EQ(x->normal, y->normal);
    EXPECT_NEAR(x->startAngle, y->startAngle, 1e-14);
    EXPECT_NEAR(x->endAngle, y->endAngle, 1e-14);
  } else if (auto x = OdDbEllipse::cast(&a)) {
    auto y = OdDbEllipse::cast(&b);
    EXPECT_EQ(x->center, y->center);
    EXPECT_EQ(x->majorAxis, y->majorAxis);
    EXPECT_EQ(x->radiusRatio, y->radiusRatio);
    EXPECT_EQ(x->startParam, y->startParam);
    EXPECT_EQ(x->endParam, y->endParam);
  } else if (auto x = OdDbPolyline::cast(&a)) {
    auto y = OdDbPolyline::cast(&b);
    ASSERT_EQ(x->points.size(), y->points.size());
    for (size_t i = 0; i < x->points.size(); ++i) {
      EXPECT_EQ(x->points[i].x, y->points[i].x);
      EXPECT_EQ(x->points[i].y, y->points[i].y);
      EXPECT_EQ(x->bulgeAt(i), y->bulgeAt(i));
    }
    EXPECT_EQ(x->closed, y->closed);
    EXPECT_EQ(x->elevation(), y->elevation());
    EXPECT_EQ(x->normal(), y->normal());
  } else if (auto x = OdDb3dPolyline::cast(&a)) {
    EXPECT_EQ(x->vertices, OdDb3dPolyline::cast(&b)->vertices);
  } else if (auto x = OdDbPolyFaceMesh::cast(&a)) {
    auto y = OdDbPolyFaceMesh::cast(&b);
    EXPECT_EQ(x->vertices, y->vertices);
    ASSERT_EQ(x->faces.size(), y->faces.size());
    for (size_t i = 0; i < x->faces.size(); ++i)
      EXPECT_TRUE(std::equal(x->faces[i].vertices, x->faces[i].vertices + 4, y->faces[i].vertices)) << "face " << i;
  } else if (auto x = OdDbSpline::cast(&a)) {
    auto y = OdDbSpline::cast(&b);
    EXPECT_EQ(x->degree, y->degree);
    EXPECT_EQ(x->knots, y->knots);
    EXPECT_EQ(x->weights, y->weights);
    EXPECT_EQ(x->controlPoints, y->controlPoints);
  } else if (auto x = OdDbText::cast(&a)) {
    auto y = OdDbText::cast(&b);
    EXPECT_EQ(x->text, y->text) << "control characters and carets come back";
    expectNear(x->position, y->position); // through the text's own plane and back
    expectNear(x->alignmentPoint, y->alignmentPoint);
    EXPECT_EQ(x->normal, y->normal);
    EXPECT_EQ(x->horizontalMode, y->horizontalMode);
    EXPECT_EQ(x->verticalMode, y->verticalMode);
    EXPECT_NEAR(x->rotation, y->rotation, 1e-14);
    EXPECT_EQ(x->widthFactor, y->widthFactor);
    EXPECT_EQ(nameOf(x->textStyle), nameOf(y->textStyle));
  } else if (auto x = OdDbMText::cast(&a)) {
    auto y = OdDbMText::cast(&b);
    EXPECT_EQ(x->contents, y->contents) << "pieces joined without splitting characters";
    EXPECT_EQ(x->location, y->location);
    EXPECT_EQ(x->attachment, y->attachment);
    EXPECT_EQ(x->width, y->width);
    EXPECT_EQ(x->lineSpacingFactor, y->lineSpacingFactor);
    EXPECT_NEAR(x->rotation, y->rotation, 1e-14);
    EXPECT_EQ(x->normal, y->normal);
    EXPECT_EQ(nameOf(x->textStyle), nameOf(y->textStyle));
  } else if (auto x = OdDbBlockReference::cast(&a)) {
    auto y = OdDbBlockReference::cast(&b);
    EXPECT_EQ(nameOf(x->blockTableRecord), nameOf(y->blockTableRecord));
    expectNear(x->position, y->position);
    EXPECT_EQ(x->scale, y->scale);
    EXPECT_NEAR(x->rotation, y->rotation, 1e-14);
  } else {
    ADD_FAILURE() << "unexpected entity kind";
  }
}

void expectSameEntities(OdDbObjectId a, OdDbObjectId b)
{
  const auto x = entitiesOf(a), y = entitiesOf(b);
  ASSERT_EQ(x.size(), y.size());
  for (size_t i = 0; i < x.size(); ++i)
    expectSameEntity(*OdDbEntity::cast(x[i].get()), *OdDbEntity::cast(y[i].get()));
}

} // namespace

TEST_F(DxfReader, ReadsBackWhatTheWriterWrote)
{
  SampleDrawing drawing;
  const std::string written = drawing.write();
  OdDbDatabasePtr db = readBack(written);
  EXPECT_EQ(db->getInsertionUnits(), drawing.db->getInsertionUnits());

  expectSameEntities(drawing.db->getModelSpaceId(), db->getModelSpaceId());
  expectSameEntities(drawing.db->getPaperSpaceId(), db->getPaperSpaceId());
  for (const char* block : {"Door", "Wing"}) {
    const OdDbObjectId original = find(drawing.db->getBlockTableId(), OdString(block));
    const OdDbObjectId read = find(db->getBlockTableId(), OdString(block));
    ASSERT_FALSE(read.isNull()) << block;
    expectSameEntities(original, read);
    EXPECT_EQ(open<OdDbBlockTableRecord>(original)->origin, open<OdDbBlockTableRecord>(read)->origin);
  }

  for (OdDbObjectId id : open<OdDbSymbolTable>(drawing.db->getLayerTableId())->recordIds()) {
    OdDbLayerTableRecordPtr a = open<OdDbLayerTableRecord>(id);
    OdDbLayerTableRecordPtr b = open<OdDbLayerTableRecord>(find(db->getLayerTableId(), a->getName()));
    ASSERT_TRUE(b) << a->getName().toUtf8();
    EXPECT_TRUE(a->color == b->color);
    EXPECT_EQ(a->isOff, b->isOff);
    EXPECT_EQ(a->isFrozen, b->isFrozen);
    EXPECT_EQ(a->lineWeight, b->lineWeight);
    EXPECT_EQ(a->linetype.isNull() ? OdString("Continuous") : nameOf(a->linetype),
              b->linetype.isNull() ? OdString("Continuous") : nameOf(b->linetype));
  }
  OdDbLinetypeTableRecordPtr dashed = open<OdDbLinetypeTableRecord>(drawing.dashed);
  OdDbLinetypeTableRecordPtr readDashed = open<OdDbLinetypeTableRecord>(find(db->getLinetypeTableId(), dashed->getName()));
  ASSERT_TRUE(readDashed);
  EXPECT_EQ(readDashed->dashes, dashed->dashes);
  EXPECT_EQ(readDashed->description, dashed->description);
  OdDbTextStyleTableRecordPtr italic = open<OdDbTextStyleTableRecord>(drawing.italic);
  OdDbTextStyleTableRecordPtr readItalic = open<OdDbTextStyleTableRecord>(find(db->getTextStyleTableId(), italic->getName()));
  ASSERT_TRUE(readItalic);
  EXPECT_EQ(readItalic->fileName, italic->fileName);
  EXPECT_EQ(readItalic->xScale, italic->xScale);

  std::string crlf; // as Windows tools save it
  for (char c : written)
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(entitiesOf(readBack(crlf)->getModelSpaceId()).size(), entitiesOf(db->getModelSpaceId()).size());

  // Writing what was read gives the same file, but for the last bits of reals that went through
  // a tilted plane: nothing is lost or added on the way.
  OdStaticRxObject<MemoryStream> again;
  db->writeFile(&again, OdDb::kDxf, OdDb::kDHL_1032);
  std::istringstream first(written), second(again.data);
  std::string a, b;
  int lines = 0;
  while (std::getline(first, a)) {
    ASSERT_TRUE(std::getline(second, b)) << "shorter at line " << lines;
    if (a != b) {
      EXPECT_NEAR(std::stod(a), std::stod(b), 1e-12 * std::max(1.0, std::fabs(std::stod(a)))) << "line " << lines;
    }
    ++lines;
  }
  EXPECT_FALSE(std::getline(second, b)) << "longer";
}

TEST_F(DxfReader, ReadsWhatEzdxfAndGdalWrite)
{
  const std::string python = ezdxfPython();
  if (python.empty())
    GTEST_SKIP() << "no ezdxf";
  const std::string path = tempPath("from_ezdxf.dxf"), script = tempPath("make.py");
  saveFile(script, R"(
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
  doc.saveas(sys.argv[1] + version)
)");
  std::string out;
  ASSERT_TRUE(run(python + " " + script + " " + path, out)) << out;
  for (const char* version : {"R2018", "R2000", "R12"}) {
    SCOPED_TRACE(version);
    MemoryStream stream(loadFile(path + version));
    OdDbDatabasePtr db = dxf::readDrawing(stream);
    if (std::string(version) != "R12") { // no units before R2000
      EXPECT_EQ(db->getInsertionUnits(), OdDb::kUnitsMeters);
    }
    const auto model = entitiesOf(db->getModelSpaceId());
    ASSERT_EQ(model.size(), 108u);
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
    EXPECT_TRUE(OdDbLayerTableRecordPtr(open<OdDbLayerTableRecord>(line->layerId()))->color == OdCmColor::fromIndex(5));
    std::remove((path + version).c_str());
  }

  std::remove(script.c_str());

  // GDAL writes its own header template, release AC1015.
  if (!run("ogr2ogr --version", out))
    return;
  const std::string csv = tempPath("points.csv"), gdalDxf = tempPath("from_gdal.dxf");
  saveFile(csv, "WKT,id\n\"LINESTRING (0 0,3 4)\",1\n\"POINT (5 6)\",2\n");
  ASSERT_TRUE(run("ogr2ogr -f DXF " + gdalDxf + " " + csv, out)) << out;
  MemoryStream stream(loadFile(gdalDxf));
  OdDbDatabasePtr db = dxf::readDrawing(stream);
  const auto model = entitiesOf(db->getModelSpaceId());
  ASSERT_EQ(model.size(), 2u);
  OdDbPolylinePtr line = OdDbPolyline::cast(model[0].get());
  ASSERT_TRUE(line);
  ASSERT_EQ(line->points.size(), 2u);
  EXPECT_EQ(line->points[1].x, 3.0);
  EXPECT_EQ(line->points[1].y, 4.0);
  EXPECT_TRUE(OdDbPoint::cast(model[1].get()));
  std::remove(csv.c_str());
  std::remove(gdalDxf.c_str());
}

TEST_F(DxfReader, MalformedInputRaisesOdErrorAndNeverCrashes)
{
  auto outcome = [](const std::string& bytes) {
    try {
      readBack(bytes);
      return eOk;
    } catch (const OdError& e) {
      return e.code();
    }
  };
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
