#pragma once
#include "EntityMaker.h"
#include "Tags.h"

#include <DbDatabase.h>

#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace dgn {

// Gives tags to what their host elements became, once the whole file is read: a tag may come
// before its set and its host. A cell's tags are attributes of its block reference (defined in
// its block); any other element's tags are extended data on its entities under "DGN_TAGS", a
// name and a value for each tag, and the displayed ones are also drawn as text. A tag whose host
// the file does not hold is drawn where it is displayed, its data on that text.
class TagAttachment {
public:
  TagAttachment(OdDbDatabase* db, EntityMaker& maker) : m_db(db), m_maker(maker) {}

  void addSet(TagSet set);
  // The entities element `id` became; the first element of an id keeps it.
  void addHost(uint32_t id, const std::vector<OdDbObjectId>& made);
  void addValue(const TagValue& tag, const Display& display, bool displayed);

  struct Counts {
    uint64_t attributes = 0, extendedData = 0, withoutHost = 0;
  };
  Counts attach(OdDbBlockTableRecord& modelSpace);

  static constexpr const char* kApplication = "DGN_TAGS";

private:
  struct Pending {
    TagValue tag;
    Display display;
    bool displayed;
  };
  OdString nameOf(const TagValue& tag) const;
  void attribute(OdDbBlockReference& reference, const Pending& p);
  OdDbObjectId text(OdDbBlockTableRecord& block, const Pending& p);
  void extendedData(OdDbEntity& entity, const std::vector<const Pending*>& tags);

  OdDbDatabase* m_db;
  EntityMaker& m_maker;
  std::map<uint32_t, TagSet> m_sets;
  std::unordered_map<uint32_t, std::vector<OdDbObjectId>> m_hosts;
  std::vector<Pending> m_values;
  std::set<std::pair<OdDbObjectId, std::u16string>> m_defined; // attribute definitions made, by block and tag
};

} // namespace dgn
