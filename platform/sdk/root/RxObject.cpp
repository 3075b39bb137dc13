#include "RxObject.h"

#include "OdError.h"

#include <atomic>

namespace {
std::atomic<long> g_liveObjects{0};
}

bool OdRxClass::isDerivedFrom(const OdRxClass* other) const
{
  for (const OdRxClass* c = this; c; c = c->m_parent)
    if (c == other)
      return true;
  return false;
}

void* OdRxObject::operator new(size_t size)
{
  void* p = odrxAllocSized(size);
  g_liveObjects.fetch_add(1, std::memory_order_relaxed);
  return p;
}

void OdRxObject::operator delete(void* p, size_t size)
{
  if (!p)
    return;
  g_liveObjects.fetch_sub(1, std::memory_order_relaxed);
  odrxFreeSized(p, size);
}

OdRxClass* OdRxObject::desc()
{
  static OdRxClass s_class("OdRxObject", nullptr);
  return &s_class;
}

OdRxClass* OdRxObject::isA() const
{
  return desc();
}

OdRxObject* OdRxObject::queryX(const OdRxClass* pClass) const
{
  if (pClass != desc())
    return nullptr;
  OdRxObject* self = const_cast<OdRxObject*>(this);
  self->addRef();
  return self;
}

OdRxObject* OdRxObject::x(const OdRxClass* pClass) const
{
  OdRxObject* p = queryX(pClass);
  if (!p)
    throw OdError_NotThatKindOfClass(isA(), pClass);
  return p;
}

long OdRxObject::numRefs() const
{
  return 1;
}

OdRxObjectPtr OdRxObject::clone() const
{
  throw OdError(eNotApplicable, OdString("clone is not supported by ") + isA()->name());
}

void OdRxObject::copyFrom(const OdRxObject* pSource)
{
  if (!pSource || !pSource->isKindOf(isA()))
    throw OdError_NotThatKindOfClass(pSource ? pSource->isA() : nullptr, isA());
}

int OdRxObject::comparedTo(const OdRxObject* pOther) const
{
  // Identity order: objects without a value order compare by address.
  if (this == pOther)
    return 0;
  return this < pOther ? -1 : 1;
}

bool OdRxObject::isEqualTo(const OdRxObject* pOther) const
{
  return comparedTo(pOther) == 0;
}

long odrxLiveObjectCount()
{
  return g_liveObjects.load(std::memory_order_relaxed);
}
