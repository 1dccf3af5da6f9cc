// CLIPPACK.dll under Wine: loaded by name, its boxes answered, _BuildAvi called by name.
#include <windows.h>
#include <vfw.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "animation/avi/msvideo1.h"
#include "animation/frameset/testing/frame_series.h"
#include "tests/win32/testkit.h"

namespace {

using BuildAviFn = int32_t(__stdcall*)(uint32_t, HWND, int32_t, int32_t, char*, const char*, int32_t, int32_t,
                                       uint32_t, int32_t, uint32_t*, uint16_t*);

BuildAviFn find_build(HMODULE m) {
  return reinterpret_cast<BuildAviFn>(reinterpret_cast<void*>(GetProcAddress(m, "_BuildAvi")));
}

UiStep debug_box(std::string* seen) { return {"#32770", "Debug", expect_text_then("", press(IDOK), seen)}; }

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<uint8_t> read_all(const std::string& path) {
  std::vector<uint8_t> d;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return d;
  int c;
  while ((c = std::fgetc(f)) != EOF) d.push_back(uint8_t(c));
  std::fclose(f);
  return d;
}

// A frame series in a folder of the test's working directory, with the host's arrays.
struct Frames {
  std::string dir;
  std::string prefix;
  std::vector<uint32_t> counts;
  std::vector<uint16_t> list;
};

Frames write_frames(const char* dir, long first, long count, int w, int h) {
  Frames f;
  f.dir = dir;
  CreateDirectoryA(dir, nullptr);
  f.prefix = f.dir + "\\fr";
  SeriesPlan series;
  series.prefix = f.prefix;
  series.first = first;
  series.count = count;
  series.width = w;
  series.height = h;
  series.scene = Scene::MovingShapes;
  EXPECT_TRUE(WriteFrameSeries(series, &f.counts));
  f.list.assign(f.counts.size(), 0);
  return f;
}

TEST(ClipPack, ShowsItsAttachAndDetachBoxes) {
  std::string attach, detach;
  UiScript script({debug_box(&attach), debug_box(&detach)});
  HMODULE m = LoadLibraryA("CLIPPACK.dll");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(script.steps_done(), 1u);
  FreeLibrary(m);
  EXPECT_EQ(script.steps_done(), 2u);
  EXPECT_TRUE(script.unexpected().empty());
  EXPECT_EQ(attach, "AVI builder attaching");
  EXPECT_EQ(detach, "AVI builder detaching");
}

TEST(ClipPack, BuildAviRemovesItsFortyEightBytesAndRewritesThePathEvenWhenItEndsEarly) {
  UiScript script({debug_box(nullptr), debug_box(nullptr)});
  HMODULE m = LoadLibraryA("CLIPPACK.dll");
  ASSERT_NE(m, nullptr);
  const void* fn = (const void*)GetProcAddress(m, "_BuildAvi");
  ASSERT_NE(fn, nullptr);
  EXPECT_EQ(GetProcAddress(m, "BuildAvi@48"), nullptr);
  char path[64] = "C:\\shots.v2\\anim";
  const uint32_t args[12] = {0, 0, 10, 12, uint32_t(uintptr_t(path)), uint32_t(uintptr_t("none")), 32, 16, 32768,
                             uint32_t(-1), 0, 0};
  uint32_t ret = 0;
  EXPECT_EQ(call_probe(fn, args, 12, &ret), 48u);
  EXPECT_EQ(ret, 2u);
  EXPECT_STREQ(path, "C:\\shots.v2\\anim.avi");
  FreeLibrary(m);
  EXPECT_EQ(script.steps_done(), 2u);
  EXPECT_TRUE(script.unexpected().empty());
}

// Writes clippack_fixture\wine.avi from frames 3..11 (90 x 61: neither side a multiple of
// 4) and keeps the frames: compare_with_native.sh then runs the native zel on them.
TEST(ClipPackFixture, WritesTheAviAndKeepsTheFramesWhenAnsweredNo) {
  Frames f = write_frames("clippack_fixture", 3, 9, 90, 61);
  ASSERT_TRUE(WriteHistogramFile(f.dir + "\\histogram.bin", f.counts));
  DeleteFileA("clippack_fixture\\wine.avi");
  HWND status = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  std::string prompt;
  UiScript script({debug_box(nullptr), {"#32770", "Flic", expect_text_then("", press(IDNO), &prompt)},
                   debug_box(nullptr)});
  HMODULE m = LoadLibraryA("CLIPPACK.dll");
  ASSERT_NE(m, nullptr);
  auto build = find_build(m);
  ASSERT_NE(build, nullptr);
  char path[64] = "clippack_fixture\\wine.flc";
  int32_t r = build(0, status, 3, 12, path, f.prefix.c_str(), 90, 61, uint32_t(f.counts.size()), 2,
                    f.counts.data(), f.list.data());
  FreeLibrary(m);
  EXPECT_EQ(r, 0);
  EXPECT_STREQ(path, "clippack_fixture\\wine.avi");
  EXPECT_EQ(prompt, "Delete Temporary files");
  EXPECT_EQ(script.steps_done(), 3u);
  EXPECT_TRUE(script.unexpected().empty());
  char text[64] = {};
  GetWindowTextA(status, text, sizeof text);
  EXPECT_STREQ(text, "Building frame 012");
  DestroyWindow(status);
  std::vector<uint8_t> avi = read_all("clippack_fixture\\wine.avi");
  ASSERT_GT(avi.size(), 2000u);
  EXPECT_EQ(std::memcmp(avi.data(), "RIFF", 4), 0);
  EXPECT_EQ(std::memcmp(avi.data() + 8, "AVI ", 4), 0);
  EXPECT_TRUE(exists("clippack_fixture\\fr003.16b") && exists("clippack_fixture\\fr011.16b"));
  EXPECT_EQ(f.counts[0], 257u);  // the histogram became the IndexCache
}

TEST(ClipPack, DeletesTheFramesWhenAnsweredYes) {
  Frames f = write_frames("clippack_yes", 0, 4, 32, 16);
  UiScript script({debug_box(nullptr), {"#32770", "Flic", press(IDYES)}, debug_box(nullptr)});
  HMODULE m = LoadLibraryA("CLIPPACK.dll");
  ASSERT_NE(m, nullptr);
  auto build = find_build(m);
  char path[64] = "clippack_yes\\out";
  EXPECT_EQ(build(0, nullptr, 0, 4, path, f.prefix.c_str(), 32, 16, uint32_t(f.counts.size()), 0, f.counts.data(),
                  f.list.data()),
            0);
  FreeLibrary(m);
  EXPECT_EQ(script.steps_done(), 3u);
  EXPECT_TRUE(script.unexpected().empty());
  EXPECT_TRUE(exists("clippack_yes\\out.avi"));
  for (int n = 0; n < 4; ++n) EXPECT_FALSE(exists("clippack_yes\\fr00" + std::to_string(n) + ".16b")) << n;
}

TEST(ClipPack, RefusesPicturesWiderThanTheFrameReader) {
  std::vector<uint32_t> counts(32768, 1);
  std::vector<uint16_t> list(32768, 0);
  std::string box;
  UiScript script({debug_box(nullptr), {"#32770", "Error", expect_text_then("", press(IDOK), &box)},
                   debug_box(nullptr)});
  HMODULE m = LoadLibraryA("CLIPPACK.dll");
  ASSERT_NE(m, nullptr);
  auto build = find_build(m);
  DeleteFileA("wide.avi");
  char path[64] = "wide";
  EXPECT_EQ(build(0, nullptr, 0, 5, path, "nothing", 1100, 20, 32768, 0, counts.data(), list.data()), 0);
  FreeLibrary(m);
  EXPECT_EQ(box, "Read failed on temporary file");
  EXPECT_EQ(script.steps_done(), 3u);
  EXPECT_FALSE(exists("wide.avi"));
  EXPECT_EQ(counts[7], 1u);
}

// Wine's own Microsoft Video 1 decompressor, through the AVI file reading interface,
// shows the coded blocks of the DLL's file exactly as the compressor's model says.
TEST(ClipPack, WinesOwnDecoderShowsWhatTheCompressorShows) {
  const int w = 101, h = 50, stride = 104, n = 9;
  Frames f = write_frames("clippack_wine_decoder", 0, n, w, h);
  // The expected pictures, made beside the DLL: palette from a copy of the histogram,
  // frames read by the frame set and flipped into bitmap rows, the compressor's model.
  std::vector<uint32_t> counts = f.counts;
  std::vector<uint16_t> list(counts.size());
  FrameSetRun run;
  run.prefix = f.prefix.c_str();
  run.first = 0;
  run.end = n;
  run.width = w;
  run.height = h;
  run.colourCount = uint32_t(counts.size());
  run.colourCounts = counts.data();
  run.colourList = list.data();
  run.compressedRowWords = kAviRowWords;
  FrameSetBuildPalette(&run);
  std::vector<uint8_t> quads(1024, 0);
  for (int i = 0; i < 256; ++i) {
    quads[size_t(4 * i)] = uint8_t(run.blue[i] * 4);
    quads[size_t(4 * i + 1)] = uint8_t(run.green[i] * 4);
    quads[size_t(4 * i + 2)] = uint8_t(run.red[i] * 4);
  }
  Msv1Encoder enc;
  ASSERT_TRUE(msv1_init(&enc, w, h, quads.data(), 6500, 7));
  std::vector<std::vector<uint8_t>> shown;
  std::vector<uint8_t> frame(size_t(w) * h), bits(size_t(stride) * h, 0), packet;
  for (int i = 0; i < n; ++i) {
    ASSERT_EQ(ReadFrame(&run, i, frame.data(), size_t(w)), ReadOk);
    for (int r = 0; r < h; ++r) std::memcpy(&bits[size_t(h - 1 - r) * stride], &frame[size_t(r) * w], size_t(w));
    msv1_encode_frame(&enc, bits.data(), &packet);
    shown.push_back(enc.shown);
  }

  UiScript script({debug_box(nullptr), {"#32770", "Flic", press(IDNO)}, debug_box(nullptr)});
  HMODULE m = LoadLibraryA("CLIPPACK.dll");
  ASSERT_NE(m, nullptr);
  char path[64] = "clippack_wine_decoder\\out";
  EXPECT_EQ(find_build(m)(0, nullptr, 0, n, path, f.prefix.c_str(), w, h, uint32_t(f.counts.size()), 0,
                          f.counts.data(), f.list.data()),
            0);
  FreeLibrary(m);
  EXPECT_EQ(script.steps_done(), 3u);

  AVIFileInit();
  PAVIFILE file = nullptr;
  PAVISTREAM stream = nullptr;
  ASSERT_EQ(AVIFileOpenA(&file, path, OF_READ | OF_SHARE_DENY_WRITE, nullptr), 0);
  ASSERT_EQ(AVIFileGetStream(file, &stream, streamtypeVIDEO, 0), 0);
  EXPECT_EQ(AVIStreamLength(stream), n);
  BITMAPINFOHEADER wanted{};
  wanted.biSize = sizeof wanted;
  wanted.biWidth = w;
  wanted.biHeight = h;
  wanted.biPlanes = 1;
  wanted.biBitCount = 8;
  wanted.biCompression = BI_RGB;
  PGETFRAME frames = AVIStreamGetFrameOpen(stream, &wanted);
  ASSERT_NE(frames, nullptr);
  for (int i = 0; i < n; ++i) {
    auto* bi = static_cast<BITMAPINFOHEADER*>(AVIStreamGetFrame(frames, i));
    ASSERT_NE(bi, nullptr) << i;
    ASSERT_EQ(bi->biBitCount, 8) << i;
    const uint8_t* got = reinterpret_cast<const uint8_t*>(bi) + bi->biSize + 4 * (bi->biClrUsed ? bi->biClrUsed : 256);
    long mismatches = 0;
    for (int y = 0; y < h / 4 * 4; ++y)  // block rows from the bottom; whole blocks only
      for (int x = 0; x < w / 4 * 4; ++x) mismatches += got[size_t(y) * stride + x] != shown[size_t(i)][size_t(y) * stride + x];
    EXPECT_EQ(mismatches, 0) << "frame " << i;
  }
  AVIStreamGetFrameClose(frames);
  AVIStreamRelease(stream);
  AVIFileRelease(file);
  AVIFileExit();
}

}  // namespace
