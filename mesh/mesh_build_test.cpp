// The text builder writing into the mesh model: letters of a small made-up font (a box with
// a hole, a thin stroke, a curve) become closed solids in every arrangement of thickness,
// bevels and direction, and an operation that fails stops the build with the model
// consistent.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <tuple>

#include "common/ui_recorder.h"
#include "mesh/mesh_checks.h"
#include "mesh/mesh_model.h"
#include "textbuilder/test_font.h"
#include "textbuilder/text_build.h"

namespace {

const std::string& font_path() {
  static const std::string path = [] {
    TestFont f;
    // A: 600 x 700 box with a 300 x 400 hole drawn the other way round.
    std::vector<CharToken> a = {num(0), num(800), op(13), num(100), num(0), op(21), num(600), op(6), num(700), op(7),
                                num(-600), op(6), op(9), num(150), num(-550), op(21), num(400), op(7), num(300), op(6),
                                num(-400), op(7), op(9), op(14)};
    // I: a stroke 30 units wide, thinner than two bevel sizes (2 x 20 units).
    std::vector<CharToken> i = {num(0), num(200), op(13), num(50), num(0), op(21), num(30), op(6), num(700), op(7),
                                num(-30), op(6), op(9), op(14)};
    // C: lines and a curve.
    std::vector<CharToken> c = {num(0), num(700), op(13), num(100), num(0), op(21), num(400), op(6), num(100), num(0),
                                num(100), num(100), num(0), num(200), op(8), num(300), op(7), num(-600), op(6), op(9), op(14)};
    f.glyphs = {{"/A", a}, {"/I", i}, {"/C", c}};
    return f.write("mesh_build.pfb");
  }();
  return path;
}

TextBuildSettings settings(const char* text, int32_t width, bool front, bool back, int32_t direction) {
  TextBuildSettings s{};
  s.bevel_front = front, s.bevel_back = back, s.extrusion_width = width, s.direction = direction;
  s.bevel_angle = 30, s.bevel_depth = 40;  // bevel size 640 = 20 font units
  s.fill_faces = 1;
  std::snprintf(s.font_path, sizeof s.font_path, "%s", font_path().c_str());
  std::snprintf(s.text, sizeof s.text, "%s", text);
  std::memcpy(s.face_color, "\x11\x12\x13", 3), std::memcpy(s.side_color, "\x21\x22\x23", 3);
  std::memcpy(s.bevel_color, "\x31\x32\x33", 3);
  return s;
}

struct Built {
  MeshModel model;
  UiRecorder ui, reader_ui;
  Built(const TextBuildSettings& s, int fail_operation = 0) {
    font_reader_setup(test_glyph_table(), reader_ui.table());
    model.cursor_x = 1000, model.cursor_y = -2000, model.cursor_z = 300;
    model.fail_operation = fail_operation;
    model.bind();
    build_text(s, &model.iface, ui.table());
  }
};

// After any build: counts agree, all that was built is selected, the cursor is back, and
// the arrays have exactly the room in use (every reserve the builder made was exact).
void expect_finished(const Built& b) {
  EXPECT_EQ(model_inconsistency(b.model), "");
  EXPECT_EQ(b.model.vertices.size(), size_t(b.model.vertex_count));
  EXPECT_EQ(b.model.edges.size(), size_t(b.model.edge_count));
  EXPECT_EQ(b.model.selected_count, b.model.vertex_count);
  EXPECT_EQ(std::make_tuple(b.model.cursor_x, b.model.cursor_y, b.model.cursor_z), std::make_tuple(1000, -2000, 300));
  EXPECT_TRUE(b.ui.boxes.empty() && b.reader_ui.boxes.empty());
}

struct SolidCase {
  const char* name;
  int32_t width;
  bool front, back;
  int32_t direction;
};

TEST(MeshBuild, LettersAreClosedSolids) {
  const SolidCase cases[] = {
      {"thick, both bevels", 10, true, true, 1},
      {"thick, front bevel", 10, true, false, 1},
      {"thick, back bevel", 10, false, true, 1},
      {"right to left, front bevel", 10, true, false, -1},
      {"right to left, both bevels", 10, true, true, -1},
      {"no thickness, front bevel", 0, true, false, 1},
      {"no thickness, both bevels", 0, true, true, 1},
  };
  for (const SolidCase& c : cases) {
    SCOPED_TRACE(c.name);
    Built b(settings("AIC", c.width, c.front, c.back, c.direction));
    expect_finished(b);
    EXPECT_EQ(b.model.characters_done, 3);
    SurfaceReport r = check_closed_surface(b.model);
    // Without thickness, where a bevel ring lies flat (over the thin stroke, over slivers
    // between a jittered midpoint and its chord) the fill behind lies on it: the surface has
    // no open edge but those flat parts are covered twice.
    if (c.width > 0) {
      EXPECT_TRUE(r.closed()) << r.problem;
    } else {
      EXPECT_TRUE(r.open_edges == 0 && r.flat_triangles == 0 && r.triangles > 0) << r.problem;
    }
    // Fill faces carry the face colour and no flag; extrusion and bevel faces bit 7.
    long fills = 0;
    for (const ModelFace& f : b.model.faces) {
      bool fill = f.red == 0x11;
      EXPECT_EQ(f.flags, fill ? 0 : kFaceFromExtrusion);
      fills += fill;
    }
    EXPECT_GT(fills, 0);
  }
}

TEST(MeshBuild, AFailingOperationStopsTheBuildWithTheModelConsistent) {
  // Per letter with both bevels: extrusion, front bevel, fill, back bevel, fill.
  const std::pair<int, int> cases[] = {{1, 0}, {2, 0}, {3, 0}, {5, 0}, {6, 1}, {8, 1}, {10, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE("failing operation " + std::to_string(c.first));
    Built b(settings("AC", 10, true, true, 1), c.first);
    expect_finished(b);
    EXPECT_EQ(b.model.operations, c.first);
    EXPECT_EQ(b.model.characters_done, c.second);
    if (c.second == 1) {
      // The finished letter alone is a closed solid: its faces come first.
      int32_t first_letter = 0;
      while (first_letter < b.model.face_count && b.model.face_owner(first_letter) == b.model.face_owner(0)) ++first_letter;
      SurfaceReport r = check_closed_surface(b.model, 0, first_letter);
      EXPECT_TRUE(r.closed()) << r.problem;
    }
  }
}

}  // namespace
