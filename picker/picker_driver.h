#pragma once
// Driving STAMPICK's picker from the calling thread (Win32 tests and the demo program): the
// picker runs its own message loop inside _GetPresetMapImage and is shown without being
// activated, so a thread timer, which fires inside that loop, plays the user's part. Steps run
// one after the other on the picker's window once it is visible.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace picker_driver {

using GetPresetMapImageFn = int32_t(__cdecl*)(HWND, const char*);

// The "ZEL:StampickClass" window of this thread, or null.
inline BOOL CALLBACK find_picker_proc(HWND w, LPARAM out) {
  char cls[64] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (std::string(cls) == "ZEL:StampickClass") {
    *reinterpret_cast<HWND*>(out) = w;
    return FALSE;
  }
  return TRUE;
}
inline HWND find_picker() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), find_picker_proc, reinterpret_cast<LPARAM>(&found));
  return found;
}

// A visible popup at (0, 0) of its own class, with the default window procedure, to own the
// picker as the host's window does.
inline LRESULT CALLBACK host_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }
inline HWND open_host(const char* class_name, int stock_brush, int width, int height) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = host_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(stock_brush));
  wc.lpszClassName = class_name;
  RegisterClassA(&wc);
  return CreateWindowExA(0, class_name, "host", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                         wc.hInstance, nullptr);
}

// A step gets the picker's window and answers true when it is done.
using Step = std::function<bool(HWND)>;

// Runs the steps, one per timer tick (every 20 ms), while the picker is open. After 5 s it
// closes the picker so that a stuck run cannot hang, and says so. One driver at a time.
class Driver {
 public:
  explicit Driver(std::vector<Step> steps) : steps_(std::move(steps)), start_(GetTickCount()) {
    current() = this;
    timer_ = SetTimer(nullptr, 0, 20, tick);
  }
  ~Driver() {
    KillTimer(nullptr, timer_);
    current() = nullptr;
  }
  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;

  size_t steps_done() const { return next_; }
  bool gave_up() const { return gave_up_; }

 private:
  static Driver*& current() {
    static Driver* driver = nullptr;
    return driver;
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    if (current()) current()->on_tick();
  }
  void on_tick() {
    HWND w = find_picker();
    if (!w || !IsWindowVisible(w)) return;
    if (GetTickCount() - start_ > 5000) {
      if (!gave_up_) PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0);
      gave_up_ = true;
      return;
    }
    if (next_ < steps_.size() && steps_[next_](w)) ++next_;
  }

  std::vector<Step> steps_;
  size_t next_ = 0;
  DWORD start_;
  bool gave_up_ = false;
  UINT_PTR timer_ = 0;
};

// Steps.
inline Step press(int x, int y) {
  return [x, y](HWND w) { return PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)) != 0; };
}
inline Step release(int x, int y) {
  return [x, y](HWND w) { return PostMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(x, y)) != 0; };
}
inline Step close_box() {
  return [](HWND w) { return PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0) != 0; };
}
// Lets `ms` pass (the picker's loop keeps running).
inline Step wait(DWORD ms) {
  auto since = std::make_shared<DWORD>(0);
  return [ms, since](HWND) {
    if (!*since) *since = GetTickCount() | 1;
    return GetTickCount() - *since >= ms;
  };
}
// Runs `look` once on the painted window (after UpdateWindow).
inline Step look(std::function<void(HWND)> look) {
  return [look](HWND w) {
    UpdateWindow(w);
    look(w);
    return true;
  };
}

}  // namespace picker_driver
