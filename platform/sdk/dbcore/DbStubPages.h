#pragma once
#include "DbObject.h"

#include <cstdint>
#include <memory>
#include <vector>

// What an object id points at: owned by the database, so ids of erased objects stay usable.
struct OdDbStub {
  OdDbObjectPtr object;
};

// A database's stubs in handle order, in aligned pages that name their database and first
// handle: a stub finds both from its own address, so it holds nothing but its object, and the
// stubs of a drawing of a million objects take 8 MB instead of 24.
class OdDbStubPages {
public:
  explicit OdDbStubPages(OdDbDatabase* database) : m_database(database) {}
  OdDbStubPages(const OdDbStubPages&) = delete;
  OdDbStubPages& operator=(const OdDbStubPages&) = delete;

  // A stub for the next handle, holding `object`.
  OdDbStub* add(OdDbObject* object);
  // The stub of a handle below next(); null for others.
  OdDbStub* find(OdDbHandle handle) const;
  OdDbHandle next() const { return m_next; }
  // Lets go of every object, in handle order; their stubs stay.
  void releaseObjects();

  static OdDbDatabase* databaseOf(const OdDbStub* stub) { return pageOf(stub)->database; }
  static OdDbHandle handleOf(const OdDbStub* stub)
  {
    const Page* page = pageOf(stub);
    return page->first + OdDbHandle(stub - page->stubs);
  }

private:
  static constexpr size_t kPageBytes = 64 * 1024;
  struct alignas(kPageBytes) Page {
    OdDbDatabase* database;
    OdDbHandle first;
    OdDbStub stubs[(kPageBytes - sizeof(OdDbDatabase*) - sizeof(OdDbHandle)) / sizeof(OdDbStub)];
  };
  static constexpr size_t kPerPage = sizeof(Page::stubs) / sizeof(OdDbStub);
  static const Page* pageOf(const OdDbStub* stub)
  {
    return reinterpret_cast<const Page*>(reinterpret_cast<std::uintptr_t>(stub) & ~std::uintptr_t(kPageBytes - 1));
  }

  OdDbDatabase* const m_database;
  std::vector<std::unique_ptr<Page>> m_pages;
  OdDbHandle m_next = 1;
};
