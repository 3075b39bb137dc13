#pragma once
#include "CmColor.h"
#include "DbObject.h"
#include "Ge.h"
#include "TightArray.h"

#include <memory>
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
  void setLineWeight(int weight) { m_lineWeight = OdInt16(weight); }
  bool isVisible() const { return m_visible; }
  void setVisibility(bool visible) { m_visible = visible; }

private:
  // The small members first: they fit in what the object part leaves unused, which a drawing of
  // a million entities notices. Weights run from -3 to 211.
  bool m_visible = true;
  OdInt16 m_lineWeight = OdDb::kLnWtByLayer;
  OdCmColor m_color = OdCmColor::byLayer();
  OdDbObjectId m_layer;
  OdDbObjectId m_linetype;
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

// A planar polyline of straight and arc segments (bulge = tan(arc angle / 4)). Most polylines
// lie in the XY plane and have straight segments only: bulges, elevation and normal take room
// only when a polyline has them, which a drawing of a million polylines notices.
class OdDbPolyline : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbPolyline);

public:
  OdDbPolyline() = default;
  OdDbPolyline(const OdDbPolyline& other) : OdDbEntity(other), points(other.points), closed(other.closed)
  {
    if (other.m_more)
      m_more = std::make_unique<More>(*other.m_more);
  }
  OdDbPolyline& operator=(const OdDbPolyline& other)
  {
    if (this != &other) {
      OdDbEntity::operator=(other);
      points = other.points;
      m_more = other.m_more ? std::make_unique<More>(*other.m_more) : nullptr;
      closed = other.closed;
    }
    return *this;
  }

  // Appends a vertex and the bulge of the segment that leaves it.
  void addVertex(const OdGePoint2d& point, double bulge = 0.0)
  {
    points.push_back(point);
    if (bulge != 0.0)
      setBulgeAt(points.size() - 1, bulge);
  }
  // The bulge of the segment from vertex i to the next (to the first, for the last of a closed one).
  double bulgeAt(size_t i) const { return m_more && i < m_more->bulges.size() ? m_more->bulges[i] : 0.0; }
  void setBulgeAt(size_t i, double bulge)
  {
    if (bulge == 0.0 && !m_more)
      return;
    std::vector<double>& bulges = more().bulges;
    if (bulges.size() <= i)
      bulges.resize(i + 1, 0.0);
    bulges[i] = bulge;
  }
  // The plane: the normal, and the elevation of the points along it.
  double elevation() const { return m_more ? m_more->elevation : 0.0; }
  const OdGeVector3d& normal() const { return m_more ? m_more->normal : kWorldZ; }
  void setPlane(double elevation, const OdGeVector3d& normal)
  {
    if (m_more || elevation != 0.0 || !(normal == kWorldZ)) {
      more().elevation = elevation;
      more().normal = normal;
    }
  }

  OdTightArray<OdGePoint2d> points;

private:
  struct More {
    std::vector<double> bulges; // one a vertex, up to the last that bulges
    double elevation = 0.0;
    OdGeVector3d normal = OdGeVector3d::zAxis();
  };
  static constexpr OdGeVector3d kWorldZ{0.0, 0.0, 1.0};
  More& more()
  {
    if (!m_more)
      m_more = std::make_unique<More>();
    return *m_more;
  }
  std::unique_ptr<More> m_more;

public:
  bool closed = false; // last: it shares the end of the object with the reference count
};

class OdDb3dPolyline : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDb3dPolyline);

public:
  std::vector<OdGePoint3d> vertices;
  bool closed = false;
};

// A surface as faces of three or four vertices each; faces share their vertices by index.
class OdDbPolyFaceMesh : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbPolyFaceMesh);

public:
  struct Face {
    int vertices[4] = {-1, -1, -1, -1}; // indices into `vertices`; the fourth is -1 for a triangle
    int count() const { return vertices[3] < 0 ? 3 : 4; }
  };
  std::vector<OdGePoint3d> vertices;
  std::vector<Face> faces;
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

// A block definition's attribute: the tag a reference's attribute answers to, the prompt that
// asks for its value, and the value it has unless told another, as its text.
class OdDbAttributeDefinition : public OdDbText {
  ODRX_DECLARE_MEMBERS(OdDbAttributeDefinition);

public:
  OdString tag;
  OdString prompt;
  bool invisible = false;
  bool constant = false; // the same value in every reference, never asked for
};

// A block reference's value for one of its block's attribute definitions, as its text.
class OdDbAttribute : public OdDbText {
  ODRX_DECLARE_MEMBERS(OdDbAttribute);

public:
  OdString tag;
  bool invisible = false;
};

class OdDbBlockReference : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbBlockReference);

public:
  // Adds the attribute to the reference's database, owned by the reference, after the others.
  // The reference must be in a database: else OdError(eNoDatabase).
  OdDbObjectId appendAttribute(OdDbAttribute* attribute);
  const OdDbObjectIdArray& attributeIds() const;

  OdDbObjectId blockTableRecord;
  OdGePoint3d position;
  OdGeVector3d scale{1.0, 1.0, 1.0};
  double rotation = 0.0;
  OdGeVector3d normal = OdGeVector3d::zAxis();

private:
  // Attributes belong to the reference that owns them: a copy of a reference starts without
  // any, and one assigned to keeps its own. Few references have any, and a drawing may have a
  // million references: the ids take room only when there are some.
  struct Attributes {
    Attributes() = default;
    Attributes(const Attributes&) {}
    Attributes& operator=(const Attributes&) { return *this; }
    std::unique_ptr<OdDbObjectIdArray> ids;
  } m_attributes;
};

typedef OdSmartPtr<OdDbLine> OdDbLinePtr;
typedef OdSmartPtr<OdDbPoint> OdDbPointPtr;
typedef OdSmartPtr<OdDbCircle> OdDbCirclePtr;
typedef OdSmartPtr<OdDbArc> OdDbArcPtr;
typedef OdSmartPtr<OdDbEllipse> OdDbEllipsePtr;
typedef OdSmartPtr<OdDbPolyline> OdDbPolylinePtr;
typedef OdSmartPtr<OdDb3dPolyline> OdDb3dPolylinePtr;
typedef OdSmartPtr<OdDbPolyFaceMesh> OdDbPolyFaceMeshPtr;
typedef OdSmartPtr<OdDbSpline> OdDbSplinePtr;
typedef OdSmartPtr<OdDbText> OdDbTextPtr;
typedef OdSmartPtr<OdDbMText> OdDbMTextPtr;
typedef OdSmartPtr<OdDbBlockReference> OdDbBlockReferencePtr;
typedef OdSmartPtr<OdDbAttributeDefinition> OdDbAttributeDefinitionPtr;
typedef OdSmartPtr<OdDbAttribute> OdDbAttributePtr;
