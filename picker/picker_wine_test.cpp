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

const char kClass[] = "ZEL:StampickClass";

// 400 x 240, larger than the stamp grid, running through all 256 colours.
SheetPicture wide_picture() {
  SheetPicture s;
  s.width = 400;
  s.height = 240;
  for (int i = 0; i < 256; ++i) s.palette[i] = {uint8_t(i), uint8_t(i * 5), uint8_t(255 - i)};
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) s.top_down.push_back(uint8_t(x / 3 + 7 * (y / 5)));
  return s;
}

std::vector<uint8_t> file_of(const SheetPicture& s) {
  return picker::sheet_encode(s.width, s.height, s.palette, s.top_down);
}

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
    char dir[MAX_PATH] = {};
    GetTempPathA(sizeof dir, dir);
    const std::string path =
        std::string(dir) + "zel_picker_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(files_.size()) +
        ".bmp";
    FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (f) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
    files_.push_back(path);
    return path;
  }

  // Calls the export as the host does (cdecl: the caller removes both arguments) while the
  // steps play the user, and checks that the picker left everything as it found it.
  int32_t pick(const std::string& path, std::vector<Step> steps) {
    const size_t count = steps.size();
    Driver driver(std::move(steps));
    const uint32_t args[2] = {uint32_t(reinterpret_cast<uintptr_t>(owner_)),
                              uint32_t(reinterpret_cast<uintptr_t>(path.c_str()))};
    uint32_t result = 0;
    EXPECT_EQ(call_probe(export_, args, 2, &result), 0u);
    EXPECT_FALSE(driver.gave_up()) << path;
    EXPECT_EQ(driver.steps_done(), count) << path;
    EXPECT_EQ(find_picker(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(owner_) || !IsWindow(owner_));
    WNDCLASSA wc;
    EXPECT_FALSE(GetClassInfoA(dll_, kClass, &wc));
    return int32_t(result);
  }

  HMODULE dll_ = nullptr;
  const void* export_ = nullptr;
  HWND owner_ = nullptr;
  std::vector<std::string> files_;
};

TEST_F(Picker, AClickOnAStampAnswersItsNumberOnTheRelease) {
  struct Case {
    int down_x, down_y, up_x, up_y;
    int32_t stamp;
  } const cases[] = {
      {0, 0, 0, 0, 1},     {319, 0, 319, 0, 6},     {0, 34, 0, 34, 7}, {319, 166, 319, 166, 30},
      {60, 100, 300, 190, 20},  // pressed on stamp 20, released over the empty row
      {53, 33, 54, 34, 1},
  };
  const std::string sheet = write_sheet(file_of(picker::numbered_sheet()));
  for (const Case& c : cases) {
    bool open_while_held = false;
    const int32_t got = pick(sheet, {press(c.down_x, c.down_y), wait(60),
                                     look([&](HWND w) { open_while_held = IsWindowVisible(w) != 0; }),
                                     release(c.up_x, c.up_y)});
    EXPECT_EQ(got, c.stamp) << c.down_x << "," << c.down_y;
    EXPECT_TRUE(open_while_held) << c.down_x << "," << c.down_y;
  }
}

TEST_F(Picker, TheCloseBoxAnswersMinusOneWhateverCameBefore) {
  struct Case {
    const char* what;
    bool wide;
    std::vector<Step> before;
  } const cases[] = {
      {"nothing", false, {}},
      {"a click on the sixth row", false, {press(10, 170), release(10, 170)}},
      {"a click beside the sheet", false, {press(330, 20), release(330, 20)}},
      {"a click on a larger sheet beyond the grid", true, {press(350, 10), release(350, 10)}},
      {"a click below the grid of a larger sheet", true, {press(10, 230), release(10, 230)}},
      {"a press on stamp 8 never released", false, {press(60, 40)}},
      {"a right click on stamp 1", false, {[](HWND w) { return PostMessageA(w, WM_RBUTTONUP, 0, 0) != 0; }}},
  };
  const std::string numbered = write_sheet(file_of(picker::numbered_sheet()));
  const std::string wide = write_sheet(file_of(wide_picture()));
  for (const Case& c : cases) {
    bool still_open = false;
    std::vector<Step> steps = c.before;
    steps.push_back(wait(150));
    steps.push_back(look([&](HWND w) { still_open = IsWindowVisible(w) != 0; }));
    steps.push_back(close_box());
    EXPECT_EQ(pick(c.wide ? wide : numbered, steps), -1) << c.what;
    EXPECT_TRUE(still_open) << c.what;
  }
}

TEST_F(Picker, ItsWindowIsOwnedModalAndRefusesSizeMinimiseAndMaximise) {
  const std::string sheet = write_sheet(file_of(picker::numbered_sheet()));
  const int32_t got = pick(sheet, {look([&](HWND w) {
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

                                     // Placed at (25, 25); the client area is the sheet's width, and its height
                                     // plus a menu bar less a caption.
                                     RECT before, client;
                                     GetWindowRect(w, &before);
                                     GetClientRect(w, &client);
                                     EXPECT_EQ(before.left, 25);
                                     EXPECT_EQ(before.top, 25);
                                     EXPECT_EQ(client.right, 320);
                                     EXPECT_EQ(client.bottom,
                                               200 + GetSystemMetrics(SM_CYMENU) - GetSystemMetrics(SM_CYCAPTION));
                                     for (WPARAM command : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_MAXIMIZE | 2}) {
                                       EXPECT_EQ(SendMessageA(w, WM_SYSCOMMAND, command, 0), 0) << command;
                                       RECT after;
                                       GetWindowRect(w, &after);
                                       EXPECT_TRUE(EqualRect(&before, &after)) << command;
                                       EXPECT_FALSE(IsIconic(w) || IsZoomed(w)) << command;
                                     }
                                     // A palette to offer; none realised for its own change.
                                     EXPECT_EQ(SendMessageA(w, WM_QUERYNEWPALETTE, 0, 0), 1);
                                     EXPECT_EQ(SendMessageA(w, WM_PALETTECHANGED, (WPARAM)w, 0), 0);
                                     EXPECT_EQ(SendMessageA(w, WM_PALETTECHANGED, (WPARAM)owner_, 0), 0);
                                   }),
                                   press(200, 120), release(200, 120)});
  EXPECT_EQ(got, 22);  // fourth column (1200 / 320 = 3) of the fourth row (720 / 200 = 3)
}

TEST_F(Picker, PaintsEveryPixelOfTheSheet) {
  const SheetPicture sheets[] = {picker::numbered_sheet(), wide_picture()};
  for (const SheetPicture& s : sheets) {
    Pixels shown;
    EXPECT_EQ(pick(write_sheet(file_of(s)), {look([&](HWND w) { shown = read_client_pixels(w); }), close_box()}), -1);
    ASSERT_EQ(shown.width, s.width);
    ASSERT_GE(shown.height, s.height - 2);  // a menu bar less a caption: within a pixel or two
    int differing = 0, white_below = 0;
    for (int y = 0; y < shown.height; ++y)
      for (int x = 0; x < shown.width; ++x)
        if (y < s.height)
          differing += shown.at(x, y) != rgb(s.palette[s.top_down[size_t(y) * size_t(s.width) + size_t(x)]]);
        else
          white_below += shown.at(x, y) == 0xFFFFFF;
    EXPECT_EQ(differing, 0) << s.width << "x" << s.height;
    EXPECT_EQ(white_below, shown.height > s.height ? (shown.height - s.height) * shown.width : 0);
  }
}

void set32(std::vector<uint8_t>& b, size_t info_offset, uint32_t v) { put_le32(&b[14 + info_offset], v); }

TEST_F(Picker, ASheetItCannotShowLeavesTheWindowEmptyAtItsFirstSize) {
  const std::vector<uint8_t> sound = file_of(picker::numbered_sheet());
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;  // empty: no file at all
  };
  std::vector<Case> cases = {{"no file", {}}};
  auto with = [&](const char* what, void (*edit)(std::vector<uint8_t>&)) {
    std::vector<uint8_t> b = sound;
    edit(b);
    cases.push_back({what, b});
  };
  with("width 322", [](auto& b) { set32(b, 4, 322), set32(b, 8, 198); });
  with("last pixel missing", [](auto& b) { b.pop_back(); });
  with("rows top down", [](auto& b) { set32(b, 8, uint32_t(-200)); });
  with("width x height wrapping to 32", [](auto& b) { set32(b, 4, 0x40000008), set32(b, 8, 4); });
  with("24 bits per pixel", [](auto& b) { put_le16(&b[14 + 14], 24); });
  with("a 124-byte info header", [](auto& b) { set32(b, 0, 124); });

  const int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
  for (const Case& c : cases) {
    const std::string path = c.bytes.empty() ? std::string("Z:\\nowhere\\no-such-sheet.bmp") : write_sheet(c.bytes);
    RECT window = {};
    Pixels shown;
    LRESULT offers_palette = -1;
    EXPECT_EQ(pick(path, {look([&](HWND w) {
                            GetWindowRect(w, &window);
                            shown = read_client_pixels(w);
                            offers_palette = SendMessageA(w, WM_QUERYNEWPALETTE, 0, 0);
                          }),
                          close_box()}),
              -1)
        << c.what;
    EXPECT_EQ(window.left, 25) << c.what;
    EXPECT_EQ(window.top, 25) << c.what;
    EXPECT_EQ(window.right, screen_w - 25) << c.what;
    EXPECT_EQ(window.bottom, screen_h - 25) << c.what;
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
    const uint32_t args[2] = {uint32_t(reinterpret_cast<uintptr_t>(owner_)),
                              uint32_t(reinterpret_cast<uintptr_t>("Z:\\nowhere.bmp"))};
    uint32_t result = 0;
    call_probe(export_, args, 2, &result);
    EXPECT_EQ(int32_t(result), -1);
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
