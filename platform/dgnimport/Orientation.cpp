#include "Orientation.h"

#include "DgnFormat.h"

#include <DxfCodes.h>

#include <cmath>

namespace dgn {

Axes Axes::ofAngle(double radians)
{
  const double c = std::cos(radians), s = std::sin(radians);
  return {{c, s, 0.0}, {-s, c, 0.0}, OdGeVector3d::zAxis()};
}

Axes Axes::ofQuaternion(double w, double x, double y, double z)
{
  const double n = std::sqrt(w * w + x * x + y * y + z * z);
  if (!(n > 1e-12) || !std::isfinite(n))
    return Axes{};
  w /= n, x /= n, y /= n, z /= n;
  // The rotation the quaternion describes, transposed: its rows become the element's axes.
  return {{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)},
          {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)},
          {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}};
}

Axes Axes::ofMatrix2d(const double m[4])
{
  return {{m[0], m[2], 0.0}, {m[1], m[3], 0.0}, OdGeVector3d::zAxis()};
}

Axes Axes::ofMatrix3d(const double m[9])
{
  return {{m[0], m[3], m[6]}, {m[1], m[4], m[7]}, {m[2], m[5], m[8]}};
}

double Axes::angleInPlane() const
{
  const OdGePoint3d inPlane = dxf::Ocs(z).fromWorld({x.x, x.y, x.z});
  return std::atan2(inPlane.y, inPlane.x);
}

namespace {

double dot(const OdGeVector3d& a, const OdGeVector3d& b)
{
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

OdGeVector3d cross(const OdGeVector3d& a, const OdGeVector3d& b)
{
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

OdGeVector3d unit(const OdGeVector3d& v)
{
  const double n = v.length();
  return n > 0.0 ? OdGeVector3d{v.x / n, v.y / n, v.z / n} : OdGeVector3d{};
}

} // namespace

Placement Placement::of(const Axes& axes, bool is3d)
{
  Placement p;
  if (is3d && axes.z.length() > 0.0)
    p.normal = unit(axes.z);
  // The x axis as it lies in the plane: its length is the x scale, its direction the rotation.
  const OdGeVector3d xInPlane{axes.x.x - dot(axes.x, p.normal) * p.normal.x, axes.x.y - dot(axes.x, p.normal) * p.normal.y,
                              axes.x.z - dot(axes.x, p.normal) * p.normal.z};
  if (!(xInPlane.length() > 0.0))
    return p;
  p.rotation = Axes{xInPlane, {}, p.normal}.angleInPlane();
  p.scale = {xInPlane.length(), dot(axes.y, cross(p.normal, unit(xInPlane))), is3d ? axes.z.length() : 1.0};
  return p;
}

Axes readRotation(const Element& e, uint32_t offset, bool is3d)
{
  if (!is3d)
    return Axes::ofAngle(e.i32(offset) * kAngleUnit);
  return Axes::ofQuaternion(e.i32(offset) / kFraction, e.i32(offset + 4) / kFraction, e.i32(offset + 8) / kFraction,
                            e.i32(offset + 12) / kFraction);
}

} // namespace dgn
