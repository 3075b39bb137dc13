#include "LiveCounts.h"

#include <DbDatabase.h>
#include <OdError.h>
#include <RxObjectImpl.h>

#include <chrono>
#include <string>

namespace {

class Database : public LiveCountsTest {};

OdDbBlockTablePtr blockTable(const OdDbDatabasePtr& db)
{
  return OdDbBlockTablePtr(db->getBlockTableId().openObject(OdDb::kForRead));
}

OdDbObjectId addBlock(const OdDbDatabasePtr& db, const char* name)
{
  OdDbBlockTableRecordPtr block = OdRxObjectImpl<OdDbBlockTableRecord>::createObject();
  block->setName(OdString(name));
  return OdDbBlockTablePtr(db->getBlockTableId().openObject(OdDb::kForWrite))->add(block.get());
}

} // namespace

TEST_F(Database, ANewDrawingHasModelAndPaperSpace)
{
  OdDbDatabasePtr db = OdStaticRxObject<OdDbHostAppServices>().createDatabase();
  OdDbBlockTablePtr blocks = blockTable(db);
  EXPECT_EQ(blocks->getAt(OdString("*Model_Space")), db->getModelSpaceId());
  EXPECT_EQ(blocks->getAt(OdString("*MODEL_SPACE")), db->getModelSpaceId()) << "names ignore case";
  EXPECT_EQ(blocks->getAt(OdString("*Paper_Space")), db->getPaperSpaceId());
  EXPECT_TRUE(db->getModelSpaceId().isValid());
  EXPECT_EQ(db->getModelSpaceId().database(), db.get());
  EXPECT_EQ(OdDbObjectPtr(db->getModelSpaceId().openObject())->ownerId(), db->getBlockTableId());
}

TEST_F(Database, LookUpSkipsErasedRecordsUnlessAskedFor)
{
  OdDbDatabasePtr db = OdStaticRxObject<OdDbHostAppServices>().createDatabase();
  const OdDbObjectId id = addBlock(db, "plan_Default_m");
  EXPECT_EQ(blockTable(db)->getAt(OdString("plan_Default_m")), id);
  EXPECT_TRUE(blockTable(db)->getAt(OdString("plan_Default_mm")).isNull());
  EXPECT_FALSE(blockTable(db)->getAt(OdString("missing")).isValid());

  id.openObject(OdDb::kForWrite)->erase();
  EXPECT_TRUE(blockTable(db)->getAt(OdString("plan_Default_m")).isNull());
  EXPECT_EQ(blockTable(db)->getAt(OdString("plan_Default_m"), true), id);
  EXPECT_FALSE(id.isValid());
  EXPECT_TRUE(id.isErased());
  EXPECT_THROW(id.openObject(), OdError);
  EXPECT_TRUE(id.safeOpenObject().isNull());
  EXPECT_TRUE(id.openObject(OdDb::kForRead, true)->isErased());

  const OdDbObjectId again = addBlock(db, "plan_Default_m"); // an erased name may be reused
  EXPECT_NE(again, id);
  EXPECT_EQ(blockTable(db)->getAt(OdString("plan_Default_m")), again);
}

TEST_F(Database, RenamedRecordsAreFoundByTheirNewNameOnly)
{
  OdDbDatabasePtr db = OdStaticRxObject<OdDbHostAppServices>().createDatabase();
  const OdDbObjectId id = addBlock(db, "cell_A");
  OdDbBlockTableRecordPtr(id.openObject(OdDb::kForWrite))->setName(OdString("Cell_B"));
  EXPECT_TRUE(blockTable(db)->getAt(OdString("cell_A")).isNull());
  EXPECT_EQ(blockTable(db)->getAt(OdString("CELL_b")), id);
  EXPECT_NO_THROW(addBlock(db, "cell_A")) << "the old name is free again";
  EXPECT_THROW(addBlock(db, "cell_b"), OdError);
}

TEST_F(Database, ManyBlocksAreAddedInLinearTime)
{
  // A drawing of many cells must not slow down with every block added: four times the blocks
  // take about four times as long (sixteen if each addition looked at all before it), however
  // fast or busy the machine.
  const auto secondsFor = [](int blocks) {
    OdDbDatabasePtr db = OdStaticRxObject<OdDbHostAppServices>().createDatabase();
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < blocks; ++i)
      addBlock(db, ("cell_" + std::to_string(i)).c_str());
    EXPECT_FALSE(blockTable(db)->getAt(OdString(("CELL_" + std::to_string(blocks - 1)).c_str())).isNull());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  };
  const double few = secondsFor(5000), many = secondsFor(20000);
  EXPECT_LT(many, 8 * few + 0.05) << few << " s for 5,000 blocks, " << many << " s for 20,000";
}

TEST_F(Database, DuplicateNamesAndNullIdsAreRefused)
{
  OdDbDatabasePtr db = OdStaticRxObject<OdDbHostAppServices>().createDatabase();
  addBlock(db, "A");
  EXPECT_THROW(addBlock(db, "a"), OdError);
  try {
    OdDbObjectId().openObject();
    FAIL();
  } catch (const OdError& e) {
    EXPECT_EQ(e.code(), eNullObjectId);
  }
  EXPECT_FALSE(OdDbObjectId::kNull.isValid());
}

TEST_F(Database, HandlesAreUniqueAndFindTheirObjects)
{
  OdDbDatabasePtr db = OdStaticRxObject<OdDbHostAppServices>().createDatabase();
  const OdDbObjectId a = addBlock(db, "A");
  const OdDbObjectId b = addBlock(db, "B");
  EXPECT_NE(a.getHandle(), b.getHandle());
  EXPECT_EQ(db->getOdDbObjectId(a.getHandle()), a);
  EXPECT_TRUE(db->getOdDbObjectId(0).isNull());
  EXPECT_TRUE(db->getOdDbObjectId(db->handseed()).isNull());
}

TEST_F(Database, InsertionUnitsKeepOnlyKnownValues)
{
  OdDbDatabasePtr db = OdStaticRxObject<OdDbHostAppServices>().createDatabase();
  EXPECT_EQ(db->getInsertionUnits(), OdDb::kUnitsUndefined);
  db->setInsertionUnits(OdDb::kUnitsMillimeters);
  EXPECT_EQ(db->getInsertionUnits(), OdDb::kUnitsMillimeters);
  EXPECT_THROW(db->setInsertionUnits(static_cast<OdDb::UnitsValue>(22)), OdError);
  EXPECT_THROW(db->setInsertionUnits(static_cast<OdDb::UnitsValue>(-1)), OdError);
  EXPECT_EQ(db->getInsertionUnits(), OdDb::kUnitsMillimeters);
}
