// STAMPICK: DllMain, the export _GetPresetMapImage and the picker's window. The window shows
// the stamp sheet; a click on a stamp ends the picker on the button's release and the export
// answers the stamp's number, or -1 when the window is closed without a choice.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <new>

#include "common/callconv.h"
#include "common/win32_palette.h"
#include "picker/stamp_grid.h"
#include "picker/stamp_sheet.h"

namespace {

const char kClassName[] = "ZEL:StampickClass";
const char kTitle[] = "Click on Desired Postage Stamp Image";
// 0x80CC0000: a popup with caption, system menu and sizing border (sizing itself is refused).
const DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

// One picker at a time, as the library is never entered twice at once.
struct PickerState {
  HINSTANCE module = nullptr;
  int32_t selection = picker::kNoStamp;
  std::unique_ptr<picker::StampSheet> sheet;  // header block and pixels; none when not loaded
  HPALETTE palette = nullptr;
} g;

void release_sheet() {
  if (g.palette) DeleteObject(g.palette);
  g.palette = nullptr;
  g.sheet.reset();
}

// Reads the sheet into the picker's state and fits the window to it; a sheet that cannot be
// read whole leaves nothing loaded and the window as it is.
void load_sheet(HWND window, const char* path) {
  std::unique_ptr<picker::StampSheet> sheet(new (std::nothrow) picker::StampSheet);
  if (!sheet || picker::sheet_load(path, sheet.get()) != picker::SheetResult::kLoaded) return;
  HPALETTE palette = CreateColourPalette(sheet->palette.data(), int(sheet->palette.size()));
  if (!palette) return;
  g.palette = palette;
  g.sheet = std::move(sheet);

  // Width: the window for a client area of the sheet's size with this style and a menu bar;
  // height: that window's height less a caption.
  RECT r = {0, 0, g.sheet->width, g.sheet->height};
  AdjustWindowRect(&r, kStyle, TRUE);
  SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top - GetSystemMetrics(SM_CYCAPTION),
               SWP_NOMOVE | SWP_NOZORDER);
}

void paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (g.palette && g.sheet) {
    HPALETTE old = SelectPalette(dc, g.palette, FALSE);
    RealizePalette(dc);
    const picker::StampSheet& s = *g.sheet;
    SetDIBitsToDevice(dc, 0, 0, DWORD(s.width), DWORD(s.height), 0, 0, 0, UINT(s.height), s.pixels.data(),
                      reinterpret_cast<const BITMAPINFO*>(s.header.data()), DIB_RGB_COLORS);
    SelectPalette(dc, old, FALSE);
  }
  EndPaint(window, &ps);
}

LRESULT CALLBACK picker_proc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_LBUTTONDOWN: {
      const picker::Press press = picker::press_at(uint32_t(lp));
      if (press.beep) MessageBeep(0);
      g.selection = press.selection;
      return 0;
    }
    case WM_LBUTTONUP:
      if (picker::release_ends_picker(g.selection)) PostQuitMessage(0);
      return 0;
    case WM_RBUTTONUP:
      return 0;
    case WM_PAINT:
      paint(window);
      return 0;
    case WM_DESTROY:
      release_sheet();
      return 0;
    case WM_SYSCOMMAND:
      if (picker::system_command_refused(uint32_t(wp))) return 0;
      if (picker::system_command_is_close(uint32_t(wp))) {
        g.selection = picker::kNoStamp;  // closing is no choice, even after a press on a stamp
        PostQuitMessage(0);
      }
      return DefWindowProcA(window, message, wp, lp);
    case WM_QUERYNEWPALETTE:
      if (!g.palette) return 0;
      RealiseWindowPalette(window, g.palette);
      return 1;
    case WM_PALETTECHANGED:
      if (HWND(wp) == window || !g.palette) return 0;
      RealiseWindowPalette(window, g.palette);
      return 0;
    default:
      return DefWindowProcA(window, message, wp, lp);
  }
}

int32_t run_picker(HWND owner, const char* path) {
  g.selection = picker::kNoStamp;
  release_sheet();

  WNDCLASSA wc = {};
  wc.style = 0;
  wc.lpfnWndProc = picker_proc;
  wc.hInstance = g.module;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kClassName;
  if (!RegisterClassA(&wc)) return picker::kNoStamp;

  const picker::WindowRect at =
      picker::initial_window(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  HWND window = CreateWindowExA(0, kClassName, kTitle, kStyle, at.x, at.y, at.width, at.height, owner, nullptr,
                                g.module, nullptr);
  if (!window) {
    // Left registered, the class would make every later call fail at registration.
    UnregisterClassA(kClassName, g.module);
    return picker::kNoStamp;
  }
  EnableWindow(owner, FALSE);
  load_sheet(window, path);
  ShowWindow(window, SW_SHOWNA);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }

  if (IsWindow(window)) DestroyWindow(window);
  release_sheet();
  UnregisterClassA(kClassName, g.module);
  EnableWindow(owner, TRUE);
  return g.selection;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g.module = instance;
  return TRUE;
}

// _GetPresetMapImage(owner, sheet file name): 1-30 for the stamp clicked, -1 for none.
extern "C" int32_t ZEL_CDECL GetPresetMapImage(HWND owner, const char* sheet_path) noexcept {
  try {
    return run_picker(owner, sheet_path);
  } catch (...) {
    return picker::kNoStamp;
  }
}
