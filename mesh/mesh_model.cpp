#include "mesh/mesh_model.h"

#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <new>
#include <unordered_map>
#include <unordered_set>

#include "mesh/mesh_geometry.h"

namespace {

MeshModel* active = nullptr;

// Far beyond any bevel a letter can have (one em is 32000), and small enough that the
// inset outline stays inside the int32 coordinates.
constexpr double kMaxBevelSize = double(1 << 28);

// ---------------------------------------------------------------------------------------
// Reading the selected outlines

bool same_place(const ModelVertex& a, const ModelVertex& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// Closed cycles of edges between selected vertices, following each edge's direction, with
// runs of vertices at one place reduced to the lowest index of the run. Cycles with fewer
// than three places or no area are left out; open chains too.
std::vector<std::vector<int32_t>> selected_outlines(const MeshModel& m) {
  const ModelVertex* v = m.vertex_array;
  std::vector<int32_t> order;
  for (int32_t e = 0; e < m.edge_count; ++e) {
    const MeshModel::Edge& ed = m.edges[size_t(e)];
    if (ed.from == ed.to || ed.from < 0 || ed.to < 0 || ed.from >= m.vertex_count || ed.to >= m.vertex_count) continue;
    if (v[ed.from].selected == 1 && v[ed.to].selected == 1) order.push_back(e);
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](int32_t a, int32_t b) { return m.edges[size_t(a)].from < m.edges[size_t(b)].from; });
  auto first_from = [&](int32_t vertex) {
    return std::lower_bound(order.begin(), order.end(), vertex,
                            [&](int32_t e, int32_t x) { return m.edges[size_t(e)].from < x; }) -
           order.begin();
  };
  std::vector<char> used(order.size(), 0);
  std::vector<std::vector<int32_t>> out;
  for (size_t k = 0; k < order.size(); ++k) {
    if (used[k]) continue;
    used[k] = 1;
    const MeshModel::Edge& e0 = m.edges[size_t(order[k])];
    std::vector<int32_t> cycle{e0.from};
    int32_t at = e0.to;
    bool closed = false;
    for (size_t steps = 0; steps <= order.size(); ++steps) {
      if (at == e0.from) {
        closed = true;
        break;
      }
      cycle.push_back(at);
      size_t i = size_t(first_from(at));
      while (i < order.size() && m.edges[size_t(order[i])].from == at && used[i]) ++i;
      if (i >= order.size() || m.edges[size_t(order[i])].from != at) break;
      used[i] = 1;
      at = m.edges[size_t(order[i])].to;
    }
    if (!closed) continue;
    // Runs of one place: start at a vertex whose predecessor lies elsewhere.
    size_t n = cycle.size(), start = n;
    for (size_t i = 0; i < n && start == n; ++i)
      if (!same_place(v[cycle[i]], v[cycle[(i + n - 1) % n]])) start = i;
    if (start == n) continue;
    std::vector<int32_t> places;
    for (size_t j = 0; j < n; ++j) {
      int32_t id = cycle[(start + j) % n];
      if (j > 0 && same_place(v[id], v[places.back()]))
        places.back() = std::min(places.back(), id);
      else
        places.push_back(id);
    }
    if (places.size() < 3) continue;
    double area = 0;
    for (size_t i = 0; i < places.size(); ++i) {
      const ModelVertex& a = v[places[i]];
      const ModelVertex& b = v[places[(i + 1) % places.size()]];
      area += double(a.y) * b.z - double(b.y) * a.z;
    }
    if (area == 0) continue;
    out.push_back(std::move(places));
  }
  return out;
}

uint64_t edge_key(int32_t a, int32_t b) { return (uint64_t(uint32_t(a)) << 32) | uint32_t(b); }

// Directed edges of the existing faces whose both ends are in `among`.
std::unordered_set<uint64_t> face_edges_among(const MeshModel& m, const std::vector<std::vector<int32_t>>& outlines) {
  std::unordered_set<int32_t> among;
  for (const auto& c : outlines) among.insert(c.begin(), c.end());
  std::unordered_set<uint64_t> out;
  for (int32_t f = 0; f < m.face_count; ++f) {
    const int32_t* c = m.faces[size_t(f)].corner;
    for (int k = 0; k < 3; ++k)
      if (among.count(c[k]) && among.count(c[(k + 1) % 3])) out.insert(edge_key(c[k], c[(k + 1) % 3]));
  }
  return out;
}

// ---------------------------------------------------------------------------------------
// What an operation adds, worked out before the model changes

struct Addition {
  std::vector<MeshPoint> new_points;               // new vertices, in order
  std::vector<MeshModel::Edge> new_edges;          // vertex indices (new ones included)
  std::vector<std::array<int32_t, 3>> new_faces;   // vertex indices
  std::vector<int32_t> select, deselect;           // after the change
};

void commit(MeshModel& m, const Addition& a) {
  // Grow everything first (a failure here leaves the counts untouched), then write.
  size_t nv = size_t(m.vertex_count) + a.new_points.size();
  if (nv > m.vertices.size()) m.vertices.resize(nv);
  m.vertex_array = m.vertices.data();
  size_t ne = size_t(m.edge_count) + a.new_edges.size();
  if (ne > m.edges.size()) m.edges.resize(ne);
  m.faces.reserve(size_t(m.face_count) + a.new_faces.size());

  for (const MeshPoint& p : a.new_points) {
    ModelVertex& v = m.vertices[size_t(m.vertex_count++)];
    v = ModelVertex{};
    v.owner = m.current_object;
    v.x = int32_t(std::lround(p.x));
    v.y = int32_t(std::lround(p.y));
    v.z = int32_t(std::lround(p.z));
    ++m.unselected_count;
  }
  for (const MeshModel::Edge& e : a.new_edges) m.edges[size_t(m.edge_count++)] = e;
  for (const auto& t : a.new_faces) {
    ModelFace f{};
    std::memcpy(f.corner, t.data(), sizeof f.corner);
    m.faces.push_back(f);
  }
  m.face_count = int32_t(m.faces.size());
  m.face_array = m.faces.data();
  for (int32_t i : a.deselect) m.select_range(i, i + 1, false);
  for (int32_t i : a.select) m.select_range(i, i + 1, true);
}

// Local points for the tessellator: the outlines' vertices, then `extra`.
struct LocalOutlines {
  std::vector<MeshPoint> points;
  std::vector<int32_t> model;  // model index of each local point (-1: not yet in the model)
  std::vector<std::vector<int>> contours;
};

LocalOutlines local_outlines(const MeshModel& m, const std::vector<std::vector<int32_t>>& outlines) {
  LocalOutlines l;
  for (const auto& c : outlines) {
    std::vector<int> ids;
    for (int32_t id : c) {
      const ModelVertex& v = m.vertex_array[id];
      ids.push_back(int(l.points.size()));
      l.points.push_back({double(v.x), double(v.y), double(v.z)});
      l.model.push_back(id);
    }
    l.contours.push_back(std::move(ids));
  }
  return l;
}

// Turns tessellated triangles over local points into faces: new local points become new
// model vertices (numbered from the model's vertex count on), and each triangle is turned
// to face +X (facing > 0) or -X.
void add_triangles(const MeshModel& m, const LocalOutlines& l, const MeshTriangles& tris, int facing,
                   Addition* a) {
  std::vector<int32_t> index = l.model;
  for (size_t i = 0; i < index.size(); ++i)
    if (index[i] < 0) {
      index[i] = m.vertex_count + int32_t(a->new_points.size());
      a->new_points.push_back(tris.points[i]);
    }
  for (size_t i = l.points.size(); i < tris.points.size(); ++i) {
    index.push_back(m.vertex_count + int32_t(a->new_points.size()));
    a->new_points.push_back(tris.points[i]);
  }
  for (const auto& t : tris.triangles) {
    std::array<int32_t, 3> f{index[size_t(t[0])], index[size_t(t[1])], index[size_t(t[2])]};
    if (facing < 0) std::swap(f[1], f[2]);
    a->new_faces.push_back(f);
  }
}

// The facing that turns a fill away from the faces already on its outline's edges; +1 when
// there are none.
int facing_against_neighbours(const std::unordered_set<uint64_t>& neighbours, const LocalOutlines& l,
                              const MeshTriangles& tris) {
  if (neighbours.empty()) return 1;
  long keep = 0, flip = 0;
  auto model_of = [&](int i) { return size_t(i) < l.model.size() ? l.model[size_t(i)] : -1; };
  for (const auto& t : tris.triangles)
    for (int k = 0; k < 3; ++k) {
      int32_t a = model_of(t[size_t(k)]), b = model_of(t[size_t((k + 1) % 3)]);
      if (a < 0 || b < 0) continue;
      if (neighbours.count(edge_key(a, b))) ++flip;       // same direction as a neighbour
      else if (neighbours.count(edge_key(b, a))) ++keep;  // already opposite
    }
  return flip > keep ? -1 : 1;
}

bool operation_fails_by_request(MeshModel& m) {
  ++m.operations;
  return m.fail_operation > 0 && m.operations == m.fail_operation;
}

// ---------------------------------------------------------------------------------------
// Callbacks

// The void callbacks cannot report a failure: when memory runs out they leave the model as
// it was (no exception crosses back into the caller).
template <typename Body>
void guarded(Body body) {
  if (!active) return;
  try {
    body(*active);
  } catch (const std::bad_alloc&) {  // the model is left as it was
  }
}

void ZEL_CDECL on_append_vertex() {
  guarded([](MeshModel& m) {
    if (size_t(m.vertex_count) >= m.vertices.size()) {
      m.vertices.resize(size_t(m.vertex_count) + 1);
      m.vertex_array = m.vertices.data();
    }
    ModelVertex& v = m.vertices[size_t(m.vertex_count++)];
    v = ModelVertex{};
    v.owner = m.current_object;
    ++m.unselected_count;
  });
}

void ZEL_CDECL on_append_edge(int32_t from, int32_t to) {
  guarded([=](MeshModel& m) {
    if (size_t(m.edge_count) >= m.edges.size()) m.edges.resize(size_t(m.edge_count) + 1);
    m.edges[size_t(m.edge_count++)] = MeshModel::Edge{from, to};
  });
}

void ZEL_CDECL on_create_object(ModelObject* parent) {
  guarded([=](MeshModel& m) {
    m.parent_of.reserve(m.parent_of.size() + 1);
    m.objects.emplace_back();
    ModelObject& o = m.objects.back();
    std::memset(&o, 0, sizeof o);
    m.current_object = &o;
    m.parent_of.push_back(parent);
  });
}

// The capacity is the array's size: exactly n afterwards (the storage behind it may be
// larger, so that growing one element at a time does not copy the array every time).
void ZEL_CDECL on_reserve_vertices(int32_t n) {
  guarded([=](MeshModel& m) {
    if (n < m.vertex_count) return;
    m.vertices.resize(size_t(n));
    m.vertex_array = m.vertices.data();
  });
}

void ZEL_CDECL on_reserve_edges(int32_t n) {
  guarded([=](MeshModel& m) {
    if (n >= m.edge_count) m.edges.resize(size_t(n));
  });
}

void ZEL_CDECL on_character_done() {
  if (active) ++active->characters_done;
}

// Runs an operation and adds its time to `seconds`.
template <typename Op>
int32_t timed(double* seconds, Op op) {
  auto start = std::chrono::steady_clock::now();
  int32_t r = op();
  *seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return r;
}

int32_t ZEL_CDECL on_apply_to_selection(int32_t op, int32_t a, int32_t b, double angle, double size) {
  if (!active) return 0;
  MeshModel& m = *active;
  if (op == kModelFill) return timed(&m.times.fill, [&] { return mesh_fill(m); });
  if (op == kModelBevel) return timed(&m.times.bevel, [&] { return mesh_bevel(m, angle, size); });
  return 0;
}

int32_t ZEL_CDECL on_extrude_selection(int32_t mode) {
  if (!active || mode != kModelExtrudeCopy) return 0;
  MeshModel& m = *active;
  return timed(&m.times.extrude, [&] { return mesh_extrude(m); });
}

}  // namespace

// -----------------------------------------------------------------------------------------

MeshModel::MeshModel() {
  objects.emplace_back();
  std::memset(&objects.back(), 0, sizeof(ModelObject));
  parent_of.push_back(nullptr);
  current_object = parent_object = &objects.front();
  iface.append_vertex = on_append_vertex;
  iface.append_edge = on_append_edge;
  iface.create_object = on_create_object;
  iface.reserve_vertices = on_reserve_vertices;
  iface.reserve_edges = on_reserve_edges;
  iface.character_done = on_character_done;
  iface.apply_to_selection = on_apply_to_selection;
  iface.extrude_selection = on_extrude_selection;
  bind();
}

MeshModel::~MeshModel() {
  if (active == this) active = nullptr;
}

void MeshModel::bind() { active = this; }

const ModelObject* MeshModel::face_owner(int32_t face) const {
  int32_t c = faces[size_t(face)].corner[0];
  return c >= 0 && c < vertex_count ? vertex_array[c].owner : nullptr;
}

void MeshModel::select_range(int32_t from, int32_t to, bool on) {
  for (int32_t i = std::max(from, 0); i < to && i < vertex_count; ++i) {
    uint8_t& s = vertex_array[i].selected;
    if (on && s == 0) {
      s = 1;
      ++selected_count;
      --unselected_count;
    } else if (!on && s == 1) {
      s = 0;
      --selected_count;
      ++unselected_count;
    }
  }
}

int32_t mesh_fill(MeshModel& m) {
  try {
    if (operation_fails_by_request(m)) return 0;
    std::vector<std::vector<int32_t>> outlines = selected_outlines(m);
    if (outlines.empty()) return 1;
    LocalOutlines l = local_outlines(m, outlines);
    MeshTriangles tris;
    if (!tessellate_odd(l.points, l.contours, &tris)) return 0;
    int facing = facing_against_neighbours(face_edges_among(m, outlines), l, tris);
    Addition a;
    add_triangles(m, l, tris, facing, &a);
    commit(m, a);
    return 1;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int32_t mesh_extrude(MeshModel& m) {
  try {
    if (operation_fails_by_request(m)) return 0;
    std::vector<std::vector<int32_t>> outlines = selected_outlines(m);
    Addition a;
    // The copy: every selected vertex, in index order, as one block.
    std::vector<int32_t> copy_of(size_t(m.vertex_count), -1);
    for (int32_t i = 0; i < m.vertex_count; ++i) {
      const ModelVertex& v = m.vertex_array[i];
      if (v.selected != 1) continue;
      copy_of[size_t(i)] = m.vertex_count + int32_t(a.new_points.size());
      a.new_points.push_back({double(v.x), double(v.y), double(v.z)});
      a.deselect.push_back(i);
      a.select.push_back(copy_of[size_t(i)]);
    }
    if (a.new_points.empty()) return 1;
    for (int32_t e = 0; e < m.edge_count; ++e) {
      const MeshModel::Edge& ed = m.edges[size_t(e)];
      if (ed.from < 0 || ed.to < 0 || ed.from >= m.vertex_count || ed.to >= m.vertex_count) continue;
      int32_t cf = copy_of[size_t(ed.from)], ct = copy_of[size_t(ed.to)];
      if (cf >= 0 && ct >= 0) a.new_edges.push_back({cf, ct});
    }
    // Side faces, two per outline edge, turned outwards: away from the faces already on the
    // edge, or else as the outside of a solid whose front is this outline.
    std::unordered_set<uint64_t> neighbours = face_edges_among(m, outlines);
    LocalOutlines l = local_outlines(m, outlines);
    std::vector<int> inside_left = interior_on_left(l.points, l.contours);
    for (size_t c = 0; c < outlines.size(); ++c) {
      const std::vector<int32_t>& o = outlines[c];
      long forward = 0, backward = 0;
      for (size_t i = 0; i < o.size(); ++i) {
        int32_t p = o[i], q = o[(i + 1) % o.size()];
        if (neighbours.count(edge_key(p, q))) ++forward;
        if (neighbours.count(edge_key(q, p))) ++backward;
      }
      bool reverse = forward + backward > 0 ? forward >= backward : inside_left[c] > 0;
      for (size_t i = 0; i < o.size(); ++i) {
        int32_t p = o[i], q = o[(i + 1) % o.size()];
        int32_t pc = copy_of[size_t(p)], qc = copy_of[size_t(q)];
        if (reverse) {
          a.new_faces.push_back({q, p, pc});
          a.new_faces.push_back({q, pc, qc});
        } else {
          a.new_faces.push_back({p, q, qc});
          a.new_faces.push_back({p, qc, pc});
        }
      }
    }
    // Faces lying on the selection (a fill made before the extrusion) are copied, turned
    // round, onto the copy: they close the solid's other end.
    for (int32_t f = 0; f < m.face_count; ++f) {
      const int32_t* c = m.faces[size_t(f)].corner;
      int32_t c0 = copy_of[size_t(c[0])], c1 = copy_of[size_t(c[1])], c2 = copy_of[size_t(c[2])];
      if (c0 >= 0 && c1 >= 0 && c2 >= 0) a.new_faces.push_back({c0, c2, c1});
    }
    commit(m, a);
    return 1;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int32_t mesh_bevel(MeshModel& m, double angle_degrees, double size) {
  try {
    if (operation_fails_by_request(m)) return 0;
    std::vector<std::vector<int32_t>> outlines = selected_outlines(m);
    if (outlines.empty() || !(size >= 1.0)) return 1;  // nothing to bevel, or no size: as it was
    if (size > kMaxBevelSize) return 0;
    double angle = std::max(-89.0, std::min(89.0, std::isfinite(angle_degrees) ? angle_degrees : 0.0));
    int facing = angle < 0 ? -1 : 1;
    double rise = std::max(-kMaxBevelSize, std::min(kMaxBevelSize, size * std::tan(angle * M_PI / 180.0)));
    double plane_x = m.vertex_array[outlines[0][0]].x;

    LocalOutlines l = local_outlines(m, outlines);
    std::vector<std::vector<MeshPoint>> inner = inset_outlines(l.points, l.contours, size);
    for (const auto& c : inner) {
      std::vector<int> ids;
      for (const MeshPoint& p : c) {
        ids.push_back(int(l.points.size()));
        l.points.push_back({plane_x + rise, p.y, p.z});
        l.model.push_back(-1);
      }
      l.contours.push_back(std::move(ids));
    }
    MeshTriangles tris;
    if (!tessellate_odd(l.points, l.contours, &tris)) return 0;
    Addition a;
    add_triangles(m, l, tris, facing, &a);
    // The inner outline: its vertices were numbered in order by add_triangles.
    int32_t first_new = m.vertex_count;
    size_t k = 0;
    for (const auto& c : inner) {
      int32_t start = first_new + int32_t(k);
      for (size_t i = 0; i < c.size(); ++i) {
        int32_t p = start + int32_t(i), q = start + int32_t((i + 1) % c.size());
        a.new_edges.push_back({p, q});
        a.select.push_back(p);
      }
      k += c.size();
    }
    for (int32_t i = 0; i < m.vertex_count; ++i)
      if (m.vertex_array[i].selected == 1) a.deselect.push_back(i);
    commit(m, a);
    return 1;
  } catch (const std::bad_alloc&) {
    return 0;
  } catch (const ClipperLib::clipperException&) {
    return 0;
  }
}
