#pragma once
#include "CmColor.h"
#include "DbObject.h"
#include "Ge.h"

#include <vector>

namespace OdDb {
// Line weights in hundredths of a millimetre, and the three special values.
enum LineWeight { kLnWtByLayer = -1, kLnWtByBlock = -2, kLnWtByLwDefault = -3 };

enum TextHorzMode { kTextLeft = 0, kTextCenter = 1, kTextRight = 2 };
enum TextVertMode { kTextBase = 0, kTextBottom = 1, kTextVertMid = 2, kTextTop = 3 };
} // namespace OdDb

// Something drawn: its layer, line type, colour, line weight and visibility.
class OdDbEntity : public OdDbObject {
  ODRX_DECLARE_MEMBERS(OdDbEntity);

public:
  OdDbObjectId layerId() const { return m_layer; }
  void setLayer(OdDbObjectId layer) { m_layer = layer; }
  // Null means by layer.
  OdDbObjectId linetypeId() const { return m_linetype; }
  void setLinetype(OdDbObjectId linetype) { m_linetype = linetype; }
  const OdCmColor& color() const { return m_color; }
  void setColor(const OdCmColor& color) { m_color = color; }
  int lineWeight() const { return m_lineWeight; }
  void setLineWeight(int weight) { m_lineWeight = weight; }
  bool isVisible() const { return m_visible; }
  void setVisibility(bool visible) { m_visible = visible; }

private:
  OdDbObjectId m_layer;
  OdDbObjectId m_linetype;
  OdCmColor m_color = OdCmColor::byLayer();
  int m_lineWeight = OdDb::kLnWtByLayer;
  bool m_visible = true;
};
typedef OdSmartPtr<OdDbEntity> OdDbEntityPtr;

class OdDbLine : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbLine);

public:
  OdGePoint3d start, end;
};

class OdDbPoint : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbPoint);

public:
  OdGePoint3d position;
};

class OdDbCircle : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbCircle);

public:
  OdGePoint3d center;
  double radius = 0.0;
  OdGeVector3d normal = OdGeVector3d::zAxis();
};

// Angles in radians, counter-clockwise from the x axis of the arc's plane.
class OdDbArc : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbArc);

public:
  OdGePoint3d center;
  double radius = 0.0;
  double startAngle = 0.0, endAngle = 0.0;
  OdGeVector3d normal = OdGeVector3d::zAxis();
};

// The major axis runs from the centre to the end of the major radius; parameters in radians.
class OdDbEllipse : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbEllipse);

public:
  OdGePoint3d center;
  OdGeVector3d majorAxis;
  double radiusRatio = 1.0;
  double startParam = 0.0, endParam = 6.283185307179586;
  OdGeVector3d normal = OdGeVector3d::zAxis();
};

// A planar polyline of straight and arc segments (bulge = tan(arc angle / 4)).
class OdDbPolyline : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbPolyline);

public:
  struct Vertex {
    OdGePoint2d point;
    double bulge = 0.0;
  };
  std::vector<Vertex> vertices;
  bool closed = false;
  double elevation = 0.0;
  OdGeVector3d normal = OdGeVector3d::zAxis();
};

class OdDb3dPolyline : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDb3dPolyline);

public:
  std::vector<OdGePoint3d> vertices;
  bool closed = false;
};

class OdDbSpline : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbSpline);

public:
  int degree = 3;
  bool closed = false;
  bool periodic = false;
  std::vector<double> knots;
  std::vector<OdGePoint3d> controlPoints;
  std::vector<double> weights; // empty unless rational
};

class OdDbText : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbText);

public:
  OdGePoint3d position;
  OdGePoint3d alignmentPoint; // used unless both modes are left/base
  double height = 1.0;
  double widthFactor = 1.0;
  double rotation = 0.0;
  OdDb::TextHorzMode horizontalMode = OdDb::kTextLeft;
  OdDb::TextVertMode verticalMode = OdDb::kTextBase;
  OdString text;
  OdDbObjectId textStyle;
  // The text's plane: position, alignment point and rotation are given in the world, the
  // rotation measured from the plane's own x axis (the arbitrary-axis rule of the drawing format).
  OdGeVector3d normal = OdGeVector3d::zAxis();
};

// Lines separated by "\P" in contents.
class OdDbMText : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbMText);

public:
  enum Attachment { kTopLeft = 1, kTopCenter, kTopRight, kMiddleLeft, kMiddleCenter, kMiddleRight,
                    kBottomLeft, kBottomCenter, kBottomRight };
  OdGePoint3d location;
  double textHeight = 1.0;
  double width = 0.0; // 0: no wrapping
  double rotation = 0.0;
  double lineSpacingFactor = 1.0;
  Attachment attachment = kTopLeft;
  OdString contents;
  OdDbObjectId textStyle;
  OdGeVector3d normal = OdGeVector3d::zAxis(); // rotation as for OdDbText
};

class OdDbBlockReference : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbBlockReference);

public:
  OdDbObjectId blockTableRecord;
  OdGePoint3d position;
  OdGeVector3d scale{1.0, 1.0, 1.0};
  double rotation = 0.0;
  OdGeVector3d normal = OdGeVector3d::zAxis();
};

typedef OdSmartPtr<OdDbLine> OdDbLinePtr;
typedef OdSmartPtr<OdDbPoint> OdDbPointPtr;
typedef OdSmartPtr<OdDbCircle> OdDbCirclePtr;
typedef OdSmartPtr<OdDbArc> OdDbArcPtr;
typedef OdSmartPtr<OdDbEllipse> OdDbEllipsePtr;
typedef OdSmartPtr<OdDbPolyline> OdDbPolylinePtr;
typedef OdSmartPtr<OdDb3dPolyline> OdDb3dPolylinePtr;
typedef OdSmartPtr<OdDbSpline> OdDbSplinePtr;
typedef OdSmartPtr<OdDbText> OdDbTextPtr;
typedef OdSmartPtr<OdDbMText> OdDbMTextPtr;
typedef OdSmartPtr<OdDbBlockReference> OdDbBlockReferencePtr;
