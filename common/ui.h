#pragma once
#include <cstdint>

// How core code talks to the user or the host: a message box (text, caption, flags → the
// answer) and a progress text. A Win32 shell fills the table with MessageBoxA and
// WM_SETTEXT; the `zel` host prints to the terminal; tests record and script the calls.
struct UiTable {
  void* context;
  int (*message_box)(void* context, const char* text, const char* caption, uint32_t flags);
  void (*progress)(void* context, const char* text);
};

inline int ui_message(const UiTable& ui, const char* text, const char* caption, uint32_t flags) {
  return ui.message_box ? ui.message_box(ui.context, text, caption, flags) : 0;
}

inline void ui_progress(const UiTable& ui, const char* text) {
  if (ui.progress) ui.progress(ui.context, text);
}
