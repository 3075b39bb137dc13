#include "ImportProperties.h"

#include "ImportOptions.h"

#include <RxObjectImpl.h>
#include <RxVariant.h>

namespace dgn {

namespace {

// "ElementStatistics" is this module's own: "TYPE=LIVE+DELETED;..." for the elements of the file,
// then "TYPE->ENTITY=COUNT;..." for what the latest run of it made of each element type and
// "NAME=COUNT;..." for what it could not convert.
const char* const kComputed[] = {"IsValidDgnDatabase", "DesignModelList", "ConversionUnits", "MeasurementUnits",
                                 "ElementStatistics"};

std::string statisticsText(const DesignFile& file)
{
  std::string text;
  for (const auto& [type, count] : file.countsByType())
    text += std::to_string(type) + "=" + std::to_string(count.live) + "+" + std::to_string(count.deleted) + ";";
  return text;
}

template <class Set>
OdRxObjectPtr variant(Set set)
{
  OdSmartPtr<OdRxVariant> v = OdRxObjectImpl<OdRxVariant>::createObject();
  set(*v);
  return OdRxObjectPtr(v.get());
}

// Another thread may ask for it during a run: its answer is made from the atomics alone.
const char* const kProgress = "ImportProgress";

bool isComputed(const OdString& key)
{
  for (const char* name : kComputed)
    if (key == OdString(name))
      return true;
  return false;
}

} // namespace

OdString ImportProperties::stringValue(const char* key) const
{
  OdRxVariantPtr v = OdRxVariant::cast(m_stored->getAt(OdString(key)).get());
  return v && v->varType() == OdVariant::kString ? v->getString() : OdString();
}

const DesignFile& ImportProperties::file() const
{
  const std::string path = stringValue("DgnPath").toUtf8();
  if (!m_inspected || m_inspected->first != path)
    m_inspected.emplace(path, path.empty() ? DesignFile() : DesignFile::inspect(path));
  return m_inspected->second;
}

const DesignFile& ImportProperties::reinspectedFile() const
{
  if (m_inspected && !m_inspected->second.unchanged(m_inspected->first))
    m_inspected.reset();
  return file();
}

OdRxObjectPtr ImportProperties::computed(const OdString& key) const
{
  const DesignFile& f = file();
  if (key == OdString("IsValidDgnDatabase"))
    return variant([&](OdVariant& v) { v.setBool(f.isValid()); });
  if (key == OdString("DesignModelList"))
    return variant([&](OdVariant& v) { v.setString(OdString(f.isValid() ? "Default" : "")); });
  if (key == OdString("ElementStatistics")) {
    const std::string path = stringValue("DgnPath").toUtf8();
    const std::string text = statisticsText(f) + (m_run.first == path ? m_run.second : std::string());
    return variant([&](OdVariant& v) { v.setString(OdString(text.c_str())); });
  }
  const FileUnits units = f.isValid() ? f.units() : FileUnits{};
  if (key == OdString("ConversionUnits"))
    return variant([&](OdVariant& v) { v.setBool(units.defaultIsMaster()); });
  const bool master = ImportOptions::from(*this).masterUnits;
  return variant([&](OdVariant& v) { v.setInt32(OdInt32(master ? units.master : units.sub)); });
}

OdRxObjectPtr ImportProperties::getAt(const OdString& key) const
{
  if (key == OdString(kProgress)) {
    const std::string text = std::to_string(m_progress.elements.load(std::memory_order_relaxed)) + ";" +
                             std::to_string(m_progress.bytes.load(std::memory_order_relaxed)) + ";" +
                             std::to_string(m_fileBytes.load(std::memory_order_relaxed));
    return variant([&](OdVariant& v) { v.setString(OdString(text.c_str())); });
  }
  if (isComputed(key))
    return computed(key);
  return m_stored->getAt(key);
}

OdRxObjectPtr ImportProperties::putAt(const OdString& key, OdRxObject* value, OdUInt32* retId)
{
  // A path put again, even the same one, means "look at the file now": it may have changed.
  if (key == OdString("DgnPath"))
    m_inspected.reset();
  return m_stored->putAt(key, value, retId);
}

bool ImportProperties::has(const OdString& key) const
{
  return key == OdString(kProgress) || isComputed(key) || m_stored->has(key);
}

OdUInt32 ImportProperties::numEntries() const
{
  return static_cast<OdUInt32>(keys().size());
}

std::vector<OdString> ImportProperties::keys() const
{
  std::vector<OdString> result;
  for (const OdString& key : m_stored->keys())
    if (!isComputed(key) && key != OdString(kProgress))
      result.push_back(key);
  for (const char* name : kComputed)
    result.push_back(OdString(name));
  result.push_back(OdString(kProgress));
  return result;
}

} // namespace dgn
