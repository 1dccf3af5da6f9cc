// progress.dll under Wine: the "Update" class as the library registers it, its messages, and
// what a bar paints, read back from the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "controls/progress/progress_core.h"
#include "tests/win32/testkit.h"

namespace {

uint32_t rgb_of(COLORREF c) { return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c); }
const uint32_t kBlue = 0x0000FF;

LRESULT CALLBACK parent_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

class UpdateBar : public ::testing::Test {
 protected:
  void SetUp() override {
    dll_ = LoadLibraryA("progress.dll");
    ASSERT_NE(dll_, nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = parent_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = "UpdateTestParent";
    RegisterClassA(&wc);
    parent_ = CreateWindowExA(WS_EX_TOPMOST, "UpdateTestParent", "bars", WS_POPUP | WS_VISIBLE, 20, 20, 300, 200,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    window_colour_ = rgb_of(GetSysColor(COLOR_WINDOW));
  }
  void TearDown() override {
    if (parent_) DestroyWindow(parent_);
    if (dll_) FreeLibrary(dll_);
  }

  HWND bar(int width, int height, int id = 5) {
    HWND w = CreateWindowExA(0, "Update", "", WS_CHILD | WS_VISIBLE, 10, 10 + 30 * (id - 5), width, height, parent_,
                             (HMENU)(INT_PTR)id, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(w, nullptr);
    UpdateWindow(w);
    return w;
  }
  static Pixels shown(HWND w) {
    UpdateWindow(w);
    return read_client_pixels(w);
  }
  // Columns of row y whose pixel is blue.
  static int blue_in_row(const Pixels& p, int y) {
    int n = 0;
    for (int x = 0; x < p.width; ++x) n += p.at(x, y) == kBlue;
    return n;
  }
  // Horizontal extent [first, last] of the label: pixels that differ from the plain bar, i.e.
  // window-coloured over the fill or blue over the rest.
  void label_extent(const Pixels& p, int fill, int* first, int* last) const {
    *first = p.width;
    *last = -1;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        const uint32_t plain = x < fill ? kBlue : window_colour_;
        if (p.at(x, y) != plain) {
          *first = std::min(*first, x);
          *last = std::max(*last, x);
        }
      }
  }
  static int text_width(HWND w, const char* text) {
    HDC dc = GetDC(w);
    HFONT font = (HFONT)SendMessageA(w, WM_GETFONT, 0, 0);
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SIZE size = {};
    GetTextExtentPointA(dc, text, int(strlen(text)), &size);
    if (old) SelectObject(dc, old);
    ReleaseDC(w, dc);
    return size.cx;
  }

  HMODULE dll_ = nullptr;
  HWND parent_ = nullptr;
  uint32_t window_colour_ = 0;
};

TEST(UpdateClass, RegisteredWhileLoadedWithItsDocumentedShape) {
  WNDCLASSA wc = {};
  HINSTANCE exe = GetModuleHandleA(nullptr);
  ASSERT_FALSE(GetClassInfoA(exe, "Update", &wc));
  HMODULE dll = LoadLibraryA("progress.dll");
  ASSERT_NE(dll, nullptr);
  ASSERT_TRUE(GetClassInfoA(exe, "Update", &wc));
  EXPECT_EQ(wc.style, UINT(CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS));
  EXPECT_EQ(wc.style, 0x4003u);
  EXPECT_EQ(wc.cbClsExtra, 0);
  EXPECT_EQ(wc.cbWndExtra, 12);
  EXPECT_EQ(wc.hbrBackground, nullptr);
  EXPECT_EQ(wc.hIcon, nullptr);
  EXPECT_EQ(wc.hCursor, LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
  EXPECT_EQ(wc.lpszMenuName, nullptr);
  EXPECT_TRUE(FreeLibrary(dll));
  EXPECT_FALSE(GetClassInfoA(exe, "Update", &wc));
}

TEST(UpdateClass, AClassAlreadyThereIsLeftAloneOnUnload) {
  // The name is taken before the library loads: its registration fails, and unloading must
  // not remove the class it did not register.
  HINSTANCE exe = GetModuleHandleA(nullptr);
  WNDCLASSA mine = {};
  mine.style = CS_GLOBALCLASS;
  mine.lpfnWndProc = parent_proc;
  mine.hInstance = exe;
  mine.lpszClassName = "Update";
  ASSERT_TRUE(RegisterClassA(&mine));
  HMODULE dll = LoadLibraryA("progress.dll");
  ASSERT_NE(dll, nullptr);
  WNDCLASSA wc = {};
  ASSERT_TRUE(GetClassInfoA(exe, "Update", &wc));
  EXPECT_EQ(wc.lpfnWndProc, (WNDPROC)parent_proc);
  FreeLibrary(dll);
  ASSERT_TRUE(GetClassInfoA(exe, "Update", &wc));
  EXPECT_EQ(wc.lpfnWndProc, (WNDPROC)parent_proc);
  UnregisterClassA("Update", exe);
}

TEST_F(UpdateBar, MessagesStoreInTheExtraBytesAndAnswer) {
  HWND w = bar(100, 20);
  EXPECT_EQ(GetClassLongA(w, GCL_HMODULE), (DWORD)(DWORD_PTR)dll_);  // the library's class
  EXPECT_EQ(SendMessageA(w, progress::kGetRange, 0, 0), 100);
  EXPECT_EQ(SendMessageA(w, progress::kGetPos, 0, 0), 50);
  EXPECT_EQ(SendMessageA(w, progress::kSetRange, 0x10064, 0), 0);
  EXPECT_EQ(SendMessageA(w, progress::kSetPos, 0x2A, 0), 0);
  EXPECT_EQ(SendMessageA(w, progress::kGetRange, 0, 0), 0x10064);  // stored whole, not clamped
  EXPECT_EQ(SendMessageA(w, progress::kGetPos, 0, 0), 0x2A);
  EXPECT_EQ(GetWindowLongA(w, progress::kOffsetRange), 0x10064);
  EXPECT_EQ(GetWindowLongA(w, progress::kOffsetPosition), 0x2A);
  EXPECT_EQ(SendMessageA(w, WM_GETFONT, 0, 0), 0);
  HFONT font = (HFONT)GetStockObject(ANSI_VAR_FONT);
  EXPECT_EQ(SendMessageA(w, WM_SETFONT, (WPARAM)font, 0), 0);
  EXPECT_EQ((HFONT)SendMessageA(w, WM_GETFONT, 0, 0), font);
  EXPECT_EQ(GetWindowLongA(w, progress::kOffsetFont), (LONG)(LONG_PTR)font);
  EXPECT_EQ(SendMessageA(w, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
  EXPECT_EQ(SendMessageA(w, WM_ENABLE, 0, 0), 0);
}

TEST_F(UpdateBar, SettingAValueRepaintsAtOnceAndTheFontOnlyWhenAsked) {
  HWND w = bar(100, 20);
  SendMessageA(w, progress::kSetPos, 80, 0);
  // no message pumped: the paint already happened
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
  EXPECT_EQ(blue_in_row(read_client_pixels(w), 0), 80);
  SendMessageA(w, progress::kSetRange, 200, 0);
  EXPECT_EQ(blue_in_row(read_client_pixels(w), 0), 40);

  ValidateRect(w, nullptr);
  SendMessageA(w, WM_SETFONT, (WPARAM)GetStockObject(ANSI_VAR_FONT), FALSE);
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
  SendMessageA(w, WM_SETFONT, (WPARAM)GetStockObject(ANSI_VAR_FONT), TRUE);
  EXPECT_TRUE(GetUpdateRect(w, nullptr, FALSE));
  ValidateRect(w, nullptr);
  EnableWindow(w, FALSE);
  EXPECT_TRUE(GetUpdateRect(w, nullptr, FALSE));
}

TEST_F(UpdateBar, QuarterFillAndItsLabel) {
  HWND w = bar(100, 20);
  SendMessageA(w, progress::kSetRange, 200, 0);
  SendMessageA(w, progress::kSetPos, 50, 0);
  const Pixels p = shown(w);
  ASSERT_EQ(p.width, 100);
  for (int x = 0; x < 100; ++x) EXPECT_EQ(p.at(x, 0), x < 25 ? kBlue : window_colour_) << x;
  EXPECT_EQ(blue_in_row(p, p.height - 1), 25);

  int first = 0, last = 0;
  label_extent(p, 25, &first, &last);
  const int width = text_width(w, "25%");
  ASSERT_GT(width, 0);
  EXPECT_GE(last - first + 1, width - 4);  // glyphs' side bearings may leave blank columns
  EXPECT_LE(last - first + 1, width);
  EXPECT_NEAR((first + last + 1) / 2.0, 50.0, 2.0);

  // The same picture as a bar that was asked for 25 of 100, and unlike 26 of 100.
  HWND same = bar(100, 20, 6);
  SendMessageA(same, progress::kSetRange, 100, 0);
  SendMessageA(same, progress::kSetPos, 25, 0);
  EXPECT_EQ(shown(same).data, p.data);
  SendMessageA(same, progress::kSetPos, 26, 0);
  EXPECT_NE(shown(same).data, p.data);
}

TEST_F(UpdateBar, OnlyTheLowWordOfRangeAndPositionCounts) {
  HWND a = bar(100, 20);
  SendMessageA(a, progress::kSetRange, 100, 0);
  SendMessageA(a, progress::kSetPos, 30, 0);
  HWND b = bar(100, 20, 6);
  SendMessageA(b, progress::kSetRange, 0x10064, 0);
  SendMessageA(b, progress::kSetPos, 0x3001E, 0);
  const Pixels pa = shown(a);
  EXPECT_EQ(blue_in_row(pa, 0), 30);
  EXPECT_EQ(shown(b).data, pa.data);
}

TEST_F(UpdateBar, RangeZeroFillsNothingAndShowsZeroPercent) {
  HWND w = bar(100, 20);
  SendMessageA(w, progress::kSetRange, 0, 0);
  SendMessageA(w, progress::kSetPos, 40, 0);
  const Pixels p = shown(w);
  EXPECT_EQ(blue_in_row(p, 0), 0);
  EXPECT_EQ(blue_in_row(p, p.height - 1), 0);
  int first = 0, last = 0;
  label_extent(p, 0, &first, &last);
  ASSERT_GE(last, first);
  EXPECT_LE(last - first + 1, text_width(w, "0%"));
  EXPECT_GE(last - first + 1, text_width(w, "0%") - 4);

  HWND zero = bar(100, 20, 6);
  SendMessageA(zero, progress::kSetRange, 100, 0);
  SendMessageA(zero, progress::kSetPos, 0, 0);
  EXPECT_EQ(shown(zero).data, p.data);
}

TEST_F(UpdateBar, NewBarIsHalfFullAndAFullOneIsAllBlue) {
  HWND w = bar(120, 20);
  const Pixels p = shown(w);
  EXPECT_EQ(blue_in_row(p, 0), 60);
  for (int x = 0; x < 60; ++x) EXPECT_EQ(p.at(x, 0), kBlue);
  // "50%" straddles the edge: window-coloured glyph pixels on the left, blue on the right
  int light_left = 0, blue_right = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      light_left += x < 60 && p.at(x, y) == window_colour_;
      blue_right += x >= 60 && p.at(x, y) == kBlue;
    }
  EXPECT_GT(light_left, 0);
  EXPECT_GT(blue_right, 0);

  SendMessageA(w, progress::kSetPos, 100, 0);
  const Pixels full = shown(w);
  EXPECT_EQ(blue_in_row(full, 0), 120);
  SendMessageA(w, progress::kSetPos, 250, 0);  // beyond the range: still the whole bar
  EXPECT_EQ(blue_in_row(shown(w), 0), 120);
  EXPECT_NE(shown(w).data, full.data);  // "250%" instead of "100%"
}

TEST_F(UpdateBar, TheSelectedFontIsUsedForTheLabel) {
  HWND w = bar(160, 30);
  SendMessageA(w, progress::kSetPos, 0, 0);
  const Pixels system_font = shown(w);
  HFONT big = CreateFontA(-24, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  SendMessageA(w, WM_SETFONT, (WPARAM)big, TRUE);
  const Pixels big_font = shown(w);
  EXPECT_NE(big_font.data, system_font.data);
  int first = 0, last = 0;
  label_extent(big_font, 0, &first, &last);
  EXPECT_LE(last - first + 1, text_width(w, "0%"));
  EXPECT_GE(last - first + 1, text_width(w, "0%") - 6);
  DestroyWindow(w);
  DeleteObject(big);
}

}  // namespace
