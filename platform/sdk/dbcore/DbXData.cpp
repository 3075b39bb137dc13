// Extended data of objects, kept by their database: one chain an object, each application's
// name followed by its values.
#include "DbDatabase.h"

#include <OdError.h>
#include <RxObjectImpl.h>

#include <algorithm>
#include <vector>

namespace {

// Builds a chain of copies, link by link.
class ChainCopy {
public:
  // Appends copies of the links from `first` up to `end` (not included).
  void append(const OdResBuf* first, const OdResBuf* end)
  {
    for (const OdResBuf* rb = first; rb != end; rb = rb->next().get()) {
      OdResBufPtr copy = OdResBuf::newRb(rb->restype());
      copy->copyFrom(rb);
      if (m_last)
        m_last->setNext(copy.get());
      else
        m_head = copy;
      m_last = copy.get();
    }
  }
  OdResBufPtr head() const { return m_head; }

private:
  OdResBufPtr m_head;
  OdResBuf* m_last = nullptr;
};

// Calls f(name, first, end) for each application's part of a chain: its kDxfRegAppName link
// `first`, up to the next application's (or null).
template <class F>
void forEachApplication(const OdResBuf* chain, F&& f)
{
  for (const OdResBuf* first = chain; first;) {
    const OdResBuf* end = first->next().get();
    while (end && end->restype() != OdResBuf::kDxfRegAppName)
      end = end->next().get();
    f(first->getString(), first, end);
    first = end;
  }
}

// The applications a chain names; raises OdError(eInvalidResBuf) for one that starts with no
// application or holds values of other kinds than extended data has.
std::vector<OdString> checkedApplications(const OdResBuf* chain)
{
  if (chain && chain->restype() != OdResBuf::kDxfRegAppName)
    throw OdError(eInvalidResBuf, OdString("Extended data starts with no application"));
  std::vector<OdString> names;
  for (const OdResBuf* rb = chain; rb; rb = rb->next().get()) {
    switch (rb->restype()) {
    case OdResBuf::kDxfRegAppName: names.push_back(rb->getString()); break;
    case OdResBuf::kDxfXdAsciiString: rb->getString(); break;
    case OdResBuf::kDxfXdReal: rb->getDouble(); break;
    case OdResBuf::kDxfXdInteger16: rb->getInt16(); break;
    case OdResBuf::kDxfXdInteger32: rb->getInt32(); break;
    default: throw OdError(eInvalidResBuf, OdString("Not a kind of extended data"));
    }
  }
  return names;
}

} // namespace

const OdResBuf* OdDbObject::peekXData() const
{
  const OdDbDatabase* db = database();
  if (!db || db->m_xdata.empty())
    return nullptr;
  const auto found = db->m_xdata.find(getHandle());
  return found == db->m_xdata.end() ? nullptr : found->second.get();
}

OdResBufPtr OdDbObject::xData(const OdString& regappName) const
{
  ChainCopy copy;
  forEachApplication(peekXData(), [&](const OdString& name, const OdResBuf* first, const OdResBuf* end) {
    if (regappName.isEmpty() || name.iCompare(regappName) == 0)
      copy.append(first, end);
  });
  return copy.head();
}

void OdDbObject::setXData(const OdResBuf* xdata)
{
  OdDbDatabase* db = database();
  if (!db)
    throw OdError(eNoDatabase);
  const std::vector<OdString> names = checkedApplications(xdata);
  OdDbSymbolTablePtr apps = OdDbSymbolTable::cast(db->getRegAppTableId().openObject().get());
  for (const OdString& name : names)
    if (!apps->has(name))
      throw OdError(eRegappIdNotFound, OdString("Application not registered: ") + name);
  // The data of the applications the chain does not name stays; those it names get theirs.
  const auto named = [&names](const OdString& name) {
    return std::any_of(names.begin(), names.end(), [&name](const OdString& n) { return n.iCompare(name) == 0; });
  };
  ChainCopy kept;
  forEachApplication(peekXData(), [&](const OdString& name, const OdResBuf* first, const OdResBuf* end) {
    if (!named(name))
      kept.append(first, end);
  });
  forEachApplication(xdata, [&](const OdString&, const OdResBuf* first, const OdResBuf* end) {
    if (first->next().get() != end)
      kept.append(first, end);
  });
  if (kept.head().isNull())
    db->m_xdata.erase(getHandle());
  else
    db->m_xdata[getHandle()] = kept.head();
}
