#include "LiveCounts.h"

#include <DbDatabase.h>
#include <OdError.h>
#include <RxObjectImpl.h>

namespace {

class DbInsert : public LiveCountsTest {
protected:
  OdDbDatabasePtr newDrawing() { return OdStaticRxObject<OdDbHostAppServices>().createDatabase(); }

  template <class T>
  static OdSmartPtr<T> open(OdDbObjectId id)
  {
    return OdSmartPtr<T>(T::cast(id.openObject(OdDb::kForWrite).get()));
  }
  template <class Record>
  static OdDbObjectId addRecord(OdDbObjectId table, const char* name)
  {
    OdSmartPtr<Record> record = OdRxObjectImpl<Record>::createObject();
    record->setName(OdString(name));
    return open<OdDbSymbolTable>(table)->add(record.get());
  }
  template <class Entity>
  static OdSmartPtr<Entity> append(OdDbObjectId block)
  {
    OdSmartPtr<Entity> entity = OdRxObjectImpl<Entity>::createObject();
    open<OdDbBlockTableRecord>(block)->appendOdDbEntity(entity.get());
    return entity;
  }
};

} // namespace

TEST_F(DbInsert, ModelSpaceBecomesABlockWithTheRecordsItUses)
{
  OdDbDatabasePtr source = newDrawing();
  const OdDbObjectId dashed = addRecord<OdDbLinetypeTableRecord>(source->getLinetypeTableId(), "DASHED");
  const OdDbObjectId walls = addRecord<OdDbLayerTableRecord>(source->getLayerTableId(), "Walls");
  const OdDbObjectId doors = addRecord<OdDbLayerTableRecord>(source->getLayerTableId(), "Doors");
  open<OdDbLayerTableRecord>(doors)->linetype = dashed;
  const OdDbObjectId door = addRecord<OdDbBlockTableRecord>(source->getBlockTableId(), "Door");
  append<OdDbCircle>(door)->radius = 0.45;
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

  OdDbDatabasePtr target = newDrawing();
  const OdDbObjectId ownWalls = addRecord<OdDbLayerTableRecord>(target->getLayerTableId(), "WALLS");
  const OdDbObjectId plan = target->insert(OdString("plan"), source.get());

  OdDbBlockTableRecordPtr block = open<OdDbBlockTableRecord>(plan);
  EXPECT_EQ(block->getName(), OdString("plan"));
  ASSERT_EQ(block->entityIds().size(), 2u) << "erased entities stay behind";
  OdDbLinePtr copiedLine = open<OdDbLine>(block->entityIds()[0]);
  ASSERT_FALSE(copiedLine.isNull());
  EXPECT_EQ(copiedLine->end.y, 4.0);
  EXPECT_EQ(copiedLine->layerId(), ownWalls) << "a layer the drawing has is used as it is";
  OdDbBlockReferencePtr copiedReference = open<OdDbBlockReference>(block->entityIds()[1]);
  ASSERT_FALSE(copiedReference.isNull());
  OdDbLayerTableRecordPtr copiedDoors = open<OdDbLayerTableRecord>(copiedReference->layerId());
  EXPECT_EQ(copiedDoors->database(), target.get());
  EXPECT_EQ(copiedDoors->getName(), OdString("Doors"));
  EXPECT_EQ(open<OdDbLinetypeTableRecord>(copiedDoors->linetype)->getName(), OdString("DASHED"));
  OdDbBlockTableRecordPtr copiedDoor = open<OdDbBlockTableRecord>(copiedReference->blockTableRecord);
  EXPECT_EQ(copiedDoor->database(), target.get());
  EXPECT_EQ(copiedDoor->getName(), OdString("Door"));
  ASSERT_EQ(copiedDoor->entityIds().size(), 2u);
  EXPECT_EQ(open<OdDbCircle>(copiedDoor->entityIds()[0])->radius, 0.45);
  swing->setBulgeAt(1, 0.0);
  swing->setPlane(0.0, OdGeVector3d::zAxis());
  OdDbPolylinePtr copiedSwing = open<OdDbPolyline>(copiedDoor->entityIds()[1]);
  ASSERT_FALSE(copiedSwing.isNull());
  EXPECT_EQ(copiedSwing->points.size(), 3u);
  EXPECT_EQ(copiedSwing->bulgeAt(0), 0.0);
  EXPECT_EQ(copiedSwing->bulgeAt(1), 0.4142) << "the copy keeps its own bulges, plane and points";
  EXPECT_EQ(copiedSwing->elevation(), -2.0);
  EXPECT_EQ(copiedSwing->normal(), (OdGeVector3d{0.0, 1.0, 0.0}));

  EXPECT_EQ(open<OdDbBlockTableRecord>(source->getModelSpaceId())->entityIds().size(), 3u) << "the source is kept";
  EXPECT_THROW(target->insert(OdString("PLAN"), source.get()), OdError);
}

TEST_F(DbInsert, ABlockThatReferencesItselfIsCopiedOnce)
{
  OdDbDatabasePtr source = newDrawing();
  const OdDbObjectId loop = addRecord<OdDbBlockTableRecord>(source->getBlockTableId(), "Loop");
  append<OdDbBlockReference>(loop)->blockTableRecord = loop;
  append<OdDbBlockReference>(source->getModelSpaceId())->blockTableRecord = loop;

  OdDbDatabasePtr target = newDrawing();
  const OdDbObjectId plan = target->insert(OdString("plan"), source.get());
  OdDbBlockReferencePtr outer = open<OdDbBlockReference>(open<OdDbBlockTableRecord>(plan)->entityIds()[0]);
  OdDbBlockTableRecordPtr copied = open<OdDbBlockTableRecord>(outer->blockTableRecord);
  EXPECT_EQ(open<OdDbBlockReference>(copied->entityIds()[0])->blockTableRecord, outer->blockTableRecord);
}
