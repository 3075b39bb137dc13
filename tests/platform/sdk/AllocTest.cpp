#include <OdAlloc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>
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

// Blocks from the pools by size never overlap, whatever the size and however many threads take
// and give them back at once, and each is counted until it is freed.
TEST(Alloc, SizedBlocksNeverOverlapAndAreCountedAcrossThreads)
{
  const long before = odrxLiveBlockCount();
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
    for (size_t k = 0; k < held.size(); ++k) {
      const auto& [block, size] = held[k];
      intact = intact && std::all_of(block, block + size, [&](unsigned char c) { return c == block[0]; });
    }
    for (const auto& [block, size] : held)
      odrxFreeSized(block, size);
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
  EXPECT_EQ(odrxLiveBlockCount(), before);
}
