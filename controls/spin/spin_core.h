#pragma once
// The "Spin" up/down control: range unpacking, the step rule, reading a value from the
// buddy's text, the repeat schedule of a held press, and the drawing as plain primitives.
#include <cstdint>
#include <string>
#include <vector>

namespace spin {

// Window extra bytes of a "Spin" window.
constexpr int kOffsetRange = 0;
constexpr int kOffsetValue = 4;
constexpr int kOffsetHalf = 8;
constexpr int kOffsetBuddy = 12;
constexpr int kExtraBytes = 16;

// Messages.
constexpr unsigned kSetRange = 0x400;  // SPM_SETRANGE: lParam = min | max << 16
constexpr unsigned kGetRange = 0x401;  // SPM_GETRANGE
constexpr unsigned kSetValue = 0x402;  // SPM_SETVALUE: wParam = value
constexpr unsigned kGetValue = 0x403;  // SPM_GETVALUE
constexpr unsigned kSetBuddy = 0x404;  // SPM_SETBUDDY: lParam = buddy window
constexpr unsigned kStep = 0x400 + 500;  // SPM_STEP: one repeat step, sent to itself

constexpr unsigned kStyleWrap = 0x0001;  // SPS_WRAP
constexpr unsigned kNotifyChange = 1;    // SPN_CHANGE, high word of the WM_COMMAND wParam

constexpr uint32_t kRepeatMs = 150;
constexpr int kBuddyTextMax = 31;  // characters read from the buddy

enum Half : int32_t { kNoHalf = 0, kUpper = 1, kLower = 2 };

struct Range {
  int32_t minimum;  // both 0..65535
  int32_t maximum;
};
Range unpack_range(uint32_t packed);  // minimum = low word, maximum = high word

// The half of a control `height` pixels high under client row y.
Half half_at(int y, int height);

// One step from `value` on `half`: up while below the maximum, down while above the minimum;
// at the end, with wrap, to the other end; otherwise unchanged.
int32_t step_value(int32_t value, Half half, Range range, bool wrap);

// The value a press takes from the buddy's text: an empty text keeps `current`; otherwise the
// text read as a decimal integer (leading blanks, optional sign, digits up to the first other
// character; none gives 0; too large saturates), then above the maximum -> maximum, below
// the minimum -> minimum.
int32_t value_from_text(const std::string& text, int32_t current, Range range);

// "%ld" of a value, as written into the buddy.
std::string value_text(int32_t value);

// The schedule of a held press: the first step is due at once, then one every 150 ms.
// Tick counts wrap around like the system's millisecond counter.
struct RepeatClock {
  uint32_t next_step = 0;
  void start(uint32_t now) { next_step = now - kRepeatMs; }
  // True when a step is due at `now`; then the next one is 150 ms later.
  bool due(uint32_t now);
};

// Drawing as primitives in client coordinates. A fill covers [left, right) x [top, bottom);
// a line runs from (x0, y0) to (x1, y1) without its end point; a frame is a one-pixel border
// of the rectangle [left, right) x [top, bottom) (null brush).
enum class Colour { Face, White, Shadow, Highlight, Black };
struct Op {
  enum Kind { Fill, Line, Frame } kind;
  Colour colour;
  int x0, y0, x1, y1;  // rectangle (left, top, right, bottom) for Fill and Frame
};

// state: +1 upper pressed, -1 lower pressed, 0 none. Only the height matters: the control is
// drawn as a column height / 2 wide.
std::vector<Op> draw_ops(int height, int state);

// Drawing state for a pressed half.
inline int state_for(Half h) { return h == kUpper ? 1 : h == kLower ? -1 : 0; }

}  // namespace spin
