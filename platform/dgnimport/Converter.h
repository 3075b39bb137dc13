#pragma once
#include "EntityMaker.h"

#include <map>
#include <vector>

namespace dgn {

// What a conversion met besides what it converted.
struct ConversionStats {
  uint64_t elements = 0, skipped = 0, unknown = 0, malformed = 0;
  bool truncated = false;
};

// Converts the elements of one design file into a database's model space. Complex elements
// (chains, shapes, text nodes, cells, B-splines) are collected on a stack as their components
// arrive; cells become block definitions with a reference.
class Converter {
public:
  Converter(OdDbDatabase* db, const ControlData& control, const ImportOptions& options);

  // Reads the whole file; false when it could not be opened.
  bool run(const std::string& path);
  const ConversionStats& stats() const { return m_stats; }

  static constexpr size_t kMaxCellDepth = 8;

private:
  enum class Kind { Chain, Shape, TextNode, Cell, Spline, Skip };
  struct Open {
    Kind kind;
    long words; // component words still to come
    Display display;
    std::vector<OdGePoint3d> points;
    TextData node;
    OdString contents;
    int lines = 0;
    SplineHeader spline;
    std::vector<double> knots, weights;
    OdDbBlockTableRecordPtr block; // cells: the definition being filled
    OdGePoint3d origin;
  };
  typedef void (Converter::*Handler)(const Element&);

  void element(const Element& e);
  void closeFinished();
  void finish(Open& open);
  OdDbBlockTableRecord& target();
  bool collecting(Kind kind) const { return !m_open.empty() && m_open.back().kind == kind; }
  void open(Kind kind, const Element& header);

  void onControl(const Element&) {}
  void onColorTable(const Element& e);
  void onLinear(const Element& e);
  void onConic(const Element& e);
  void onText(const Element& e);
  void onTextNode(const Element& e);
  void onComplex(const Element& e);
  void onCell(const Element& e);
  void onSplineHeader(const Element& e);
  void onPoles(const Element& e);
  void onFractions(const Element& e);

  OdDbDatabase* m_db;
  CoordinateMap m_map;
  ImportOptions m_options;
  SymbologyMap m_symbology;
  EntityMaker m_maker;
  OdDbBlockTableRecordPtr m_modelSpace;
  std::vector<Open> m_open;
  std::vector<OdGePoint3d> m_points; // reused per element
  std::map<std::u16string, int> m_cellNames;
  ConversionStats m_stats;
  Handler m_handlers[128] = {};
};

} // namespace dgn
