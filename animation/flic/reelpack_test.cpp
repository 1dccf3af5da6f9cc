// REELPACK.dll under Wine: loaded by name, _BuildFli called with real arrays as the host does.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "animation/flic/testing/flic_decoder.h"
#include "animation/frameset/testing/frame_series.h"
#include "tests/win32/testkit.h"

namespace {

struct Library {
  HMODULE module = LoadLibraryA("REELPACK.dll");
  ~Library() {
    if (module) FreeLibrary(module);
  }
  const void* build() const { return module ? (const void*)GetProcAddress(module, "_BuildFli") : nullptr; }
};

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A fresh folder for one test, relative to the test's working folder.
std::string fresh_dir(const char* name) {
  std::string dir = std::string("reelpack_") + name;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((dir + "\\" + fd.cFileName).c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

struct Call {
  std::vector<uint32_t> counts;
  std::vector<uint16_t> list = std::vector<uint16_t>(32768);
  std::vector<char> output;
  std::string prefix;
  HWND status = nullptr;
  uint32_t popped = 0;
  uint32_t result = 0xDEADBEEF;

  // Calls _BuildFli(0, status, first, end, output, prefix, w, h, 32768, speed, counts, list).
  void run(const void* fn, long first, long end, int w, int h, int32_t speed) {
    const uint32_t args[12] = {0, uint32_t(uintptr_t(status)), uint32_t(first), uint32_t(end),
                               uint32_t(uintptr_t(output.data())), uint32_t(uintptr_t(prefix.c_str())),
                               uint32_t(w), uint32_t(h), 32768, uint32_t(speed),
                               uint32_t(uintptr_t(counts.data())), uint32_t(uintptr_t(list.data()))};
    popped = call_probe(fn, args, 12, &result);
  }
};

std::string window_text(HWND w) {
  char text[128] = {};
  GetWindowTextA(w, text, sizeof text);
  return text;
}

}  // namespace

TEST(ReelpackDll, ExportsBuildFliByItsExactName) {
  Library lib;
  ASSERT_NE(lib.module, nullptr);
  EXPECT_NE(lib.build(), nullptr);
  EXPECT_EQ(GetProcAddress(lib.module, "BuildFli@48"), nullptr);
  EXPECT_EQ(GetProcAddress(lib.module, "_BuildFli@48"), nullptr);
}

// Writes an animation; the deletion prompt is answered with `button`.
void build_and_answer(int button, const char* name) {
  Library lib;
  ASSERT_NE(lib.build(), nullptr);
  std::string dir = fresh_dir(name);
  Call call;
  call.prefix = dir + "\\frame";
  ASSERT_TRUE(WriteFrameSeries({call.prefix, 1, 4, 96, 60, Scene::MovingShapes, RowCoding::Mixed}, &call.counts));
  std::string out = dir + "\\Anim.FLI";
  call.output.assign(out.begin(), out.end());
  call.output.push_back('\0');
  call.status = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  std::string seen;
  {
    UiScript script({{"#32770", "Flic", expect_text_then("", press(button), &seen)}});
    call.run(lib.build(), 1, 5, 96, 60, 5);
    EXPECT_EQ(script.steps_done(), 1u);
    EXPECT_TRUE(script.unexpected().empty());
  }
  EXPECT_EQ(seen, "Delete Temporary files");
  EXPECT_EQ(call.popped, 48u);  // stdcall: the callee removed its twelve arguments
  EXPECT_EQ(call.result, 0u);
  EXPECT_EQ(std::string(call.output.data()), dir + "\\anim.fli");  // lower-cased in place
  EXPECT_EQ(window_text(call.status), "Building frame 005");
  DestroyWindow(call.status);

  DecodedFlic d = DecodeFlic(ReadWholeFile(dir + "\\anim.fli"));
  ASSERT_EQ(d.error, "");
  EXPECT_EQ(d.magic, 0xAF11);
  EXPECT_EQ(d.frameCount, 4);
  ASSERT_EQ(d.frames.size(), 5u);
  for (long i = 0; i < 5; ++i) {
    std::vector<uint16_t> px = SceneFrame(Scene::MovingShapes, 96, 60, i < 4 ? 1 + i : 1);
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 96; ++x)
        ASSERT_EQ(d.frames[size_t(i)][size_t(y) * 320 + x], NearestPaletteIndex(call.list.data(), px[size_t(y) * 96 + x]))
            << i << " " << x << "," << y;
    EXPECT_EQ(d.frames[size_t(i)][size_t(199) * 320 + 319], 48);
  }
  for (long n = 1; n < 5; ++n) EXPECT_EQ(exists(FrameFileName(call.prefix.c_str(), n)), button == IDNO) << n;
}

TEST(ReelpackDll, WritesTheAnimationAndDeletesTheFramesOnYes) { build_and_answer(IDYES, "yes"); }
TEST(ReelpackDll, WritesTheAnimationAndKeepsTheFramesOnNo) { build_and_answer(IDNO, "no"); }

TEST(ReelpackDll, TooFewFramesOrTooLargeReturnTheFrameCountAndWriteNothing) {
  Library lib;
  ASSERT_NE(lib.build(), nullptr);
  std::string dir = fresh_dir("refuse");
  Call call;
  call.prefix = dir + "\\frame";
  ASSERT_TRUE(WriteFrameSeries({call.prefix, 0, 3, 8, 8, Scene::Still, RowCoding::Raw}, &call.counts));
  std::string out = dir + "\\out.fli";
  call.output.assign(out.begin(), out.end());
  call.output.push_back('\0');
  call.run(lib.build(), 0, 2, 8, 8, 5);
  EXPECT_EQ(call.result, 2u);
  call.run(lib.build(), 0, 3, 641, 480, 5);
  EXPECT_EQ(call.result, 3u);
  EXPECT_EQ(call.popped, 48u);
  EXPECT_FALSE(exists(out));
}

TEST(ReelpackDll, AMissingFrameFileIsReportedAndNothingIsDeleted) {
  Library lib;
  ASSERT_NE(lib.build(), nullptr);
  std::string dir = fresh_dir("missing");
  Call call;
  call.prefix = dir + "\\frame";
  ASSERT_TRUE(WriteFrameSeries({call.prefix, 0, 3, 8, 8, Scene::Still, RowCoding::Raw}, &call.counts));
  std::string out = dir + "\\out.flc";
  call.output.assign(out.begin(), out.end());
  call.output.push_back('\0');
  std::string seen;
  {
    UiScript script({{"#32770", "Error", expect_text_then("", press(IDOK), &seen)}});
    call.run(lib.build(), 0, 4, 8, 8, 5);  // frame 3 was never rendered
    EXPECT_EQ(script.steps_done(), 1u);
    EXPECT_TRUE(script.unexpected().empty());
  }
  EXPECT_EQ(seen, "Temporary file open failed");
  EXPECT_EQ(call.result, 0u);
  for (long n = 0; n < 3; ++n) EXPECT_TRUE(exists(FrameFileName(call.prefix.c_str(), n)));
}
