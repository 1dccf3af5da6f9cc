#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "animation/frameset/frameset.h"
#include "animation/frameset/testing/frame_series.h"
#include "animation/frameset/testing/temp_dir.h"
#include "common/message_box.h"
#include "common/ui_recorder.h"

namespace fs = std::filesystem;

namespace {

// A run over 32768 colours with the given histogram.
struct TestRun {
  std::vector<uint32_t> counts;
  std::vector<uint16_t> list;
  UiRecorder ui;
  FrameSetRun run;
  TestRun(const std::string& prefix, long first, long end, int w, int h, std::vector<uint32_t> histogram)
      : counts(std::move(histogram)), list(counts.size()) {
    run.ui = ui.table();
    prefix_storage = prefix;
    run.prefix = prefix_storage.c_str();
    run.first = first;
    run.end = end;
    run.width = w;
    run.height = h;
    run.colourCount = uint32_t(counts.size());
    run.colourCounts = counts.data();
    run.colourList = list.data();
  }
  std::string prefix_storage;
};

void write_bytes(const std::string& path, const std::vector<uint16_t>& words) {
  FILE* f = std::fopen(path.c_str(), "wb");
  for (uint16_t w : words) {
    std::fputc(w & 0xFF, f);
    std::fputc(w >> 8, f);
  }
  std::fclose(f);
}

// A frame file from header words and row words, for hand-made rows.
std::vector<uint16_t> header(int w, int h) { return {uint16_t(w), 0, uint16_t(h), 0}; }

}  // namespace

TEST(FrameFile, NamesArePaddedToThreeDigitsAndLoweredOnlyForReading) {
  EXPECT_EQ(FrameFileName("anim", 7), "anim007.16b");
  EXPECT_EQ(FrameFileName("anim", 1234), "anim1234.16b");
  EXPECT_EQ(FrameFileName("C:\\Render\\Shot", 42), "C:\\Render\\Shot042.16b");
  EXPECT_EQ(FrameFileReadName("C:\\Render\\Shot", 42), "c:\\render\\shot042.16b");
  EXPECT_EQ(FrameFileReadName("\xC4NIM", 1), "\xC4nim001.16b");  // only ASCII capitals
}

TEST(FrameFile, RawAndRunLengthRowsDecodeToTheSameIndexRows) {
  TempDir dir;
  const int w = 40, h = 6;
  std::vector<uint16_t> px = SceneFrame(Scene::MovingShapes, w, h, 3);
  for (int x = 0; x < w; ++x) px[x] = uint16_t(x * 331 % 32768);  // a row that stays raw
  std::vector<uint32_t> histogram(32768, 0);
  for (uint16_t v : px) ++histogram[v];
  ASSERT_TRUE(WriteFramePixels(dir / "raw000.16b", w, h, px, RowCoding::Raw));
  ASSERT_TRUE(WriteFramePixels(dir / "rle000.16b", w, h, px, RowCoding::RunLength));
  EXPECT_LT(fs::file_size(dir / "rle000.16b"), fs::file_size(dir / "raw000.16b"));

  TestRun a(dir / "raw", 0, 3, w, h, histogram), b(dir / "rle", 0, 3, w, h, histogram);
  FrameSetBuildPalette(&a.run);
  FrameSetBuildPalette(&b.run);
  std::vector<uint8_t> fa(w * h), fb(w * h);
  ASSERT_EQ(ReadFrame(&a.run, 0, fa.data(), w), ReadOk);
  ASSERT_EQ(ReadFrame(&b.run, 0, fb.data(), w), ReadOk);
  EXPECT_EQ(fa, fb);
  // Fewer than 256 colours: every pixel maps to the palette entry of its own colour.
  for (size_t i = 0; i < px.size(); ++i) ASSERT_EQ(a.run.palette[fa[i]], px[i]) << i;
}

TEST(FrameFile, ControlWordsRepeatOrCopyAndRowsKeepTheirStride) {
  TempDir dir;
  // Row 0: c=0 repeats 7 once, c=-1 copies 8 9, c=2 repeats 5 three times -> 7 8 9 5 5 5.
  // Row 1: raw.
  std::vector<uint16_t> file = header(6, 2);
  for (uint16_t w : {7, 0, 7, 0xFFFF, 8, 9, 2, 5}) file.push_back(w);
  for (uint16_t w : {0, 1, 2, 3, 4, 5, 6}) file.push_back(w);
  write_bytes(dir / "f000.16b", file);
  std::vector<uint32_t> histogram(32768, 0);
  for (int v = 0; v < 10; ++v) histogram[v] = 100 - v;  // palette: colours 0..9 in order
  TestRun r(dir / "f", 0, 3, 6, 2, histogram);
  FrameSetBuildPalette(&r.run);
  std::vector<uint8_t> frame(10 * 2, kFrameFillIndex);
  ASSERT_EQ(ReadFrame(&r.run, 0, frame.data(), 10), ReadOk);
  EXPECT_EQ(std::vector<uint8_t>(frame.begin(), frame.begin() + 10),
            (std::vector<uint8_t>{7, 8, 9, 5, 5, 5, 48, 48, 48, 48}));
  EXPECT_EQ(std::vector<uint8_t>(frame.begin() + 10, frame.end()),
            (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 48, 48, 48, 48}));
  // The IndexCache holds the chosen indices for the colours seen, 257 for the others.
  EXPECT_EQ(r.counts[9], 9u);
  EXPECT_EQ(r.counts[0], kIndexNotMapped);
  EXPECT_EQ(r.counts[1234], kIndexNotMapped);
}

TEST(FrameFile, MalformedFilesFailWithoutTouchingMemoryOutsideTheBuffers) {
  TempDir dir;
  std::vector<uint32_t> histogram(32768, 0);
  for (int v = 0; v < 6; ++v) histogram[v] = 1;
  struct Case {
    const char* what;
    std::vector<uint16_t> words;
    uint32_t colourCount;
    int height;
  };
  auto with = [](std::vector<uint16_t> a, std::initializer_list<uint16_t> b) {
    a.insert(a.end(), b);
    return a;
  };
  const std::vector<Case> cases = {
      {"other width", with(header(5, 1), {0, 1, 2, 3, 4, 5}), 32768, 1},
      {"short header", {4, 0, 1}, 32768, 1},
      {"short raw row", with(header(4, 1), {0, 1, 2}), 32768, 1},
      {"missing row", with(header(4, 2), {0, 1, 2, 3, 4}), 32768, 2},
      {"repeat without its pixel", with(header(4, 1), {1, 3}), 32768, 1},
      {"literal past the words", with(header(4, 1), {3, 0xFFFD, 1, 2}), 32768, 1},
      {"run past the row buffer", with(header(4, 1), {2, 0x7FFF, 1}), 32768, 1},
      {"wordCount past the buffer", with(header(4, 1), {1025}), 32768, 1},
      {"pixel not below colourCount", with(header(4, 1), {0, 1, 2, 300, 4}), 300, 1},
  };
  for (const Case& c : cases) {
    write_bytes(dir / "bad000.16b", c.words);
    std::vector<uint32_t> h(histogram.begin(), histogram.begin() + c.colourCount);
    TestRun r(dir / "bad", 0, 3, 4, c.height, h);
    FrameSetBuildPalette(&r.run);
    std::vector<uint8_t> frame(4 * 2);
    EXPECT_EQ(ReadFrame(&r.run, 0, frame.data(), 4), ReadFailed) << c.what;
  }
  TestRun missing(dir / "none", 0, 3, 4, 1, histogram);
  std::vector<uint8_t> frame(4);
  EXPECT_EQ(ReadFrame(&missing.run, 0, frame.data(), 4), ReadOpenFailed);
}

TEST(Palette, EqualCountsTakeTheShellSortsOrderNotAStableOne) {
  // Used colours come first by decreasing count. Equal counts never swap when adjacent
  // (the inner walk stops on >=), but a gap-2 or gap-3 swap carries a colour past others of
  // its count, which a stable sort would not do (worked by hand through gaps n/2 .. 1).
  struct Case {
    std::vector<uint32_t> counts;
    std::vector<uint16_t> list;
    std::vector<uint32_t> sorted_counts;
  };
  std::vector<uint32_t> used(32768, 0);
  used[500] = 3;
  used[20000] = 90;
  used[7] = 40;
  std::vector<uint32_t> flat(1000, 0);
  std::vector<uint16_t> identity(1000);
  for (uint16_t i = 0; i < 1000; ++i) identity[i] = i;
  for (int i = 0; i < 200; ++i) flat[size_t(i)] = 5;
  const std::vector<Case> cases = {
      {used, {20000, 7, 500}, {90, 40, 3, 0}},
      {flat, identity, {}},
      {{1, 2, 2, 0}, {2, 1, 0, 3}, {}},
      {{3, 5, 5, 5, 0, 5}, {3, 1, 2, 5, 0, 4}, {5, 5, 5, 5, 3, 0}},
  };
  for (Case c : cases) {
    std::vector<uint16_t> list(c.counts.size());
    PaletteSelection(c.counts.data(), list.data(), uint32_t(c.counts.size()));
    EXPECT_EQ(std::vector<uint16_t>(list.begin(), list.begin() + long(c.list.size())), c.list);
    for (size_t i = 0; i < c.sorted_counts.size(); ++i) EXPECT_EQ(c.counts[i], c.sorted_counts[i]) << i;
  }
}

namespace {
// Colours on the even grid are at least 4 apart (squared distance).
uint16_t grid(int i) { return uint16_t((((i / 256) % 16 * 2) << 10) | (((i / 16) % 16 * 2) << 5) | (i % 16 * 2)); }
}  // namespace

TEST(Palette, NearColoursAreThinnedFromPositions128To255Only) {
  // 258 used colours with distinct counts; position 100, 130 and 140 hold colours one step
  // from the most frequent colour. At threshold 2, 130 and 140 go (256 remain); 100 stays.
  std::vector<uint32_t> counts(32768, 0);
  std::vector<uint16_t> order;
  for (int i = 0; i < 258; ++i) order.push_back(grid(i + 1));
  order[100] = uint16_t(order[0] + 1);
  order[130] = uint16_t(order[0] + (1 << 5));
  order[140] = uint16_t(order[0] + (1 << 10));
  order[200] = uint16_t((1 << 10) | (1 << 5) | 3);  // 2 or more from every other: stays
  for (int i = 0; i < 258; ++i) counts[order[i]] = 10000 - i;
  std::vector<uint16_t> list(32768);
  PaletteSelection(counts.data(), list.data(), 32768);
  std::vector<uint16_t> expected;
  for (int i = 0; i < 258; ++i)
    if (i != 130 && i != 140) expected.push_back(order[i]);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(list[i], expected[i]) << i;
}

TEST(Palette, ThresholdsDoubleFromTwoAndAColourIsRemovedOnlyBelowIt) {
  // 259 used colours: 251 lattice colours (x <= 22, at least 8 apart) and four anchors at
  // x = 30 in the most frequent 128, then at positions 130, 140, 150 and 151 colours whose
  // nearest more frequent colour is 6, 4, 3 and 3 away. Three must go:
  //   t = 2: none; t = 4: position 150 (3), then the colour that slid into 150 (3);
  //   t = 8: position 130 (6), and selection ends before position 139 (4) is looked at.
  auto rgb = [](int r, int g, int b) { return uint16_t((r << 10) | (g << 5) | b); };
  std::vector<uint16_t> order;
  for (int x = 0; x <= 22; x += 2)
    for (int y = 0; y <= 30; y += 2)
      for (int z = 0; z <= 30; z += 2)
        if ((x + y + z) % 4 == 0 && order.size() < 251) order.push_back(rgb(x, y, z));
  const uint16_t anchors[4] = {rgb(30, 2, 2), rgb(30, 10, 10), rgb(30, 18, 18), rgb(30, 26, 26)};
  for (int i = 0; i < 4; ++i) order.insert(order.begin() + 10 * (i + 1), anchors[i]);
  order.insert(order.begin() + 130, rgb(28, 1, 1));    // 6 from the first anchor
  order.insert(order.begin() + 140, rgb(28, 10, 10));  // 4 from the second
  order.insert(order.begin() + 150, rgb(29, 17, 17));  // 3 from the third
  order.insert(order.begin() + 151, rgb(29, 25, 25));  // 3 from the fourth
  ASSERT_EQ(order.size(), 259u);
  std::vector<uint32_t> counts(32768, 0);
  for (int i = 0; i < 259; ++i) counts[order[size_t(i)]] = uint32_t(100000 - i);
  std::vector<uint16_t> list(32768);
  PaletteSelection(counts.data(), list.data(), 32768);
  std::vector<uint16_t> expected = order;
  expected.erase(expected.begin() + 150, expected.begin() + 152);
  expected.erase(expected.begin() + 130);
  EXPECT_EQ(std::vector<uint16_t>(list.begin(), list.begin() + 256), expected);
}

TEST(Palette, NearestIndexPrefersAnExactMatchThenTheLowestIndex) {
  uint16_t palette[256] = {};
  for (int i = 0; i < 256; ++i) palette[i] = 0x7FFF;
  palette[3] = 0x0005;
  palette[7] = 0x8005;  // same 15-bit colour with bit 15: the exact match wins
  EXPECT_EQ(NearestPaletteIndex(palette, 0x8005), 7);
  EXPECT_EQ(NearestPaletteIndex(palette, 0x0005), 3);
  palette[7] = 0x7FFF;
  palette[10] = 0x0003;  // 0x0004 is one step from entries 3 and 10
  palette[3] = 0x0005;
  EXPECT_EQ(NearestPaletteIndex(palette, 0x0004), 3);
  palette[3] = 0x0006;  // now 10 is nearer
  EXPECT_EQ(NearestPaletteIndex(palette, 0x0004), 10);
  EXPECT_EQ(ColourDistance(0x7FFF, 0), 3 * 31 * 31);
}

namespace {
struct Recording {
  std::vector<std::string> steps;
  std::vector<std::vector<uint8_t>> frames;
  size_t bytes;
  int fail_at = -1;
  int step(const char* name, const uint8_t* f) {
    steps.push_back(name);
    frames.emplace_back(f, f + bytes);
    return int(steps.size()) - 1 == fail_at ? -1 : 0;
  }
  FrameSetWriter writer() {
    return {this, [](void* c, const uint8_t* f) { return static_cast<Recording*>(c)->step("start", f); },
            [](void* c, const uint8_t* f) { return static_cast<Recording*>(c)->step("add", f); },
            [](void* c, const uint8_t* f) { return static_cast<Recording*>(c)->step("finish", f); }};
  }
};
}  // namespace

TEST(Driver, ReadsEveryFrameThenTheFirstAgainAsTheClosingPass) {
  TempDir dir;
  std::vector<uint32_t> histogram;
  ASSERT_TRUE(WriteFrameSeries({dir / "Shot", 8, 4, 32, 20, Scene::Gradient, RowCoding::Mixed}, &histogram));
  TestRun r(dir / "Shot", 8, 12, 32, 20, histogram);
  // Frame files are opened under their lower-cased names.
  for (long n = 8; n < 12; ++n) fs::rename(FrameFileName(r.run.prefix, n), FrameFileReadName(r.run.prefix, n));
  FrameSetBuildPalette(&r.run);
  Recording rec;
  rec.bytes = 32 * 20;
  std::vector<uint8_t> frame(rec.bytes);
  ASSERT_EQ(FrameSetRunFrames(&r.run, rec.writer(), frame.data(), 32), FramesDone);
  EXPECT_EQ(r.ui.progress, (std::vector<std::string>{"Building color palette", "Building frame 008",
                                                      "Building frame 009", "Building frame 010",
                                                      "Building frame 011", "Building frame 012"}));
  EXPECT_EQ(rec.steps, (std::vector<std::string>{"start", "add", "add", "add", "finish"}));
  EXPECT_EQ(rec.frames[4], rec.frames[0]);
  EXPECT_NE(rec.frames[1], rec.frames[0]);
  // Every index frame is the nearest palette colour of the frame's pixels.
  std::vector<uint16_t> px = SceneFrame(Scene::Gradient, 32, 20, 9);
  for (size_t i = 0; i < px.size(); ++i) ASSERT_EQ(rec.frames[1][i], NearestPaletteIndex(r.run.palette, px[i]));
  EXPECT_TRUE(r.ui.boxes.empty());
}

TEST(Driver, ReportsMissingAndBadFramesAndWriterFailures) {
  TempDir dir;
  std::vector<uint32_t> histogram;
  ASSERT_TRUE(WriteFrameSeries({dir / "a", 0, 3, 8, 4, Scene::Still, RowCoding::Raw}, &histogram));
  struct Case {
    long end;    // frame 3 does not exist
    int height;  // every file says 8 x 4
    int fail_at;
    FramesResult result;
    const char* box;
    size_t steps;
  };
  const Case cases[] = {{4, 4, -1, FramesOpenFailed, "Temporary file open failed", 3},
                        {3, 5, -1, FramesReadFailed, "Read failed on temporary file", 0},
                        {3, 4, 1, FramesWriterFailed, nullptr, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.result);
    TestRun r(dir / "a", 0, c.end, 8, c.height, histogram);
    FrameSetBuildPalette(&r.run);
    Recording rec{{}, {}, 32, c.fail_at};
    std::vector<uint8_t> frame(32);
    EXPECT_EQ(FrameSetRunFrames(&r.run, rec.writer(), frame.data(), 8), c.result);
    EXPECT_EQ(rec.steps.size(), c.steps);
    ASSERT_EQ(r.ui.boxes.size(), c.box ? 1u : 0u);
    if (c.box) {
      EXPECT_EQ(r.ui.boxes[0].text, c.box);
      EXPECT_EQ(r.ui.boxes[0].caption, "Error");
      EXPECT_EQ(r.ui.boxes[0].flags, mb::TaskModal);
    }
  }
}

namespace {
std::string g_refuse;  // name the failing platform refuses to delete
bool refusing_remove(const char* name) { return name != g_refuse && std::remove(name) == 0; }
}  // namespace

TEST(Delete, AsksThenDeletesKeepsOrStopsAtTheFirstFailure) {
  TempDir dir;
  std::vector<uint32_t> histogram;
  ASSERT_TRUE(WriteFrameSeries({dir / "d", 5, 4, 4, 2, Scene::Still, RowCoding::Raw}, &histogram));
  auto present = [&] {
    int n = 0;
    for (long i = 5; i < 9; ++i) n += fs::exists(FrameFileName((dir / "d").c_str(), i));
    return n;
  };
  // One deletion run from `first`; answers the boxes it showed.
  auto run = [&](long first, int answer, const FrameSetPlatform* platform = nullptr) {
    TestRun r(dir / "d", first, 9, 4, 2, histogram);
    r.run.platform = platform;
    r.ui.answers = {answer};
    DeleteFrameFiles(&r.run);
    return r.ui.boxes;
  };
  std::vector<RecordedBox> boxes = run(5, answer::No);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Delete Temporary files");
  EXPECT_EQ(boxes[0].caption, "Flic");
  EXPECT_EQ(boxes[0].flags, 0x2024u);
  EXPECT_EQ(present(), 4);

  FrameSetPlatform refusing = *FrameSetStandardPlatform();
  refusing.remove = refusing_remove;
  g_refuse = FrameFileName((dir / "d").c_str(), 7);
  // A refused file stops the run (7 and 8 stay); then frame 5 is already gone.
  for (const std::string& text : {g_refuse + " Failed during delete", std::string("Failed to delete temporary files")}) {
    boxes = run(5, answer::Yes, &refusing);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, text);
    EXPECT_EQ(boxes[1].caption, "Flic");
    EXPECT_EQ(boxes[1].flags, mb::TaskModal);
    EXPECT_EQ(present(), 2);
  }
  EXPECT_EQ(run(7, answer::Yes).size(), 1u);
  EXPECT_EQ(present(), 0);

  // Deletion uses the names as formatted: capitals stay.
  ASSERT_TRUE(WriteFrameSeries({dir / "Cap", 0, 3, 4, 2, Scene::Still, RowCoding::Raw}, &histogram));
  TestRun r(dir / "Cap", 0, 3, 4, 2, histogram);
  r.ui.answers = {answer::Yes};
  DeleteFrameFiles(&r.run);
  EXPECT_EQ(r.ui.boxes.size(), 1u);
  for (long n = 0; n < 3; ++n) EXPECT_FALSE(fs::exists(FrameFileName(r.run.prefix, n))) << n;
}

TEST(Driver, AFewColoursTooManyForTheHostArraysStayInBounds) {
  // colourCount below 256: the palette's missing entries are black, nothing is read past.
  std::vector<uint32_t> counts(100, 1);
  std::vector<uint16_t> list(100);
  FrameSetRun run;
  run.colourCount = 100;
  run.colourCounts = counts.data();
  run.colourList = list.data();
  FrameSetBuildPalette(&run);
  EXPECT_EQ(run.palette[200], 0);
  for (uint32_t c : counts) EXPECT_EQ(c, kIndexNotMapped);
}
