#pragma once
#include <Ge.h>

#include <array>
#include <vector>

namespace dgn {

// Faces of three or four vertices over shared vertices: what surfaces, solids and cones become.
struct Mesh {
  std::vector<OdGePoint3d> vertices;
  std::vector<std::array<int, 4>> faces; // the fourth -1 for a triangle
  bool coarse = false; // made with fewer vertices than its tolerance asked for, to stay within a limit

  int add(const OdGePoint3d& p)
  {
    vertices.push_back(p);
    return int(vertices.size()) - 1;
  }
  std::vector<int> add(const std::vector<OdGePoint3d>& points);
  // A face through the vertices in order; a vertex that repeats its neighbour is dropped, and
  // what keeps fewer than three makes no face, as does a vertex that could not be evaluated.
  void face(int a, int b, int c, int d = -1);
  // Quads between two rows of vertices of the same length, each joined to its counterpart.
  void strip(const std::vector<int>& a, const std::vector<int>& b);
  // The inside of a closed outline (a polygon in a plane, its first vertex not repeated at the
  // end) in triangles.
  void cap(std::vector<int> outline);
  bool empty() const { return faces.empty(); }
};

// The points of a polyline again, `count` of them spread evenly along its length.
std::vector<OdGePoint3d> resampled(const std::vector<OdGePoint3d>& points, size_t count);

} // namespace dgn
