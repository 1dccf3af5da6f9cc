// controls_demo.exe [out.bmp]: loads progress.dll and spin.dll, opens a dialog-like window
// with four "Update" bars (0, 25, 50 and 100 %) and a "Spin" whose buddy is an edit field,
// holds the spin's upper button for a moment with synthetic mouse input, then writes the
// window as it is on screen to a BMP file and prints what happened.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "controls/progress/progress_core.h"
#include "controls/spin/spin_core.h"
#include "tests/win32/pixels.h"

namespace {

const int kSpinId = 300;
std::vector<LONG> g_spin_values;

LRESULT CALLBACK frame_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_COMMAND && LOWORD(wp) == kSpinId && HIWORD(wp) == spin::kNotifyChange) {
    g_spin_values.push_back(LONG(SendMessageA(HWND(lp), spin::kGetValue, 0, 0)));
    return 0;
  }
  if (m == WM_CLOSE) {
    DestroyWindow(w);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

void pump(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (GetTickCount() - start < ms);
}

HWND child(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id,
           HFONT font) {
  HWND c = CreateWindowExA(cls == std::string("Edit") ? WS_EX_CLIENTEDGE : 0, cls, text, WS_CHILD | WS_VISIBLE | style,
                           x, y, w, h, parent, HMENU(INT_PTR(id)), GetModuleHandleA(nullptr), nullptr);
  if (c && font) SendMessageA(c, WM_SETFONT, WPARAM(font), FALSE);
  return c;
}

void mouse_button(bool down) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &in, sizeof in);
}

DWORD WINAPI release_later(LPVOID ms) {
  Sleep(DWORD(UINT_PTR(ms)));
  mouse_button(false);
  return 0;
}

// Holds the left button over client point (x, y) of `w` for `ms` milliseconds.
void hold(HWND w, int x, int y, DWORD ms) {
  POINT pt = {x, y};
  ClientToScreen(w, &pt);
  for (int i = 0; i < 50; ++i) {
    POINT now = {};
    SetCursorPos(pt.x, pt.y);
    pump(20);
    GetCursorPos(&now);
    if (now.x == pt.x && now.y == pt.y) break;
  }
  mouse_button(true);
  HANDLE t = CreateThread(nullptr, 0, release_later, LPVOID(UINT_PTR(ms)), 0, nullptr);
  pump(ms + 200);
  if (t) {
    WaitForSingleObject(t, 5000);
    CloseHandle(t);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const char* out = __argc > 1 ? __argv[1] : "controls.bmp";
  HMODULE progress_dll = LoadLibraryA("progress.dll");
  HMODULE spin_dll = LoadLibraryA("spin.dll");
  if (!progress_dll || !spin_dll) {
    std::fprintf(stderr, "controls_demo: cannot load progress.dll / spin.dll\n");
    return 1;
  }

  WNDCLASSA wc = {};
  wc.lpfnWndProc = frame_proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
  wc.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
  wc.lpszClassName = "ControlsDemoFrame";
  RegisterClassA(&wc);

  RECT frame = {0, 0, 330, 204};
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  AdjustWindowRect(&frame, style, FALSE);
  HWND w = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, "ControlsDemoFrame", "Window controls", style, 60,
                           60, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                           nullptr);
  if (!w) return 1;
  HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");

  const int percents[] = {0, 25, 50, 100};
  for (int i = 0; i < 4; ++i) {
    const int y = 16 + 34 * i;
    char label[32];
    std::snprintf(label, sizeof label, "Task %d:", i + 1);
    child(w, "Static", label, SS_RIGHT, 12, y + 3, 60, 16, 100 + i, font);
    HWND bar = child(w, "Update", "", WS_BORDER, 80, y, 230, 22, 200 + i, font);
    SendMessageA(bar, progress::kSetRange, 200, 0);
    SendMessageA(bar, progress::kSetPos, WPARAM(percents[i] * 2), 0);
  }

  child(w, "Static", "Frames:", SS_RIGHT, 12, 164, 60, 16, 110, font);
  HWND edit = child(w, "Edit", "", ES_LEFT, 80, 160, 60, 24, 120, font);
  HWND spinner = child(w, "Spin", "", 0, 142, 156, 18, 32, kSpinId, nullptr);
  SendMessageA(spinner, spin::kSetRange, 0, MAKELPARAM(1, 250));
  SendMessageA(spinner, spin::kSetBuddy, 0, LPARAM(edit));
  SendMessageA(spinner, spin::kSetValue, 42, 0);
  child(w, "Static", "(1 to 250)", 0, 168, 164, 100, 16, 111, font);

  ShowWindow(w, SW_SHOWNORMAL);
  UpdateWindow(w);
  pump(300);

  // Hold the upper button: the value is announced at the press, then steps every 150 ms.
  g_spin_values.clear();
  hold(spinner, 6, 4, 500);
  pump(300);
  std::printf("spin: held the upper button for 500 ms; values announced:");
  for (LONG v : g_spin_values) std::printf(" %ld", long(v));
  char text[32] = {};
  GetWindowTextA(edit, text, sizeof text);
  std::printf("; buddy shows \"%s\"\n", text);

  const bool ok = write_bmp(read_window_pixels(w), out);
  std::printf("%s %s\n", ok ? "wrote" : "could not write", out);
  DestroyWindow(w);
  DeleteObject(font);
  FreeLibrary(spin_dll);
  FreeLibrary(progress_dll);
  return ok ? 0 : 1;
}
