// viewer.exe: the window over the viewer's image core. One top-level window of class
// "ZEL:ViewClass" shows the held image at its natural size and scrolls over it; the user
// opens files from its menu, the host names files in MORVANE.INI and sends commands.
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "common/win32_palette.h"
#include "viewer/image.h"
#include "viewer/view_window.h"

static_assert(SB_LINEUP == view::kLineUp && SB_LINEDOWN == view::kLineDown && SB_PAGEUP == view::kPageUp &&
                  SB_PAGEDOWN == view::kPageDown && SB_THUMBPOSITION == view::kThumbPosition &&
                  SB_THUMBTRACK == view::kThumbTrack && SB_ENDSCROLL == view::kEndScroll,
              "scroll codes");
static_assert(SB_LINELEFT == SB_LINEUP && SB_LINERIGHT == SB_LINEDOWN && SB_PAGELEFT == SB_PAGEUP &&
                  SB_PAGERIGHT == SB_PAGEDOWN,
              "horizontal scroll codes");
static_assert(VK_PRIOR == view::kKeyPrior && VK_NEXT == view::kKeyNext && VK_END == view::kKeyEnd &&
                  VK_HOME == view::kKeyHome && VK_LEFT == view::kKeyLeft && VK_UP == view::kKeyUp &&
                  VK_RIGHT == view::kKeyRight && VK_DOWN == view::kKeyDown,
              "virtual keys");
static_assert(view::kOpenFlags == (OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST), "open flags");

namespace {

struct Viewer {
  HINSTANCE instance = nullptr;
  int32_t screen_width = 0, bits_per_pixel = 0;
  view::ViewerState state;
  LoadedImage image;
  HPALETTE palette = nullptr;
  HBITMAP device_bitmap = nullptr;
};
Viewer g;

// --- Settings and boxes -------------------------------------------------------------------

uint32_t profile_get_string(void*, const char* section, const char* key, const char* fallback, char* buf,
                            uint32_t size) {
  return GetPrivateProfileStringA(section, key, fallback, buf, size, view::kProfileFile);
}
int32_t profile_get_int(void*, const char* section, const char* key, int32_t fallback) {
  return int32_t(GetPrivateProfileIntA(section, key, fallback, view::kProfileFile));
}
bool profile_write_string(void*, const char* section, const char* key, const char* value) {
  return WritePrivateProfileStringA(section, key, value, view::kProfileFile) != 0;
}
const view::ProfileTable kProfile = {nullptr, profile_get_string, profile_get_int, profile_write_string};

// The readers' warnings: no owner window.
int warning_box(void*, const char* text, const char* caption, uint32_t flags) {
  return MessageBoxA(nullptr, text, caption, flags);
}
const UiTable kWarnings = {nullptr, warning_box, nullptr};

std::string program_path() {
  char path[view::kBufferSize] = {};
  GetModuleFileNameA(g.instance, path, sizeof path - 1);
  return path;
}

// --- The image's palette and device bitmap --------------------------------------------------

void drop_gdi_objects() {
  if (g.device_bitmap) DeleteObject(g.device_bitmap);
  if (g.palette) DeleteObject(g.palette);
  g.device_bitmap = nullptr;
  g.palette = nullptr;
}

HBITMAP make_device_bitmap() {
  if (!g.image.header || !g.image.pixels) return nullptr;
  HDC screen = GetDC(nullptr);
  HPALETTE old = nullptr;
  if (g.palette) {
    old = SelectPalette(screen, g.palette, FALSE);
    RealizePalette(screen);
  }
  auto* info = reinterpret_cast<const BITMAPINFO*>(g.image.header);
  HBITMAP bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, g.image.pixels, info, DIB_RGB_COLORS);
  if (old) SelectPalette(screen, old, FALSE);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

// --- Scrolling -------------------------------------------------------------------------------

void scroll_range_step(HWND w) {
  if (g.state.resize_guard) return;
  ++g.state.resize_guard;
  RECT rc;
  GetClientRect(w, &rc);
  const LONG style = GetWindowLongA(w, GWL_STYLE);
  view::ClientSize client =
      view::ClientWithoutBars({rc.right, rc.bottom}, style & WS_HSCROLL, style & WS_VSCROLL,
                              GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CXVSCROLL));
  for (int pass = 0; pass < 2; ++pass) {
    view::ScrollRanges r = view::ScrollRangesFor(g.state.extent_width, g.state.extent_height, client.width,
                                                 client.height, GetScrollPos(w, SB_HORZ), GetScrollPos(w, SB_VERT));
    if (r.erase) InvalidateRect(w, nullptr, TRUE);
    SetScrollRange(w, SB_VERT, 0, r.vertical_max, TRUE);
    SetScrollRange(w, SB_HORZ, 0, r.horizontal_max, TRUE);
    GetClientRect(w, &rc);
    client = {rc.right, rc.bottom};
  }
  --g.state.resize_guard;
}

void scroll_step(HWND w, int bar, WPARAM wp) {
  RECT rc;
  GetClientRect(w, &rc);
  int minimum = 0, maximum = 0;
  GetScrollRange(w, bar, &minimum, &maximum);
  const int old = GetScrollPos(w, bar);
  const int extent = bar == SB_HORZ ? rc.right : rc.bottom;
  const int now = view::ScrollTarget(LOWORD(wp), old, extent, HIWORD(wp), minimum, maximum);
  if (now == old) return;
  ScrollWindow(w, bar == SB_HORZ ? old - now : 0, bar == SB_VERT ? old - now : 0, nullptr, nullptr);
  SetScrollPos(w, bar, now, TRUE);
}

// --- Loading and showing -----------------------------------------------------------------------

void show_loaded_image(HWND w) {
  SetWindowTextA(w, view::ViewCaption(g.state.file_name, g.image.width, ImageHeaderHeight(g.image),
                                      ImageBitCount(g.image))
                        .c_str());
  const ImageExtent extent = ImageExtentOf(g.image);
  g.state.extent_width = extent.width;
  g.state.extent_height = extent.height;
  if (!IsZoomed(w)) {
    RECT r = {0, 0, extent.width, extent.height};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, TRUE);
    SetWindowPos(w, nullptr, 0, 0, r.right - r.left + 1, r.bottom - r.top + 1,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // Also after a resize: a window held at its largest size gets no WM_SIZE when the new
  // image is as large as the last, and its ranges must still follow the new extent.
  scroll_range_step(w);
  InvalidateRect(w, nullptr, TRUE);
}

bool load_into_window(HWND w) {
  const bool loaded = LoadImageOfKind(ImageKind(g.state.kind), g.state.file_name, g.image, kWarnings);
  // A failed load holds no image, except a TGA refused before the release: the old
  // palette and bitmap stay with the old image.
  if (loaded || !g.image.header) drop_gdi_objects();
  if (!loaded) return false;
  const ImagePalette colours = BuildImagePalette(g.image);
  g.palette = CreateColourPalette(colours.entries, colours.count);
  g.device_bitmap = make_device_bitmap();
  if (!g.device_bitmap) WarnFormatted(kWarnings, kCouldNotCreateBitmap);
  show_loaded_image(w);
  return true;
}

void load_command(HWND w) {
  const HCURSOR saved_cursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  g.state.kind = ImageKindOf(g.state.file_name);
  if (load_into_window(w)) InvalidateRect(w, nullptr, FALSE);
  SetCursor(saved_cursor);
  if (g.state.front_request) {
    if (HWND render = FindWindowA(view::kRenderClassName, nullptr)) SetForegroundWindow(render);
    g.state.front_request = false;
  }
}

void open_dialog(HWND w) {
  if (view::BeginOpenDialog(g.state, program_path().c_str(), kProfile)) SetCurrentDirectoryA(g.state.folder);
  const std::string filter = view::OpenDialogFilter();
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = w;
  ofn.lpstrFilter = filter.data();
  ofn.nFilterIndex = view::OpenFilterIndex(g.state.kind);
  ofn.lpstrFile = g.state.full_path;
  ofn.nMaxFile = view::kBufferSize;
  ofn.lpstrFileTitle = g.state.file_name;
  ofn.nMaxFileTitle = view::kBufferSize;
  ofn.lpstrInitialDir = g.state.folder;
  ofn.lpstrTitle = view::kOpenTitle;
  ofn.Flags = view::kOpenFlags;
  if (!GetOpenFileNameA(&ofn)) return;
  g.state.kind = ImageKindOf(g.state.file_name);
  view::FinishOpenDialog(g.state, kProfile);
  PostMessageA(w, WM_COMMAND, view::kCmdLoad, 0);
}

void screen_information(int caption_id, int text_id) {
  char caption[64] = {}, text[256] = {};
  LoadStringA(g.instance, caption_id, caption, sizeof caption);
  LoadStringA(g.instance, text_id, text, sizeof text);
  MessageBoxA(GetFocus(), text, caption, MB_OK);
}

void command(HWND w, WPARAM wp, LPARAM lp) {
  switch (LOWORD(wp)) {
    case view::kCmdScreenResolution:
      screen_information(view::kResolutionCaption, view::ResolutionTextId(g.screen_width));
      break;
    case view::kCmdAvailableColours:
      screen_information(view::kColoursCaption, view::ColourTextId(g.bits_per_pixel));
      break;
    case view::kCmdLoad: load_command(w); break;
    case view::kCmdOpen: open_dialog(w); break;
    case view::kCmdQuit: PostQuitMessage(0); break;
    case view::kCmdHostFile:
      if (view::BeginHostRequest(g.state, lp, program_path().c_str(), kProfile))
        SetCurrentDirectoryA(g.state.folder);
      load_command(w);
      break;
    case view::kCmdHide: ShowWindow(w, SW_HIDE); break;
    case view::kCmdMapFile:
      view::TakeMapFile(g.state, kProfile);
      SendMessageA(w, WM_COMMAND, view::kCmdLoad, 0);
      break;
    default: break;  // 104 and every other identifier: nothing
  }
}

// --- Painting --------------------------------------------------------------------------------

void paint_image(HDC dc) {
  // Drawn with its palette when it has one; an image without one (16- or 32-bit bitmaps)
  // is still drawn, through the display's own colours.
  HPALETTE old = nullptr;
  if (g.palette) {
    old = SelectPalette(dc, g.palette, FALSE);
    RealizePalette(dc);
  }
  if (g.device_bitmap) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, g.device_bitmap);
    BITMAP b = {};
    GetObjectA(g.device_bitmap, sizeof b, &b);
    BitBlt(dc, 0, 0, b.bmWidth, b.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
  } else if (g.image.header && g.image.pixels) {
    const ImageExtent e = ImageExtentOf(g.image);
    SetDIBitsToDevice(dc, 0, 0, e.width, e.height, 0, 0, 0, e.height, g.image.pixels,
                      reinterpret_cast<const BITMAPINFO*>(g.image.header), DIB_RGB_COLORS);
  }
  if (old) SelectPalette(dc, old, FALSE);
}

LRESULT CALLBACK window_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
    case WM_CREATE:
      SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      return 0;
    case WM_SIZE: scroll_range_step(w); return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(w, &ps);
      SetWindowOrgEx(dc, GetScrollPos(w, SB_HORZ), GetScrollPos(w, SB_VERT), nullptr);
      SetBkMode(dc, TRANSPARENT);
      paint_image(dc);
      EndPaint(w, &ps);
      return 0;
    }
    case WM_KEYDOWN:
    case WM_KEYUP: {
      const view::KeyScroll k = view::ScrollForKey(uint32_t(wp));
      if (k.scrolls)
        PostMessageA(w, k.vertical ? WM_VSCROLL : WM_HSCROLL, m == WM_KEYDOWN ? k.code : SB_ENDSCROLL, 0);
      return 0;
    }
    case WM_COMMAND: command(w, wp, lp); return 1;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) != SC_CLOSE) break;
      PostMessageA(w, WM_COMMAND, view::kCmdHide, 0);
      return 0;
    case WM_HSCROLL: scroll_step(w, SB_HORZ, wp); return 0;
    case WM_VSCROLL: scroll_step(w, SB_VERT, wp); return 0;
    case WM_QUERYNEWPALETTE:
      if (!g.palette) return 0;
      RealiseWindowPalette(w, g.palette);
      return 1;
    case WM_PALETTECHANGED:
      if (g.palette && HWND(wp) != w) RealiseWindowPalette(w, g.palette);
      return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

int run_viewer(HINSTANCE instance) {
  g.instance = instance;
  HWND desktop = GetDesktopWindow();
  HDC dc = GetDC(desktop);
  g.screen_width = GetDeviceCaps(dc, HORZRES);
  g.bits_per_pixel = GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(desktop, dc);

  WNDCLASSA wc = {};
  wc.style = 0;
  wc.lpfnWndProc = window_proc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, "VIEWICON");
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = HBRUSH(GetStockObject(WHITE_BRUSH));
  wc.lpszMenuName = "ShowMenu";
  wc.lpszClassName = view::kClassName;
  if (!RegisterClassA(&wc)) return 0;

  HWND w = CreateWindowA(view::kClassName, view::kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                         GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, nullptr, nullptr,
                         instance, nullptr);
  if (!w) return 0;
  ShowWindow(w, SW_SHOWNA);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  ReleaseImage(g.image);
  drop_gdi_objects();
  UnregisterClassA(view::kClassName, instance);
  return int(msg.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int) {
  if (HWND running = FindWindowA(view::kClassName, nullptr)) {
    SetForegroundWindow(running);
    BringWindowToTop(running);
    ShowWindow(running, SW_SHOW);
    return view::kExitAlreadyRunning;
  }
  if (previous) return 0;
  return run_viewer(instance);
}
