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
#include "viewer/view_window.h"

namespace {

// --- Test images, written here with known pixels -------------------------------------------

struct Rgb {
  uint8_t r, g, b;
  uint32_t value() const { return uint32_t(r) << 16 | uint32_t(g) << 8 | b; }
};
using PixelFn = std::function<Rgb(int x, int y)>;
using IndexFn = std::function<uint8_t(int x, int y)>;

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// Uncompressed 24-bit TGA, rows stored from the bottom (descriptor 0) or the top (0x20).
std::vector<uint8_t> tga24(int w, int h, const PixelFn& px, bool top_first) {
  std::vector<uint8_t> out = {0, 0, 2, 0, 0, 0, 0, 0};
  put16(out, 0), put16(out, 0), put16(out, w), put16(out, h);
  out.push_back(24);
  out.push_back(top_first ? 0x20 : 0);
  for (int row = 0; row < h; ++row) {
    const int y = top_first ? row : h - 1 - row;
    for (int x = 0; x < w; ++x) {
      const Rgb c = px(x, y);
      out.insert(out.end(), {c.b, c.g, c.r});
    }
  }
  return out;
}

// 8-bit BMP with a 256-colour table, bottom-up rows padded to 4 bytes.
std::vector<uint8_t> bmp8(int w, int h, const std::vector<Rgb>& palette, const IndexFn& index) {
  const uint32_t row = (uint32_t(w) + 3) / 4 * 4, offset = 14 + 40 + 256 * 4;
  std::vector<uint8_t> out = {'B', 'M'};
  put32(out, offset + row * h), put32(out, 0), put32(out, offset);
  put32(out, 40), put32(out, w), put32(out, h), put16(out, 1), put16(out, 8);
  put32(out, 0), put32(out, row * h), put32(out, 0), put32(out, 0), put32(out, 256), put32(out, 0);
  for (const Rgb& c : palette) out.insert(out.end(), {c.b, c.g, c.r, 0});
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) out.push_back(index(x, y));
    out.resize(out.size() + (row - uint32_t(w)), 0);
  }
  return out;
}

// GIF with a 256-colour global table and one image whose LZW data holds only literal codes
// (9 bits wide), a clear code before every 250 of them so the code width never grows.
std::vector<uint8_t> gif(int w, int h, const std::vector<Rgb>& palette, const IndexFn& index) {
  std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
  put16(out, w), put16(out, h);
  out.insert(out.end(), {0xF7, 0, 0});
  for (const Rgb& c : palette) out.insert(out.end(), {c.r, c.g, c.b});
  out.push_back(0x2C);
  put16(out, 0), put16(out, 0), put16(out, w), put16(out, h);
  out.insert(out.end(), {0, 8});
  std::vector<uint8_t> data;
  uint32_t bits = 0, count = 0;
  auto code = [&](uint32_t c) {
    bits |= c << count;
    for (count += 9; count >= 8; count -= 8, bits >>= 8) data.push_back(uint8_t(bits));
  };
  int since_clear = 250;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (since_clear == 250) code(256), since_clear = 0;
      code(index(x, y)), ++since_clear;
    }
  code(257);
  if (count) data.push_back(uint8_t(bits));
  for (size_t at = 0; at < data.size(); at += 255) {
    const size_t n = std::min<size_t>(255, data.size() - at);
    out.push_back(uint8_t(n));
    out.insert(out.end(), data.begin() + long(at), data.begin() + long(at + n));
  }
  out.insert(out.end(), {0, 0x3B});
  return out;
}

std::vector<Rgb> test_palette() {
  std::vector<Rgb> p(256);
  for (int i = 0; i < 256; ++i) p[i] = {uint8_t(i), uint8_t(255 - i), uint8_t((i * 37 + 3) & 255)};
  return p;
}
uint8_t test_index(int x, int y) { return uint8_t(x * 7 + y * 13); }

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

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
  std::fclose(f);
}

void set_setting(const char* key, const std::string& value) {
  WritePrivateProfileStringA(view::kSection, key, value.c_str(), view::kProfileFile);
}
std::string setting(const char* key) {
  char buf[256] = {};
  GetPrivateProfileStringA(view::kSection, key, "(missing)", buf, sizeof buf, view::kProfileFile);
  return buf;
}

// --- The program ------------------------------------------------------------------------------

bool wait_for(const std::function<bool()>& done, DWORD timeout_ms = 5000) {
  for (const DWORD start = GetTickCount(); !done(); Sleep(20))
    if (GetTickCount() - start > timeout_ms) return false;
  return true;
}

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
  void show(const std::string& name, const std::vector<uint8_t>& bytes, LPARAM lparam = 0) {
    write_file(folder_ + name, bytes);
    set_setting("FILE", name);
    set_setting("PATH", folder_);
    PostMessageA(window_, WM_COMMAND, view::kCmdHostFile, lparam);
  }
  bool caption_starts(const std::string& text) {
    return wait_for([&] { return caption_of(window_).rfind(text, 0) == 0; });
  }
  // Waits until painting has settled: two read-backs 60 ms apart that agree.
  Pixels settled_client() {
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
  EXPECT_EQ(GetClassLongA(window_, GCL_STYLE), 0u);
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

  // Every identifier answers 1; 104 and unknown ones do nothing.
  for (WPARAM id : {104, 100, 110, 0x7FFF}) {
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutA(window_, WM_COMMAND, id, 0, SMTO_ABORTIFHUNG, 2000, &result));
    EXPECT_EQ(result, 1u) << id;
  }
  EXPECT_TRUE(IsWindow(window_));
}

TEST_F(Viewer, ResourcesHoldTheMenuStringsAndIcon) {
  HMODULE exe = LoadLibraryExA("viewer.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  for (int id = view::kStringFirst; id <= view::kStringLast; ++id) {
    char text[256] = {};
    LoadStringA(exe, id, text, sizeof text);
    EXPECT_STREQ(text, view::ViewerString(id)) << id;
  }
  EXPECT_NE(FindResourceA(exe, "VIEWICON", MAKEINTRESOURCEA(14)), nullptr);  // RT_GROUP_ICON

  HMENU menu = LoadMenuA(exe, "ShowMenu");
  ASSERT_NE(menu, nullptr);
  struct Item {
    int popup, position;
    const char* text;
    UINT id;
  };
  const Item items[] = {{0, 0, "&Open", 105}, {0, 1, "E&xit", 108},
                        {1, 0, "&Screen resolution", 101}, {1, 1, "Available &colors", 102}};
  const char* popups[] = {"&File", "&Screen"};
  ASSERT_EQ(GetMenuItemCount(menu), 2);
  for (int p = 0; p < 2; ++p) {
    char text[64] = {};
    GetMenuStringA(menu, p, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, popups[p]);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, p)), 2);
  }
  for (const Item& i : items) {
    HMENU sub = GetSubMenu(menu, i.popup);
    char text[64] = {};
    GetMenuStringA(sub, i.position, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, i.text);
    EXPECT_EQ(GetMenuItemID(sub, i.position), i.id) << i.text;
  }
  DestroyMenu(menu);
  FreeLibrary(exe);
}

TEST_F(Viewer, ScreenInformationBoxes) {
  HDC screen = GetDC(nullptr);
  const int width = GetDeviceCaps(screen, HORZRES), depth = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  struct Case {
    int command;
    const char* caption;
    const char* text;
  };
  // The 1024x768 virtual desktop; the depth Xvfb was started with.
  ASSERT_EQ(width, 1024);
  const Case cases[] = {{101, "Screen resolution", "Width x Height  1024x768"},
                        {102, "Available colors", view::ViewerString(view::ColourTextId(depth))}};
  for (const Case& c : cases) {
    PostMessageA(window_, WM_COMMAND, c.command, 0);
    HWND box = find_box(c.caption);
    ASSERT_NE(box, nullptr) << c.caption;
    EXPECT_EQ(message_box_text(box), c.text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(wait_for([&] { return !IsWindow(box); }));
  }
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
  write_file(folder_ + "car.gif", gif(40, 30, test_palette(), test_index));
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
    bool hidden;
    bool render_forward;
  };
  const Case cases[] = {
      {"first.tga", view::kCmdHostFile, 0, 200, 120, false, false},
      {"second.bmp", view::kCmdHostFile, 1, 170, 100, false, true},
      {"map.gif", view::kCmdMapFile, 0, 180, 90, false, false},
      {"hidden.tga", view::kCmdHostFile, 0, 210, 130, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetForegroundWindow(other);
    pump();
    const std::string path = folder_ + c.name;
    const std::string ext = path.substr(path.size() - 3);
    if (ext == "tga") write_file(path, tga24(c.w, c.h, where, false));
    if (ext == "bmp") write_file(path, bmp8(c.w, c.h, test_palette(), test_index));
    if (ext == "gif") write_file(path, gif(c.w, c.h, test_palette(), test_index));
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
    const std::string expected = view::ViewCaption(name.c_str(), c.w, c.h, ext == "tga" ? 24 : 8);
    ASSERT_TRUE(wait_for([&] { return caption_of(window_) == expected; })) << caption_of(window_);
    // The window fits the image: a client one pixel larger than the extent each way.
    ASSERT_TRUE(wait_for([&] { return client_size(window_).cx == stride + 1; }));
    EXPECT_EQ(client_size(window_).cy, c.h + 1);
    EXPECT_EQ(IsWindowVisible(window_) != FALSE, !c.hidden);
    pump();
    if (c.render_forward) EXPECT_TRUE(wait_for([&] { pump(); return GetForegroundWindow() == render; }));
    else EXPECT_NE(GetForegroundWindow(), render);
  }
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
  for (const Step& s : steps) {
    PostMessageA(window_, WM_KEYDOWN, s.key, 1);
    PostMessageA(window_, WM_KEYUP, s.key, 0xC0000001);
    const Pixels p = settled_client();
    ASSERT_GT(p.width, 0);
    const POINT at = decode_where(p.at(0, 0));
    EXPECT_EQ(at.x, s.x) << "key " << s.key;
    EXPECT_EQ(at.y, s.y) << "key " << s.key;
    // The whole client shows the picture from that corner on.
    EXPECT_EQ(p.at(319, 199), where(s.x + 319, s.y + 199).value());
  }
  // Past the end the view stops at the last position: 700 - 320 and 500 - 200.
  for (int i = 0; i < 6; ++i) PostMessageA(window_, WM_KEYDOWN, VK_END, 1), PostMessageA(window_, WM_KEYDOWN, VK_NEXT, 1);
  const POINT end = decode_where(settled_client().at(0, 0));
  EXPECT_EQ(end.x, 380);
  EXPECT_EQ(end.y, 300);
}

TEST_F(Viewer, SmallImageLosesTheBarsAndAMaximisedWindowKeepsItsSize) {
  show("big.tga", tga24(700, 500, where, false));
  ASSERT_TRUE(caption_starts("View (BIG.TGA"));
  ASSERT_TRUE(set_client(300, 200));
  EXPECT_TRUE(style() & (WS_HSCROLL | WS_VSCROLL));

  show("small.bmp", bmp8(100, 80, test_palette(), test_index));
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
    std::vector<uint8_t> bytes;
    int w, h, stride;
    uint32_t padding;  // colour of the stride's extra columns
    PixelFn expected;  // the pixels written, as the viewer keeps them
  };
  const std::vector<Rgb> palette = test_palette();
  auto indexed = [&](uint8_t mask) {
    return [&palette, mask](int x, int y) {
      const Rgb c = palette[test_index(x, y)];
      return Rgb{uint8_t(c.r & mask), uint8_t(c.g & mask), uint8_t(c.b & mask)};
    };
  };
  const Rgb gif0 = {uint8_t(palette[0].r & 0xFC), uint8_t(palette[0].g & 0xFC), uint8_t(palette[0].b & 0xFC)};
  const Case cases[] = {
      // GIF colours keep their upper six bits; index 0 fills the stride's columns.
      {"paint.gif", gif(157, 61, palette, test_index), 157, 61, 160, gif0.value(), indexed(0xFC)},
      {"paint.tga", tga24(161, 70, where, false), 161, 70, 164, 0x000000, where},
      {"paint.bmp", bmp8(141, 75, palette, test_index), 141, 75, 141, 0, indexed(0xFF)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    show(c.name, c.bytes);
    std::string upper = c.name;
    CharUpperA(&upper[0]);
    ASSERT_TRUE(caption_starts("View (" + upper)) << caption_of(window_);
    const Pixels painted = settled_client();
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

    int differ_core = 0, differ_written = 0;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.stride; ++x) {
        const uint32_t seen = painted.at(x, y);
        if (x < c.w) {
          const uint8_t* rgb = &picture.rgb[(size_t(y) * c.w + x) * 3];
          differ_core += seen != (uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2]);
          differ_written += seen != c.expected(x, y).value();
        } else {
          differ_written += seen != c.padding;
        }
      }
    EXPECT_EQ(differ_core, 0);
    EXPECT_EQ(differ_written, 0);
    // Beyond the image: the white background.
    EXPECT_EQ(painted.at(c.stride, 0), 0xFFFFFFu);
    EXPECT_EQ(painted.at(0, c.h), 0xFFFFFFu);
    if (differ_core || differ_written) write_bmp(painted, (folder_ + c.name + ".painted.bmp").c_str());
  }
}

}  // namespace
