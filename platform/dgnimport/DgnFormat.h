#pragma once
// The vocabulary of V7 design files that every decoder shares: element types and the units the
// format stores numbers in.

namespace dgn {

struct ElementType {
  enum : int {
    CellLibraryHeader = 1,
    Cell = 2,
    Line = 3,
    LineString = 4,
    GroupData = 5, // level 1: a colour table
    Shape = 6,
    TextNode = 7,
    DigitizerSetup = 8,
    DesignFileHeader = 9,
    LevelSymbology = 10,
    Curve = 11,
    ComplexChain = 12,
    ComplexShape = 14,
    Ellipse = 15,
    Arc = 16,
    Text = 17,
    Surface = 18,
    Solid = 19,
    BSplinePoles = 21,
    PointString = 22,
    Cone = 23,
    BSplineSurfaceHeader = 24,
    BSplineSurfaceBoundary = 25,
    BSplineKnots = 26,
    BSplineCurveHeader = 27,
    BSplineWeights = 28,
    Dimension = 33,
    SharedCellDefinition = 34,
    SharedCell = 35,
    MultiLine = 36,
    TagValue = 37,
    Projection = 56,
    ApplicationData = 66,
  };
  static constexpr int kCount = 128; // the type is seven bits

  // A short name for reports, "other" for a type the format does not name.
  static constexpr const char* name(int type);
};

constexpr double kPi = 3.14159265358979323846;
// Angles are stored in 1/360000 of a degree.
constexpr double kAngleUnit = kPi / 180.0 / 360000.0;
// Fractions (quaternion components, knots, weights) are stored as multiples of this.
constexpr double kFraction = 2147483647.0;
// In UOR: no design plane reaches further; coordinates beyond are garbage.
constexpr double kCoordinateLimit = 1e15;

constexpr const char* ElementType::name(int type)
{
  switch (type) {
  case CellLibraryHeader: return "cell library header";
  case Cell: return "cell header";
  case Line: return "line";
  case LineString: return "line string";
  case GroupData: return "group data";
  case Shape: return "shape";
  case TextNode: return "text node";
  case DigitizerSetup: return "digitizer setup";
  case DesignFileHeader: return "design file header";
  case LevelSymbology: return "level symbology";
  case Curve: return "curve";
  case ComplexChain: return "complex chain";
  case ComplexShape: return "complex shape";
  case Ellipse: return "ellipse";
  case Arc: return "arc";
  case Text: return "text";
  case Surface: return "3d surface header";
  case Solid: return "3d solid header";
  case BSplinePoles: return "b-spline pole";
  case PointString: return "point string";
  case Cone: return "cone";
  case BSplineSurfaceHeader: return "b-spline surface header";
  case BSplineSurfaceBoundary: return "b-spline surface boundary";
  case BSplineKnots: return "b-spline knot";
  case BSplineCurveHeader: return "b-spline curve header";
  case BSplineWeights: return "b-spline weight factor";
  case Dimension: return "dimension";
  case SharedCellDefinition: return "shared cell definition";
  case SharedCell: return "shared cell";
  case MultiLine: return "multi-line";
  case TagValue: return "tag value";
  case Projection: return "projection";
  case ApplicationData: return "application";
  default: return "other";
  }
}

} // namespace dgn
