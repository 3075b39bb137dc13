#pragma once
#include "DesignFile.h"

#include <Ge.h>

namespace dgn {

// Turns design-file positions (units of resolution, UOR) into drawing coordinates in the
// chosen working unit: (uor - global origin) / uorPerSub / (subPerMaster for master units).
class CoordinateMap {
public:
  CoordinateMap(const ControlData& control, bool masterUnits)
    : m_is3d(control.is3d), m_originX(control.originX), m_originY(control.originY), m_originZ(control.originZ),
      m_scale(1.0 / (double(control.uorPerSubUnit) * (masterUnits ? double(control.subUnitsPerMaster) : 1.0)))
  {
  }

  // The same scale about the design's own zero: for positions relative to a definition's origin.
  CoordinateMap relative() const
  {
    CoordinateMap map = *this;
    map.m_originX = map.m_originY = map.m_originZ = 0.0;
    return map;
  }

  bool is3d() const { return m_is3d; }
  int dimensions() const { return m_is3d ? 3 : 2; }
  // Bytes one integer vertex takes.
  uint32_t vertexBytes() const { return m_is3d ? 12u : 8u; }

  OdGePoint3d point(double x, double y, double z) const
  {
    return {(x - m_originX) * m_scale, (y - m_originY) * m_scale, m_is3d ? (z - m_originZ) * m_scale : 0.0};
  }
  // An integer vertex at `offset`.
  OdGePoint3d vertexAt(const Element& e, uint32_t offset) const
  {
    return point(e.i32(offset), e.i32(offset + 4), m_is3d ? e.i32(offset + 8) : 0.0);
  }
  // A D-float vertex at `offset`.
  OdGePoint3d doubleVertexAt(const Element& e, uint32_t offset) const
  {
    return point(e.f64(offset), e.f64(offset + 8), m_is3d ? e.f64(offset + 16) : m_originZ);
  }
  double length(double uor) const { return uor * m_scale; }
  // A rational B-spline's pole, stored weighted (in homogeneous coordinates), as the point it
  // stands for: the stored position over its weight, in UOR, before the origin is taken off.
  OdGePoint3d unweighted(const OdGePoint3d& p, double weight) const
  {
    return point((p.x / m_scale + m_originX) / weight, (p.y / m_scale + m_originY) / weight,
                 (p.z / m_scale + m_originZ) / weight);
  }

private:
  bool m_is3d;
  double m_originX, m_originY, m_originZ;
  double m_scale;
};

} // namespace dgn
