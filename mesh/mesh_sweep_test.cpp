// Every printable ASCII character of the 35 URW base fonts (Debian's fonts-urw-base35,
// converted to PFB by textbuilder/make_corpus.sh), built by the text builder into the mesh
// model, twice: thick and filled, then also with both bevels.
//  - Both solids are closed, consistently oriented surfaces without flat triangles, unless
//    two of the glyph's contours cross or touch (then the fill is still checked).
//  - The front fill's area equals the area of FreeType's outline of the same glyph, its
//    curves flattened into as many pieces as the build interpreter makes, within 0.5 %.
//  - Each bevel ring, seen along X, covers exactly the outline less its inner fill, all its
//    faces turned one way: no ring face folds over or crosses another.
// ZEL_MESH_SWEEP_EVERY=N takes every Nth character only (for slow builds).
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/ui_recorder.h"
#include "mesh/mesh_checks.h"
#include "mesh/mesh_model.h"
#include "textbuilder/charstring.h"
#include "textbuilder/corpus_fonts.h"
#include "textbuilder/font_reader.h"
#include "textbuilder/text_build.h"

namespace {

std::string build_dir() {
  const char* b = std::getenv("ZEL_BUILD_DIR");
  return b ? b : ".";
}

// ---- FreeType's outline in model units (x 32), one polygon per contour ------------------

using Point = std::pair<double, double>;
using Polygon = std::vector<Point>;

Polygon& last(void* u) { return static_cast<std::vector<Polygon>*>(u)->back(); }
int on_move(const FT_Vector* p, void* u) {
  static_cast<std::vector<Polygon>*>(u)->push_back({{p->x * 32.0, p->y * 32.0}});
  return 0;
}
int on_line(const FT_Vector* p, void* u) {
  last(u).push_back({p->x * 32.0, p->y * 32.0});
  return 0;
}
int on_conic(const FT_Vector*, const FT_Vector*, void*) { return 1; }  // not in Type 1
// A curve in as many pieces as the build interpreter makes.
int on_cubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* p3, void* u) {
  Polygon& c = last(u);
  double px[4] = {c.back().first, c1->x * 32.0, c2->x * 32.0, p3->x * 32.0};
  double py[4] = {c.back().second, c1->y * 32.0, c2->y * 32.0, p3->y * 32.0};
  OutlinePoint control[4];
  for (int i = 0; i < 4; ++i) control[i] = {int32_t(px[i]), int32_t(py[i]), 0};
  int n = curve_pieces(control, 4);
  for (int k = 1; k <= n; ++k) {
    double t = double(k) / n, u1 = 1 - t;
    double b[4] = {u1 * u1 * u1, 3 * u1 * u1 * t, 3 * u1 * t * t, t * t * t};
    c.push_back({b[0] * px[0] + b[1] * px[1] + b[2] * px[2] + b[3] * px[3], b[0] * py[0] + b[1] * py[1] + b[2] * py[2] + b[3] * py[3]});
  }
  return 0;
}

std::vector<Polygon> freetype_contours(FT_Face face, const char* glyph_name) {
  std::vector<Polygon> contours;
  FT_UInt index = FT_Get_Name_Index(face, const_cast<char*>(glyph_name));
  if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0) return contours;
  FT_Outline_Funcs funcs{on_move, on_line, on_conic, on_cubic, 0, 0};
  FT_Outline_Decompose(&face->glyph->outline, &funcs, &contours);  // closes each contour by a line
  return contours;
}

double area(const std::vector<Polygon>& contours) {
  double twice = 0;
  for (const Polygon& c : contours)
    for (size_t i = 0; i < c.size(); ++i)
      twice += c[i].first * c[(i + 1) % c.size()].second - c[(i + 1) % c.size()].first * c[i].second;
  return std::fabs(twice / 2);
}

double point_segment(Point p, Point a, Point b) {
  double dx = b.first - a.first, dy = b.second - a.second, l = dx * dx + dy * dy;
  double t = l > 0 ? std::max(0.0, std::min(1.0, ((p.first - a.first) * dx + (p.second - a.second) * dy) / l)) : 0;
  return std::hypot(p.first - a.first - t * dx, p.second - a.second - t * dy);
}

bool segments_cross(Point a, Point b, Point c, Point d) {
  auto side = [](Point p, Point q, Point r) {
    double v = (q.first - p.first) * (r.second - p.second) - (q.second - p.second) * (r.first - p.first);
    return (v > 0) - (v < 0);
  };
  return side(a, b, c) * side(a, b, d) < 0 && side(c, d, a) * side(c, d, b) < 0;
}

// Whether two contours of the outline cross or come within `gap` of each other: there the
// extrusion's walls meet or the fill splits an outline edge, and the solid cannot be a
// closed 2-manifold.
bool contours_meet(const std::vector<Polygon>& contours, double gap) {
  for (size_t i = 0; i < contours.size(); ++i)
    for (size_t j = i + 1; j < contours.size(); ++j) {
      const Polygon &a = contours[i], &b = contours[j];
      for (size_t p = 0; p < a.size(); ++p)
        for (size_t q = 0; q < b.size(); ++q) {
          Point a0 = a[p], a1 = a[(p + 1) % a.size()], b0 = b[q], b1 = b[(q + 1) % b.size()];
          if (std::min(a0.first, a1.first) > std::max(b0.first, b1.first) + gap ||
              std::min(b0.first, b1.first) > std::max(a0.first, a1.first) + gap ||
              std::min(a0.second, a1.second) > std::max(b0.second, b1.second) + gap ||
              std::min(b0.second, b1.second) > std::max(a0.second, a1.second) + gap)
            continue;
          if (segments_cross(a0, a1, b0, b1) || point_segment(a0, b0, b1) < gap || point_segment(a1, b0, b1) < gap ||
              point_segment(b0, a0, a1) < gap || point_segment(b1, a0, a1) < gap)
            return true;
        }
    }
  return false;
}

// ---- the builds ---------------------------------------------------------------------------

const uint8_t kFace[3] = {200, 160, 40}, kSide[3] = {120, 80, 40}, kBevel[3] = {240, 220, 140};

TextBuildSettings settings_for(const std::string& font, int code, bool bevels) {
  TextBuildSettings s{};
  s.bevel_front = s.bevel_back = bevels ? 1 : 0;
  s.bevel_angle = 45, s.bevel_depth = 20, s.extrusion_width = 20, s.fill_faces = 1, s.direction = 1;
  std::snprintf(s.font_path, sizeof s.font_path, "%s", font.c_str());
  s.text[0] = char(code);
  std::memcpy(s.face_color, kFace, 3), std::memcpy(s.side_color, kSide, 3), std::memcpy(s.bevel_color, kBevel, 3);
  return s;
}

// Projected area (positive towards +X) of the faces of colour c on the side of the plane
// X = split that `front` names, and how many of them turn against the majority.
struct Part {
  double area = 0;
  long against = 0;
};
Part part(const MeshModel& m, const uint8_t c[3], bool front, int32_t split) {
  Part p;
  long plus = 0, minus = 0;
  for (int32_t f = 0; f < m.face_count; ++f) {
    const ModelFace& face = m.faces[size_t(f)];
    if (face.red != c[0] || face.green != c[1] || face.blue != c[2]) continue;
    if ((m.vertex(face.corner[0]).x + m.vertex(face.corner[1]).x + m.vertex(face.corner[2]).x > 3 * split) != front) continue;
    double a = projected_twice_area(m, f) / 2;
    p.area += a;
    (a > 0 ? plus : minus) += 1;
  }
  p.against = std::min(plus, minus);
  return p;
}

class UrwSweep : public ::testing::TestWithParam<std::string> {};

TEST_P(UrwSweep, LettersAreClosedSolidsWithTheGlyphsArea) {
  std::string pfb = build_dir() + "/qel-corpus/urw/" + GetParam() + ".pfb";
  ASSERT_EQ(access(pfb.c_str(), R_OK), 0) << pfb;
  UiRecorder ui;
  font_reader_setup(build_dir() + "/bin/" + kGlyphTableName, ui.table());
  FT_Library ft;
  ASSERT_EQ(FT_Init_FreeType(&ft), 0);
  FT_Face face;
  ASSERT_EQ(FT_New_Face(ft, pfb.c_str(), 0, &face), 0);
  const char* every_env = std::getenv("ZEL_MESH_SWEEP_EVERY");
  int every = every_env ? std::max(1, std::atoi(every_env)) : 1;
  long glyphs = 0, closed = 0;
  double worst = 0;
  std::string meeting;
  const int32_t g = text_thickness(settings_for(pfb, 'A', false));
  auto build = [&](MeshModel& m, int code, bool bevels) {
    set_text_jitter_state(1);
    build_text(settings_for(pfb, code, bevels), &m.iface, ui.table());
    EXPECT_EQ(model_inconsistency(m), "");
  };
  for (int code = 33; code < 127; code += every) {
    SCOPED_TRACE(GetParam() + " '" + char(code) + "'");
    MeshModel solid;
    build(solid, code, false);
    if (solid.face_count == 0) continue;  // not in this font's encoding
    ++glyphs;
    std::vector<Polygon> contours = freetype_contours(face, wanted_glyph_name() + 1);
    double theirs = area(contours);
    ASSERT_GT(theirs, 0) << wanted_glyph_name();
    // Contours within the jitter (2 units) and rounding of each other count as meeting.
    bool meet = contours_meet(contours, 4.0);
    if (meet) meeting += std::string(" ") + char(code);
    SurfaceReport r = check_closed_surface(solid);
    EXPECT_TRUE(meet || r.closed()) << r.problem;
    double ours = part(solid, kFace, true, -g / 2).area;
    EXPECT_LT(std::fabs(ours - theirs) / theirs, 0.005) << ours << " against " << theirs;
    worst = std::max(worst, std::fabs(ours - theirs) / theirs);

    MeshModel bevelled;
    build(bevelled, code, true);
    SurfaceReport rb = check_closed_surface(bevelled);
    closed += r.closed() && rb.closed();
    if (meet) continue;
    EXPECT_TRUE(rb.closed()) << rb.problem;
    for (bool front : {true, false}) {
      Part ring = part(bevelled, kBevel, front, -g / 2), fill = part(bevelled, kFace, front, -g / 2);
      EXPECT_EQ(ring.against, 0) << (front ? "front" : "back") << " ring faces turned against the others";
      EXPECT_NEAR(std::fabs(ring.area) + std::fabs(fill.area), ours, 1e-6 * ours) << (front ? "front" : "back");
    }
  }
  for (const RecordedBox& box : ui.boxes) EXPECT_EQ(box.text, "No character in font");
  EXPECT_GT(glyphs, 80 / every);
  std::printf("%-28s %3ld glyphs, %ld closed with and without bevels (contours meeting:%s); area against FreeType "
              "within %.3f%%\n", GetParam().c_str(), glyphs, closed, meeting.c_str(), 100 * worst);
  FT_Done_Face(face);
  FT_Done_FreeType(ft);
}

INSTANTIATE_TEST_SUITE_P(Urw, UrwSweep, ::testing::ValuesIn(font_names_in("/usr/share/fonts/type1/urw-base35", ".t1")),
                         [](const ::testing::TestParamInfo<std::string>& i) {
                           std::string n = i.param;
                           for (char& c : n)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

}  // namespace
