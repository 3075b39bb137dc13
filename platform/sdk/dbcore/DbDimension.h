#pragma once
#include "DbEntities.h"

// A dimension: the points that define what it measures, its text, and the anonymous block
// ("*D1", "*D2", ...: a block named "*D" is numbered when the block table adds it) whose
// entities draw it. Whoever makes the dimension fills that block; it is drawn where it is, and
// its extents are the dimension's. Points are in the world.
class OdDbDimension : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbDimension);

public:
  OdDbObjectId dimBlockId() const { return m_block; }
  void setDimBlockId(OdDbObjectId block) { m_block = block; }

  OdGePoint3d textPosition;       // the middle of the text
  bool textAtUserPosition = false; // put there by hand rather than where the dimension puts it
  OdString dimensionText;         // empty or "<>": the measurement
  double measurement = 0.0;       // what the block's text shows of it
  double textRotation = 0.0;      // radians, from the dimension line's direction
  OdGeVector3d normal = OdGeVector3d::zAxis();

private:
  OdDbObjectId m_block;
};

// A linear dimension measured along `rotation` (radians): horizontal, vertical or rotated.
class OdDbRotatedDimension : public OdDbDimension {
  ODRX_DECLARE_MEMBERS(OdDbRotatedDimension);

public:
  OdGePoint3d xLine1Point, xLine2Point; // where the extension lines start
  OdGePoint3d dimLinePoint;             // on the dimension line
  double rotation = 0.0;
};

// A linear dimension measured along the line between its extension lines' starts.
class OdDbAlignedDimension : public OdDbDimension {
  ODRX_DECLARE_MEMBERS(OdDbAlignedDimension);

public:
  OdGePoint3d xLine1Point, xLine2Point;
  OdGePoint3d dimLinePoint;
};

// The angle between two lines, each given by two points; the arc passes through arcPoint.
class OdDb2LineAngularDimension : public OdDbDimension {
  ODRX_DECLARE_MEMBERS(OdDb2LineAngularDimension);

public:
  OdGePoint3d xLine1Start, xLine1End, xLine2Start, xLine2End;
  OdGePoint3d arcPoint;
};

// The angle at centerPoint from xLine1Point to xLine2Point; the arc passes through arcPoint.
class OdDb3PointAngularDimension : public OdDbDimension {
  ODRX_DECLARE_MEMBERS(OdDb3PointAngularDimension);

public:
  OdGePoint3d centerPoint, xLine1Point, xLine2Point;
  OdGePoint3d arcPoint;
};

// The radius of a circle or arc: from its centre to chordPoint on it.
class OdDbRadialDimension : public OdDbDimension {
  ODRX_DECLARE_MEMBERS(OdDbRadialDimension);

public:
  OdGePoint3d center, chordPoint;
  double leaderLength = 0.0;
};

// The diameter of a circle or arc: from chordPoint across to farChordPoint.
class OdDbDiametricDimension : public OdDbDimension {
  ODRX_DECLARE_MEMBERS(OdDbDiametricDimension);

public:
  OdGePoint3d chordPoint, farChordPoint;
  double leaderLength = 0.0;
};

// The x (usingXAxis) or y distance of definingPoint from origin, told at leaderEndPoint.
class OdDbOrdinateDimension : public OdDbDimension {
  ODRX_DECLARE_MEMBERS(OdDbOrdinateDimension);

public:
  OdGePoint3d origin, definingPoint, leaderEndPoint;
  bool usingXAxis = false;
};

typedef OdSmartPtr<OdDbDimension> OdDbDimensionPtr;
typedef OdSmartPtr<OdDbRotatedDimension> OdDbRotatedDimensionPtr;
typedef OdSmartPtr<OdDbAlignedDimension> OdDbAlignedDimensionPtr;
typedef OdSmartPtr<OdDb2LineAngularDimension> OdDb2LineAngularDimensionPtr;
typedef OdSmartPtr<OdDb3PointAngularDimension> OdDb3PointAngularDimensionPtr;
typedef OdSmartPtr<OdDbRadialDimension> OdDbRadialDimensionPtr;
typedef OdSmartPtr<OdDbDiametricDimension> OdDbDiametricDimensionPtr;
typedef OdSmartPtr<OdDbOrdinateDimension> OdDbOrdinateDimensionPtr;
