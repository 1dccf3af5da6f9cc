// QEL.dll: the export _QELbuilder, the "Text Builder Utility" dialog (resource 100) with
// its live previews and hold-point picture (bitmap 99), the font and colour dialogs, and
// the hand-over to the solid builder. The rules live in builder_rules and preview; this
// file only moves values between them and the windows.
#include <windows.h>

#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/win32_ui.h"
#include "textbuilder/builder_rules.h"
#include "textbuilder/font_reader.h"
#include "textbuilder/preview.h"
#include "textbuilder/text_build.h"

namespace {

struct BuilderModule {
  HINSTANCE instance = nullptr;
  // The current call's host folder and settings.
  std::string host_folder;
  TextBuildSettings* settings = nullptr;
  char font_folder[kFolderChars] = {};
  COLORREF custom_colors[16] = {};  // kept while the library is loaded
  // The hold-point picture, loaded for the dialog's lifetime.
  HBITMAP picture = nullptr;
  int picture_width = 0, picture_height = 0;
  const char* colour_caption = "";
  // Boxes of the dialog's time (the previews' and the reader's) belong to the dialog;
  // the status line is control 126.
  Win32UiTarget dialog_target = {nullptr, nullptr};
};
BuilderModule g;

bool lead_byte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

void set_folder(const std::string& folder) {
  std::strncpy(g.font_folder, folder.c_str(), sizeof g.font_folder - 1);
  g.font_folder[sizeof g.font_folder - 1] = '\0';
}

UiTable dialog_ui() { return win32_ui(&g.dialog_target); }

// The standard open-file dialog for a .pfb / .pfa font, pre-filled with the current font.
// The settings' path changes only when a file was chosen.
int choose_font_file(HWND owner, char* folder) {
  char filter[32];
  std::strncpy(filter, kFontFilter, sizeof filter);
  for (char& c : filter)
    if (c == '|') c = '\0';
  char file[sizeof g.settings->font_path];
  std::memcpy(file, g.settings->font_path, sizeof file);
  file[sizeof file - 1] = '\0';
  char title[256] = {};
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrFileTitle = title;
  ofn.nMaxFileTitle = sizeof title;
  ofn.lpstrInitialDir = folder;
  ofn.lpstrTitle = kFontDialogTitle;
  ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameA(&ofn)) return 0;
  std::memcpy(g.settings->font_path, file, sizeof file);
  const std::string chosen = folder_of(file, lead_byte);
  std::strncpy(folder, chosen.c_str(), kFolderChars - 1);
  folder[kFolderChars - 1] = '\0';
  return 1;
}

UINT_PTR CALLBACK colour_hook(HWND dlg, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  SetWindowTextA(dlg, g.colour_caption);
  return TRUE;
}

// The standard colour dialog on three colour bytes (red, green, blue).
void pick_color(uint8_t* rgb, const char* caption, HWND owner) {
  CHOOSECOLORA cc = {};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  cc.rgbResult = RGB(rgb[0], rgb[1], rgb[2]);
  cc.lpCustColors = g.custom_colors;
  cc.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK;
  cc.lpfnHook = colour_hook;
  g.colour_caption = caption;
  if (!ChooseColorA(&cc)) return;
  rgb[0] = GetRValue(cc.rgbResult);
  rgb[1] = GetGValue(cc.rgbResult);
  rgb[2] = GetBValue(cc.rgbResult);
}

void set_scroll_value(HWND dlg, int bar, int label, int32_t value) {
  SetScrollPos(GetDlgItem(dlg, bar), SB_CTL, value, TRUE);
  char text[16];
  std::snprintf(text, sizeof text, "%ld", long(value));
  SetDlgItemTextA(dlg, label, text);
}

void repaint(HWND dlg, int id) { InvalidateRect(GetDlgItem(dlg, id), nullptr, FALSE); }

void repaint_previews(HWND dlg, uint32_t what) {
  if (what & follow::RepaintShape) repaint(dlg, qel_id::ShapePreview);
  if (what & follow::RepaintProfile) repaint(dlg, qel_id::ProfilePreview);
}

void release_dialog_state() {
  if (g.picture) DeleteObject(g.picture);
  g.picture = nullptr;
  release_preview();
}

// The previews' canvas on an owner-drawn item's device context.
struct GdiCanvas {
  HDC dc;
  HPEN red = nullptr;
  HGDIOBJ old = nullptr;
};

PreviewCanvas gdi_canvas(GdiCanvas* c) {
  return PreviewCanvas{
      c,
      [](void* p, int32_t l, int32_t t, int32_t r, int32_t b) { Rectangle(static_cast<GdiCanvas*>(p)->dc, l, t, r, b); },
      [](void* p, bool on) {
        auto* gc = static_cast<GdiCanvas*>(p);
        if (on) {
          gc->red = CreatePen(PS_SOLID, 0, RGB(255, 0, 0));
          gc->old = SelectObject(gc->dc, gc->red);
        } else {
          SelectObject(gc->dc, gc->old);
          DeleteObject(gc->red);
          gc->red = nullptr;
        }
      },
      [](void* p, const PreviewPoint* points, int32_t n) {
        // The drawings ask for lines and four-point copies only.
        POINT pts[4];
        const int32_t count = n < 4 ? n : 4;
        for (int32_t i = 0; i < count; ++i) pts[i] = POINT{points[i].x, points[i].y};
        Polyline(static_cast<GdiCanvas*>(p)->dc, pts, count);
      }};
}

void draw_item(const DRAWITEMSTRUCT& item) {
  const RECT& r = item.rcItem;
  switch (item.CtlID) {
    case qel_id::FaceSwatch:
    case qel_id::BevelSwatch:
    case qel_id::SideSwatch: {
      if (item.itemState & ODS_SELECTED) {
        InvertRect(item.hDC, &r);
        return;
      }
      const uint8_t* c = colour_command(g.settings, int(item.CtlID)).color;
      HBRUSH brush = CreateSolidBrush(RGB(c[0], c[1], c[2]));
      HGDIOBJ old = SelectObject(item.hDC, brush);
      Rectangle(item.hDC, r.left, r.top, r.right, r.bottom);
      SelectObject(item.hDC, old);
      DeleteObject(brush);
      return;
    }
    case qel_id::ShapePreview: {
      GdiCanvas c{item.hDC};
      draw_shape_preview(gdi_canvas(&c), *g.settings, preview_segments(), r.left, r.top, r.right, r.bottom);
      return;
    }
    case qel_id::ProfilePreview: {
      GdiCanvas c{item.hDC};
      draw_profile_preview(gdi_canvas(&c), *g.settings, r.left, r.top, r.right, r.bottom);
      return;
    }
    case qel_id::HoldPointPicture: {
      if (!g.picture) return;
      HDC memory = CreateCompatibleDC(item.hDC);
      HGDIOBJ old = SelectObject(memory, g.picture);
      BitBlt(item.hDC, r.left, r.top, g.picture_width, g.picture_height, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old);
      DeleteDC(memory);
      return;
    }
    default:
      return;
  }
}

void refresh(HWND dlg) {
  refresh_preview(*g.settings, dialog_ui());
  repaint_previews(dlg, follow::RepaintShape | follow::RepaintProfile);
}

void show_font_path(HWND dlg) {
  char path[sizeof g.settings->font_path + 1] = {};
  std::memcpy(path, g.settings->font_path, sizeof g.settings->font_path);
  SetDlgItemTextA(dlg, qel_id::FontName, path);
}

BOOL init_dialog(HWND dlg) {
  TextBuildSettings& s = *g.settings;
  g.dialog_target = Win32UiTarget{dlg, GetDlgItem(dlg, qel_id::Status)};
  font_reader_setup(glyph_table_in(g.host_folder), dialog_ui());
  g.picture = LoadBitmapA(g.instance, MAKEINTRESOURCEA(qel_id::HoldPointBitmap));
  BITMAP info = {};
  if (g.picture && GetObjectA(g.picture, sizeof info, &info)) {
    g.picture_width = info.bmWidth;
    g.picture_height = info.bmHeight;
  }
  refresh_preview(s, dialog_ui());
  EnableWindow(GetDlgItem(dlg, qel_id::Status), FALSE);
  for (int bar : {qel_id::AngleBar, qel_id::DepthBar, qel_id::WidthBar}) {
    const ScrollBarRule* rule = scroll_bar_rule(bar);
    SetScrollRange(GetDlgItem(dlg, bar), SB_CTL, rule->min, rule->max, FALSE);
  }
  if (int button = button_of_hold_point(s.hold_point)) CheckDlgButton(dlg, button, BST_CHECKED);
  for (int bar : {qel_id::AngleBar, qel_id::DepthBar, qel_id::WidthBar}) {
    const ScrollBarRule* rule = scroll_bar_rule(bar);
    set_scroll_value(dlg, bar, rule->label, s.*rule->field);
  }
  char preview[4];
  std::snprintf(preview, sizeof preview, "%c", char(s.preview_char));
  SetDlgItemTextA(dlg, qel_id::PreviewEdit, preview);
  show_font_path(dlg);
  CheckDlgButton(dlg, s.direction > 0 ? qel_id::LeftToRight : qel_id::RightToLeft, BST_CHECKED);
  if (s.bevel_back) CheckDlgButton(dlg, qel_id::Back, BST_CHECKED);
  if (s.bevel_front) CheckDlgButton(dlg, qel_id::Front, BST_CHECKED);
  CheckDlgButton(dlg, s.fill_faces ? qel_id::Fill : qel_id::DontFill, BST_CHECKED);
  char text[sizeof s.text + 1] = {};
  std::memcpy(text, s.text, sizeof s.text);
  SetDlgItemTextA(dlg, qel_id::TextEdit, text);
  SendDlgItemMessageA(dlg, qel_id::TextEdit, EM_LIMITTEXT, kTextEditLimit, 0);
  EnableWindow(GetDlgItem(dlg, qel_id::Make), GetWindowTextLengthA(GetDlgItem(dlg, qel_id::TextEdit)) > 0);
  CentreOnScreen(dlg);
  return TRUE;
}

BOOL on_scroll(HWND dlg, WPARAM wp, LPARAM lp) {
  // The bar's range is the rule's: init_dialog set it and nothing changes it.
  const ScrollBarRule* rule = lp ? scroll_bar_rule(GetDlgCtrlID(HWND(lp))) : nullptr;
  if (!rule) return FALSE;
  repaint_previews(dlg, apply_scroll(g.settings, *rule, LOWORD(wp), HIWORD(wp)));
  set_scroll_value(dlg, rule->bar, rule->label, g.settings->*rule->field);
  return TRUE;
}

BOOL on_command(HWND dlg, int id) {
  switch (id) {
    case qel_id::PreviewEdit: {
      char text[kPreviewEditRead + 1] = {};
      GetDlgItemTextA(dlg, id, text, sizeof text);
      const uint32_t next = apply_setting_command(g.settings, id, text);
      if (next & follow::RefreshPreview) refresh_preview(*g.settings, dialog_ui());
      repaint_previews(dlg, next);
      return FALSE;
    }
    case qel_id::TextEdit:
      EnableWindow(GetDlgItem(dlg, qel_id::Make), GetWindowTextLengthA(GetDlgItem(dlg, id)) > 0);
      return FALSE;
    case qel_id::Choose:
      if (choose_font_file(dlg, g.font_folder)) {
        refresh(dlg);
        show_font_path(dlg);
      }
      return FALSE;
    case qel_id::Help: {
      const std::string help = help_file_path(g.host_folder.c_str());
      WinHelpA(dlg, help.c_str(), HELP_CONTENTS, 0);
      EnableWindow(GetDlgItem(dlg, qel_id::Help), FALSE);
      return FALSE;
    }
    case qel_id::FaceSwatch:
    case qel_id::BevelSwatch:
    case qel_id::SideSwatch: {
      const ColourCommand c = colour_command(g.settings, id);
      pick_color(c.color, c.caption, dlg);
      repaint(dlg, id);
      return FALSE;
    }
    case qel_id::Make: {
      release_dialog_state();
      char text[kTextEditLimit + 4] = {};
      GetDlgItemTextA(dlg, qel_id::TextEdit, text, sizeof text);
      store_make_text(g.settings, text);
      EndDialog(dlg, 1);
      return TRUE;
    }
    case qel_id::Cancel:
      release_dialog_state();
      EndDialog(dlg, 0);
      return TRUE;
    default:
      repaint_previews(dlg, apply_setting_command(g.settings, id, nullptr));
      return FALSE;
  }
}

INT_PTR CALLBACK builder_dialog_proc(HWND dlg, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_INITDIALOG: return init_dialog(dlg);
    case WM_DRAWITEM:
      draw_item(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_HSCROLL: return on_scroll(dlg, wp, lp);
    case WM_COMMAND: return on_command(dlg, LOWORD(wp));
    case WM_DESTROY:
      // However the dialog ends, nothing of it outlives it.
      release_dialog_state();
      g.dialog_target = Win32UiTarget{nullptr, nullptr};
      return FALSE;
    default: return FALSE;
  }
}

// The grey ramp the colour dialog's custom colours start from.
struct GreyRamp {
  GreyRamp() {
    for (int i = 0; i < 16; ++i) g.custom_colors[i] = RGB(255 - 16 * i, 255 - 16 * i, 255 - 16 * i);
  }
} grey_ramp;

int builder(HWND parent, const char* host_folder, ModelInterface* model, TextBuildSettings* settings) {
  g.host_folder = host_folder ? host_folder : "";
  g.settings = settings;
  set_folder(font_folder_for(g.host_folder.c_str(), *settings, lead_byte));
  if (!settings->font_path[0] && !choose_font_file(parent, g.font_folder)) return 0;
  const INT_PTR answer =
      DialogBoxParamA(g.instance, MAKEINTRESOURCEA(qel_id::Dialog), parent, builder_dialog_proc, 0);
  if (answer != 1) return 0;
  // The build's boxes belong to the host's window.
  Win32UiTarget host_target = {parent, nullptr};
  font_reader_setup(glyph_table_in(g.host_folder), win32_ui(&host_target));
  build_text(*settings, model, win32_ui(&host_target));
  return 1;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g.instance = instance;
  return TRUE;
}

extern "C" int ZEL_CDECL QELbuilder(HWND parent, const char* host_folder, ModelInterface* model,
                                    TextBuildSettings* settings) noexcept {
  if (!settings || !model) return 0;
  try {
    return builder(parent, host_folder, model, settings);
  } catch (...) {
    release_dialog_state();
    return 0;
  }
}
