#include "LiveCounts.h"

#include <OdError.h>
#include <ResBuf.h>

namespace {
class ResBufChain : public LiveCountsTest {};
}

TEST_F(ResBufChain, LinksBehindTheLastInOrder)
{
  OdResBufPtr head = OdResBuf::newRb(OdResBuf::kRtString, OdString("_-INSERTBLOCK"));
  for (const char* piece : {"/tmp/a.dwg", "_Scale", "2"})
    head->last()->setNext(OdResBuf::newRb(OdResBuf::kRtString, OdString(piece)).get());
  head->last()->setNext(OdResBuf::newRb(OdResBuf::kRtNone).get());

  std::vector<std::string> seen;
  OdResBufPtr rb = head;
  for (; rb && rb->restype() == OdResBuf::kRtString; rb = rb->next())
    seen.push_back(rb->getString().toUtf8());
  EXPECT_EQ(seen, (std::vector<std::string>{"_-INSERTBLOCK", "/tmp/a.dwg", "_Scale", "2"}));
  ASSERT_TRUE(rb);
  EXPECT_EQ(rb->restype(), OdResBuf::kRtNone);
  EXPECT_TRUE(rb->next().isNull());
  EXPECT_EQ(head->last(), rb);
}

TEST_F(ResBufChain, SetNextReturnsTheFormerTail)
{
  OdResBufPtr a = OdResBuf::newRb(OdResBuf::kRtString, OdString("a"));
  OdResBufPtr b = OdResBuf::newRb(OdResBuf::kRtString, OdString("b"));
  EXPECT_TRUE(a->setNext(b.get()).isNull());
  OdResBufPtr c = OdResBuf::newRb();
  EXPECT_EQ(a->setNext(c.get()), b);
  EXPECT_EQ(a->next(), c);
  EXPECT_EQ(b->numRefs(), 1) << "the unlinked tail is no longer held by the chain";
}

TEST_F(ResBufChain, GettersRefuseAnotherKindOfValue)
{
  OdResBufPtr rb = OdResBuf::newRb(OdResBuf::kRtNone);
  try {
    rb->getString();
    FAIL();
  } catch (const OdError& e) {
    EXPECT_EQ(e.code(), eInvalidResBuf);
  }
  rb->setDouble(2.5);
  EXPECT_EQ(rb->getDouble(), 2.5);
  EXPECT_THROW(rb->getInt32(), OdError);
  rb->setInt16(3);
  EXPECT_EQ(rb->getInt16(), 3);
}

TEST_F(ResBufChain, AVeryLongChainIsReleasedWithoutDeepRecursion)
{
  OdResBufPtr head = OdResBuf::newRb(OdResBuf::kRtString, OdString("x"));
  OdResBuf* tail = head.get();
  for (int i = 0; i < 1000000; ++i) {
    OdResBufPtr next = OdResBuf::newRb(OdResBuf::kRtInt32);
    tail->setNext(next.get());
    tail = next.get();
  }
  head = nullptr; // would overflow the stack if every link released the next one recursively
}

TEST_F(ResBufChain, AHeldMiddleLinkKeepsItsTail)
{
  OdResBufPtr head = OdResBuf::newRb(OdResBuf::kRtString, OdString("1"));
  OdResBufPtr middle = OdResBuf::newRb(OdResBuf::kRtString, OdString("2"));
  head->setNext(middle.get());
  middle->setNext(OdResBuf::newRb(OdResBuf::kRtString, OdString("3")).get());
  head = nullptr;
  ASSERT_TRUE(middle->next());
  EXPECT_EQ(middle->next()->getString(), OdString("3"));
}
