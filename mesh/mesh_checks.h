#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "mesh/mesh_model.h"

// Checks shared by the mesh model's tests.

// Whether faces [first, last) form a closed, consistently oriented surface: with vertices at
// one place taken as one, every directed edge is used by exactly one triangle and its
// reverse by exactly one other; no triangle has zero area; and the enclosed volume is
// positive (the corners run counter-clockwise seen from outside). `problem` names the
// first faults.
struct SurfaceReport {
  long triangles = 0, open_edges = 0, overused_edges = 0, flat_triangles = 0;
  double volume = 0;  // signed, in model units cubed
  std::string problem;
  bool closed() const {
    return triangles > 0 && open_edges == 0 && overused_edges == 0 && flat_triangles == 0 && volume > 0;
  }
};

inline SurfaceReport check_closed_surface(const MeshModel& m, int32_t first = 0, int32_t last = -1) {
  using Place = std::array<double, 3>;
  auto cross = [](const Place& a, const Place& b) {
    return Place{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
  };
  std::map<std::pair<Place, Place>, int> uses;
  SurfaceReport r;
  std::ostringstream why;
  for (int32_t f = first; f < (last < 0 ? m.face_count : last); ++f, ++r.triangles) {
    Place p[3], u, v;
    for (int k = 0; k < 3; ++k) {
      const ModelVertex& c = m.vertex(m.faces[size_t(f)].corner[k]);
      p[k] = {double(c.x), double(c.y), double(c.z)};
    }
    for (int k = 0; k < 3; ++k) u[k] = p[1][k] - p[0][k], v[k] = p[2][k] - p[0][k];
    if (cross(u, v) == Place{0, 0, 0} && r.flat_triangles++ == 0) why << "flat triangle " << f << "; ";
    Place n = cross(p[1], p[2]);
    r.volume += (p[0][0] * n[0] + p[0][1] * n[1] + p[0][2] * n[2]) / 6;
    for (int k = 0; k < 3; ++k) ++uses[{p[k], p[(k + 1) % 3]}];
  }
  for (const auto& e : uses) {
    auto back = uses.find({e.first.second, e.first.first});
    int reverse = back == uses.end() ? 0 : back->second;
    r.overused_edges += e.second > 1;
    r.open_edges += reverse == 0;
    if ((e.second > 1 || reverse == 0) && why.str().size() < 200)
      why << "edge (" << e.first.first[0] << "," << e.first.first[1] << "," << e.first.first[2] << ")->("
          << e.first.second[0] << "," << e.first.second[1] << "," << e.first.second[2] << ") used " << e.second
          << " reverse " << reverse << "; ";
  }
  if (r.volume <= 0) why << "volume " << r.volume << "; ";
  r.problem = why.str();
  return r;
}

// The selection counts agree with the selection bytes, every edge names existing vertices
// and every face three distinct ones.
inline std::string model_inconsistency(const MeshModel& m) {
  long on = 0, off = 0;
  for (int32_t i = 0; i < m.vertex_count; ++i) (m.vertex(i).selected == 1 ? on : off) += 1;
  if (on != m.selected_count || off != m.unselected_count) return "selection counts";
  if (m.vertex_count > int32_t(m.vertices.size()) || m.edge_count > int32_t(m.edges.size())) return "capacity";
  if (m.face_count != int32_t(m.faces.size()) || (m.face_count && m.face_array != m.faces.data())) return "face array";
  for (const ModelFace& f : m.faces) {
    for (int32_t c : f.corner)
      if (c < 0 || c >= m.vertex_count) return "face corner";
    if (f.corner[0] == f.corner[1] || f.corner[1] == f.corner[2] || f.corner[0] == f.corner[2]) return "face corners";
  }
  for (int32_t e = 0; e < m.edge_count; ++e)
    if (m.edges[size_t(e)].from >= m.vertex_count || m.edges[size_t(e)].to >= m.vertex_count) return "edge end";
  return "";
}

// Twice the signed area of face f projected on the outline plane (Y right, Z up, seen
// from +X): positive for a face turned towards +X.
inline double projected_twice_area(const MeshModel& m, int32_t f) {
  const int32_t* c = m.faces[size_t(f)].corner;
  const ModelVertex &a = m.vertex(c[0]), &b = m.vertex(c[1]), &d = m.vertex(c[2]);
  return (double(b.y) - a.y) * (double(d.z) - a.z) - (double(b.z) - a.z) * (double(d.y) - a.y);
}

// The projected area of faces [first, last).
inline double projected_area(const MeshModel& m, int32_t first, int32_t last) {
  double twice = 0;
  for (int32_t f = first; f < last; ++f) twice += projected_twice_area(m, f);
  return twice / 2;
}

// Draws closed contours (Y, Z points at plane X = x) through the model's callbacks as the
// build interpreter does: one vertex and one edge reserved ahead of each append.
using Contour = std::vector<std::pair<int32_t, int32_t>>;
inline void draw_contours(MeshModel& m, const std::vector<Contour>& contours, int32_t x = 0) {
  ModelInterface& mi = m.iface;
  for (const Contour& c : contours) {
    int32_t first = *mi.vertex_count;
    for (size_t i = 0; i < c.size(); ++i) {
      mi.reserve_vertices(*mi.vertex_count + 1);
      mi.append_vertex();
      ModelVertex& v = (*mi.vertices)[*mi.vertex_count - 1];
      v.x = x, v.y = c[i].first, v.z = c[i].second;
      if (i > 0) {
        mi.reserve_edges(*mi.edge_count + 1);
        mi.append_edge(*mi.vertex_count - 2, *mi.vertex_count - 1);
      }
    }
    mi.reserve_edges(*mi.edge_count + 1);
    mi.append_edge(*mi.vertex_count - 1, first);
  }
}

// The builder's sequence for a thick, filled letter without bevels, on the contours drawn:
// fill the outline, copy everything (the fill's faces and the points it added with it) and
// move the copy back by g. Answers the number of front faces, or -1 when an operation failed.
inline int32_t make_solid(MeshModel& m, int32_t g) {
  m.select_range(0, m.vertex_count, true);
  if (m.iface.apply_to_selection(kModelFill, 0, 1, 0.0, 0.0) != 1) return -1;
  int32_t front = m.face_count, copy = m.vertex_count;
  m.select_range(0, copy, true);
  if (m.iface.extrude_selection(kModelExtrudeCopy) != 1) return -1;
  for (int32_t i = copy; i < m.vertex_count; ++i) m.vertex_array[i].x -= g;
  return front;
}
