#pragma once
#include "ElementReader.h"

#include <Ge.h>

namespace dgn {

// The directions an element's own x, y and z axes take in the design: orthonormal for stored
// rotations, scaled for cell transformations.
struct Axes {
  OdGeVector3d x{1.0, 0.0, 0.0}, y{0.0, 1.0, 0.0}, z = OdGeVector3d::zAxis();

  // A 2D rotation, counter-clockwise about z.
  static Axes ofAngle(double radians);
  // A 3D rotation stored as a quaternion (w, x, y, z). MicroStation stores the rotation that takes
  // the design into the element, so the element's axes are the columns of its inverse. A
  // quaternion that is not of unit length is normalised; a zero one means no rotation.
  static Axes ofQuaternion(double w, double x, double y, double z);
  // A matrix that takes element coordinates into the design (rows first): 2x2 in 2D files, 3x3 in
  // 3D files; the axes are its columns.
  static Axes ofMatrix2d(const double m[4]);
  static Axes ofMatrix3d(const double m[9]);

  // The angle of the x axis about z, measured in the plane z is normal to from the axis the
  // drawing format derives for that plane.
  double angleInPlane() const;
};

// How a block reference places a definition whose axes, with their scale, are `axes`: the
// plane's normal, the rotation in that plane and the scale along each axis (negative where the
// definition is mirrored). Skew cannot be placed and is left out.
struct Placement {
  OdGeVector3d normal = OdGeVector3d::zAxis();
  double rotation = 0.0;
  OdGeVector3d scale{1.0, 1.0, 1.0};
  static Placement of(const Axes& axes, bool is3d);
};

// The rotation stored at `offset`: an angle in 1/360000 degree in 2D files, a quaternion of
// fractions (1.0 = 2^31 - 1) in 3D files.
Axes readRotation(const Element& e, uint32_t offset, bool is3d);

} // namespace dgn
