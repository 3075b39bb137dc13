#include "DxfTables.h"

#include "DxfCodes.h"

#include <algorithm>

namespace dxf {

namespace {

// The records of a table that are not erased.
template <class T>
std::vector<OdSmartPtr<T>> openRecords(const OdDbSymbolTable& table)
{
  std::vector<OdSmartPtr<T>> records;
  for (OdDbObjectId id : table.recordIds())
    if (OdSmartPtr<T> record = T::cast(id.safeOpenObject().get()))
      records.push_back(record);
  return records;
}

} // namespace

void TablesWriter::writeHeader()
{
  beginSection(m_out, "HEADER");
  auto variable = [this](const char* name) { m_out.put(code::kVariable, name); };
  variable("$ACADVER");
  m_out.put(code::kText, kVersion);
  variable("$DWGCODEPAGE");
  m_out.put(code::kMoreText, "ANSI_1252");
  variable("$INSBASE");
  m_out.putPoint(code::kX, {});
  variable("$EXTMIN");
  m_out.putPoint(code::kX, m_extents.min);
  variable("$EXTMAX");
  m_out.putPoint(code::kX, m_extents.max);
  variable("$HANDSEED");
  m_out.putHandle(code::kHandle, m_seed);
  variable("$INSUNITS");
  m_out.putInt(code::kFlags, m_db.getInsertionUnits());
  variable("$MEASUREMENT");
  m_out.putInt(code::kFlags, isImperial(m_db.getInsertionUnits()) ? 0 : 1);
  variable("$CLAYER");
  m_out.put(code::kLayer, "0");
  variable("$CELTYPE");
  m_out.put(code::kLinetype, "ByLayer");
  variable("$TEXTSTYLE");
  m_out.put(code::kTextStyle, "Standard");
  variable("$DIMSTYLE");
  m_out.put(code::kName, "Standard");
  endSection(m_out);
}

void TablesWriter::tableHead(const char* name, OdDbHandle handle, int count)
{
  m_out.put(code::kStructure, "TABLE");
  m_out.put(code::kName, name);
  m_out.putHandle(code::kHandle, handle);
  m_out.putHandle(code::kOwner, 0);
  m_out.put(code::kSubclass, "AcDbSymbolTable");
  m_out.putInt(code::kFlags, count);
}

void TablesWriter::recordHead(GroupWriter& out, const char* type, OdDbHandle handle, OdDbHandle table,
                              const char* subclass)
{
  out.put(code::kStructure, type);
  out.putHandle(code::kHandle, handle);
  out.putHandle(code::kOwner, table);
  out.put(code::kSubclass, "AcDbSymbolTableRecord");
  out.put(code::kSubclass, subclass);
}

void TablesWriter::writeTables()
{
  beginSection(m_out, "TABLES");
  writeVport();
  writeLinetypes();
  writeLayers();
  writeStyles();
  writeEmptyTable("VIEW", kViewTable);
  writeEmptyTable("UCS", kUcsTable);
  writeRegApps();
  writeDimStyles();
  writeBlockRecords();
  endSection(m_out);
}

void TablesWriter::writeVport()
{
  tableHead("VPORT", fixed(kVportTable), 1);
  recordHead("VPORT", fixed(kVportActive), fixed(kVportTable), "AcDbViewportTableRecord");
  m_out.put(code::kName, "*Active");
  m_out.putInt(code::kFlags, 0);
  const bool empty = m_extents.min.x > m_extents.max.x;
  const OdGePoint3d lo = empty ? OdGePoint3d{} : m_extents.min, hi = empty ? OdGePoint3d{1, 1, 0} : m_extents.max;
  m_out.putReal(10, 0.0);
  m_out.putReal(20, 0.0);
  m_out.putReal(11, 1.0);
  m_out.putReal(21, 1.0);
  m_out.putReal(12, (lo.x + hi.x) / 2); // view centre: the whole drawing in view
  m_out.putReal(22, (lo.y + hi.y) / 2);
  m_out.putReal(40, std::max({hi.y - lo.y, (hi.x - lo.x) / 1.5, 1.0}));
  m_out.putReal(41, 1.5);
  m_out.put(code::kStructure, "ENDTAB");
}

void TablesWriter::writeLinetypes()
{
  OdDbSymbolTablePtr table = OdDbSymbolTable::cast(m_db.getLinetypeTableId().safeOpenObject().get());
  const std::vector<OdDbLinetypeTableRecordPtr> records = openRecords<OdDbLinetypeTableRecord>(*table);
  tableHead("LTYPE", table->getHandle(), int(records.size()));
  for (const OdDbLinetypeTableRecordPtr& record : records) {
    recordHead("LTYPE", record->getHandle(), table->getHandle(), "AcDbLinetypeTableRecord");
    m_out.put(code::kName, nameOf(record->objectId(), m_layerZero));
    m_out.putInt(code::kFlags, 0);
    m_out.putText(code::kMoreText, record->description.str());
    m_out.putInt(code::kInt3, 'A'); // alignment: always A
    m_out.putInt(code::kInt4, int(record->dashes.size()));
    m_out.putReal(code::kReal, record->patternLength());
    for (double dash : record->dashes) {
      m_out.putReal(code::kDash, dash);
      m_out.putInt(code::kInt5, 0); // a plain dash: no text or shape
    }
  }
  m_out.put(code::kStructure, "ENDTAB");
}

void TablesWriter::writeLayers()
{
  OdDbSymbolTablePtr table = OdDbSymbolTable::cast(m_db.getLayerTableId().safeOpenObject().get());
  const std::vector<OdDbLayerTableRecordPtr> records = openRecords<OdDbLayerTableRecord>(*table);
  tableHead("LAYER", table->getHandle(), int(records.size()));
  static const std::string continuous("Continuous");
  for (const OdDbLayerTableRecordPtr& layer : records) {
    recordHead("LAYER", layer->getHandle(), table->getHandle(), "AcDbLayerTableRecord");
    m_out.put(code::kName, nameOf(layer->objectId(), m_layerZero));
    m_out.putInt(code::kFlags, layer->isFrozen ? kLayerFrozen : 0);
    // A layer has a real colour; an off layer shows it negated.
    const OdCmColor& color = layer->color;
    const int index = color.colorMethod() == OdCmColor::kByACI && color.colorIndex() > 0 && color.colorIndex() < 256
                          ? color.colorIndex() : 7;
    m_out.putInt(code::kColor, layer->isOff ? -index : index);
    if (color.colorMethod() == OdCmColor::kByColor)
      m_out.putInt(code::kTrueColor, color.rgb());
    m_out.put(code::kLinetype, nameOf(layer->linetype, continuous));
    m_out.putInt(code::kLineWeight, layer->lineWeight);
  }
  m_out.put(code::kStructure, "ENDTAB");
}

void TablesWriter::writeStyles()
{
  OdDbSymbolTablePtr table = OdDbSymbolTable::cast(m_db.getTextStyleTableId().safeOpenObject().get());
  const std::vector<OdDbTextStyleTableRecordPtr> records = openRecords<OdDbTextStyleTableRecord>(*table);
  tableHead("STYLE", table->getHandle(), int(records.size()));
  for (const OdDbTextStyleTableRecordPtr& style : records) {
    recordHead("STYLE", style->getHandle(), table->getHandle(), "AcDbTextStyleTableRecord");
    m_out.put(code::kName, nameOf(style->objectId(), m_standard));
    m_out.putInt(code::kFlags, 0);
    m_out.putReal(code::kReal, style->textSize);
    m_out.putReal(code::kRealAux, style->xScale);
    m_out.putReal(code::kAngle, 0.0);
    m_out.putInt(code::kInt2, 0);
    m_out.putReal(code::kReal3, style->textSize > 0.0 ? style->textSize : 2.5);
    m_out.putText(code::kMoreText, style->fileName.str());
    m_out.put(4, ""); // no big font
  }
  m_out.put(code::kStructure, "ENDTAB");
}

void TablesWriter::writeEmptyTable(const char* name, Fixed table)
{
  tableHead(name, fixed(table), 0);
  m_out.put(code::kStructure, "ENDTAB");
}

void TablesWriter::writeRegApps()
{
  OdDbSymbolTablePtr table = OdDbSymbolTable::cast(m_db.getRegAppTableId().safeOpenObject().get());
  const std::vector<OdDbRegAppTableRecordPtr> records = openRecords<OdDbRegAppTableRecord>(*table);
  tableHead("APPID", table->getHandle(), int(records.size()));
  for (const OdDbRegAppTableRecordPtr& app : records) {
    recordHead("APPID", app->getHandle(), table->getHandle(), "AcDbRegAppTableRecord");
    m_out.putName(code::kName, app->getName().str());
    m_out.putInt(code::kFlags, 0);
  }
  m_out.put(code::kStructure, "ENDTAB");
}

// DIMSTYLE differs from the other tables: a subclass of its own and 105 for the record handle.
void TablesWriter::writeDimStyles()
{
  tableHead("DIMSTYLE", fixed(kDimStyleTable), 1);
  m_out.put(code::kSubclass, "AcDbDimStyleTable");
  m_out.putInt(code::kInt2, 0);
  m_out.put(code::kStructure, "DIMSTYLE");
  m_out.putHandle(code::kDimStyleHandle, fixed(kDimStyleStandard));
  m_out.putHandle(code::kOwner, fixed(kDimStyleTable));
  m_out.put(code::kSubclass, "AcDbSymbolTableRecord");
  m_out.put(code::kSubclass, "AcDbDimStyleTableRecord");
  m_out.put(code::kName, "Standard");
  m_out.putInt(code::kFlags, 0);
  m_out.put(code::kStructure, "ENDTAB");
}

void TablesWriter::writeBlockRecords()
{
  const std::vector<Block>& blocks = m_drawing.blocks();
  const OdDbHandle table = m_db.getBlockTableId().getHandle();
  tableHead("BLOCK_RECORD", table, int(blocks.size()));
  const int units = m_db.getInsertionUnits();
  m_pieces.write((blocks.size() + kPieceSize - 1) / kPieceSize, [&](size_t piece, GroupWriter& out) {
    const size_t end = std::min(blocks.size(), (piece + 1) * kPieceSize);
    for (size_t b = piece * kPieceSize; b < end; ++b) {
      recordHead(out, "BLOCK_RECORD", blocks[b].record->getHandle(), table, "AcDbBlockTableRecord");
      m_drawing.putBlockName(out, code::kName, blocks[b]);
      out.putHandle(code::kSoftPointer, m_drawing.layoutOf(blocks[b]));
      out.putInt(code::kFlags, units);
      out.putInt(280, 1); // explodable
      out.putInt(281, 0); // scales freely
    }
  });
  m_out.put(code::kStructure, "ENDTAB");
}

void TablesWriter::writeDictionary(OdDbHandle handle, OdDbHandle owner,
                                    std::initializer_list<std::pair<const char*, OdDbHandle>> entries)
{
  m_out.put(code::kStructure, "DICTIONARY");
  m_out.putHandle(code::kHandle, handle);
  m_out.putHandle(code::kOwner, owner);
  m_out.put(code::kSubclass, "AcDbDictionary");
  m_out.putInt(281, 1); // keep existing entries on a name clash
  for (const auto& [name, entry] : entries) {
    m_out.put(code::kMoreText, name);
    m_out.putHandle(code::kOwnedPointer, entry);
  }
}

void TablesWriter::writeLayout(OdDbHandle handle, const char* name, int flags, int tabOrder, OdDbHandle block)
{
  m_out.put(code::kStructure, "LAYOUT");
  m_out.putHandle(code::kHandle, handle);
  m_out.putHandle(code::kOwner, fixed(kLayoutDictionary));
  m_out.put(code::kSubclass, "AcDbPlotSettings");
  m_out.put(code::kText, "");
  m_out.put(4, "");
  m_out.put(code::kLinetype, "");
  m_out.putInt(code::kFlags, 688); // print lineweights, use standard scale, ...
  m_out.putInt(code::kInt3, 1);    // paper units: millimetres
  m_out.put(code::kSubclass, "AcDbLayout");
  m_out.put(code::kText, name);
  m_out.putInt(code::kFlags, flags);
  m_out.putInt(code::kInt2, tabOrder);
  m_out.putPoint(code::kX, {});
  m_out.putPoint(code::kX2, {420.0, 297.0, 0.0});
  m_out.putPoint(code::kX3, {});
  m_out.putPoint(14, m_extents.min);
  m_out.putPoint(15, m_extents.max);
  m_out.putReal(146, 0.0);
  m_out.putPoint(13, {});
  m_out.putPoint(16, {1.0, 0.0, 0.0});
  m_out.putPoint(17, {0.0, 1.0, 0.0});
  m_out.putInt(76, 1);
  m_out.putHandle(code::kOwner, block);
}

void TablesWriter::writeObjects()
{
  beginSection(m_out, "OBJECTS");
  writeDictionary(fixed(kRootDictionary), 0,
                  {{"ACAD_GROUP", fixed(kGroupDictionary)}, {"ACAD_LAYOUT", fixed(kLayoutDictionary)}});
  writeDictionary(fixed(kGroupDictionary), fixed(kRootDictionary), {});
  writeDictionary(fixed(kLayoutDictionary), fixed(kRootDictionary),
                  {{"Layout1", fixed(kPaperLayout)}, {"Model", fixed(kModelLayout)}});
  writeLayout(fixed(kModelLayout), "Model", 1, 0, m_db.getModelSpaceId().getHandle());
  writeLayout(fixed(kPaperLayout), "Layout1", 0, 1, m_db.getPaperSpaceId().getHandle());
  endSection(m_out);
}

} // namespace dxf
