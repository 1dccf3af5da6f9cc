#include "controls/spin/spin_core.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

using spin::Range;

TEST(SpinRules, RangeWordsAndHalves) {
  EXPECT_EQ(spin::unpack_range(0x00640005).minimum, 5);
  EXPECT_EQ(spin::unpack_range(0x00640005).maximum, 100);
  EXPECT_EQ(spin::unpack_range(0xFFFF8000u).minimum, 0x8000);  // unsigned words
  EXPECT_EQ(spin::unpack_range(0xFFFF8000u).maximum, 0xFFFF);
  EXPECT_EQ(spin::half_at(19, 40), spin::kUpper);
  EXPECT_EQ(spin::half_at(20, 40), spin::kLower);
  EXPECT_EQ(spin::half_at(20, 41), spin::kLower);
}

TEST(SpinRules, StepsInsideTheRangeAndWrapsOnlyWhenAsked) {
  struct Case {
    int32_t value;
    spin::Half half;
    bool wrap;
    int32_t expected;
  } const cases[] = {
      {5, spin::kUpper, false, 6},   {5, spin::kLower, false, 4},  {10, spin::kUpper, false, 10},
      {10, spin::kUpper, true, 0},   {0, spin::kLower, false, 0},  {0, spin::kLower, true, 10},
      {50, spin::kUpper, false, 50}, {50, spin::kUpper, true, 0},  {50, spin::kLower, false, 49},
      {-3, spin::kUpper, false, -2}, {-3, spin::kLower, true, 10}, {7, spin::kNoHalf, true, 7},
  };
  for (const Case& c : cases)
    EXPECT_EQ(spin::step_value(c.value, c.half, Range{0, 10}, c.wrap), c.expected)
        << c.value << " half " << c.half << " wrap " << c.wrap;
}

TEST(SpinRules, BuddyTextIsReadAsDecimalThenLimited) {
  const Range r{5, 100};
  EXPECT_EQ(spin::value_from_text("250", 7, r), 100);
  EXPECT_EQ(spin::value_from_text("-5", 7, r), 5);
  EXPECT_EQ(spin::value_from_text("  +64xyz", 7, r), 64);
  EXPECT_EQ(spin::value_from_text("abc", 7, r), 5);  // no digits reads as 0
  EXPECT_EQ(spin::value_from_text("99999999999999999999", 7, r), 100);
  EXPECT_EQ(spin::value_from_text("-99999999999999999999", 7, r), 5);
  EXPECT_EQ(spin::value_from_text("", 500, r), 500);  // empty keeps even an outside value
  EXPECT_EQ(spin::value_from_text("7", 0, Range{10, 5}), 5);  // the maximum is checked first
  EXPECT_EQ(spin::value_from_text(spin::value_text(-2147483647 - 1), 0, Range{0, 9}), 0);
}

int steps_while_held(uint32_t start, uint32_t hold_ms) {  // polled every millisecond
  spin::RepeatClock clock;
  clock.start(start);
  int steps = 0;
  for (uint32_t t = 0; t < hold_ms; ++t) steps += clock.due(start + t) ? 1 : 0;
  return steps;
}

TEST(SpinRules, FirstStepAtOnceThenEvery150Ms) {
  EXPECT_EQ(steps_while_held(1000, 1), 1);
  EXPECT_EQ(steps_while_held(1000, 150), 1);
  EXPECT_EQ(steps_while_held(1000, 151), 2);
  EXPECT_EQ(steps_while_held(1000, 1000), 7);
  EXPECT_EQ(steps_while_held(0xFFFFFF00u, 1000), 7);  // across the counter's wrap
  EXPECT_EQ(steps_while_held(20, 1000), 7);
  spin::RepeatClock late;  // a late poll steps once and restarts the interval from then
  late.start(0);
  EXPECT_TRUE(late.due(0));
  EXPECT_TRUE(late.due(400));
  EXPECT_FALSE(late.due(549));
  EXPECT_TRUE(late.due(550));
}

// Pixels of the black lines drawn strictly inside the column, rows [top, bottom).
std::set<std::pair<int, int>> arrow_pixels(const std::vector<spin::Op>& ops, int s, int top, int bottom) {
  std::set<std::pair<int, int>> out;
  for (const spin::Op& op : ops) {
    if (op.kind != spin::Op::Line || op.colour != spin::Colour::Black || op.y0 != op.y1) continue;
    for (int x = op.x0; x < op.x1; ++x)
      if (x >= 1 && x < s && op.y0 >= top && op.y0 < bottom) out.insert({x, op.y0});
  }
  return out;
}

TEST(SpinDrawing, ArrowsAreFiveRowTrianglesThatMoveWhenPressed) {
  for (int h = 20; h <= 64; ++h) {
    const int s = h / 2;
    const auto ops = spin::draw_ops(h, 0);
    const auto up = arrow_pixels(ops, s, 1, s), down = arrow_pixels(ops, s, s + 1, h - 1);
    ASSERT_EQ(up.size(), 25u) << h;  // 1 + 3 + 5 + 7 + 9, all inside the upper button
    ASSERT_EQ(down.size(), 25u) << h;
    const int y0 = (s - 5) / 2;
    EXPECT_TRUE(up.count({s / 2, y0}) && !up.count({s / 2 - 1, y0})) << h;  // tip on top
    EXPECT_TRUE(down.count({s / 2, y0 + s + 5}) && !down.count({s / 2 + 1, y0 + s + 5})) << h;
    for (int state : {1, -1}) {
      std::set<std::pair<int, int>> moved;
      for (auto p : state == 1 ? up : down) moved.insert({p.first + 1, p.second + 1});
      const auto pressed = spin::draw_ops(h, state);
      EXPECT_EQ(state == 1 ? arrow_pixels(pressed, s + 1, 1, s) : arrow_pixels(pressed, s + 1, s + 1, h - 1), moved);
    }
  }
}

}  // namespace
