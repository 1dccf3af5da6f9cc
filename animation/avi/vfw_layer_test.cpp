#include <gtest/gtest.h>

#include "animation/avi/avi_test_util.h"
#include "animation/avi/test_scene.h"
#include "animation/avi/vfw_layer.h"

using namespace vfw;
using avitest::AviFacts;

namespace {

std::vector<std::vector<uint8_t>> scene(SceneKind kind, int w, int h, int frames) {
  std::vector<std::vector<uint8_t>> out;
  for (int f = 0; f < frames; ++f) out.push_back(scene_bits(kind, w, h, msv1_stride(w), f));
  return out;
}

TEST(AviFile, HoldsOneIndexedVideoStreamWithKeyFramesEverySeven) {
  const int w = 101, h = 50;  // stride 104
  std::string path = avitest::scratch("layout.avi");
  std::vector<uint8_t> pal = scene_palette();
  auto frames = scene(SceneKind::Gradient, w, h, 16);
  ASSERT_EQ(avitest::write_through_layer(path, w, h, pal, frames), kOk);
  AviFacts f = avitest::read_avi(path);
  ASSERT_TRUE(f.ok);
  EXPECT_EQ(f.riff_size + 8, f.file_size);

  ASSERT_EQ(f.avih.size(), 56u);
  EXPECT_EQ(get_le32(&f.avih[0]), 66667u);  // microseconds per frame
  EXPECT_EQ(get_le32(&f.avih[12]), kAviHasIndex);
  EXPECT_EQ(get_le32(&f.avih[16]), 16u);    // total frames
  EXPECT_EQ(get_le32(&f.avih[24]), 1u);     // streams
  EXPECT_EQ(get_le32(&f.avih[32]), uint32_t(w));
  EXPECT_EQ(get_le32(&f.avih[36]), uint32_t(h));

  ASSERT_EQ(f.strh.size(), 56u);
  EXPECT_EQ(get_le32(&f.strh[0]), fourcc('v', 'i', 'd', 's'));
  EXPECT_EQ(get_le32(&f.strh[4]), fourcc('M', 'S', 'V', 'C'));
  EXPECT_EQ(get_le32(&f.strh[20]), 1u);    // scale
  EXPECT_EQ(get_le32(&f.strh[24]), 15u);   // rate
  EXPECT_EQ(get_le32(&f.strh[32]), 16u);   // length
  EXPECT_GE(get_le32(&f.strh[36]), uint32_t(104 * h));
  EXPECT_EQ(get_le32(&f.strh[40]), 6500u);
  EXPECT_EQ(get_le16(&f.strh[52]), uint16_t(w));
  EXPECT_EQ(get_le16(&f.strh[54]), uint16_t(h));

  ASSERT_EQ(f.strf.size(), 1064u);
  EXPECT_EQ(get_le32(&f.strf[4]), uint32_t(w));
  EXPECT_EQ(get_le32(&f.strf[8]), uint32_t(h));
  EXPECT_EQ(get_le16(&f.strf[14]), 8);
  EXPECT_EQ(get_le32(&f.strf[16]), fourcc('C', 'R', 'A', 'M'));
  EXPECT_EQ(get_le32(&f.strf[20]), uint32_t(104 * h));
  EXPECT_TRUE(std::equal(pal.begin(), pal.end(), f.strf.begin() + 40));

  ASSERT_EQ(f.index.size(), 16u);
  ASSERT_EQ(f.frames.size(), 16u);
  for (size_t i = 0; i < 16; ++i) {
    EXPECT_EQ(f.index[i].id, fourcc('0', '0', 'd', 'c'));
    EXPECT_EQ(f.index[i].flags, i % 7 == 0 ? kAviKeyFrame : 0u) << i;
    EXPECT_EQ(f.index[i].offset, f.chunk_at[i] - f.movi_fourcc_at) << i;
    EXPECT_EQ(f.index[i].size, f.frames[i].size()) << i;
  }
}

TEST(AviLayer, RefusesWhatItCannotWriteAndCompletesTheFileOnTheLastRelease) {
  const int w = 16, h = 8;
  std::vector<uint8_t> pal = scene_palette();
  File* file = nullptr;
  Stream *raw = nullptr, *packed = nullptr;
  std::string path = avitest::scratch("refuse.avi");
  EXPECT_EQ(AVIFileOpenA(&file, path.c_str(), kOfCreate | kOfWrite, nullptr), kInternal);  // before init
  ASSERT_EQ(AVIFileInit(), kOk);
  EXPECT_EQ(AVIFileOpenA(&file, "/nonexistent-folder/x.avi", kOfCreate | kOfWrite, nullptr), kFileOpen);
  ASSERT_EQ(AVIFileOpenA(&file, path.c_str(), kOfCreate | kOfWrite, nullptr), kOk);
  StreamInfo info{};
  info.fccType = kStreamVideo;
  ASSERT_EQ(AVIFileCreateStream(file, &raw, &info), kOk);
  CompressOptions opt{};
  opt.fccType = kStreamVideo;
  opt.fccHandler = fourcc('c', 'v', 'i', 'd');
  EXPECT_EQ(AVIMakeCompressedStream(&packed, raw, &opt, nullptr), kNoCompressor);
  opt.fccHandler = fourcc('m', 's', 'v', 'c');  // case does not matter
  ASSERT_EQ(AVIMakeCompressedStream(&packed, raw, &opt, nullptr), kOk);

  std::vector<uint8_t> bits(size_t(w) * h, 3);
  EXPECT_EQ(AVIStreamWrite(packed, 0, 1, bits.data(), long(bits.size()), 0, nullptr, nullptr), kBadFormat);
  std::vector<uint8_t> fmt = avitest::dib_format(w, h, pal);
  EXPECT_EQ(AVIStreamSetFormat(packed, 0, fmt.data(), 1000), kBadSize);  // colour table cut short
  std::vector<uint8_t> bad[3] = {fmt, fmt, fmt};
  put_le16(&bad[0][14], 16);              // 16-bit
  put_le32(&bad[1][8], uint32_t(-h));     // top-down
  put_le32(&bad[2][16], 1);               // run-length input
  for (const auto& b : bad) EXPECT_EQ(AVIStreamSetFormat(packed, 0, b.data(), long(b.size())), kBadFormat);
  ASSERT_EQ(AVIStreamSetFormat(packed, 0, fmt.data(), long(fmt.size())), kOk);
  EXPECT_EQ(AVIStreamWrite(packed, 1, 1, bits.data(), long(bits.size()), 0, nullptr, nullptr), kBadParam);
  EXPECT_EQ(AVIStreamWrite(packed, 0, 1, bits.data(), long(bits.size()) - 1, 0, nullptr, nullptr), kBadSize);
  long bytes = 0;
  EXPECT_EQ(AVIStreamWrite(packed, 0, 1, bits.data(), long(bits.size()), 0, nullptr, &bytes), kOk);
  EXPECT_EQ(bytes, 2 * 8 + 2);  // eight 1-colour blocks and the end word

  EXPECT_EQ(AVIFileRelease(file), 1u);  // the video stream still holds it
  EXPECT_EQ(AVIStreamRelease(packed), 0u);
  EXPECT_EQ(AVIStreamRelease(raw), 0u);
  EXPECT_EQ(test_hooks::live_objects(), 0);
  AVIFileExit();
  EXPECT_EQ(test_hooks::init_count(), 0);
  AviFacts f = avitest::read_avi(path);
  ASSERT_TRUE(f.ok);
  EXPECT_EQ(f.index.size(), 1u);
  EXPECT_EQ(f.riff_size + 8, f.file_size);
}

}  // namespace
