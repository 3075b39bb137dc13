#include <OdAlloc.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

TEST(Alloc, CountsEveryLiveBlockAndReleasesThem)
{
  const long before = odrxLiveBlockCount();
  void* a = odrxAlloc(16);
  void* b = odrxAlloc(0); // a zero-byte request still gives a distinct, freeable block
  EXPECT_NE(a, b);
  EXPECT_EQ(odrxLiveBlockCount(), before + 2);
  b = odrxRealloc(b, 1024, 0);
  EXPECT_EQ(odrxLiveBlockCount(), before + 2) << "growing a block keeps it one block";
  odrxFree(a);
  odrxFree(b);
  odrxFree(nullptr);
  EXPECT_EQ(odrxLiveBlockCount(), before);
}

TEST(Alloc, ExhaustionRaisesBadAllocAndLeavesNothingCounted)
{
  const long before = odrxLiveBlockCount();
  EXPECT_THROW(odrxAlloc(SIZE_MAX), std::bad_alloc);
  EXPECT_THROW(odrxAlloc(SIZE_MAX / 2 + 1), std::bad_alloc);
  void* p = odrxAlloc(8);
  EXPECT_THROW(odrxRealloc(p, SIZE_MAX, 8), std::bad_alloc);
  odrxFree(p); // still valid after the failed growth
  EXPECT_EQ(odrxLiveBlockCount(), before);
}

TEST(Alloc, StandardContainersOnTheSdkHeap)
{
  const long before = odrxLiveBlockCount();
  {
    std::vector<int, OdrxAllocator<int>> v(100, 7);
    EXPECT_GT(odrxLiveBlockCount(), before);
    EXPECT_THROW(OdrxAllocator<double>().allocate(SIZE_MAX / 4), std::bad_alloc);
  }
  EXPECT_EQ(odrxLiveBlockCount(), before);
}
