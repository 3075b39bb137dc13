#pragma once
#include "Collectors.h"
#include "DimensionMaker.h"
#include "TagAttachment.h"
#include "ConversionProgress.h"
#include "DgnFormat.h"
#include "Detail.h"
#include "EntityMaker.h"

#include <map>
#include <memory>
#include <vector>

namespace dgn {

// What a conversion met besides what it converted.
struct ConversionStats {
  uint64_t elements = 0, skipped = 0, unknown = 0, malformed = 0;
  uint64_t unresolvedSharedCells = 0; // instances naming a definition the file does not hold
  uint64_t multiLines = 0;            // their layout is not public: not converted
  uint64_t threeDDimensions = 0;      // nor is that of dimensions in 3D files
  uint64_t unresolvedDimensions = 0;  // with points on elements the file does not hold
  std::map<int, uint64_t> coarser;    // elements of each type drawn coarser for the file's vertex budget
  bool truncated = false;
  EntityMaker::MadeCounts made;       // entities of each kind made of each element type
};

// Converts the elements of one design file into a database's model space. Complex elements
// (chains, shapes, text nodes, cells, shared cell definitions, B-splines) are collected on a
// stack as their components arrive; surfaces, solids and cones become meshes. Cells become block definitions with a reference; shared
// cell definitions become block definitions that are never drawn by themselves, and each shared
// cell instance a reference to one.
class Converter {
public:
  // The file's last colour table, which MicroStation draws the whole file in, as inspection found it.
  Converter(OdDbDatabase* db, const ControlData& control, const std::string& codePage,
            const std::optional<ColorTable>& colors, const ImportOptions& options);

  // Reads the whole file, telling `progress` how far it has come; false when it could not be opened.
  bool run(const std::string& path, ConversionProgress* progress = nullptr);
  const ConversionStats& stats() const { return m_stats; }

  // Cells and shared cell definitions nested deeper are skipped: every component costs the depth.
  static constexpr size_t kMaxCellDepth = 8;

private:
  using Kind = Collector::Kind;
  // A shared cell instance whose definition had not come yet.
  struct PendingInstance {
    OdDbBlockTableRecordPtr owner;
    Display display;
    SharedCell cell;
  };
  struct PendingDimension {
    OdDbBlockTableRecordPtr owner;
    Display display;
    DimensionData dimension;
  };
  typedef void (Converter::*Handler)(const Element&);

  void element(const Element& e);
  void closeFinished();
  // Ends the innermost complex element and makes what it collected.
  void finishInnermost();
  void finish(Collector& collector);
  // Makes the entities of a finished complex element.
  void make(Collector& collector);
  void finishSpline(SplineCollector& spline);
  void finishSurface(SurfaceCollector& surface);
  void finishSwept(SweptCollector& swept);
  // Rational poles as stored are weighted: the points they stand for.
  void unweight(std::vector<OdGePoint3d>& poles, const std::vector<double>& weights) const;
  // The tolerance for an element within `box`, `relative` of its size as the file's detail allows.
  double tolerance(double relative, const Bounds& box) const;
  // A mesh made within the vertices the file's detail allows, and counted against them.
  template <class MakeMesh>
  Mesh budgeted(int type, MakeMesh make);
  // A component of a 3D surface or solid: a rule when its class says so, else part of a boundary.
  void addToSwept(const Element& e, const std::vector<OdGePoint3d>& points, const Conic* arc);
  OdDbBlockTableRecord& target();
  // Inside a shared cell definition positions are the definition's own, not the design's.
  const CoordinateMap& map() const;
  bool inside(Kind kind) const;
  // Cells and shared cell definitions open around the element at hand.
  size_t blockDepth() const;
  bool collecting(Kind kind) const { return !m_open.empty() && m_open.back()->kind == kind; }
  // The innermost complex element when it is of `kind`, else null.
  template <class C>
  C* collector(Kind kind) const { return collecting(kind) ? static_cast<C*>(m_open.back().get()) : nullptr; }
  ChainCollector* chainCollector() const;
  // Whether a complex element of `kind` may open here: one whose length is wrong is counted, one
  // where it cannot be is counted and skipped with its components.
  bool mayOpen(Kind kind, const Element& header);
  // Opens a complex element that may open, as a collector of type C made with `args`.
  template <class C, class... Args>
  C& open(Kind kind, const Element& header, Args&&... args);
  // Skips a complex element with its components.
  void skip(const Element& header);
  // Cells and shared cell definitions hold any element; chains, shapes, 3D surfaces and solids
  // hold B-spline curves (the last also chains and shapes); the others hold no complex element.
  static bool mayHold(Kind outer, Kind inner);
  // Opens a complex element whose header `read` decodes; one it cannot decode is skipped with its
  // components.
  template <class C, class Header>
  void openHeader(Kind kind, const Element& e, bool (*read)(const Element&, Header&));
  OdDbBlockTableRecordPtr newBlock(const OdString& name, const char16_t* fallback, const OdGePoint3d& origin);
  void place(OdDbBlockTableRecord& owner, const Display& display, const SharedCell& cell);
  // Whether block `from` draws block `to`, through the references placed so far.
  bool reaches(OdDbObjectId from, OdDbObjectId to);
  // Whether `block` is a cell or shared cell definition still being filled.
  bool filling(OdDbObjectId block) const;

  void onSettings(const Element&) {}
  void onLinear(const Element& e);
  void onConic(const Element& e);
  void onText(const Element& e);
  void onTextNode(const Element& e);
  void onComplex(const Element& e);
  void onCell(const Element& e);
  void onSharedCellDefinition(const Element& e);
  void onSharedCellInstance(const Element& e);
  void onCurve(const Element& e, ChainCollector* chain);
  void onSplineHeader(const Element& e);
  void onPoles(const Element& e);
  void onFractions(const Element& e);
  void onSurfaceHeader(const Element& e);
  void onBoundary(const Element& e);
  void onSweptHeader(const Element& e);
  void onCone(const Element& e);
  void onMultiLine(const Element&) { ++m_stats.multiLines; }
  void onApplicationData(const Element& e);
  void onTagValue(const Element& e);
  void onDimension(const Element& e);
  void drawDimension(OdDbBlockTableRecord& owner, const Display& display, const DimensionData& d);

  OdDbDatabase* m_db;
  CoordinateMap m_map, m_localMap;
  ImportOptions m_options;
  SymbologyMap m_symbology;
  TextDecoder m_decoder;
  Detail m_detail;
  EntityMaker m_maker;
  TagAttachment m_tags;
  AssociationTargets m_targets; // what dimensions' points may lie on
  DimensionFormat m_dimensionFormat;
  DimensionMaker m_dimensions;
  std::vector<PendingDimension> m_pendingDimensions; // waiting for what their points lie on
  OdDbBlockTableRecordPtr m_modelSpace;
  std::vector<std::unique_ptr<Collector>> m_open; // the complex elements being collected, outermost first
  std::vector<OdGePoint3d> m_points; // reused per element
  std::map<std::u16string, int> m_nameSuffixes;         // per block name, the last suffix taken (1: none)
  std::u16string m_lastBase;                            // the name of the latest block, as given
  int* m_lastTaken = nullptr;                           // and its entry in m_nameSuffixes
  std::map<std::u16string, OdDbObjectId> m_definitions; // shared cell definitions by upper-case name
  std::vector<PendingInstance> m_pending;
  std::map<OdDbObjectId, std::vector<OdDbObjectId>> m_uses; // the blocks each block references
  uint64_t m_searchBudget = 5000000;                         // blocks all searches of m_uses may visit
  ConversionStats m_stats;
  Handler m_handlers[ElementType::kCount] = {};
};

} // namespace dgn
