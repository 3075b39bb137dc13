#include "OdAlloc.h"

#include <atomic>
#include <cstdlib>
#include <cstdint>
#include <new>

namespace {
std::atomic<long> g_liveBlocks{0};

// Larger requests cannot be met on any machine; refuse them before the system allocator sees them.
constexpr size_t kLargestRequest = size_t(PTRDIFF_MAX);
} // namespace

void* odrxAlloc(size_t size)
{
  if (size > kLargestRequest)
    throw std::bad_alloc();
  void* p = std::malloc(size ? size : 1);
  if (!p)
    throw std::bad_alloc();
  g_liveBlocks.fetch_add(1, std::memory_order_relaxed);
  return p;
}

void* odrxRealloc(void* block, size_t newSize, size_t /*oldSize*/)
{
  if (!block)
    return odrxAlloc(newSize);
  if (newSize > kLargestRequest)
    throw std::bad_alloc();
  void* p = std::realloc(block, newSize ? newSize : 1);
  if (!p)
    throw std::bad_alloc(); // the old block stays valid and counted
  return p;
}

void odrxFree(void* block)
{
  if (!block)
    return;
  g_liveBlocks.fetch_sub(1, std::memory_order_relaxed);
  std::free(block);
}

long odrxLiveBlockCount()
{
  return g_liveBlocks.load(std::memory_order_relaxed);
}
