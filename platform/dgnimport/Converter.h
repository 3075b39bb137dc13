#pragma once
#include "EntityMaker.h"

#include <map>
#include <vector>

namespace dgn {

// What a conversion met besides what it converted.
struct ConversionStats {
  uint64_t elements = 0, skipped = 0, unknown = 0, malformed = 0;
  uint64_t unresolvedSharedCells = 0; // instances naming a definition the file does not hold
  bool truncated = false;
};

// Converts the elements of one design file into a database's model space. Complex elements
// (chains, shapes, text nodes, cells, shared cell definitions, B-splines) are collected on a
// stack as their components arrive. Cells become block definitions with a reference; shared
// cell definitions become block definitions that are never drawn by themselves, and each shared
// cell instance a reference to one.
class Converter {
public:
  Converter(OdDbDatabase* db, const ControlData& control, const std::string& codePage, const ImportOptions& options);

  // Reads the whole file; false when it could not be opened.
  bool run(const std::string& path);
  const ConversionStats& stats() const { return m_stats; }

  static constexpr size_t kMaxCellDepth = 8;

private:
  enum class Kind { Chain, Shape, TextNode, Cell, SharedCellDefinition, Spline, Skip };
  struct Open {
    Kind kind = Kind::Skip;
    long words = 0; // component words still to come
    Display display;
    std::vector<OdGePoint3d> points;
    TextData node;
    OdString contents;
    int lines = 0;
    Chain chain;                   // chains and shapes: their runs so far
    SplineHeader spline;
    std::vector<double> knots, weights;
    OdDbBlockTableRecordPtr block; // cells and shared cell definitions: the definition being filled
    OdGePoint3d origin;
  };
  // A shared cell instance whose definition had not come yet.
  struct PendingInstance {
    OdDbBlockTableRecordPtr owner;
    Display display;
    SharedCell cell;
  };
  typedef void (Converter::*Handler)(const Element&);

  void element(const Element& e);
  void closeFinished();
  void finish(Open& open);
  void finishSpline(Open& spline);
  OdDbBlockTableRecord& target();
  // Inside a shared cell definition positions are the definition's own, not the design's.
  const CoordinateMap& map() const;
  bool inside(Kind kind) const;
  bool collecting(Kind kind) const { return !m_open.empty() && m_open.back().kind == kind; }
  void open(Kind kind, const Element& header);
  OdDbBlockTableRecordPtr newBlock(const OdString& name, const char16_t* fallback, const OdGePoint3d& origin);
  void place(OdDbBlockTableRecord& owner, const Display& display, const SharedCell& cell);
  // Whether block `from` draws block `to`, through the references placed so far.
  bool reaches(OdDbObjectId from, OdDbObjectId to) const;

  void onSettings(const Element&) {}
  void onColorTable(const Element& e);
  void onLinear(const Element& e);
  void onConic(const Element& e);
  void onText(const Element& e);
  void onTextNode(const Element& e);
  void onComplex(const Element& e);
  void onCell(const Element& e);
  void onSharedCellDefinition(const Element& e);
  void onSharedCellInstance(const Element& e);
  void onCurve(const Element& e, bool inChain);
  void onSplineHeader(const Element& e);
  void onPoles(const Element& e);
  void onFractions(const Element& e);

  OdDbDatabase* m_db;
  CoordinateMap m_map, m_localMap;
  ImportOptions m_options;
  SymbologyMap m_symbology;
  TextDecoder m_decoder;
  EntityMaker m_maker;
  OdDbBlockTableRecordPtr m_modelSpace;
  std::vector<Open> m_open;
  std::vector<OdGePoint3d> m_points; // reused per element
  std::map<std::u16string, int> m_nameSuffixes;         // next suffix to try per block name
  std::map<std::u16string, OdDbObjectId> m_definitions; // shared cell definitions by upper-case name
  std::vector<PendingInstance> m_pending;
  std::map<OdDbObjectId, std::vector<OdDbObjectId>> m_uses; // the blocks each block references
  ConversionStats m_stats;
  Handler m_handlers[128] = {};
};

} // namespace dgn
