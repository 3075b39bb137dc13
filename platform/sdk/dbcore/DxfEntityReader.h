#pragma once
// Entities from their DXF groups: what each kind takes of the groups, and what is left to do once
// all are in. The drawing reader adds the entities to their blocks.
#include "DbDatabase.h"
#include "DxfGroupReader.h"

#include <string>
#include <vector>

namespace dxf {

OdCmColor colorFromIndex(int index);

// Extended data as it comes: the applications' names and the values of the kinds an object keeps.
class XDataGroups {
public:
  // Takes the group if it is one of extended data.
  bool take(const GroupReader& in);
  const OdResBuf* chain() const { return m_head.get(); }

private:
  void append(OdResBufPtr rb);
  OdResBufPtr m_head;
  OdResBuf* m_last = nullptr;
};

// A hatch's loops, from groups whose meaning depends on where they come: a point is the
// elevation's before the loops, an edge's or a vertex's in them and a seed's after them.
struct HatchGroups {
  enum class Stage { kHead, kLoops, kTail } stage = Stage::kHead;
  std::vector<OdDbHatch::Loop> loops;
  // The loop being read, when it is a polyline: its vertices and their bulges.
  bool polyline = false;
  std::vector<std::pair<OdGePoint2d, double>> vertices;
  bool unreadable = false; // an edge of a kind a hatch here cannot hold (a spline)

  void take(const GroupReader& in);
  // Turns the polyline being read into edges.
  void endPolyline();
};

// What every entity says about itself, and the few values an entity holds by name or in
// pieces until the whole entity has been read.
struct EntityGroups {
  std::string layer, linetype, style, block, contents;
  OdCmColor color = OdCmColor::byLayer();
  long trueColor = -1;
  int lineWeight = OdDb::kLnWtByLayer;
  bool invisible = false, paper = false, embedded = false;
  OdGeVector3d direction;
  OdGeVector3d normal = OdGeVector3d::zAxis(); // of a polyline, set once it is read
  double elevation = 0.0;
  XDataGroups xdata;
  HatchGroups hatch;

  // Takes the group if it is a common one.
  bool take(const GroupReader& in);
};

// A dimension's groups: its kind is known only once they are all in.
struct DimensionGroups {
  OdGePoint3d points[7]; // under 10 to 16
  int flags = 0;
  double leaderLength = 0.0, rotation = 0.0, measurement = 0.0, textRotation = 0.0;
  OdString text;
  OdGeVector3d normal = OdGeVector3d::zAxis();

  void take(const GroupReader& in, EntityGroups& groups);
  // The dimension of its kind; null for a kind the database has not.
  OdDbDimensionPtr make() const;
};

void take(OdDbLine& e, const GroupReader& in, EntityGroups& groups);
void take(OdDbPoint& e, const GroupReader& in, EntityGroups& groups);
void take(OdDbCircle& e, const GroupReader& in, EntityGroups& groups);
void take(OdDbArc& e, const GroupReader& in, EntityGroups& groups);
void take(OdDbEllipse& e, const GroupReader& in, EntityGroups& groups);
void take(OdDbPolyline& e, const GroupReader& in, EntityGroups& groups);
void take(OdDbSpline& e, const GroupReader& in, EntityGroups& groups);
void take(OdDbText& e, const GroupReader& in, EntityGroups& groups);
void take(OdDbAttributeDefinition& e, const GroupReader& in, EntityGroups& groups);
void take(OdDbAttribute& e, const GroupReader& in, EntityGroups& groups);
void take(OdDbMText& e, const GroupReader& in, EntityGroups& groups);
void take(OdDbBlockReference& e, const GroupReader& in, EntityGroups& groups);
void take(OdDbHatch& e, const GroupReader& in, EntityGroups& groups);

// What is left once all groups are in: planar entities store their points in their own plane.
// False when the entity cannot be made of what was read.
template <class T>
bool finish(T&, EntityGroups&, const GroupReader&)
{
  return true;
}
bool finish(OdDbPolyline& e, EntityGroups& groups, const GroupReader& in);
bool finish(OdDbCircle& e, EntityGroups& groups, const GroupReader& in);
bool finish(OdDbArc& e, EntityGroups& groups, const GroupReader& in);
bool finish(OdDbBlockReference& e, EntityGroups& groups, const GroupReader& in);
bool finish(OdDbText& e, EntityGroups& groups, const GroupReader& in);
inline bool finish(OdDbAttributeDefinition& e, EntityGroups& groups, const GroupReader& in)
{
  return finish(static_cast<OdDbText&>(e), groups, in);
}
inline bool finish(OdDbAttribute& e, EntityGroups& groups, const GroupReader& in)
{
  return finish(static_cast<OdDbText&>(e), groups, in);
}
bool finish(OdDbMText& e, EntityGroups& groups, const GroupReader& in);
bool finish(OdDbHatch& e, EntityGroups& groups, const GroupReader& in);

} // namespace dxf
