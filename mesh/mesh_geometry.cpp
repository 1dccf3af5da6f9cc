#include "mesh/mesh_geometry.h"

#include <GL/glu.h>
#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>

namespace {

// Vertex data handed to GLU: index + 1, so that no vertex is a null pointer.
void* tag(int i) { return reinterpret_cast<void*>(intptr_t(i) + 1); }
int untag(void* p) { return int(reinterpret_cast<intptr_t>(p) - 1); }

struct TessRun {
  MeshTriangles* out;
  std::map<std::pair<double, double>, int>* first_at;  // the first point at each place
  std::vector<int> corners;
  bool failed = false;
};

void GLAPIENTRY on_begin(GLenum, void*) {}
void GLAPIENTRY on_edge_flag(GLboolean, void*) {}  // its presence makes GLU emit triangles only
void GLAPIENTRY on_vertex(void* data, void* run) { static_cast<TessRun*>(run)->corners.push_back(untag(data)); }
void GLAPIENTRY on_error(GLenum, void* run) { static_cast<TessRun*>(run)->failed = true; }

// A point the tessellator adds where contours cross: on the model's integer grid, and the
// point already there if there is one.
void GLAPIENTRY on_combine(GLdouble coords[3], void* data[4], GLfloat weight[4], void** result, void* r) {
  TessRun& run = *static_cast<TessRun*>(r);
  std::vector<MeshPoint>& pts = run.out->points;
  double y = std::round(coords[0]), z = std::round(coords[1]);
  auto there = run.first_at->find({y, z});
  if (there != run.first_at->end()) {
    *result = tag(there->second);
    return;
  }
  double x = 0;
  for (int k = 0; k < 4; ++k)
    if (data[k]) x += double(weight[k]) * pts[size_t(untag(data[k]))].x;
  pts.push_back({x, y, z});
  run.first_at->emplace(std::make_pair(y, z), int(pts.size()) - 1);
  *result = tag(int(pts.size()) - 1);
}

// Removes zero-area triangles: one whose corners lie on a line is merged with the triangle
// across its longest side, and the pair is split again at the middle corner.
void flip_out_flat_triangles(MeshTriangles& t) {
  const std::vector<MeshPoint>& p = t.points;
  auto flat = [&](const std::array<int, 3>& tri) { return twice_area(p[size_t(tri[0])], p[size_t(tri[1])], p[size_t(tri[2])]) == 0; };
  for (size_t guard = 0; guard < 4 * t.triangles.size() + 8; ++guard) {
    size_t k = 0;
    while (k < t.triangles.size() && !flat(t.triangles[k])) ++k;
    if (k == t.triangles.size()) return;
    std::array<int, 3> tri = t.triangles[k];
    // The middle corner m is opposite the longest side (a, b).
    int mid = 0;
    double longest = -1;
    for (int i = 0; i < 3; ++i) {
      const MeshPoint& a = p[size_t(tri[size_t((i + 1) % 3)])];
      const MeshPoint& b = p[size_t(tri[size_t((i + 2) % 3)])];
      double d = (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z);
      if (d > longest) longest = d, mid = i;
    }
    int m = tri[size_t(mid)], a = tri[size_t((mid + 1) % 3)], b = tri[size_t((mid + 2) % 3)];
    size_t other = t.triangles.size();
    int r = -1;
    for (size_t j = 0; j < t.triangles.size() && other == t.triangles.size(); ++j) {
      if (j == k) continue;
      const std::array<int, 3>& u = t.triangles[j];
      for (int i = 0; i < 3; ++i)
        if ((u[size_t(i)] == a && u[size_t((i + 2) % 3)] == b) || (u[size_t(i)] == b && u[size_t((i + 2) % 3)] == a)) {
          other = j;
          r = u[size_t((i + 1) % 3)];
          break;
        }
    }
    bool coincident = longest <= 0 || (p[size_t(m)].y == p[size_t(a)].y && p[size_t(m)].z == p[size_t(a)].z) ||
                      (p[size_t(m)].y == p[size_t(b)].y && p[size_t(m)].z == p[size_t(b)].z);
    if (other == t.triangles.size() || coincident) {
      t.triangles.erase(t.triangles.begin() + long(k));
      continue;
    }
    std::array<int, 3> one{a, m, r}, two{m, b, r};
    for (std::array<int, 3>* n : {&one, &two})
      if (twice_area(p[size_t((*n)[0])], p[size_t((*n)[1])], p[size_t((*n)[2])]) < 0) std::swap((*n)[1], (*n)[2]);
    t.triangles[k] = one;
    t.triangles[other] = two;
  }
}

bool inside(const std::vector<MeshPoint>& pts, const std::vector<int>& c, double y, double z) {
  bool in = false;
  for (size_t i = 0, j = c.size() - 1; i < c.size(); j = i++) {
    const MeshPoint& a = pts[size_t(c[i])];
    const MeshPoint& b = pts[size_t(c[j])];
    if ((a.z > z) != (b.z > z) && y < (b.y - a.y) * (z - a.z) / (b.z - a.z) + a.y) in = !in;
  }
  return in;
}

}  // namespace

bool tessellate_odd(const std::vector<MeshPoint>& points, const std::vector<std::vector<int>>& contours,
                    MeshTriangles* out) {
  out->points = points;
  out->triangles.clear();
  GLUtesselator* tess = gluNewTess();
  if (!tess) return false;
  TessRun run;
  run.out = out;
  gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<_GLUfuncptr>(on_begin));
  gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<_GLUfuncptr>(on_edge_flag));
  gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<_GLUfuncptr>(on_vertex));
  gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(on_combine));
  gluTessCallback(tess, GLU_TESS_ERROR_DATA, reinterpret_cast<_GLUfuncptr>(on_error));
  gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_ODD);
  gluTessNormal(tess, 0, 0, 1);
  // GLU keeps pointers to the coordinates until the polygon ends.
  std::vector<std::array<GLdouble, 3>> coords(points.size());
  for (size_t i = 0; i < points.size(); ++i) coords[i] = {points[i].y, points[i].z, 0.0};
  // Points at one place (contours touching, an inset that splits at a point) are handed
  // over as the first of them, so that no triangle gets two corners at one place.
  std::map<std::pair<double, double>, int> first_at;
  run.first_at = &first_at;
  gluTessBeginPolygon(tess, &run);
  for (const std::vector<int>& c : contours) {
    gluTessBeginContour(tess);
    for (int i : c) {
      int shared = first_at.emplace(std::make_pair(points[size_t(i)].y, points[size_t(i)].z), i).first->second;
      gluTessVertex(tess, coords[size_t(i)].data(), tag(shared));
    }
    gluTessEndContour(tess);
  }
  gluTessEndPolygon(tess);
  gluDeleteTess(tess);
  if (run.failed || run.corners.size() % 3 != 0) return false;
  for (size_t i = 0; i + 2 < run.corners.size(); i += 3) {
    int a = run.corners[i], b = run.corners[i + 1], c = run.corners[i + 2];
    if (a != b && b != c && a != c) out->triangles.push_back({a, b, c});
  }
  flip_out_flat_triangles(*out);
  const std::vector<MeshPoint>& p = out->points;
  for (std::array<int, 3>& t : out->triangles)
    if (twice_area(p[size_t(t[0])], p[size_t(t[1])], p[size_t(t[2])]) < 0) std::swap(t[1], t[2]);
  return true;
}

std::vector<int> interior_on_left(const std::vector<MeshPoint>& points, const std::vector<std::vector<int>>& contours) {
  std::vector<int> out;
  for (size_t c = 0; c < contours.size(); ++c) {
    const std::vector<int>& k = contours[c];
    double area = 0;
    for (size_t i = 0; i < k.size(); ++i) {
      const MeshPoint& a = points[size_t(k[i])];
      const MeshPoint& b = points[size_t(k[(i + 1) % k.size()])];
      area += a.y * b.z - b.y * a.z;
    }
    const MeshPoint& a = points[size_t(k[0])];
    const MeshPoint& b = points[size_t(k[1 % k.size()])];
    double y = (a.y + b.y) / 2, z = (a.z + b.z) / 2;
    int depth = 0;
    for (size_t o = 0; o < contours.size(); ++o)
      if (o != c && contours[o].size() >= 3 && inside(points, contours[o], y, z)) ++depth;
    out.push_back((area > 0) == (depth % 2 == 0) ? 1 : -1);
  }
  return out;
}

std::vector<std::vector<MeshPoint>> inset_outlines(const std::vector<MeshPoint>& points,
                                                   const std::vector<std::vector<int>>& contours, double distance) {
  using namespace ClipperLib;
  Paths given;
  for (const std::vector<int>& c : contours) {
    Path path;
    for (int i : c) path.push_back(IntPoint(cInt(std::llround(points[size_t(i)].y)), cInt(std::llround(points[size_t(i)].z))));
    given.push_back(std::move(path));
  }
  // The odd-rule region as outer contours and holes in Clipper's orientation, then inset.
  Clipper clipper;
  clipper.AddPaths(given, ptSubject, true);
  Paths region;
  clipper.Execute(ctUnion, region, pftEvenOdd, pftEvenOdd);
  ClipperOffset offset(2.0);
  offset.AddPaths(region, jtMiter, etClosedPolygon);
  Paths raw, inset;
  offset.Execute(raw, -distance);
  // Strictly simple: where parts of the inset touch, they share a vertex rather than one
  // ending on the other's edge.
  Clipper simple;
  simple.StrictlySimple(true);
  simple.AddPaths(raw, ptSubject, true);
  simple.Execute(ctUnion, inset, pftNonZero, pftNonZero);
  CleanPolygons(inset);
  std::vector<std::vector<MeshPoint>> out;
  for (const Path& path : inset) {
    if (path.size() < 3 || std::fabs(Area(path)) < 1.0) continue;
    std::vector<MeshPoint> c;
    for (const IntPoint& q : path) c.push_back({0.0, double(q.X), double(q.Y)});
    out.push_back(std::move(c));
  }
  return out;
}
