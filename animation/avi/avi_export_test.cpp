#include <gtest/gtest.h>

#include <cstring>

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
  std::vector<uint32_t> counts;
  std::vector<uint16_t> list;
};

Series make_series(const std::string& name, long first, long count, int w, int h, Scene scene) {
  Series s;
  s.prefix = avitest::scratch(name + "_");
  s.first = first;
  s.end = first + count;
  s.width = w;
  s.height = h;
  SeriesSpec spec;
  spec.prefix = s.prefix;
  spec.first = first;
  spec.count = count;
  spec.width = w;
  spec.height = h;
  spec.scene = scene;
  EXPECT_TRUE(WriteFrameSeries(spec, &s.counts));
  s.list.assign(s.counts.size(), 0);
  return s;
}

struct Call {
  char path[512];
  BuildAviArgs args;
  UiRecorder ui;
  AviExportPlatform platform;
  int version_warnings = 0;
};

void count_warning(void* context) { ++static_cast<Call*>(context)->version_warnings; }

void prepare(Call* c, Series* s, const std::string& output) {
  std::snprintf(c->path, sizeof c->path, "%s", output.c_str());
  c->args.first = int32_t(s->first);
  c->args.end = int32_t(s->end);
  c->args.outputPath = c->path;
  c->args.framePrefix = s->prefix.c_str();
  c->args.width = s->width;
  c->args.height = s->height;
  c->args.colourCount = uint32_t(s->counts.size());
  c->args.speed = -1;
  c->args.colourCounts = s->counts.data();
  c->args.colourList = s->list.data();
  c->platform.context = c;
  c->platform.version_warning = count_warning;
}

bool frame_exists(const Series& s, long n) {
  FILE* f = std::fopen(FrameFileName(s.prefix.c_str(), n).c_str(), "rb");
  if (f) std::fclose(f);
  return f != nullptr;
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

TEST(BuildAvi, FewerThanThreeFramesOnlyRewritesThePath) {
  Call c;
  Series s;
  s.first = 10;
  s.end = 12;
  s.prefix = "unused";
  s.counts.assign(32768, 1);
  s.list.assign(32768, 7);
  prepare(&c, &s, avitest::scratch("short.flc"));
  EXPECT_EQ(BuildAviRun(c.args, c.ui.table(), c.platform), 2);
  EXPECT_EQ(std::string(c.path), avitest::scratch("short.avi"));
  EXPECT_TRUE(c.ui.progress.empty());
  EXPECT_TRUE(c.ui.boxes.empty());
  EXPECT_EQ(s.counts[5], 1u);  // the histogram is untouched
  c.args.end = 5;
  EXPECT_EQ(BuildAviRun(c.args, c.ui.table(), c.platform), -5);
}

TEST(BuildAvi, WritesEveryFrameOnceAndFfmpegShowsTheFlippedPaletteFrames) {
  // 101 wide: stride 104; 50 rows: 2 rows never coded. Frames 5..12, key frames 0 and 7.
  Series s = make_series("full", 5, 8, 101, 50, Scene::MovingShapes);
  std::vector<uint8_t> palette;
  auto bits = expected_bits(s, &palette);
  Call c;
  prepare(&c, &s, avitest::scratch("full.flc"));
  c.ui.answers = {answer::No};
  EXPECT_EQ(BuildAviRun(c.args, c.ui.table(), c.platform), 0);
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
  EXPECT_EQ(vfw::test_hooks::live_objects(), 0);
  EXPECT_EQ(vfw::test_hooks::init_count(), 0);

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
    Call c;
    std::string out = avitest::scratch("memory.avi");
    std::remove(out.c_str());
    prepare(&c, &s, out);
    c.platform.frames = &heap;
    c.ui.answers = {answer::Cancel};
    EXPECT_EQ(BuildAviRun(c.args, c.ui.table(), c.platform), answer::Cancel);
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
  Series s = make_series("broken", 0, 6, 24, 12, Scene::MovingShapes);
  std::remove(FrameFileName(s.prefix.c_str(), 4).c_str());
  // Frame 2 says 25 x 12.
  {
    std::vector<uint16_t> px(25 * 12, 0);
    ASSERT_TRUE(WriteFramePixels(FrameFileName(s.prefix.c_str(), 2), 25, 12, px, RowCoding::Raw));
  }
  Call c;
  prepare(&c, &s, avitest::scratch("broken.avi"));
  EXPECT_EQ(BuildAviRun(c.args, c.ui.table(), c.platform), 0);
  ASSERT_EQ(c.ui.boxes.size(), 1u);
  EXPECT_EQ(c.ui.boxes[0].text, "Read failed on temporary file");
  EXPECT_EQ(c.ui.boxes[0].caption, "Error");
  avitest::AviFacts f = avitest::read_avi(c.path);
  ASSERT_TRUE(f.ok);  // completed when the state was released
  EXPECT_EQ(f.index.size(), 2u);
  EXPECT_EQ(f.riff_size + 8, f.file_size);
  EXPECT_EQ(vfw::test_hooks::live_objects(), 0);
  EXPECT_EQ(vfw::test_hooks::init_count(), 0);

  Series t = make_series("missing", 0, 6, 24, 12, Scene::MovingShapes);
  std::remove(FrameFileName(t.prefix.c_str(), 4).c_str());
  Call d;
  prepare(&d, &t, avitest::scratch("missing.avi"));
  EXPECT_EQ(BuildAviRun(d.args, d.ui.table(), d.platform), 0);
  ASSERT_EQ(d.ui.boxes.size(), 1u);
  EXPECT_EQ(d.ui.boxes[0].text, "Temporary file open failed");
  EXPECT_EQ(avitest::read_avi(d.path).index.size(), 4u);
}

// An older Video for Windows, a file that cannot be opened and a failed first write all
// leave the run going: every frame is read and the deletion prompt comes.
TEST(BuildAvi, WithoutAviOutputTheRunStillReadsEveryFrameAndAsksToDelete) {
  enum Trouble { OldVersion, OpenFails, WriteFails };
  for (Trouble t : {OldVersion, OpenFails, WriteFails}) {
    Series s = make_series("trouble" + std::to_string(int(t)), 0, 4, 16, 16, Scene::MovingShapes);
    std::string out = t == OpenFails ? "/nonexistent-folder/out.avi" : avitest::scratch("trouble.avi");
    std::remove(out.c_str());
    Call c;
    prepare(&c, &s, out);
    c.ui.answers = {t == WriteFails ? answer::Yes : answer::No};
    if (t == OldVersion) vfw::test_hooks::set_version(0x01090000);
    if (t == WriteFails) vfw::test_hooks::fail_next_write();
    EXPECT_EQ(BuildAviRun(c.args, c.ui.table(), c.platform), 0);
    vfw::test_hooks::set_version(0);
    EXPECT_EQ(c.version_warnings, t == OldVersion ? 1 : 0);
    EXPECT_EQ(c.ui.progress.size(), 1u + 5u) << t;
    ASSERT_EQ(c.ui.boxes.size(), 1u) << t;
    EXPECT_EQ(c.ui.boxes[0].text, "Delete Temporary files");
    EXPECT_EQ(frame_exists(s, 0), t != WriteFails);  // Yes deleted them
    avitest::AviFacts f = avitest::read_avi(out);
    EXPECT_EQ(f.ok, t == WriteFails) << t;
    EXPECT_TRUE(f.index.empty());  // after a failed write no later frame is written
    EXPECT_EQ(vfw::test_hooks::live_objects(), 0);
    EXPECT_EQ(vfw::test_hooks::init_count(), 0);
  }
}

TEST(BuildAvi, RefusesWidthsTheFrameReaderCannotHold) {
  Call c;
  Series s;
  s.first = 0;
  s.end = 5;
  s.prefix = avitest::scratch("wide_");
  s.width = 1025;
  s.height = 10;
  s.counts.assign(32768, 3);
  s.list.assign(32768, 0);
  std::string out = avitest::scratch("wide.avi");
  std::remove(out.c_str());
  prepare(&c, &s, out);
  EXPECT_EQ(BuildAviRun(c.args, c.ui.table(), c.platform), 0);
  ASSERT_EQ(c.ui.boxes.size(), 1u);
  EXPECT_EQ(c.ui.boxes[0].text, "Read failed on temporary file");
  EXPECT_TRUE(c.ui.progress.empty());
  EXPECT_EQ(s.counts[100], 3u);
  EXPECT_FALSE(avitest::read_avi(out).ok);
  c.args.width = 0;
  EXPECT_EQ(BuildAviRun(c.args, c.ui.table(), c.platform), 0);
  c.args.width = 16;
  c.args.height = -4;
  EXPECT_EQ(BuildAviRun(c.args, c.ui.table(), c.platform), 0);
  EXPECT_EQ(c.ui.boxes.size(), 3u);
  EXPECT_FALSE(avitest::read_avi(out).ok);
}

}  // namespace
