#include "LiveCounts.h"

#include <RxDictionary.h>
#include <RxObjectImpl.h>
#include <RxVariant.h>

namespace {

OdRxObjectPtr value(bool b)
{
  OdRxVariantPtr v = OdRxObjectImpl<OdRxVariant>::createObject();
  v->setBool(b);
  return v;
}

class VariantTest : public LiveCountsTest {};
class DictionaryTest : public LiveCountsTest {};

} // namespace

TEST_F(VariantTest, EachSetterIsReadBackByItsGetter)
{
  OdVariant v;
  EXPECT_EQ(v.varType(), OdVariant::kVoid);
  EXPECT_EQ(v.setString(OdString("plan.dgn")).getString(), OdString("plan.dgn"));
  EXPECT_EQ(v.varType(), OdVariant::kString);
  EXPECT_TRUE(v.setBool(true).getBool());
  EXPECT_EQ(v.setUInt8(255).getUInt8(), 255);
  EXPECT_EQ(v.setInt32(-7).getInt32(), -7);
  EXPECT_EQ(v.setDouble(0.5).getDouble(), 0.5);
  OdStringArray names{OdString("a"), OdString("b")};
  EXPECT_EQ(v.setStringArray(names).getStringArray(), names);
  EXPECT_EQ(v.setStringArray(OdStringArray()).getStringArray().size(), 0u);
}

TEST_F(VariantTest, ReadingAnotherTypeRaisesNotThatKindOfClass)
{
  OdVariant v;
  EXPECT_THROW(v.getBool(), OdError_NotThatKindOfClass) << "an empty variant has no value";
  v.setUInt8(1);
  EXPECT_THROW(v.getInt32(), OdError_NotThatKindOfClass) << "no silent widening";
  EXPECT_THROW(v.getBool(), OdError_NotThatKindOfClass);
  v.setBool(false);
  EXPECT_THROW(v.getString(), OdError_NotThatKindOfClass);
}

TEST_F(VariantTest, ValueObjectsAreCountedObjectsThatCastOrRaise)
{
  OdRxObjectPtr object = value(true);
  EXPECT_EQ(object->numRefs(), 1);
  OdRxVariantPtr v = object; // as a reader views a property value
  EXPECT_TRUE(v->getBool());
  OdRxDictionaryPtr notAVariant = odrxCreateRxDictionary();
  EXPECT_THROW(OdRxVariantPtr(notAVariant.get()), OdError_NotThatKindOfClass);
}

TEST_F(DictionaryTest, PutReplacesReturnsTheEarlierValueAndNullClears)
{
  OdRxDictionaryPtr properties = odrxCreateRxDictionary();
  EXPECT_TRUE(properties->getAt(OdString("DgnPath")).isNull());

  OdRxObjectPtr first = value(true);
  EXPECT_TRUE(properties->putAt(OdString("MasterUnit"), first.get()).isNull());
  EXPECT_EQ(first->numRefs(), 2) << "the dictionary holds its own reference";
  OdRxObjectPtr second = value(false);
  OdRxObjectPtr earlier = properties->putAt(OdString("MasterUnit"), second.get());
  EXPECT_EQ(earlier, first);
  earlier = nullptr;
  EXPECT_EQ(first->numRefs(), 1);
  EXPECT_FALSE(OdRxVariantPtr(properties->getAt(OdString("MasterUnit")))->getBool());

  EXPECT_TRUE(properties->getAt(OdString("masterunit")).isNull()) << "keys are case-sensitive";
  EXPECT_EQ(properties->putAt(OdString("MasterUnit"), nullptr), second);
  EXPECT_FALSE(properties->has(OdString("MasterUnit")));
  EXPECT_EQ(properties->numEntries(), 0u);
  EXPECT_EQ(second->numRefs(), 1);
}

TEST_F(DictionaryTest, ReleasingTheDictionaryReleasesItsValues)
{
  OdRxObjectPtr kept = value(true);
  {
    OdRxDictionaryPtr properties = odrxCreateRxDictionary();
    properties->putAt(OdString("A"), kept.get());
    properties->putAt(OdString("B"), value(false).get());
    OdUInt32 id = 99;
    properties->putAt(OdString("C"), value(true).get(), &id);
    EXPECT_EQ(id, 2u);
    EXPECT_EQ(properties->keys().size(), 3u);
  }
  EXPECT_EQ(kept->numRefs(), 1);
}
