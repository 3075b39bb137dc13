#include "OdAlloc.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstdint>
#include <new>
#include <system_error>
#include <thread>

#include <sys/mman.h>

#ifndef __has_feature
#define __has_feature(x) 0
#endif

namespace {
std::atomic<long> g_liveBlocks{0}; // from the system allocator; the pools count their own

#if defined(__SANITIZE_ADDRESS__) || __has_feature(address_sanitizer)
constexpr bool kPooled = false; // the address checker sees each block on its own
#else
constexpr bool kPooled = true;
#endif

// Holds a spin lock for its lifetime: the heap's critical sections last a few instructions.
class SpinLock {
public:
  explicit SpinLock(std::atomic_flag& flag) : m_flag(flag)
  {
    while (m_flag.test_and_set(std::memory_order_acquire))
      std::this_thread::yield();
  }
  ~SpinLock() { m_flag.clear(std::memory_order_release); }
  SpinLock(const SpinLock&) = delete;
  SpinLock& operator=(const SpinLock&) = delete;

private:
  std::atomic_flag& m_flag;
};

// Slabs are cut in turn from large mapped regions. A short-lived helper thread makes their pages
// present a few megabytes ahead of the slabs handed out (MADV_POPULATE_WRITE), on the other
// core: page faults one by one took a third of an import in a virtual machine. Where the helper
// falls behind or cannot start, pages fault in as they are used; either way present memory runs
// at most kAhead beyond the slabs handed out. Regions are kept for the process's lifetime, as the
// pools are.
class SlabRegions {
public:
  static constexpr size_t kRegion = size_t(32) << 20, kAhead = size_t(4) << 20, kStep = size_t(1) << 20;

  char* take(size_t slab)
  {
    SpinLock lock(m_busy);
    if (size_t(m_end - m_next) < slab) {
      void* mapped = ::mmap(nullptr, kRegion, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (mapped == MAP_FAILED)
        throw std::bad_alloc();
      m_next = m_present = static_cast<char*>(mapped);
      m_end = m_next + kRegion;
    }
    char* taken = m_next;
    m_next += slab;
    if (size_t(m_present - std::min(m_present, m_next)) < kAhead / 2 && m_present < m_end &&
        !m_populating.exchange(true)) {
      char* const from = std::max(m_present, m_next);
      char* const to = from + std::min(kAhead, size_t(m_end - from));
      m_present = to;
      try {
        std::thread([this, from, to] {
          for (char* at = from; at < to; at += kStep) // a hint: pages fault in by themselves too
            ::madvise(at, std::min(kStep, size_t(to - at)), MADV_POPULATE_WRITE);
          m_populating = false;
        }).detach();
      } catch (const std::system_error&) {
        m_populating = false;
      }
    }
    return taken;
  }

private:
  std::atomic_flag m_busy = ATOMIC_FLAG_INIT;
  std::atomic<bool> m_populating{false};
  char* m_next = nullptr;
  char* m_present = nullptr; // where the pages asked for so far end
  char* m_end = nullptr;
};

// One pool a size, in steps of 8 bytes up to kLargest: a list of freed blocks, linked through
// their first word, the unused rest of the pool's newest slab, and a count of the blocks out, under
// a spin lock each.
class SizedPools {
public:
  static constexpr size_t kStep = 8, kLargest = 512, kSlab = 64 * 1024;

  static bool fits(size_t size) { return kPooled && size > 0 && size <= kLargest; }

  void* take(size_t size)
  {
    Pool& pool = m_pools[(size - 1) / kStep];
    const size_t slot = ((size + kStep - 1) / kStep) * kStep;
    SpinLock lock(pool.busy);
    ++pool.live;
    if (void* block = pool.freed) {
      pool.freed = *static_cast<void**>(block);
      return block;
    }
    if (size_t(pool.end - pool.next) < slot) {
      char* slab = m_regions.take(kSlab);
      pool.next = slab;
      pool.end = slab + kSlab;
    }
    void* block = pool.next;
    pool.next += slot;
    return block;
  }

  void give(void* block, size_t size)
  {
    Pool& pool = m_pools[(size - 1) / kStep];
    SpinLock lock(pool.busy);
    --pool.live;
    *static_cast<void**>(block) = pool.freed;
    pool.freed = block;
  }

  long live()
  {
    long blocks = 0;
    for (Pool& pool : m_pools) {
      SpinLock lock(pool.busy);
      blocks += pool.live;
    }
    return blocks;
  }

private:
  struct Pool {
    std::atomic_flag busy = ATOMIC_FLAG_INIT;
    void* freed = nullptr;
    char* next = nullptr;
    char* end = nullptr;
    long live = 0;
  };
  Pool m_pools[kLargest / kStep];
  SlabRegions m_regions;
};

// Never destroyed: objects may be freed while static objects are torn down at exit.
SizedPools& pools()
{
  static SizedPools* const instance = new SizedPools;
  return *instance;
}

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

void* odrxAllocSized(size_t size)
{
  if (!SizedPools::fits(size))
    return odrxAlloc(size);
  return pools().take(size);
}

void odrxFreeSized(void* block, size_t size)
{
  if (!block)
    return;
  if (!SizedPools::fits(size))
    return odrxFree(block);
  pools().give(block, size);
}

long odrxLiveBlockCount()
{
  return g_liveBlocks.load(std::memory_order_relaxed) + (kPooled ? pools().live() : 0);
}
