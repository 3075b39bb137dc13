#pragma once
#include "ElementGeometry.h"
#include "ImportOptions.h"
#include "Symbology.h"

#include <DbDatabase.h>

namespace dgn {

// Makes database entities from decoded geometry, as the import options ask, and appends them
// to a block.
class EntityMaker {
public:
  EntityMaker(SymbologyMap& symbology, const ImportOptions& options, bool is3d)
    : m_symbology(symbology), m_options(options), m_is3d(is3d)
  {
  }

  // A line, or a point when both ends are the same.
  void line(OdDbBlockTableRecord& block, const Display& d, const OdGePoint3d& a, const OdGePoint3d& b);
  // A polyline through the points; `shape` marks closed shapes, which follow the shape mode.
  void polyline(OdDbBlockTableRecord& block, const Display& d, const std::vector<OdGePoint3d>& points, bool closed,
                bool shape);
  void points(OdDbBlockTableRecord& block, const Display& d, const std::vector<OdGePoint3d>& points);
  void conic(OdDbBlockTableRecord& block, const Display& d, const Conic& conic);
  void text(OdDbBlockTableRecord& block, const Display& d, const TextData& text);
  void mtext(OdDbBlockTableRecord& block, const Display& d, const TextData& node, const OdString& contents);
  void spline(OdDbBlockTableRecord& block, const Display& d, const SplineHeader& header,
              std::vector<OdGePoint3d> poles, const std::vector<double>& interiorKnots, std::vector<double> weights);
  void reference(OdDbBlockTableRecord& block, const Display& d, OdDbObjectId definition, const OdGePoint3d& at,
                 const Placement& placement);

  // Points along a conic, for polyline approximations and chains.
  static void stroke(const Conic& conic, std::vector<OdGePoint3d>& out);

private:
  void append(OdDbBlockTableRecord& block, OdDbEntity* entity, const Display& d);

  SymbologyMap& m_symbology;
  const ImportOptions& m_options;
  bool m_is3d;
};

} // namespace dgn
