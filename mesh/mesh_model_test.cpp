// The mesh model through its ModelInterface callbacks, on outlines drawn by hand: fill
// areas worked out by hand, closed solids, bevel geometry, failures that leave the model
// as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "mesh/mesh_checks.h"
#include "mesh/mesh_model.h"

namespace {

const Contour kSquare = {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}};

double fill_area(const MeshModel& m, int32_t first, int32_t last) {
  double twice = 0;
  for (int32_t f = first; f < last; ++f) twice += projected_twice_area(m, f);
  return twice / 2;
}

// The builder's sequence for a thick, filled letter without bevels: fill the outline, copy
// it (the fill's faces with it), move the copy back by g. Answers the faces of the front
// fill.
int32_t make_solid(MeshModel& m, int32_t g) {
  ModelInterface& mi = m.iface;
  m.select_range(0, m.vertex_count, true);
  EXPECT_EQ(mi.apply_to_selection(kModelFill, 0, 1, 0.0, 0.0), 1);
  m.select_range(0, m.vertex_count, false);
  int32_t front_faces = m.face_count;
  m.select_range(0, m.vertex_count, true);
  int32_t xs = m.vertex_count;
  EXPECT_EQ(mi.extrude_selection(kModelExtrudeCopy), 1);
  int32_t xe = m.vertex_count;
  m.select_range(xs, xe, false);
  for (int32_t i = xs; i < xe; ++i) m.vertex_array[i].x -= g;
  // The copied cap covers the same area, turned the other way (side faces project to lines).
  EXPECT_NEAR(fill_area(m, front_faces, m.face_count), -fill_area(m, 0, front_faces), 1e-6);
  return front_faces;
}

// What the extruded, filled letter is: a closed surface; closed but pinched where contours
// touch (two walls share the line through the touching point, so that edge has four
// triangles); or no solid at all.
enum Solid { kClosed, kPinched, kNone };

struct FillCase {
  const char* name;
  std::vector<Contour> contours;
  double area;    // of the region inside an odd number of contours, worked by hand
  Solid solid;
};

TEST(MeshModel, FillsOddRegionsAndClosesExtrudedSolids) {
  const FillCase cases[] = {
      {"square", {kSquare}, 1e6, kClosed},
      {"square with a hole", {kSquare, {{300, 300}, {700, 300}, {700, 700}, {300, 700}}}, 1e6 - 160000, kClosed},
      {"hole drawn the same way round", {kSquare, {{300, 300}, {300, 700}, {700, 700}, {700, 300}}}, 1e6 - 160000, kClosed},
      {"repeated point", {{{0, 0}, {1000, 0}, {1000, 0}, {1000, 1000}, {0, 1000}}}, 1e6, kClosed},
      {"closing point repeats the first", {{{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}}}, 1e6, kClosed},
      {"straight run of points", {{{0, 0}, {250, 0}, {500, 0}, {1000, 0}, {1000, 1000}, {500, 1000}, {0, 1000}}}, 1e6, kClosed},
      {"contours touching at a corner", {{{0, 0}, {500, 0}, {500, 500}, {0, 500}}, {{500, 500}, {1000, 500}, {1000, 1000}, {500, 1000}}},
       500000, kPinched},
      // Overlap under the odd rule: the shared 200 x 200 corner is outside.
      {"overlapping contours", {{{0, 0}, {600, 0}, {600, 600}, {0, 600}}, {{400, 400}, {1000, 400}, {1000, 1000}, {400, 1000}}},
       640000, kNone},
      {"no area: all on one line", {{{0, 0}, {500, 0}, {1000, 0}}}, 0, kNone},
      {"one point", {{{7, 7}, {7, 7}, {7, 7}}}, 0, kNone},
  };
  for (const FillCase& c : cases) {
    SCOPED_TRACE(c.name);
    MeshModel m;
    draw_contours(m, c.contours, 5000);
    int32_t front = make_solid(m, 3000);
    EXPECT_NEAR(fill_area(m, 0, front), c.area, 1e-6);
    for (int32_t f = 0; f < front; ++f) EXPECT_GT(projected_twice_area(m, f), 0) << "front face " << f;
    SurfaceReport r = check_closed_surface(m);
    if (c.solid == kClosed) {
      EXPECT_TRUE(r.closed()) << r.problem;
    }
    if (c.solid == kPinched) {
      EXPECT_TRUE(r.open_edges == 0 && r.flat_triangles == 0 && r.overused_edges == 2) << r.problem;
    }
    if (c.area == 0) {
      EXPECT_EQ(m.face_count, 0);
    }
    EXPECT_EQ(model_inconsistency(m), "");
  }
}

struct BevelCase {
  const char* name;
  Contour outline;
  double size, angle;
  double ring_area;      // projected, by hand
  int inner_vertices;    // selected afterwards
  double inner_x;        // X of the inner outline: size x tan(angle)
};

TEST(MeshModel, BevelsInsetTheOutlineAndRaiseIt) {
  const BevelCase cases[] = {
      {"square, 45 degrees", kSquare, 100, 45, 1e6 - 800.0 * 800, 4, 100},
      {"square, back side at 30 degrees", kSquare, 100, -30, 1e6 - 800.0 * 800, 4, -100 * std::tan(M_PI / 6)},
      // 100 wide, inset by 80 from both sides: nothing is left, the ring covers it flat.
      {"thin stroke", {{0, 0}, {1000, 0}, {1000, 100}, {0, 100}}, 80, 45, 100000, 0, 0},
  };
  for (const BevelCase& c : cases) {
    SCOPED_TRACE(c.name);
    MeshModel m;
    draw_contours(m, {c.outline});
    // Thickness first, as the builder does: the copy goes 3000 back. A positive angle
    // bevels the outline in front, a negative one the copy behind.
    int32_t n = m.vertex_count;
    m.select_range(0, n, true);
    ASSERT_EQ(m.iface.extrude_selection(kModelExtrudeCopy), 1);
    for (int32_t i = n; i < m.vertex_count; ++i) m.vertex_array[i].x -= 3000;
    int32_t bevelled = c.angle > 0 ? 0 : n, other = n - bevelled, base_x = c.angle > 0 ? 0 : -3000;
    m.select_range(0, m.vertex_count, false);
    m.select_range(bevelled, bevelled + n, true);
    int32_t before = m.vertex_count, ring = m.face_count;
    ASSERT_EQ(m.iface.apply_to_selection(kModelBevel, 0, 1, c.angle, c.size), 1);
    EXPECT_NEAR(std::fabs(fill_area(m, ring, m.face_count)), c.ring_area, 1e-6);
    EXPECT_EQ(m.selected_count, c.inner_vertices);
    for (int32_t i = 0; i < m.vertex_count; ++i) {
      const ModelVertex& v = m.vertex(i);
      EXPECT_EQ(v.selected, i >= before ? 1 : 0);
      if (i < before) continue;
      EXPECT_EQ(v.x, std::lround(base_x + c.inner_x));
      EXPECT_TRUE((v.y == 100 || v.y == 900) && (v.z == 100 || v.z == 900)) << v.y << " " << v.z;
    }
    // Every ring face is turned the way the bevel faces.
    for (int32_t f = ring; f < m.face_count; ++f) EXPECT_GT(projected_twice_area(m, f) * c.angle, 0);
    EXPECT_EQ(m.iface.apply_to_selection(kModelFill, 0, 1, 0.0, 0.0), 1);
    // Closed by filling the other side.
    m.select_range(0, m.vertex_count, false);
    m.select_range(other, other + n, true);
    EXPECT_EQ(m.iface.apply_to_selection(kModelFill, 0, 1, 0.0, 0.0), 1);
    SurfaceReport r = check_closed_surface(m);
    EXPECT_TRUE(r.closed()) << r.problem;
    EXPECT_EQ(model_inconsistency(m), "");
  }
}

TEST(MeshModel, BothBevelsOnOneOutlineMakeAClosedSolid) {
  MeshModel m;
  draw_contours(m, {kSquare, {{300, 300}, {700, 300}, {700, 700}, {300, 700}}});
  int32_t n = m.vertex_count;
  for (double angle : {40.0, -40.0}) {
    m.select_range(0, m.vertex_count, false);
    m.select_range(0, n, true);
    ASSERT_EQ(m.iface.apply_to_selection(kModelBevel, 0, 1, angle, 50), 1);
    ASSERT_EQ(m.iface.apply_to_selection(kModelFill, 0, 1, 0.0, 0.0), 1);
  }
  SurfaceReport r = check_closed_surface(m);
  EXPECT_TRUE(r.closed()) << r.problem;
}

struct Snapshot {
  int32_t vertices, edges, faces, selected, unselected;
  std::vector<uint8_t> bytes;
  explicit Snapshot(const MeshModel& m)
      : vertices(m.vertex_count), edges(m.edge_count), faces(m.face_count), selected(m.selected_count),
        unselected(m.unselected_count) {
    auto add = [&](const void* p, size_t n) {
      bytes.insert(bytes.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
    };
    add(m.vertex_array, sizeof(ModelVertex) * size_t(m.vertex_count));
    add(m.edges.data(), sizeof(MeshModel::Edge) * size_t(m.edge_count));
    add(m.faces.data(), sizeof(ModelFace) * size_t(m.face_count));
  }
  bool operator==(const Snapshot& o) const {
    return vertices == o.vertices && edges == o.edges && faces == o.faces && selected == o.selected &&
           unselected == o.unselected && bytes == o.bytes;
  }
};

TEST(MeshModel, AFailingOperationAnswersZeroAndChangesNothing) {
  using Op = int32_t (*)(ModelInterface&);
  const std::pair<const char*, Op> ops[] = {
      {"fill", [](ModelInterface& mi) { return mi.apply_to_selection(kModelFill, 0, 1, 0.0, 0.0); }},
      {"bevel", [](ModelInterface& mi) { return mi.apply_to_selection(kModelBevel, 0, 1, 45.0, 50.0); }},
      {"extrude", [](ModelInterface& mi) { return mi.extrude_selection(kModelExtrudeCopy); }},
  };
  for (const auto& op : ops) {
    SCOPED_TRACE(op.first);
    MeshModel m;
    draw_contours(m, {kSquare});
    m.select_range(0, m.vertex_count, true);
    EXPECT_EQ(m.iface.apply_to_selection(kModelFill, 0, 1, 0.0, 0.0), 1);
    Snapshot before(m);
    m.fail_operation = m.operations + 1;
    EXPECT_EQ(op.second(m.iface), 0);
    EXPECT_TRUE(Snapshot(m) == before);
    EXPECT_EQ(op.second(m.iface), 1);  // the next one works again
    EXPECT_EQ(model_inconsistency(m), "");
  }
}

TEST(MeshModel, ReserveSetsTheExactCapacity) {
  MeshModel m;
  const std::pair<int32_t, int32_t> steps[] = {{5, 5}, {2, 2}, {9, 9}};  // reserve, capacity after
  for (const auto& s : steps) {
    m.iface.reserve_vertices(s.first);
    m.iface.reserve_edges(s.first);
    EXPECT_EQ(int32_t(m.vertices.size()), s.second);
    EXPECT_EQ(int32_t(m.edges.size()), s.second);
  }
  for (int i = 0; i < 3; ++i) m.iface.append_vertex();
  m.iface.reserve_vertices(1);  // below the count: ignored
  EXPECT_EQ(int32_t(m.vertices.size()), 9);
  m.iface.reserve_vertices(3);
  m.iface.append_vertex();
  EXPECT_EQ(m.overflow_appends, 1);
  EXPECT_EQ(m.vertex_count, 4);
  EXPECT_EQ(m.unselected_count, 4);
}

}  // namespace
