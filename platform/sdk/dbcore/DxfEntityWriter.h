#pragma once
// Entities as DXF groups. A writer fills one GroupWriter, so that parts of a block can be written
// side by side into buffers of their own and joined in their order.
#include "DbDatabase.h"
#include "DxfGroupWriter.h"

#include <string>
#include <utility>
#include <vector>

namespace dxf {

// Layer, line type and text style names by handle, spelt as the file holds them, in an array
// sorted by handle.
class NameTable {
public:
  void reserve(size_t more) { m_names.reserve(m_names.size() + more); }
  void add(OdDbHandle handle, std::string name) { m_names.emplace_back(handle, std::move(name)); }
  // Call once all names are added, before looking any up.
  void sort();
  const std::string* find(OdDbHandle handle) const;

private:
  std::vector<std::pair<OdDbHandle, std::string>> m_names;
};

const std::string& nameOf(const NameTable& names, OdDbObjectId id, const std::string& fallback);

template <class T>
const T* as(const OdDbObject* object)
{
  return object && object->isKindOf(T::desc()) ? static_cast<const T*>(object) : nullptr;
}

// Calls `f` with the entity as the first of `Kinds` it is exactly, else as the first it derives
// from; false when it is none of them. Most entities are of a kind itself, and comparing class
// pointers spares walking the class tree for each kind in turn.
template <class... Kinds, class F>
bool visitAs(const OdDbEntity& e, F&& f)
{
  const OdRxClass* const cls = e.isA();
  return ((cls == Kinds::desc() && (f(static_cast<const Kinds&>(e)), true)) || ...) ||
         ((e.isKindOf(Kinds::desc()) && (f(static_cast<const Kinds&>(e)), true)) || ...);
}

// Calls `f` with the entity as the kind of entity it is, for the kinds a drawing holds.
template <class F>
void visit(const OdDbEntity& e, F&& f)
{
  visitAs<OdDbPolyline, OdDbLine, OdDbText, OdDbBlockReference, OdDbPoint, OdDbCircle, OdDbArc, OdDbEllipse,
          OdDb3dPolyline, OdDbPolyFaceMesh, OdDbSpline, OdDbMText, OdDbHatch, OdDbAttributeDefinition,
          OdDbRotatedDimension, OdDbAlignedDimension, OdDb2LineAngularDimension, OdDb3PointAngularDimension,
          OdDbRadialDimension, OdDbDiametricDimension, OdDbOrdinateDimension>(e, std::forward<F>(f));
}

// Handles an entity's records need beyond its own: the VERTEX and SEQEND records of polylines
// and meshes, and the SEQEND after a block reference's attributes.
OdDbHandle extraHandles(const OdDbEntity& e);

class EntityWriter {
public:
  EntityWriter(const OdDbDatabase& db, const NameTable& names, GroupWriter& out) : m_db(db), m_names(names), m_out(out) {}

  // The block record the next entities belong to, and whether it is the paper space layout.
  void setOwner(OdDbHandle owner, bool paper)
  {
    m_owner = owner;
    m_paper = paper;
  }
  // The handle for the next record beyond an entity's own (see extraHandles), and taking it.
  void setNextHandle(OdDbHandle next) { m_next = next; }
  OdDbHandle takeHandle() { return m_next++; }

  void write(const OdDbEntity& e);

private:
  // `symbology`: the entity's line type, colour and line weight too; a polyline's location vertices
  // draw nothing by themselves and go without them.
  void entityHead(const char* type, OdDbHandle handle, const OdDbEntity& e, OdDbHandle owner, bool symbology = true);
  void entityHead(const char* type, const OdDbEntity& e) { entityHead(type, e.getHandle(), e, m_owner); }
  void writeColor(const OdCmColor& color);
  void writeNormal(const OdGeVector3d& normal);
  // After an entity's own groups, before the records that follow it.
  void writeXData(const OdDbEntity& e);
  // An entity's own record...
  void write(const OdDbLine& e);
  void write(const OdDbPoint& e);
  void write(const OdDbCircle& e);
  void write(const OdDbArc& e);
  void write(const OdDbEllipse& e);
  void write(const OdDbPolyline& e);
  // POLYLINE's own groups.
  void polylineHead(const OdDbEntity& e, const char* subclass, int flags);
  void write(const OdDb3dPolyline& e);
  void write(const OdDbPolyFaceMesh& e);
  void write(const OdDbSpline& e);
  // TEXT's groups up to its second subclass, which attributes share.
  void textGroups(const OdDbText& e);
  void write(const OdDbText& e);
  // An attribute's text, then its own groups: its vertical mode goes in 74, as 73 is its field
  // length; only a definition has a prompt.
  void attributeGroups(const OdDbText& e, const char* subclass, const OdString* prompt, const OdString& tag, int flags);
  void write(const OdDbAttributeDefinition& e);
  void write(const OdDbMText& e);
  void write(const OdDbBlockReference& e);
  void write(const OdDbHatch& e);
  void writeEdge(const OdDbHatch::Edge& edge);
  // A dimension's common groups, with its type and definition point.
  void dimensionHead(const OdDbDimension& e, int type, const OdGePoint3d& definitionPoint);
  void write(const OdDbRotatedDimension& e);
  void write(const OdDbAlignedDimension& e);
  void write(const OdDb2LineAngularDimension& e);
  void write(const OdDb3PointAngularDimension& e);
  void write(const OdDbRadialDimension& e);
  void write(const OdDbDiametricDimension& e);
  void write(const OdDbOrdinateDimension& e);
  // ...and the records that follow it: VERTEX records, ATTRIB records, SEQEND.
  template <class T>
  void writeFollowers(const T&)
  {
  }
  // VERTEX records of points.
  void writeVertices(const OdDbEntity& e, const std::vector<OdGePoint3d>& points, const char* subclass, int flags);
  void writeFollowers(const OdDb3dPolyline& e);
  void writeFollowers(const OdDbPolyFaceMesh& e);
  void writeFollowers(const OdDbBlockReference& e);

  const OdDbDatabase& m_db;
  const NameTable& m_names;
  GroupWriter& m_out;
  OdDbHandle m_next = 0;
  OdDbHandle m_owner = 0;
  bool m_paper = false;
  OdDbObjectId m_layer; // of the entity before, and its name
  const std::string* m_layerName = nullptr;
};

} // namespace dxf
