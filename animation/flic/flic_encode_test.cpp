#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "animation/flic/flic_encode.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes byte_run(const Bytes& line) {
  Bytes out(FlicByteRunLineBound(int(line.size())));
  out.resize(FlicByteRunLine(line.data(), int(line.size()), out.data()));
  return out;
}

Bytes delta_line(const Bytes& cur, const Bytes& prev, bool* too_big = nullptr) {
  Bytes out(FlicDeltaLineBound(int(cur.size())));
  bool big = false;
  out.resize(FlicDeltaLine(cur.data(), prev.data(), int(cur.size()), out.data(), &big));
  if (too_big) *too_big = big;
  return out;
}

// Reference decoder of one delta line, written from the format description.
Bytes undelta(const Bytes& coded, Bytes line) {
  size_t i = 1, x = 0;
  for (int p = 0; p < coded[0]; ++p) {
    x += coded[i++];
    int8_t s = int8_t(coded[i++]);
    if (s > 0)
      for (int k = 0; k < s; ++k) line.at(x++) = coded[i++];
    else {
      for (int k = 0; k < -s; ++k) line.at(x++) = coded[i];
      ++i;
    }
  }
  EXPECT_EQ(i, coded.size());
  return line;
}

// Packets of a delta line as (skip, size) pairs.
std::vector<std::pair<int, int>> packets(const Bytes& coded) {
  std::vector<std::pair<int, int>> list;
  size_t i = 1;
  for (int p = 0; p < coded[0]; ++p) {
    int skip = coded[i++];
    int8_t s = int8_t(coded[i++]);
    list.push_back({skip, s});
    i += s > 0 ? size_t(s) : 1;
  }
  return list;
}

}  // namespace

TEST(ByteRun, MatchesTheWorkedExamplesAndPacketLimits) {
  EXPECT_EQ(byte_run({5, 5, 5, 7, 8}), (Bytes{0x02, 0x03, 0x05, 0xFE, 0x07, 0x08}));
  // The second 2 opens a new repeat packet instead of joining the literal.
  EXPECT_EQ(byte_run({1, 2, 2}), (Bytes{0x02, 0xFE, 0x01, 0x02, 0x01, 0x02}));
  EXPECT_EQ(byte_run({4}), (Bytes{0x01, 0x01, 0x04}));
  EXPECT_EQ(byte_run({4, 4, 6}), (Bytes{0x02, 0x02, 0x04, 0xFF, 0x06}));
  // Packets hold at most 127 bytes, and the packet count wraps at 256.
  Bytes same(128, 9);
  EXPECT_EQ(byte_run(same), (Bytes{0x02, 0x7F, 0x09, 0x01, 0x09}));
  Bytes distinct(128);
  for (int i = 0; i < 128; ++i) distinct[i] = uint8_t(i);
  Bytes coded = byte_run(distinct);
  ASSERT_EQ(coded.size(), 1 + 1 + 127 + 2u);
  EXPECT_EQ(coded[1], 0x81);       // -127
  EXPECT_EQ(coded[129], 0xFF);     // the 128th byte opens a new literal
  // 640 bytes in pairs a a b b ...: 320 packets, count byte 320 mod 256.
  Bytes pairs(640);
  for (int i = 0; i < 640; ++i) pairs[i] = uint8_t(i / 2);
  EXPECT_EQ(byte_run(pairs)[0], 320 % 256);
}

TEST(DeltaLine, MatchesTheWorkedExampleWithTheForced255Skip) {
  Bytes prev(320);
  for (int i = 0; i < 320; ++i) prev[i] = uint8_t(i * 7);
  Bytes cur = prev;
  cur[0] = cur[1] = cur[2] = 9;
  EXPECT_EQ(delta_line(cur, prev), (Bytes{0x02, 0x00, 0xFD, 0x09, 0xFF, 0x01, prev[258]}));
}

TEST(DeltaLine, RunsOfFiveSplitOutAndShorterRunsStayLiteral) {
  Bytes prev(40, 0);
  auto line = [&](std::initializer_list<uint8_t> changed, int at) {
    Bytes cur = prev;
    int x = at;
    for (uint8_t b : changed) cur[x++] = b;
    return cur;
  };
  // 1 5 5 5 5 5 2: literal(1), repeat 5x5 (skip 0), then 2 alone.
  Bytes cur = line({1, 5, 5, 5, 5, 5, 2}, 3);
  EXPECT_EQ(delta_line(cur, prev), (Bytes{0x03, 3, 1, 1, 0, 0xFB, 5, 0, 0xFF, 2}));
  // 1 5 5 5 5 2: a run of 4 stays in the literal.
  cur = line({1, 5, 5, 5, 5, 2}, 3);
  EXPECT_EQ(packets(delta_line(cur, prev)), (std::vector<std::pair<int, int>>{{3, 6}}));
  // A run at the end of the stretch stays literal ...
  cur = line({1, 5, 5, 5, 5, 5, 5}, 3);
  EXPECT_EQ(packets(delta_line(cur, prev)), (std::vector<std::pair<int, int>>{{3, 7}}));
  // ... unless the whole packet is that run; 5 5 5 5 5 2 turns the open packet itself into
  // the repeat, keeping its skip.
  cur = line({5, 5, 5, 5, 5, 2, 3}, 3);
  EXPECT_EQ(packets(delta_line(cur, prev)), (std::vector<std::pair<int, int>>{{3, -5}, {0, 2}}));
  // A single changed byte before an unchanged one is its own 3-byte packet.
  cur = line({8}, 39);
  EXPECT_EQ(delta_line(cur, prev), (Bytes{0x01, 39, 1, 8}));
}

TEST(DeltaLine, PacketsHoldAtMost127BytesAndALineAtMost254Packets) {
  Bytes prev(300, 0), cur(300, 0);
  for (int i = 0; i < 128; ++i) cur[i] = 4;
  EXPECT_EQ(packets(delta_line(cur, prev)), (std::vector<std::pair<int, int>>{{0, -127}, {0, 1}}));
  for (int i = 0; i < 128; ++i) cur[i] = uint8_t(1 + i % 2);
  EXPECT_EQ(packets(delta_line(cur, prev)), (std::vector<std::pair<int, int>>{{0, 127}, {0, 1}}));
  // More than 254 packets is too big. Changed bytes separated by unchanged ones: one packet
  // per pair of bytes.
  prev.assign(512, 0);
  cur.assign(512, 0);
  for (int i = 0; i < 512; i += 2) cur[i] = 1;
  bool too_big = false;
  delta_line(Bytes(cur.begin(), cur.begin() + 508), Bytes(prev.begin(), prev.begin() + 508), &too_big);
  EXPECT_FALSE(too_big);  // 254 packets
  delta_line(cur, prev, &too_big);
  EXPECT_TRUE(too_big);   // 256 packets
}

TEST(DeltaLine, RoundTripsRandomChanges) {
  std::mt19937 rng(11);
  for (int trial = 0; trial < 300; ++trial) {
    Bytes prev(320), cur;
    for (auto& b : prev) b = uint8_t(rng() % 3);
    cur = prev;
    int changes = int(rng() % 320);
    for (int i = 0; i < changes; ++i) cur[rng() % 320] = uint8_t(rng() % 4);
    Bytes coded = delta_line(cur, prev);
    ASSERT_LE(coded.size(), FlicDeltaLineBound(320));
    ASSERT_EQ(undelta(coded, prev), cur) << trial;
  }
}

TEST(DeltaFrame, StoresTheChangedStretchOfLinesOnly) {
  int w = 100, h = 20;
  Bytes prev(w * h, 48), cur = prev;
  Bytes out(FlicDeltaFrameBound(320, 200));
  EXPECT_EQ(FlicDeltaFrame(cur.data(), prev.data(), w, h, 60000, out.data()), 0);
  cur[10 * w + 5] = 1;
  cur[12 * w + 6] = 2;
  long n = FlicDeltaFrame(cur.data(), prev.data(), w, h, 60000, out.data());
  // top 10, 3 lines: (1 packet: skip 5, 1 byte), an unchanged line as 0, (skip 6, 1 byte).
  EXPECT_EQ(Bytes(out.begin(), out.begin() + n),
            (Bytes{10, 0, 3, 0, 1, 5, 1, 1, 0, 1, 6, 1, 2}));
  // Noise everywhere is above 60000 bytes: too big.
  w = 320;
  h = 200;
  prev.assign(w * h, 48);
  cur = prev;
  for (size_t i = 0; i < cur.size(); ++i) cur[i] = uint8_t(i * 2654435761u >> 24);
  EXPECT_EQ(FlicDeltaFrame(cur.data(), prev.data(), w, h, 60000, out.data()), -1);
}

TEST(WordDelta, SkipsCountBytesUpTo254AndLinesSkipAsNegativeWords) {
  const int w = 600, h = 4;
  Bytes prev(w * h, 0), cur = prev;
  cur[2 * w + 598] = 7;  // word 299 of line 2; 299 unchanged words before it
  Bytes out(FlicWordDeltaFrameBound(w, h));
  long n = FlicWordDeltaFrame(cur.data(), prev.data(), w, h, out.data());
  // 1 line; skip 2 lines (-2); 3 packets: the 128th unchanged word forced out (skip 254),
  // then again at the 256th, then the changed word after 43 more unchanged words (skip 86).
  Bytes expected = {1, 0, 0xFE, 0xFF, 3, 0, 254, 1, 0, 0, 254, 1, 0, 0, 86, 1, 7, 0};
  EXPECT_EQ(Bytes(out.begin(), out.begin() + n), expected);
}

TEST(WordDelta, OddWidthsCarryTheLastColumnInTheLastByteWord) {
  const int w = 7, h = 3;
  Bytes prev(w * h, 0), cur = prev;
  cur[0 * w + 6] = 0x55;  // only the last column of line 0
  cur[2 * w + 0] = 3;     // a word of line 2
  cur[2 * w + 6] = 0x66;
  Bytes out(FlicWordDeltaFrameBound(w, h));
  long n = FlicWordDeltaFrame(cur.data(), prev.data(), w, h, out.data());
  Bytes expected = {2, 0,
                    0x55, 0x80, 0, 0,                      // line 0: last byte, no packets
                    0xFF, 0xFF, 0x66, 0x80, 1, 0, 0, 1, 3, 0};  // skip 1 line; line 2
  EXPECT_EQ(Bytes(out.begin(), out.begin() + n), expected);
  EXPECT_EQ(FlicWordDeltaFrame(cur.data(), cur.data(), w, h, out.data()), 0);
}
