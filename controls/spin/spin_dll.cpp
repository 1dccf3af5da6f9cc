// spin.dll: registers the "Spin" window class on load and removes it on unload. The window
// keeps range, value, pressed half and buddy in its extra bytes; the rules and the drawing
// come from spin_core.
#include <windows.h>
#include <windowsx.h>

#include "controls/spin/spin_core.h"

namespace {

const char kClassName[] = "Spin";

struct Module {
  HINSTANCE instance = nullptr;
  bool registered = false;
} g_module;

LONG get_long(HWND w, int offset) { return GetWindowLongA(w, offset); }
void set_long(HWND w, int offset, LONG v) { SetWindowLongA(w, offset, v); }
HWND buddy_of(HWND w) { return reinterpret_cast<HWND>(LONG_PTR(get_long(w, spin::kOffsetBuddy))); }
spin::Range range_of(HWND w) { return spin::unpack_range(uint32_t(get_long(w, spin::kOffsetRange))); }

COLORREF colour_of(spin::Colour c) {
  switch (c) {
    case spin::Colour::Face: return GetSysColor(COLOR_BTNFACE);
    case spin::Colour::White: return RGB(255, 255, 255);
    case spin::Colour::Shadow: return GetSysColor(COLOR_BTNSHADOW);
    case spin::Colour::Highlight: return GetSysColor(COLOR_BTNHIGHLIGHT);
    case spin::Colour::Black: break;
  }
  return RGB(0, 0, 0);
}

void draw(HWND w, HDC dc, int state) {
  RECT client;
  GetClientRect(w, &client);
  HGDIOBJ old_pen = SelectObject(dc, GetStockObject(BLACK_PEN));
  HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  for (const spin::Op& op : spin::draw_ops(client.bottom, state)) {
    const COLORREF colour = colour_of(op.colour);
    if (op.kind == spin::Op::Fill) {
      RECT r = {op.x0, op.y0, op.x1, op.y1};
      HBRUSH brush = CreateSolidBrush(colour);
      FillRect(dc, &r, brush);
      DeleteObject(brush);
      continue;
    }
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ previous = SelectObject(dc, pen);
    if (op.kind == spin::Op::Frame) {
      Rectangle(dc, op.x0, op.y0, op.x1, op.y1);
    } else {
      MoveToEx(dc, op.x0, op.y0, nullptr);
      LineTo(dc, op.x1, op.y1);
    }
    SelectObject(dc, previous);
    DeleteObject(pen);
  }
  SelectObject(dc, old_brush);
  SelectObject(dc, old_pen);
}

void draw_now(HWND w, int state) {
  HDC dc = GetDC(w);
  if (!dc) return;
  draw(w, dc, state);
  ReleaseDC(w, dc);
}

void notify_parent(HWND w) {
  const WORD id = WORD(get_long(w, GWL_ID));
  SendMessageA(GetParent(w), WM_COMMAND, MAKEWPARAM(id, spin::kNotifyChange), reinterpret_cast<LPARAM>(w));
}

void set_value(HWND w, int32_t value) {
  set_long(w, spin::kOffsetValue, LONG(value));
  if (HWND buddy = buddy_of(w)) {
    const std::string text = spin::value_text(value);
    SendMessageA(buddy, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    InvalidateRect(buddy, nullptr, TRUE);
    UpdateWindow(buddy);
  }
  notify_parent(w);
}

void repeat_step(HWND w) {
  POINT pt;
  if (!GetCursorPos(&pt)) return;
  ScreenToClient(w, &pt);
  RECT client;
  GetClientRect(w, &client);
  if (!PtInRect(&client, pt)) return;
  const spin::Half half = spin::half_at(pt.y, client.bottom);
  if (half != get_long(w, spin::kOffsetHalf)) draw_now(w, spin::state_for(half));
  const int32_t value = get_long(w, spin::kOffsetValue);
  const bool wrap = (get_long(w, GWL_STYLE) & spin::kStyleWrap) != 0;
  const int32_t next = spin::step_value(value, half, range_of(w), wrap);
  if (next != value) SendMessageA(w, spin::kSetValue, WPARAM(next), 0);
  if (IsWindow(w)) set_long(w, spin::kOffsetHalf, half);
}

void press(HWND w, LPARAM point) {
  if (HWND buddy = buddy_of(w)) {
    char text[spin::kBuddyTextMax + 1] = {};
    SendMessageA(buddy, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    text[spin::kBuddyTextMax] = '\0';
    const int32_t current = get_long(w, spin::kOffsetValue);
    SendMessageA(w, spin::kSetValue, WPARAM(spin::value_from_text(text, current, range_of(w))), 0);
    if (!IsWindow(w)) return;
  }
  RECT client;
  GetClientRect(w, &client);
  const spin::Half half = spin::half_at(GET_Y_LPARAM(point), client.bottom);
  set_long(w, spin::kOffsetHalf, half);
  draw_now(w, spin::state_for(half));

  SetCapture(w);
  spin::RepeatClock clock;
  clock.start(GetTickCount());
  // No messages are dispatched while the button is held; the wait gives up the processor
  // between polls.
  while (IsWindow(w) && GetAsyncKeyState(VK_LBUTTON) < 0) {
    if (clock.due(GetTickCount())) SendMessageA(w, spin::kStep, 0, 0);
    Sleep(1);
  }
  ReleaseCapture();
  if (IsWindow(w)) InvalidateRect(w, nullptr, TRUE);
}

LRESULT handle(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case spin::kSetRange: set_long(w, spin::kOffsetRange, LONG(lp)); return 0;
    case spin::kGetRange: return get_long(w, spin::kOffsetRange);
    case spin::kSetValue: set_value(w, int32_t(wp)); return 0;
    case spin::kGetValue: return get_long(w, spin::kOffsetValue);
    case spin::kSetBuddy: set_long(w, spin::kOffsetBuddy, LONG(lp)); return 0;
    case spin::kStep: repeat_step(w); return 0;
    case WM_CREATE:
      SendMessageA(w, spin::kSetRange, 0, 0);
      SendMessageA(w, spin::kSetBuddy, 0, 0);
      SendMessageA(w, spin::kSetValue, 0, 0);
      return 0;
    case WM_ENABLE: InvalidateRect(w, nullptr, FALSE); return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(w, &ps)) {
        draw(w, dc, 0);
        EndPaint(w, &ps);
      }
      return 0;
    }
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_LBUTTONDOWN: press(w, lp); return 0;
    default: return DefWindowProcA(w, msg, wp, lp);
  }
}

LRESULT CALLBACK spin_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    return handle(w, msg, wp, lp);
  } catch (...) {
    return 0;
  }
}

bool register_class(HINSTANCE instance) {
  WNDCLASSA wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS;
  wc.lpfnWndProc = spin_proc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = spin::kExtraBytes;
  wc.hInstance = instance;
  wc.hIcon = nullptr;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
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
