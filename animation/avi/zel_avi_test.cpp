// The `zel` host end to end: PNG pictures (made by ImageMagick) -> zel frames -> zel avi,
// decoded by ffmpeg.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "animation/avi/avi_test_util.h"
#include "animation/frameset/testing/shell.h"
#include "animation/frameset/testing/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using shell::run_stderr;
using shell::zel;

int sh(const std::string& cmd) { return shell::run(cmd); }

TEST(ZelAvi, PngSeriesThroughFramesAndAviPlaysBackInFfmpeg) {
  TempDir tmp("zel_avi_test");
  const std::string& dir = tmp.path;
  const int w = 150, h = 90, pictures = 9;  // neither side a multiple of 4
  for (int i = 0; i < pictures; ++i)
    ASSERT_EQ(sh("convert -size 150x90 gradient:navy-orange -fill lime -draw 'rectangle " + std::to_string(10 + 12 * i) +
                 ",20 " + std::to_string(40 + 12 * i) + ",60' -depth 8 " + dir + "/pic" + std::to_string(i) + ".png"),
              0);
  ASSERT_EQ(sh(zel() + " frames " + dir + "/pic%d.png 0 9 " + dir + "/f --histogram " + dir + "/h.bin"), 0);
  ASSERT_EQ(sh(zel() + " avi " + dir + "/f 0 9 " + dir + "/a.flc --histogram " + dir + "/h.bin --no"), 0);
  ASSERT_EQ(sh(zel() + " avi " + dir + "/f 0 9 " + dir + "/b --yes"), 0);
  // Counting the colours itself gives the host's histogram, so the same file.
  std::vector<uint8_t> a = avitest::read_file(dir + "/a.avi"), b = avitest::read_file(dir + "/b.avi");
  ASSERT_FALSE(a.empty());
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(fs::exists(dir + "/f000.16b"));  // --yes deleted the frame files
  EXPECT_TRUE(fs::exists(dir + "/pic0.png"));

  avitest::AviFacts facts = avitest::read_avi(dir + "/a.avi");
  ASSERT_EQ(facts.index.size(), size_t(pictures));
  EXPECT_EQ(facts.index[7].flags, 0x10u);
  std::vector<uint8_t> shown = shell::output("ffmpeg -v error -i " + dir + "/a.avi -f rawvideo -pix_fmt rgb24 -");
  std::vector<uint8_t> made = shell::output("ffmpeg -v error -i " + dir + "/pic%d.png -f rawvideo -pix_fmt rgb24 -");
  const size_t frame = size_t(w) * h * 3;
  ASSERT_EQ(shown.size(), frame * pictures);
  ASSERT_EQ(made.size(), frame * pictures);
  // Whole blocks only; ffmpeg shows the coded rows h % 4 rows higher than intended.
  double squared = 0, samples = 0;
  for (size_t f = 0; f < size_t(pictures); ++f)
    for (int t = 0; t < h / 4 * 4; ++t)
      for (int x = 0; x < w / 4 * 4; ++x)
        for (int k = 0; k < 3; ++k) {
          double d = double(shown[f * frame + (size_t(t) * w + x) * 3 + k]) -
                     double((made[f * frame + (size_t(t + h % 4) * w + x) * 3 + k] >> 3) * 8);
          squared += d * d;
          samples += 1;
        }
  double psnr = 10 * std::log10(255.0 * 255.0 / (squared / samples + 1e-9));
  std::printf("[ psnr ] zel avi of the pictures: %.2f dB\n", psnr);
  EXPECT_GT(psnr, 30.0);

  // Failures are messages on stderr with a non-zero status; a short series writes nothing.
  EXPECT_NE(sh(zel() + " avi " + dir + "/missing 0 4 " + dir + "/c --no"), 0);
  EXPECT_NE(sh(zel() + " avi " + dir + "/f 0 2 " + dir + "/c --no"), 0);
  EXPECT_FALSE(fs::exists(dir + "/c.avi"));
}

TEST(ZelAvi, SaysWhyWhenFrameNumbersOrNamesAreNotWhatTheHostPasses) {
  TempDir tmp("zel_avi_names");
  const std::string& dir = tmp.path;
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(sh("convert -size 16x8 gradient:red-blue " + dir + "/p" + std::to_string(i) + ".png"), 0);
  ASSERT_EQ(sh(zel() + " frames " + dir + "/p%d.png 0 3 " + dir + "/f --histogram " + dir + "/h.bin"), 0);
  ASSERT_TRUE(fs::exists(dir + "/f002.16b"));
  std::string err;

  // Frame numbers past 32 bits cannot reach the writer: refused with the usage line rather
  // than a silent failure.
  for (int i = 0; i < 3; ++i)
    fs::copy_file(dir + "/f00" + std::to_string(i) + ".16b", dir + "/f" + std::to_string(2147483647L + i) + ".16b");
  EXPECT_NE(run_stderr(zel() + " avi " + dir + "/f 2147483647 2147483650 " + dir + "/big --histogram " + dir +
                           "/h.bin --no",
                       &err),
            0);
  EXPECT_NE(err.find("usage: zel avi"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(dir + "/big.avi"));

  // A prefix with capitals is read under the lower-cased names; the user is told so.
  EXPECT_EQ(run_stderr(zel() + " avi " + dir + "/F 0 3 " + dir + "/caps --histogram " + dir + "/h.bin --no", &err), 0)
      << err;
  EXPECT_NE(err.find("lower-cased names"), std::string::npos) << err;
  EXPECT_EQ(avitest::read_avi(dir + "/caps.avi").index.size(), 3u);
}

}  // namespace
