#include "controls/spin/spin_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

namespace {

using spin::Half;
using spin::Range;

TEST(SpinRange, LowWordIsMinimumHighWordMaximumBothUnsigned) {
  const Range r = spin::unpack_range(0x00640005);
  EXPECT_EQ(r.minimum, 5);
  EXPECT_EQ(r.maximum, 100);
  const Range wide = spin::unpack_range(0xFFFF8000u);
  EXPECT_EQ(wide.minimum, 0x8000);
  EXPECT_EQ(wide.maximum, 0xFFFF);
}

TEST(SpinHalf, UpperIsAboveHalfTheHeight) {
  EXPECT_EQ(spin::half_at(0, 40), spin::kUpper);
  EXPECT_EQ(spin::half_at(19, 40), spin::kUpper);
  EXPECT_EQ(spin::half_at(20, 40), spin::kLower);
  EXPECT_EQ(spin::half_at(19, 41), spin::kUpper);
  EXPECT_EQ(spin::half_at(20, 41), spin::kLower);
}

struct StepCase {
  int32_t value;
  Half half;
  bool wrap;
  int32_t expected;
};

TEST(SpinStep, StepsInsideTheRangeAndWrapsOnlyWhenAsked) {
  const Range r{0, 10};
  const StepCase cases[] = {
      {5, spin::kUpper, false, 6},   {5, spin::kLower, false, 4},
      {10, spin::kUpper, false, 10}, {10, spin::kUpper, true, 0},
      {0, spin::kLower, false, 0},   {0, spin::kLower, true, 10},
      {9, spin::kUpper, true, 10},   {1, spin::kLower, true, 0},
      // a value stored outside the range: the comparisons decide, not a clamp
      {50, spin::kUpper, false, 50}, {50, spin::kUpper, true, 0},
      {50, spin::kLower, false, 49}, {-3, spin::kUpper, false, -2},
      {-3, spin::kLower, true, 10},
  };
  for (const StepCase& c : cases)
    EXPECT_EQ(spin::step_value(c.value, c.half, r, c.wrap), c.expected)
        << c.value << " half " << c.half << " wrap " << c.wrap;
  EXPECT_EQ(spin::step_value(7, spin::kNoHalf, r, true), 7);
  EXPECT_EQ(spin::step_value(65534, spin::kUpper, Range{0, 65535}, false), 65535);
}

TEST(SpinBuddyText, ReadAsDecimalThenLimitedToTheRange) {
  const Range r{5, 100};
  EXPECT_EQ(spin::value_from_text("250", 7, r), 100);
  EXPECT_EQ(spin::value_from_text("42", 7, r), 42);
  EXPECT_EQ(spin::value_from_text("-5", 7, r), 5);
  EXPECT_EQ(spin::value_from_text("  +64xyz", 7, r), 64);
  EXPECT_EQ(spin::value_from_text("abc", 7, r), 5);  // no digits reads as 0
  EXPECT_EQ(spin::value_from_text("99999999999999999999", 7, r), 100);
  EXPECT_EQ(spin::value_from_text("-99999999999999999999", 7, r), 5);
  // empty keeps the current value, even one outside the range
  EXPECT_EQ(spin::value_from_text("", 7, r), 7);
  EXPECT_EQ(spin::value_from_text("", 500, r), 500);
  // maximum is checked first when the range is inverted
  EXPECT_EQ(spin::value_from_text("7", 0, Range{10, 5}), 5);
  EXPECT_EQ(spin::value_from_text("3", 0, Range{10, 5}), 10);
}

TEST(SpinBuddyText, ValueTextIsPlainDecimal) {
  EXPECT_EQ(spin::value_text(0), "0");
  EXPECT_EQ(spin::value_text(-12), "-12");
  EXPECT_EQ(spin::value_text(2147483647), "2147483647");
  EXPECT_EQ(spin::value_text(-2147483647 - 1), "-2147483648");
  // what is written is read back unchanged inside the range
  EXPECT_EQ(spin::value_from_text(spin::value_text(65535), 0, Range{0, 65535}), 65535);
}

// Polls the clock every millisecond over [start, start + hold) and counts due steps.
int steps_while_held(uint32_t start, uint32_t hold_ms) {
  spin::RepeatClock clock;
  clock.start(start);
  int steps = 0;
  for (uint32_t t = 0; t < hold_ms; ++t) steps += clock.due(start + t) ? 1 : 0;
  return steps;
}

TEST(SpinRepeat, FirstStepAtOnceThenEvery150Ms) {
  EXPECT_EQ(steps_while_held(1000, 1), 1);
  EXPECT_EQ(steps_while_held(1000, 150), 1);
  EXPECT_EQ(steps_while_held(1000, 151), 2);
  EXPECT_EQ(steps_while_held(1000, 1000), 7);
  // the same across the wrap of the millisecond counter, and right after it
  EXPECT_EQ(steps_while_held(0xFFFFFF00u, 1000), 7);
  EXPECT_EQ(steps_while_held(20, 1000), 7);

  // a late poll steps once and restarts the interval from that moment
  spin::RepeatClock clock;
  clock.start(0);
  EXPECT_TRUE(clock.due(0));
  EXPECT_FALSE(clock.due(149));
  EXPECT_TRUE(clock.due(400));
  EXPECT_FALSE(clock.due(549));
  EXPECT_TRUE(clock.due(550));
}

// A tiny raster of what draw_ops paints, 'F'ace, 'W'hite, 'S'hadow, 'H'ighlight, 'B'lack.
struct Raster {
  int w, h;
  std::string px;
  Raster(int width, int height) : w(width), h(height), px(size_t(width * height), '.') {}
  void set(int x, int y, char c) {
    if (x >= 0 && y >= 0 && x < w && y < h) px[size_t(y * w + x)] = c;
  }
  char at(int x, int y) const { return px[size_t(y * w + x)]; }
};

char code(spin::Colour c) {
  switch (c) {
    case spin::Colour::Face: return 'F';
    case spin::Colour::White: return 'W';
    case spin::Colour::Shadow: return 'S';
    case spin::Colour::Highlight: return 'H';
    case spin::Colour::Black: return 'B';
  }
  return '?';
}

Raster render(int height, int state) {
  Raster r(height / 2 + 4, height);
  for (const spin::Op& op : spin::draw_ops(height, state)) {
    const char c = code(op.colour);
    if (op.kind == spin::Op::Fill) {
      for (int y = op.y0; y < op.y1; ++y)
        for (int x = op.x0; x < op.x1; ++x) r.set(x, y, c);
    } else if (op.kind == spin::Op::Frame) {
      for (int x = op.x0; x < op.x1; ++x) r.set(x, op.y0, c), r.set(x, op.y1 - 1, c);
      for (int y = op.y0; y < op.y1; ++y) r.set(op.x0, y, c), r.set(op.x1 - 1, y, c);
    } else {
      EXPECT_TRUE(op.x0 == op.x1 || op.y0 == op.y1) << "only straight lines are drawn";
      const int dx = op.x1 > op.x0 ? 1 : op.x1 < op.x0 ? -1 : 0;
      const int dy = op.y1 > op.y0 ? 1 : op.y1 < op.y0 ? -1 : 0;
      for (int x = op.x0, y = op.y0; x != op.x1 || y != op.y1; x += dx, y += dy) r.set(x, y, c);
    }
  }
  return r;
}

std::set<std::pair<int, int>> black_inside(const Raster& r, int top, int bottom) {
  std::set<std::pair<int, int>> out;
  const int s = r.h / 2;
  for (int y = top; y < bottom; ++y)
    for (int x = 1; x < s; ++x)
      if (r.at(x, y) == 'B') out.insert({x, y});
  return out;
}

TEST(SpinDrawing, FrameDividerAndRaisedButtons) {
  const Raster r = render(40, 0);  // s = 20
  for (int y = 0; y < 40; ++y) {
    EXPECT_EQ(r.at(0, y), 'B') << y;
    EXPECT_EQ(r.at(20, y), 'B') << y;
  }
  for (int x = 0; x <= 20; ++x) {
    EXPECT_EQ(r.at(x, 0), 'B');
    EXPECT_EQ(r.at(x, 20), 'B');
    EXPECT_EQ(r.at(x, 39), 'B');
  }
  EXPECT_EQ(r.at(21, 10), '.');  // right of the column: left to the class background
  // upper button raised: light top-left, shadow bottom-right, face inside
  EXPECT_EQ(r.at(1, 10), 'W');
  EXPECT_EQ(r.at(10, 1), 'W');
  EXPECT_EQ(r.at(19, 10), 'S');
  EXPECT_EQ(r.at(10, 19), 'S');
  EXPECT_EQ(r.at(3, 15), 'F');
  // lower button raised
  EXPECT_EQ(r.at(1, 30), 'W');
  EXPECT_EQ(r.at(10, 21), 'W');
  EXPECT_EQ(r.at(19, 30), 'S');  // its bottom shadow lies under the frame's bottom edge
}

TEST(SpinDrawing, PressedButtonIsSunkenAndItsArrowMovesOneRightAndDown) {
  const Raster up = render(40, 0);
  const Raster pressed = render(40, 1);
  EXPECT_EQ(pressed.at(1, 10), 'S');
  EXPECT_EQ(pressed.at(10, 1), 'S');
  EXPECT_EQ(pressed.at(18, 10), 'F');
  EXPECT_EQ(pressed.at(10, 18), 'F');
  EXPECT_EQ(pressed.at(1, 30), 'W');  // the other button stays raised

  std::set<std::pair<int, int>> moved;
  for (auto p : black_inside(up, 1, 20)) moved.insert({p.first + 1, p.second + 1});
  EXPECT_EQ(black_inside(pressed, 1, 20), moved);
  EXPECT_EQ(black_inside(pressed, 21, 39), black_inside(up, 21, 39));

  const Raster lower = render(40, -1);
  EXPECT_EQ(lower.at(1, 30), 'S');
  EXPECT_EQ(lower.at(10, 21), 'S');
  std::set<std::pair<int, int>> moved_down;
  for (auto p : black_inside(up, 21, 39)) moved_down.insert({p.first + 1, p.second + 1});
  EXPECT_EQ(black_inside(lower, 21, 39), moved_down);
}

TEST(SpinDrawing, ArrowsAreFiveRowTrianglesPointingAwayFromTheDivider) {
  for (int height = 20; height <= 64; ++height) {
    const int s = height / 2;
    const Raster r = render(height, 0);
    const auto up = black_inside(r, 1, s);
    const auto down = black_inside(r, s + 1, height - 1);
    ASSERT_EQ(up.size(), 25u) << height;  // 1 + 3 + 5 + 7 + 9
    ASSERT_EQ(down.size(), 25u) << height;
    // tips: the single pixel of the up arrow is its top row, of the down arrow its bottom row
    int up_tip_y = height;
    for (auto p : up) up_tip_y = std::min(up_tip_y, p.second);
    int top_row = 0, bottom_row = 0;
    for (auto p : up) top_row += p.second == up_tip_y;
    int down_bottom_y = 0;
    for (auto p : down) down_bottom_y = std::max(down_bottom_y, p.second);
    for (auto p : down) bottom_row += p.second == down_bottom_y;
    EXPECT_EQ(top_row, 1) << height;
    EXPECT_EQ(bottom_row, 1) << height;
    EXPECT_EQ(up_tip_y, (s - 5) / 2) << height;
    EXPECT_EQ(down_bottom_y, (s - 5) / 2 + s + 5) << height;
  }
}

}  // namespace
