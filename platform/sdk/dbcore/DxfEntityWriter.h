#pragma once
// Entities as DXF groups. A writer fills one GroupWriter, so that parts of a block can be written
// side by side into buffers of their own and joined in their order.
#include "DxfWriter.h"

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

// Calls `f` with the entity as the kind of entity it is, for the kinds a drawing holds; the
// class is compared once, most common kinds first, and subclasses are recognised after that.
template <class F>
void visit(const OdDbEntity& e, F&& f)
{
  const OdRxClass* const cls = e.isA();
  const auto exactly = [cls](const OdRxClass* kind) { return cls == kind; };
  if (exactly(OdDbPolyline::desc()))
    f(static_cast<const OdDbPolyline&>(e));
  else if (exactly(OdDbLine::desc()))
    f(static_cast<const OdDbLine&>(e));
  else if (exactly(OdDbText::desc()))
    f(static_cast<const OdDbText&>(e));
  else if (auto* line = as<OdDbLine>(&e))
    f(*line);
  else if (auto* point = as<OdDbPoint>(&e))
    f(*point);
  else if (auto* circle = as<OdDbCircle>(&e))
    f(*circle);
  else if (auto* arc = as<OdDbArc>(&e))
    f(*arc);
  else if (auto* ellipse = as<OdDbEllipse>(&e))
    f(*ellipse);
  else if (auto* pline = as<OdDbPolyline>(&e))
    f(*pline);
  else if (auto* pline3d = as<OdDb3dPolyline>(&e))
    f(*pline3d);
  else if (auto* mesh = as<OdDbPolyFaceMesh>(&e))
    f(*mesh);
  else if (auto* spline = as<OdDbSpline>(&e))
    f(*spline);
  else if (auto* text = as<OdDbText>(&e))
    f(*text);
  else if (auto* mtext = as<OdDbMText>(&e))
    f(*mtext);
  else if (auto* insert = as<OdDbBlockReference>(&e))
    f(*insert);
}

// Handles an entity's records need beyond its own: the VERTEX and SEQEND records of polylines
// and meshes.
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
  void entityHead(const char* type, OdDbHandle handle, const OdDbEntity& e, OdDbHandle owner);
  void entityHead(const char* type, const OdDbEntity& e) { entityHead(type, e.getHandle(), e, m_owner); }
  void writeColor(const OdCmColor& color);
  void writeNormal(const OdGeVector3d& normal);
  void write(const OdDbLine& e);
  void write(const OdDbPoint& e);
  void write(const OdDbCircle& e);
  void write(const OdDbArc& e);
  void write(const OdDbEllipse& e);
  void write(const OdDbPolyline& e);
  // POLYLINE's own groups, then VERTEX records of points.
  void polylineHead(const OdDbEntity& e, const char* subclass, int flags);
  void writeVertices(const OdDbEntity& e, const std::vector<OdGePoint3d>& points, const char* subclass, int flags);
  void write(const OdDb3dPolyline& e);
  void write(const OdDbPolyFaceMesh& e);
  void write(const OdDbSpline& e);
  void write(const OdDbText& e);
  void write(const OdDbMText& e);
  void write(const OdDbBlockReference& e);

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
