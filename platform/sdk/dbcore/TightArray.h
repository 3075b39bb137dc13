#pragma once
#include <OdAlloc.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <new>
#include <type_traits>
#include <utility>

// An array of plain values in 16 bytes (a pointer and two 32-bit counts) where std::vector takes
// 24, its storage from the SDK heap's pools: a drawing holds a million polylines, each with one.
template <class T>
class OdTightArray {
  static_assert(std::is_trivially_copyable_v<T>, "values are moved as bytes");

public:
  OdTightArray() = default;
  OdTightArray(std::initializer_list<T> values) { assign(values.begin(), values.end()); }
  OdTightArray(const OdTightArray& other) { assign(other.begin(), other.end()); }
  OdTightArray(OdTightArray&& other) noexcept { swap(other); }
  OdTightArray& operator=(const OdTightArray& other)
  {
    if (this != &other)
      assign(other.begin(), other.end());
    return *this;
  }
  OdTightArray& operator=(OdTightArray&& other) noexcept
  {
    OdTightArray(std::move(other)).swap(*this);
    return *this;
  }
  OdTightArray& operator=(std::initializer_list<T> values)
  {
    assign(values.begin(), values.end());
    return *this;
  }
  ~OdTightArray() { odrxFreeSized(m_data, bytes(m_capacity)); }

  void assign(const T* first, const T* last)
  {
    const size_t count = size_t(last - first);
    if (count > m_capacity) {
      OdTightArray fresh; // the values may be ours: copied before our storage goes
      fresh.reserve(count);
      std::memcpy(fresh.m_data, first, bytes(count));
      fresh.m_size = uint32_t(count);
      swap(fresh);
      return;
    }
    if (count)
      std::memmove(m_data, first, bytes(count));
    m_size = uint32_t(count);
  }
  void reserve(size_t capacity)
  {
    if (capacity <= m_capacity)
      return;
    if (capacity > UINT32_MAX)
      throw std::bad_alloc();
    T* data = static_cast<T*>(odrxAllocSized(bytes(capacity)));
    if (m_size)
      std::memcpy(data, m_data, bytes(m_size));
    odrxFreeSized(m_data, bytes(m_capacity));
    m_data = data;
    m_capacity = uint32_t(capacity);
  }
  void push_back(const T& value)
  {
    const T copy = value; // `value` may be one of ours, about to move
    if (m_size == m_capacity)
      reserve(std::max<size_t>(4, 2 * size_t(m_capacity)));
    m_data[m_size++] = copy;
  }
  void clear() { m_size = 0; }
  void swap(OdTightArray& other) noexcept
  {
    std::swap(m_data, other.m_data);
    std::swap(m_size, other.m_size);
    std::swap(m_capacity, other.m_capacity);
  }

  size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  T* begin() { return m_data; }
  T* end() { return m_data + m_size; }
  const T* begin() const { return m_data; }
  const T* end() const { return m_data + m_size; }
  T& operator[](size_t i) { return m_data[i]; }
  const T& operator[](size_t i) const { return m_data[i]; }
  T& front() { return m_data[0]; }
  const T& front() const { return m_data[0]; }
  T& back() { return m_data[m_size - 1]; }
  const T& back() const { return m_data[m_size - 1]; }

private:
  static size_t bytes(size_t count) { return count * sizeof(T); }

  T* m_data = nullptr;
  uint32_t m_size = 0;
  uint32_t m_capacity = 0;
};
