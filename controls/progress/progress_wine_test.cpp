// progress.dll under Wine: the "Update" class as the library registers it, its messages, and
// what a bar paints, read back from the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "controls/progress/progress_core.h"
#include "controls/wine_test_support.h"
#include "tests/win32/testkit.h"

namespace {

using controls_test::parent_proc;
const uint32_t kBlue = 0x0000FF;

TEST(UpdateClass, ExistsFromLoadToUnloadAndLeavesAForeignClassAlone) {
  WNDCLASSA wc = {};
  HINSTANCE exe = GetModuleHandleA(nullptr);
  ASSERT_FALSE(GetClassInfoA(exe, "Update", &wc));
  HMODULE dll = LoadLibraryA("progress.dll");
  ASSERT_NE(dll, nullptr);
  ASSERT_TRUE(GetClassInfoA(exe, "Update", &wc));
  EXPECT_EQ(wc.style, 0x4003u);  // CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS
  EXPECT_EQ(wc.cbClsExtra, 0);
  EXPECT_EQ(wc.cbWndExtra, 12);
  EXPECT_EQ(wc.hbrBackground, nullptr);
  EXPECT_EQ(wc.hIcon, nullptr);
  EXPECT_EQ(wc.hCursor, LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
  EXPECT_TRUE(FreeLibrary(dll));
  EXPECT_FALSE(GetClassInfoA(exe, "Update", &wc));

  // The name taken before the load: registration fails, and the unload must not remove a
  // class the library did not register.
  WNDCLASSA mine = {};
  mine.style = CS_GLOBALCLASS;
  mine.lpfnWndProc = parent_proc;
  mine.hInstance = exe;
  mine.lpszClassName = "Update";
  ASSERT_TRUE(RegisterClassA(&mine));
  FreeLibrary(LoadLibraryA("progress.dll"));
  ASSERT_TRUE(GetClassInfoA(exe, "Update", &wc));
  EXPECT_EQ(wc.lpfnWndProc, (WNDPROC)parent_proc);
}

class UpdateBar : public ::testing::Test {
 protected:
  void SetUp() override {
    dll_ = LoadLibraryA("progress.dll");
    ASSERT_NE(dll_, nullptr);
    parent_ = controls_test::make_parent(20, 20);
    ASSERT_NE(parent_, nullptr);
    window_ = controls_test::rgb_of(GetSysColor(COLOR_WINDOW));
  }
  void TearDown() override {
    DestroyWindow(parent_);
    FreeLibrary(dll_);
  }
  HWND bar(uint32_t range, uint32_t position, int width = 100) {
    HWND w = controls_test::make_child(parent_, "Update", "", 0, 10, 10 + 25 * bars_++, width, 20, 5);
    EXPECT_NE(w, nullptr);
    if (range != progress::kInitialRange) SendMessageA(w, progress::kSetRange, range, 0);
    if (position != progress::kInitialPosition) SendMessageA(w, progress::kSetPos, position, 0);
    UpdateWindow(w);
    return w;
  }
  static int blue_in_row(const Pixels& p, int y) {
    return int(std::count(p.data.begin() + y * p.width, p.data.begin() + (y + 1) * p.width, kBlue));
  }
  // Width of the label: columns holding a pixel that differs from the plain bar.
  int label_width(const Pixels& p, int fill) const {
    int first = p.width, last = -1;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x)
        if (p.at(x, y) != (x < fill ? kBlue : window_)) first = std::min(first, x), last = std::max(last, x);
    return last - first + 1;
  }
  static int text_width(HWND w, const char* text) {
    HDC dc = GetDC(w);
    SIZE size = {};
    GetTextExtentPointA(dc, text, int(strlen(text)), &size);
    ReleaseDC(w, dc);
    return size.cx;
  }

  HMODULE dll_ = nullptr;
  HWND parent_ = nullptr;
  uint32_t window_ = 0;
  int bars_ = 0;
};

TEST_F(UpdateBar, MessagesKeepTheirValuesInTheExtraBytes) {
  HWND w = bar(progress::kInitialRange, progress::kInitialPosition);
  EXPECT_EQ(GetClassLongA(w, GCL_HMODULE), (DWORD)(DWORD_PTR)dll_);
  EXPECT_EQ(SendMessageA(w, progress::kGetRange, 0, 0), 100);
  EXPECT_EQ(SendMessageA(w, progress::kGetPos, 0, 0), 50);
  EXPECT_EQ(SendMessageA(w, progress::kSetRange, 0x10064, 0), 0);
  EXPECT_EQ(SendMessageA(w, progress::kSetPos, 0x2A, 0), 0);
  EXPECT_EQ(SendMessageA(w, progress::kGetRange, 0, 0), 0x10064);  // stored whole
  EXPECT_EQ(GetWindowLongA(w, progress::kOffsetRange), 0x10064);
  EXPECT_EQ(GetWindowLongA(w, progress::kOffsetPosition), 0x2A);
  HFONT font = (HFONT)GetStockObject(ANSI_VAR_FONT);
  EXPECT_EQ(SendMessageA(w, WM_SETFONT, (WPARAM)font, 0), 0);
  EXPECT_EQ((HFONT)SendMessageA(w, WM_GETFONT, 0, 0), font);
  EXPECT_EQ(GetWindowLongA(w, progress::kOffsetFont), (LONG)(LONG_PTR)font);
  EXPECT_EQ(SendMessageA(w, WM_GETDLGCODE, 0, 0), DLGC_STATIC);

  // a value change paints at once; the font only invalidates when asked, as does enabling
  SendMessageA(w, progress::kSetPos, 0x10050, 0);
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
  EXPECT_EQ(blue_in_row(read_client_pixels(w), 0), 80);
  SendMessageA(w, WM_SETFONT, (WPARAM)font, FALSE);
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
  SendMessageA(w, WM_SETFONT, (WPARAM)font, TRUE);
  EXPECT_TRUE(GetUpdateRect(w, nullptr, FALSE));
  ValidateRect(w, nullptr);
  EnableWindow(w, FALSE);
  EXPECT_TRUE(GetUpdateRect(w, nullptr, FALSE));
}

TEST_F(UpdateBar, QuarterFillWithItsLabelCentred) {
  HWND w = bar(200, 50);
  const Pixels p = read_client_pixels(w);
  ASSERT_EQ(p.width, 100);
  for (int x = 0; x < 100; ++x) EXPECT_EQ(p.at(x, 0), x < 25 ? kBlue : window_) << x;
  EXPECT_EQ(blue_in_row(p, 19), 25);
  EXPECT_LE(label_width(p, 25), text_width(w, "25%"));
  EXPECT_GE(label_width(p, 25), text_width(w, "25%") - 4);  // side bearings may stay blank
  // exactly what a bar asked for 25 of 100 shows, and not what 26 of 100 shows
  EXPECT_EQ(read_client_pixels(bar(100, 25)).data, p.data);
  EXPECT_NE(read_client_pixels(bar(100, 26)).data, p.data);
}

TEST_F(UpdateBar, LowWordsOnlyRangeZeroAndTheEnds) {
  const Pixels thirty = read_client_pixels(bar(100, 30));
  EXPECT_EQ(blue_in_row(thirty, 0), 30);
  EXPECT_EQ(read_client_pixels(bar(0x10064, 0x3001E)).data, thirty.data);

  HWND zero = bar(0, 40);
  const Pixels none = read_client_pixels(zero);
  EXPECT_EQ(blue_in_row(none, 0) + blue_in_row(none, 19), 0);
  EXPECT_GE(label_width(none, 0), text_width(zero, "0%") - 4);
  EXPECT_LE(label_width(none, 0), text_width(zero, "0%"));
  EXPECT_EQ(read_client_pixels(bar(100, 0)).data, none.data);

  const Pixels full = read_client_pixels(bar(100, 100));
  EXPECT_EQ(blue_in_row(full, 0), 100);
  const Pixels beyond = read_client_pixels(bar(100, 250));
  EXPECT_EQ(blue_in_row(beyond, 0), 100);
  EXPECT_NE(beyond.data, full.data);  // "250%", not "100%"
}

TEST_F(UpdateBar, ANewBarIsHalfFullWithItsLabelInBothColours) {
  const Pixels p = read_client_pixels(bar(progress::kInitialRange, progress::kInitialPosition, 120));
  EXPECT_EQ(blue_in_row(p, 0), 60);
  int light_left = 0, blue_right = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      light_left += x < 60 && p.at(x, y) == window_;
      blue_right += x >= 60 && p.at(x, y) == kBlue;
    }
  EXPECT_GT(light_left, 0);
  EXPECT_GT(blue_right, 0);
}

}  // namespace
