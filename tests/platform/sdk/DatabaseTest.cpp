// The drawing database: symbol tables looked up by name, handles, and inserting one drawing into
// another as a block.
#include "DxfTestSupport.h"
#include "LiveCounts.h"

#include <string>
#include <vector>

using namespace dxftest;

namespace {

class Database : public LiveCountsTest {
protected:
  void SetUp() override
  {
    LiveCountsTest::SetUp();
    db = newDrawing();
  }
  void TearDown() override
  {
    db = nullptr;
    LiveCountsTest::TearDown();
  }

  static OdDbDatabasePtr newDrawing() { return OdStaticRxObject<OdDbHostAppServices>().createDatabase(); }
  template <class Record = OdDbBlockTableRecord>
  static OdDbObjectId add(OdDbObjectId table, const char* name)
  {
    return addRecord(table, make<Record>().get(), name);
  }
  static OdDbObjectId addBlock(const OdDbDatabasePtr& to, const char* name) { return add(to->getBlockTableId(), name); }
  OdDbObjectId lookUp(const char* name, bool erased = false) const
  {
    return open<OdDbSymbolTable>(db->getBlockTableId())->getAt(OdString(name), erased);
  }

  OdDbDatabasePtr db;
};

} // namespace

TEST_F(Database, NamesIgnoreCaseSkipErasedRecordsFollowRenamesAndRefuseDuplicates)
{
  EXPECT_EQ(lookUp("*MODEL_SPACE"), db->getModelSpaceId());
  EXPECT_EQ(lookUp("*Paper_Space"), db->getPaperSpaceId());
  EXPECT_EQ(OdDbObjectPtr(db->getModelSpaceId().openObject())->ownerId(), db->getBlockTableId());

  const OdDbObjectId id = addBlock(db, "plan_Default_m");
  EXPECT_EQ(lookUp("plan_Default_m"), id);
  EXPECT_TRUE(lookUp("plan_Default_mm").isNull());
  EXPECT_THROW(addBlock(db, "PLAN_default_M"), OdError);
  id.openObject(OdDb::kForWrite)->erase();
  EXPECT_TRUE(lookUp("plan_Default_m").isNull());
  EXPECT_EQ(lookUp("plan_Default_m", true), id);
  EXPECT_TRUE(id.isErased() && !id.isValid());
  EXPECT_THROW(id.openObject(), OdError);
  EXPECT_TRUE(id.safeOpenObject().isNull());
  EXPECT_TRUE(id.openObject(OdDb::kForRead, true)->isErased());
  const OdDbObjectId again = addBlock(db, "plan_Default_m"); // an erased name may be reused
  EXPECT_NE(again, id);
  EXPECT_EQ(lookUp("plan_Default_m"), again);

  open<OdDbBlockTableRecord>(again)->setName(OdString("Cell_B"));
  EXPECT_TRUE(lookUp("plan_Default_m").isNull());
  EXPECT_EQ(lookUp("CELL_b"), again);
  EXPECT_NO_THROW(addBlock(db, "plan_Default_m")) << "the old name is free again";
  EXPECT_THROW(addBlock(db, "cell_b"), OdError);

  // Renaming many records among many others: every record stays found by its present name alone.
  std::vector<OdDbObjectId> ids;
  for (int i = 0; i < 3000; ++i)
    ids.push_back(addBlock(db, ("N" + std::to_string(i)).c_str()));
  for (int i = 0; i < 3000; i += 3)
    open<OdDbBlockTableRecord>(ids[i])->setName(OdString(("R" + std::to_string(i)).c_str()));
  for (int i = 0; i < 3000; ++i) {
    const std::string number = std::to_string(i);
    ASSERT_EQ(lookUp(((i % 3 ? "N" : "R") + number).c_str()), ids[i]) << i;
    ASSERT_TRUE(lookUp(((i % 3 ? "R" : "N") + number).c_str()).isNull()) << i;
  }
  EXPECT_EQ(errorOf([] { OdDbObjectId().openObject(); }), eNullObjectId);
}

TEST_F(Database, HandlesFindTheirObjectsAndInsertionUnitsKeepOnlyKnownValues)
{
  const OdDbObjectId a = addBlock(db, "A"), b = addBlock(db, "B");
  EXPECT_NE(a.getHandle(), b.getHandle());
  EXPECT_EQ(db->getOdDbObjectId(a.getHandle()), a);
  EXPECT_TRUE(db->getOdDbObjectId(0).isNull());
  EXPECT_TRUE(db->getOdDbObjectId(db->handseed()).isNull());
  // Ids find their handle and database from where they sit, across many pages of them.
  for (int i = 0; i < 20000; ++i)
    append<OdDbLine>(db->getModelSpaceId());
  OdDbDatabasePtr other = newDrawing();
  for (OdDbHandle handle = 1; handle < db->handseed(); ++handle) {
    const OdDbObjectId id = db->getOdDbObjectId(handle);
    ASSERT_EQ(id.getHandle(), handle);
    ASSERT_EQ(id.database(), db.get());
    ASSERT_EQ(id.openObject()->objectId(), id);
  }
  EXPECT_EQ(other->getModelSpaceId().database(), other.get());

  EXPECT_EQ(db->getInsertionUnits(), OdDb::kUnitsUndefined);
  db->setInsertionUnits(OdDb::kUnitsMillimeters);
  EXPECT_THROW(db->setInsertionUnits(static_cast<OdDb::UnitsValue>(22)), OdError);
  EXPECT_THROW(db->setInsertionUnits(static_cast<OdDb::UnitsValue>(-1)), OdError);
  EXPECT_EQ(db->getInsertionUnits(), OdDb::kUnitsMillimeters);
}

TEST_F(Database, InsertMakesModelSpaceABlockWithTheRecordsItUsesAndCopiesALoopOnce)
{
  OdDbDatabasePtr source = newDrawing();
  const OdDbObjectId dashed = add<OdDbLinetypeTableRecord>(source->getLinetypeTableId(), "DASHED");
  const OdDbObjectId walls = add<OdDbLayerTableRecord>(source->getLayerTableId(), "Walls");
  const OdDbObjectId doors = add<OdDbLayerTableRecord>(source->getLayerTableId(), "Doors");
  open<OdDbLayerTableRecord>(doors)->linetype = dashed;
  const OdDbObjectId door = addBlock(source, "Door");
  append<OdDbCircle>(door)->radius = 0.45;
  append<OdDbBlockReference>(door)->blockTableRecord = door; // a block that holds itself
  OdDbPolylinePtr swing = append<OdDbPolyline>(door);
  swing->addVertex({0.0, 0.0});
  swing->addVertex({1.0, 0.0}, 0.4142);
  swing->addVertex({0.0, 1.0});
  swing->setPlane(-2.0, {0.0, 1.0, 0.0});
  OdDbLinePtr line = append<OdDbLine>(source->getModelSpaceId());
  line->setLayer(walls);
  line->end = OdGePoint3d{3, 4, 0};
  OdDbBlockReferencePtr reference = append<OdDbBlockReference>(source->getModelSpaceId());
  reference->blockTableRecord = door;
  reference->setLayer(doors);
  append<OdDbPoint>(source->getModelSpaceId())->erase();

  const OdDbObjectId ownWalls = add<OdDbLayerTableRecord>(db->getLayerTableId(), "WALLS");
  OdDbBlockTableRecordPtr block = open<OdDbBlockTableRecord>(db->insert(OdString("plan"), source.get()));
  EXPECT_EQ(block->getName(), OdString("plan"));
  ASSERT_EQ(block->entityIds().size(), 2u) << "erased entities stay behind";
  OdDbLinePtr copiedLine = open<OdDbLine>(block->entityIds()[0]);
  ASSERT_FALSE(copiedLine.isNull());
  EXPECT_EQ(copiedLine->end.y, 4.0);
  EXPECT_EQ(copiedLine->layerId(), ownWalls) << "a layer the drawing has is used as it is";
  OdDbBlockReferencePtr copiedReference = open<OdDbBlockReference>(block->entityIds()[1]);
  ASSERT_FALSE(copiedReference.isNull());
  OdDbLayerTableRecordPtr copiedDoors = open<OdDbLayerTableRecord>(copiedReference->layerId());
  EXPECT_EQ(copiedDoors->database(), db.get());
  EXPECT_EQ(copiedDoors->getName(), OdString("Doors"));
  EXPECT_EQ(open<OdDbLinetypeTableRecord>(copiedDoors->linetype)->getName(), OdString("DASHED"));
  OdDbBlockTableRecordPtr copiedDoor = open<OdDbBlockTableRecord>(copiedReference->blockTableRecord);
  EXPECT_EQ(copiedDoor->database(), db.get());
  EXPECT_EQ(copiedDoor->getName(), OdString("Door"));
  ASSERT_EQ(copiedDoor->entityIds().size(), 3u);
  EXPECT_EQ(open<OdDbCircle>(copiedDoor->entityIds()[0])->radius, 0.45);
  EXPECT_EQ(open<OdDbBlockReference>(copiedDoor->entityIds()[1])->blockTableRecord, copiedReference->blockTableRecord)
    << "the loop is copied once and points at its copy";
  swing->setBulgeAt(1, 0.0);
  swing->setPlane(0.0, OdGeVector3d::zAxis());
  OdDbPolylinePtr copiedSwing = open<OdDbPolyline>(copiedDoor->entityIds()[2]);
  ASSERT_FALSE(copiedSwing.isNull());
  EXPECT_EQ(copiedSwing->points.size(), 3u);
  EXPECT_EQ(copiedSwing->bulgeAt(0), 0.0);
  EXPECT_EQ(copiedSwing->bulgeAt(1), 0.4142) << "the copy keeps its own bulges, plane and points";
  EXPECT_EQ(copiedSwing->elevation(), -2.0);
  EXPECT_EQ(copiedSwing->normal(), (OdGeVector3d{0.0, 1.0, 0.0}));

  EXPECT_EQ(open<OdDbBlockTableRecord>(source->getModelSpaceId())->entityIds().size(), 3u) << "the source is kept";
  EXPECT_THROW(db->insert(OdString("PLAN"), source.get()), OdError);
}

TEST_F(Database, PolylinePointsKeepTheirValuesThroughCopiesGrowthAndReassignment)
{
  OdTightArray<OdGePoint2d> points;
  for (int i = 1; i <= 1024; ++i) // full: room for 4, 8, ... 1024
    points.push_back({double(i), -double(i)});
  points.push_back(points.front()); // from its own storage as it grows
  OdTightArray<OdGePoint2d> copy = points;
  copy.assign(copy.begin() + 1, copy.end()); // from its own storage, shorter
  OdTightArray<OdGePoint2d> moved = std::move(points);
  points = {{7.0, 8.0}};
  const OdTightArray<OdGePoint2d>& same = moved;
  moved = same;
  ASSERT_EQ(moved.size(), 1025u);
  ASSERT_EQ(copy.size(), 1024u);
  for (size_t i = 0; i < 1024; ++i) {
    ASSERT_EQ(moved[i].y, -double(i + 1));
    ASSERT_EQ(copy[i].x, i < 1023 ? double(i + 2) : 1.0);
  }
  EXPECT_EQ(moved.back().x, 1.0);
  EXPECT_EQ(points.size(), 1u);
  EXPECT_EQ(points.front().y, 8.0);
}
