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
    ASSERT_GE(front, 0);
    EXPECT_NEAR(projected_area(m, 0, front), c.area, 1e-6);
    for (int32_t f = 0; f < front; ++f) EXPECT_GT(projected_twice_area(m, f), 0) << "front face " << f;
    // The copied cap covers the same area turned the other way (side faces project to lines).
    EXPECT_NEAR(projected_area(m, front, m.face_count), -c.area, 1e-6);
    SurfaceReport r = check_closed_surface(m);
    if (c.solid == kClosed) {
      EXPECT_TRUE(r.closed()) << r.problem;
    }
    if (c.solid == kPinched) {
      EXPECT_TRUE(r.open_edges == 0 && r.flat_triangles == 0 && r.overused_edges == 2) << r.problem;
    }
    EXPECT_TRUE(c.area != 0 || m.face_count == 0);
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
    int32_t bevelled = c.angle > 0 ? 0 : n, base_x = c.angle > 0 ? 0 : -3000;
    m.select_range(0, m.vertex_count, false);
    m.select_range(bevelled, bevelled + n, true);
    int32_t before = m.vertex_count, ring = m.face_count;
    ASSERT_EQ(m.iface.apply_to_selection(kModelBevel, 0, 1, c.angle, c.size), 1);
    EXPECT_NEAR(std::fabs(projected_area(m, ring, m.face_count)), c.ring_area, 1e-6);
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
    EXPECT_EQ(model_inconsistency(m), "");
  }
}

// The counts and the bytes of every vertex, edge and face in use.
std::string snapshot(const MeshModel& m) {
  int32_t counts[5] = {m.vertex_count, m.edge_count, m.face_count, m.selected_count, m.unselected_count};
  return std::string(reinterpret_cast<const char*>(counts), sizeof counts) +
         std::string(reinterpret_cast<const char*>(m.vertex_array), sizeof(ModelVertex) * size_t(m.vertex_count)) +
         std::string(reinterpret_cast<const char*>(m.edges.data()), sizeof(MeshModel::Edge) * size_t(m.edge_count)) +
         std::string(reinterpret_cast<const char*>(m.faces.data()), sizeof(ModelFace) * size_t(m.face_count));
}

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
    std::string before = snapshot(m);
    m.fail_operation = m.operations + 1;
    EXPECT_EQ(op.second(m.iface), 0);
    EXPECT_TRUE(snapshot(m) == before);
    EXPECT_EQ(op.second(m.iface), 1);  // the next one works again
    EXPECT_EQ(model_inconsistency(m), "");
  }
}

}  // namespace
