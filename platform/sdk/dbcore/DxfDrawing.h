#pragma once
// What the parts of the DXF writer share of the drawing they write.
#include "DbDatabase.h"
#include "DxfEntityWriter.h"
#include "DxfExtents.h"

#include <string>
#include <vector>

namespace dxf {

// The handles of what the drawing has no object for; they follow the database's own handles.
enum Fixed : int {
  kVportTable, kVportActive, kViewTable, kUcsTable, kDimStyleTable,
  kDimStyleStandard, kRootDictionary, kGroupDictionary, kLayoutDictionary, kModelLayout,
  kPaperLayout, kFixedCount
};

// The database holds its records open while it writes itself, and a drawing may hold a block for
// each of a million cells: a block here is its record, no more.
struct Block {
  const OdDbBlockTableRecord* record;
};

// The database as the writer goes through it: the names of its records, its blocks in the
// order of the block table, and the handles the file gives what the database has no object for.
class Drawing {
public:
  explicit Drawing(const OdDbDatabase& db);

  const OdDbDatabase& db() const { return m_db; }
  OdDbHandle fixed(Fixed which) const { return m_base + which; }
  const NameTable& names() const { return m_names; }
  const std::string& nameOf(OdDbObjectId id, const std::string& fallback) const;
  const std::vector<Block>& blocks() const { return m_blocks; }
  // Model and paper space under the names the format gives them, other blocks under their own.
  void putBlockName(GroupWriter& out, int code, const Block& block) const;
  // The layout a block holds the contents of; 0 unless model or paper space.
  OdDbHandle layoutOf(const Block& block) const;
  size_t modelBlock() const { return m_modelBlock; }
  // The index in blocks() of the block `id` names; kNoBlock for none the table holds, and for a
  // layout, which is no block to place.
  size_t indexOf(OdDbObjectId id) const;

private:
  void collectNames(OdDbObjectId tableId);

  const OdDbDatabase& m_db;
  const OdDbHandle m_base;
  std::vector<Block> m_blocks;
  std::vector<OdDbHandle> m_blockHandles; // of m_blocks, to find a block by
  size_t m_modelBlock = kNoBlock, m_paperBlock = kNoBlock;
  NameTable m_names; // layers, line types and styles; blocks are many and go by their records
};

void beginSection(GroupWriter& out, const char* name);
void endSection(GroupWriter& out);

} // namespace dxf
