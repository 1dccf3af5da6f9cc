#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "animation/flic/flic_writer.h"
#include "animation/flic/testing/flic_decoder.h"
#include "animation/frameset/testing/frame_series.h"
#include "animation/frameset/testing/shell.h"
#include "animation/frameset/testing/temp_dir.h"
#include "common/bytes.h"
#include "common/message_box.h"
#include "common/ui_recorder.h"

namespace fs = std::filesystem;

namespace {

// The host's side of one call: arrays, output path buffer, frame prefix.
struct HostCall {
  std::vector<uint32_t> counts;
  std::vector<uint16_t> list = std::vector<uint16_t>(32768);
  std::vector<char> path;
  std::string prefix;
  UiRecorder ui;
  HostCall(const std::string& output, const std::string& frame_prefix, std::vector<uint32_t> histogram)
      : counts(std::move(histogram)), path(output.begin(), output.end()), prefix(frame_prefix) {
    path.push_back('\0');
  }
  int32_t build(long first, long end, int w, int h, const FrameSetPlatform* platform = nullptr, int32_t speed = 0) {
    const BuildFliArgs args{first, end, path.data(), prefix.c_str(), w, h, 32768, speed, counts.data(), list.data()};
    return BuildFli(args, ui.table(), platform);
  }
};

// One BuildFli run over a synthetic series, with what it should have produced.
struct Made {
  TempDir dir;
  std::unique_ptr<HostCall> call;
  int32_t result = -1;
  std::string output;
  int canvasWidth = 0, canvasHeight = 0;
  std::vector<std::vector<uint8_t>> expected;  // index frames, the ring frame last
  std::vector<uint8_t> file;
  DecodedFlic decoded;
};

struct SeriesCase {
  Scene scene;
  int width, height;
  long frames;
  int32_t speed = 5;
};

void make(Made* m, const SeriesCase& s) {
  const long first = 3;
  std::vector<uint32_t> histogram;
  ASSERT_TRUE(WriteFrameSeries({m->dir / "frame", first, s.frames, s.width, s.height, s.scene, RowCoding::Mixed}, &histogram));
  const bool flc = FlicIsFlc(s.width, s.height);
  m->output = m->dir / (flc ? "out.flc" : "out.fli");
  m->call = std::make_unique<HostCall>(m->output, m->dir / "frame", histogram);
  m->call->ui.answers = {answer::No};
  m->result = m->call->build(first, first + s.frames, s.width, s.height, nullptr, s.speed);
  m->canvasWidth = flc ? s.width : 320;
  m->canvasHeight = flc ? s.height : 200;
  const uint16_t* palette = m->call->list.data();
  for (long i = 0; i <= s.frames; ++i) {
    std::vector<uint16_t> px = SceneFrame(s.scene, s.width, s.height, first + (i < s.frames ? i : 0));
    std::vector<uint8_t> frame(size_t(m->canvasWidth) * m->canvasHeight, 48);
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x)
        frame[size_t(y) * m->canvasWidth + x] = NearestPaletteIndex(palette, px[size_t(y) * s.width + x]);
    m->expected.push_back(frame);
  }
  m->file = ReadWholeFile(m->output);
  m->decoded = DecodeFlic(m->file);
}

// ffmpeg's decoding of a file as rgb24 frames.
std::vector<std::vector<uint8_t>> ffmpeg_frames(const std::string& path, int w, int h) {
  std::vector<uint8_t> all = shell::output("ffmpeg -v error -threads 1 -f flic -i '" + path + "' -f rawvideo -pix_fmt rgb24 -");
  const size_t size = size_t(w) * h * 3;
  std::vector<std::vector<uint8_t>> frames;
  for (size_t at = 0; at + size <= all.size(); at += size) frames.emplace_back(all.begin() + long(at), all.begin() + long(at + size));
  return frames;
}

uint8_t scale6(uint8_t v) { return uint8_t((v << 2) | (v >> 4)); }

// Every decoded picture equals the expected index frame through the 6-bit palette.
void expect_ffmpeg_agrees(const Made& m, bool skip_last_column) {
  auto frames = ffmpeg_frames(m.output, m.canvasWidth, m.canvasHeight);
  ASSERT_EQ(frames.size(), m.expected.size()) << "ffmpeg pictures";
  const uint16_t* palette = m.call->list.data();
  const int columns = m.canvasWidth - (skip_last_column ? 1 : 0);
  for (size_t f = 0; f < frames.size(); ++f) {
    long wrong = 0;
    for (int y = 0; y < m.canvasHeight; ++y)
      for (int x = 0; x < columns; ++x) {
        uint16_t c = palette[m.expected[f][size_t(y) * m.canvasWidth + x]];
        const uint8_t* rgb = &frames[f][(size_t(y) * m.canvasWidth + x) * 3];
        wrong += rgb[0] != scale6(uint8_t(((c >> 10) & 31) * 2)) || rgb[1] != scale6(uint8_t(((c >> 5) & 31) * 2)) ||
                 rgb[2] != scale6(uint8_t((c & 31) * 2));
      }
    EXPECT_EQ(wrong, 0) << "frame " << f;
  }
}

void expect_well_formed(const Made& m, long frames) {
  const DecodedFlic& d = m.decoded;
  ASSERT_EQ(d.error, "");
  const bool flc = d.magic == 0xAF12;
  EXPECT_EQ(d.fileSize, m.file.size());
  EXPECT_EQ(d.frameCount, frames);
  EXPECT_EQ(d.width, m.canvasWidth);
  EXPECT_EQ(d.height, m.canvasHeight);
  EXPECT_EQ(d.depth, 8);
  EXPECT_EQ(d.flags, 3);
  ASSERT_EQ(d.frames.size(), size_t(frames + 1));
  const std::vector<uint8_t>& h = d.header;
  if (flc) {
    EXPECT_EQ(std::vector<uint8_t>(h.begin() + 26, h.begin() + 30), (std::vector<uint8_t>{0x42, 0x49, 0x4C, 0x46}));
    EXPECT_EQ(get_le16(&h[38]), 1);
    EXPECT_EQ(get_le16(&h[40]), 1);
    EXPECT_EQ(get_le32(&h[80]), 128u);
    EXPECT_EQ(get_le32(&h[84]), 128u + d.recordSizes[0]);
  }
  // Every other header byte is zero.
  for (int i = 18; i < 128; ++i) {
    bool field = flc && ((i >= 18 && i < 20) || (i >= 26 && i < 30) || (i >= 38 && i < 42) || (i >= 80 && i < 88));
    if (!field) {
      EXPECT_EQ(h[i], 0) << "header byte " << i;
    }
  }
  // The first record holds the colour chunk and a picture; copy chunks are exactly the frame
  // and only where rows are a multiple of 4 bytes.
  ASSERT_EQ(d.chunks[0].size(), 2u);
  EXPECT_EQ(d.chunks[0][0].type, 11);
  EXPECT_EQ(d.chunks[0][0].size, 778u);
  const uint32_t frame_bytes = uint32_t(m.canvasWidth) * m.canvasHeight;
  for (size_t r = 0; r < d.chunks.size(); ++r)
    for (const FlicChunkInfo& c : d.chunks[r]) {
      if (c.type == 16) {
        EXPECT_EQ(c.size, 6 + frame_bytes) << "record " << r;
        EXPECT_EQ(m.canvasWidth % 4, 0) << "record " << r;
      }
      if (r > 0) {
        EXPECT_EQ(c.type, c.type == 16 ? 16 : flc ? 7 : 12) << "record " << r;
      }
    }
  // Palette: 6-bit components of ColourList[0..255].
  for (int i = 0; i < 256; ++i) {
    uint16_t c = m.call->list[size_t(i)];
    ASSERT_EQ(d.palettes[0][3 * i], ((c >> 10) & 31) * 2);
    ASSERT_EQ(d.palettes[0][3 * i + 2], (c & 31) * 2);
  }
  for (size_t f = 0; f < d.frames.size(); ++f) EXPECT_EQ(d.frames[f], m.expected[f]) << "our reader, frame " << f;
}


}  // namespace

TEST(FlicFiles, DecodePixelExactlyInFfmpegAndInOurReader) {
  const std::vector<SeriesCase> series_cases = {
      {Scene::MovingShapes, 320, 200, 6},  // FLI
      {Scene::MovingShapes, 200, 100, 5},  // FLI canvas around a smaller picture
      {Scene::Cut, 320, 200, 5},           // FLI with hard cuts: delta frames as copies
      {Scene::Gradient, 320, 201, 4},      // FLC, thousands of colours
      {Scene::Cut, 321, 200, 5},           // FLC, odd width, cuts: no copy chunk anywhere
      {Scene::Cut, 640, 480, 4},           // FLC at the largest size, copy chunks
      {Scene::Noise, 318, 210, 3},         // width 2 mod 4: byte run and delta even when larger
      {Scene::MovingShapes, 333, 203, 5},  // odd width, moving: the last column changes
  };
  for (const SeriesCase& s : series_cases) {
    SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height) + " scene " + std::to_string(int(s.scene)));
    Made m;
    make(&m, s);
    ASSERT_EQ(m.result, 0);
    ASSERT_EQ(m.call->ui.boxes.size(), 1u);
    EXPECT_EQ(m.call->ui.boxes[0].text, "Delete Temporary files");
    expect_well_formed(m, s.frames);
    expect_ffmpeg_agrees(m, s.width % 2 != 0);
    if (s.width % 2 != 0) {  // the last column changes, so the last-byte words matter
      bool changes = false;
      for (size_t f = 1; f < m.expected.size(); ++f)
        for (int y = 0; y < s.height; ++y)
          changes |= m.expected[f][size_t(y + 1) * s.width - 1] != m.expected[f - 1][size_t(y + 1) * s.width - 1];
      EXPECT_TRUE(changes);
    }
    if (s.scene == Scene::Cut && s.width % 4 == 0) {  // cuts make copies in delta frames
      int copies = 0;
      for (size_t r = 1; r < m.decoded.chunks.size(); ++r)
        for (const FlicChunkInfo& c : m.decoded.chunks[r]) copies += c.type == 16;
      EXPECT_GT(copies, 0);
    }
  }
}

TEST(FlicFiles, NoiseFirstFrameIsARawCopyAndEqualFramesAreEmptyRecords) {
  {
    Made m;
    make(&m, {Scene::Noise, 320, 200, 3});
    ASSERT_EQ(m.decoded.error, "");
    EXPECT_EQ(m.decoded.recordSizes[0], 16u + 778 + 64006);
    EXPECT_EQ(m.decoded.chunks[0][1].type, 16);
    expect_ffmpeg_agrees(m, false);
  }
  for (int w : {320, 331}) {
    Made m;
    make(&m, {Scene::Still, w, 200, 4});
    ASSERT_EQ(m.decoded.error, "");
    ASSERT_EQ(m.decoded.recordSizes.size(), 5u);
    for (size_t r = 1; r < 5; ++r) EXPECT_EQ(m.decoded.recordSizes[r], 16u) << r;
    EXPECT_EQ(m.decoded.fileSize, 128 + m.decoded.recordSizes[0] + 4 * 16);
    expect_ffmpeg_agrees(m, w % 2 != 0);
  }
}

TEST(FlicFiles, SpeedIsIn70thsForFliAndMillisecondsForFlc) {
  struct Case {
    int width;
    int32_t speed;
    uint32_t stored;
  };
  for (const Case& c : {Case{320, -1, 5}, Case{321, -1, 71}, Case{321, 7, 100}, Case{320, 7, 7}}) {
    Made m;
    make(&m, {Scene::Still, c.width, 10, 3, c.speed});
    EXPECT_EQ(m.decoded.speed, c.stored) << c.width << " " << c.speed;
  }
}

TEST(FlicFiles, TooFewFramesOrTooLargeWriteNothing) {
  TempDir dir;
  for (auto [w, h, frames] : {std::tuple{320, 200, 2L}, {641, 480, 3L}, {640, 481, 3L}, {0, 10, 3L}, {10, -1, 3L}}) {
    HostCall call(dir / "out.flc", dir / "f", std::vector<uint32_t>(32768, 1));
    EXPECT_EQ(call.build(10, 10 + frames, w, h), frames);
    EXPECT_TRUE(call.ui.boxes.empty());
    EXPECT_TRUE(call.ui.progress.empty());
    EXPECT_EQ(call.counts[5], 1u);  // the histogram is untouched
    EXPECT_FALSE(fs::exists(dir / "out.flc"));
  }
}

namespace {
int g_allocations_left = 0;
void* failing_allocate(size_t bytes) { return g_allocations_left-- > 0 ? std::malloc(bytes) : nullptr; }
FILE* full_disk_open(const char* name, const char* mode) {
  return mode[0] == 'w' ? std::fopen("/dev/full", mode) : std::fopen(name, mode);
}
}  // namespace

TEST(FlicExport, ReportsEveryFailureAndKeepsTheFrameFiles) {
  struct Case {
    const char* what;
    int allocations;
    bool full_disk;
    std::string output_name;
    const char* text;
    const char* caption;
    int32_t result;
  };
  const std::vector<Case> cases = {
      {"first buffer", 0, false, "out.fli", "Out of memory", "Flic", answer::Cancel},
      {"record buffer", 2, false, "out.fli", "Out of memory", "Flic", 0},
      {"output", 9, false, "no/such/dir/out.fli", "Flic file open failed", "Error", 0},
      {"write", 9, true, "out.fli", "Failed on flic write", "Error", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FrameSetPlatform platform = *FrameSetStandardPlatform();
    platform.allocate = failing_allocate;
    if (c.full_disk) platform.open = full_disk_open;
    g_allocations_left = c.allocations;
    TempDir dir;
    std::vector<uint32_t> histogram;
    ASSERT_TRUE(WriteFrameSeries({dir / "f", 0, 3, 16, 8, Scene::MovingShapes, RowCoding::Raw}, &histogram));
    HostCall call(dir / c.output_name, dir / "f", histogram);
    call.ui.answers = {answer::Cancel, answer::Yes};
    EXPECT_EQ(call.build(0, 3, 16, 8, &platform), c.result);
    const UiRecorder& ui = call.ui;
    const std::string& prefix = call.prefix;
    ASSERT_EQ(ui.boxes.size(), 1u);  // no deletion prompt after a failure
    EXPECT_EQ(ui.boxes[0].text, c.text);
    EXPECT_EQ(ui.boxes[0].caption, c.caption);
    EXPECT_EQ(ui.boxes[0].flags, mb::TaskModal);
    for (long n = 0; n < 3; ++n) EXPECT_TRUE(fs::exists(FrameFileName(prefix.c_str(), n)));
    // Buffers come before the palette, the palette before the output file.
    if (c.allocations < 9) {
      EXPECT_TRUE(ui.progress.empty());
      EXPECT_EQ(call.counts, histogram);
    } else if (!c.full_disk) {
      EXPECT_EQ(ui.progress, std::vector<std::string>{"Building color palette"});
      EXPECT_EQ(call.counts, std::vector<uint32_t>(32768, kIndexNotMapped));
    }
  }
}

TEST(FlicExport, BadFrameFilesStopTheRunAndLeaveTheProvisionalHeader) {
  for (bool missing : {true, false}) {
    TempDir dir;
    std::vector<uint32_t> histogram;
    ASSERT_TRUE(WriteFrameSeries({dir / "f", 0, 4, 16, 8, Scene::MovingShapes, RowCoding::Raw}, &histogram));
    if (missing) {
      fs::remove(FrameFileName((dir / "f").c_str(), 2));
    } else {
      // A pixel value not below colourCount in frame 2.
      std::vector<uint16_t> px = SceneFrame(Scene::MovingShapes, 16, 8, 2);
      px[5] = 0x9000;
      ASSERT_TRUE(WriteFramePixels(FrameFileName((dir / "f").c_str(), 2), 16, 8, px, RowCoding::Raw));
    }
    HostCall call(dir / "out.fli", dir / "f", histogram);
    EXPECT_EQ(call.build(0, 4, 16, 8), 0);
    const UiRecorder& ui = call.ui;
    const std::string path = dir / "out.fli";
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, missing ? "Temporary file open failed" : "Read failed on temporary file");
    std::vector<uint8_t> file = ReadWholeFile(path);
    ASSERT_GE(file.size(), 128u);
    EXPECT_EQ(get_le16(&file[6]), 0);   // provisional header: no frames
    EXPECT_EQ(get_le16(&file[14]), 0);  // flags 0
  }
}

TEST(FlicFiles, FliPicturesAndDeltasAbove60000BytesBecomeRawCopies) {
  // Lines of `alternating` changing bytes then a run of a third colour, on the 320 x 200 canvas.
  // First frame, byte run per line: literals of 127, 127 and the rest plus the run's first
  // byte, then a repeat: 307 bytes (61400 in all, a copy) for 300 alternating, 297 (59400, a
  // byte run) for 290. Third frame against an all-c second frame, line compression per line:
  // 1 + 129 + 129 + 2 + (alternating - 254): 61004 in all (a copy) for 298, 59404 for 290.
  const uint16_t a = 0x7C00, b = 0x03E0, c = 0x001F;
  auto picture = [&](int alternating) {
    std::vector<uint16_t> px(320 * 200, c);
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < alternating; ++x) px[size_t(y) * 320 + x] = x % 2 ? b : a;
    return px;
  };
  struct Case {
    int first_alternating, third_alternating;
    uint16_t first_type, third_type;
  };
  for (const Case& k : {Case{300, 298, 16, 16}, Case{290, 290, 15, 12}}) {
    SCOPED_TRACE(k.first_alternating);
    TempDir dir;
    std::vector<uint32_t> histogram(32768, 0);
    const std::vector<std::vector<uint16_t>> frames = {picture(k.first_alternating), picture(0),
                                                       picture(k.third_alternating)};
    for (long n = 0; n < 3; ++n) {
      for (uint16_t v : frames[size_t(n)]) ++histogram[v];
      ASSERT_TRUE(WriteFramePixels(FrameFileName((dir / "f").c_str(), n), 320, 200, frames[size_t(n)], RowCoding::Raw));
    }
    HostCall call(dir / "out.fli", dir / "f", histogram);
    call.ui.answers = {answer::No};
    ASSERT_EQ(call.build(0, 3, 320, 200), 0);
    DecodedFlic d = DecodeFlic(ReadWholeFile(dir / "out.fli"));
    ASSERT_EQ(d.error, "");
    ASSERT_EQ(d.chunks.size(), 4u);
    EXPECT_EQ(d.chunks[0][1].type, k.first_type);
    ASSERT_EQ(d.chunks[2].size(), 1u);
    EXPECT_EQ(d.chunks[2][0].type, k.third_type);
    if (k.third_type == 12) {
      EXPECT_EQ(d.chunks[2][0].size, 8u + 59404);
    }
    if (k.first_type == 15) {
      EXPECT_EQ(d.chunks[0][1].size, 6u + 59400);
    }
    for (size_t f = 0; f < 3; ++f)
      for (size_t i = 0; i < frames[f].size(); ++i)
        ASSERT_EQ(call.list[d.frames[f][i]], frames[f][i]) << f << " " << i;
  }
}
