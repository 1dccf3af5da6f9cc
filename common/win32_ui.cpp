#include "common/win32_ui.h"

#include "common/centre.h"

namespace {

int win32_message_box(void* context, const char* text, const char* caption, uint32_t flags) {
  auto* target = static_cast<Win32UiTarget*>(context);
  HWND owner = target && target->owner ? target->owner : GetFocus();
  return MessageBoxA(owner, text, caption, flags);
}

void win32_progress(void* context, const char* text) {
  auto* target = static_cast<Win32UiTarget*>(context);
  if (target && target->status) SendMessageA(target->status, WM_SETTEXT, 0, (LPARAM)text);
}

}  // namespace

UiTable win32_ui(Win32UiTarget* target) {
  return UiTable{target, win32_message_box, win32_progress};
}

void CentreOnScreen(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  ScreenPoint p = centre_on_screen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                   r.right - r.left, r.bottom - r.top);
  SetWindowPos(window, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
