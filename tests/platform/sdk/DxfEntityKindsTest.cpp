// Hatches, attributes, extended data and dimensions: each kind in a drawing of its own, which
// ezdxf audits and reads back as built, the SDK's reader reads back, and another drawing inserts.
#include "DxfTestSupport.h"
#include "LiveCounts.h"

#include <QTemporaryDir>

#include <random>

using namespace dxftest;

namespace {

class DxfEntityKinds : public LiveCountsTest {};

// Prints the audit's errors and their count, then runs the case's own lines.
const std::string kEzdxfScript = kEzdxfPrologue + R"(msp = doc.modelspace()
print('extents', g(*doc.header['$EXTMIN'], *doc.header['$EXTMAX']))
exec(sys.argv[2])
)";

void drawHatch(OdDbDatabase& db)
{
  using Edge = OdDbHatch::Edge;
  OdDbHatchPtr hatch = append<OdDbHatch>(db.getModelSpaceId());
  hatch->setColor(OdCmColor::fromRGB(0x12, 0x34, 0x56));
  const double half = dxf::kPi / 2;
  hatch->appendLoop(OdDbHatch::kExternal | OdDbHatch::kOutermost,
                    {Edge::line({0, 0}, {10, 0}), Edge::arc({10, 5}, 5, -half, half), Edge::line({10, 10}, {0, 10}),
                     Edge::line({0, 10}, {0, 0})});
  hatch->appendLoop(OdDbHatch::kDefault, {Edge::arc({4, 5}, 1, half, -half, false), Edge::line({4, 4}, {4, 6})});
  hatch->appendLoop(OdDbHatch::kDefault, {Edge::ellipticalArc({7, 5}, {1, 0}, 0.5, 0, 2 * dxf::kPi)});
}

// A definition in the block, and two attributes of a reference: the second hidden, both turned.
void drawAttributes(OdDbDatabase& db)
{
  const OdDbObjectId valve = addRecord(db.getBlockTableId(), make<OdDbBlockTableRecord>().get(), "Valve");
  OdDbAttributeDefinitionPtr definition = append<OdDbAttributeDefinition>(valve);
  definition->tag = OdString("SIZE");
  definition->prompt = OdString("Size?");
  definition->text = OdString("DN50");
  definition->position = {1, 2, 0};
  definition->constant = true;
  OdDbBlockReferencePtr insert = append<OdDbBlockReference>(db.getModelSpaceId());
  insert->blockTableRecord = valve;
  insert->position = {100, 0, 0};
  for (const char* tag : {"SIZE", "ID"}) {
    OdDbAttributePtr attribute = make<OdDbAttribute>();
    attribute->tag = OdString(tag);
    attribute->text = OdString(tag[0] == 'S' ? "DN80" : "V-12");
    attribute->position = tag[0] == 'S' ? OdGePoint3d{101, 2, 0} : OdGePoint3d{103, 4, 0};
    attribute->rotation = dxf::kPi / 6;
    attribute->invisible = tag[0] == 'I';
    insert->appendAttribute(attribute.get());
  }
  EXPECT_EQ(errorOf([] { make<OdDbBlockReference>()->appendAttribute(make<OdDbAttribute>().get()); }), eNoDatabase);
}

// Tags as the DGN import keeps them, set over earlier ones; a chain setXData refuses leaves none.
void drawXData(OdDbDatabase& db)
{
  db.newRegApp(OdString("DGN_TAGS"));
  OdDbLinePtr line = append<OdDbLine>(db.getModelSpaceId());
  line->end = {1, 1, 0};
  const auto chain = [](const char* app, std::initializer_list<std::pair<int, const char*>> strings, bool numbers) {
    OdResBufPtr head = OdResBuf::newRb(OdResBuf::kDxfRegAppName, OdString(app)), last = head;
    const auto add = [&last](OdResBufPtr rb) { last->setNext(rb.get()), last = rb; };
    for (const auto& [type, text] : strings)
      add(OdResBuf::newRb(type, OdString(text)));
    if (numbers) {
      add(OdResBuf::newRb(OdResBuf::kDxfXdReal)), last->setDouble(2.5);
      add(OdResBuf::newRb(OdResBuf::kDxfXdInteger16)), last->setInt16(3);
      add(OdResBuf::newRb(OdResBuf::kDxfXdInteger32)), last->setInt32(70000);
    }
    return head;
  };
  EXPECT_EQ(errorOf([&] { line->setXData(chain("OTHER", {{1000, "x"}}, false).get()); }), eRegappIdNotFound);
  EXPECT_EQ(errorOf([&] { line->setXData(chain("DGN_TAGS", {{1005, "1F"}}, false).get()); }), eInvalidResBuf);
  line->setXData(chain("DGN_TAGS", {{1000, "Old"}}, false).get());
  line->setXData(chain("DGN_TAGS", {{1000, "Name"}, {1000, "Valve 12"}}, true).get());
  EXPECT_TRUE(line->xData(OdString("OTHER")).isNull());
}

// One dimension of each kind, the i-th drawn by a block of its own: a line from (i, 0) to (i, -1).
void drawDimensions(OdDbDatabase& db)
{
  std::vector<OdDbObjectId> blocks;
  for (int i = 0; i < 7; ++i) {
    blocks.push_back(addRecord(db.getBlockTableId(), make<OdDbBlockTableRecord>().get(), "*D"));
    OdDbLinePtr line = append<OdDbLine>(blocks.back());
    line->start = {double(i), 0, 0};
    line->end = {double(i), -1, 0};
  }
  const OdDbObjectId model = db.getModelSpaceId();
  OdDbRotatedDimensionPtr rotated = append<OdDbRotatedDimension>(model);
  rotated->xLine1Point = {0, 0, 0}, rotated->xLine2Point = {10, 0, 0}, rotated->dimLinePoint = {0, 5, 0};
  rotated->rotation = dxf::kPi / 2;
  rotated->dimensionText = OdString("<> mm");
  OdDbAlignedDimensionPtr aligned = append<OdDbAlignedDimension>(model);
  aligned->xLine1Point = {1, 1, 0}, aligned->xLine2Point = {4, 5, 0}, aligned->dimLinePoint = {2, 6, 0};
  aligned->textAtUserPosition = true;
  OdDb2LineAngularDimensionPtr twoLines = append<OdDb2LineAngularDimension>(model);
  twoLines->xLine1Start = {0, 0, 0}, twoLines->xLine1End = {5, 0, 0};
  twoLines->xLine2Start = {0, 0, 0}, twoLines->xLine2End = {3, 4, 0}, twoLines->arcPoint = {2, 1, 0};
  OdDb3PointAngularDimensionPtr threePoints = append<OdDb3PointAngularDimension>(model);
  threePoints->centerPoint = {1, 1, 0}, threePoints->xLine1Point = {4, 1, 0}, threePoints->xLine2Point = {1, 4, 0};
  threePoints->arcPoint = {3, 3, 0};
  OdDbRadialDimensionPtr radial = append<OdDbRadialDimension>(model);
  radial->center = {5, 5, 0}, radial->chordPoint = {8, 9, 0}, radial->leaderLength = 2;
  OdDbDiametricDimensionPtr diametric = append<OdDbDiametricDimension>(model);
  diametric->chordPoint = {2, 5, 0}, diametric->farChordPoint = {8, 5, 0}, diametric->leaderLength = 1;
  OdDbOrdinateDimensionPtr ordinate = append<OdDbOrdinateDimension>(model);
  ordinate->origin = {0, 0, 0}, ordinate->definingPoint = {3, 2, 0}, ordinate->leaderEndPoint = {3, 6, 0};
  ordinate->usingXAxis = true;
  ordinate->textRotation = dxf::kPi / 4;
  int i = 0;
  for (OdDbObjectId id : open<OdDbBlockTableRecord>(model)->entityIds()) {
    OdDbDimensionPtr dimension = open<OdDbDimension>(id);
    dimension->setDimBlockId(blocks[i]);
    dimension->textPosition = {double(i), 7, 0};
    dimension->measurement = ++i;
  }
}

} // namespace

TEST_F(DxfEntityKinds, AreAuditedAndReadByEzdxfReadBackAndInserted)
{
  const QString python = ezdxfPython();
  const struct {
    const char* kind;
    void (*draw)(OdDbDatabase&);
    const char* ezdxf;    // lines of Python that print what ezdxf reads
    const char* marker;   // a line of each such entity, which an inserting drawing has as often
    const char* expected; // what they print
  } cases[] = {
    {"hatch", drawHatch, R"(
h = msp[0]
f = {'LineEdge': lambda e: g(*e.start, *e.end), 'ArcEdge': lambda e: g(*e.center, e.radius, e.start_angle, e.end_angle, e.ccw),
     'EllipseEdge': lambda e: g(*e.center, *e.major_axis, e.ratio, e.start_angle, e.end_angle, e.ccw)}
print(h.dxf.solid_fill, h.dxf.pattern_name, h.dxf.true_color, h.dxf.associative)
for p in h.paths: print(p.path_type_flags, ' / '.join(f[e.EDGE_TYPE](e) for e in p.edges))
)", "\nHATCH\n", R"(errors 0
extents 0 0 0 15 10 0
1 SOLID 1193046 0
17 0 0 10 0 / 10 5 5 -90 90 1 / 10 10 0 10 / 0 10 0 0
0 4 5 1 -90 90 0 / 4 4 4 6
0 7 5 1 0 0.5 0 360 1
)"},
    {"attributes", drawAttributes, R"(
d = doc.blocks.get('Valve').query('ATTDEF')[0]
print(d.dxf.tag, d.dxf.prompt, d.dxf.text, g(*d.dxf.insert), d.is_const, d.is_invisible)
for a in msp[0].attribs: print(a.dxf.tag, a.dxf.text, g(*a.dxf.insert, a.dxf.rotation), a.is_invisible)
)", "\nATTRIB\n", R"(errors 0
extents 101 2 0 103 4 0
SIZE Size? DN50 1 2 0 True False
SIZE DN80 101 2 0 30 False
ID V-12 103 4 0 30 True
)"},
    {"extended data", drawXData, R"(
print([a.dxf.name for a in doc.appids], ' '.join('%d=%s' % (t.code, t.value) for t in msp[0].get_xdata('DGN_TAGS')))
)", "\n1001\nDGN_TAGS\n", R"(errors 0
extents 0 0 0 1 1 0
['ACAD', 'DGN_TAGS'] 1000=Name 1000=Valve 12 1040=2.5 1070=3 1071=70000
)"},
    {"dimensions", drawDimensions, R"(
p = lambda *v: ' '.join(g(q.x, q.y) for q in v)
for d in msp: x = d.dxf; print(x.dimtype, x.geometry, x.dimstyle, p(x.defpoint, x.text_midpoint, x.defpoint2, x.defpoint3, x.defpoint4, x.defpoint5),
  g(x.get('angle', 0), x.get('leader_length', 0), x.actual_measurement, x.get('text_rotation', 0)), x.get('text'))
)", "\nDIMENSION\n", R"(errors 0
extents 0 -1 0 6 0 0
32 *D1 Standard 0 5 0 7 0 0 10 0 0 0 0 0 90 0 1 0 <> mm
161 *D2 Standard 2 6 1 7 1 1 4 5 0 0 0 0 0 0 2 0 None
34 *D3 Standard 3 4 2 7 0 0 5 0 0 0 2 1 0 0 3 0 None
37 *D4 Standard 3 3 3 7 4 1 1 4 1 1 0 0 0 0 4 0 None
36 *D5 Standard 5 5 4 7 0 0 0 0 8 9 0 0 0 2 5 0 None
35 *D6 Standard 8 5 5 7 0 0 0 0 2 5 0 0 0 1 6 0 None
102 *D7 Standard 0 0 6 7 3 2 3 6 0 0 0 0 0 0 7 45 None
)"},
  };
  QTemporaryDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    OdDbDatabasePtr db = make<OdDbDatabase>();
    c.draw(*db);
    const std::string written = dxfOf(*db);
    if (!python.isEmpty()) {
      const QString path = writeBytes(dir.filePath("kind.dxf"), QByteArray::fromStdString(written));
      const ProcessRun read = runProcess(python, {"-X", "utf8", "-c", kEzdxfScript.c_str(), path, c.ezdxf});
      EXPECT_EQ(read.out.toStdString(), c.expected) << read.err.toStdString();
    }
    OdDbDatabasePtr back = readBack(written);
    expectSameDrawing(written, dxfOf(*back));
    std::mt19937 random(7); // and damaged, it is refused or read, never a crash
    for (int round = 0; round < 200; ++round) {
      std::string bytes = written;
      for (int i = 0; i < 1 + round % 10; ++i)
        bytes[random() % bytes.size()] = char(random() % 256);
      const OdResult result = errorOf([&] { readBack(bytes); });
      EXPECT_TRUE(result == eOk || result == eBadDxfFile) << odResultName(result);
    }
    OdDbDatabasePtr host = make<OdDbDatabase>();
    host->insert(OdString("Inserted"), back.get());
    EXPECT_EQ(occurrences(dxfOf(*host), c.marker), occurrences(written, c.marker));
  }
  if (python.isEmpty())
    GTEST_SKIP() << "no ezdxf: the drawings were read back by the SDK only";
}
