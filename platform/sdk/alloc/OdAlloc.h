#pragma once
#include <cstddef>
#include <new>

// The SDK heap. Every block is counted so that tests can prove nothing is left behind.
// Exhaustion raises std::bad_alloc; no function here ever returns null for a request it accepted.
void* odrxAlloc(size_t size);
void* odrxRealloc(void* block, size_t newSize, size_t oldSize);
void odrxFree(void* block);

// Small blocks whose size is told again when they are freed (the SDK's objects): kept in pools by
// size, without the system allocator's header, so a drawing of a million entities takes less room
// and less time; freed blocks are handed out again, and the pools are kept for that. Blocks must
// not need more than 8-byte alignment. Counted like the others.
void* odrxAllocSized(size_t size);
void odrxFreeSized(void* block, size_t size);

// Blocks handed out by odrxAlloc, odrxRealloc and odrxAllocSized and not yet freed.
long odrxLiveBlockCount();

// Allocator for standard containers whose storage must come from the SDK heap: their blocks know
// their size when they are freed, so small ones (a polyline's points) come from the pools.
template <class T>
struct OdrxAllocator {
  using value_type = T;
  OdrxAllocator() noexcept = default;
  template <class U>
  OdrxAllocator(const OdrxAllocator<U>&) noexcept {}
  T* allocate(size_t n)
  {
    if (n > size_t(-1) / sizeof(T))
      throw std::bad_alloc();
    return static_cast<T*>(odrxAllocSized(n * sizeof(T)));
  }
  void deallocate(T* p, size_t n) noexcept { odrxFreeSized(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const OdrxAllocator<U>&) const noexcept { return true; }
  template <class U>
  bool operator!=(const OdrxAllocator<U>&) const noexcept { return false; }
};
