#include "TagAttachment.h"

#include "DgnFormat.h"

#include <RxObjectImpl.h>

#include <string>

namespace dgn {

void TagAttachment::addSet(TagSet set)
{
  const uint32_t id = set.id;
  m_sets.emplace(id, std::move(set));
}

void TagAttachment::addHost(uint32_t id, const std::vector<OdDbObjectId>& made)
{
  if (!made.empty())
    m_hosts.emplace(id, made);
}

void TagAttachment::addValue(const TagValue& tag, const Display& display, bool displayed)
{
  m_values.push_back({tag, display, displayed});
}

OdString TagAttachment::nameOf(const TagValue& tag) const
{
  const auto set = m_sets.find(tag.setId);
  if (set != m_sets.end())
    if (const TagSet::Tag* t = set->second.tag(tag.tagId))
      return t->name;
  // A set the file does not hold: the numbers say which tag it was.
  return OdString(("TAG_" + std::to_string(tag.setId) + "_" + std::to_string(tag.tagId)).c_str());
}

TagAttachment::Counts TagAttachment::attach(OdDbBlockTableRecord& modelSpace)
{
  Counts counts;
  if (m_values.empty())
    return counts;
  m_db->newRegApp(OdString(kApplication));
  m_maker.setSource(ElementType::TagValue);
  // Each host's tags together: extended data holds all of them at once.
  std::map<uint32_t, std::vector<const Pending*>> byHost;
  for (const Pending& p : m_values)
    byHost[p.tag.hostId].push_back(&p);
  for (const auto& [host, tags] : byHost) {
    const auto made = m_hosts.find(host);
    if (made == m_hosts.end()) {
      counts.withoutHost += tags.size();
      for (const Pending* p : tags)
        extendedData(*OdDbEntity::cast(text(modelSpace, *p).openObject(OdDb::kForWrite).get()), {p});
      continue;
    }
    for (const OdDbObjectId id : made->second) {
      OdDbEntityPtr entity = OdDbEntity::cast(id.openObject(OdDb::kForWrite).get());
      if (OdDbBlockReferencePtr reference = OdDbBlockReference::cast(entity.get())) {
        for (const Pending* p : tags)
          attribute(*reference, *p);
        counts.attributes += tags.size();
        continue;
      }
      extendedData(*entity, tags);
      counts.extendedData += tags.size();
    }
    // The displayed ones drawn once, beside the host's first entity, unless attributes show them.
    const OdDbEntityPtr first = OdDbEntity::cast(made->second.front().openObject().get());
    if (!OdDbBlockReference::cast(first.get()).isNull())
      continue;
    OdDbBlockTableRecordPtr owner = OdDbBlockTableRecord::cast(first->ownerId().openObject(OdDb::kForWrite).get());
    for (const Pending* p : tags)
      if (p->displayed)
        text(owner.isNull() ? modelSpace : *owner, *p);
  }
  m_values.clear();
  return counts;
}

void TagAttachment::attribute(OdDbBlockReference& reference, const Pending& p)
{
  const OdString name = nameOf(p.tag);
  // Each block defines each tag once, however many references carry it.
  if (m_defined.insert({reference.blockTableRecord, name.str()}).second) {
    OdDbBlockTableRecordPtr block = OdDbBlockTableRecord::cast(reference.blockTableRecord.openObject(OdDb::kForWrite).get());
    OdDbAttributeDefinitionPtr definition = OdRxObjectImpl<OdDbAttributeDefinition>::createObject();
    definition->tag = name;
    definition->prompt = name;
    definition->position = p.tag.origin;
    definition->height = p.tag.height;
    definition->invisible = !p.displayed;
    m_maker.decorate(*definition, p.display);
    block->appendOdDbEntity(definition.get());
  }
  OdDbAttributePtr attribute = OdRxObjectImpl<OdDbAttribute>::createObject();
  attribute->tag = name;
  attribute->text = p.tag.value;
  attribute->position = p.tag.origin;
  attribute->height = p.tag.height;
  attribute->invisible = !p.displayed;
  m_maker.decorate(*attribute, p.display);
  reference.appendAttribute(attribute.get());
}

OdDbObjectId TagAttachment::text(OdDbBlockTableRecord& block, const Pending& p)
{
  TextData t;
  t.origin = p.tag.origin;
  t.height = t.width = p.tag.height;
  t.text = p.tag.value;
  return m_maker.text(block, p.display, t);
}

void TagAttachment::extendedData(OdDbEntity& entity, const std::vector<const Pending*>& tags)
{
  OdResBufPtr head = OdResBuf::newRb(OdResBuf::kDxfRegAppName, OdString(kApplication));
  OdResBufPtr last = head;
  for (const Pending* p : tags)
    for (const OdString& text : {nameOf(p->tag), p->tag.value}) {
      OdResBufPtr item = OdResBuf::newRb(OdResBuf::kDxfXdAsciiString, text);
      last->setNext(item.get());
      last = item;
    }
  entity.setXData(head.get());
}

} // namespace dgn
