#include "AssociationTargets.h"

#include "DgnFormat.h"
#include "ElementGeometry.h"
#include "Linkages.h"

namespace dgn {

void AssociationTargets::add(const Element& e, const CoordinateMap& map)
{
  const int type = e.type();
  if (e.isDeleted() || (type != ElementType::Line && type != ElementType::LineString && type != ElementType::Shape))
    return;
  const std::optional<uint32_t> id = Linkages(e).elementId();
  std::vector<OdGePoint3d> vertices;
  if (id && m_vertices.count(*id) == 0 && readVertices(e, map, vertices) && e.intact())
    m_vertices.emplace(*id, std::move(vertices));
}

std::optional<OdGePoint3d> AssociationTargets::locate(const Association& a) const
{
  const auto found = m_vertices.find(a.target);
  if (!a.known || found == m_vertices.end())
    return std::nullopt;
  const std::vector<OdGePoint3d>& v = found->second;
  if (a.vertex >= v.size())
    return std::nullopt;
  const OdGePoint3d& from = v[a.vertex];
  if (a.fraction == 0.0)
    return from;
  if (a.vertex + 1 >= v.size())
    return std::nullopt;
  const OdGePoint3d& to = v[a.vertex + 1];
  const double f = a.fraction;
  return OdGePoint3d{from.x + f * (to.x - from.x), from.y + f * (to.y - from.y), from.z + f * (to.z - from.z)};
}

} // namespace dgn
