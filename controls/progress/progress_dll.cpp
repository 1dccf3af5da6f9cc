// progress.dll: registers the "Update" window class on load and removes it on unload.
// The window keeps range, position and font in its extra bytes; drawing is laid out by
// progress_core.
#include <windows.h>

#include "controls/progress/progress_core.h"

namespace {

const char kClassName[] = "Update";

struct Module {
  HINSTANCE instance = nullptr;
  bool registered = false;
} g_module;

LONG get_long(HWND w, int offset) { return GetWindowLongA(w, offset); }
void set_long(HWND w, int offset, LONG v) { SetWindowLongA(w, offset, v); }

void invalidate_now(HWND w) {
  InvalidateRect(w, nullptr, FALSE);
  UpdateWindow(w);
}

void paint(HWND w) {
  const uint32_t range = uint32_t(SendMessageA(w, progress::kGetRange, 0, 0));
  const uint32_t position = uint32_t(SendMessageA(w, progress::kGetPos, 0, 0));

  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  if (!dc) return;
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0));
  HGDIOBJ old_font = font ? SelectObject(dc, font) : nullptr;

  RECT client;
  GetClientRect(w, &client);
  SIZE x_size = {0, 0};
  GetTextExtentPointA(dc, "X", 1, &x_size);
  const progress::BarLayout bar =
      progress::layout_bar(range, position, client.right, client.bottom, x_size.cy);

  const COLORREF window_colour = GetSysColor(COLOR_WINDOW);
  const COLORREF blue = RGB(0, 0, 255);
  SetTextAlign(dc, TA_CENTER);
  const UINT len = UINT(bar.text.size());

  RECT filled = {bar.filled.left, bar.filled.top, bar.filled.right, bar.filled.bottom};
  SetTextColor(dc, window_colour);
  SetBkColor(dc, blue);
  ExtTextOutA(dc, bar.text_x, bar.text_y, ETO_OPAQUE | ETO_CLIPPED, &filled, bar.text.c_str(), len, nullptr);

  RECT empty = {bar.empty.left, bar.empty.top, bar.empty.right, bar.empty.bottom};
  SetTextColor(dc, blue);
  SetBkColor(dc, window_colour);
  ExtTextOutA(dc, bar.text_x, bar.text_y, ETO_OPAQUE | ETO_CLIPPED, &empty, bar.text.c_str(), len, nullptr);

  if (old_font) SelectObject(dc, old_font);
  EndPaint(w, &ps);
}

LRESULT handle(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case progress::kSetRange: set_long(w, progress::kOffsetRange, LONG(wp)); invalidate_now(w); return 0;
    case progress::kGetRange: return get_long(w, progress::kOffsetRange);
    case progress::kSetPos: set_long(w, progress::kOffsetPosition, LONG(wp)); invalidate_now(w); return 0;
    case progress::kGetPos: return get_long(w, progress::kOffsetPosition);
    case WM_SETFONT:
      set_long(w, progress::kOffsetFont, LONG(wp));
      if (lp) InvalidateRect(w, nullptr, FALSE);
      return 0;
    case WM_GETFONT: return get_long(w, progress::kOffsetFont);
    case WM_ENABLE: InvalidateRect(w, nullptr, FALSE); return 0;
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_CREATE:
      SendMessageA(w, progress::kSetRange, progress::kInitialRange, 0);
      SendMessageA(w, progress::kSetPos, progress::kInitialPosition, 0);
      return 0;
    case WM_PAINT: paint(w); return 0;
    default: return DefWindowProcA(w, msg, wp, lp);
  }
}

LRESULT CALLBACK update_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    return handle(w, msg, wp, lp);
  } catch (...) {
    return 0;
  }
}

bool register_class(HINSTANCE instance) {
  WNDCLASSA wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS;
  wc.lpfnWndProc = update_proc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = progress::kExtraBytes;
  wc.hInstance = instance;
  wc.hIcon = nullptr;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = nullptr;
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = kClassName;
  return RegisterClassA(&wc) != 0;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module.instance = instance;
    g_module.registered = register_class(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    if (g_module.registered) UnregisterClassA(kClassName, g_module.instance);
    g_module.registered = false;
  }
  return TRUE;
}
