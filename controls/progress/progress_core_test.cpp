#include "controls/progress/progress_core.h"

#include <gtest/gtest.h>

namespace {

struct PercentCase {
  uint32_t range, position;
  const char* text;
};

TEST(ProgressText, PercentOfLowWordsWithIntegerDivision) {
  const PercentCase cases[] = {
      {100, 0, "0%"},           {100, 100, "100%"},      {200, 50, "25%"},
      {3, 1, "33%"},            {3, 2, "66%"},           {100, 150, "150%"},
      {0x10064, 42, "42%"},     {100, 0x10032, "50%"},   {65535, 65535, "100%"},
      {1, 65535, "6553500%"},   {0, 77, "0%"},           {0x50000, 3, "0%"},
  };
  for (const PercentCase& c : cases)
    EXPECT_EQ(progress::percent_text(c.range, c.position), c.text) << c.range << " " << c.position;
}

TEST(ProgressFill, ProportionalToPositionAndNeverBeyondTheBar) {
  EXPECT_EQ(progress::fill_right(200, 50, 100), 25);
  EXPECT_EQ(progress::fill_right(100, 0, 100), 0);
  EXPECT_EQ(progress::fill_right(100, 100, 100), 100);
  EXPECT_EQ(progress::fill_right(3, 1, 100), 33);      // truncated, not rounded
  EXPECT_EQ(progress::fill_right(0, 5, 100), 0);       // range 0: nothing filled
  EXPECT_EQ(progress::fill_right(0x10000, 5, 100), 0); // low word of the range is 0
  EXPECT_EQ(progress::fill_right(0x10064, 50, 80), 40);
  EXPECT_EQ(progress::fill_right(100, 250, 80), 80);   // above the range: whole bar
  EXPECT_EQ(progress::fill_right(100, 50, 0), 0);
  EXPECT_EQ(progress::fill_right(100, 50, -7), 0);
  // width * position exceeds 32 bits here
  EXPECT_EQ(progress::fill_right(65535, 65534, 40000), 39999);
}

TEST(ProgressLayout, LabelCentredAndRectanglesSplitTheBar) {
  const progress::BarLayout a = progress::layout_bar(200, 50, 100, 20, 13);
  EXPECT_EQ(a.text, "25%");
  EXPECT_EQ(a.text_x, 50);
  EXPECT_EQ(a.text_y, 3);
  EXPECT_EQ(a.filled.left, 0);
  EXPECT_EQ(a.filled.right, 25);
  EXPECT_EQ(a.empty.left, 25);
  EXPECT_EQ(a.empty.right, 100);
  EXPECT_EQ(a.filled.bottom, 20);
  EXPECT_EQ(a.empty.bottom, 20);

  // A bar lower than its text: the label starts above the top, halves truncated toward 0.
  const progress::BarLayout low = progress::layout_bar(100, 100, 31, 8, 13);
  EXPECT_EQ(low.text_x, 15);
  EXPECT_EQ(low.text_y, -2);
  EXPECT_EQ(low.filled.right, 31);
  EXPECT_EQ(low.empty.left, low.empty.right);  // nothing left empty

  const progress::BarLayout fresh =
      progress::layout_bar(progress::kInitialRange, progress::kInitialPosition, 120, 20, 13);
  EXPECT_EQ(fresh.text, "50%");
  EXPECT_EQ(fresh.filled.right, 60);
}

}  // namespace
