#pragma once
// What the DXF writer and reader agree on: group codes, fixed names and the plane conventions.
#include "Ge.h"
#include "OdDb.h"

#include <cmath>

namespace dxf {

// Group codes, by meaning.
namespace code {
enum : int {
  kStructure = 0,     // SECTION, TABLE, entity type, ...
  kText = 1,          // primary text value
  kName = 2,          // section, table, record or block name
  kMoreText = 3,      // MTEXT text before its last piece; also descriptions and fonts
  kLinetype = 6,
  kTextStyle = 7,
  kLayer = 8,
  kVariable = 9,      // header variable name
  kX = 10,            // first point; its y and z are 20 and 30
  kX2 = 11,           // second point (end, major axis, alignment, direction)
  kX3 = 12,
  kX4 = 13,           // a dimension's further defining points
  kX5 = 14,
  kX6 = 15,
  kX7 = 16,
  kElevation = 38,
  kReal = 40,         // first real; 41, 42, ... follow
  kRealAux = 41,
  kReal3 = 42,
  kScaleZ = 43,
  kLineSpacing = 44,
  kDash = 49,
  kAngle = 50,        // degrees
  kAngle2 = 51,
  kTextAngle = 53,    // a dimension text's rotation
  kInvisible = 60,
  kColor = 62,
  kFollows = 66,      // sub-entities follow (POLYLINE)
  kPaperSpace = 67,
  kFlags = 70,
  kInt2 = 71,
  kInt3 = 72,
  kInt4 = 73,
  kInt5 = 74,
  kHatchStyle = 75,
  kPatternType = 76,
  kCount = 90,
  kLoopCount = 91,    // a hatch's boundaries
  kLoopFlags = 92,
  kEdgeCount = 93,
  kSourceCount = 97,  // objects a hatch boundary was made from
  kSeedCount = 98,
  kSubclass = 100,
  kEmbeddedObject = 101,
  kDimStyleHandle = 105,
  kLineWeight = 370,
  kSubclassVersion = 280,
  kHandle = 5,
  kOwner = 330,
  kSoftPointer = 340,
  kOwnedPointer = 350,
  kTrueColor = 420,
  kNormalX = 210,     // extrusion direction; 220 and 230 hold y and z
  kComment = 999,
  kMaxCode = 1071,
  kMinCode = -5
};
constexpr int kY(int xCode) { return xCode + 10; }
constexpr int kZ(int xCode) { return xCode + 20; }
} // namespace code

constexpr const char* kVersion = "AC1032";
constexpr const char* kModelSpace = "*Model_Space";
constexpr const char* kPaperSpace = "*Paper_Space";

// 2D polyline and vertex flags of POLYLINE/VERTEX, and LWPOLYLINE's closed flag.
enum PolylineFlags : int { kClosed = 1, k3dPolyline = 8, kMesh = 16, kPolyface = 64 };
// A polyface mesh's VERTEX records are its locations (kVertexMesh | kVertexPolyface) and its
// faces (kVertexMesh alone, the vertex numbers from 1 in groups 71-74).
enum VertexFlags : int { kVertexSplineFrame = 16, kVertex3d = 32, kVertexPolyface = 64, kVertexMesh = 128 };
enum SplineFlags : int { kSplineClosed = 1, kSplinePeriodic = 2, kSplineRational = 4 };
enum LayerFlags : int { kLayerFrozen = 1 };
enum BlockFlags : int { kBlockAnonymous = 1 };
enum AttributeFlags : int { kAttributeInvisible = 1, kAttributeConstant = 2 };
// A dimension's type in its low three bits; its block is its own, always.
enum DimensionFlags : int {
  kDimRotated = 0, kDimAligned = 1, kDimAngular = 2, kDimDiameter = 3, kDimRadius = 4, kDimAngular3Point = 5,
  kDimOrdinate = 6, kDimTypeMask = 7, kDimBlockOwned = 32, kDimOrdinateX = 64, kDimUserTextPosition = 128
};
// A hatch's fill (70), its loops' form (92: edges, or a polyline, which the writer never
// writes), the style of its islands (75) and its pattern's source (76).
enum HatchFlags : int { kSolidFill = 1, kLoopPolyline = 2, kHatchOddParity = 0, kPatternPredefined = 1 };
constexpr const char* kSolidPattern = "SOLID";

constexpr double kPi = 3.14159265358979323846;
inline double toDegrees(double radians) { return radians * (180.0 / kPi); }
inline double toRadians(double degrees) { return degrees * (kPi / 180.0); }

// Metric drawings get $MEASUREMENT 1, so that readers pick metric line type and hatch files.
inline bool isImperial(OdDb::UnitsValue units)
{
  switch (units) {
  case OdDb::kUnitsInches: case OdDb::kUnitsFeet: case OdDb::kUnitsMiles: case OdDb::kUnitsMicroinches:
  case OdDb::kUnitsMils: case OdDb::kUnitsYards: case OdDb::kUnitsUSSurveyFeet:
    return true;
  default:
    return false;
  }
}

// The object coordinate system of a planar entity, from its extrusion direction by the arbitrary
// axis rule: CIRCLE, ARC, INSERT and LWPOLYLINE store their points in it.
class Ocs {
public:
  explicit Ocs(const OdGeVector3d& normal)
  {
    // Most entities lie in the world's plane: its axes are what the rule gives, to the bit.
    if (normal.x == 0.0 && normal.y == 0.0 && normal.z == 1.0 && !std::signbit(normal.x) && !std::signbit(normal.y)) {
      m_x = {1.0, 0.0, 0.0};
      m_y = {0.0, 1.0, 0.0};
      m_z = {0.0, 0.0, 1.0};
      return;
    }
    const double len = normal.length();
    m_z = len > 0.0 ? OdGeVector3d{normal.x / len, normal.y / len, normal.z / len} : OdGeVector3d::zAxis();
    const double limit = 1.0 / 64.0;
    m_x = (std::fabs(m_z.x) < limit && std::fabs(m_z.y) < limit) ? cross({0, 1, 0}, m_z) : cross({0, 0, 1}, m_z);
    m_x = unit(m_x);
    m_y = unit(cross(m_z, m_x));
  }
  OdGePoint3d fromWorld(const OdGePoint3d& p) const { return {dot(p, m_x), dot(p, m_y), dot(p, m_z)}; }
  // The plane's x (0) or y (1) axis, `length` long.
  OdGeVector3d axis(int which, double length) const
  {
    const OdGeVector3d& v = which == 0 ? m_x : m_y;
    return {v.x * length, v.y * length, v.z * length};
  }
  OdGePoint3d toWorld(const OdGePoint3d& p) const
  {
    return {p.x * m_x.x + p.y * m_y.x + p.z * m_z.x, p.x * m_x.y + p.y * m_y.y + p.z * m_z.y,
            p.x * m_x.z + p.y * m_y.z + p.z * m_z.z};
  }

private:
  static OdGeVector3d cross(const OdGeVector3d& a, const OdGeVector3d& b)
  {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
  }
  static OdGeVector3d unit(const OdGeVector3d& v)
  {
    const double len = v.length();
    return {v.x / len, v.y / len, v.z / len};
  }
  static double dot(const OdGePoint3d& p, const OdGeVector3d& v) { return p.x * v.x + p.y * v.y + p.z * v.z; }
  OdGeVector3d m_x, m_y, m_z;
};

} // namespace dxf
