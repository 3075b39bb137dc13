#pragma once
#include "RxObject.h"

#include <atomic>

// The usual heap form of an SDK object: starts with one reference, destroys itself at zero.
template <class T, class TInterface = T>
class OdRxObjectImpl : public T {
public:
  template <class... Args>
  explicit OdRxObjectImpl(Args&&... args) : T(std::forward<Args>(args)...)
  {
  }

  template <class... Args>
  static OdSmartPtr<TInterface> createObject(Args&&... args)
  {
    return OdSmartPtr<TInterface>(static_cast<TInterface*>(new OdRxObjectImpl(std::forward<Args>(args)...)),
                                  kOdRxObjAttach);
  }

  void addRef() override { m_nRefs.fetch_add(1, std::memory_order_relaxed); }
  void release() override
  {
    if (m_nRefs.fetch_sub(1, std::memory_order_acq_rel) == 1)
      delete this;
  }
  long numRefs() const override { return m_nRefs.load(std::memory_order_acquire); }

private:
  std::atomic<int> m_nRefs{1}; // small, to fit in what the object leaves unused at its end
};

// An object whose lifetime is its owner's (a member, a static): counting does nothing.
template <class T>
class OdStaticRxObject : public T {
public:
  template <class... Args>
  explicit OdStaticRxObject(Args&&... args) : T(std::forward<Args>(args)...)
  {
  }
  void addRef() override {}
  void release() override {}
  long numRefs() const override { return 1; }
};
