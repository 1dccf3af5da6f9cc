// STAMPICK.dll under Wine: _GetPresetMapImage called as the host calls it, with synthetic
// clicks posted to the picker's window from inside its own message loop, and the painted
// sheet read back from the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "picker/numbered_sheet.h"
#include "picker/picker_driver.h"
#include "tests/win32/testkit.h"

namespace {

using namespace picker_driver;
using picker::SheetPicture;
using picker::sheet_encode;

const char kClass[] = "ZEL:StampickClass";

// 400 x 240, larger than the stamp grid, running through all 256 colours.
SheetPicture wide_picture() {
  SheetPicture s{400, 240, {}, {}};
  for (int i = 0; i < 256; ++i) s.palette[i] = {uint8_t(i), uint8_t(i * 5), uint8_t(255 - i)};
  for (int i = 0; i < 400 * 240; ++i) s.top_down.push_back(uint8_t(i % 400 / 3 + 7 * (i / 400 / 5)));
  return s;
}

std::vector<uint8_t> file_of(const SheetPicture& s) { return sheet_encode(s.width, s.height, s.palette, s.top_down); }

uint32_t rgb(const picker::PaletteColour& c) { return uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue; }

class Picker : public ::testing::Test {
 protected:
  void SetUp() override {
    dll_ = LoadLibraryA("STAMPICK.dll");
    ASSERT_NE(dll_, nullptr);
    export_ = reinterpret_cast<const void*>(GetProcAddress(dll_, "_GetPresetMapImage"));
    ASSERT_NE(export_, nullptr);
    owner_ = open_host("PickerTestOwner", GRAY_BRUSH, 300, 200);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(owner_);
    for (const std::string& f : files_) DeleteFileA(f.c_str());
    FreeLibrary(dll_);
  }

  std::string write_sheet(const std::vector<uint8_t>& bytes) {
    char dir[MAX_PATH] = {}, path[MAX_PATH] = {};
    GetTempPathA(sizeof dir, dir);
    GetTempFileNameA(dir, "zpk", 0, path);
    files_.push_back(path);
    FILE* f = std::fopen(path, "wb");
    EXPECT_NE(f, nullptr) << path;
    if (f) std::fwrite(bytes.data(), 1, bytes.size(), f), std::fclose(f);
    return path;
  }

  // Calls the export as the host does (cdecl: the caller removes both arguments).
  int32_t call(const char* path) {
    const uint32_t args[2] = {uint32_t(reinterpret_cast<uintptr_t>(owner_)),
                              uint32_t(reinterpret_cast<uintptr_t>(path))};
    uint32_t result = 0;
    EXPECT_EQ(call_probe(export_, args, 2, &result), 0u);
    return int32_t(result);
  }

  // Calls the export while the steps play the user, and checks that the picker left everything
  // as it found it.
  int32_t pick(const std::string& path, std::vector<Step> steps) {
    const size_t count = steps.size();
    Driver driver(std::move(steps));
    const int32_t result = call(path.c_str());
    EXPECT_FALSE(driver.gave_up()) << path;
    EXPECT_EQ(driver.steps_done(), count) << path;
    EXPECT_EQ(find_picker(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(owner_) || !IsWindow(owner_));
    WNDCLASSA wc;
    EXPECT_FALSE(GetClassInfoA(dll_, kClass, &wc));
    return result;
  }

  HMODULE dll_ = nullptr;
  const void* export_ = nullptr;
  HWND owner_ = nullptr;
  std::vector<std::string> files_;
};

// The picker stays open through the steps before the last; a release answers the stamp the
// press chose, wherever it happens, and the close box -1 whatever came before. The native grid
// table holds every cell and bound; stamp 30 here has both words of the point non-zero.
TEST_F(Picker, AnswersTheStampPressedOnTheReleaseAndMinusOneOnTheCloseBox) {
  struct Case {
    const char* what;
    bool wide;
    std::vector<Step> before;
    Step last;
    int32_t answer;
  } const cases[] = {
      {"stamp 30", false, {press(319, 166)}, release(319, 166), 30},
      {"stamp 20, released over the empty row", false, {press(60, 100)}, release(300, 190), 20},
      {"stamp 1, released on stamp 8", false, {press(53, 33)}, release(54, 34), 1},
      {"nothing", false, {}, close_box(), -1},
      {"a click on the sixth row", false, {press(10, 170), release(10, 170)}, close_box(), -1},
      // on a larger sheet, after a press on stamp 8 that a click outside the grid must forget
      {"beyond the grid", true, {press(60, 40), press(350, 10), release(350, 10)}, close_box(), -1},
      {"a press on stamp 8 never released", false, {press(60, 40)}, close_box(), -1},
      {"a right click", false, {[](HWND w) { return PostMessageA(w, WM_RBUTTONUP, 0, 0) != 0; }}, close_box(), -1},
  };
  const std::string numbered = write_sheet(file_of(picker::numbered_sheet()));
  const std::string wide = write_sheet(file_of(wide_picture()));
  for (const Case& c : cases) {
    bool still_open = false;
    std::vector<Step> steps = c.before;
    steps.push_back(wait(100));
    steps.push_back(look([&](HWND w) { still_open = IsWindowVisible(w) != 0; }));
    steps.push_back(c.last);
    EXPECT_EQ(pick(c.wide ? wide : numbered, steps), c.answer) << c.what;
    EXPECT_TRUE(still_open) << c.what;
  }
}

// An owned modal window of the class, title and style the host expects, placed at (25, 25),
// its client area the sheet's width and its height plus a menu bar less a caption; every pixel
// painted in the sheet's colours, white below it; size, minimise and maximise refused.
TEST_F(Picker, ShowsTheSheetInAnOwnedModalWindowFittedToIt) {
  const int menu_less_caption = GetSystemMetrics(SM_CYMENU) - GetSystemMetrics(SM_CYCAPTION);
  const SheetPicture sheets[] = {picker::numbered_sheet(), wide_picture()};
  for (const SheetPicture& s : sheets) {
    Pixels shown;
    auto check = [&](HWND w) {
      EXPECT_FALSE(IsWindowEnabled(owner_));
      EXPECT_EQ(GetWindow(w, GW_OWNER), owner_);
      WNDCLASSA wc = {};
      ASSERT_TRUE(GetClassInfoA(dll_, kClass, &wc));
      EXPECT_EQ(wc.style, 0u);
      EXPECT_EQ(wc.hIcon, nullptr);
      EXPECT_EQ(wc.lpszMenuName, nullptr);
      EXPECT_EQ(wc.hCursor, LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
      EXPECT_EQ(wc.hbrBackground, GetStockObject(WHITE_BRUSH));
      EXPECT_EQ(GetClassLongA(w, GCL_HMODULE), (DWORD)(DWORD_PTR)dll_);
      char title[64] = {};
      GetWindowTextA(w, title, sizeof title);
      EXPECT_STREQ(title, "Click on Desired Postage Stamp Image");
      EXPECT_EQ(DWORD(GetWindowLongA(w, GWL_STYLE)) & ~DWORD(WS_VISIBLE), 0x84CC0000u);
      EXPECT_EQ(SendMessageA(w, WM_QUERYNEWPALETTE, 0, 0), 1);  // a palette to offer
      shown = read_client_pixels(w);
      RECT before, after;
      GetWindowRect(w, &before);
      EXPECT_TRUE(before.left == 25 && before.top == 25) << before.left << "," << before.top;
      for (WPARAM command : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_MAXIMIZE | 2}) {
        EXPECT_EQ(SendMessageA(w, WM_SYSCOMMAND, command, 0), 0) << command;
        GetWindowRect(w, &after);
        EXPECT_TRUE(EqualRect(&before, &after)) << command;
        EXPECT_FALSE(IsIconic(w) || IsZoomed(w)) << command;
      }
    };
    EXPECT_EQ(pick(write_sheet(file_of(s)), {look(check), close_box()}), -1);
    ASSERT_EQ(shown.width, s.width);
    ASSERT_EQ(shown.height, s.height + menu_less_caption);
    int differing = 0, white_below = 0;
    for (int y = 0; y < shown.height; ++y)
      for (int x = 0; x < shown.width; ++x)
        if (y < s.height)
          differing += shown.at(x, y) != rgb(s.palette[s.top_down[size_t(y) * size_t(s.width) + size_t(x)]]);
        else
          white_below += shown.at(x, y) == 0xFFFFFF;
    EXPECT_EQ(differing, 0) << s.width << "x" << s.height;
    EXPECT_EQ(white_below, std::max(0, menu_less_caption) * shown.width);
  }
}

void set32(std::vector<uint8_t>& b, size_t info_offset, uint32_t v) { put_le32(&b[14 + info_offset], v); }

// At (25, 25), the screen less 50 each way, all white, no palette to offer. The native tests
// hold every refusal of the reader; here one of a header, and those of the file and of a size
// that wraps in 32 bits.
TEST_F(Picker, ASheetItCannotShowLeavesTheWindowEmptyAtItsFirstSize) {
  const struct {
    const char* what;
    void (*edit)(std::vector<uint8_t>&);  // of the numbered sheet; none: no file at all
  } cases[] = {
      {"no file", nullptr},
      {"width 322", [](auto& b) { set32(b, 4, 322), set32(b, 8, 198); }},
      {"last pixel missing", [](auto& b) { b.pop_back(); }},
      {"width x height wrapping to 32", [](auto& b) { set32(b, 4, 0x40000008), set32(b, 8, 4); }},
  };
  const RECT first = {25, 25, GetSystemMetrics(SM_CXSCREEN) - 25, GetSystemMetrics(SM_CYSCREEN) - 25};
  for (const auto& c : cases) {
    std::vector<uint8_t> bytes = file_of(picker::numbered_sheet());
    if (c.edit) c.edit(bytes);
    RECT window = {};
    Pixels shown;
    LRESULT offers_palette = -1;
    const std::string path = c.edit ? write_sheet(bytes) : "Z:\\nowhere\\no-such-sheet.bmp";
    EXPECT_EQ(pick(path, {look([&](HWND w) {
                            GetWindowRect(w, &window);
                            shown = read_client_pixels(w);
                            offers_palette = SendMessageA(w, WM_QUERYNEWPALETTE, 0, 0);
                          }),
                          close_box()}),
              -1)
        << c.what;
    EXPECT_TRUE(EqualRect(&window, &first)) << c.what;
    EXPECT_FALSE(shown.data.empty()) << c.what;
    EXPECT_EQ(std::count(shown.data.begin(), shown.data.end(), 0xFFFFFFu), long(shown.data.size())) << c.what;
    EXPECT_EQ(offers_palette, 0) << c.what;
  }
}

TEST_F(Picker, ATakenClassNameAnswersMinusOneAtOnceAndLeavesTheClassAndOwnerAlone) {
  WNDCLASSA mine = {};
  mine.lpfnWndProc = host_proc;
  mine.hInstance = dll_;
  mine.lpszClassName = kClass;
  ASSERT_TRUE(RegisterClassA(&mine));
  bool window_seen = false;
  {
    Driver driver({[&](HWND) { return window_seen = true; }});
    EXPECT_EQ(call("Z:\\nowhere.bmp"), -1);
  }
  EXPECT_FALSE(window_seen);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  WNDCLASSA wc = {};
  ASSERT_TRUE(GetClassInfoA(dll_, kClass, &wc));
  EXPECT_EQ(wc.lpfnWndProc, host_proc);
  EXPECT_TRUE(UnregisterClassA(kClass, dll_));
}

TEST_F(Picker, AWindowThatCannotBeCreatedLeavesNoClassBehindForTheNextCall) {
  const std::string sheet = write_sheet(file_of(picker::numbered_sheet()));
  HWND const real_owner = owner_;
  owner_ = reinterpret_cast<HWND>(uintptr_t(0xDEAD0));  // no such window: creation fails
  EXPECT_EQ(pick(sheet, {}), -1);
  owner_ = real_owner;
  EXPECT_EQ(pick(sheet, {press(319, 0), release(319, 0)}), 6);
}

}  // namespace
