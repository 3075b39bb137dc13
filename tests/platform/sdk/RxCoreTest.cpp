// The SDK's core as the product leans on it: the counted heap, counted objects and their
// queries, variants and dictionaries, result-buffer chains, strings and the Windows shims.
#include "LiveCounts.h"

#include <OdArray.h>
#include <OdError.h>
#include <ResBuf.h>
#include <RxDictionary.h>
#include <RxObjectImpl.h>
#include <RxVariant.h>
#include <WinPort.h>

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace {

class Shape : public OdRxObject {
  ODRX_DECLARE_MEMBERS(Shape);
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

OdRxObjectPtr value(bool b)
{
  OdRxVariantPtr v = OdRxObjectImpl<OdRxVariant>::createObject();
  v->setBool(b);
  return v;
}

class RxCore : public LiveCountsTest {};

} // namespace

TEST_F(RxCore, CountsEveryLiveBlockAndExhaustionRaisesBadAllocLeavingNothingCounted)
{
  const long before = odrxLiveBlockCount();
  void* a = odrxAlloc(16);
  void* b = odrxAlloc(0); // a zero-byte request still gives a distinct, freeable block
  EXPECT_NE(a, b);
  EXPECT_EQ(odrxLiveBlockCount(), before + 2);
  b = odrxRealloc(b, 1024, 0);
  EXPECT_EQ(odrxLiveBlockCount(), before + 2) << "growing a block keeps it one block";
  EXPECT_THROW(odrxRealloc(b, SIZE_MAX, 1024), std::bad_alloc);
  odrxFree(a);
  odrxFree(b); // still valid after the failed growth
  odrxFree(nullptr);
  EXPECT_THROW(odrxAlloc(SIZE_MAX), std::bad_alloc);
  EXPECT_THROW(odrxAlloc(SIZE_MAX / 2 + 1), std::bad_alloc);
  {
    std::vector<int, OdrxAllocator<int>> v(100, 7);
    EXPECT_GT(odrxLiveBlockCount(), before) << "standard containers on the SDK heap";
    EXPECT_THROW(OdrxAllocator<double>().allocate(SIZE_MAX / 4), std::bad_alloc);
  }
}

// Blocks from the pools by size never overlap, whatever the size and however many threads take
// and give them back at once, and each is counted until it is freed.
TEST_F(RxCore, SizedBlocksNeverOverlapAndAreCountedAcrossThreads)
{
  const auto churn = [](unsigned seed) {
    std::vector<std::pair<unsigned char*, size_t>> held;
    for (unsigned i = 0; i < 20000; ++i) {
      const size_t size = 1 + (i * 7919u + seed * 104729u) % 700; // across the pooled sizes and beyond
      auto* block = static_cast<unsigned char*>(odrxAllocSized(size));
      std::fill(block, block + size, static_cast<unsigned char>(i));
      held.emplace_back(block, size);
      if (i % 3 == 2) { // give back an older one, so freed blocks are handed out again
        auto& [old, oldSize] = held[held.size() / 2];
        odrxFreeSized(old, oldSize);
        held.erase(held.begin() + std::ptrdiff_t(held.size() / 2));
      }
    }
    bool intact = true;
    for (const auto& [block, size] : held) {
      intact = intact && std::all_of(block, block + size, [&](unsigned char c) { return c == block[0]; });
      odrxFreeSized(block, size);
    }
    return intact;
  };
  std::vector<std::thread> threads;
  std::atomic<int> broken{0};
  for (unsigned t = 0; t < 4; ++t)
    threads.emplace_back([&, t] { broken += churn(t) ? 0 : 1; });
  for (std::thread& thread : threads)
    thread.join();
  EXPECT_EQ(broken.load(), 0) << "a block was handed out twice";
  odrxFreeSized(nullptr, 24);
}

TEST_F(RxCore, ClassDescriptorsAnswerKindAndQueriesAddAReferenceOrRaise)
{
  SquarePtr square = OdRxObjectImpl<Square>::createObject();
  EXPECT_EQ(square->isA()->name(), OdString("Square"));
  EXPECT_EQ(Square::desc()->myParent(), Shape::desc());
  EXPECT_TRUE(square->isKindOf(Shape::desc()) && square->isKindOf(OdRxObject::desc()));
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
  EXPECT_THROW(square->clone(), OdError);
  EXPECT_THROW(square->copyFrom(object.get()), OdError_NotThatKindOfClass);
}

TEST_F(RxCore, SmartPointersCountCopiesMovesAndDowncastsAndStaticObjectsIgnoreCounting)
{
  const long before = odrxLiveObjectCount();
  OdRxObjectPtr base = OdRxObjectImpl<Square>::createObject();
  {
    SquarePtr square = base; // queried down
    ShapePtr shape = square; // plain upcast
    EXPECT_EQ(base->numRefs(), 3);
    ShapePtr moved = std::move(shape);
    EXPECT_TRUE(shape.isNull());
    EXPECT_EQ(base->numRefs(), 3);
    moved = nullptr;
    EXPECT_EQ(base->numRefs(), 2);
  }
  EXPECT_EQ(base->numRefs(), 1);
  SquarePtr attached(static_cast<Square*>(base.detach()), kOdRxObjAttach);
  EXPECT_EQ(attached->numRefs(), 1);
  EXPECT_EQ(odrxLiveObjectCount(), before + 1);

  OdStaticRxObject<Square> member;
  EXPECT_EQ(odrxLiveObjectCount(), before + 1) << "members and statics are not released by anyone";
  member.addRef();
  member.release();
  member.release();
  ShapePtr shape(&member); // a counted reference to a static object must be harmless
  shape = nullptr;
  EXPECT_EQ(member.isA(), Square::desc());
}

TEST_F(RxCore, VariantsReadOnlyTheirOwnTypeAndValueObjectsQueryAsVariants)
{
  OdVariant v;
  EXPECT_THROW(v.getBool(), OdError_NotThatKindOfClass) << "an empty variant has no value";
  v.setUInt8(1);
  EXPECT_THROW(v.getInt32(), OdError_NotThatKindOfClass) << "no silent widening";
  EXPECT_THROW(v.getBool(), OdError_NotThatKindOfClass);
  OdStringArray names{OdString("a"), OdString("b")};
  EXPECT_EQ(v.setStringArray(names).getStringArray(), names);
  EXPECT_THROW(v.getString(), OdError_NotThatKindOfClass);

  OdRxObjectPtr object = value(true);
  OdRxVariantPtr asVariant = object; // as a reader views a property value
  EXPECT_TRUE(asVariant->getBool());
  EXPECT_EQ(object->numRefs(), 2);
}

TEST_F(RxCore, DictionaryPutsReplaceReturnTheEarlierValueNullClearsAndReleasingReleasesThem)
{
  OdRxObjectPtr first = value(true), second = value(false);
  {
    OdRxDictionaryPtr properties = odrxCreateRxDictionary();
    EXPECT_TRUE(properties->putAt(OdString("MasterUnit"), first.get()).isNull());
    EXPECT_EQ(first->numRefs(), 2) << "the dictionary holds its own reference";
    EXPECT_EQ(properties->putAt(OdString("MasterUnit"), second.get()), first);
    EXPECT_EQ(first->numRefs(), 1);
    EXPECT_FALSE(OdRxVariantPtr(properties->getAt(OdString("MasterUnit")))->getBool());
    EXPECT_TRUE(properties->getAt(OdString("masterunit")).isNull()) << "keys are case-sensitive";
    EXPECT_EQ(properties->putAt(OdString("MasterUnit"), nullptr), second);
    EXPECT_FALSE(properties->has(OdString("MasterUnit")));
    EXPECT_EQ(properties->numEntries(), 0u);

    properties->putAt(OdString("A"), first.get());
    properties->putAt(OdString("B"), value(false).get());
    OdUInt32 id = 99;
    properties->putAt(OdString("C"), value(true).get(), &id);
    EXPECT_EQ(id, 2u);
    EXPECT_EQ(properties->keys().size(), 3u);
  }
  EXPECT_EQ(first->numRefs(), 1);
  EXPECT_EQ(second->numRefs(), 1);
}

TEST_F(RxCore, ResultBufferChainsLinkInOrderReleaseTheirTailsAndCheckTheirKind)
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
  EXPECT_EQ(errorOf([&] { rb->getString(); }), eInvalidResBuf);
  rb->setDouble(2.5);
  EXPECT_EQ(rb->getDouble(), 2.5);
  EXPECT_THROW(rb->getInt32(), OdError);

  // A held link keeps its tail when the head goes; setNext answers the former tail, no longer held.
  OdResBufPtr middle = head->next();
  head = nullptr;
  ASSERT_TRUE(middle->next());
  const OdResBufPtr scale = middle->next();
  EXPECT_EQ(scale->getString(), OdString("_Scale"));
  EXPECT_EQ(middle->setNext(OdResBuf::newRb().get()), scale);
  EXPECT_EQ(scale->numRefs(), 1) << "the unlinked tail is no longer held by the chain";

  // A very long chain is released without deep recursion, which would overflow the stack.
  OdResBufPtr longChain = OdResBuf::newRb(OdResBuf::kRtString, OdString("x"));
  OdResBuf* tail = longChain.get();
  for (int i = 0; i < 1000000; ++i) {
    OdResBufPtr next = OdResBuf::newRb(OdResBuf::kRtInt32);
    tail->setNext(next.get());
    tail = next.get();
  }
  longChain = nullptr;
}

TEST_F(RxCore, StringsRoundTripUtf8CompareAsCadUsersTypeAndArraysCheckIndices)
{
  const OdString s("Zürich \xE2\x82\xAC \xF0\x9F\x93\x90"); // u-umlaut, euro sign, a ruler emoji
  EXPECT_EQ(s.getLength(), 11) << "the emoji takes a surrogate pair";
  EXPECT_EQ(s.c_str()[1], u'\u00FC');
  EXPECT_EQ(s.toUtf8(), "Zürich \xE2\x82\xAC \xF0\x9F\x93\x90");
  EXPECT_TRUE(OdString(static_cast<const char*>(nullptr)).isEmpty());
  const OdString cut("a\xC3"); // a lead byte cut off at the end
  ASSERT_EQ(cut.getLength(), 2);
  EXPECT_EQ(cut.c_str()[1], u'\uFFFD');
  const OdString broken("\xE2\x28\xA1x"); // a lead byte followed by a non-continuation byte
  EXPECT_EQ(broken.c_str()[broken.getLength() - 1], u'x');
  EXPECT_EQ(winport::utf16ToUtf8(u"\U0001F4D0"), "\xF0\x9F\x93\x90");
  EXPECT_EQ(winport::utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD") << "a lone surrogate";
  EXPECT_EQ(winport::utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD") << "beyond U+10FFFF";

  EXPECT_EQ(OdString("importdgn").iCompare(OdString("IMPORTDGN")), 0);
  EXPECT_LT(OdString("abc").iCompare(OdString("ABD")), 0);
  EXPECT_GT(OdString("abcd").iCompare(OdString("ABC")), 0);
  EXPECT_NE(OdString("abc").compare(OdString("ABC")), 0);
  EXPECT_EQ(OdString("_-insertBlock").makeUpper(), OdString("_-INSERTBLOCK"));

  OdStringArray names;
  EXPECT_EQ(names.append(OdString("Default")), 0u);
  EXPECT_EQ(names.append(OdString("Sheet")), 1u);
  EXPECT_THROW(names.at(2), OdError);
  names.removeAt(0);
  EXPECT_EQ(names[0], OdString("Sheet"));
  EXPECT_THROW(names.removeAt(5), OdError);
}

// A whole module file name is what a module answers as its name (LinkerTest); here, the edges.
TEST(WinPort, ModuleFileNamesAreCutToTheBufferAndSleepWaits)
{
  const std::string path = std::string(DGN_TEST_MODULE_DIR) + "/SampleModule.tx";
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  WCHAR buffer[MAX_PATH];
  EXPECT_EQ(buffer[GetModuleFileNameW(handle, buffer, MAX_PATH)], u'\0');
  WCHAR tiny[5];
  EXPECT_EQ(GetModuleFileNameW(handle, tiny, 5), 4u) << "cut to the buffer, still terminated";
  EXPECT_EQ(std::u16string(tiny), winport::utf8ToUtf16(path.substr(0, 4)));
  dlclose(handle);
  const DWORD self = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  EXPECT_NE(winport::utf16ToUtf8(std::u16string(buffer, self)).find("sdk_tests"), std::string::npos);
  EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, 0), 0u);

  const auto start = std::chrono::steady_clock::now();
  Sleep(20);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
}
