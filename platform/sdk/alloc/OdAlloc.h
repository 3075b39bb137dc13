#pragma once
#include <cstddef>
#include <new>

// The SDK heap. Every block is counted so that tests can prove nothing is left behind.
// Exhaustion raises std::bad_alloc; no function here ever returns null for a request it accepted.
void* odrxAlloc(size_t size);
void* odrxRealloc(void* block, size_t newSize, size_t oldSize);
void odrxFree(void* block);

// Blocks handed out by odrxAlloc/odrxRealloc and not yet freed.
long odrxLiveBlockCount();

// Allocator for standard containers whose storage must come from the SDK heap.
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
    return static_cast<T*>(odrxAlloc(n * sizeof(T)));
  }
  void deallocate(T* p, size_t) noexcept { odrxFree(p); }
  template <class U>
  bool operator==(const OdrxAllocator<U>&) const noexcept { return true; }
  template <class U>
  bool operator!=(const OdrxAllocator<U>&) const noexcept { return false; }
};
