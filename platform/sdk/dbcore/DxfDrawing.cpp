#include "DxfDrawing.h"

#include "DxfCodes.h"

#include <algorithm>

namespace dxf {

Drawing::Drawing(const OdDbDatabase& db) : m_db(db), m_base(db.handseed())
{
  collectNames(m_db.getLayerTableId());
  collectNames(m_db.getLinetypeTableId());
  collectNames(m_db.getTextStyleTableId());
  m_names.sort();
  OdDbSymbolTablePtr blocks = OdDbSymbolTable::cast(m_db.getBlockTableId().safeOpenObject().get());
  m_blocks.reserve(blocks->recordIds().size());
  for (OdDbObjectId id : blocks->recordIds())
    if (const OdDbBlockTableRecord* record = as<OdDbBlockTableRecord>(id.peekObject()))
      m_blocks.push_back(Block{record});
  m_blockHandles.reserve(m_blocks.size());
  for (size_t b = 0; b < m_blocks.size(); ++b) {
    m_blockHandles.push_back(m_blocks[b].record->getHandle());
    const OdDbHandle layout = layoutOf(m_blocks[b]);
    if (layout)
      (layout == fixed(kModelLayout) ? m_modelBlock : m_paperBlock) = b;
  }
}

void Drawing::collectNames(OdDbObjectId tableId)
{
  OdDbSymbolTablePtr table = OdDbSymbolTable::cast(tableId.safeOpenObject().get());
  if (!table)
    return;
  m_names.reserve(table->recordIds().size());
  for (OdDbObjectId id : table->recordIds()) {
    if (OdDbSymbolTableRecordPtr record = OdDbSymbolTableRecord::cast(id.safeOpenObject().get()))
      m_names.add(id.getHandle(), safeName(record->getName()));
  }
}

const std::string& Drawing::nameOf(OdDbObjectId id, const std::string& fallback) const
{
  return dxf::nameOf(m_names, id, fallback);
}

void Drawing::putBlockName(GroupWriter& out, int code, const Block& block) const
{
  const OdDbObjectId id = block.record->objectId();
  if (id == m_db.getModelSpaceId() || id == m_db.getPaperSpaceId())
    out.put(code, id == m_db.getModelSpaceId() ? kModelSpace : kPaperSpace);
  else
    out.putName(code, block.record->getName().str());
}

OdDbHandle Drawing::layoutOf(const Block& block) const
{
  const OdDbObjectId id = block.record->objectId();
  return id == m_db.getModelSpaceId() ? fixed(kModelLayout) : id == m_db.getPaperSpaceId() ? fixed(kPaperLayout) : 0;
}

size_t Drawing::indexOf(OdDbObjectId id) const
{
  if (id.isNull())
    return kNoBlock;
  // A table holds its records in the order they were added, which is the order of their handles.
  const auto found = std::lower_bound(m_blockHandles.begin(), m_blockHandles.end(), id.getHandle());
  const size_t index = size_t(found - m_blockHandles.begin());
  if (found == m_blockHandles.end() || m_blocks[index].record != id.peekObject() || index == m_modelBlock ||
      index == m_paperBlock)
    return kNoBlock;
  return index;
}

void beginSection(GroupWriter& out, const char* name)
{
  out.put(code::kStructure, "SECTION");
  out.put(code::kName, name);
}

void endSection(GroupWriter& out)
{
  out.put(code::kStructure, "ENDSEC");
}

} // namespace dxf
