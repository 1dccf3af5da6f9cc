#pragma once
// Win32 side of the common helpers (shells only).
#include <windows.h>

#include "common/ui.h"

// The window the Win32 UI table talks to. A null owner means "the window that has the
// focus when the box is shown"; status receives progress texts through WM_SETTEXT.
struct Win32UiTarget {
  HWND owner;
  HWND status;
};

// Fills a UiTable with MessageBoxA and WM_SETTEXT for the given target (which must outlive
// the table).
UiTable win32_ui(Win32UiTarget* target);

// Moves a window to the middle of the screen, keeping its size and Z order.
void CentreOnScreen(HWND window);
