// The previews and the builder dialog's rules, against values worked by hand.
#include "textbuilder/preview.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/ui_recorder.h"
#include "textbuilder/builder_rules.h"
#include "textbuilder/test_font.h"

namespace {

using Strings = std::vector<std::string>;

// A canvas that writes every drawing call as a line: "rect L T R B", "pen on", "pen off",
// "line X,Y X,Y" (two points) or "poly X,Y X,Y ..." (more).
void note(void* log, std::string line) { static_cast<Strings*>(log)->push_back(std::move(line)); }
PreviewCanvas canvas_into(Strings* log) {
  return PreviewCanvas{
      log,
      [](void* c, int32_t l, int32_t t, int32_t r, int32_t b) {
        note(c, "rect " + std::to_string(l) + " " + std::to_string(t) + " " + std::to_string(r) + " " + std::to_string(b));
      },
      [](void* c, bool on) { note(c, on ? "pen on" : "pen off"); },
      [](void* c, const PreviewPoint* p, int32_t n) {
        std::string s = n == 2 ? "line" : "poly";
        for (int32_t i = 0; i < n; ++i) s += " " + std::to_string(p[i].x) + "," + std::to_string(p[i].y);
        note(c, s);
      }};
}

TextBuildSettings settings_with(std::function<void(TextBuildSettings&)> change = nullptr) {
  TextBuildSettings s{};
  s.bevel_angle = 45, s.extrusion_width = 50, s.preview_char = 'A', s.fill_faces = 1, s.direction = 1;
  if (change) change(s);
  return s;
}

OutlineSegment seg(int32_t x0, int32_t y0, int32_t x1, int32_t y1) { return OutlineSegment{x0, y0, x1, y1, 0, 0}; }
SegmentList list_of(std::vector<OutlineSegment> segments) { return SegmentList{std::move(segments), 0}; }

Strings coordinates(const SegmentList& l) {
  Strings out;
  for (const OutlineSegment& s : l.segments)
    out.push_back(std::to_string(s.x0) + "," + std::to_string(s.y0) + "-" + std::to_string(s.x1) + "," +
                  std::to_string(s.y1));
  return out;
}

// ---- normalisation ----

// (A box wider than tall: the glyph RefreshPreview loads.)
TEST(PreviewNormalise, LargerSideSpansTheBox) {
  const struct {
    const char* what;
    std::vector<OutlineSegment> in;
    Strings out;
  } cases[] = {
      // 3000 x 7000 from (100, 200): scale 0.15; 1100 - 100 = 1000 -> 150, 533 - 200 = 333 -> 49.95 -> 49.
      {"taller than wide", {seg(100, 200, 3100, 200), seg(3100, 200, 1100, 533), seg(1100, 533, 100, 7200), seg(100, 7200, 100, 200)},
       {"0,0-450,0", "450,0-150,49", "150,49-0,1050", "0,1050-0,0"}},
      // Negative coordinates shift to the origin first: 400 wide, scale 2.625.
      {"below the origin", {seg(-300, -100, 100, -100), seg(100, -100, -300, -100)}, {"0,0-1050,0", "1050,0-0,0"}},
      // An open path running right to left: the box is that of every end point.
      {"open, leftward", {seg(100, 0, 0, 0)}, {"1050,0-0,0"}},
      // No extent at all: only shifted, nothing divides by zero.
      {"one point", {seg(7, 9, 7, 9)}, {"0,0-0,0"}},
  };
  for (const auto& c : cases) {
    SegmentList l = list_of(c.in);
    normalise_preview(&l);
    EXPECT_EQ(coordinates(l), c.out) << c.what;
  }
}

TEST(PreviewNormalise, UnitLeftNormalsFromTheUnscaledSegments) {
  // Rightward: up; upward: left; 3-4-5 and its reverse; zero length: none, no division by zero.
  SegmentList l = list_of({seg(0, 0, 2000, 0), seg(0, 0, 0, 50), seg(0, 0, 3, 4), seg(10, 10, 4, 2), seg(5, 5, 5, 5)});
  normalise_preview(&l);
  const float expected[5][2] = {{0, 1}, {-1, 0}, {-0.8f, 0.6f}, {0.8f, -0.6f}, {0, 0}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_FLOAT_EQ(l.segments[size_t(i)].nx, expected[i][0]) << i;
    EXPECT_FLOAT_EQ(l.segments[size_t(i)].ny, expected[i][1]) << i;
  }
}

// ---- shape preview ----

// The shape control at 174 x 188 pixels: H = 186, A = 176, s = 0.176, origin (1, 187).
constexpr int32_t kItemW = 174, kItemH = 188;

Strings draw_shape(const TextBuildSettings& s, const SegmentList& l) {
  Strings log;
  draw_shape_preview(canvas_into(&log), s, l, 0, 0, kItemW, kItemH);
  return log;
}

TEST(ShapePreview, DrawingCommandsForOneGlyph) {
  // A 1050 x 525 box after normalisation; each normal worked out as in the glyph.
  SegmentList box = list_of({seg(0, 0, 1050, 0), seg(1050, 0, 1050, 525), seg(1050, 525, 0, 525), seg(0, 525, 0, 0)});
  box.segments[0].ny = 1, box.segments[1].nx = -1, box.segments[2].ny = -1, box.segments[3].nx = 1;
  // 1050 * 0.176 = 184.8 -> 184; 525 * 0.176 = 92.4 -> 92.
  const Strings outline = {"rect 0 0 174 188", "pen on", "line 1,187 185,187", "line 185,187 185,95",
                           "line 185,95 1,95", "line 1,95 1,187"};
  Strings alone = outline;
  alone.push_back("pen off");
  EXPECT_EQ(draw_shape(settings_with(), box), alone);
  EXPECT_EQ(draw_shape(settings_with([](TextBuildSettings& s) { s.bevel_front = 1; }), box), alone) << "depth 0";
  EXPECT_EQ(draw_shape(settings_with([](TextBuildSettings& s) { s.bevel_depth = 100; }), box), alone) << "no bevel";

  // Depth 100: shifted by 1050 * 100 / 4000 = 26.25 units, 26.25 * 0.176 = 4.62 -> 4 pixels
  // (and (1050 - 26.25) * 0.176 = 180.18 -> 180 + 1, (525 - 26.25) * 0.176 = 87.78 -> 87).
  Strings bevelled = outline;
  for (const char* copy : {"poly 1,187 1,183 185,183 185,187", "poly 185,187 181,187 181,95 185,95",
                           "poly 185,95 185,100 1,100 1,95", "poly 1,95 5,95 5,187 1,187"})
    bevelled.push_back(copy);
  bevelled.push_back("pen off");
  for (int front = 0; front < 2; ++front)
    EXPECT_EQ(draw_shape(settings_with([&](TextBuildSettings& t) { t.bevel_depth = 100, t.bevel_front = front, t.bevel_back = !front; }), box),
              bevelled) << "front " << front;
}

// ---- profile preview ----

TEST(ProfilePreview, SectionAndBevels) {
  // 174 x 188: H = 186, A = 176, L = 1, R = 173, T = 1, B = 187. Width 50: w = 88,
  // xs = 1 + 98 / 2 = 50, xe = 1 + 274 / 2 + 1 = 139. Depth 100: dd = 4.4.
  const struct {
    const char* what;
    std::function<void(TextBuildSettings&)> change;
    Strings calls;  // between "pen on" and "pen off"
  } cases[] = {
      {"no bevel depth", [](TextBuildSettings& s) { s.bevel_front = s.bevel_back = 1; }, {"rect 50 6 139 182"}},
      {"width 0 is a one-pixel line at L + H / 2", [](TextBuildSettings& s) { s.extrusion_width = 0; },
       {"rect 94 6 95 182"}},
      // 45 degrees: dx = dd, 4.4 -> 4.
      {"both at 45", [](TextBuildSettings& s) { s.bevel_depth = 100, s.bevel_front = s.bevel_back = 1; },
       {"rect 50 6 139 182", "poly 139,6 143,10 143,178 139,182", "poly 50,6 46,10 46,178 50,182"}},
      // 5 degrees: dx = 4.4 / tan(5) = 50.29 -> 50: 189 clamps to R = 173, 0 to L = 1.
      {"small angle clamped", [](TextBuildSettings& s) { s.bevel_depth = 100, s.bevel_angle = 5, s.bevel_front = s.bevel_back = 1; },
       {"rect 50 6 139 182", "poly 139,6 173,10 173,178 139,182", "poly 50,6 1,10 1,178 50,182"}},
      // 80 degrees, depth 50: dd = 2.2, dx = 2.2 / tan(80) = 0.388 -> 0; trunc(dd) = 2.
      {"steep", [](TextBuildSettings& s) { s.bevel_depth = 50, s.bevel_angle = 80, s.bevel_back = 1; },
       {"rect 50 6 139 182", "poly 50,6 50,8 50,180 50,182"}},
      // Values the dialog never sets still draw: an angle of 0 pushes the corner to the frame.
      {"angle 0", [](TextBuildSettings& s) { s.bevel_depth = 100, s.bevel_angle = 0, s.bevel_front = 1; },
       {"rect 50 6 139 182", "poly 139,6 173,10 173,178 139,182"}},
  };
  for (const auto& c : cases) {
    Strings log, expected = {"rect 0 0 174 188", "pen on"};
    draw_profile_preview(canvas_into(&log), settings_with(c.change), 0, 0, kItemW, kItemH);
    expected.insert(expected.end(), c.calls.begin(), c.calls.end());
    expected.push_back("pen off");
    EXPECT_EQ(log, expected) << c.what;
  }
}

// ---- refresh_preview with a font ----

TEST(RefreshPreview, LoadsNormalisesAndReports) {
  UiRecorder reader_ui, ui;  // the reader's own "No character in font"; the preview's status and boxes
  font_reader_setup(test_glyph_table(), reader_ui.table());
  // "A": a 100 x 50 font-unit box from (10, 20), i.e. 3200 x 1600 outline units.
  TestFont f;
  f.glyphs = {{"/A", {num(0), num(500), op(13), num(10), num(20), op(21), num(100), op(6), num(50), op(7),
                      num(-100), op(6), op(9), op(14)}}};
  TextBuildSettings s = settings_with();
  std::strcpy(s.font_path, f.write("preview_box.pfb").c_str());
  refresh_preview(s, ui.table());
  EXPECT_EQ(ui.progress, Strings{"%!PS-AdobeFont-1.0: ZelTest 001.000"});
  // Scale 1050 / 3200: 1600 -> 525.
  EXPECT_EQ(coordinates(preview_segments()), (Strings{"0,0-1050,0", "1050,0-1050,525", "1050,525-0,525", "0,525-0,0"}));
  EXPECT_TRUE(loaded_glyph().tokens.empty() && loaded_subrs().entries.empty()) << "the scan's tables are freed";

  // A character above 127 stored signed: no scan, no box, the frame alone.
  s.preview_char = int8_t(0xC4);
  refresh_preview(s, ui.table());
  EXPECT_TRUE(preview_segments().segments.empty());
  EXPECT_TRUE(ui.boxes.empty() && reader_ui.boxes.empty());

  // A long first line is cut after 60 characters.
  s.preview_char = 'A';
  const std::string path = ::testing::TempDir() + "status_line.pfa";
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(file);
  std::fputs((std::string(75, 'x') + "\n/FontName /X def\n").c_str(), file);
  std::fclose(file);
  std::strcpy(s.font_path, path.c_str());
  refresh_preview(s, ui.table());
  EXPECT_EQ(ui.progress.back(), std::string(60, 'x'));
  std::remove(path.c_str());
  release_preview();
}

// ---- the dialog's rules ----

TEST(BuilderRules, ScrollBars) {
  constexpr uint32_t shape = follow::RepaintShape, profile = follow::RepaintProfile;
  const struct {
    int bar, code;
    int32_t before;
    bool bevel;
    int32_t after;
    uint32_t repaint;
  } cases[] = {
      {106, scroll::PageLeft, 45, false, 44, profile}, {106, scroll::LineLeft, 5, false, 5, 0},
      {106, scroll::LineRight, 0, false, 5, profile},  // a value outside the range comes back in
      {108, scroll::PageRight, 0, false, 1, profile},  {108, scroll::PageRight, 0, true, 1, shape | profile},
      {110, scroll::ThumbTrack, 50, false, 77, profile}, {110, 8 /* end scroll */, 50, false, 50, 0},
  };
  for (const auto& c : cases) {
    TextBuildSettings s = settings_with([&](TextBuildSettings& t) { t.bevel_back = c.bevel; });
    const ScrollBarRule* rule = scroll_bar_rule(c.bar);
    ASSERT_TRUE(rule) << c.bar;
    s.*rule->field = c.before;
    EXPECT_EQ(apply_scroll(&s, *rule, c.code, 77), c.repaint) << c.bar << " code " << c.code << " at " << c.before;
    EXPECT_EQ(s.*rule->field, c.after) << c.bar << " code " << c.code << " at " << c.before;
  }
}

TEST(BuilderRules, CommandEffectsOnTheSettings) {
  using S = TextBuildSettings;
  constexpr uint32_t both = follow::RepaintShape | follow::RepaintProfile, refresh = follow::RefreshPreview | both;
  const struct {
    int id;
    const char* preview_text;
    int32_t S::*field;  // null: nothing changes
    int32_t value;
    uint32_t follow_up;
  } cases[] = {
      {104, nullptr, &S::bevel_front, 1, both}, {105, nullptr, &S::bevel_back, 1, both},
      {112, nullptr, &S::fill_faces, 1, 0},     {113, nullptr, &S::fill_faces, 0, 0},
      {124, nullptr, &S::direction, 1, 0},      {125, nullptr, &S::direction, -1, 0},
      {127, nullptr, &S::hold_point, 4, 0},     {128, nullptr, &S::hold_point, 0, 0},
      {129, nullptr, &S::hold_point, 1, 0},     {130, nullptr, &S::hold_point, 5, 0},
      {131, nullptr, &S::hold_point, 2, 0},     {132, nullptr, &S::hold_point, 6, 0},
      {133, nullptr, &S::hold_point, 3, 0},     {115, "g", &S::preview_char, 'g', refresh},
      {115, "\xE9", &S::preview_char, -23, refresh},
      {115, "Axyz", nullptr, 0, 0},  // first character unchanged
      {115, "", nullptr, 0, 0},      {101, nullptr, nullptr, 0, 0},  // clicks on a drawing, Enter, Esc
      {1, nullptr, nullptr, 0, 0},   {2, nullptr, nullptr, 0, 0},
  };
  for (const auto& c : cases) {
    // Every field differs from what the commands store.
    const S base = settings_with([](S& s) { s.fill_faces = 7, s.direction = 0, s.hold_point = 9; });
    S got = base, expected = base;
    if (c.field) expected.*c.field = c.value;
    EXPECT_EQ(apply_setting_command(&got, c.id, c.preview_text), c.follow_up) << c.id;
    EXPECT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << c.id;
  }
}

TEST(BuilderRules, FolderOfAPathWalksCharacters) {
  const auto sjis = [](unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); };
  EXPECT_EQ(folder_of("C:a.pfb"), "C");
  EXPECT_EQ(folder_of("a.pfb"), "");
  EXPECT_EQ(folder_of("C:\\x\\\x95\\.pfb", sjis), "C:\\x") << "0x95 0x5C is one character";
  EXPECT_EQ(folder_of("C:\\x\\\x95\\.pfb"), "C:\\x\\\x95");
  TextBuildSettings s = settings_with();
  std::memset(s.font_path, 'q', sizeof s.font_path);  // no NUL in the field: read to its end only
  EXPECT_EQ(font_folder_for("C:\\host\\", s), "");
}

}  // namespace
