#include <gtest/gtest.h>

#include <cstring>

#include "animation/avi/msvideo1.h"
#include "animation/avi/test_scene.h"

namespace {

// What a packet holds, read with the decoders' rules.
struct Walk {
  bool ok = false;          // exactly `blocks` blocks, then the end word
  int skip_words = 0;
  long skipped = 0;
  int zero_skips = 0;
  std::vector<char> kind;   // per block: 's', '1', '2', '8'
};

Walk walk(const std::vector<uint8_t>& p, long blocks) {
  Walk w;
  size_t at = 0;
  while (long(w.kind.size()) < blocks) {
    if (at + 2 > p.size()) return w;
    uint8_t a = p[at], b = p[at + 1];
    at += 2;
    if (b >= 0x84 && b <= 0x87) {
      long n = long(b - 0x84) << 8 | a;
      ++w.skip_words;
      if (n == 0) {
        ++w.zero_skips;
        return w;
      }
      w.skipped += n;
      w.kind.insert(w.kind.end(), size_t(n), 's');
    } else {
      char kind = b < 0x80 ? '2' : b >= 0x90 ? '8' : '1';
      at += kind == '2' ? 2 : kind == '8' ? 8 : 0;
      w.kind.push_back(kind);
    }
  }
  w.ok = long(w.kind.size()) == blocks && at + 2 == p.size() && p[at] == 0 && p[at + 1] == 0;
  return w;
}

// A palette whose entry i is grey level i / 8 (5-bit), so distances are easy to reason on.
std::vector<uint8_t> grey_palette() {
  std::vector<uint8_t> pal(1024, 0);
  for (int i = 0; i < 256; ++i) pal[size_t(4 * i)] = pal[size_t(4 * i + 1)] = pal[size_t(4 * i + 2)] = uint8_t((i / 8) * 8);
  return pal;
}

// Encodes an 8x4 picture (two blocks, 32 indices given top row first) of grey_palette()
// as a key frame; answers the packet, and the picture as the encoder shows it in *shown.
std::vector<uint8_t> encode_two_blocks(const uint8_t (&top_down)[4][8], long quality, std::vector<uint8_t>* bits,
                                       std::vector<uint8_t>* shown) {
  bits->assign(32, 0);
  for (int y = 0; y < 4; ++y) std::memcpy(&(*bits)[size_t(3 - y) * 8], top_down[y], 8);
  std::vector<uint8_t> pal = grey_palette(), out;
  Msv1Encoder enc;
  EXPECT_TRUE(msv1_init(&enc, 8, 4, pal.data(), quality, 7));
  EXPECT_TRUE(msv1_encode_frame(&enc, bits->data(), &out));
  *shown = enc.shown;
  return out;
}

std::string kinds(const std::vector<uint8_t>& packet, long blocks) {
  Walk w = walk(packet, blocks);
  return w.ok ? std::string(w.kind.begin(), w.kind.end()) : "malformed";
}

TEST(Msv1Threshold, FollowsTheQualityScale) {
  EXPECT_EQ(msv1_threshold(10000), 0u);
  EXPECT_EQ(msv1_threshold(6500), 125u);
  EXPECT_EQ(msv1_threshold(0), 1024u);
  EXPECT_EQ(msv1_threshold(-5), 1024u);
}

TEST(Msv1Encoder, PicksTheFirstBlockTypeThatFitsAndShowsItExactlyAtFullQuality) {
  // Left block: one colour. Right block: 8 colours, two per quadrant.
  const uint8_t pic[4][8] = {{40, 40, 40, 40, 8, 16, 24, 32},
                             {40, 40, 40, 40, 16, 8, 32, 24},
                             {40, 40, 40, 40, 48, 56, 64, 72},
                             {40, 40, 40, 40, 56, 56, 72, 64}};
  std::vector<uint8_t> bits, shown;
  std::vector<uint8_t> out = encode_two_blocks(pic, 10000, &bits, &shown);
  EXPECT_EQ(kinds(out, 2), "18");
  EXPECT_EQ(out[0], 40);
  EXPECT_EQ(out[1], 0x80);
  EXPECT_EQ(shown, bits);  // both blocks exact
}

TEST(Msv1Encoder, TwoColourBlocksKeepBit15ClearMergeNearColoursAndTieToTheLowestIndex) {
  // Two far colours in a pattern whose top-right pixel is the lower index.
  const uint8_t pic[4][8] = {{200, 8, 8, 8, 80, 88, 80, 88},
                             {200, 200, 8, 8, 88, 80, 88, 80},
                             {200, 200, 200, 8, 80, 88, 80, 88},
                             {200, 200, 200, 200, 88, 80, 88, 80}};
  std::vector<uint8_t> bits, shown;
  std::vector<uint8_t> out = encode_two_blocks(pic, 10000, &bits, &shown);
  EXPECT_EQ(kinds(out, 2), "22");
  EXPECT_EQ(out[1] & 0x80, 0);
  EXPECT_EQ(out[3], 8);  // colour B is the top-right pixel's colour
  EXPECT_EQ(shown, bits);
  // Greys 80 and 88 differ by one 5-bit step in each of three components: error 3 per
  // pixel, 24 for the block, within T(6500) = 125, so one colour (the lower index on the
  // tie) is enough there; 200 against 8 is far beyond any threshold.
  out = encode_two_blocks(pic, 6500, &bits, &shown);
  EXPECT_EQ(kinds(out, 2), "21");
  EXPECT_EQ(out[4], 80);

  // Indices 8 and 9 are the same grey. Left block: only those two (one colour, index 8).
  // Right block: those two and a far grey 200 (pairs 8/200 and 9/200 both exact: 8/200).
  const uint8_t ties[4][8] = {{9, 8, 9, 8, 9, 8, 200, 200},
                              {8, 9, 8, 9, 8, 9, 200, 200},
                              {9, 9, 8, 8, 9, 9, 200, 200},
                              {8, 8, 9, 9, 8, 8, 200, 200}};
  out = encode_two_blocks(ties, 10000, &bits, &shown);
  EXPECT_EQ(kinds(out, 2), "12");
  EXPECT_EQ(out, (std::vector<uint8_t>{8, 0x80, out[2], out[3], 8, 200, 0, 0}));
}

TEST(Msv1Encoder, KeyFramesEverySevenCarryNoSkipWordsAndUnchangedDeltasAreAllSkips) {
  const int w = 64, h = 32;
  std::vector<uint8_t> pal = scene_palette();
  std::vector<uint8_t> still = scene_bits(SceneKind::Mixed, w, h, w, 3);
  Msv1Encoder enc;
  ASSERT_TRUE(msv1_init(&enc, w, h, pal.data(), 10000, 7));
  for (int f = 0; f < 15; ++f) {
    std::vector<uint8_t> out;
    bool key = msv1_encode_frame(&enc, still.data(), &out);
    EXPECT_EQ(key, f % 7 == 0) << f;
    Walk walked = walk(out, 16 * 8);
    ASSERT_TRUE(walked.ok) << f;
    EXPECT_EQ(walked.zero_skips, 0);
    if (key) {
      EXPECT_EQ(walked.skip_words, 0) << f;
    } else {
      // Nothing changed: even lossy 8-colour blocks of the noise patch are not re-sent.
      EXPECT_EQ(walked.skipped, 16 * 8) << f;
      EXPECT_EQ(out.size(), 4u) << f;
    }
  }
}

TEST(Msv1Encoder, LongSkipRunsSplitAt1023AndStayAboveTheSmallPacketLimit) {
  const int w = 320, h = 200;  // 4000 blocks
  std::vector<uint8_t> pal = scene_palette();
  std::vector<uint8_t> a = scene_bits(SceneKind::Shapes, w, h, w, 0);
  std::vector<uint8_t> b = a;
  b[size_t(100) * w + 160] = uint8_t(b[size_t(100) * w + 160] ^ 0xFF);  // one block in the middle changes
  Msv1Encoder enc;
  ASSERT_TRUE(msv1_init(&enc, w, h, pal.data(), 6500, 7));
  std::vector<uint8_t> out;
  msv1_encode_frame(&enc, a.data(), &out);
  for (const auto* frame : {&a, &b}) {
    out.clear();
    msv1_encode_frame(&enc, frame->data(), &out);
    Walk walked = walk(out, 4000);
    ASSERT_TRUE(walked.ok);
    EXPECT_EQ(walked.zero_skips, 0);
    EXPECT_GE(out.size(), size_t(4000 / 512));
  }
  // The last frame changed block 25 * 80 + 40 = 2040: 2040 skipped blocks before it and
  // 1959 after it, each run split into words of at most 1023.
  Walk last = walk(out, 4000);
  EXPECT_EQ(last.skipped, 3999);
  EXPECT_EQ(last.skip_words, 4);
  EXPECT_NE(last.kind[2040], 's');
}

TEST(Msv1Encoder, PicturesSmallerThanABlockGiveOnlyTheEndWord) {
  std::vector<uint8_t> pal = grey_palette();
  Msv1Encoder enc;
  ASSERT_TRUE(msv1_init(&enc, 3, 9, pal.data(), 10000, 7));
  std::vector<uint8_t> out, small(size_t(4) * 9, 5);
  msv1_encode_frame(&enc, small.data(), &out);
  EXPECT_EQ(out, (std::vector<uint8_t>{0, 0}));
  EXPECT_FALSE(msv1_init(&enc, 0, 9, pal.data(), 10000, 7));
}

}  // namespace
