#pragma once
#include "Chain.h"
#include "Curves.h"
#include "Detail.h"
#include "ElementGeometry.h"
#include "ImportOptions.h"
#include "Mesh.h"
#include "Symbology.h"

#include <DbDatabase.h>

#include <map>
#include <string>

namespace dgn {

// Makes database entities from decoded geometry, as the import options ask, and appends them
// to a block.
class EntityMaker {
public:
  EntityMaker(SymbologyMap& symbology, const ImportOptions& options, bool is3d, Detail& detail)
    : m_symbology(symbology), m_options(options), m_is3d(is3d), m_detail(detail)
  {
  }

  // A line, or a point when both ends are the same.
  void line(OdDbBlockTableRecord& block, const Display& d, const OdGePoint3d& a, const OdGePoint3d& b);
  // A polyline through the points; `shape` marks closed shapes, which follow the shape mode.
  void polyline(OdDbBlockTableRecord& block, const Display& d, const std::vector<OdGePoint3d>& points, bool closed,
                bool shape);
  void points(OdDbBlockTableRecord& block, const Display& d, const std::vector<OdGePoint3d>& points);
  // What a complex chain or shape draws: a polyline for each of its runs, arcs kept as bulges
  // where the run lies in one plane and the options keep curves; a shape closes as MicroStation
  // closes it, its last run going on into its first.
  void chain(OdDbBlockTableRecord& block, const Display& d, const Chain& chain, bool shape);
  // An area fill: a solid hatch over the inside of a shape's loops or of a whole ellipse, to be
  // made before the outline so that the outline shows on top. Nothing where the loops leave their
  // plane.
  void fill(OdDbBlockTableRecord& block, const Display& d, const std::vector<ChainRun>& loops);
  void fill(OdDbBlockTableRecord& block, const Display& d, const Conic& closed);
  // MicroStation's curve element as the spline that draws it exactly.
  void curve(OdDbBlockTableRecord& block, const Display& d, const MicroStationCurve& curve);
  void conic(OdDbBlockTableRecord& block, const Display& d, const Conic& conic);
  OdDbObjectId text(OdDbBlockTableRecord& block, const Display& d, const TextData& text);
  void mtext(OdDbBlockTableRecord& block, const Display& d, const TextData& node, const OdString& contents);
  void spline(OdDbBlockTableRecord& block, const Display& d, const BSplineCurve& curve, bool closed);
  void reference(OdDbBlockTableRecord& block, const Display& d, OdDbObjectId definition, const OdGePoint3d& at,
                 const Placement& placement);
  // A polyface mesh, in pieces of at most kMaxMeshVertices vertices: the drawing format numbers
  // them in 16 bits.
  void mesh(OdDbBlockTableRecord& block, const Display& d, const Mesh& mesh);
  static constexpr size_t kMaxMeshVertices = 32767;

  // Appends an entity made elsewhere, with the layer, colour and line of `d`, and counts it.
  OdDbObjectId append(OdDbBlockTableRecord& block, OdDbEntity* entity, const Display& d);
  // Gives an entity made elsewhere (an attribute) the layer, colour and line of `d`.
  void decorate(OdDbEntity& entity, const Display& d) { m_symbology.apply(entity, d); }
  // The entities made since the source was last set.
  const std::vector<OdDbObjectId>& lastMade() const { return m_lastMade; }

  // The element type the entities made from now on come from, and how many entities of each
  // kind (by drawing format name) each element type became.
  int source() const { return m_source; }
  // The source of what an entity draws with (a dimension's block): not reported apart.
  static constexpr int kPartOfAnother = -1;
  void setSource(int type)
  {
    m_source = type;
    m_lastMade.clear();
  }
  typedef std::map<std::pair<int, std::string>, uint64_t> MadeCounts;
  MadeCounts made() const;

  // Points along a conic, for polyline approximations.
  static void stroke(const Conic& conic, std::vector<OdGePoint3d>& out);
  // Points along a conic at most 1e-4 of its smaller radius off it, as finely as the file's
  // detail allows.
  void strokeClosely(const Conic& conic, std::vector<OdGePoint3d>& out);

private:
  void run(OdDbBlockTableRecord& block, const Display& d, const ChainRun& run, bool closed, bool shape);
  // The normal of the plane a run lies in, when a polyline with bulges can hold it.
  std::optional<OdGeVector3d> bulgePlane(const ChainRun& run, bool shape) const;

  SymbologyMap& m_symbology;
  const ImportOptions& m_options;
  bool m_is3d;
  Detail& m_detail;
  int m_source = 0;
  std::vector<OdDbObjectId> m_lastMade;
  std::map<std::pair<int, const OdRxClass*>, uint64_t> m_madeByClass; // named once, at the end
};

} // namespace dgn
