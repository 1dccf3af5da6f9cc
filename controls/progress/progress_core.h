#pragma once
// The "Update" percentage bar: what a paint shows for a range and a position. Only the low
// 16 bits of both values take part; a range whose low word is 0 shows 0 % and no fill.
#include <cstdint>
#include <string>

namespace progress {

// Window extra bytes of an "Update" window.
constexpr int kOffsetRange = 0;
constexpr int kOffsetPosition = 4;
constexpr int kOffsetFont = 8;
constexpr int kExtraBytes = 12;

// Messages (besides the standard ones it answers).
constexpr unsigned kSetRange = 0x400;  // UPM_SETRANGE: wParam = range
constexpr unsigned kGetRange = 0x401;  // UPM_GETRANGE
constexpr unsigned kSetPos = 0x402;    // UPM_SETPOS: wParam = position
constexpr unsigned kGetPos = 0x403;    // UPM_GETPOS

// What a new bar holds after WM_CREATE.
constexpr uint32_t kInitialRange = 100;
constexpr uint32_t kInitialPosition = 50;

// Range and position as drawing uses them: low words, and range 0 turned into 1 with
// position 0.
struct BarValues {
  uint32_t range;
  uint32_t position;
};
BarValues bar_values(uint32_t range, uint32_t position);

// "42%": (position * 100) / range over the drawing values, integer division.
std::string percent_text(uint32_t range, uint32_t position);

// Right edge of the filled part of a bar `width` pixels wide: width * position / range,
// integer division. A position above the range fills the whole bar (never more than width).
int fill_right(uint32_t range, uint32_t position, int width);

struct Rect {
  int left, top, right, bottom;
};

// Everything a paint needs: the label, where it goes (x is the centre for TA_CENTER), the
// filled rectangle drawn window-coloured on blue and the empty one drawn blue on the window
// colour.
struct BarLayout {
  std::string text;
  int text_x;
  int text_y;
  Rect filled;
  Rect empty;
};
BarLayout layout_bar(uint32_t range, uint32_t position, int width, int height, int text_height);

}  // namespace progress
