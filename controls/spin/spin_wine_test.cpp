// spin.dll under Wine: the "Spin" class, its messages and parent notifications, the buddy,
// the repeat step, the press loop driven by synthetic mouse input, and what it paints.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "controls/spin/spin_core.h"
#include "tests/win32/testkit.h"

namespace {

uint32_t rgb_of(COLORREF c) { return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c); }

struct Notice {
  WPARAM wparam;
  LPARAM lparam;
  LONG value;
  DWORD tick;
};
std::vector<Notice> g_notices;
std::atomic<int> g_notice_count{0};

LRESULT CALLBACK parent_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  char cls[16] = {};
  if (m == WM_COMMAND && lp && GetClassNameA((HWND)lp, cls, sizeof cls) && std::string(cls) == "Spin") {
    g_notices.push_back({wp, lp, (LONG)SendMessageA((HWND)lp, spin::kGetValue, 0, 0), GetTickCount()});
    ++g_notice_count;
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

void mouse_button(bool down) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &in, sizeof in);
}

bool wait_for_notices(int n, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (g_notice_count.load() < n) {
    if (GetTickCount() - start > timeout_ms) return false;
    Sleep(2);
  }
  return true;
}

class SpinControl : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetAsyncKeyState(VK_LBUTTON) < 0) mouse_button(false);
    dll_ = LoadLibraryA("spin.dll");
    ASSERT_NE(dll_, nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = parent_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = "SpinTestParent";
    RegisterClassA(&wc);
    parent_ = CreateWindowExA(WS_EX_TOPMOST, "SpinTestParent", "spin", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    g_notices.clear();
    g_notice_count = 0;
  }
  void TearDown() override {
    if (GetAsyncKeyState(VK_LBUTTON) < 0) mouse_button(false);
    if (parent_) DestroyWindow(parent_);
    if (dll_) FreeLibrary(dll_);
  }

  // A 24 x 40 control (column s = 20 wide) at (10, 10) of the parent.
  HWND make_spin(DWORD style = 0, int id = 77) {
    HWND w = CreateWindowExA(0, "Spin", "", WS_CHILD | WS_VISIBLE | style, 10, 10, 24, 40, parent_,
                             (HMENU)(INT_PTR)id, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(w, nullptr);
    UpdateWindow(w);
    return w;
  }
  HWND make_edit(const char* text) {
    return CreateWindowExA(0, "Edit", text, WS_CHILD | WS_VISIBLE | WS_BORDER, 40, 10, 80, 22, parent_,
                           (HMENU)(INT_PTR)90, GetModuleHandleA(nullptr), nullptr);
  }
  static std::string text_of(HWND w) {
    char buf[64] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
  }
  static void cursor_to(HWND w, int x, int y) {
    POINT pt = {x, y};
    ClientToScreen(w, &pt);
    // The move reaches the display asynchronously, and motion events still queued from an
    // earlier move can put the cursor back: repeat until the position holds.
    const DWORD start = GetTickCount();
    int steady = 0;
    while (steady < 3 && GetTickCount() - start < 3000) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      POINT now = {};
      GetCursorPos(&now);
      if (now.x == pt.x && now.y == pt.y) {
        ++steady;
      } else {
        steady = 0;
        SetCursorPos(pt.x, pt.y);
      }
      Sleep(10);
    }
  }
  void reset_notices() {
    g_notices.clear();
    g_notice_count = 0;
  }
  std::vector<LONG> notice_values() const {
    std::vector<LONG> v;
    for (const Notice& n : g_notices) v.push_back(n.value);
    return v;
  }

  // Presses the left button over client point (x, y) of the control with real (synthetic)
  // input and runs `while_held` on another thread; the button goes up when it returns.
  void hold(HWND w, int x, int y, const std::function<void()>& while_held) {
    cursor_to(w, x, y);
    std::atomic<bool> done{false};
    mouse_button(true);
    std::thread helper([&] {
      while_held();
      mouse_button(false);
      done = true;
    });
    pump_until([&] { return done.load(); }, 10000);
    helper.join();
    pump_until([] { return false; }, 50);  // let the closing repaint happen
  }

  HMODULE dll_ = nullptr;
  HWND parent_ = nullptr;
};

TEST(SpinClass, RegisteredWhileLoadedWithItsDocumentedShape) {
  WNDCLASSA wc = {};
  HINSTANCE exe = GetModuleHandleA(nullptr);
  ASSERT_FALSE(GetClassInfoA(exe, "Spin", &wc));
  HMODULE dll = LoadLibraryA("spin.dll");
  ASSERT_NE(dll, nullptr);
  ASSERT_TRUE(GetClassInfoA(exe, "Spin", &wc));
  EXPECT_EQ(wc.style, 0x4003u);
  EXPECT_EQ(wc.cbClsExtra, 0);
  EXPECT_EQ(wc.cbWndExtra, 16);
  EXPECT_EQ(wc.hbrBackground, (HBRUSH)(COLOR_BTNFACE + 1));
  EXPECT_EQ(wc.hIcon, nullptr);
  EXPECT_EQ(wc.hCursor, LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
  EXPECT_EQ(wc.lpszMenuName, nullptr);
  EXPECT_TRUE(FreeLibrary(dll));
  EXPECT_FALSE(GetClassInfoA(exe, "Spin", &wc));
}

TEST_F(SpinControl, CreationStartsEmptyAndNotifiesTheParentOnce) {
  HWND w = make_spin(0, 0x1234);
  EXPECT_EQ(GetClassLongA(w, GCL_HMODULE), (DWORD)(DWORD_PTR)dll_);
  ASSERT_EQ(g_notices.size(), 1u);
  EXPECT_EQ(g_notices[0].wparam, MAKEWPARAM(0x1234, 1));
  EXPECT_EQ(g_notices[0].lparam, (LPARAM)w);
  EXPECT_EQ(SendMessageA(w, spin::kGetRange, 0, 0), 0);
  EXPECT_EQ(SendMessageA(w, spin::kGetValue, 0, 0), 0);
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetBuddy), 0);
  EXPECT_EQ(SendMessageA(w, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
  EXPECT_EQ(SendMessageA(w, WM_ENABLE, 1, 0), 0);
}

TEST_F(SpinControl, EverySetValueStoresAndNotifiesEvenWhenUnchanged) {
  HWND w = make_spin();
  reset_notices();
  EXPECT_EQ(SendMessageA(w, spin::kSetRange, 0, 0x00640005), 0);
  EXPECT_EQ(SendMessageA(w, spin::kGetRange, 0, 0), 0x00640005);
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetRange), 0x00640005);
  EXPECT_TRUE(g_notices.empty());

  EXPECT_EQ(SendMessageA(w, spin::kSetValue, 12345, 0), 0);  // outside the range: stored as is
  EXPECT_EQ(SendMessageA(w, spin::kSetValue, 12345, 0), 0);
  EXPECT_EQ(SendMessageA(w, spin::kSetValue, (WPARAM)-7, 0), 0);
  EXPECT_EQ(SendMessageA(w, spin::kGetValue, 0, 0), -7);
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetValue), -7);
  EXPECT_EQ(notice_values(), (std::vector<LONG>{12345, 12345, -7}));
  for (const Notice& n : g_notices) {  // the id in the low word, SPN_CHANGE in the high word
    EXPECT_EQ(n.wparam, MAKEWPARAM(77, spin::kNotifyChange));
    EXPECT_EQ(n.lparam, (LPARAM)w);
  }
}

TEST_F(SpinControl, TheBuddyShowsEveryValueSet) {
  HWND w = make_spin();
  HWND edit = make_edit("");
  EXPECT_EQ(SendMessageA(w, spin::kSetBuddy, 0, (LPARAM)edit), 0);
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetBuddy), (LONG)(LONG_PTR)edit);
  SendMessageA(w, spin::kSetValue, 42, 0);
  EXPECT_EQ(text_of(edit), "42");
  SendMessageA(w, spin::kSetValue, (WPARAM)-2147483647 - 1, 0);
  EXPECT_EQ(text_of(edit), "-2147483648");
  SendMessageA(w, spin::kSetBuddy, 0, 0);
  SendMessageA(w, spin::kSetValue, 5, 0);
  EXPECT_EQ(text_of(edit), "-2147483648");  // no buddy any more
}

TEST_F(SpinControl, APressFirstTakesTheBuddysTextLimitedToTheRange) {
  // The button is not really down, so the press ends at once, without steps.
  HWND w = make_spin();
  HWND edit = make_edit("250");
  SendMessageA(w, spin::kSetRange, 0, MAKELPARAM(5, 100));
  SendMessageA(w, spin::kSetBuddy, 0, (LPARAM)edit);
  reset_notices();
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 30));
  EXPECT_EQ(SendMessageA(w, spin::kGetValue, 0, 0), 100);
  EXPECT_EQ(text_of(edit), "100");
  EXPECT_EQ(notice_values(), (std::vector<LONG>{100}));
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetHalf), spin::kLower);
  EXPECT_EQ(GetCapture(), nullptr);

  SetWindowTextA(edit, "-3");
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 19));
  EXPECT_EQ(SendMessageA(w, spin::kGetValue, 0, 0), 5);
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetHalf), spin::kUpper);

  // empty text: the value stays, but it is still written back and announced
  SendMessageA(w, spin::kSetValue, 500, 0);
  SetWindowTextA(edit, "");
  reset_notices();
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(SendMessageA(w, spin::kGetValue, 0, 0), 500);
  EXPECT_EQ(text_of(edit), "500");
  EXPECT_EQ(g_notices.size(), 1u);

  // only the first 31 characters are read: 31 blanks and then digits read as no number
  SetWindowTextA(edit, (std::string(31, ' ') + "42").c_str());
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(SendMessageA(w, spin::kGetValue, 0, 0), 5);
  SetWindowTextA(edit, (std::string(29, ' ') + "42").c_str());
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(SendMessageA(w, spin::kGetValue, 0, 0), 42);
}

TEST_F(SpinControl, APressWithoutBuddyChangesNothingButTheHalf) {
  HWND w = make_spin();
  SendMessageA(w, spin::kSetValue, 3, 0);
  reset_notices();
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 25));
  EXPECT_TRUE(g_notices.empty());
  EXPECT_EQ(SendMessageA(w, spin::kGetValue, 0, 0), 3);
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetHalf), spin::kLower);
}

TEST_F(SpinControl, RepeatStepFollowsTheHalfUnderTheCursor) {
  HWND w = make_spin();
  SendMessageA(w, spin::kSetRange, 0, MAKELPARAM(0, 10));
  SendMessageA(w, spin::kSetValue, 5, 0);
  reset_notices();
  cursor_to(w, 8, 5);
  SendMessageA(w, spin::kStep, 0, 0);
  SendMessageA(w, spin::kStep, 0, 0);
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetHalf), spin::kUpper);
  cursor_to(w, 8, 30);
  SendMessageA(w, spin::kStep, 0, 0);
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetHalf), spin::kLower);
  cursor_to(w, 60, 30);  // outside the control: nothing at all
  SendMessageA(w, spin::kStep, 0, 0);
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetHalf), spin::kLower);
  cursor_to(w, 8, -3);
  SendMessageA(w, spin::kStep, 0, 0);
  EXPECT_EQ(notice_values(), (std::vector<LONG>{6, 7, 6}));
}

TEST_F(SpinControl, RepeatStepStopsAtTheEndsUnlessWrapping) {
  HWND plain = make_spin(0, 1);
  SendMessageA(plain, spin::kSetRange, 0, MAKELPARAM(0, 10));
  SendMessageA(plain, spin::kSetValue, 10, 0);
  reset_notices();
  cursor_to(plain, 8, 5);
  SendMessageA(plain, spin::kStep, 0, 0);
  EXPECT_EQ(SendMessageA(plain, spin::kGetValue, 0, 0), 10);
  EXPECT_TRUE(g_notices.empty());  // no change, no notification
  DestroyWindow(plain);

  HWND wrap = make_spin(spin::kStyleWrap, 2);
  SendMessageA(wrap, spin::kSetRange, 0, MAKELPARAM(3, 10));
  SendMessageA(wrap, spin::kSetValue, 10, 0);
  reset_notices();
  cursor_to(wrap, 8, 5);
  SendMessageA(wrap, spin::kStep, 0, 0);
  cursor_to(wrap, 8, 35);
  SendMessageA(wrap, spin::kStep, 0, 0);
  SendMessageA(wrap, spin::kStep, 0, 0);
  EXPECT_EQ(notice_values(), (std::vector<LONG>{3, 10, 9}));
}

class SpinPixels : public SpinControl {
 protected:
  void SetUp() override {
    SpinControl::SetUp();
    face_ = rgb_of(GetSysColor(COLOR_BTNFACE));
    shadow_ = rgb_of(GetSysColor(COLOR_BTNSHADOW));
  }
  uint32_t face_ = 0, shadow_ = 0;
  const uint32_t white_ = 0xFFFFFF, black_ = 0;
};

TEST_F(SpinPixels, RaisedButtonsFrameAndArrows) {
  HWND w = make_spin();
  const Pixels p = read_client_pixels(w);
  ASSERT_EQ(p.width, 24);
  ASSERT_EQ(p.height, 40);
  // frame of the 20-pixel column and the divider
  for (int y = 0; y < 40; ++y) EXPECT_EQ(p.at(0, y), black_) << y;
  for (int y = 0; y < 40; ++y) EXPECT_EQ(p.at(20, y), black_) << y;
  for (int x = 0; x <= 20; ++x) EXPECT_EQ(p.at(x, 20), black_) << x;
  for (int x = 0; x <= 20; ++x) EXPECT_EQ(p.at(x, 39), black_) << x;
  EXPECT_EQ(p.at(22, 10), face_);  // class background right of the column
  // raised: light left and top edges, shadow right and bottom, face inside
  EXPECT_EQ(p.at(1, 15), white_);
  EXPECT_EQ(p.at(15, 1), white_);
  EXPECT_EQ(p.at(19, 15), shadow_);
  EXPECT_EQ(p.at(15, 19), shadow_);
  EXPECT_EQ(p.at(3, 16), face_);
  EXPECT_EQ(p.at(1, 35), white_);
  EXPECT_EQ(p.at(15, 21), white_);
  EXPECT_EQ(p.at(19, 35), shadow_);
  // up arrow: tip (10, 7), base row 11 from x 6 to 14; down arrow: base row 28, tip (10, 32)
  EXPECT_EQ(p.at(10, 7), black_);
  EXPECT_EQ(p.at(9, 7), face_);
  EXPECT_EQ(p.at(11, 7), face_);
  for (int x = 6; x <= 14; ++x) EXPECT_EQ(p.at(x, 11), black_) << x;
  EXPECT_EQ(p.at(5, 11), face_);
  EXPECT_EQ(p.at(15, 11), face_);
  EXPECT_EQ(p.at(10, 6), face_);
  for (int x = 6; x <= 14; ++x) EXPECT_EQ(p.at(x, 28), black_) << x;
  EXPECT_EQ(p.at(10, 32), black_);
  EXPECT_EQ(p.at(9, 32), face_);
  EXPECT_EQ(p.at(10, 33), face_);
}

TEST_F(SpinPixels, AStepOnTheOtherHalfRedrawsItPressedAndAPressRepaintsUnpressed) {
  HWND w = make_spin();
  SendMessageA(w, spin::kSetRange, 0, MAKELPARAM(0, 10));
  SetWindowLongA(w, spin::kOffsetHalf, spin::kLower);
  cursor_to(w, 8, 5);
  SendMessageA(w, spin::kStep, 0, 0);  // drawn at once, no paint message involved
  const Pixels p = read_client_pixels(w);
  EXPECT_EQ(p.at(1, 15), shadow_);  // sunken upper button
  EXPECT_EQ(p.at(15, 1), shadow_);
  EXPECT_EQ(p.at(18, 15), face_);
  EXPECT_EQ(p.at(11, 8), black_);  // the arrow moved one right and down
  EXPECT_EQ(p.at(10, 7), face_);
  for (int x = 7; x <= 15; ++x) EXPECT_EQ(p.at(x, 12), black_) << x;
  EXPECT_EQ(p.at(1, 35), white_);  // the lower button is raised
  EXPECT_EQ(p.at(10, 32), black_);

  cursor_to(w, 8, 30);
  SendMessageA(w, spin::kStep, 0, 0);
  const Pixels down = read_client_pixels(w);
  EXPECT_EQ(down.at(1, 35), shadow_);
  EXPECT_EQ(down.at(11, 33), black_);
  EXPECT_EQ(down.at(1, 15), white_);

  // a press (button not held) ends by invalidating with erasing: unpressed again
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 30));
  EXPECT_TRUE(GetUpdateRect(w, nullptr, FALSE));
  UpdateWindow(w);
  const Pixels after = read_client_pixels(w);
  EXPECT_EQ(after.at(1, 35), white_);
  EXPECT_EQ(after.at(10, 32), black_);
}

// The press loop with synthetic input that GetAsyncKeyState sees.
TEST_F(SpinControl, HeldUpperHalfStepsAtOnceThenEvery150Ms) {
  HWND w = make_spin();
  HWND edit = make_edit("");
  SendMessageA(w, spin::kSetRange, 0, MAKELPARAM(0, 100));
  SendMessageA(w, spin::kSetValue, 10, 0);
  SendMessageA(w, spin::kSetBuddy, 0, (LPARAM)edit);
  reset_notices();
  hold(w, 8, 5, [] { wait_for_notices(5, 5000); });  // the buddy's value, then four steps
  ASSERT_GE(g_notices.size(), 5u);
  const std::vector<LONG> v = notice_values();
  EXPECT_EQ(v[0], 10);
  for (size_t i = 1; i < v.size(); ++i) EXPECT_EQ(v[i], 10 + LONG(i)) << i;
  EXPECT_EQ(text_of(edit), std::to_string(v.back()));
  // the first step follows the press at once (the buddy's value is announced at the press)
  EXPECT_LT(g_notices[1].tick - g_notices[0].tick, 100u);
  for (size_t i = 2; i < g_notices.size(); ++i)
    EXPECT_GE(g_notices[i].tick - g_notices[i - 1].tick, 140u) << i;  // tick granularity
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(read_client_pixels(w).at(1, 15), 0xFFFFFFu);  // repainted unpressed
}

TEST_F(SpinControl, MovingToTheLowerHalfReversesAndLeavingPauses) {
  HWND w = make_spin();
  SendMessageA(w, spin::kSetRange, 0, MAKELPARAM(0, 100));
  SendMessageA(w, spin::kSetValue, 50, 0);
  reset_notices();
  int while_outside = -1;
  hold(w, 8, 5, [&] {
    wait_for_notices(2, 5000);
    cursor_to(w, 8, 30);
    wait_for_notices(4, 5000);
    cursor_to(w, 80, 30);
    Sleep(50);
    const int before = g_notice_count.load();
    Sleep(500);
    while_outside = g_notice_count.load() - before;
    cursor_to(w, 8, 30);
    wait_for_notices(g_notice_count.load() + 1, 5000);
  });
  EXPECT_EQ(while_outside, 0);
  const std::vector<LONG> v = notice_values();
  ASSERT_GE(v.size(), 5u);
  EXPECT_EQ(std::vector<LONG>(v.begin(), v.begin() + 4), (std::vector<LONG>{51, 52, 51, 50}));
  for (size_t i = 4; i < v.size(); ++i) EXPECT_EQ(v[i], v[i - 1] - 1);
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetHalf), spin::kLower);
}

TEST_F(SpinControl, HoldingAtTheMaximumStepsOnlyWithWrap) {
  HWND plain = make_spin(0, 1);
  SendMessageA(plain, spin::kSetRange, 0, MAKELPARAM(0, 10));
  SendMessageA(plain, spin::kSetValue, 10, 0);
  reset_notices();
  hold(plain, 8, 5, [] { Sleep(400); });
  EXPECT_TRUE(g_notices.empty());
  EXPECT_EQ(SendMessageA(plain, spin::kGetValue, 0, 0), 10);
  DestroyWindow(plain);

  HWND wrap = make_spin(spin::kStyleWrap, 2);
  SendMessageA(wrap, spin::kSetRange, 0, MAKELPARAM(0, 10));
  SendMessageA(wrap, spin::kSetValue, 10, 0);
  reset_notices();
  hold(wrap, 8, 5, [] { wait_for_notices(2, 5000); });
  EXPECT_EQ(notice_values(), (std::vector<LONG>{0, 1}));
}

TEST_F(SpinControl, AHeldPressStartsFromTheClampedBuddyValue) {
  HWND w = make_spin();
  HWND edit = make_edit("250");
  SendMessageA(w, spin::kSetRange, 0, MAKELPARAM(0, 100));
  SendMessageA(w, spin::kSetBuddy, 0, (LPARAM)edit);
  reset_notices();
  hold(w, 8, 35, [] { wait_for_notices(3, 5000); });
  const std::vector<LONG> v = notice_values();
  ASSERT_GE(v.size(), 3u);
  EXPECT_EQ(std::vector<LONG>(v.begin(), v.begin() + 3), (std::vector<LONG>{100, 99, 98}));
}

}  // namespace
