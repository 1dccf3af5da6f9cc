// viewer.exe under Wine, driven from this test process as the host drives it: settings
// written to MORVANE.INI, command messages posted to the window found by its class, the
// window's caption, size, scroll bars and painted pixels read back from outside.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/ui_recorder.h"
#include "tests/win32/testkit.h"
#include "viewer/image.h"
#include "viewer/render.h"
#include "viewer/testing/image_files.h"
#include "viewer/view_window.h"

namespace {

// --- Test images with known pixels, made by the readers' test file writers -------------------

uint32_t value(Rgb c) { return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b; }
using PixelFn = std::function<Rgb(int x, int y)>;

std::vector<Rgb> test_palette() {
  std::vector<Rgb> p(256);
  for (int i = 0; i < 256; ++i) p[i] = {uint8_t(i), uint8_t(255 - i), uint8_t((i * 37 + 3) & 255)};
  return p;
}
std::vector<Bytes> index_rows(int w, int h) {
  std::vector<Bytes> rows(h, Bytes(w));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) rows[y][x] = uint8_t(x * 7 + y * 13);
  return rows;
}

Bytes gif(int w, int h) {
  GifPlan plan;
  plan.width = w, plan.height = h, plan.palette = test_palette(), plan.min_code_size = 8;
  for (const Bytes& row : index_rows(w, h)) plan.indices.insert(plan.indices.end(), row.begin(), row.end());
  return MakeGif(plan);
}
Bytes bmp8(int w, int h) {
  BmpPlan plan;
  plan.width = w, plan.height = h, plan.bits = 8, plan.table = test_palette(), plan.clr_used = 256;
  plan.bits_data = DibRows(index_rows(w, h));
  return MakeBmp(plan);
}
// Uncompressed 24-bit TGA, rows stored from the bottom (descriptor 0) or the top (0x20).
Bytes tga24(int w, int h, const PixelFn& px, bool top_first) {
  TgaPlan plan;
  plan.width = w, plan.height = h, plan.descriptor = top_first ? 0x20 : 0;
  for (int row = 0; row < h; ++row)
    for (int x = 0; x < w; ++x) plan.pixels.push_back(px(x, top_first ? row : h - 1 - row));
  return MakeTga(plan);
}

// A picture whose every pixel tells where it is: red and green are the low bytes of x and y,
// blue holds their high bits. The colour at the client's top-left corner gives the scroll
// positions.
Rgb where(int x, int y) { return {uint8_t(x), uint8_t(y), uint8_t((x >> 8) | ((y >> 8) << 4))}; }
POINT decode_where(uint32_t rgb) {
  const int r = rgb >> 16 & 255, g = rgb >> 8 & 255, b = rgb & 255;
  return {r | (b & 15) << 8, g | (b >> 4) << 8};
}

// --- Files and settings ---------------------------------------------------------------------

std::string test_folder() {
  char dir[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof dir, dir);
  std::string folder = std::string(dir) + "\\viewer_test_files\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

void write_file(const std::string& path, const Bytes& bytes) { ASSERT_TRUE(WriteBytes(path, bytes)) << path; }

void set_setting(const char* key, const std::string& value) {
  WritePrivateProfileStringA(view::kSection, key, value.c_str(), view::kProfileFile);
}
std::string setting(const char* key) {
  char buf[256] = {};
  GetPrivateProfileStringA(view::kSection, key, "(missing)", buf, sizeof buf, view::kProfileFile);
  return buf;
}

// --- The program ------------------------------------------------------------------------------

bool wait_for(const std::function<bool()>& done, DWORD timeout_ms = 5000) { return pump_until(done, timeout_ms); }

std::string caption_of(HWND w) {
  char buf[512] = {};
  GetWindowTextA(w, buf, sizeof buf);
  return buf;
}

SIZE client_size(HWND w) {
  RECT rc = {};
  GetClientRect(w, &rc);
  return {rc.right, rc.bottom};
}

struct Process {
  PROCESS_INFORMATION info = {};
  bool start() {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    char command[] = "viewer.exe";
    return CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info);
  }
  // The exit code once the process has ended, or -1 on a time-out.
  long finish(DWORD timeout_ms = 5000) {
    if (!info.hProcess || WaitForSingleObject(info.hProcess, timeout_ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    return long(code);
  }
  ~Process() {
    if (info.hProcess && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 99);
    if (info.hProcess) CloseHandle(info.hProcess), CloseHandle(info.hThread);
  }
};

class Viewer : public ::testing::Test {
 protected:
  void SetUp() override {
    // A viewer left behind by an earlier, failed test would answer in place of ours.
    if (HWND stale = FindWindowA(view::kClassName, nullptr)) {
      PostMessageA(stale, WM_COMMAND, view::kCmdQuit, 0);
      wait_for([] { return !FindWindowA(view::kClassName, nullptr); });
    }
    WritePrivateProfileStringA(view::kSection, nullptr, nullptr, view::kProfileFile);
    folder_ = test_folder();
    ASSERT_TRUE(viewer_.start());
    ASSERT_TRUE(wait_for([this] { return (window_ = FindWindowA(view::kClassName, nullptr)) != nullptr; }));
    ASSERT_TRUE(wait_for([this] { return IsWindowVisible(window_) != FALSE; }));
  }
  void TearDown() override {
    if (window_ && IsWindow(window_)) {
      PostMessageA(window_, WM_COMMAND, view::kCmdQuit, 0);
      EXPECT_EQ(viewer_.finish(), 0) << "command 106 ends the program with 0";
    }
  }

  // Writes an image into the test folder and has the host's request (107) show it.
  void show(const std::string& name, const Bytes& bytes, LPARAM lparam = 0) {
    write_file(folder_ + name, bytes);
    set_setting("FILE", name);
    set_setting("PATH", folder_);
    PostMessageA(window_, WM_COMMAND, view::kCmdHostFile, lparam);
  }
  bool caption_starts(const std::string& text) {
    return wait_for([&] { return caption_of(window_).rfind(text, 0) == 0; });
  }
  // The client area once painting has settled: the viewer has finished what it was doing
  // (a sent message is answered between two handlers), has painted what is invalid, and two
  // read-backs 60 ms apart agree. With `changed_from`, first waits for the top-left pixel
  // to leave that colour (a posted key is handled after any sent message).
  Pixels painted_client(int64_t changed_from = -1) {
    if (changed_from >= 0)
      wait_for([&] { const Pixels p = read_client_pixels(window_); return p.width && p.at(0, 0) != changed_from; });
    DWORD_PTR ignored;
    SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    UpdateWindow(window_);
    Pixels last = read_client_pixels(window_), now;
    for (int i = 0; i < 50; ++i, last = now) {
      Sleep(60);
      now = read_client_pixels(window_);
      if (now.width == last.width && now.height == last.height && now.data == last.data) break;
    }
    return last;
  }
  // Resizes the window until its client area (scroll bars left out) has the given size.
  bool set_client(int w, int h) {
    for (int i = 0; i < 6; ++i) {
      RECT r;
      GetWindowRect(window_, &r);
      const SIZE c = client_size(window_);
      if (c.cx == w && c.cy == h) return true;
      SetWindowPos(window_, nullptr, 0, 0, r.right - r.left + w - c.cx, r.bottom - r.top + h - c.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      wait_for([&] { const SIZE n = client_size(window_); return n.cx != c.cx || n.cy != c.cy; }, 500);
    }
    const SIZE c = client_size(window_);
    return c.cx == w && c.cy == h;
  }
  LONG style() const { return GetWindowLongA(window_, GWL_STYLE); }

  Process viewer_;
  HWND window_ = nullptr;
  std::string folder_;
};

// The program's string table, 300-310.
const char* const kStrings[] = {"Screen resolution",
                                "Width x Height   640x480",
                                "Width x Height   800x600",
                                "Width x Height  1024x768",
                                "Custom resolution",
                                "Available colors",
                                "16-colors available",
                                "8 bit display 256-colors available",
                                "16 bit display 32768 colors available",
                                "24 bit display, 16,777,216 colors",
                                "Custom color depth"};

// A message box the viewer shows, found from outside by its caption.
HWND find_box(const char* caption) {
  HWND box = nullptr;
  wait_for([&] { return (box = FindWindowA("#32770", caption)) != nullptr && IsWindowVisible(box); });
  return box;
}

// --- Start, commands, resources ---------------------------------------------------------------

TEST_F(Viewer, StartsAsTheOneWindowOfItsClass) {
  EXPECT_EQ(caption_of(window_), "Viewer");
  EXPECT_EQ(style() & ~WS_CLIPSIBLINGS, LONG(WS_OVERLAPPEDWINDOW | WS_VISIBLE));
  EXPECT_TRUE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT r;
  GetWindowRect(window_, &r);
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN) / 2);
  EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSCREEN) / 2);

  // Closing, or "E&xit" (108), only hides it; a second copy shows it again and ends with 32.
  PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(wait_for([&] { return !IsWindowVisible(window_); }));
  Process second;
  ASSERT_TRUE(second.start());
  EXPECT_EQ(second.finish(), view::kExitAlreadyRunning);
  EXPECT_TRUE(wait_for([&] { return IsWindowVisible(window_) != FALSE; }));
  PostMessageA(window_, WM_COMMAND, view::kCmdHide, 0);
  EXPECT_TRUE(wait_for([&] { return !IsWindowVisible(window_); }));
  EXPECT_EQ(FindWindowA(view::kClassName, nullptr), window_);
}

TEST_F(Viewer, ResourcesHoldTheMenuStringsAndIcon) {
  HMODULE exe = LoadLibraryExA("viewer.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  for (int id = 300; id <= 310; ++id) {
    char text[256] = {};
    LoadStringA(exe, id, text, sizeof text);
    EXPECT_STREQ(text, kStrings[id - 300]) << id;
  }
  EXPECT_NE(FindResourceA(exe, "VIEWICON", MAKEINTRESOURCEA(14)), nullptr);  // RT_GROUP_ICON

  HMENU menu = LoadMenuA(exe, "ShowMenu");
  ASSERT_NE(menu, nullptr);
  // The menu written out as "popup[item=id,...]" in order.
  std::string layout;
  for (int p = 0; p < GetMenuItemCount(menu); ++p) {
    char text[64] = {};
    GetMenuStringA(menu, p, text, sizeof text, MF_BYPOSITION);
    layout += std::string(text) + "[";
    HMENU sub = GetSubMenu(menu, p);
    for (int i = 0; sub && i < GetMenuItemCount(sub); ++i) {
      GetMenuStringA(sub, i, text, sizeof text, MF_BYPOSITION);
      layout += std::string(i ? "," : "") + text + "=" + std::to_string(GetMenuItemID(sub, i));
    }
    layout += "]";
  }
  EXPECT_EQ(layout, "&File[&Open=105,E&xit=108]&Screen[&Screen resolution=101,Available &colors=102]");
  DestroyMenu(menu);
  FreeLibrary(exe);
}

// The file-name field of the open dialog: its first visible Edit.
BOOL CALLBACK first_visible_edit(HWND h, LPARAM out) {
  char cls[16] = {};
  GetClassNameA(h, cls, sizeof cls);
  if (std::strcmp(cls, "Edit") != 0 || !IsWindowVisible(h)) return TRUE;
  *reinterpret_cast<HWND*>(out) = h;
  return FALSE;
}

// --- Loading ------------------------------------------------------------------------------------

TEST_F(Viewer, OpenDialogStartsFromTheLastChoiceAndRemembersTheNext) {
  write_file(folder_ + "car.gif", gif(40, 30));
  set_setting("LASTPATH", folder_);
  set_setting("LASTFILE", "OLD.CEL");
  set_setting("LASTTYPE", "2");
  PostMessageA(window_, WM_COMMAND, view::kCmdOpen, 0);
  HWND dialog = find_box(view::kOpenTitle);
  ASSERT_NE(dialog, nullptr);
  // LASTTYPE 2 selects the "(*.CEL)" filter (combo box cmb1).
  HWND filter = GetDlgItem(dialog, 1136);
  ASSERT_NE(filter, nullptr);
  EXPECT_EQ(SendMessageA(filter, CB_GETCURSEL, 0, 0), 2);
  HWND edit = nullptr;
  EnumChildWindows(dialog, first_visible_edit, LPARAM(&edit));
  ASSERT_NE(edit, nullptr);
  SendMessageA(edit, WM_SETTEXT, 0, LPARAM("car.gif"));
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);

  EXPECT_TRUE(caption_starts("View (CAR.GIF 40x30x8)")) << caption_of(window_);
  EXPECT_EQ(setting("LASTFILE"), "CAR.GIF");
  EXPECT_EQ(setting("LASTTYPE"), "0");
  EXPECT_STRCASEEQ(setting("LASTPATH").c_str(), folder_.c_str());
}

TEST_F(Viewer, HostRequestsLoadIntoTheWindowShownOrHidden) {
  // The host's render window, to be brought forward only when lParam is 1.
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = view::kRenderClassName;
  ASSERT_TRUE(RegisterClassA(&wc));
  HWND render = CreateWindowA(wc.lpszClassName, "render", WS_POPUP | WS_VISIBLE, 600, 500, 50, 50, nullptr,
                              nullptr, wc.hInstance, nullptr);
  ASSERT_NE(render, nullptr);
  HWND other = CreateWindowA("Static", "other", WS_POPUP | WS_VISIBLE, 700, 500, 50, 50, nullptr, nullptr,
                             nullptr, nullptr);
  auto pump = [] {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  };

  struct Case {
    const char* name;  // written under this name; the caption shows it in capitals
    int command;
    LPARAM lparam;
    int w, h;
    const char* size;  // as the caption shows it
    bool hidden;
    bool render_forward;
  };
  const Case cases[] = {
      {"first.tga", view::kCmdHostFile, 0, 200, 120, "200x120x24", false, false},
      {"second.bmp", view::kCmdHostFile, 1, 170, 100, "170x100x8", false, true},
      {"map.gif", view::kCmdMapFile, 0, 181, 90, "181x90x8", false, false},
      {"hidden.tga", view::kCmdHostFile, 0, 210, 130, "210x130x24", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetForegroundWindow(other);
    pump();
    const std::string path = folder_ + c.name;
    const std::string ext = path.substr(path.size() - 3);
    if (ext == "tga") write_file(path, tga24(c.w, c.h, where, false));
    if (ext == "bmp") write_file(path, bmp8(c.w, c.h));
    if (ext == "gif") write_file(path, gif(c.w, c.h));
    if (c.hidden) {
      PostMessageA(window_, WM_COMMAND, view::kCmdHide, 0);
      ASSERT_TRUE(wait_for([&] { return !IsWindowVisible(window_); }));
    }
    set_setting("FILE", c.name);
    set_setting("PATH", folder_);
    set_setting("MAPFILE", path);
    PostMessageA(window_, WM_COMMAND, c.command, c.lparam);
    std::string name = c.command == view::kCmdMapFile ? path : std::string(c.name);
    CharUpperA(&name[0]);
    const int stride = ext == "bmp" ? c.w : (c.w + 3) / 4 * 4;
    const std::string expected = "View (" + name + " " + c.size + ")";
    ASSERT_TRUE(wait_for([&] { return caption_of(window_) == expected; })) << caption_of(window_);
    // The window fits the image: a client one pixel larger than the extent each way.
    ASSERT_TRUE(wait_for([&] { return client_size(window_).cx == stride + 1; }));
    EXPECT_EQ(client_size(window_).cy, c.h + 1);
    EXPECT_EQ(IsWindowVisible(window_) != FALSE, !c.hidden);
    pump();
    if (c.render_forward) EXPECT_TRUE(wait_for([&] { pump(); return GetForegroundWindow() == render; }));
    else EXPECT_NE(GetForegroundWindow(), render);
  }
  // 103 loads what the file name buffer holds: the last name again, now another picture.
  write_file(folder_ + "hidden.tga", tga24(90, 40, where, true));
  PostMessageA(window_, WM_COMMAND, view::kCmdLoad, 0);
  EXPECT_TRUE(wait_for([&] { return caption_of(window_) == "View (HIDDEN.TGA 90x40x24)"; })) << caption_of(window_);
  DestroyWindow(other);
  DestroyWindow(render);
  UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

// --- Scrolling ----------------------------------------------------------------------------------

TEST_F(Viewer, KeysScrollByLinesAndPages) {
  show("where.tga", tga24(700, 500, where, true));
  ASSERT_TRUE(caption_starts("View (WHERE.TGA 700x500x24)"));
  ASSERT_TRUE(set_client(320, 200));
  EXPECT_TRUE(style() & WS_HSCROLL);
  EXPECT_TRUE(style() & WS_VSCROLL);
  struct Step {
    UINT key;
    int x, y;  // the view's position afterwards
  };
  // A 320-wide client: Right 21, Left 19; a 200-high client: Page Down 101, Page Up 99;
  // End and Home a page of 161 / 159 across, Down and Up 13 / 11.
  const Step steps[] = {{VK_RIGHT, 21, 0},  {VK_RIGHT, 42, 0},   {VK_LEFT, 23, 0},   {VK_NEXT, 23, 101},
                        {VK_PRIOR, 23, 2},  {VK_END, 184, 2},    {VK_HOME, 25, 2},   {VK_DOWN, 25, 15},
                        {VK_UP, 25, 4},     {VK_UP, 25, 0},      {VK_LEFT, 6, 0},    {VK_LEFT, 0, 0}};
  int64_t corner = painted_client().at(0, 0);
  ASSERT_EQ(corner, 0);  // where(0, 0)
  for (const Step& s : steps) {
    PostMessageA(window_, WM_KEYDOWN, s.key, 1);
    PostMessageA(window_, WM_KEYUP, s.key, 0xC0000001);
    const Pixels p = painted_client(corner);
    corner = p.at(0, 0);
    ASSERT_GT(p.width, 0);
    const POINT at = decode_where(p.at(0, 0));
    EXPECT_EQ(at.x, s.x) << "key " << s.key;
    EXPECT_EQ(at.y, s.y) << "key " << s.key;
    // The whole client shows the picture from that corner on.
    EXPECT_EQ(p.at(319, 199), value(where(s.x + 319, s.y + 199)));
  }
}

TEST_F(Viewer, SmallImageLosesTheBarsAndAMaximisedWindowKeepsItsSize) {
  show("big.tga", tga24(700, 500, where, false));
  ASSERT_TRUE(caption_starts("View (BIG.TGA"));
  ASSERT_TRUE(set_client(300, 200));
  EXPECT_TRUE(style() & (WS_HSCROLL | WS_VSCROLL));

  show("small.bmp", bmp8(100, 80));
  ASSERT_TRUE(caption_starts("View (SMALL.BMP 100x80x8)"));
  EXPECT_TRUE(wait_for([&] { return !(style() & (WS_HSCROLL | WS_VSCROLL)); })) << std::hex << style();
  EXPECT_GT(client_size(window_).cx, 100);
  EXPECT_GT(client_size(window_).cy, 80);

  PostMessageA(window_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ASSERT_TRUE(wait_for([&] { return IsZoomed(window_) != FALSE; }));
  RECT before;
  GetWindowRect(window_, &before);
  show("big2.tga", tga24(1500, 900, where, false));
  ASSERT_TRUE(caption_starts("View (BIG2.TGA 1500x900x24)"));
  EXPECT_TRUE(wait_for([&] { return (style() & (WS_HSCROLL | WS_VSCROLL)) == (WS_HSCROLL | WS_VSCROLL); }));
  RECT after;
  GetWindowRect(window_, &after);
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_TRUE(IsZoomed(window_));
}

// --- Painting -----------------------------------------------------------------------------------

TEST_F(Viewer, PaintsWhatTheImageCoreRenders) {
  struct Case {
    const char* name;
    Bytes bytes;
    int w, h, stride;
    uint32_t padding;  // colour of the stride's extra columns
  };
  const Case cases[] = {
      // GIF colours keep their upper six bits: index 0, (0, 255, 3), fills the extra columns.
      {"paint.gif", gif(157, 61), 157, 61, 160, 0x00FC00},
      {"paint.tga", tga24(161, 70, where, false), 161, 70, 164, 0x000000},
      {"paint.bmp", bmp8(141, 75), 141, 75, 141, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    show(c.name, c.bytes);
    std::string upper = c.name;
    CharUpperA(&upper[0]);
    ASSERT_TRUE(caption_starts("View (" + upper)) << caption_of(window_);
    const Pixels painted = painted_client();
    ASSERT_GE(painted.width, c.stride);
    ASSERT_GE(painted.height, c.h);

    // The picture `zel view -o` writes for the same file.
    LoadedImage image;
    UiRecorder boxes;
    std::string path = folder_ + c.name;
    ASSERT_TRUE(LoadImageOfKind(ImageKindOf(&path[0]), &path[0], image, boxes.table()));
    RgbPicture picture;
    ASSERT_TRUE(RenderImage(image, picture));
    ReleaseImage(image);
    ASSERT_EQ(picture.width, c.w);
    ASSERT_EQ(picture.height, c.h);

    int differ = 0;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.stride; ++x) {
        const uint32_t seen = painted.at(x, y);
        const size_t at = (size_t(y) * c.w + x) * 3;
        differ += seen != (x < c.w ? value(Rgb{picture.rgb[at], picture.rgb[at + 1], picture.rgb[at + 2]}) : c.padding);
      }
    EXPECT_EQ(differ, 0);
    // Beyond the image: the white background.
    EXPECT_EQ(painted.at(c.stride, 0), 0xFFFFFFu);
    EXPECT_EQ(painted.at(0, c.h), 0xFFFFFFu);
    if (differ) write_bmp(painted, (folder_ + c.name + ".painted.bmp").c_str());
  }
}

}  // namespace
