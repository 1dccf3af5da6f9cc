// ffmpeg decodes what the layer writes to exactly the frames the compressor says it shows.
#include <gtest/gtest.h>

#include <cmath>

#include "animation/avi/avi_test_util.h"
#include "animation/avi/test_scene.h"

namespace {

struct Case {
  int width, height;
  SceneKind kind;
  long quality;
};

std::string name(const Case& c) {
  static const char* const kKinds[] = {"gradient", "shapes", "mixed"};
  return std::string(kKinds[int(c.kind)]) + "_" + std::to_string(c.width) + "x" + std::to_string(c.height) + "_q" +
         std::to_string(c.quality);
}

class FfmpegDecodes : public ::testing::TestWithParam<Case> {};

// 5-bit squared distance between two palette entries.
int dist(const std::vector<uint8_t>& pal, int a, int b) {
  int s = 0;
  for (int c = 0; c < 3; ++c) {
    int d = (pal[size_t(4 * a + c)] >> 3) - (pal[size_t(4 * b + c)] >> 3);
    s += d * d;
  }
  return s;
}

TEST_P(FfmpegDecodes, ToTheFramesTheEncoderShows) {
  const Case c = GetParam();
  const int w = c.width, h = c.height, stride = msv1_stride(w), frames_n = 9;
  const int bw = w / 4, bh = h / 4, shift = h % 4;
  std::vector<uint8_t> pal = scene_palette();
  std::vector<std::vector<uint8_t>> frames;
  for (int f = 0; f < frames_n; ++f) frames.push_back(scene_bits(c.kind, w, h, stride, f));
  std::string path = avitest::scratch(name(c) + ".avi");
  ASSERT_EQ(avitest::write_through_layer(path, w, h, pal, frames, c.quality), vfw::kOk);
  auto shown = avitest::shown_frames(w, h, pal, frames, c.quality);

  EXPECT_EQ(avitest::command_line("ffprobe -v error -select_streams v -show_entries stream=codec_name,r_frame_rate "
                                  "-of csv=p=0 '" + path + "'"),
            "msvideo1,15/1");
  // ffprobe reads the key frames from idx1: frames 0 and 7.
  std::string keys;
  FILE* probe = popen(("ffprobe -v error -select_streams v -show_entries packet=flags -of csv=p=0 '" + path + "'").c_str(), "r");
  ASSERT_NE(probe, nullptr);
  char line[64];
  while (std::fgets(line, sizeof line, probe))
    if (line[0] == 'K' || line[0] == '_') keys += line[0];
  pclose(probe);
  EXPECT_EQ(keys, "K______K_");
  std::vector<uint8_t> pal8, rgb;
  ASSERT_TRUE(avitest::ffmpeg_decode(path, "pal8", &pal8));
  ASSERT_TRUE(avitest::ffmpeg_decode(path, "rgb24", &rgb));
  const size_t frame_bytes = size_t(w) * h + 1024;
  ASSERT_EQ(pal8.size(), frame_bytes * frames_n);  // no frame dropped
  ASSERT_EQ(rgb.size(), size_t(w) * h * 3 * frames_n);

  const uint32_t limit = msv1_threshold(c.quality);
  double squared = 0;
  long samples = 0;
  for (int f = 0; f < frames_n; ++f) {
    const uint8_t* decoded = &pal8[frame_bytes * size_t(f)];
    const uint8_t* colours = &rgb[size_t(w) * h * 3 * size_t(f)];
    long mismatches = 0, over_limit = 0;
    // ffmpeg shows the coded rows `shift` rows higher than intended: its top-down row t is
    // bitmap row 4 * bh - 1 - t. Only whole blocks are compared.
    for (int t = 0; t < 4 * bh; ++t) {
      int row = 4 * bh - 1 - t;
      for (int x = 0; x < 4 * bw; ++x) {
        uint8_t ours = shown[size_t(f)][size_t(row) * stride + size_t(x)];
        uint8_t want = frames[size_t(f)][size_t(row) * stride + size_t(x)];
        mismatches += decoded[size_t(t) * w + size_t(x)] != ours;
        const uint8_t* rgb_px = colours + (size_t(t) * w + size_t(x)) * 3;
        for (int k = 0; k < 3; ++k) {
          mismatches += rgb_px[k] != pal[size_t(4 * ours + 2 - k)];
          double d = double(rgb_px[k]) - double(pal[size_t(4 * want + 2 - k)]);
          squared += d * d;
          ++samples;
        }
      }
    }
    // Blocks with at most two colours per quadrant are always shown within the threshold.
    for (int by = 0; by < bh; ++by)
      for (int bx = 0; bx < bw; ++bx) {
        bool simple = true;
        uint32_t err = 0;
        for (int q = 0; q < 4; ++q) {
          int distinct[4], n = 0;
          for (int k = 0; k < 4; ++k) {
            int x = 4 * bx + 2 * (q & 1) + (k & 1), y = 4 * by + 2 * (q >> 1) + (k >> 1);
            int v = frames[size_t(f)][size_t(y) * stride + size_t(x)];
            bool seen = false;
            for (int j = 0; j < n; ++j) seen = seen || distinct[j] == v;
            if (!seen) distinct[n++] = v;
            int t = 4 * bh - 1 - y;
            err += uint32_t(dist(pal, v, decoded[size_t(t) * w + size_t(x)]));
          }
          simple = simple && n <= 2;
        }
        over_limit += simple && err > limit;
      }
    EXPECT_EQ(mismatches, 0) << "frame " << f;
    EXPECT_EQ(over_limit, 0) << "frame " << f;
    if (shift) {  // ffmpeg's bottom rows are never written (index 0)
      EXPECT_EQ(decoded[size_t(h - 1) * w], 0) << "frame " << f;
    }
  }
  double mse = squared / double(samples);
  double psnr = mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99.0;
  std::printf("[ psnr ] %-20s %6.2f dB, %ld bytes\n", name(c).c_str(), psnr, long(avitest::read_file(path).size()));
  RecordProperty("psnr_db", std::to_string(psnr));
  if (c.quality == 10000 && c.kind == SceneKind::Shapes) {
    EXPECT_GT(psnr, 60.0);  // two colours per quadrant at most: exact
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FfmpegDecodes,
                         ::testing::Values(Case{320, 200, SceneKind::Mixed, 6500},
                                           Case{320, 200, SceneKind::Mixed, 10000},
                                           Case{320, 200, SceneKind::Gradient, 6500},
                                           Case{320, 200, SceneKind::Gradient, 10000},
                                           Case{320, 200, SceneKind::Shapes, 10000},
                                           Case{640, 480, SceneKind::Mixed, 6500},
                                           Case{101, 50, SceneKind::Mixed, 6500},
                                           Case{65, 47, SceneKind::Gradient, 10000},
                                           Case{65, 47, SceneKind::Mixed, 6500}),
                         [](const ::testing::TestParamInfo<Case>& i) { return name(i.param); });

}  // namespace
