#pragma once
// A live dialog against its resource table: caption, modal frame, "MS Sans Serif", centred on
// the screen, client size, then each child in creation order (class, id, text, style bits,
// position and size mapped from dialog units). Returns what differs; empty when all agree.
// `frame` is the dialog's own style; a bit of the usual frame left out of it must be absent.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

struct DialogControl {
  const char* window_class;
  int id;
  const char* text;  // not compared for Edit controls
  int x, y, w, h;    // dialog units; w = 0 compares only the position
  LONG style;        // style bits the control must have
};

inline std::vector<std::string> dialog_layout_faults(HWND dlg, const char* title, int w, int h,
                                                    const std::vector<DialogControl>& controls,
                                                    LONG frame = DS_MODALFRAME | WS_CAPTION | WS_SYSMENU | WS_POPUP) {
  std::vector<std::string> faults;
  char text[256] = {};
  GetWindowTextA(dlg, text, sizeof text);
  if (std::strcmp(text, title) != 0) faults.push_back(std::string("caption ") + text);
  const LONG usual = DS_MODALFRAME | WS_CAPTION | WS_SYSMENU | WS_POPUP;
  if ((GetWindowLongA(dlg, GWL_STYLE) & usual) != frame) faults.push_back("dialog style");
  LOGFONTA font = {};
  GetObjectA((HFONT)SendMessageA(dlg, WM_GETFONT, 0, 0), sizeof font, &font);
  if (std::strcmp(font.lfFaceName, "MS Sans Serif") != 0) faults.push_back(std::string("font ") + font.lfFaceName);
  RECT win, size = {0, 0, w, h}, client;
  GetWindowRect(dlg, &win);
  if (win.left != (GetSystemMetrics(SM_CXSCREEN) - (win.right - win.left)) / 2 ||
      win.top != (GetSystemMetrics(SM_CYSCREEN) - (win.bottom - win.top)) / 2)
    faults.push_back("not centred");
  MapDialogRect(dlg, &size);
  GetClientRect(dlg, &client);
  if (client.right != size.right || client.bottom != size.bottom) faults.push_back("client size");
  HWND child = GetWindow(dlg, GW_CHILD);
  for (const DialogControl& c : controls) {
    if (!child) {
      faults.push_back(std::string("missing ") + c.text);
      break;
    }
    const std::string name = c.text;
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    if (std::strcmp(cls, c.window_class) != 0) faults.push_back(name + ": class " + cls);
    if ((GetDlgCtrlID(child) & 0xFFFF) != (c.id & 0xFFFF)) faults.push_back(name + ": id");
    if (std::strcmp(c.window_class, "Edit") != 0 && name != text) faults.push_back(name + ": text " + text);
    if ((GetWindowLongA(child, GWL_STYLE) & c.style) != c.style) faults.push_back(name + ": style");
    // Position and size are mapped separately, as the dialog manager does.
    RECT at = {c.x, c.y, c.w, c.h}, got;
    MapDialogRect(dlg, &at);
    GetWindowRect(child, &got);
    MapWindowPoints(nullptr, dlg, (POINT*)&got, 2);
    if (got.left != at.left || got.top != at.top) faults.push_back(name + ": position");
    if (c.w && (got.right - got.left != at.right || got.bottom - got.top != at.bottom))
      faults.push_back(name + ": size");
    child = GetWindow(child, GW_HWNDNEXT);
  }
  if (child) faults.push_back("more controls than the layout");
  return faults;
}
