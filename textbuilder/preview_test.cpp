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
struct CanvasLog {
  Strings calls;
  PreviewCanvas canvas() {
    return PreviewCanvas{this,
                         [](void* c, int32_t l, int32_t t, int32_t r, int32_t b) {
                           char s[64];
                           std::snprintf(s, sizeof s, "rect %d %d %d %d", l, t, r, b);
                           static_cast<CanvasLog*>(c)->calls.push_back(s);
                         },
                         [](void* c, bool on) { static_cast<CanvasLog*>(c)->calls.push_back(on ? "pen on" : "pen off"); },
                         [](void* c, const PreviewPoint* p, int32_t n) {
                           std::string s = n == 2 ? "line" : "poly";
                           for (int32_t i = 0; i < n; ++i)
                             s += " " + std::to_string(p[i].x) + "," + std::to_string(p[i].y);
                           static_cast<CanvasLog*>(c)->calls.push_back(s);
                         }};
  }
};

TextBuildSettings settings_with(std::function<void(TextBuildSettings&)> change = nullptr) {
  TextBuildSettings s{};
  s.bevel_angle = 45;
  s.bevel_depth = 0;
  s.extrusion_width = 50;
  s.preview_char = 'A';
  s.fill_faces = 1;
  s.direction = 1;
  if (change) change(s);
  return s;
}

OutlineSegment seg(int32_t x0, int32_t y0, int32_t x1, int32_t y1) { return OutlineSegment{x0, y0, x1, y1, 0, 0}; }

SegmentList list_of(std::vector<OutlineSegment> segments) {
  SegmentList l;
  l.segments = std::move(segments);
  return l;
}

Strings coordinates(const SegmentList& l) {
  Strings out;
  for (const OutlineSegment& s : l.segments)
    out.push_back(std::to_string(s.x0) + "," + std::to_string(s.y0) + "-" + std::to_string(s.x1) + "," +
                  std::to_string(s.y1));
  return out;
}

// ---- normalisation ----

struct NormaliseCase {
  const char* what;
  std::vector<OutlineSegment> in;
  Strings out;
};

TEST(PreviewNormalise, LargerSideSpansTheBox) {
  const NormaliseCase cases[] = {
      // 2000 x 1000: scale 1050 / 2000 = 0.525.
      {"wider than tall", {seg(0, 0, 2000, 0), seg(2000, 0, 2000, 1000), seg(2000, 1000, 0, 1000), seg(0, 1000, 0, 0)},
       {"0,0-1050,0", "1050,0-1050,525", "1050,525-0,525", "0,525-0,0"}},
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
  for (const NormaliseCase& c : cases) {
    SegmentList l = list_of(c.in);
    normalise_preview(&l);
    EXPECT_EQ(coordinates(l), c.out) << c.what;
  }
}

TEST(PreviewNormalise, UnitLeftNormalsFromTheUnscaledSegments) {
  struct {
    OutlineSegment s;
    float nx, ny;
  } const cases[] = {
      {seg(0, 0, 2000, 0), 0.0f, 1.0f},     // rightward: normal up
      {seg(0, 0, 0, 50), -1.0f, 0.0f},      // upward: normal left
      {seg(0, 0, 3, 4), -0.8f, 0.6f},       // 3-4-5
      {seg(10, 10, 4, 2), 0.8f, -0.6f},     // back along -6, -8
      {seg(5, 5, 5, 5), 0.0f, 0.0f},        // zero length: no normal, no division by zero
  };
  for (const auto& c : cases) {
    SegmentList l = list_of({c.s, seg(0, 0, 100, 100)});
    normalise_preview(&l);
    EXPECT_FLOAT_EQ(l.segments[0].nx, c.nx) << c.s.x1 << "," << c.s.y1;
    EXPECT_FLOAT_EQ(l.segments[0].ny, c.ny) << c.s.x1 << "," << c.s.y1;
  }
}

// ---- shape preview ----

// The shape control at 174 x 188 pixels: H = 186, A = 176, s = 0.176, origin (1, 187).
constexpr int32_t kItemW = 174, kItemH = 188;

Strings draw_shape(const TextBuildSettings& s, const SegmentList& l) {
  CanvasLog log;
  draw_shape_preview(log.canvas(), s, l, 0, 0, kItemW, kItemH);
  return log.calls;
}

TEST(ShapePreview, DrawingCommandsForOneGlyph) {
  // A 1050 x 525 box after normalisation; each normal worked out as in the glyph.
  SegmentList box = list_of({seg(0, 0, 1050, 0), seg(1050, 0, 1050, 525), seg(1050, 525, 0, 525), seg(0, 525, 0, 0)});
  box.segments[0].ny = 1;
  box.segments[1].nx = -1;
  box.segments[2].ny = -1;
  box.segments[3].nx = 1;
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
  for (int front = 0; front < 2; ++front) {
    const TextBuildSettings s = settings_with([&](TextBuildSettings& t) {
      t.bevel_depth = 100;
      t.bevel_front = front;
      t.bevel_back = !front;
    });
    EXPECT_EQ(draw_shape(s, box), bevelled) << "front " << front;
  }
}

TEST(ShapePreview, EmptyOutlineDrawsTheFrameOnly) {
  const Strings frame = {"rect 0 0 174 188", "pen on", "pen off"};
  EXPECT_EQ(draw_shape(settings_with([](TextBuildSettings& s) { s.bevel_depth = 100, s.bevel_back = 1; }), SegmentList{}),
            frame);
}

// ---- profile preview ----

struct ProfileCase {
  const char* what;
  std::function<void(TextBuildSettings&)> change;
  Strings calls;  // between "pen on" and "pen off"
};

TEST(ProfilePreview, SectionAndBevels) {
  // 174 x 188: H = 186, A = 176, L = 1, R = 173, T = 1, B = 187. Width 50: w = 88,
  // xs = 1 + 98 / 2 = 50, xe = 1 + 274 / 2 + 1 = 139. Depth 100: dd = 4.4.
  const ProfileCase cases[] = {
      {"no bevel depth", [](TextBuildSettings& s) { s.bevel_front = s.bevel_back = 1; }, {"rect 50 6 139 182"}},
      {"width 0 is a one-pixel line at L + H / 2", [](TextBuildSettings& s) { s.extrusion_width = 0; },
       {"rect 94 6 95 182"}},
      {"width 100", [](TextBuildSettings& s) { s.extrusion_width = 100; }, {"rect 6 6 183 182"}},
      {"depth without a bevel side", [](TextBuildSettings& s) { s.bevel_depth = 100; }, {"rect 50 6 139 182"}},
      // 45 degrees: dx = dd, 4.4 -> 4.
      {"front at 45", [](TextBuildSettings& s) { s.bevel_depth = 100, s.bevel_front = 1; },
       {"rect 50 6 139 182", "poly 139,6 143,10 143,178 139,182"}},
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
  for (const ProfileCase& c : cases) {
    CanvasLog log;
    draw_profile_preview(log.canvas(), settings_with(c.change), 0, 0, kItemW, kItemH);
    Strings expected = {"rect 0 0 174 188", "pen on"};
    expected.insert(expected.end(), c.calls.begin(), c.calls.end());
    expected.push_back("pen off");
    EXPECT_EQ(log.calls, expected) << c.what;
  }
}

// ---- refresh_preview with a font ----

class RefreshPreview : public ::testing::Test {
 protected:
  void SetUp() override { font_reader_setup(test_glyph_table(), reader_ui.table()); }
  void TearDown() override { release_preview(); }
  UiRecorder reader_ui;  // the reader's own "No character in font"
  UiRecorder ui;         // the preview's status line and boxes
};

// "A": a 100 x 50 font-unit box from (10, 20), i.e. 3200 x 1600 outline units.
std::string box_font() {
  TestFont f;
  f.glyphs = {{"/A", {num(0), num(500), op(13), num(10), num(20), op(21), num(100), op(6), num(50), op(7),
                      num(-100), op(6), op(9), op(14)}}};
  return f.write("preview_box.pfb");
}

TEST_F(RefreshPreview, LoadsAndNormalisesThePreviewCharacter) {
  TextBuildSettings s = settings_with();
  std::strcpy(s.font_path, box_font().c_str());
  refresh_preview(s, ui.table());
  EXPECT_EQ(ui.progress, Strings{"%!PS-AdobeFont-1.0: ZelTest 001.000"});
  EXPECT_TRUE(ui.boxes.empty());
  // Scale 1050 / 3200: 1600 -> 525.
  ASSERT_EQ(preview_segments().segments.size(), 4u);
  EXPECT_EQ(coordinates(preview_segments()), (Strings{"0,0-1050,0", "1050,0-1050,525", "1050,525-0,525", "0,525-0,0"}));
  EXPECT_FLOAT_EQ(preview_segments().segments[1].nx, -1.0f);
  EXPECT_TRUE(loaded_glyph().tokens.empty() && loaded_subrs().entries.empty()) << "the scan's tables are freed";

  // A character above 127 stored signed: no scan, no box, the frame alone.
  s.preview_char = int8_t(0xC4);
  refresh_preview(s, ui.table());
  EXPECT_TRUE(preview_segments().segments.empty());
  EXPECT_TRUE(ui.boxes.empty() && reader_ui.boxes.empty());
  EXPECT_EQ(ui.progress.size(), 2u) << "the status line still shows the font";

  // A character the font lacks: the reader's box, an empty outline.
  s.preview_char = 'B';
  refresh_preview(s, ui.table());
  EXPECT_TRUE(preview_segments().segments.empty());
  ASSERT_EQ(reader_ui.boxes.size(), 1u);
  EXPECT_EQ(reader_ui.boxes[0].text, "No character in font");
}

TEST_F(RefreshPreview, MissingFontKeepsTheStatusAndSaysFontCorrupt) {
  TextBuildSettings s = settings_with();
  std::strcpy(s.font_path, box_font().c_str());
  refresh_preview(s, ui.table());
  ASSERT_FALSE(preview_segments().segments.empty());
  std::strcpy(s.font_path, "/nonexistent/gone.pfb");
  refresh_preview(s, ui.table());
  EXPECT_EQ(ui.progress.size(), 1u) << "no new status line";
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "Font corrupt");
  EXPECT_EQ(ui.boxes[0].caption, "QEL");
  EXPECT_TRUE(preview_segments().segments.empty()) << "the old outline is gone";
}

TEST_F(RefreshPreview, StatusLineIsCutAtLineEndOrSixtyCharacters) {
  const std::string long_line(75, 'x');
  const struct {
    std::string first_line;
    std::string status;
  } cases[] = {
      {long_line + "\n", std::string(60, 'x')},
      {"short one\rrest\n", "short one"},
      {"%!FontType1 abc\n", "%!FontType1 abc"},
  };
  for (const auto& c : cases) {
    const std::string path = ::testing::TempDir() + "status_line.pfa";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fputs((c.first_line + "/FontName /X def\n").c_str(), f);
    std::fclose(f);
    TextBuildSettings s = settings_with();
    std::strcpy(s.font_path, path.c_str());
    UiRecorder status;
    refresh_preview(s, status.table());
    ASSERT_FALSE(status.progress.empty()) << c.first_line;
    EXPECT_EQ(status.progress[0], c.status);
    std::remove(path.c_str());
  }
}

// ---- the dialog's rules ----

TEST(BuilderRules, ScrollValues) {
  const struct {
    int code;
    int32_t value;
    uint16_t thumb;
    int32_t out;
  } cases[] = {
      {scroll::LineLeft, 40, 0, 39},   {scroll::PageLeft, 40, 0, 39},   {scroll::LineRight, 40, 0, 41},
      {scroll::PageRight, 40, 0, 41},  {scroll::LineLeft, 5, 0, 5},     {scroll::PageRight, 80, 0, 80},
      {scroll::ThumbTrack, 40, 77, 77}, {scroll::ThumbPosition, 40, 6, 6}, {6 /* top */, 40, 9, 40},
      {8 /* end scroll */, 40, 9, 40}, {scroll::LineRight, 0, 0, 5} /* out of range comes back in */,
  };
  for (const auto& c : cases)
    EXPECT_EQ(scroll_value(c.code, c.value, 5, 80, c.thumb), c.out) << c.code << " at " << c.value;
}

TEST(BuilderRules, ScrollBarsStoreAndAskForRepaints) {
  constexpr uint32_t shape = follow::RepaintShape, profile = follow::RepaintProfile;
  const struct {
    int bar;
    std::function<void(TextBuildSettings&)> before;
    int code;
    int32_t TextBuildSettings::*field;
    int32_t value;
    uint32_t follow_up;
  } cases[] = {
      {106, nullptr, scroll::LineRight, &TextBuildSettings::bevel_angle, 46, profile},
      {106, [](TextBuildSettings& s) { s.bevel_angle = 80; }, scroll::LineRight, &TextBuildSettings::bevel_angle, 80, 0},
      {108, nullptr, scroll::PageRight, &TextBuildSettings::bevel_depth, 1, profile},
      {108, [](TextBuildSettings& s) { s.bevel_back = 1; }, scroll::PageRight, &TextBuildSettings::bevel_depth, 1,
       shape | profile},
      {108, nullptr, scroll::LineLeft, &TextBuildSettings::bevel_depth, 0, 0},
      {110, [](TextBuildSettings& s) { s.extrusion_width = 100; }, scroll::LineRight,
       &TextBuildSettings::extrusion_width, 100, 0},
      {110, nullptr, scroll::ThumbTrack, &TextBuildSettings::extrusion_width, 12, profile},
  };
  for (const auto& c : cases) {
    TextBuildSettings s = settings_with(c.before);
    const ScrollBarRule* rule = scroll_bar_rule(c.bar);
    ASSERT_TRUE(rule) << c.bar;
    EXPECT_EQ(apply_scroll(&s, *rule, c.code, 12), c.follow_up) << c.bar;
    EXPECT_EQ(s.*c.field, c.value) << c.bar;
  }
  EXPECT_EQ(scroll_bar_rule(107), nullptr);
  EXPECT_EQ(scroll_bar_rule(106)->min, 5);
  EXPECT_EQ(scroll_bar_rule(108)->max, 100);
}

TEST(BuilderRules, CommandEffectsOnTheSettings) {
  constexpr uint32_t both = follow::RepaintShape | follow::RepaintProfile;
  const struct {
    int id;
    const char* preview_text;
    std::function<void(TextBuildSettings&)> expected_change;
    uint32_t follow_up;
  } cases[] = {
      {104, nullptr, [](TextBuildSettings& s) { s.bevel_front = 1; }, both},
      {105, nullptr, [](TextBuildSettings& s) { s.bevel_back = 1; }, both},
      {112, nullptr, [](TextBuildSettings& s) { s.fill_faces = 1; }, 0},
      {113, nullptr, [](TextBuildSettings& s) { s.fill_faces = 0; }, 0},
      {124, nullptr, [](TextBuildSettings& s) { s.direction = 1; }, 0},
      {125, nullptr, [](TextBuildSettings& s) { s.direction = -1; }, 0},
      {127, nullptr, [](TextBuildSettings& s) { s.hold_point = 4; }, 0},
      {128, nullptr, [](TextBuildSettings& s) { s.hold_point = 0; }, 0},
      {129, nullptr, [](TextBuildSettings& s) { s.hold_point = 1; }, 0},
      {130, nullptr, [](TextBuildSettings& s) { s.hold_point = 5; }, 0},
      {131, nullptr, [](TextBuildSettings& s) { s.hold_point = 2; }, 0},
      {132, nullptr, [](TextBuildSettings& s) { s.hold_point = 6; }, 0},
      {133, nullptr, [](TextBuildSettings& s) { s.hold_point = 3; }, 0},
      {115, "g", [](TextBuildSettings& s) { s.preview_char = 'g'; }, follow::RefreshPreview | both},
      {115, "Axyz", nullptr, 0},  // first character unchanged: nothing to do
      {115, "", nullptr, 0},
      {115, "\xE9", [](TextBuildSettings& s) { s.preview_char = -23; }, follow::RefreshPreview | both},
      {116, nullptr, nullptr, 0},
      {117, nullptr, nullptr, 0},
      {122, nullptr, nullptr, 0},
      {1 /* IDOK */, nullptr, nullptr, 0},
  };
  for (const auto& c : cases) {
    // Start from a record whose every field differs from what the commands store.
    const TextBuildSettings base = settings_with([](TextBuildSettings& s) {
      s.fill_faces = 7, s.direction = 0, s.hold_point = 9;
    });
    TextBuildSettings got = base, expected = base;
    if (c.expected_change) c.expected_change(expected);
    EXPECT_EQ(apply_setting_command(&got, c.id, c.preview_text), c.follow_up) << c.id;
    EXPECT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << c.id;
  }
  // Toggling twice gives the check box back.
  TextBuildSettings s = settings_with();
  apply_setting_command(&s, 104, nullptr);
  apply_setting_command(&s, 104, nullptr);
  EXPECT_EQ(s.bevel_front, 0);
}

TEST(BuilderRules, HoldPointButtonsBothWays) {
  const int buttons[7] = {128, 129, 131, 133, 127, 130, 132};  // hold points 0..6
  for (int32_t h = 0; h < 7; ++h) {
    EXPECT_EQ(button_of_hold_point(h), buttons[h]);
    EXPECT_EQ(hold_point_of_button(buttons[h]), h);
  }
  EXPECT_EQ(button_of_hold_point(7), 0);
  EXPECT_EQ(hold_point_of_button(126), -1);
}

TEST(BuilderRules, ColourCommandsAndMakeText) {
  TextBuildSettings s = settings_with();
  EXPECT_EQ(colour_command(&s, 119).color, s.face_color);
  EXPECT_STREQ(colour_command(&s, 119).caption, "Set Face Color");
  EXPECT_EQ(colour_command(&s, 120).color, s.bevel_color);
  EXPECT_STREQ(colour_command(&s, 120).caption, "Set Bevel Color");
  EXPECT_EQ(colour_command(&s, 121).color, s.side_color);
  EXPECT_STREQ(colour_command(&s, 121).caption, "Set Side Color");
  EXPECT_EQ(colour_command(&s, 122).color, nullptr);

  std::memset(s.text, 'z', sizeof s.text);
  store_make_text(&s, "Hello, world and more text");
  EXPECT_STREQ(s.text, "Hello, world and mor");
  store_make_text(&s, "Hi");
  EXPECT_STREQ(s.text, "Hi");
}

bool shift_jis_lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

TEST(BuilderRules, FolderAndHelpPaths) {
  const struct {
    const char* path;
    LeadByteTest lead;
    const char* folder;
  } cases[] = {
      {"C:\\fonts\\a.pfb", nullptr, "C:\\fonts"},
      {"C:a.pfb", nullptr, "C"},
      {"a.pfb", nullptr, ""},
      {"/usr/share/x.pfa", nullptr, "/usr/share"},
      {"C:\\x\\\x95\\.pfb", shift_jis_lead, "C:\\x"},  // 0x95 0x5C is one character
      {"C:\\x\\\x95\\.pfb", nullptr, "C:\\x\\\x95"},
  };
  for (const auto& c : cases) EXPECT_EQ(folder_of(c.path, c.lead), c.folder) << c.path;
  EXPECT_EQ(folder_of((std::string(300, 'd') + "\\f.pfb").c_str()).size(), kFolderChars - 1);

  TextBuildSettings s = settings_with();
  EXPECT_EQ(font_folder_for("C:\\host\\", s), "C:\\host\\fonts");
  std::strcpy(s.font_path, "D:\\type\\times.pfb");
  EXPECT_EQ(font_folder_for("C:\\host\\", s), "D:\\type");
  std::memset(s.font_path, 'q', sizeof s.font_path);  // no NUL in the field: read to its end
  EXPECT_EQ(font_folder_for("C:\\host\\", s), "");
  EXPECT_EQ(help_file_path("C:\\host\\"), "C:\\host\\help\\qel.hlp");
  EXPECT_EQ(help_file_path(std::string(400, 'h').c_str()).size(), kFolderChars - 1);
}

}  // namespace
