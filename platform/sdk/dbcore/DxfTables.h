#pragma once
// The sections around the entities: HEADER, TABLES and OBJECTS.
#include "DxfDrawing.h"
#include "DxfPieces.h"

#include <initializer_list>
#include <string>
#include <utility>

namespace dxf {

class TablesWriter {
public:
  // extents: of model space; seed: the first handle the file leaves free.
  TablesWriter(const Drawing& drawing, const Box& extents, OdDbHandle seed, GroupWriter& out, PieceWriter& pieces)
      : m_drawing(drawing), m_db(drawing.db()), m_extents(extents), m_seed(seed), m_out(out), m_pieces(pieces)
  {
  }

  void writeHeader();
  void writeTables();
  void writeObjects();

private:
  OdDbHandle fixed(Fixed which) const { return m_drawing.fixed(which); }
  const std::string& nameOf(OdDbObjectId id, const std::string& fallback) const { return m_drawing.nameOf(id, fallback); }
  void tableHead(const char* name, OdDbHandle handle, int count);
  void recordHead(const char* type, OdDbHandle handle, OdDbHandle table, const char* subclass)
  {
    recordHead(m_out, type, handle, table, subclass);
  }
  static void recordHead(GroupWriter& out, const char* type, OdDbHandle handle, OdDbHandle table,
                         const char* subclass);
  void writeVport();
  void writeLinetypes();
  void writeLayers();
  void writeStyles();
  void writeRegApps();
  void writeEmptyTable(const char* name, Fixed table);
  void writeDimStyles();
  void writeBlockRecords();
  void writeDictionary(OdDbHandle handle, OdDbHandle owner, std::initializer_list<std::pair<const char*, OdDbHandle>> entries);
  void writeLayout(OdDbHandle handle, const char* name, int flags, int tabOrder, OdDbHandle block);

  const Drawing& m_drawing;
  const OdDbDatabase& m_db;
  const Box& m_extents;
  const OdDbHandle m_seed;
  GroupWriter& m_out;
  PieceWriter& m_pieces;
  const std::string m_layerZero{"0"}, m_standard{"Standard"};
};

} // namespace dxf
