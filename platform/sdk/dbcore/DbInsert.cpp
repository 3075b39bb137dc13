#include "DbDatabase.h"

#include <OdError.h>
#include <RxObjectImpl.h>

#include <map>

namespace {

// A fresh object of the source's own class holding a copy of its data; null for classes that
// are not `Types`.
template <class... Types>
struct Copier;

template <>
struct Copier<> {
  static OdDbObjectPtr copy(const OdDbObject*) { return OdDbObjectPtr(); }
};

template <class First, class... Rest>
struct Copier<First, Rest...> {
  static OdDbObjectPtr copy(const OdDbObject* source)
  {
    if (source->isA() != First::desc())
      return Copier<Rest...>::copy(source);
    OdSmartPtr<First> copy = OdRxObjectImpl<First>::createObject();
    static_cast<First&>(*copy) = static_cast<const First&>(*source);
    return OdDbObjectPtr(copy.get());
  }
};

using EntityCopier =
  Copier<OdDbLine, OdDbPoint, OdDbCircle, OdDbArc, OdDbEllipse, OdDbPolyline, OdDb3dPolyline, OdDbPolyFaceMesh,
         OdDbSpline, OdDbText, OdDbMText, OdDbBlockReference, OdDbAttributeDefinition, OdDbAttribute, OdDbHatch,
         OdDbRotatedDimension, OdDbAlignedDimension, OdDb2LineAngularDimension, OdDb3PointAngularDimension,
         OdDbRadialDimension, OdDbDiametricDimension, OdDbOrdinateDimension>;
using RecordCopier = Copier<OdDbLayerTableRecord, OdDbLinetypeTableRecord, OdDbTextStyleTableRecord>;

template <class T>
OdSmartPtr<T> openAs(OdDbObjectId id, OdDb::OpenMode mode = OdDb::kForRead)
{
  return OdSmartPtr<T>(T::cast(id.openObject(mode).get()));
}

} // namespace

// Copies objects from one drawing into another, each source object at most once.
class DatabaseInserter {
public:
  DatabaseInserter(OdDbDatabase& target, const OdDbDatabase& source) : m_target(target), m_source(source) {}

  OdDbObjectId copyBlock(OdDbObjectId sourceBlock, const OdString& name)
  {
    OdDbBlockTableRecordPtr from = openAs<OdDbBlockTableRecord>(sourceBlock);
    OdDbBlockTableRecordPtr block = OdRxObjectImpl<OdDbBlockTableRecord>::createObject();
    block->setName(name);
    block->origin = from->isLayout() ? OdGePoint3d() : from->origin;
    const OdDbObjectId id = openAs<OdDbBlockTable>(m_target.getBlockTableId(), OdDb::kForWrite)->add(block.get());
    m_copied[sourceBlock.getHandle()] = id;
    for (OdDbObjectId entityId : from->entityIds()) {
      OdDbEntityPtr entity = OdDbEntity::cast(entityId.openObject(OdDb::kForRead, true).get());
      if (entity.isNull() || entity->isErased())
        continue;
      OdDbEntityPtr copied = copyOf(*entity);
      if (copied.isNull())
        continue; // a class the drawing format here has no copy for is left out
      block->appendOdDbEntity(copied.get());
      copyXData(*entity, *copied);
      if (auto* reference = OdDbBlockReference::cast(copied.get()).get())
        copyAttributes(*OdDbBlockReference::cast(entity.get()), *reference);
    }
    return id;
  }

private:
  static void detach(OdDbObject* copy) { OdDbDatabase::forgetId(copy); }

  // A copy of the entity, not in any database yet, with the target's records in place of the
  // source's; null for a class without a copy.
  OdDbEntityPtr copyOf(const OdDbEntity& entity)
  {
    OdDbEntityPtr copied = OdDbEntity::cast(EntityCopier::copy(&entity).get());
    if (copied.isNull())
      return copied;
    detach(copied.get());
    copied->setLayer(record(entity.layerId(), m_target.getLayerTableId()));
    copied->setLinetype(record(entity.linetypeId(), m_target.getLinetypeTableId()));
    if (auto* text = OdDbText::cast(copied.get()).get())
      text->textStyle = record(text->textStyle, m_target.getTextStyleTableId());
    if (auto* mtext = OdDbMText::cast(copied.get()).get())
      mtext->textStyle = record(mtext->textStyle, m_target.getTextStyleTableId());
    if (auto* reference = OdDbBlockReference::cast(copied.get()).get())
      reference->blockTableRecord = nestedBlock(reference->blockTableRecord);
    if (auto* dimension = OdDbDimension::cast(copied.get()).get())
      dimension->setDimBlockId(nestedBlock(dimension->dimBlockId()));
    return copied;
  }

  void copyAttributes(const OdDbBlockReference& from, OdDbBlockReference& to)
  {
    for (OdDbObjectId id : from.attributeIds()) {
      OdDbEntityPtr attribute = OdDbEntity::cast(id.safeOpenObject().get());
      if (OdDbEntityPtr copied = attribute.isNull() ? attribute : copyOf(*attribute)) {
        to.appendAttribute(OdDbAttribute::cast(copied.get()).get());
        copyXData(*attribute, *copied);
      }
    }
  }

  // The target registers the applications the data names.
  void copyXData(const OdDbEntity& from, OdDbEntity& to)
  {
    const OdResBuf* xdata = from.peekXData();
    for (const OdResBuf* rb = xdata; rb; rb = rb->next().get())
      if (rb->restype() == OdResBuf::kDxfRegAppName)
        m_target.newRegApp(rb->getString());
    if (xdata)
      to.setXData(xdata);
  }

  // The target's record of the same name as the source's, copied over when it has none.
  OdDbObjectId record(OdDbObjectId sourceId, OdDbObjectId targetTable)
  {
    if (sourceId.isNull() || sourceId.database() != &m_source)
      return OdDbObjectId();
    const auto known = m_copied.find(sourceId.getHandle());
    if (known != m_copied.end())
      return known->second;
    OdDbSymbolTableRecordPtr from = openAs<OdDbSymbolTableRecord>(sourceId);
    OdDbSymbolTablePtr table = openAs<OdDbSymbolTable>(targetTable, OdDb::kForWrite);
    OdDbObjectId id = table->getAt(from->getName());
    if (id.isNull()) {
      OdDbObjectPtr copy = RecordCopier::copy(from.get());
      if (copy.isNull())
        return OdDbObjectId();
      detach(copy.get());
      if (auto* layer = OdDbLayerTableRecord::cast(copy.get()).get())
        layer->linetype = record(layer->linetype, m_target.getLinetypeTableId());
      id = table->add(OdDbSymbolTableRecord::cast(copy.get()).get());
    }
    m_copied[sourceId.getHandle()] = id;
    return id;
  }

  // The target's block of the same name, or a copy of the source's; a block that is being
  // copied already maps to itself, so a cycle ends instead of recursing.
  OdDbObjectId nestedBlock(OdDbObjectId sourceBlock)
  {
    if (sourceBlock.isNull() || sourceBlock.database() != &m_source)
      return OdDbObjectId();
    const auto known = m_copied.find(sourceBlock.getHandle());
    if (known != m_copied.end())
      return known->second;
    OdDbBlockTableRecordPtr block = openAs<OdDbBlockTableRecord>(sourceBlock);
    if (block->isAnonymous()) // its own, numbered among the target's: "*D" gives "*D1", "*D2"...
      return copyBlock(sourceBlock, OdString(block->getName().str().substr(0, 2)));
    const OdString name = block->getName();
    const OdDbObjectId existing = openAs<OdDbBlockTable>(m_target.getBlockTableId())->getAt(name);
    if (!existing.isNull())
      return m_copied[sourceBlock.getHandle()] = existing;
    return copyBlock(sourceBlock, name);
  }

  OdDbDatabase& m_target;
  const OdDbDatabase& m_source;
  std::map<OdDbHandle, OdDbObjectId> m_copied; // by source handle
};

OdDbObjectId OdDbDatabase::insert(const OdString& blockName, OdDbDatabase* source, bool)
{
  if (!source || source == this)
    throw OdError(eInvalidInput);
  if (!openAs<OdDbBlockTable>(getBlockTableId())->getAt(blockName).isNull())
    throw OdError(eDuplicateKey, OdString("Duplicate record name: ") + blockName);
  return DatabaseInserter(*this, *source).copyBlock(source->getModelSpaceId(), blockName);
}
