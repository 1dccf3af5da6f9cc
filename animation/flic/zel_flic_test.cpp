// The `zel` host end to end: PNG pictures (made by ImageMagick) -> zel frames -> zel flic,
// decoded by ffmpeg.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "animation/flic/testing/flic_decoder.h"
#include "animation/frameset/frameset.h"
#include "animation/frameset/testing/shell.h"
#include "animation/frameset/testing/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using shell::zel;

int sh(const std::string& cmd) { return shell::run(cmd); }

}  // namespace

TEST(ZelFlic, PngSeriesThroughFramesAndFlicPlaysBackInFfmpeg) {
  TempDir tmp("zel_flic_test");
  const std::string& dir = tmp.path;
  // Four 150x90 pictures, a square moving over a two-colour gradient.
  for (int i = 0; i < 4; ++i)
    ASSERT_EQ(sh("convert -size 150x90 gradient:navy-orange -fill lime -draw 'rectangle " + std::to_string(10 + 20 * i) +
                 ",20 " + std::to_string(40 + 20 * i) + ",60' -depth 8 " + dir + "/pic" + std::to_string(i) + ".png"),
              0);
  ASSERT_EQ(sh(zel() + " frames " + dir + "/pic%d.png 0 4 " + dir + "/f --histogram " + dir + "/h.bin"), 0);
  ASSERT_EQ(sh(zel() + " flic " + dir + "/f 0 4 " + dir + "/a.fli --histogram " + dir + "/h.bin --no"), 0);
  // Fewer than 3 frames write nothing and say so, an empty range included.
  for (const char* range : {" 0 2 ", " 0 0 ", " 2 2 "}) {
    EXPECT_NE(sh(zel() + " flic " + dir + "/f" + range + dir + "/c.fli --no"), 0) << range;
    EXPECT_FALSE(fs::exists(dir + "/c.fli")) << range;
  }
  ASSERT_EQ(sh(zel() + " flic " + dir + "/f 0 4 " + dir + "/b.fli --speed 7 --yes"), 0);
  // Counting the colours itself gives the host's histogram, so the same file (but the speed).
  std::vector<uint8_t> a = ReadWholeFile(dir + "/a.fli"), b = ReadWholeFile(dir + "/b.fli");
  ASSERT_EQ(a.size(), b.size());
  EXPECT_EQ(a[16], 5);
  EXPECT_EQ(b[16], 7);
  a[16] = b[16];
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(fs::exists(dir + "/f000.16b"));  // --yes deleted the frame files

  // The pictures, reduced to 5 bits then through the 6-bit palette, are what ffmpeg shows.
  std::vector<uint8_t> shown = shell::output("ffmpeg -v error -f flic -i " + dir + "/a.fli -f rawvideo -pix_fmt rgb24 -");
  std::vector<uint8_t> made = shell::output("ffmpeg -v error -i " + dir + "/pic%d.png -f rawvideo -pix_fmt rgb24 -");
  ASSERT_EQ(shown.size(), 5u * 320 * 200 * 3);
  ASSERT_EQ(made.size(), 4u * 150 * 90 * 3);
  long wrong = 0;
  for (size_t f = 0; f < 5; ++f)
    for (int y = 0; y < 90; ++y)
      for (int x = 0; x < 150; ++x)
        for (int k = 0; k < 3; ++k) {
          uint8_t v6 = uint8_t((made[((f % 4) * 90 * 150 + size_t(y) * 150 + x) * 3 + k] >> 3) * 2);
          wrong += shown[(f * 200 * 320 + size_t(y) * 320 + x) * 3 + k] != uint8_t((v6 << 2) | (v6 >> 4));
        }
  EXPECT_EQ(wrong, 0);
  // Failures are messages on stderr with a non-zero status.
  EXPECT_NE(sh(zel() + " flic " + dir + "/missing 0 4 " + dir + "/c.fli --no"), 0);
}
