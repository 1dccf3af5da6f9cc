// spin.dll under Wine: the "Spin" class, its messages and parent notifications, the buddy,
// the repeat step, the press loop driven by synthetic mouse input, and what it paints.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "controls/spin/spin_core.h"
#include "controls/wine_test_support.h"
#include "tests/win32/testkit.h"

namespace {

using namespace controls_test;
using Values = std::vector<LONG>;

TEST(SpinClass, ExistsFromLoadToUnload) {
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
  EXPECT_TRUE(FreeLibrary(dll));
  EXPECT_FALSE(GetClassInfoA(exe, "Spin", &wc));
}

class SpinControl : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetAsyncKeyState(VK_LBUTTON) < 0) mouse_button(false);
    dll_ = LoadLibraryA("spin.dll");
    ASSERT_NE(dll_, nullptr);
    parent_ = make_parent(100, 100);
    ASSERT_NE(parent_, nullptr);
  }
  void TearDown() override {
    if (GetAsyncKeyState(VK_LBUTTON) < 0) mouse_button(false);
    DestroyWindow(parent_);
    FreeLibrary(dll_);
  }
  // A 24 x 40 control (drawn as a column 20 wide) holding `value` in [minimum, maximum].
  HWND make_spin(int minimum, int maximum, int value, DWORD style = 0, int id = 77) {
    HWND w = make_child(parent_, "Spin", "", style, 10, 10, 24, 40, id);
    EXPECT_NE(w, nullptr);
    SendMessageA(w, spin::kSetRange, 0, MAKELPARAM(minimum, maximum));
    SendMessageA(w, spin::kSetValue, WPARAM(value), 0);
    UpdateWindow(w);
    reset_notices();
    return w;
  }
  HWND make_buddy(HWND w, const char* text) {
    HWND edit = make_child(parent_, "Edit", text, WS_BORDER, 40, 10, 80, 22, 90);
    SendMessageA(w, spin::kSetBuddy, 0, (LPARAM)edit);
    return edit;
  }
  static std::string text_of(HWND w) {
    char buf[64] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
  }
  static LONG value_of(HWND w) { return LONG(SendMessageA(w, spin::kGetValue, 0, 0)); }
  static void click(HWND w, int y) { SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, y)); }
  static void step_at(HWND w, int x, int y) {
    cursor_to(w, x, y);
    SendMessageA(w, spin::kStep, 0, 0);
  }
  // Presses the left button over client point (x, y) with synthetic input, runs `while_held`
  // on another thread, then releases the button.
  static void hold(HWND w, int x, int y, const std::function<void()>& while_held) {
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
    pump_until([] { return false; }, 50);  // the closing repaint
  }

  HMODULE dll_ = nullptr;
  HWND parent_ = nullptr;
};

TEST_F(SpinControl, MessagesStoreAndEverySetValueNotifiesTheParent) {
  HWND w = make_child(parent_, "Spin", "", 0, 10, 10, 24, 40, 0x1234);
  EXPECT_EQ(GetClassLongA(w, GCL_HMODULE), (DWORD)(DWORD_PTR)dll_);
  ASSERT_EQ(g_notices.size(), 1u);  // the creation's SPM_SETVALUE 0
  EXPECT_EQ(g_notices[0].wparam, MAKEWPARAM(0x1234, 1));
  EXPECT_EQ(g_notices[0].lparam, (LPARAM)w);
  EXPECT_EQ(SendMessageA(w, spin::kGetRange, 0, 0), 0);
  EXPECT_EQ(value_of(w), 0);
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetBuddy), 0);
  EXPECT_EQ(SendMessageA(w, WM_GETDLGCODE, 0, 0), DLGC_STATIC);

  reset_notices();
  EXPECT_EQ(SendMessageA(w, spin::kSetRange, 0, 0x00640005), 0);
  EXPECT_EQ(SendMessageA(w, spin::kGetRange, 0, 0), 0x00640005);
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetRange), 0x00640005);
  EXPECT_EQ(SendMessageA(w, spin::kSetValue, 12345, 0), 0);  // outside the range: kept
  SendMessageA(w, spin::kSetValue, 12345, 0);
  SendMessageA(w, spin::kSetValue, (WPARAM)-7, 0);
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetValue), -7);
  EXPECT_EQ(notice_values(), (Values{12345, 12345, -7}));
  for (const Notice& n : g_notices) EXPECT_EQ(n.wparam, MAKEWPARAM(0x1234, 1));

  HWND edit = make_buddy(w, "");
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetBuddy), (LONG)(LONG_PTR)edit);
  SendMessageA(w, spin::kSetValue, (WPARAM)-2147483647 - 1, 0);
  EXPECT_EQ(text_of(edit), "-2147483648");
}

TEST_F(SpinControl, APressFirstTakesTheBuddysTextLimitedToTheRange) {
  // The button is not really down: the press ends at once, without steps.
  HWND w = make_spin(5, 100, 7);
  click(w, 30);
  EXPECT_TRUE(g_notices.empty());  // no buddy: nothing is read or announced
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetHalf), spin::kLower);

  HWND edit = make_buddy(w, "250");
  click(w, 19);
  EXPECT_EQ(value_of(w), 100);
  EXPECT_EQ(text_of(edit), "100");
  EXPECT_EQ(notice_values(), (Values{100}));
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetHalf), spin::kUpper);
  EXPECT_EQ(GetCapture(), nullptr);
  SetWindowTextA(edit, "-3");
  click(w, 5);
  EXPECT_EQ(value_of(w), 5);

  SendMessageA(w, spin::kSetValue, 500, 0);  // an empty text keeps the value, still announced
  SetWindowTextA(edit, "");
  reset_notices();
  click(w, 5);
  EXPECT_EQ(text_of(edit), "500");
  EXPECT_EQ(notice_values(), (Values{500}));

  SetWindowTextA(edit, (std::string(31, ' ') + "42").c_str());  // 31 characters are read
  click(w, 5);
  EXPECT_EQ(value_of(w), 5);
  SetWindowTextA(edit, (std::string(29, ' ') + "42").c_str());
  click(w, 5);
  EXPECT_EQ(value_of(w), 42);
}

TEST_F(SpinControl, RepeatStepFollowsTheCursorAndWrapsOnlyWithTheStyle) {
  HWND w = make_spin(0, 10, 5);
  step_at(w, 8, 5);
  step_at(w, 8, 5);
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetHalf), spin::kUpper);
  step_at(w, 8, 30);
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetHalf), spin::kLower);
  step_at(w, 60, 5);  // outside the control: nothing at all
  step_at(w, 8, -3);
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetHalf), spin::kLower);
  EXPECT_EQ(notice_values(), (Values{6, 7, 6}));
  SendMessageA(w, spin::kSetValue, 10, 0);
  reset_notices();
  step_at(w, 8, 5);
  EXPECT_TRUE(g_notices.empty());  // at the maximum: no change, no notification
  DestroyWindow(w);

  HWND wrap = make_spin(3, 10, 10, spin::kStyleWrap);
  step_at(wrap, 8, 5);
  step_at(wrap, 8, 35);
  step_at(wrap, 8, 35);
  EXPECT_EQ(notice_values(), (Values{3, 10, 9}));
}

TEST_F(SpinControl, PaintsRaisedButtonsAndAPressedHalfSunken) {
  const uint32_t face = rgb_of(GetSysColor(COLOR_BTNFACE)), shadow = rgb_of(GetSysColor(COLOR_BTNSHADOW));
  const uint32_t white = 0xFFFFFF, black = 0;
  HWND w = make_spin(0, 10, 5);
  const Pixels p = read_client_pixels(w);
  ASSERT_EQ(p.width, 24);
  ASSERT_EQ(p.height, 40);
  for (int i = 0; i < 40; ++i) EXPECT_TRUE(p.at(0, i) == black && p.at(20, i) == black) << i;  // frame
  for (int i = 0; i <= 20; ++i) EXPECT_TRUE(p.at(i, 20) == black && p.at(i, 39) == black) << i;  // divider
  EXPECT_EQ(p.at(22, 10), face);  // class background beside the column
  const int raised[][2] = {{1, 15}, {15, 1}, {1, 35}, {15, 21}};
  for (auto xy : raised) EXPECT_EQ(p.at(xy[0], xy[1]), white) << xy[0] << "," << xy[1];
  EXPECT_TRUE(p.at(19, 15) == shadow && p.at(15, 19) == shadow && p.at(19, 35) == shadow);
  // up arrow: tip (10, 7), base row 11 from x 6 to 14; down arrow: base row 28, tip (10, 32)
  for (int x = 5; x <= 15; ++x) EXPECT_EQ(p.at(x, 11), x == 5 || x == 15 ? face : black) << x;
  for (int x = 6; x <= 14; ++x) EXPECT_EQ(p.at(x, 28), black) << x;
  EXPECT_TRUE(p.at(10, 7) == black && p.at(9, 7) == face && p.at(10, 6) == face);
  EXPECT_TRUE(p.at(10, 32) == black && p.at(9, 32) == face && p.at(10, 33) == face);

  SetWindowLongA(w, spin::kOffsetHalf, spin::kLower);
  step_at(w, 8, 5);  // another half under the cursor: drawn pressed at once
  const Pixels up = read_client_pixels(w);
  EXPECT_TRUE(up.at(1, 15) == shadow && up.at(15, 1) == shadow && up.at(18, 15) == face);
  EXPECT_TRUE(up.at(11, 8) == black && up.at(10, 7) == face);  // arrow one right, one down
  EXPECT_TRUE(up.at(1, 35) == white && up.at(10, 32) == black);
  step_at(w, 8, 30);
  const Pixels down = read_client_pixels(w);
  EXPECT_TRUE(down.at(1, 35) == shadow && down.at(11, 33) == black && down.at(1, 15) == white);

  click(w, 30);  // a press ends by invalidating with erasing: drawn unpressed again
  EXPECT_TRUE(GetUpdateRect(w, nullptr, FALSE));
  UpdateWindow(w);
  EXPECT_EQ(read_client_pixels(w).data, p.data);
}

// The press loop, with synthetic input that GetAsyncKeyState sees.
TEST_F(SpinControl, AHeldPressStartsFromTheBuddyAndStepsEvery150Ms) {
  HWND w = make_spin(0, 100, 10);
  HWND edit = make_buddy(w, "250");
  hold(w, 8, 35, [] { wait_for_notices(5, 5000); });  // the buddy's value, then four steps
  ASSERT_GE(g_notices.size(), 5u);
  const Values v = notice_values();
  for (size_t i = 0; i < v.size(); ++i) EXPECT_EQ(v[i], 100 - LONG(i)) << i;
  EXPECT_EQ(text_of(edit), std::to_string(v.back()));
  EXPECT_LT(g_notices[1].tick - g_notices[0].tick, 100u);  // the first step at once
  for (size_t i = 2; i < g_notices.size(); ++i)
    EXPECT_GE(g_notices[i].tick - g_notices[i - 1].tick, 120u) << i;  // 150 ms less scheduling slack
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(read_client_pixels(w).at(1, 35), 0xFFFFFFu);  // repainted unpressed
}

TEST_F(SpinControl, WhileHeldTheLowerHalfReversesAndOutsidePauses) {
  HWND w = make_spin(0, 100, 50);
  int while_outside = -1;
  hold(w, 8, 5, [&] {
    wait_for_notices(2, 5000);
    cursor_to(w, 8, 30);
    wait_for_notices(4, 5000);
    cursor_to(w, 80, 30);
    const int before = g_notice_count.load();
    Sleep(500);
    while_outside = g_notice_count.load() - before;
    cursor_to(w, 8, 30);
    wait_for_notices(before + 1, 5000);
  });
  EXPECT_EQ(while_outside, 0);
  // up by one from 50 while over the upper half, then down by one, with no other turn
  const Values v = notice_values();
  ASSERT_GE(v.size(), 5u);
  size_t turn = 1;
  while (turn < v.size() && v[turn] == v[turn - 1] + 1) ++turn;
  EXPECT_EQ(v[0], 51);
  EXPECT_GE(turn, 2u);
  EXPECT_GE(v.size() - turn, 2u);
  for (size_t i = turn; i < v.size(); ++i) EXPECT_EQ(v[i], v[i - 1] - 1) << i;
  EXPECT_EQ(GetWindowLongA(w, spin::kOffsetHalf), spin::kLower);
}

TEST_F(SpinControl, HoldingAtTheMaximumStepsOnlyWithWrap) {
  HWND plain = make_spin(0, 10, 10);
  hold(plain, 8, 5, [] { Sleep(400); });
  EXPECT_TRUE(g_notices.empty());
  DestroyWindow(plain);
  HWND wrap = make_spin(0, 10, 10, spin::kStyleWrap);
  hold(wrap, 8, 5, [] { wait_for_notices(2, 5000); });
  EXPECT_EQ(notice_values(), (Values{0, 1}));
}

}  // namespace
