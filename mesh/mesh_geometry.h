#pragma once
#include <array>
#include <vector>

// Planar geometry for the mesh model's operations, in the outline plane: y and z are the
// plane's coordinates (the model's Y and Z), x rides along (the model's X).

struct MeshPoint {
  double x, y, z;
};

struct MeshTriangles {
  std::vector<MeshPoint> points;               // the input points, then any the tessellator added
  std::vector<std::array<int, 3>> triangles;   // indices into points, counter-clockwise in (y, z)
};

// Triangulates the region inside an odd number of the contours (indices into `points`)
// with the GLU tessellator. Points at one place are shared; where contours cross, the
// crossing becomes a new point (x interpolated). Zero-area triangles that the tessellator
// leaves along straight runs of points are removed by flipping them into their neighbour.
// False if the tessellator reports an error.
bool tessellate_odd(const std::vector<MeshPoint>& points, const std::vector<std::vector<int>>& contours,
                    MeshTriangles* out);

// For each contour: +1 if the region inside an odd number of contours lies to the left of
// its direction (seen with y right and z up), else -1.
std::vector<int> interior_on_left(const std::vector<MeshPoint>& points, const std::vector<std::vector<int>>& contours);

// The region inside an odd number of the contours, shrunk by `distance` (mitred corners),
// as closed contours; parts thinner than twice the distance vanish. x of the result is 0.
std::vector<std::vector<MeshPoint>> inset_outlines(const std::vector<MeshPoint>& points,
                                                   const std::vector<std::vector<int>>& contours, double distance);

// Twice the signed area of triangle (a, b, c) in (y, z).
inline double twice_area(const MeshPoint& a, const MeshPoint& b, const MeshPoint& c) {
  return (b.y - a.y) * (c.z - a.z) - (b.z - a.z) * (c.y - a.y);
}
