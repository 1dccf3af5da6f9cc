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

// "A": a 100 x 50 box; "B": a triangle with a curved side; the space: an advance only.
TestFont builder_font() {
  TestFont f;
  f.glyphs = {{"/A", {num(0), num(500), op(13), num(10), num(20), op(21), num(100), op(6), num(50), op(7),
                      num(-100), op(6), op(9), op(14)}},
              {"/B", {num(0), num(600), op(13), num(20), num(0), op(21), num(300), op(6), num(0), num(200),
                      num(-100), num(200), num(-200), num(0), op(8), op(9), op(14)}},
              {"/space", {num(0), num(250), op(13), op(14)}}};
  return f;
}

std::string write_font(const char* name) {
  const std::string folder = host_folder() + "fonts";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string path = folder + "\\" + name;
  const std::vector<uint8_t> bytes = builder_font().bytes();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return path;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return path;
}

TextBuildSettings start_settings(const std::string& font) {
  TextBuildSettings s{};
  s.bevel_front = 1;
  s.bevel_angle = 45;
  s.bevel_depth = 40;
  s.extrusion_width = 30;
  s.preview_char = 'A';
  s.fill_faces = 1;
  s.hold_point = 3;
  s.direction = 1;
  std::strncpy(s.font_path, font.c_str(), sizeof s.font_path - 1);
  std::strcpy(s.text, "AB A");
  const uint8_t face[3] = {200, 30, 40}, side[3] = {50, 60, 70}, bevel[3] = {1, 2, 3};
  std::memcpy(s.face_color, face, 3);
  std::memcpy(s.side_color, side, 3);
  std::memcpy(s.bevel_color, bevel, 3);
  return s;
}

std::string item_text(HWND dlg, int id) {
  char text[256] = {};
  GetDlgItemTextA(dlg, id, text, sizeof text);
  return text;
}

void click(HWND dlg, int id) { SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }
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
    settings = start_settings(font);
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
    log = script.log();
    return answer;
  }
  HMODULE module = nullptr;
  BuilderFn builder = nullptr;
  std::string font, host;
  TextBuildSettings settings{};
  RecordingModel model;
  std::vector<std::string> log;
};

TEST_F(QelBuilder, ExportedByNameAtOrdinalTwoAndCalledCdecl) {
  EXPECT_EQ((void*)GetProcAddress(module, MAKEINTRESOURCEA(2)), (void*)builder);
  EXPECT_EQ((void*)GetProcAddress(module, MAKEINTRESOURCEA(1)), nullptr);
  // No font: the font dialog opens; Cancel answers 0 and the builder dialog never shows.
  settings.font_path[0] = '\0';
  UiScript script({{"#32770", kFontDialog, press(IDCANCEL)}});
  const uint32_t args[] = {0, uint32_t(uintptr_t(host.c_str())), uint32_t(uintptr_t(&model.iface)),
                           uint32_t(uintptr_t(&settings))};
  uint32_t answer = 99;
  EXPECT_EQ(call_probe((const void*)builder, args, 4, &answer), 0u) << "the caller removes the arguments";
  EXPECT_EQ(answer, 0u);
  EXPECT_EQ(script.steps_done(), 1u);
  EXPECT_TRUE(script.unexpected().empty());
  EXPECT_EQ(script.log().size(), 1u) << "dialog 100 was shown";
  EXPECT_EQ(settings.font_path[0], '\0');
}

// The name typed is relative: the font dialog opened in the host's "fonts" folder.
TEST_F(QelBuilder, ChosenFontFillsThePathAndTheDialog) {
  settings.font_path[0] = '\0';
  std::string shown, status;
  const int answer = run({{"#32770", kFontDialog, open_file("zeltest.pfb")},
                          {"#32770", kDialog, [&](HWND dlg) {
                             shown = item_text(dlg, qel_id::FontName);
                             status = item_text(dlg, qel_id::Status);
                             press(qel_id::Cancel)(dlg);
                           }}});
  EXPECT_EQ(answer, 0);
  EXPECT_STRCASEEQ(settings.font_path, font.c_str());
  EXPECT_STRCASEEQ(shown.c_str(), font.c_str());
  EXPECT_EQ(status, "%!PS-AdobeFont-1.0: ZelTest 001.000");
  EXPECT_TRUE(model.log.empty()) << "Cancel builds nothing";
}

TEST_F(QelBuilder, MissingFontSaysFontCorruptAndChooseReplacesIt) {
  const std::string gone = host + "fonts\\gone.pfb";
  std::strcpy(settings.font_path, gone.c_str());
  std::string box_text, status_before, after;
  const int answer = run({{"#32770", "QEL", expect_text_then("Font corrupt", press(IDOK), &box_text)},
                          {"#32770", kDialog, [&](HWND dlg) {
                             status_before = item_text(dlg, qel_id::Status);
                             press(qel_id::Choose)(dlg);
                           }},
                          {"#32770", kFontDialog, open_file("zeltest.pfb")},
                          {"#32770", kDialog, [&](HWND dlg) {
                             after = item_text(dlg, qel_id::FontName);
                             press(qel_id::Cancel)(dlg);
                           }}});
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(box_text, "Font corrupt");
  EXPECT_EQ(status_before, "");
  EXPECT_STRCASEEQ(after.c_str(), font.c_str()) << "the font dialog opened in the old font's folder";
  EXPECT_STRCASEEQ(settings.font_path, font.c_str());
}

TEST_F(QelBuilder, ControlsWriteTheRecordAtOnce) {
  struct Seen {
    TextBuildSettings after_clicks, after_scrolls;
    std::string angle_label, depth_label;
    bool make_enabled_empty = true;
  } seen;
  settings.bevel_angle = 80;
  settings.bevel_depth = 99;
  const int answer = run({{"#32770", kDialog, [&](HWND dlg) {
    click(dlg, qel_id::Front);      // off
    click(dlg, qel_id::Back);       // on
    click(dlg, qel_id::DontFill);
    click(dlg, qel_id::RightToLeft);
    click(dlg, 132);                // hold point top right (6)
    seen.after_clicks = settings;
    scroll(dlg, qel_id::AngleBar, SB_LINERIGHT);   // at 80: stays
    scroll(dlg, qel_id::DepthBar, SB_PAGERIGHT);   // 99 -> 100
    scroll(dlg, qel_id::DepthBar, SB_LINERIGHT);   // at 100: stays
    scroll(dlg, qel_id::WidthBar, SB_THUMBTRACK, 7);
    scroll(dlg, qel_id::WidthBar, SB_PAGELEFT);    // 7 -> 6
    seen.after_scrolls = settings;
    seen.angle_label = item_text(dlg, qel_id::AngleValue);
    seen.depth_label = item_text(dlg, qel_id::DepthValue);
    SetDlgItemTextA(dlg, qel_id::PreviewEdit, "Bxyz");
    SetDlgItemTextA(dlg, qel_id::TextEdit, "");
    seen.make_enabled_empty = IsWindowEnabled(GetDlgItem(dlg, qel_id::Make)) != 0;
    SetDlgItemTextA(dlg, qel_id::TextEdit, "ABAB ABAB ABAB ABAB ABAB");
    // Enter, Esc and clicks on the drawings do not end the dialog: "Make" still does.
    for (int id : {IDOK, IDCANCEL, qel_id::ShapePreview, qel_id::HoldPointPicture}) press(id)(dlg);
    press(qel_id::Make)(dlg);
  }}});
  EXPECT_EQ(answer, 1);
  const TextBuildSettings& c = seen.after_clicks;
  EXPECT_EQ(c.bevel_front, 0);
  EXPECT_EQ(c.bevel_back, 1);
  EXPECT_EQ(c.fill_faces, 0);
  EXPECT_EQ(c.direction, -1);
  EXPECT_EQ(c.hold_point, 6);
  const TextBuildSettings& s = seen.after_scrolls;
  EXPECT_EQ(s.bevel_angle, 80);
  EXPECT_EQ(s.bevel_depth, 100);
  EXPECT_EQ(s.extrusion_width, 6);
  EXPECT_EQ(seen.angle_label, "80");
  EXPECT_EQ(seen.depth_label, "100");
  EXPECT_FALSE(seen.make_enabled_empty);
  EXPECT_EQ(settings.preview_char, 'B');
  EXPECT_STREQ(settings.text, "ABAB ABAB ABAB ABAB ");
  EXPECT_EQ(model.characters_done, 20) << "Make ran the solid builder on the 20 characters";
}

TEST_F(QelBuilder, ColourChosenThenCancelKeepsIt) {
  const int answer = run({{"#32770", kDialog, press(qel_id::FaceSwatch)},
                          {"#32770", "Set Face Color", [](HWND box) {
                             SetDlgItemTextA(box, 706, "10");
                             SetDlgItemTextA(box, 707, "20");
                             SetDlgItemTextA(box, 708, "30");
                             press(IDOK)(box);
                           }},
                          {"#32770", kDialog, press(qel_id::BevelSwatch)},
                          {"#32770", "Set Bevel Color", press(IDCANCEL)},
                          {"#32770", kDialog, press(qel_id::Cancel)}});
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(settings.face_color[0], 10);
  EXPECT_EQ(settings.face_color[1], 20);
  EXPECT_EQ(settings.face_color[2], 30);
  const uint8_t bevel[3] = {1, 2, 3};
  EXPECT_EQ(std::memcmp(settings.bevel_color, bevel, 3), 0) << "a cancelled colour dialog changes nothing";
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

TEST_F(QelBuilder, HelpOpensOnceThenIsDisabled) {
  HelpBoxAnswerer answerer;
  bool enabled_after = true;
  const int answer = run({{"#32770", kDialog, [&](HWND dlg) {
    click(dlg, qel_id::Help);
    pump_until([&] { return answerer.answered > 0; }, 10000);
    enabled_after = IsWindowEnabled(GetDlgItem(dlg, qel_id::Help)) != 0;
    press(qel_id::Cancel)(dlg);
  }}}, true);
  EXPECT_EQ(answer, 0);
  EXPECT_GT(answerer.answered.load(), 0) << "the help viewer was asked for " << host << "help\\qel.hlp";
  EXPECT_FALSE(enabled_after);
  WinHelpA(nullptr, nullptr, HELP_QUIT, 0);
}

TEST_F(QelBuilder, LayoutMatchesTheTable) {
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
      {"Static", 107, "45", 130, 166, 20, 8, 0},
      {"ScrollBar", 108, "", 54, 184, 68, 10, 0},
      {"Static", 109, "40", 130, 185, 19, 8, 0},
      {"ScrollBar", 110, "", 54, 211, 68, 10, 0},
      {"Static", 111, "30", 130, 212, 19, 8, 0},
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
  std::vector<std::string> faults;
  struct Checks {
    UINT hold, direction, back, front, fill;
    std::string preview, text;
    bool status_enabled, make_enabled;
    int angle_min, angle_max, depth_max;
  } got{};
  const int answer = run({{"#32770", kDialog, [&](HWND dlg) {
    faults = dialog_layout_faults(dlg, kDialog, 361, 271, layout, DS_MODALFRAME | WS_CAPTION | WS_POPUP);
    // The edits are bordered (the dialog manager may turn the border into a sunken edge).
    for (int id : {115, 116, 126}) {
      HWND edit = GetDlgItem(dlg, id);
      if (!(GetWindowLongA(edit, GWL_STYLE) & WS_BORDER) && !(GetWindowLongA(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE))
        faults.push_back("edit " + std::to_string(id) + " has no border");
    }
    got = Checks{IsDlgButtonChecked(dlg, 133), IsDlgButtonChecked(dlg, 124), IsDlgButtonChecked(dlg, 105),
                 IsDlgButtonChecked(dlg, 104), IsDlgButtonChecked(dlg, 112), item_text(dlg, 115),
                 item_text(dlg, 116), IsWindowEnabled(GetDlgItem(dlg, 126)) != 0,
                 IsWindowEnabled(GetDlgItem(dlg, 122)) != 0, 0, 0, 0};
    int lo = 0;
    GetScrollRange(GetDlgItem(dlg, 106), SB_CTL, &got.angle_min, &got.angle_max);
    GetScrollRange(GetDlgItem(dlg, 108), SB_CTL, &lo, &got.depth_max);
    press(qel_id::Cancel)(dlg);
  }}});
  EXPECT_EQ(answer, 0);
  for (const std::string& f : faults) ADD_FAILURE() << f;
  EXPECT_EQ(got.hold, UINT(BST_CHECKED)) << "hold point 3 is button 133";
  EXPECT_EQ(got.direction, UINT(BST_CHECKED));
  EXPECT_EQ(got.back, UINT(BST_UNCHECKED));
  EXPECT_EQ(got.front, UINT(BST_CHECKED));
  EXPECT_EQ(got.fill, UINT(BST_CHECKED));
  EXPECT_EQ(got.preview, "A");
  EXPECT_EQ(got.text, "AB A");
  EXPECT_FALSE(got.status_enabled);
  EXPECT_TRUE(got.make_enabled);
  EXPECT_EQ(got.angle_min, 5);
  EXPECT_EQ(got.angle_max, 80);
  EXPECT_EQ(got.depth_max, 100);
}

// The drawing commands of the core, played onto a white bitmap with plain GDI calls.
struct PlayedCanvas {
  HDC dc;
  HPEN red = CreatePen(PS_SOLID, 0, RGB(255, 0, 0));
  HGDIOBJ old = nullptr;
};

std::set<std::pair<int, int>> red_pixels(const Pixels& p) {
  std::set<std::pair<int, int>> out;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (p.at(x, y) == 0xFF0000) out.insert({x, y});
  return out;
}

TEST_F(QelBuilder, ShapePreviewPaintsTheCoreDrawing) {
  settings.preview_char = 'B';
  Pixels painted;
  RECT item = {};
  const int answer = run({{"#32770", kDialog, [&](HWND dlg) {
    HWND shape = GetDlgItem(dlg, qel_id::ShapePreview);
    GetClientRect(shape, &item);
    RedrawWindow(shape, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    painted = read_client_pixels(shape);
    press(qel_id::Cancel)(dlg);
  }}});
  EXPECT_EQ(answer, 0);

  // The same preview from the core in this process, drawn by GDI on a bitmap of the size.
  UiRecorder ui;
  font_reader_setup(glyph_table_in(host), ui.table());
  refresh_preview(settings, ui.table());
  ASSERT_FALSE(preview_segments().segments.empty());
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), item.right, -item.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
  PatBlt(dc, 0, 0, item.right, item.bottom, WHITENESS);
  PlayedCanvas played{dc};
  const PreviewCanvas canvas = {
      &played, [](void* c, int32_t l, int32_t t, int32_t r, int32_t b) { Rectangle(static_cast<PlayedCanvas*>(c)->dc, l, t, r, b); },
      [](void* c, bool on) {
        auto* p = static_cast<PlayedCanvas*>(c);
        if (on) p->old = SelectObject(p->dc, p->red);
        else SelectObject(p->dc, p->old);
      },
      [](void* c, const PreviewPoint* pts, int32_t n) {
        std::vector<POINT> points;
        for (int32_t i = 0; i < n; ++i) points.push_back(POINT{pts[i].x, pts[i].y});
        Polyline(static_cast<PlayedCanvas*>(c)->dc, points.data(), n);
      }};
  draw_shape_preview(canvas, settings, preview_segments(), 0, 0, item.right, item.bottom);
  GdiFlush();
  Pixels expected;
  expected.width = item.right;
  expected.height = item.bottom;
  expected.data.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + item.right * item.bottom);
  for (uint32_t& px : expected.data) px &= 0xFFFFFF;
  SelectObject(dc, old_bitmap);
  DeleteObject(bitmap);
  DeleteObject(played.red);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  release_preview();

  const auto want = red_pixels(expected), have = red_pixels(painted);
  EXPECT_GT(want.size(), 200u) << "the glyph and its bevel copies";
  EXPECT_EQ(have, want);
}

// "Make" hands the settings to the solid builder: the DLL's model calls are those of the
// core's build_text for the same font, text and settings.
TEST_F(QelBuilder, MakeBuildsWhatTheCoreBuilds) {
  settings.bevel_back = 1;
  const int answer = run({{"#32770", kDialog, press(qel_id::Make)}});
  ASSERT_EQ(answer, 1);
  ASSERT_GT(model.log.size(), 10u);
  EXPECT_TRUE(model.faults.empty());
  EXPECT_EQ(model.characters_done, 4);

  RecordingModel core;
  core.bind();
  UiRecorder ui;
  font_reader_setup(glyph_table_in(host), ui.table());
  set_text_jitter_state(1);  // the state a freshly loaded library starts from
  build_text(settings, &core.iface, ui.table());
  EXPECT_EQ(model.log, core.log);
  ASSERT_EQ(model.vertex_count, core.vertex_count);
  for (int32_t i = 0; i < core.vertex_count; ++i) {
    EXPECT_EQ(model.vertex(i).x, core.vertex(i).x) << i;
    EXPECT_EQ(model.vertex(i).y, core.vertex(i).y) << i;
    EXPECT_EQ(model.vertex(i).z, core.vertex(i).z) << i;
  }
  // The DLL's log, for comparison with the native build (scripts/demo.d).
  if (const char* out = std::getenv("ZEL_QEL_MAKE_LOG")) {
    if (FILE* f = std::fopen(out, "wb")) {
      for (const std::string& line : model.log) std::fprintf(f, "%s\n", line.c_str());
      std::fclose(f);
    }
  }
}

}  // namespace
