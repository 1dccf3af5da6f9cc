// QEL.dll under Wine: one test host that loads the DLL, calls _QELbuilder by name with a
// byte-exact ModelInterface (a recording model's callbacks) and TextBuildSettings, and
// drives the font dialog, the builder dialog, the colour dialog and the help viewer with
// scripted answers.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "common/ui_recorder.h"
#include "tests/win32/dialog_layout.h"
#include "tests/win32/testkit.h"
#include "textbuilder/builder_rules.h"
#include "textbuilder/demo_settings.h"
#include "textbuilder/preview.h"
#include "textbuilder/recording_model.h"
#include "textbuilder/test_font.h"

namespace {

using BuilderFn = int(__cdecl*)(HWND, const char*, ModelInterface*, TextBuildSettings*);
constexpr const char* kDialog = "Text Builder Utility";
constexpr const char* kFontDialog = "PFB Program to Execute";

// The folder of the test program, with its separator: the host folder (modeler.qel sits
// there), with the test font in its "fonts" folder.
std::string host_folder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s = path;
  return s.substr(0, s.find_last_of('\\') + 1);
}

// Writes the test font into the host's "fonts" folder: "A" a 100 x 50 box, "B" a triangle
// with a curved side, the space an advance only.
std::string write_font(const char* name) {
  TestFont f;
  f.glyphs = {{"/A", {num(0), num(500), op(13), num(10), num(20), op(21), num(100), op(6), num(50), op(7),
                      num(-100), op(6), op(9), op(14)}},
              {"/B", {num(0), num(600), op(13), num(20), num(0), op(21), num(300), op(6), num(0), num(200),
                      num(-100), num(200), num(-200), num(0), op(8), op(9), op(14)}},
              {"/space", {num(0), num(250), op(13), op(14)}}};
  CreateDirectoryA((host_folder() + "fonts").c_str(), nullptr);
  const std::string path = host_folder() + "fonts\\" + name;
  const std::vector<uint8_t> bytes = f.bytes();
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  return path;
}

std::string item_text(HWND dlg, int id) {
  char text[256] = {};
  GetDlgItemTextA(dlg, id, text, sizeof text);
  return text;
}

void scroll(HWND dlg, int bar, int code, int position = 0) {
  SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(code, position), (LPARAM)GetDlgItem(dlg, bar));
}

BOOL CALLBACK first_visible_edit(HWND child, LPARAM found) {
  char cls[16] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (std::strcmp(cls, "Edit") != 0 || !IsWindowVisible(child)) return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

// Types a file name into the open-file dialog's name field and presses Open.
std::function<void(HWND)> open_file(std::string name) {
  return [name](HWND box) {
    HWND edit = nullptr;
    EnumChildWindows(box, first_visible_edit, (LPARAM)&edit);
    if (edit) SetWindowTextA(edit, name.c_str());
    press(IDOK)(box);
  };
}

class QelBuilder : public ::testing::Test {
 protected:
  void SetUp() override {
    module = LoadLibraryA("QEL.dll");
    ASSERT_NE(module, nullptr);
    builder = (BuilderFn)(void*)GetProcAddress(module, "_QELbuilder");
    ASSERT_NE(builder, nullptr);
    font = write_font("zeltest.pfb");
    host = host_folder();
    settings = demo_settings(font.c_str(), "AB A");
    model.bind();
  }
  // Runs the export under a script; every step must be taken and nothing else shown.
  // With `reactivated`, the builder dialog may come back to the front once more (after
  // another process's window closed) without counting as unexpected.
  int run(std::vector<UiStep> steps, bool reactivated = false) {
    const size_t n = steps.size();
    UiScript script(std::move(steps));
    const int answer = builder(nullptr, host.c_str(), &model.iface, &settings);
    EXPECT_EQ(script.steps_done(), n);
    for (const std::string& u : script.unexpected())
      if (!reactivated || u.rfind(std::string("#32770|") + kDialog, 0) != 0) ADD_FAILURE() << "unexpected " << u;
    return answer;
  }
  HMODULE module = nullptr;
  BuilderFn builder = nullptr;
  std::string font, host;
  TextBuildSettings settings{};
  RecordingModel model;
};

TEST_F(QelBuilder, CalledCdeclWithoutAFontCancelled) {
  // No font: the font dialog opens; Cancel answers 0 and the builder dialog never shows.
  settings.font_path[0] = '\0';
  UiScript script({{"#32770", kFontDialog, press(IDCANCEL)}});
  const uint32_t args[] = {0, uint32_t(uintptr_t(host.c_str())), uint32_t(uintptr_t(&model.iface)),
                           uint32_t(uintptr_t(&settings))};
  uint32_t answer = 99;
  EXPECT_EQ(call_probe((const void*)builder, args, 4, &answer), 0u) << "the caller removes the arguments";
  EXPECT_EQ(answer, 0u);
  EXPECT_EQ(script.steps_done(), 1u);
  EXPECT_EQ(script.log().size(), 1u) << "nothing but the font dialog was shown";
  EXPECT_EQ(settings.font_path[0], '\0');
}

// Wine's help viewer shows an "ERROR" box for the missing file and blocks the caller's
// thread until it is answered: a second thread answers it.
struct HelpBoxAnswerer {
  std::atomic<bool> stop{false};
  std::atomic<int> answered{0};
  HANDLE thread = nullptr;
  HelpBoxAnswerer() { thread = CreateThread(nullptr, 0, watch, this, 0, nullptr); }
  static DWORD WINAPI watch(LPVOID p) {
    auto* self = static_cast<HelpBoxAnswerer*>(p);
    while (!self->stop) {
      HWND box = FindWindowA("#32770", "ERROR");
      if (box && IsWindowVisible(box)) {
        PostMessageA(box, WM_COMMAND, IDNO, 0);
        ++self->answered;
        Sleep(200);
      }
      Sleep(20);
    }
    return 0;
  }
  ~HelpBoxAnswerer() {
    stop = true;
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
  }
};

// A remembered font that is gone: the dialog opens at once with "Font corrupt"; "Choose"
// opens the font dialog in that font's folder (the name typed is relative to it). Then Help
// works once.
TEST_F(QelBuilder, MissingFontSaysFontCorruptChooseReplacesItHelpWorksOnce) {
  std::strcpy(settings.font_path, (host + "fonts\\gone.pfb").c_str());
  std::string box_text, status_before, shown, status_after;
  HelpBoxAnswerer answerer;
  bool help_enabled_after = true;
  const int answer = run({{"#32770", "QEL", expect_text_then("Font corrupt", press(IDOK), &box_text)},
                          {"#32770", kDialog, [&](HWND dlg) {
                             status_before = item_text(dlg, qel_id::Status);
                             press(qel_id::Choose)(dlg);
                           }},
                          {"#32770", kFontDialog, open_file("zeltest.pfb")},
                          {"#32770", kDialog, [&](HWND dlg) {
                             shown = item_text(dlg, qel_id::FontName);
                             status_after = item_text(dlg, qel_id::Status);
                             SendMessageA(GetDlgItem(dlg, qel_id::Help), BM_CLICK, 0, 0);
                             pump_until([&] { return answerer.answered > 0; }, 10000);
                             help_enabled_after = IsWindowEnabled(GetDlgItem(dlg, qel_id::Help)) != 0;
                             press(qel_id::Cancel)(dlg);
                           }}}, true);
  WinHelpA(nullptr, nullptr, HELP_QUIT, 0);
  EXPECT_EQ(answer, 0);
  EXPECT_GT(answerer.answered.load(), 0) << "the help viewer was asked for " << host << "help\\qel.hlp";
  EXPECT_FALSE(help_enabled_after);
  EXPECT_EQ(box_text, "Font corrupt");
  EXPECT_EQ(status_before, "");
  EXPECT_EQ(status_after, "%!PS-AdobeFont-1.0: ZelTest 001.000");
  EXPECT_STRCASEEQ(shown.c_str(), font.c_str());
  EXPECT_STRCASEEQ(settings.font_path, font.c_str());
  EXPECT_TRUE(model.log.empty()) << "Cancel builds nothing";
}

// The live dialog against the resource table, with the labels of angle 80, depth 99, width 40.
std::vector<std::string> layout_faults(HWND dlg, const std::string& font) {
  constexpr LONG tab = WS_TABSTOP, group = WS_GROUP;
  const std::vector<DialogControl> layout = {
      {"Static", -1, "Shape Preview", 6, 3, 0, 0, 0},
      {"Static", -1, "Profile Preview", 237, 3, 0, 0, 0},
      {"Button", -1, "Hold point", 136, 71, 85, 57, BS_GROUPBOX},
      {"Button", -1, "Character", 6, 130, 149, 120, BS_GROUPBOX},
      {"Button", -1, "Bevel", 10, 142, 142, 59, BS_GROUPBOX},
      {"Static", -1, "Angle", 18, 166, 0, 0, 0},
      {"Static", -1, "Depth", 18, 185, 0, 0, 0},
      {"Static", -1, "Width", 18, 212, 0, 0, 0},
      {"Button", -1, "Font", 161, 130, 192, 46, BS_GROUPBOX},
      {"Static", -1, "Preview", 166, 161, 0, 0, 0},
      {"Static", -1, "Text", 249, 161, 0, 0, 0},
      {"Button", -1, "Color", 161, 177, 88, 73, BS_GROUPBOX},
      {"Static", -1, "Faces", 170, 193, 0, 0, 0},
      {"Static", -1, "Bevel", 170, 214, 0, 0, 0},
      {"Static", -1, "Sides", 170, 234, 0, 0, 0},
      {"Button", -1, "Build", 256, 177, 97, 73, BS_GROUPBOX},
      {"Button", 101, "", 6, 13, 116, 116, BS_OWNERDRAW},
      {"Button", 102, "", 237, 13, 116, 116, BS_OWNERDRAW | tab},
      {"Button", 103, "", 131, 13, 98, 56, BS_OWNERDRAW},
      {"Button", 104, "Front", 68, 149, 33, 10, BS_AUTOCHECKBOX | tab},
      {"Button", 105, "Back", 108, 149, 32, 10, BS_AUTOCHECKBOX | tab},
      {"ScrollBar", 106, "", 54, 165, 68, 10, 0},
      {"Static", 107, "80", 130, 166, 20, 8, 0},
      {"ScrollBar", 108, "", 54, 184, 68, 10, 0},
      {"Static", 109, "99", 130, 185, 19, 8, 0},
      {"ScrollBar", 110, "", 54, 211, 68, 10, 0},
      {"Static", 111, "40", 130, 212, 19, 8, 0},
      {"Button", 112, "Fill front and back", 20, 233, 70, 10, BS_AUTORADIOBUTTON | group | tab},
      {"Button", 113, "Don't fill", 98, 233, 39, 10, BS_AUTORADIOBUTTON},
      {"Static", 114, font.c_str(), 165, 142, 88, 8, 0},
      {"Edit", 115, "preview edit", 196, 159, 24, 12, ES_AUTOHSCROLL | tab},
      {"Edit", 116, "text edit", 268, 159, 79, 12, ES_AUTOHSCROLL | tab},
      {"Button", 117, "Choose", 261, 139, 40, 14, BS_PUSHBUTTON},
      {"Button", 118, "Help", 308, 139, 40, 14, BS_PUSHBUTTON},
      {"Button", 119, "", 202, 190, 40, 14, BS_OWNERDRAW | tab},
      {"Button", 120, "", 202, 211, 40, 14, BS_OWNERDRAW | tab},
      {"Button", 121, "", 202, 231, 40, 14, BS_OWNERDRAW | tab},
      {"Button", 122, "Make", 262, 230, 40, 14, BS_PUSHBUTTON},
      {"Button", 123, "Cancel", 309, 230, 40, 14, BS_PUSHBUTTON},
      {"Button", 124, "Build left to right", 269, 193, 74, 10, BS_AUTORADIOBUTTON | group | tab},
      {"Button", 125, "Build right to left", 269, 212, 75, 10, BS_AUTORADIOBUTTON},
      {"Edit", 126, "status edit", 7, 254, 346, 12, ES_AUTOHSCROLL | WS_DISABLED},
      {"Button", 127, "", 153, 84, 8, 10, BS_AUTORADIOBUTTON | group | tab},
      {"Button", 128, "", 153, 112, 8, 10, BS_AUTORADIOBUTTON},
      {"Button", 129, "", 174, 112, 8, 10, BS_AUTORADIOBUTTON},
      {"Button", 130, "", 174, 84, 8, 10, BS_AUTORADIOBUTTON},
      {"Button", 131, "", 195, 112, 8, 10, BS_AUTORADIOBUTTON},
      {"Button", 132, "", 195, 84, 8, 10, BS_AUTORADIOBUTTON},
      {"Button", 133, "", 174, 98, 8, 10, BS_AUTORADIOBUTTON},
  };
  std::vector<std::string> faults =
      dialog_layout_faults(dlg, kDialog, 361, 271, layout, DS_MODALFRAME | WS_CAPTION | WS_POPUP);
  // The edits are bordered (the dialog manager may turn the border into a sunken edge).
  for (int id : {115, 116, 126}) {
    HWND edit = GetDlgItem(dlg, id);
    if (!(GetWindowLongA(edit, GWL_STYLE) & WS_BORDER) && !(GetWindowLongA(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE))
      faults.push_back("edit " + std::to_string(id) + " has no border");
  }
  return faults;
}

// The record as the controls show it: checked buttons, scroll ranges, whether the status
// line and Make are enabled, the two edits.
std::string shown_state(HWND dlg) {
  std::string state;
  for (int id = 101; id <= 133; ++id)
    if (IsDlgButtonChecked(dlg, id) == BST_CHECKED) state += std::to_string(id) + " ";
  int lo = 0, hi = 0;
  for (int bar : {106, 108, 110}) {
    GetScrollRange(GetDlgItem(dlg, bar), SB_CTL, &lo, &hi);
    state += std::to_string(lo) + ".." + std::to_string(hi) + " ";
  }
  return state + (IsWindowEnabled(GetDlgItem(dlg, 126)) ? "status " : "") +
         (IsWindowEnabled(GetDlgItem(dlg, 122)) ? "make " : "") + item_text(dlg, 115) + "|" + item_text(dlg, 116);
}

// The dialog as laid out and as the record starts it; every control writes the record at
// once, and "Cancel" takes nothing back.
TEST_F(QelBuilder, LayoutControlsAndCancel) {
  settings.bevel_angle = 80;
  settings.bevel_depth = 99;
  std::vector<std::string> faults;
  std::string state, angle_label, depth_label;
  bool make_enabled_when_empty = true;
  const int answer = run({{"#32770", kDialog, [&](HWND dlg) {
                            faults = layout_faults(dlg, font);
                            state = shown_state(dlg);
                            // Bitmap 99 unscaled at the picture's top left: the bottom-left hold
                            // point's ring around (70, 80), white inside.
                            HWND picture = GetDlgItem(dlg, qel_id::HoldPointPicture);
                            RedrawWindow(picture, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                            const Pixels p = read_client_pixels(picture);
                            if (p.width < 80 || p.at(73, 80) != 0xFF0000 || p.at(70, 80) != 0xFFFFFF)
                              faults.push_back("hold-point picture not drawn");
                            for (int id : {qel_id::Front, qel_id::Back, qel_id::DontFill, qel_id::RightToLeft, 132})
                              SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0);
                            scroll(dlg, qel_id::AngleBar, SB_LINERIGHT);  // at 80: stays
                            scroll(dlg, qel_id::DepthBar, SB_PAGERIGHT);  // 99 -> 100
                            scroll(dlg, qel_id::DepthBar, SB_LINERIGHT);  // at 100: stays
                            scroll(dlg, qel_id::WidthBar, SB_THUMBTRACK, 7);
                            scroll(dlg, qel_id::WidthBar, SB_PAGELEFT);   // 7 -> 6
                            angle_label = item_text(dlg, qel_id::AngleValue);
                            depth_label = item_text(dlg, qel_id::DepthValue);
                            SetDlgItemTextA(dlg, qel_id::PreviewEdit, "Bxyz");
                            SetDlgItemTextA(dlg, qel_id::TextEdit, "");
                            make_enabled_when_empty = IsWindowEnabled(GetDlgItem(dlg, qel_id::Make)) != 0;
                            press(qel_id::FaceSwatch)(dlg);
                          }},
                          {"#32770", "Set Face Color", [](HWND box) {
                             SetDlgItemTextA(box, 706, "10");
                             SetDlgItemTextA(box, 707, "20");
                             SetDlgItemTextA(box, 708, "30");
                             press(IDOK)(box);
                           }},
                          {"#32770", kDialog, press(qel_id::BevelSwatch)},
                          {"#32770", "Set Bevel Color", press(IDCANCEL)},
                          // Enter, Esc and clicks on the drawings do not end the dialog.
                          {"#32770", kDialog, [](HWND dlg) {
                             for (int id : {IDOK, IDCANCEL, qel_id::ShapePreview, qel_id::Cancel}) press(id)(dlg);
                           }}});
  EXPECT_EQ(answer, 0);
  for (const std::string& f : faults) ADD_FAILURE() << f;
  // Front, fill, left to right, hold point 0 (button 128).
  EXPECT_EQ(state, "104 112 124 128 5..80 0..100 0..100 make A|AB A");
  TextBuildSettings expected = demo_settings(font.c_str(), "AB A");
  expected.bevel_front = 0, expected.bevel_back = 1, expected.fill_faces = 0, expected.direction = -1;
  expected.hold_point = 6, expected.bevel_angle = 80, expected.bevel_depth = 100, expected.extrusion_width = 6;
  expected.preview_char = 'B';
  const uint8_t face[3] = {10, 20, 30};
  std::memcpy(expected.face_color, face, 3);
  EXPECT_EQ(std::memcmp(&settings, &expected, sizeof settings), 0) << "fields: " << settings.bevel_front
      << settings.bevel_back << settings.fill_faces << settings.direction << settings.hold_point << " "
      << settings.bevel_angle << " " << settings.bevel_depth << " " << settings.extrusion_width;
  EXPECT_EQ(angle_label + " " + depth_label, "80 100");
  EXPECT_FALSE(make_enabled_when_empty);
}

// The core's drawing commands played onto a white bitmap with plain GDI calls; the red
// pixels of the result.
std::set<std::pair<int, int>> core_shape_pixels(const TextBuildSettings& settings, const std::string& host, int w, int h) {
  UiRecorder ui;
  font_reader_setup(glyph_table_in(host), ui.table());
  refresh_preview(settings, ui.table());
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
  PatBlt(dc, 0, 0, w, h, WHITENESS);
  struct Played {
    HDC dc;
    HPEN red;
    HGDIOBJ old;
  } played{dc, CreatePen(PS_SOLID, 0, RGB(255, 0, 0)), nullptr};
  const PreviewCanvas canvas = {
      &played, [](void* c, int32_t l, int32_t t, int32_t r, int32_t b) { Rectangle(static_cast<Played*>(c)->dc, l, t, r, b); },
      [](void* c, bool on) {
        auto* p = static_cast<Played*>(c);
        if (on) p->old = SelectObject(p->dc, p->red);
        else SelectObject(p->dc, p->old);
      },
      [](void* c, const PreviewPoint* pts, int32_t n) {
        std::vector<POINT> points;
        for (int32_t i = 0; i < n; ++i) points.push_back(POINT{pts[i].x, pts[i].y});
        Polyline(static_cast<Played*>(c)->dc, points.data(), n);
      }};
  draw_shape_preview(canvas, settings, preview_segments(), 0, 0, w, h);
  std::set<std::pair<int, int>> red;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (GetPixel(dc, x, y) == RGB(255, 0, 0)) red.insert({x, y});
  SelectObject(dc, old_bitmap);
  DeleteObject(bitmap);
  DeleteObject(played.red);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  release_preview();
  return red;
}

// The shape preview shows the core's drawing, and "Make" builds what the core's build_text
// builds for the same font, text (cut to 20 characters) and settings.
TEST_F(QelBuilder, PreviewAndMakeMatchTheCore) {
  settings.preview_char = 'B';
  settings.bevel_back = 1;
  Pixels painted;
  const int answer = run({{"#32770", kDialog, [&](HWND dlg) {
    HWND shape = GetDlgItem(dlg, qel_id::ShapePreview);
    RedrawWindow(shape, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    painted = read_client_pixels(shape);
    SetDlgItemTextA(dlg, qel_id::TextEdit, "ABAB ABAB ABAB ABAB ABAB");
    press(qel_id::Make)(dlg);
  }}});
  ASSERT_EQ(answer, 1);
  std::set<std::pair<int, int>> red;
  for (int y = 0; y < painted.height; ++y)
    for (int x = 0; x < painted.width; ++x)
      if (painted.at(x, y) == 0xFF0000) red.insert({x, y});
  const auto want = core_shape_pixels(settings, host, painted.width, painted.height);
  EXPECT_GT(want.size(), 200u) << "the glyph and its bevel copies";
  EXPECT_EQ(red, want);

  EXPECT_STREQ(settings.text, "ABAB ABAB ABAB ABAB ");
  EXPECT_EQ(model.characters_done, 20);
  EXPECT_TRUE(model.faults.empty());
  RecordingModel core;
  core.bind();
  UiRecorder ui;
  font_reader_setup(glyph_table_in(host), ui.table());
  set_text_jitter_state(1);  // the state a freshly loaded library starts from
  build_text(settings, &core.iface, ui.table());
  EXPECT_EQ(model.log, core.log);
  ASSERT_EQ(model.vertex_count, core.vertex_count);
  for (int32_t i = 0; i < core.vertex_count; ++i) {
    const ModelVertex &a = model.vertex(i), &b = core.vertex(i);
    EXPECT_TRUE(a.x == b.x && a.y == b.y && a.z == b.z) << "vertex " << i;
  }
}

}  // namespace
