#pragma once
// Shared by the DXF writer and reader tests: an in-memory stream, a drawing with every entity
// kind, and running the independent readers (ezdxf, GDAL) on a written file.
#include <DbDatabase.h>
#include <DxfCodes.h>
#include <DxfReader.h>
#include <OdError.h>
#include <OdStreamBuf.h>
#include <RxObjectImpl.h>

#include <GdalDgn.h>
#include <ProcessRun.h>
#include <TestFiles.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>

namespace dxftest {

// The start of every ezdxf script: reads the file named first, prints the audit's errors and
// their count, and defines g, which prints reals as %.9g.
inline const std::string kEzdxfPrologue = R"(
import sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
for e in auditor.errors: print('error', e)
print('errors', len(auditor.errors))
g = lambda *v: ' '.join('%.9g' % x for x in v)
)";

class MemoryStream : public OdStreamBuf {
public:
  void putBytes(const void* buffer, OdUInt32 n) override { data.append(static_cast<const char*>(buffer), n); }
  OdUInt32 getBytes(void* buffer, OdUInt32 n) override
  {
    const size_t count = std::min<size_t>(n, data.size() - pos);
    std::memcpy(buffer, data.data() + pos, count);
    pos += count;
    return static_cast<OdUInt32>(count);
  }
  bool isEof() override { return pos >= data.size(); }
  OdUInt64 tell() override { return pos; }
  OdUInt64 length() override { return data.size(); }
  void addRef() override {}
  void release() override {}

  std::string data;
  size_t pos = 0;
};

template <class T>
OdSmartPtr<T> make()
{
  return OdRxObjectImpl<T>::createObject();
}

template <class T>
OdSmartPtr<T> open(OdDbObjectId id)
{
  return T::cast(id.openObject(OdDb::kForWrite).get());
}

inline OdDbObjectId addRecord(OdDbObjectId tableId, OdDbSymbolTableRecord* record, const char* name)
{
  record->setName(OdString(name));
  return open<OdDbSymbolTable>(tableId)->add(record);
}

// Adds a new entity of kind T to the block `owner` and hands it back to be shaped.
template <class T>
OdSmartPtr<T> append(OdDbObjectId owner)
{
  OdSmartPtr<T> entity = make<T>();
  open<OdDbBlockTableRecord>(owner)->appendOdDbEntity(entity.get());
  return entity;
}

// The drawing `db` as DXF text.
inline std::string dxfOf(OdDbDatabase& db, int precision = 16)
{
  OdStaticRxObject<MemoryStream> stream;
  db.writeFile(&stream, OdDb::kDxf, OdDb::kDHL_1032, false, precision);
  return stream.data;
}

inline size_t occurrences(const std::string& text, const std::string& what)
{
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

// The drawing the SDK's own reader makes of DXF text.
inline OdDbDatabasePtr readBack(const std::string& bytes)
{
  OdStaticRxObject<MemoryStream> stream;
  stream.data = bytes;
  return dxf::readDrawing(stream);
}

// The same DXF text line by line, but for the last bits of reals that went through a tilted plane.
inline void expectSameDrawing(const std::string& expected, const std::string& actual)
{
  std::istringstream first(expected), second(actual);
  std::string a, b;
  for (int line = 0; std::getline(first, a); ++line) {
    ASSERT_TRUE(std::getline(second, b)) << "shorter at line " << line;
    if (a == b)
      continue;
    size_t endA = 0, endB = 0;
    double x = 0, y = 0;
    try {
      x = std::stod(a, &endA);
      y = std::stod(b, &endB);
    } catch (const std::exception&) {
    }
    ASSERT_TRUE(endA == a.size() && endB == b.size()) << "line " << line << ": \"" << b << "\" for \"" << a << "\"";
    EXPECT_NEAR(x, y, 1e-12 * std::max(1.0, std::fabs(x))) << "line " << line;
  }
  EXPECT_FALSE(std::getline(second, b)) << "longer";
}

// One of each entity kind in model space, a block "Door" with a line and a circle that model
// space references twice (the second time through the nested block "Wing"), and a circle in
// paper space. Names are chosen for the tests that look them up.
struct SampleDrawing {
  OdDbDatabasePtr db = OdRxObjectImpl<OdDbDatabase>::createObject();
  OdDbObjectId walls, dashed, door, wing, italic;

  SampleDrawing()
  {
    db->setInsertionUnits(OdDb::kUnitsMillimeters);
    OdDbLinetypeTableRecordPtr lt = make<OdDbLinetypeTableRecord>();
    lt->description = OdString("Dashed __ __");
    lt->dashes = {0.5, -0.25, 0.0, -0.25};
    dashed = addRecord(db->getLinetypeTableId(), lt.get(), "DASHED2");

    OdDbLayerTableRecordPtr layer = make<OdDbLayerTableRecord>();
    layer->color = OdCmColor::fromIndex(3);
    layer->linetype = dashed;
    layer->lineWeight = 35;
    layer->isOff = true;
    walls = addRecord(db->getLayerTableId(), layer.get(), "Wände");
    OdDbLayerTableRecordPtr frozen = make<OdDbLayerTableRecord>();
    frozen->color = OdCmColor::fromRGB(10, 200, 30);
    frozen->isFrozen = true;
    addRecord(db->getLayerTableId(), frozen.get(), "Frozen");

    OdDbTextStyleTableRecordPtr style = make<OdDbTextStyleTableRecord>();
    style->fileName = OdString("arial.ttf");
    style->xScale = 0.8;
    italic = addRecord(db->getTextStyleTableId(), style.get(), "Italic");

    OdDbBlockTableRecordPtr doorBlock = make<OdDbBlockTableRecord>();
    doorBlock->origin = {1.0, 2.0, 0.0};
    door = addRecord(db->getBlockTableId(), doorBlock.get(), "Door");
    OdDbLinePtr leaf = append<OdDbLine>(door);
    leaf->end = {0.0, 900.0, 0.0};
    leaf->setColor(OdCmColor::byBlock());
    OdDbCirclePtr knob = append<OdDbCircle>(door);
    knob->center = {0.0, 450.0, 0.0};
    knob->radius = 20.0;
    wing = addRecord(db->getBlockTableId(), make<OdDbBlockTableRecord>().get(), "Wing");
    append<OdDbBlockReference>(wing)->blockTableRecord = door;

    const OdDbObjectId model = db->getModelSpaceId();
    OdDbLinePtr line = append<OdDbLine>(model);
    line->start = {1.0, 2.0, 3.0};
    line->end = {4.0, 5.0, 6.0};
    line->setLayer(walls);
    line->setLinetype(dashed);
    line->setColor(OdCmColor::fromIndex(1));
    line->setLineWeight(50);
    OdDbPointPtr point = append<OdDbPoint>(model);
    point->position = {0.1, 1.0 / 3.0, -7.5};
    point->setVisibility(false);
    OdDbCirclePtr circle = append<OdDbCircle>(model);
    circle->center = {10.0, 20.0, 0.0};
    circle->radius = 5.0;
    circle->setColor(OdCmColor::fromRGB(0x12, 0x34, 0x56));
    OdDbArcPtr arc = append<OdDbArc>(model);
    arc->center = {3.0, 4.0, 5.0};
    arc->radius = 2.0;
    arc->startAngle = 0.5;
    arc->endAngle = 2.5;
    arc->normal = {0.0, 0.6, 0.8}; // tilted: its centre goes through the plane's own axes
    OdDbEllipsePtr ellipse = append<OdDbEllipse>(model);
    ellipse->center = {-5.0, -5.0, 0.0};
    ellipse->majorAxis = {3.0, 0.0, 0.0};
    ellipse->radiusRatio = 0.5;
    ellipse->startParam = 0.25;
    ellipse->endParam = 3.0;
    OdDbPolylinePtr pline = append<OdDbPolyline>(model);
    pline->points = {{0.0, 0.0}, {10.0, 0.0}, {10.0, 10.0}, {0.0, 10.0}};
    pline->setBulgeAt(1, 0.5);
    pline->setBulgeAt(2, -1.0);
    pline->closed = true;
    pline->setPlane(2.5, OdGeVector3d::zAxis());
    append<OdDb3dPolyline>(model)->vertices = {{0.0, 0.0, 0.0}, {1.0, 2.0, 3.0}, {4.0, 5.0, 6.0}};
    OdDbPolyFaceMeshPtr mesh = append<OdDbPolyFaceMesh>(model); // a square and a triangle above it
    mesh->vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0.5, 0.5, 1}};
    mesh->faces = {{{0, 1, 2, 3}}, {{0, 1, 4, -1}}};
    OdDbSplinePtr spline = append<OdDbSpline>(model);
    spline->degree = 3;
    spline->controlPoints = {{0, 0, 0}, {1, 2, 0}, {3, 2, 0}, {4, 0, 0}};
    spline->knots = {0, 0, 0, 0, 1, 1, 1, 1};
    spline->weights = {1.0, 0.5, 0.5, 1.0};
    OdDbTextPtr text = append<OdDbText>(model);
    text->position = {7.0, 8.0, 0.0};
    text->alignmentPoint = {9.0, 8.0, 0.0};
    text->horizontalMode = OdDb::kTextCenter;
    text->verticalMode = OdDb::kTextTop;
    text->height = 2.5;
    text->rotation = dxf::kPi / 6;
    text->widthFactor = 0.9;
    text->text = OdString("Tür ^ 10%\tGröße");
    text->textStyle = italic;
    text->normal = {0.0, -0.6, 0.8}; // tilted: its points go through the plane's own axes
    OdDbMTextPtr mtext = append<OdDbMText>(model);
    mtext->location = {20.0, 30.0, 0.0};
    mtext->textHeight = 3.5;
    mtext->width = 40.0;
    mtext->rotation = 0.25;
    mtext->attachment = OdDbMText::kMiddleCenter;
    mtext->lineSpacingFactor = 1.5;
    std::string contents = "First line\\P";
    for (int i = 0; i < 130; ++i)
      contents += "äö"; // multibyte characters across the 250-byte pieces
    mtext->contents = OdString(contents.c_str());
    mtext->textStyle = italic;
    mtext->normal = {0.6, 0.0, 0.8}; // its rotation turns in that plane
    OdDbBlockReferencePtr insert = append<OdDbBlockReference>(model);
    insert->blockTableRecord = door;
    insert->position = {100.0, 200.0, 0.0};
    insert->scale = {2.0, 3.0, 1.0};
    insert->rotation = dxf::kPi / 2;
    OdDbBlockReferencePtr wingRef = append<OdDbBlockReference>(model);
    wingRef->blockTableRecord = wing;
    wingRef->position = {-100.0, 0.0, 0.0};

    OdDbCirclePtr sheet = append<OdDbCircle>(db->getPaperSpaceId());
    sheet->center = {50.0, 50.0, 0.0};
    sheet->radius = 1.0;
  }

  std::string write(int precision = 16) const { return dxfOf(*db, precision); }
};

// A Python with ezdxf (the system one carries it), or empty.
inline QString ezdxfPython()
{
  for (const char* python : {"/usr/bin/python3", "python3"})
    if (runProcess(python, {"-c", "import ezdxf"}).code == 0)
      return python;
  return {};
}

} // namespace dxftest
