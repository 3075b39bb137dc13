#include "LiveCounts.h"

#include <OdError.h>
#include <RxObjectImpl.h>

namespace {

class Shape : public OdRxObject {
  ODRX_DECLARE_MEMBERS(Shape);

public:
  int sides = 0;
};
typedef OdSmartPtr<Shape> ShapePtr;

class Square : public Shape {
  ODRX_DECLARE_MEMBERS(Square);
};
typedef OdSmartPtr<Square> SquarePtr;

class Unrelated : public OdRxObject {
  ODRX_DECLARE_MEMBERS(Unrelated);
};

ODRX_DEFINE_MEMBERS(Shape, OdRxObject)
ODRX_DEFINE_MEMBERS(Square, Shape)
ODRX_DEFINE_MEMBERS(Unrelated, OdRxObject)

class RxObject : public LiveCountsTest {};

} // namespace

TEST_F(RxObject, ClassDescriptorsAnswerKindAndNameAndQueriesAddAReferenceOrRaise)
{
  SquarePtr square = OdRxObjectImpl<Square>::createObject();
  EXPECT_EQ(square->isA(), Square::desc());
  EXPECT_EQ(square->isA()->name(), OdString("Square"));
  EXPECT_EQ(Square::desc()->myParent(), Shape::desc());
  EXPECT_TRUE(square->isKindOf(Shape::desc()));
  EXPECT_TRUE(square->isKindOf(OdRxObject::desc()));
  EXPECT_FALSE(square->isKindOf(Unrelated::desc()));

  OdRxObject* asShape = square->queryX(Shape::desc());
  ASSERT_EQ(asShape, square.get());
  EXPECT_EQ(square->numRefs(), 2);
  asShape->release();
  EXPECT_EQ(square->queryX(Unrelated::desc()), nullptr);
  EXPECT_EQ(square->numRefs(), 1);

  OdRxObjectPtr object = OdRxObjectImpl<Unrelated>::createObject();
  EXPECT_THROW(object->x(Shape::desc()), OdError_NotThatKindOfClass);
  EXPECT_THROW(ShapePtr{object}, OdError_NotThatKindOfClass) << "a Unrelated is not a Shape";
  EXPECT_TRUE(Shape::cast(object.get()).isNull()) << "cast answers null instead of raising";
  EXPECT_TRUE(Shape::cast(nullptr).isNull());
  EXPECT_EQ(object->numRefs(), 1) << "a failed query must not keep a reference";
}

TEST_F(RxObject, SmartPointersCountCopiesMovesAndDowncasts)
{
  OdRxObjectPtr base = OdRxObjectImpl<Square>::createObject();
  {
    SquarePtr square = base; // queried down
    EXPECT_EQ(base->numRefs(), 2);
    ShapePtr shape = square; // plain upcast
    EXPECT_EQ(base->numRefs(), 3);
    ShapePtr moved = std::move(shape);
    EXPECT_TRUE(shape.isNull());
    EXPECT_EQ(base->numRefs(), 3);
    moved = nullptr;
    EXPECT_EQ(base->numRefs(), 2);
  }
  EXPECT_EQ(base->numRefs(), 1);
  Square* raw = static_cast<Square*>(base.detach());
  EXPECT_EQ(raw->numRefs(), 1);
  SquarePtr attached(raw, kOdRxObjAttach);
  EXPECT_EQ(attached->numRefs(), 1);
}

TEST_F(RxObject, LiveCountFollowsHeapObjectsOnlyAndStaticObjectsIgnoreCounting)
{
  const long before = odrxLiveObjectCount();
  {
    ShapePtr a = OdRxObjectImpl<Shape>::createObject();
    ShapePtr b = OdRxObjectImpl<Square, Shape>::createObject();
    EXPECT_EQ(odrxLiveObjectCount(), before + 2);
    OdStaticRxObject<Square> member;
    EXPECT_EQ(odrxLiveObjectCount(), before + 2) << "members and statics are not released by anyone";
    member.addRef();
    member.release();
    member.release();
    ShapePtr shape(&member); // a counted reference to a static object must be harmless
    shape = nullptr;
    EXPECT_EQ(odrxLiveObjectCount(), before + 2);
    EXPECT_EQ(member.isA(), Square::desc());
  }
  EXPECT_EQ(odrxLiveObjectCount(), before);
}

TEST_F(RxObject, DefaultOperationsOfTheRoot)
{
  ShapePtr a = OdRxObjectImpl<Shape>::createObject();
  ShapePtr b = OdRxObjectImpl<Shape>::createObject();
  EXPECT_TRUE(a->isEqualTo(a.get()));
  EXPECT_FALSE(a->isEqualTo(b.get()));
  EXPECT_EQ(a->comparedTo(b.get()), -b->comparedTo(a.get()));
  EXPECT_THROW(a->clone(), OdError);
  EXPECT_NO_THROW(a->copyFrom(b.get()));
  OdRxObjectPtr other = OdRxObjectImpl<Unrelated>::createObject();
  EXPECT_THROW(a->copyFrom(other.get()), OdError_NotThatKindOfClass);
}
