#pragma once
// Shared by the controls' tests under Wine: a parent window that records the WM_COMMAND
// notifications of "Spin" children, colour conversion, and synthetic mouse input.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace controls_test {

inline uint32_t rgb_of(COLORREF c) {
  return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

struct Notice {
  WPARAM wparam;
  LPARAM lparam;
  LONG value;  // SPM_GETVALUE of the sender when it notified
  DWORD tick;
};
inline std::vector<Notice> g_notices;
inline std::atomic<int> g_notice_count{0};

inline LRESULT CALLBACK parent_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  char cls[16] = {};
  if (m == WM_COMMAND && lp && GetClassNameA((HWND)lp, cls, sizeof cls) && std::string(cls) == "Spin") {
    g_notices.push_back({wp, lp, (LONG)SendMessageA((HWND)lp, 0x403, 0, 0), GetTickCount()});
    ++g_notice_count;
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

inline void reset_notices() {
  g_notices.clear();
  g_notice_count = 0;
}

inline std::vector<LONG> notice_values() {
  std::vector<LONG> v;
  for (const Notice& n : g_notices) v.push_back(n.value);
  return v;
}

// A white topmost popup at (x, y) of the desktop, 300 x 200.
inline HWND make_parent(int x, int y) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = parent_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  wc.lpszClassName = "ControlsTestParent";
  RegisterClassA(&wc);
  reset_notices();
  return CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, x, y, 300, 200, nullptr,
                         nullptr, wc.hInstance, nullptr);
}

inline HWND make_child(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
                       int id) {
  return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, (HMENU)(INT_PTR)id,
                         GetModuleHandleA(nullptr), nullptr);
}

inline void mouse_button(bool down) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &in, sizeof in);
}

// Puts the cursor on client point (x, y) of w. The move reaches the display asynchronously,
// and motion events still queued from an earlier move can put it back: repeat until it holds.
inline void cursor_to(HWND w, int x, int y) {
  POINT pt = {x, y};
  ClientToScreen(w, &pt);
  const DWORD start = GetTickCount();
  for (int steady = 0; steady < 3 && GetTickCount() - start < 3000; Sleep(10)) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    POINT now = {};
    GetCursorPos(&now);
    steady = now.x == pt.x && now.y == pt.y ? steady + 1 : 0;
    if (!steady) SetCursorPos(pt.x, pt.y);
  }
}

inline bool wait_for_notices(int n, DWORD timeout_ms) {
  for (const DWORD start = GetTickCount(); g_notice_count.load() < n; Sleep(2))
    if (GetTickCount() - start > timeout_ms) return false;
  return true;
}

}  // namespace controls_test
