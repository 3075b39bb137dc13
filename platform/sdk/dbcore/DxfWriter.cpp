#include "DxfWriter.h"

#include "DxfCodes.h"
#include "DxfTables.h"
#include "ParallelInOrder.h"

#include <OdError.h>

#include <algorithm>
#include <type_traits>

namespace dxf {

namespace {

// Where a piece of a section starts: before entity `entity` of block `block` (in the BLOCKS
// section, entity 0 means before the block's head), with the handles its records take beyond
// the entities' own from `handle` on.
struct Cut {
  size_t block, entity;
  OdDbHandle handle;
};

// Writes the drawing: works out where the BLOCKS and ENTITIES sections are cut into pieces, the
// handles and the extents, then writes the sections in their order.
class DrawingWriter {
public:
  DrawingWriter(const OdDbDatabase& db, OdStreamBuf& stream, int precision)
      : m_drawing(db), m_out(stream, precision), m_pieces(stream, m_out, precision)
  {
  }
  void write();

private:
  void cutSections();
  void tallyPieces();
  // Calls f(block, from, to, last) for each block the piece spans, with the entities from..to-1
  // of it that the piece holds; last: the piece ends in this block.
  template <class F>
  void forEachSpan(const std::vector<Cut>& cuts, size_t piece, bool blocks, F&& f) const;
  // The BLOCKS section (blocks: true) or the ENTITIES section, piece by piece.
  void writeSection(const char* name, const std::vector<Cut>& cuts, bool blocks);
  void writePiece(const std::vector<Cut>& cuts, size_t piece, bool blocks, GroupWriter& out) const;
  void blockEdge(GroupWriter& out, const Block& block, OdDbHandle handle, bool head) const;

  const Drawing m_drawing;
  const std::vector<Block>& m_blocks = m_drawing.blocks();
  GroupWriter m_out;
  PieceWriter m_pieces;
  OdDbHandle m_seed = 0;
  std::vector<Cut> m_blockCuts, m_entityCuts;
  Box m_extents;
};

// A piece ends once it holds kPieceSize entities; in the BLOCKS section, at a block's head if it
// can. Where the cuts fall depends on the numbers of entities alone.
void DrawingWriter::cutSections()
{
  size_t blockRun = 0, entityRun = 0; // entities since the last cut
  m_blockCuts = {{0, 0, 0}};
  m_entityCuts = {{0, 0, 0}};
  for (size_t b = 0; b < m_blocks.size(); ++b) {
    const bool layout = m_drawing.layoutOf(m_blocks[b]) != 0;
    if (blockRun >= kPieceSize)
      m_blockCuts.push_back({b, 0, 0}), blockRun = 0;
    const size_t count = m_blocks[b].record->entityIds().size();
    for (size_t i = 0; i < count; ++i) {
      if (layout) {
        if (entityRun >= kPieceSize)
          m_entityCuts.push_back({b, i, 0}), entityRun = 0;
        ++entityRun;
      } else {
        if (i > 0 && blockRun >= kPieceSize)
          m_blockCuts.push_back({b, i, 0}), blockRun = 0;
        ++blockRun;
      }
    }
  }
}

// Each piece's extra handles, and the extents, side by side on every core; then the handles each
// piece starts from. Handles beyond the objects' own are taken in file order: BLOCK, the entities'
// VERTEX and SEQEND records and ENDBLK of every block, then those of the model and paper space
// entities. The BLOCKS pieces give each block the box of its entities but its references, which
// placeNested then adds, every block once; the ENTITIES pieces place model space's references by
// the finished boxes.
void DrawingWriter::tallyPieces()
{
  struct Tally {
    OdDbHandle extra = 0;
    Box extents;                                // of model space's entities in the piece
    std::vector<std::pair<size_t, Box>> shared; // boxes of the parts of blocks other pieces hold the rest of
    std::vector<Reference> references;          // those the piece's blocks hold
  };
  // A piece that holds all of a block's entities writes the block's box alone; the parts of a
  // block that pieces share are merged in their order.
  BlockBoxes boxes(m_blocks.size(), [this](size_t block) { return m_blocks[block].record->origin; });
  const auto pass = [&](const std::vector<Cut>& cuts, bool blocks, const auto& take) {
    std::vector<Tally> tallies(cuts.size());
    const auto make = [&](size_t piece, unsigned) {
      Tally& tally = tallies[piece];
      forEachSpan(cuts, piece, blocks, [&](const Block& block, size_t from, size_t to, bool) {
        const size_t index = size_t(&block - m_blocks.data());
        const bool measure = blocks || index == m_drawing.modelBlock();
        const OdDbObjectIdArray& ids = block.record->entityIds();
        Box box;
        for (size_t i = from; i < to; ++i) {
          const OdDbEntity* e = as<OdDbEntity>(ids[i].peekObject());
          if (!e)
            continue;
          tally.extra += dxf::extraHandles(*e);
          if (!measure)
            continue;
          // A block reference or dimension draws its block: the block's box is placed now, in
          // the ENTITIES section, or once it is finished.
          const auto placeBlock = [&](const OdDbBlockReference* insert, OdDbObjectId block) {
            if (blocks)
              tally.references.push_back({index, m_drawing.indexOf(block), insert});
            else
              boxes.placeIn(box, insert, m_drawing.indexOf(block));
          };
          visit(*e, [&](const auto& entity) {
            using Kind = std::decay_t<decltype(entity)>;
            if constexpr (std::is_same_v<Kind, OdDbBlockReference>) {
              extendByAttributes(box, entity);
              placeBlock(&entity, entity.blockTableRecord);
            } else if constexpr (std::is_base_of_v<OdDbDimension, Kind>) {
              placeBlock(nullptr, entity.dimBlockId());
            } else {
              extendBy(box, entity);
            }
          });
        }
        if (!blocks) {
          tally.extents.merge(box);
        } else if (from < to) { // an empty span may be of a block another piece holds
          if (from == 0 && to == ids.size())
            boxes[index] = box;
          else
            tally.shared.emplace_back(index, box);
        }
      });
    };
    parallelInOrder(cuts.size(), workerCount(), cuts.size(), make, [&](size_t piece) {
      take(piece, tallies[piece]);
      tallies[piece] = Tally{};
    });
  };
  OdDbHandle handle = m_drawing.fixed(kFixedCount);
  std::vector<Reference> references;
  pass(m_blockCuts, true, [&](size_t piece, Tally& tally) {
    Cut& cut = m_blockCuts[piece];
    // A BLOCK and an ENDBLK for each block before, and this block's BLOCK unless the cut is before it.
    cut.handle = handle + 2 * cut.block + (cut.entity > 0 ? 1 : 0);
    handle += tally.extra;
    for (const auto& [index, box] : tally.shared)
      boxes[index].merge(box);
    references.insert(references.end(), tally.references.begin(), tally.references.end());
  });
  boxes.placeNested(references);
  handle += 2 * m_blocks.size();
  pass(m_entityCuts, false, [&](size_t piece, Tally& tally) {
    m_entityCuts[piece].handle = handle;
    handle += tally.extra;
    m_extents.merge(tally.extents);
  });
  m_seed = handle;
}

void DrawingWriter::write()
{
  cutSections();
  tallyPieces();
  TablesWriter tables(m_drawing, m_extents, m_seed, m_out, m_pieces);
  tables.writeHeader();
  beginSection(m_out, "CLASSES");
  endSection(m_out);
  tables.writeTables();
  writeSection("BLOCKS", m_blockCuts, true);
  writeSection("ENTITIES", m_entityCuts, false);
  tables.writeObjects();
  m_out.put(code::kStructure, "EOF");
  m_out.flush();
}

void DrawingWriter::blockEdge(GroupWriter& out, const Block& block, OdDbHandle handle, bool head) const
{
  out.put(code::kStructure, head ? "BLOCK" : "ENDBLK");
  out.putHandle(code::kHandle, handle);
  out.putHandle(code::kOwner, block.record->getHandle());
  out.put(code::kSubclass, "AcDbEntity");
  if (m_drawing.layoutOf(block) == m_drawing.fixed(kPaperLayout))
    out.putInt(code::kPaperSpace, 1);
  out.put(code::kLayer, "0");
  if (!head) {
    out.put(code::kSubclass, "AcDbBlockEnd");
    return;
  }
  out.put(code::kSubclass, "AcDbBlockBegin");
  m_drawing.putBlockName(out, code::kName, block);
  out.putInt(code::kFlags, block.record->isAnonymous() ? kBlockAnonymous : 0);
  out.putPoint(code::kX, block.record->origin);
  m_drawing.putBlockName(out, code::kMoreText, block);
  out.put(code::kText, "");
}

// A piece runs from its cut to the next one. Layout contents belong to the ENTITIES section, the
// other blocks' to the BLOCKS section, between their heads and ends.
template <class F>
void DrawingWriter::forEachSpan(const std::vector<Cut>& cuts, size_t piece, bool blocks, F&& f) const
{
  const Cut& from = cuts[piece];
  const Cut to = piece + 1 < cuts.size() ? cuts[piece + 1] : Cut{m_blocks.size(), 0, 0};
  for (size_t b = from.block, k = from.entity; b < to.block || (b == to.block && k < to.entity); ++b, k = 0) {
    const Block& block = m_blocks[b];
    const bool drawnHere = blocks == !m_drawing.layoutOf(block), last = b == to.block;
    const size_t end = !drawnHere ? 0 : last ? to.entity : block.record->entityIds().size();
    f(block, k, std::max(k, end), last);
    if (last)
      break;
  }
}

void DrawingWriter::writePiece(const std::vector<Cut>& cuts, size_t piece, bool blocks, GroupWriter& out) const
{
  EntityWriter writer(m_drawing.db(), m_drawing.names(), out);
  writer.setNextHandle(cuts[piece].handle);
  forEachSpan(cuts, piece, blocks, [&](const Block& block, size_t from, size_t to, bool last) {
    if (blocks && from == 0)
      blockEdge(out, block, writer.takeHandle(), true);
    writer.setOwner(block.record->getHandle(), !blocks && m_drawing.layoutOf(block) == m_drawing.fixed(kPaperLayout));
    const OdDbObjectIdArray& ids = block.record->entityIds();
    for (size_t k = from; k < to; ++k)
      if (const OdDbEntity* entity = as<OdDbEntity>(ids[k].peekObject()))
        writer.write(*entity);
    if (blocks && !last)
      blockEdge(out, block, writer.takeHandle(), false);
  });
}

void DrawingWriter::writeSection(const char* name, const std::vector<Cut>& cuts, bool blocks)
{
  beginSection(m_out, name);
  m_pieces.write(cuts.size(), [&](size_t piece, GroupWriter& out) { writePiece(cuts, piece, blocks, out); });
  endSection(m_out);
}

} // namespace

void writeDrawing(const OdDbDatabase& db, OdStreamBuf& stream, int precision)
{
  DrawingWriter(db, stream, precision).write();
}

} // namespace dxf

void OdDbDatabase::writeFile(OdStreamBuf* stream, OdDb::SaveType type, OdDb::DwgVersion version, bool, int dxfPrecision)
{
  if (!stream)
    throw OdError(eInvalidInput, OdString("No stream to write the drawing to"));
  if (type != OdDb::kDwg && type != OdDb::kDxf)
    throw OdError(eInvalidInput, OdString("Unknown save type"));
  if (version != OdDb::kDHL_1032)
    throw OdError(eNotImplementedYet, OdString("Only release AC1032 drawings are written"));
  // No DWG writer here: either type is written as DXF.
  dxf::writeDrawing(*this, *stream, dxfPrecision);
}
