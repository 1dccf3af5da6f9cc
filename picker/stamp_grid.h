#pragma once
// Where the stamps are: a sheet of 320 x 200 pixels holds 6 columns and 5 rows of stamps,
// numbered 1 to 30 row by row from the top-left; cells are 320/6 x 200/6 pixels, and the
// sixth row of cells below the stamps holds none. The picker's click rules live here too.
#include <cstdint>

namespace picker {

constexpr int32_t kGridWidth = 320;
constexpr int32_t kGridHeight = 200;
constexpr int32_t kColumns = 6;
constexpr int32_t kStampCount = 30;
constexpr int32_t kNoStamp = -1;

// The stamp under client point (x, y), or kNoStamp for the empty sixth row and for any point
// outside the 320 x 200 sheet area (the cell formula would name a wrong stamp there).
int32_t stamp_at(uint32_t x, uint32_t y);

// A press of the left button at the point packed into a mouse message's lParam (x in the low
// word, y in the high word, both unsigned): the new selection, and whether to beep.
struct Press {
  int32_t selection;
  bool beep;
};
Press press_at(uint32_t lparam);

// A release ends the picker when a stamp is selected.
inline bool release_ends_picker(int32_t selection) { return selection >= 1 && selection <= kStampCount; }

// Refused window commands: size, minimise, maximise (wParam of the system command, whose low
// four bits the system uses itself).
bool system_command_refused(uint32_t wparam);
constexpr uint32_t kScSize = 0xF000;
constexpr uint32_t kScMinimize = 0xF020;
constexpr uint32_t kScMaximize = 0xF030;
constexpr uint32_t kScClose = 0xF060;
inline bool system_command_is_close(uint32_t wparam) { return (wparam & 0xFFF0) == kScClose; }

// The window before a sheet is loaded: at (25, 25), the screen less 50 each way.
struct WindowRect {
  int32_t x, y, width, height;
};
inline WindowRect initial_window(int32_t screen_width, int32_t screen_height) {
  return WindowRect{25, 25, screen_width - 50, screen_height - 50};
}

}  // namespace picker
