// The host's drawing commands, run through its command line as typed lines.
#include <DrawingScene.h>
#include <HostCommands.h>
#include <HostSession.h>
#include <ProcessRun.h>
#include <TestFiles.h>

#include <DbDatabase.h>
#include <DbDimension.h>
#include <DbHatch.h>
#include <RxObjectImpl.h>

#include <QImage>
#include <QLineF>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

class HostCommandsTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(dir.isValid());
    QObject::connect(&session.commandLine(), &hostapp::CommandLine::printed,
                     [this](const QString& line) { printed << line; });
    // A converted sample: what IMPORTDGN hands the host to insert.
    plan = dir.filePath("plan.dwg");
    const ProcessRun made = runProcess(QStringLiteral(DGN_BIN_DIR "/dgninfo"),
                                       {QStringLiteral(DGN_SOURCE_DIR "/samples/plan.dgn"), "--convert", plan});
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
  }

  // Types the lines and waits until the command line is idle again.
  void type(const QStringList& lines)
  {
    hostapp::CommandLine& line = session.commandLine();
    for (const QString& typed : lines)
      line.type(typed);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !line.isBusy() && !line.hasQueuedInput(); }, 20000)) << "still busy";
  }

  std::vector<OdDbBlockReferencePtr> references()
  {
    std::vector<OdDbBlockReferencePtr> found;
    OdDbBlockTableRecordPtr model(session.document().database()->getModelSpaceId().openObject());
    for (OdDbObjectId id : model->entityIds())
      if (OdDbBlockReferencePtr reference = OdDbBlockReference::cast(id.openObject().get()))
        found.push_back(reference);
    return found;
  }

  hostapp::HostSession session;
  QTemporaryDir dir;
  QString plan;
  QStringList printed;
};

TEST_F(HostCommandsTest, InsertsADrawingAsABlockWithItsScaleAngleAndPointThatPicturesShow)
{
  type({"-INSERTBLOCK", plan, "_Scale", "2", "_Angle", "30", "10,20,0"});
  ASSERT_EQ(references().size(), 1u) << printed.join('\n').toStdString();
  const OdDbBlockReferencePtr first = references()[0];
  EXPECT_EQ(first->scale, (OdGeVector3d{2, 2, 2}));
  EXPECT_NEAR(first->rotation, M_PI / 6, 1e-12) << "degrees without a suffix";
  EXPECT_EQ(first->position, (OdGePoint3d{10, 20, 0}));
  OdDbBlockTableRecordPtr block(first->blockTableRecord.openObject());
  EXPECT_EQ(block->getName(), OdString("plan"));
  EXPECT_FALSE(block->entityIds().empty());

  type({"_-INSERTBLOCK " + plan, "A", "0.5r", "1,2"});
  ASSERT_EQ(references().size(), 2u);
  EXPECT_EQ(references()[1]->blockTableRecord, first->blockTableRecord) << "one definition, two references";
  EXPECT_EQ(references()[1]->rotation, 0.5);
  EXPECT_EQ(references()[1]->scale.x, 1.0);
  EXPECT_TRUE(printed.contains("Block \"plan\" exists: using its definition."));

  // What SAVEAS writes is read back by the dgnhost process tests.
  const QString saved = dir.filePath("out.dxf"), picture = dir.filePath("out.png");
  type({"SAVEAS " + saved, "PNGOUT " + picture + " 320x200"});
  EXPECT_TRUE(printed.contains(QString("Saved \"%1\".").arg(saved))) << printed.join('\n').toStdString();
  const QImage image(picture);
  ASSERT_EQ(image.size(), QSize(320, 200));
  int dark = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      dark += qGray(image.pixel(x, y)) < 128;
  EXPECT_GT(dark, 100);
  EXPECT_LT(dark, image.width() * image.height()) << "not one flat colour";
}

TEST_F(HostCommandsTest, UnreadableDrawingsChangeNothingAndBadAnswersAreAskedAgain)
{
  const QString garbage = writeBytes(dir.filePath("garbage.dwg"), "0\nSECTION\n2\nNOTHING\n");
  type({"-INSERTBLOCK", garbage, "0,0", "-INSERTBLOCK", dir.filePath("missing.dwg"), "0,0"});
  EXPECT_TRUE(references().empty());
  EXPECT_EQ(printed.filter("Cannot read drawing").size(), 2) << printed.join('\n').toStdString();
  OdDbBlockTablePtr blocks(session.document().database()->getBlockTableId().openObject());
  EXPECT_TRUE(blocks->getAt(OdString("garbage")).isNull());

  type({"-INSERTBLOCK", plan, "_Scale", "zero", "_Scale", "0", "_Scale", "", "here", "3,4,5"});
  ASSERT_EQ(references().size(), 1u);
  EXPECT_EQ(references()[0]->scale, (OdGeVector3d{1, 1, 1}));
  EXPECT_EQ(references()[0]->position, (OdGePoint3d{3, 4, 5}));
  EXPECT_EQ(printed.filter("Requires").size(), 3);

  // FILEDIA, typed as CAD users do: 0 or 1; an empty answer keeps the value.
  OdDbHostAppServices* host = GetFxSystemServices()->getHostAppServices();
  EXPECT_EQ(host->getFILEDIA(), 1);
  type({"FILEDIA", "2", "0"});
  EXPECT_EQ(host->getFILEDIA(), 0);
  EXPECT_TRUE(printed.contains("Requires an integer between 0 and 1."));
  EXPECT_TRUE(printed.contains("Enter new value for FILEDIA <1>: "));
  type({"FILEDIA 1", "FILEDIA", ""});
  EXPECT_EQ(host->getFILEDIA(), 1);
}

TEST(HostCommandAnswers, PointsAndAnglesAsTyped)
{
  EXPECT_EQ(hostapp::HostCommands::parsePoint("1.5,-2")->y, -2.0);
  EXPECT_EQ(hostapp::HostCommands::parsePoint(" 1, 2 , 3")->z, 3.0);
  for (const char* bad : {"1", "1,2,3,4", "1,x"})
    EXPECT_FALSE(hostapp::HostCommands::parsePoint(bad)) << bad;
  EXPECT_NEAR(*hostapp::HostCommands::parseAngle("90"), M_PI / 2, 1e-15);
  EXPECT_EQ(*hostapp::HostCommands::parseAngle("0.25r"), 0.25);
  EXPECT_FALSE(hostapp::HostCommands::parseAngle("r"));
}

TEST(DrawingScene, BlockReferencesPlaceTheirContentsAndCyclesEnd)
{
  OdDbDatabasePtr db = OdStaticRxObject<OdDbHostAppServices>().createDatabase();
  OdDbBlockTableRecordPtr loop = OdRxObjectImpl<OdDbBlockTableRecord>::createObject();
  loop->setName(OdString("Loop"));
  loop->origin = OdGePoint3d{1, 0, 0};
  const OdDbObjectId loopId = OdDbBlockTablePtr(db->getBlockTableId().openObject(OdDb::kForWrite))->add(loop.get());
  OdDbLinePtr line = OdRxObjectImpl<OdDbLine>::createObject();
  line->start = OdGePoint3d{1, 0, 0};
  line->end = OdGePoint3d{2, 0, 0};
  loop->appendOdDbEntity(line.get());
  OdDbBlockReferencePtr inner = OdRxObjectImpl<OdDbBlockReference>::createObject();
  inner->blockTableRecord = loopId;
  loop->appendOdDbEntity(inner.get());
  OdDbBlockReferencePtr outer = OdRxObjectImpl<OdDbBlockReference>::createObject();
  outer->blockTableRecord = loopId;
  outer->position = OdGePoint3d{10, 10, 0};
  outer->rotation = M_PI / 2;
  outer->scale = OdGeVector3d{3, 3, 3};
  OdDbBlockTableRecordPtr(db->getModelSpaceId().openObject(OdDb::kForWrite))->appendOdDbEntity(outer.get());

  hostapp::DrawingScene scene;
  scene.build(*db);
  ASSERT_EQ(scene.paths().size(), 1u) << "the block drawn once, its reference to itself not followed";
  const QPolygonF& drawn = scene.paths()[0].points;
  EXPECT_LT(QLineF(drawn[0], {10, 10}).length(), 1e-12) << "the base point lands on the insertion point";
  EXPECT_LT(QLineF(drawn[1], {10, 13}).length(), 1e-12) << "rotated a quarter turn and scaled three times";
}

TEST(DrawingScene, DimensionsShowTheirBlockAndHatchesTheirFilledLoops)
{
  OdDbDatabasePtr db = OdStaticRxObject<OdDbHostAppServices>().createDatabase();
  OdDbBlockTableRecordPtr drawing = OdRxObjectImpl<OdDbBlockTableRecord>::createObject();
  drawing->setName(OdString("*D"));
  OdDbBlockTablePtr(db->getBlockTableId().openObject(OdDb::kForWrite))->add(drawing.get());
  OdDbLinePtr line = OdRxObjectImpl<OdDbLine>::createObject();
  line->end = OdGePoint3d{5, 0, 0};
  drawing->appendOdDbEntity(line.get());
  OdDbRotatedDimensionPtr dimension = OdRxObjectImpl<OdDbRotatedDimension>::createObject();
  dimension->setDimBlockId(drawing->objectId());
  // A half disc below the x axis: from (1, 0) clockwise to (-1, 0), then back along the axis.
  OdDbHatchPtr hatch = OdRxObjectImpl<OdDbHatch>::createObject();
  hatch->appendLoop(OdDbHatch::kExternal, {OdDbHatch::Edge::arc({0, 0}, 1, 0, -M_PI, false),
                                           OdDbHatch::Edge::line({-1, 0}, {1, 0})});
  OdDbBlockTableRecordPtr model(db->getModelSpaceId().openObject(OdDb::kForWrite));
  model->appendOdDbEntity(dimension.get());
  model->appendOdDbEntity(hatch.get());

  hostapp::DrawingScene scene;
  scene.build(*db);
  ASSERT_EQ(scene.paths().size(), 2u);
  EXPECT_EQ(scene.paths()[0].points.back(), QPointF(5, 0)) << "the dimension's block, in the world";
  EXPECT_TRUE(scene.paths()[1].filled);
  const QPolygonF& loop = scene.paths()[1].points;
  EXPECT_LT(QLineF(loop.front(), {1, 0}).length(), 1e-12);
  const auto [low, high] = std::minmax_element(loop.begin(), loop.end(), [](QPointF a, QPointF b) { return a.y() < b.y(); });
  EXPECT_NEAR(low->y(), -1.0, 1e-3) << "clockwise: through the bottom";
  EXPECT_LT(high->y(), 1e-12);
}

} // namespace
