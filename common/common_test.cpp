#include <gtest/gtest.h>

#include "common/bytes.h"
#include "common/centre.h"
#include "common/ui_recorder.h"

TEST(CentreOnScreen, HalvesTruncateTowardZero) {
  ScreenPoint p = centre_on_screen(1024, 768, 548, 465);
  EXPECT_EQ(p.x, 238);
  EXPECT_EQ(p.y, 151);
  // A window larger than the screen goes to a negative position, truncated toward zero.
  p = centre_on_screen(640, 480, 801, 483);
  EXPECT_EQ(p.x, -80);
  EXPECT_EQ(p.y, -1);
}

TEST(ByteCursor, ShortReadsReturnZeroAndNeverPassTheEnd) {
  const uint8_t data[] = {0x34, 0x12, 0x78, 0x56, 0xAA};
  ByteCursor c(data, sizeof data);
  EXPECT_EQ(c.get16le(), 0x1234);
  EXPECT_EQ(c.get16le(), 0x5678);
  EXPECT_FALSE(c.short_read);
  EXPECT_EQ(c.get32le(), 0xAAu);  // one byte there, three missing
  EXPECT_TRUE(c.short_read);
  EXPECT_EQ(c.remaining(), 0u);

  ByteCursor d(data, sizeof data);
  uint8_t buf[8] = {};
  EXPECT_FALSE(d.read(buf, 6));
  EXPECT_EQ(buf[0], 0);  // nothing copied from a read that would run past the end
  EXPECT_TRUE(d.short_read);
}

TEST(Bytes, PutGetRoundTripAndCheckedMultiply) {
  uint8_t b[4];
  put_le32(b, 0xDEADBEEF);
  EXPECT_EQ(b[0], 0xEF);
  EXPECT_EQ(get_le32(b), 0xDEADBEEFu);
  size_t out = 0;
  EXPECT_TRUE(checked_mul(1024, 768, 1u << 20, &out));
  EXPECT_EQ(out, 786432u);
  EXPECT_FALSE(checked_mul(SIZE_MAX / 2, 3, SIZE_MAX, &out));
}

TEST(UiRecorder, AnswersFromItsQueueThenOk) {
  UiRecorder r;
  r.answers = {7};
  UiTable ui = r.table();
  EXPECT_EQ(ui_message(ui, "Delete Temporary files", "Flic", 0x2024), 7);
  EXPECT_EQ(ui_message(ui, "again", "Flic", 0), 1);
  ui_progress(ui, "Building frame 001");
  ASSERT_EQ(r.boxes.size(), 2u);
  EXPECT_EQ(r.boxes[0].flags, 0x2024u);
  EXPECT_EQ(r.progress.at(0), "Building frame 001");
}
