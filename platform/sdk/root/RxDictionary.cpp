#include "RxDictionary.h"

#include "RxObjectImpl.h"

#include <map>

ODRX_DEFINE_MEMBERS(OdRxDictionary, OdRxObject)

namespace {

class MapDictionary : public OdRxDictionary {
public:
  OdRxObjectPtr getAt(const OdString& key) const override
  {
    auto it = m_entries.find(key);
    return it == m_entries.end() ? OdRxObjectPtr() : it->second;
  }

  OdRxObjectPtr putAt(const OdString& key, OdRxObject* value, OdUInt32* retId) override
  {
    OdRxObjectPtr previous;
    auto it = m_entries.find(key);
    if (it != m_entries.end()) {
      previous = std::move(it->second);
      if (value)
        it->second = OdRxObjectPtr(value);
      else
        m_entries.erase(it);
    } else if (value) {
      it = m_entries.emplace(key, OdRxObjectPtr(value)).first;
    }
    if (retId)
      *retId = value ? static_cast<OdUInt32>(std::distance(m_entries.begin(), it)) : OdUInt32(-1);
    return previous;
  }

  bool has(const OdString& key) const override { return m_entries.count(key) != 0; }
  OdUInt32 numEntries() const override { return static_cast<OdUInt32>(m_entries.size()); }
  std::vector<OdString> keys() const override
  {
    std::vector<OdString> result;
    for (const auto& entry : m_entries)
      result.push_back(entry.first);
    return result;
  }

private:
  std::map<OdString, OdRxObjectPtr> m_entries;
};

} // namespace

OdRxDictionaryPtr odrxCreateRxDictionary()
{
  return OdRxObjectImpl<MapDictionary, OdRxDictionary>::createObject();
}
