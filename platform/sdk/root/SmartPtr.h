#pragma once
#include <cstddef>
#include <type_traits>
#include <utility>

class OdRxObject;

// Tag: take over a reference the caller already owns instead of adding one.
enum OdRxObjMod { kOdRxObjAttach };

// Counted reference to an SDK object. Built from a pointer of an unrelated static type it asks the
// object for T (OdRxObject::x) and raises OdError_NotThatKindOfClass when the object is not a T.
template <class T>
class OdSmartPtr {
public:
  OdSmartPtr() = default;
  OdSmartPtr(std::nullptr_t) {}
  OdSmartPtr(const T* p) : m_p(const_cast<T*>(p)) { addRef(); }
  OdSmartPtr(const T* p, OdRxObjMod) : m_p(const_cast<T*>(p)) {}
  OdSmartPtr(const OdSmartPtr& other) : m_p(other.m_p) { addRef(); }
  OdSmartPtr(OdSmartPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  template <class U>
  OdSmartPtr(const U* p) { assignQuery(p); }
  template <class U>
  OdSmartPtr(const OdSmartPtr<U>& other) { assignQuery(other.get()); }
  ~OdSmartPtr() { release(); }

  OdSmartPtr& operator=(const OdSmartPtr& other)
  {
    OdSmartPtr(other).swap(*this);
    return *this;
  }
  OdSmartPtr& operator=(OdSmartPtr&& other) noexcept
  {
    OdSmartPtr(std::move(other)).swap(*this);
    return *this;
  }
  OdSmartPtr& operator=(std::nullptr_t)
  {
    release();
    return *this;
  }

  // Gives up the reference without releasing it; the caller now owns it.
  T* detach() { return std::exchange(m_p, nullptr); }
  void attach(T* p)
  {
    release();
    m_p = p;
  }
  void release()
  {
    if (T* p = std::exchange(m_p, nullptr))
      p->release();
  }

  T* get() const { return m_p; }
  T* operator->() const { return m_p; }
  T& operator*() const { return *m_p; }
  explicit operator bool() const { return m_p != nullptr; }
  bool isNull() const { return m_p == nullptr; }
  void swap(OdSmartPtr& other) noexcept { std::swap(m_p, other.m_p); }

  friend bool operator==(const OdSmartPtr& a, const OdSmartPtr& b) { return a.m_p == b.m_p; }
  friend bool operator!=(const OdSmartPtr& a, const OdSmartPtr& b) { return a.m_p != b.m_p; }

private:
  void addRef()
  {
    if (m_p)
      m_p->addRef();
  }
  template <class U>
  void assignQuery(const U* p)
  {
    if constexpr (std::is_base_of_v<T, U>) {
      m_p = const_cast<U*>(p);
      addRef();
    } else if (p) {
      m_p = static_cast<T*>(p->x(T::desc()));
    }
  }

  T* m_p = nullptr;
};

typedef OdSmartPtr<OdRxObject> OdRxObjectPtr;
