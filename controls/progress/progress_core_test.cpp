#include "controls/progress/progress_core.h"

#include <gtest/gtest.h>

namespace {

struct BarCase {
  uint32_t range, position;
  int width;
  const char* text;
  int fill;
};

TEST(ProgressBar, LabelAndFillUseLowWordsAndIntegerDivision) {
  const BarCase cases[] = {
      {100, 0, 100, "0%", 0},          {100, 100, 100, "100%", 100},  {200, 50, 100, "25%", 25},
      {3, 1, 100, "33%", 33},          {3, 2, 100, "66%", 66},        {0, 77, 100, "0%", 0},
      {0x50000, 3, 100, "0%", 0},      {0x10064, 42, 50, "42%", 21},  {100, 0x10032, 80, "50%", 40},
      {100, 250, 80, "250%", 80},      {1, 65535, 10, "6553500%", 10}, {100, 50, 0, "50%", 0},
      {65535, 65534, 40000, "99%", 39999},  // width * position needs more than 32 bits
  };
  for (const BarCase& c : cases) {
    EXPECT_EQ(progress::percent_text(c.range, c.position), c.text) << c.range << " " << c.position;
    EXPECT_EQ(progress::fill_right(c.range, c.position, c.width), c.fill) << c.range << " " << c.position;
  }
}

TEST(ProgressBar, LayoutCentresTheLabelAndSplitsTheBar) {
  const progress::BarLayout a = progress::layout_bar(200, 50, 100, 20, 13);
  EXPECT_EQ(a.text_x, 50);
  EXPECT_EQ(a.text_y, 3);
  EXPECT_EQ(a.filled.right, 25);
  EXPECT_EQ(a.empty.left, 25);
  EXPECT_EQ(a.empty.right, 100);
  EXPECT_EQ(a.empty.bottom, 20);
  // lower than its text: the label starts above the top, halves truncated toward zero
  const progress::BarLayout low = progress::layout_bar(100, 100, 31, 8, 13);
  EXPECT_EQ(low.text_x, 15);
  EXPECT_EQ(low.text_y, -2);
  EXPECT_EQ(low.empty.left, low.empty.right);
}

}  // namespace
