#pragma once
#include <cmath>

// Plain geometry values of the drawing.
struct OdGePoint2d {
  double x = 0.0, y = 0.0;
};

struct OdGeVector3d {
  double x = 0.0, y = 0.0, z = 0.0;
  double length() const { return std::sqrt(x * x + y * y + z * z); }
  static constexpr OdGeVector3d zAxis() { return {0.0, 0.0, 1.0}; }
  friend bool operator==(const OdGeVector3d& a, const OdGeVector3d& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
};

struct OdGePoint3d {
  double x = 0.0, y = 0.0, z = 0.0;
  friend bool operator==(const OdGePoint3d& a, const OdGePoint3d& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
  friend OdGeVector3d operator-(const OdGePoint3d& a, const OdGePoint3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
};
