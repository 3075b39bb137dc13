#include "ResBuf.h"

#include <OdError.h>
#include <RxObjectImpl.h>

ODRX_DEFINE_MEMBERS(OdResBuf, OdRxObject)

namespace {
template <class V, class Variant>
const V& valueOf(const Variant& value)
{
  if (const V* v = std::get_if<V>(&value))
    return *v;
  throw OdError(eInvalidResBuf);
}
} // namespace

OdResBufPtr OdResBuf::newRb(int restype)
{
  OdResBufPtr rb = OdRxObjectImpl<OdResBuf>::createObject();
  rb->m_restype = restype;
  return rb;
}

OdResBufPtr OdResBuf::newRb(int restype, const OdString& value)
{
  OdResBufPtr rb = newRb(restype);
  rb->setString(value);
  return rb;
}

OdResBuf::~OdResBuf()
{
  // Unlink the tail one buffer at a time: a long chain must not recurse once per link.
  OdResBufPtr tail = std::move(m_next);
  while (tail && tail->numRefs() == 1) {
    OdResBufPtr following = std::move(tail->m_next);
    tail = std::move(following);
  }
}

void OdResBuf::copyFrom(const OdRxObject* pSource)
{
  const OdResBufPtr source = OdResBuf::cast(pSource);
  if (source.isNull())
    throw OdError_NotThatKindOfClass(pSource ? pSource->isA() : nullptr, OdResBuf::desc());
  m_restype = source->m_restype;
  m_value = source->m_value;
}

const OdString& OdResBuf::getString() const
{
  return valueOf<OdString>(m_value);
}

double OdResBuf::getDouble() const
{
  return valueOf<double>(m_value);
}

OdInt16 OdResBuf::getInt16() const
{
  return valueOf<OdInt16>(m_value);
}

OdInt32 OdResBuf::getInt32() const
{
  return valueOf<OdInt32>(m_value);
}

OdResBufPtr OdResBuf::setNext(OdResBuf* pRb)
{
  OdResBufPtr previous = std::move(m_next);
  m_next = OdResBufPtr(pRb);
  return previous;
}

OdResBufPtr OdResBuf::last() const
{
  const OdResBuf* rb = this;
  while (rb->m_next)
    rb = rb->m_next.get();
  return OdResBufPtr(rb);
}
