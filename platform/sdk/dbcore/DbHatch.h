#pragma once
#include "DbEntities.h"

#include <vector>

// An area filled solid in its entity's colour, bounded by closed loops of edges. The edges lie in
// the hatch's plane: its normal, and the elevation of their points along it, as a polyline's.
class OdDbHatch : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbHatch);

public:
  // Loop flags, as the drawing file keeps them.
  enum HatchLoopType { kDefault = 0, kExternal = 1, kDerived = 4, kTextbox = 8, kOutermost = 16 };
  enum EdgeType { kLine = 1, kCirArc = 2, kEllArc = 3 };

  // One edge, in the plane's coordinates. An arc runs from startAngle to endAngle (radians, from
  // the plane's x axis), counter-clockwise or clockwise; an elliptical arc likewise by the
  // parameters of its ellipse, as OdDbEllipse's, whose major axis runs from its centre to
  // `majorAxis` and whose minor axis is `ratio` times as long.
  struct Edge {
    EdgeType type = kLine;
    OdGePoint2d start, end; // a line's
    OdGePoint2d center;
    double radius = 0.0;
    OdGePoint2d majorAxis;
    double ratio = 1.0;
    double startAngle = 0.0, endAngle = 0.0;
    bool counterClockwise = true;

    static Edge line(const OdGePoint2d& from, const OdGePoint2d& to)
    {
      Edge edge;
      edge.start = from;
      edge.end = to;
      return edge;
    }
    static Edge arc(const OdGePoint2d& center, double radius, double startAngle, double endAngle,
                    bool counterClockwise = true)
    {
      Edge edge;
      edge.type = kCirArc;
      edge.center = center;
      edge.radius = radius;
      edge.startAngle = startAngle;
      edge.endAngle = endAngle;
      edge.counterClockwise = counterClockwise;
      return edge;
    }
    static Edge ellipticalArc(const OdGePoint2d& center, const OdGePoint2d& majorAxis, double ratio,
                              double startParam, double endParam, bool counterClockwise = true)
    {
      Edge edge;
      edge.type = kEllArc;
      edge.center = center;
      edge.majorAxis = majorAxis;
      edge.ratio = ratio;
      edge.startAngle = startParam;
      edge.endAngle = endParam;
      edge.counterClockwise = counterClockwise;
      return edge;
    }
  };

  struct Loop {
    int type = kExternal; // HatchLoopType flags
    std::vector<Edge> edges;
  };

  // Adds a boundary: edges that follow each other round to where the first starts.
  void appendLoop(int loopType, std::vector<Edge> edges) { m_loops.push_back({loopType, std::move(edges)}); }
  int numLoops() const { return int(m_loops.size()); }
  const std::vector<Loop>& loops() const { return m_loops; }

  double elevation = 0.0;
  OdGeVector3d normal = OdGeVector3d::zAxis();

private:
  std::vector<Loop> m_loops;
};
typedef OdSmartPtr<OdDbHatch> OdDbHatchPtr;
