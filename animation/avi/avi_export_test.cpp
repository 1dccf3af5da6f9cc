#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "animation/avi/avi_export.h"
#include "animation/avi/avi_test_util.h"
#include "animation/frameset/testing/frame_series.h"
#include "common/message_box.h"
#include "common/ui_recorder.h"

namespace {

// A frame series on disk with the host's histogram and working list.
struct Series {
  std::string prefix;
  long first = 0, end = 0;
  int width = 0, height = 0;
  std::vector<uint32_t> counts = std::vector<uint32_t>(32768, 1);
  std::vector<uint16_t> list = std::vector<uint16_t>(32768, 0);
};

Series make_series(const std::string& name, long first, long count, int w, int h, Scene scene) {
  Series s{avitest::scratch(name + "_"), first, first + count, w, h};
  EXPECT_TRUE(WriteFrameSeries({s.prefix, first, count, w, h, scene, RowCoding::Mixed}, &s.counts));
  s.list.assign(s.counts.size(), 0);
  return s;
}

// One BuildAvi call over a series; version warnings are counted.
struct Call {
  char path[512];
  BuildAviArgs args;
  UiRecorder ui;
  AviExportPlatform platform;
  int version_warnings = 0;
  Call(Series* s, const std::string& output) {
    std::snprintf(path, sizeof path, "%s", output.c_str());
    args = {int32_t(s->first), int32_t(s->end), path, s->prefix.c_str(), s->width, s->height,
            uint32_t(s->counts.size()), -1, s->counts.data(), s->list.data()};
    platform.context = this;
    platform.version_warning = [](void* c) { ++static_cast<Call*>(c)->version_warnings; };
  }
  int32_t run() { return BuildAviRun(args, ui.table(), platform); }
};

bool frame_exists(const Series& s, long n) { return std::filesystem::exists(FrameFileName(s.prefix.c_str(), n)); }

// The layer holds nothing once a run has ended, whatever happened.
void expect_layer_released() {
  EXPECT_EQ(vfw::test_hooks::live_objects(), 0);
  EXPECT_EQ(vfw::test_hooks::init_count(), 0);
}

// The bitmap bits the export should hand over for each frame, made independently of it:
// palette from a copy of the histogram, frames read by the frame set, rows flipped.
std::vector<std::vector<uint8_t>> expected_bits(const Series& s, std::vector<uint8_t>* rgbquads) {
  std::vector<uint32_t> counts = s.counts;
  std::vector<uint16_t> list(counts.size());
  FrameSetRun run;
  run.prefix = s.prefix.c_str();
  run.first = s.first;
  run.end = s.end;
  run.width = s.width;
  run.height = s.height;
  run.colourCount = uint32_t(counts.size());
  run.colourCounts = counts.data();
  run.colourList = list.data();
  run.compressedRowWords = kAviRowWords;
  FrameSetBuildPalette(&run);
  rgbquads->assign(1024, 0);
  for (int i = 0; i < 256; ++i) {
    (*rgbquads)[size_t(4 * i)] = uint8_t(run.blue[i] * 4);
    (*rgbquads)[size_t(4 * i + 1)] = uint8_t(run.green[i] * 4);
    (*rgbquads)[size_t(4 * i + 2)] = uint8_t(run.red[i] * 4);
  }
  const size_t stride = size_t(msv1_stride(s.width));
  std::vector<std::vector<uint8_t>> out;
  std::vector<uint8_t> frame(size_t(s.width) * s.height);
  for (long n = s.first; n < s.end; ++n) {
    EXPECT_EQ(ReadFrame(&run, n, frame.data(), size_t(s.width)), ReadOk);
    std::vector<uint8_t> bits(stride * s.height, 0);
    for (int r = 0; r < s.height; ++r)
      std::memcpy(&bits[(size_t(s.height) - 1 - r) * stride], &frame[size_t(r) * s.width], size_t(s.width));
    out.push_back(bits);
  }
  return out;
}

TEST(AviPath, CutsAtTheLastDotOfTheFileNameAndAppendsAvi) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {{"out/test.flc", "out/test.avi"},     {"test", "test.avi"},
               {"a.b/c.d.flc", "a.b/c.d.avi"},        {"renders.v2/anim", "renders.v2/anim.avi"},
               {"C:\\shots.old\\anim", "C:\\shots.old\\anim.avi"}, {"C:anim.fli", "C:anim.avi"},
               {"movie.", "movie.avi"},               {"", ".avi"}};
  for (const auto& c : cases) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s", c.in);
    RewriteAviPath(buf);
    EXPECT_STREQ(buf, c.out) << c.in;
  }
}

TEST(BuildAvi, RefusedCallsTouchNeitherTheHistogramNorTheDisk) {
  // Fewer than three frames answer end - first silently; sizes the frame reader cannot hold
  // (wider than 1024, or not positive) are refused with the frame reader's message.
  struct Case {
    long first, end;
    int width, height;
    int32_t result;
    const char* box;
  };
  const Case cases[] = {{10, 12, 32, 16, 2, nullptr},
                        {10, 5, 32, 16, -5, nullptr},
                        {0, 5, 1025, 10, 0, "Read failed on temporary file"},
                        {0, 5, 0, 10, 0, "Read failed on temporary file"},
                        {0, 5, 16, -4, 0, "Read failed on temporary file"}};
  for (const Case& k : cases) {
    SCOPED_TRACE(std::to_string(k.width) + "x" + std::to_string(k.height) + " end " + std::to_string(k.end));
    Series s{avitest::scratch("refused_"), k.first, k.end, k.width, k.height};
    s.counts.assign(32768, 3);
    std::string out = avitest::scratch("refused.avi");
    std::remove(out.c_str());
    Call c(&s, out);
    EXPECT_EQ(c.run(), k.result);
    EXPECT_TRUE(c.ui.progress.empty());
    ASSERT_EQ(c.ui.boxes.size(), k.box ? 1u : 0u);
    if (k.box) {
      EXPECT_EQ(c.ui.boxes[0].text, k.box);
    }
    EXPECT_EQ(s.counts[100], 3u);
    EXPECT_FALSE(avitest::read_avi(out).ok);
  }
}

TEST(BuildAvi, WritesEveryFrameOnceAndFfmpegShowsTheFlippedPaletteFrames) {
  // 101 wide: stride 104; 50 rows: 2 rows never coded. Frames 5..12, key frames 0 and 7.
  Series s = make_series("full", 5, 8, 101, 50, Scene::MovingShapes);
  std::vector<uint8_t> palette;
  auto bits = expected_bits(s, &palette);
  Call c(&s, avitest::scratch("full.flc"));
  c.ui.answers = {answer::No};
  EXPECT_EQ(c.run(), 0);
  ASSERT_EQ(std::string(c.path), avitest::scratch("full.avi"));

  ASSERT_EQ(c.ui.progress.size(), 1u + 9u);
  EXPECT_EQ(c.ui.progress[0], "Building color palette");
  EXPECT_EQ(c.ui.progress[1], "Building frame 005");
  EXPECT_EQ(c.ui.progress[9], "Building frame 013");
  ASSERT_EQ(c.ui.boxes.size(), 1u);
  EXPECT_EQ(c.ui.boxes[0].text, "Delete Temporary files");
  EXPECT_EQ(c.ui.boxes[0].flags, 0x2024u);
  EXPECT_TRUE(frame_exists(s, 5) && frame_exists(s, 12));  // answered No
  EXPECT_EQ(c.version_warnings, 0);
  expect_layer_released();

  avitest::AviFacts f = avitest::read_avi(c.path);
  ASSERT_TRUE(f.ok);
  ASSERT_EQ(f.index.size(), 8u);  // the re-read first frame is not written
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(f.index[i].flags, i % 7 == 0 ? 0x10u : 0u);
  EXPECT_EQ(get_le32(&f.strh[24]), 15u);
  ASSERT_EQ(f.strf.size(), 1064u);
  EXPECT_TRUE(std::equal(palette.begin(), palette.end(), f.strf.begin() + 40));
  for (int i = 0; i < 256; ++i) EXPECT_EQ(f.strf[size_t(40 + 4 * i)] % 8, 0) << i;

  // ffmpeg's frames equal what the compressor shows for the frame files' rows flipped into
  // the bitmap (first file row = last bitmap row), so the export handed exactly those.
  auto shown = avitest::shown_frames(101, 50, palette, bits);
  std::vector<uint8_t> pal8;
  ASSERT_TRUE(avitest::ffmpeg_decode(c.path, "pal8", &pal8));
  const size_t frame_bytes = 101 * 50 + 1024;
  ASSERT_EQ(pal8.size(), 8 * frame_bytes);
  for (size_t n = 0; n < 8; ++n) {
    long mismatches = 0;
    for (int t = 0; t < 48; ++t)
      for (int x = 0; x < 100; ++x)
        mismatches += pal8[n * frame_bytes + size_t(t) * 101 + size_t(x)] != shown[n][size_t(47 - t) * 104 + size_t(x)];
    EXPECT_EQ(mismatches, 0) << "frame " << n;
  }
}

// A heap that fails its n-th allocation and counts what is still held.
struct FailingHeap {
  static int fail_at, calls, held;
  static void* allocate(size_t n) {
    if (++calls == fail_at) return nullptr;
    ++held;
    return std::malloc(n);
  }
  static void release(void* p) {
    if (p) --held;
    std::free(p);
  }
};
int FailingHeap::fail_at = 0, FailingHeap::calls = 0, FailingHeap::held = 0;

TEST(BuildAvi, OutOfMemoryReleasesWhatWasTakenAndAnswersTheBox) {
  Series s = make_series("memory", 0, 3, 16, 8, Scene::Gradient);
  FrameSetPlatform heap = *FrameSetStandardPlatform();
  heap.allocate = FailingHeap::allocate;
  heap.release = FailingHeap::release;
  for (int fail_at = 1; fail_at <= 2; ++fail_at) {
    FailingHeap::fail_at = fail_at;
    FailingHeap::calls = FailingHeap::held = 0;
    std::string out = avitest::scratch("memory.avi");
    std::remove(out.c_str());
    Call c(&s, out);
    c.platform.frames = &heap;
    c.ui.answers = {answer::Cancel};
    EXPECT_EQ(c.run(), answer::Cancel);
    ASSERT_EQ(c.ui.boxes.size(), 1u);
    EXPECT_EQ(c.ui.boxes[0].text, "Out of memory");
    EXPECT_EQ(c.ui.boxes[0].caption, "Flic");
    EXPECT_EQ(FailingHeap::held, 0);
    // The index frame comes before the palette, the bitmap block after it.
    EXPECT_EQ(c.ui.progress.size(), fail_at == 1 ? 0u : 1u);
    EXPECT_FALSE(avitest::read_avi(out).ok);
  }
}

TEST(BuildAvi, FrameFileFailuresEndTheRunWithAClosedFileAndNoDeletionPrompt) {
  // Frame 4 is missing in both series; in the first, frame 2 already says 25 x 12.
  for (bool bad_size : {true, false}) {
    SCOPED_TRACE(bad_size);
    Series s = make_series(bad_size ? "broken" : "missing", 0, 6, 24, 12, Scene::MovingShapes);
    std::remove(FrameFileName(s.prefix.c_str(), 4).c_str());
    if (bad_size) {
      ASSERT_TRUE(WriteFramePixels(FrameFileName(s.prefix.c_str(), 2), 25, 12, std::vector<uint16_t>(25 * 12, 0),
                                   RowCoding::Raw));
    }
    Call c(&s, avitest::scratch(bad_size ? "broken.avi" : "missing.avi"));
    EXPECT_EQ(c.run(), 0);
    ASSERT_EQ(c.ui.boxes.size(), 1u);
    EXPECT_EQ(c.ui.boxes[0].text, bad_size ? "Read failed on temporary file" : "Temporary file open failed");
    EXPECT_EQ(c.ui.boxes[0].caption, "Error");
    avitest::AviFacts f = avitest::read_avi(c.path);
    ASSERT_TRUE(f.ok);  // completed when the state was released
    EXPECT_EQ(f.index.size(), bad_size ? 2u : 4u);
    EXPECT_EQ(f.riff_size + 8, f.file_size);
    expect_layer_released();
  }
}

// An older Video for Windows, a file that cannot be opened and a failed first write all
// leave the run going: every frame is read and the deletion prompt comes.
TEST(BuildAvi, WithoutAviOutputTheRunStillReadsEveryFrameAndAsksToDelete) {
  enum Trouble { OldVersion, OpenFails, WriteFails };
  for (Trouble t : {OldVersion, OpenFails, WriteFails}) {
    Series s = make_series("trouble" + std::to_string(int(t)), 0, 4, 16, 16, Scene::MovingShapes);
    std::string out = t == OpenFails ? "/nonexistent-folder/out.avi" : avitest::scratch("trouble.avi");
    std::remove(out.c_str());
    Call c(&s, out);
    c.ui.answers = {t == WriteFails ? answer::Yes : answer::No};
    if (t == OldVersion) vfw::test_hooks::set_version(0x01090000);
    if (t == WriteFails) vfw::test_hooks::fail_next_write();
    EXPECT_EQ(c.run(), 0);
    vfw::test_hooks::set_version(0);
    EXPECT_EQ(c.version_warnings, t == OldVersion ? 1 : 0);
    EXPECT_EQ(c.ui.progress.size(), 1u + 5u) << t;
    ASSERT_EQ(c.ui.boxes.size(), 1u) << t;
    EXPECT_EQ(c.ui.boxes[0].text, "Delete Temporary files");
    EXPECT_EQ(frame_exists(s, 0), t != WriteFails);  // Yes deleted them
    avitest::AviFacts f = avitest::read_avi(out);
    EXPECT_EQ(f.ok, t == WriteFails) << t;
    EXPECT_TRUE(f.index.empty());  // after a failed write no later frame is written
    expect_layer_released();
  }
}

}  // namespace
