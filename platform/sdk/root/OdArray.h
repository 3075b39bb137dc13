#pragma once
#include "OdError.h"

#include <OdAlloc.h>

#include <vector>

// The SDK's growable array; storage comes from the SDK heap.
template <class T>
class OdArray {
public:
  using iterator = typename std::vector<T, OdrxAllocator<T>>::iterator;
  using const_iterator = typename std::vector<T, OdrxAllocator<T>>::const_iterator;

  OdArray() = default;
  OdArray(std::initializer_list<T> items) : m_items(items) {}

  unsigned size() const { return static_cast<unsigned>(m_items.size()); }
  unsigned length() const { return size(); }
  bool isEmpty() const { return m_items.empty(); }
  void reserve(unsigned n) { m_items.reserve(n); }
  void resize(unsigned n) { m_items.resize(n); }
  void clear() { m_items.clear(); }

  unsigned append(const T& item)
  {
    m_items.push_back(item);
    return size() - 1;
  }
  void push_back(const T& item) { m_items.push_back(item); }
  void removeAt(unsigned index)
  {
    check(index);
    m_items.erase(m_items.begin() + index);
  }

  T& operator[](unsigned index) { return at(index); }
  const T& operator[](unsigned index) const { return at(index); }
  T& at(unsigned index)
  {
    check(index);
    return m_items[index];
  }
  const T& at(unsigned index) const
  {
    check(index);
    return m_items[index];
  }
  const T* asArrayPtr() const { return m_items.data(); }

  iterator begin() { return m_items.begin(); }
  iterator end() { return m_items.end(); }
  const_iterator begin() const { return m_items.begin(); }
  const_iterator end() const { return m_items.end(); }

  friend bool operator==(const OdArray& a, const OdArray& b) { return a.m_items == b.m_items; }

private:
  void check(unsigned index) const
  {
    if (index >= m_items.size())
      throw OdError(eInvalidIndex);
  }
  std::vector<T, OdrxAllocator<T>> m_items;
};

typedef OdArray<OdString> OdStringArray;
