// The picker's portable core: the stamp grid and click rules, and the sheet reader on sound
// and broken files, checked against ImageMagick's reading of the same files.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "animation/frameset/testing/shell.h"
#include "animation/frameset/testing/temp_dir.h"
#include "common/bytes.h"
#include "picker/numbered_sheet.h"
#include "picker/stamp_grid.h"
#include "picker/stamp_sheet.h"

namespace {

using picker::SheetResult;
using picker::StampSheet;

TEST(StampGrid, CellsNumberRowByRowAndTheSixthRowAndOutsideAreRefused) {
  struct Case {
    uint32_t x, y;
    int32_t stamp;
  } const cases[] = {
      {0, 0, 1},     {319, 0, 6},   {0, 34, 7},       {319, 166, 30}, {53, 0, 1},   {54, 0, 2},
      {106, 0, 2},   {107, 0, 3},   {0, 33, 1},       {0, 166, 25},   {0, 167, -1}, {10, 170, -1},
      {319, 199, -1}, {320, 0, -1}, {0, 200, -1},     {400, 10, -1},  {10, 250, -1}, {65535, 65535, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(picker::stamp_at(c.x, c.y), c.stamp) << c.x << "," << c.y;
}

TEST(StampGrid, APressTakesItsPointFromTheUnsignedWordsOfLParam) {
  struct Case {
    uint32_t lparam;
    int32_t selection;
    bool beep;
  } const cases[] = {
      {0x00A6013Fu, 30, false},  // (319, 166)
      {0x00220000u, 7, false},   // (0, 34)
      {0x00AA000Au, -1, true},   // (10, 170): sixth row
      {0xFFFF0000u, -1, true},   // y 65535, not -1
      {0x0000FFFFu, -1, true},   // x 65535
      {0x00000140u, -1, true},   // x 320, beside the sheet
  };
  for (const Case& c : cases) {
    const picker::Press p = picker::press_at(c.lparam);
    EXPECT_EQ(p.selection, c.selection) << std::hex << c.lparam;
    EXPECT_EQ(p.beep, c.beep) << std::hex << c.lparam;
    EXPECT_EQ(picker::release_ends_picker(p.selection), c.selection > 0) << std::hex << c.lparam;
  }
}

TEST(StampGrid, SizeMinimiseAndMaximiseAreRefusedWhateverTheirLowBits) {
  struct Case {
    uint32_t wparam;
    bool refused, close;
  } const cases[] = {
      {0xF000, true, false}, {0xF008, true, false},  {0xF020, true, false},  {0xF030, true, false},
      {0xF032, true, false}, {0xF060, false, true},  {0xF010, false, false}, {0xF012, false, false},
      {0xF120, false, false}, {0xF100, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(picker::system_command_refused(c.wparam), c.refused) << std::hex << c.wparam;
    EXPECT_EQ(picker::system_command_is_close(c.wparam), c.close) << std::hex << c.wparam;
  }
}

// A small sound sheet, 8 x 4, whose index at (x, y) from the top-left is 16 y + x and whose
// colour i is (i, 255 - i, 3 i).
std::vector<uint8_t> small_sheet() {
  std::array<picker::PaletteColour, 256> palette{};
  for (int i = 0; i < 256; ++i) palette[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(3 * i)};
  std::vector<uint8_t> top_down;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) top_down.push_back(uint8_t(16 * y + x));
  return picker::sheet_encode(8, 4, palette, top_down);
}

// Reads the same bytes through the file reader, from a temporary file.
SheetResult read_through_file(const std::vector<uint8_t>& bytes, StampSheet* sheet) {
  FILE* f = std::tmpfile();
  if (!f) return SheetResult::kNoFile;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::rewind(f);
  const SheetResult r = picker::sheet_read(f, sheet);
  std::fclose(f);
  return r;
}

void set32(std::vector<uint8_t>& b, size_t info_offset, uint32_t v) { put_le32(&b[14 + info_offset], v); }
void set16(std::vector<uint8_t>& b, size_t info_offset, uint16_t v) { put_le16(&b[14 + info_offset], v); }

TEST(StampSheetReader, RefusesWhatItCannotShowSafelyAndNothingElse) {
  using Edit = std::function<void(std::vector<uint8_t>&)>;
  struct Case {
    const char* what;
    Edit edit;
    SheetResult expected;
  } const cases[] = {
      {"sound", [](auto&) {}, SheetResult::kLoaded},
      {"compression field ignored", [](auto& b) { set32(b, 16, 1); }, SheetResult::kLoaded},
      {"16 colours in use", [](auto& b) { set32(b, 32, 16); }, SheetResult::kLoaded},
      {"trailing bytes", [](auto& b) { b.resize(b.size() + 100, 7); }, SheetResult::kLoaded},
      {"no colour table", [](auto& b) { b.resize(1077); }, SheetResult::kShortHeader},
      {"empty file", [](auto& b) { b.clear(); }, SheetResult::kShortHeader},
      {"last pixel missing", [](auto& b) { b.pop_back(); }, SheetResult::kShortPixels},
      {"signature", [](auto& b) { b[1] = 'A'; }, SheetResult::kNotBitmap},
      {"core header", [](auto& b) { set32(b, 0, 12); }, SheetResult::kUnsupported},
      {"version 5 header", [](auto& b) { set32(b, 0, 124); }, SheetResult::kUnsupported},
      {"24 bits", [](auto& b) { set16(b, 14, 24); }, SheetResult::kUnsupported},
      {"two planes", [](auto& b) { set16(b, 12, 2); }, SheetResult::kUnsupported},
      {"257 colours in use", [](auto& b) { set32(b, 32, 257); }, SheetResult::kUnsupported},
      {"width 6", [](auto& b) { set32(b, 4, 6); }, SheetResult::kWidthNotMultipleOf4},
      {"width 0", [](auto& b) { set32(b, 4, 0); }, SheetResult::kBadSize},
      {"top-down rows", [](auto& b) { set32(b, 8, uint32_t(-4)); }, SheetResult::kBadSize},
      {"negative width", [](auto& b) { set32(b, 4, uint32_t(-8)); }, SheetResult::kBadSize},
      {"2^31 pixels", [](auto& b) { set32(b, 4, 0x10000), set32(b, 8, 0x8000); }, SheetResult::kTooLarge},
      {"2^31 - 2^16 pixels", [](auto& b) { set32(b, 4, 0x10000), set32(b, 8, 0x7FFF); }, SheetResult::kShortPixels},
      // 2^32 + 32 pixels: 32 once wrapped to 32 bits, as many as the file holds
      {"2^32 + 32 pixels", [](auto& b) { set32(b, 4, 0x40000008), set32(b, 8, 4); }, SheetResult::kTooLarge},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = small_sheet();
    c.edit(bytes);
    StampSheet from_memory, from_file;
    EXPECT_EQ(picker::sheet_parse(bytes.data(), bytes.size(), &from_memory), c.expected) << c.what;
    EXPECT_EQ(read_through_file(bytes, &from_file), c.expected) << c.what;
    if (c.expected == SheetResult::kLoaded) {
      EXPECT_EQ(from_file.pixels, from_memory.pixels) << c.what;
      EXPECT_EQ(from_memory.pixels.size(), 32u) << c.what;
    } else {  // nothing half-loaded stays behind
      EXPECT_TRUE(from_memory.pixels.empty() && from_file.pixels.empty()) << c.what;
      EXPECT_EQ(from_memory.width + from_memory.height + from_file.width + from_file.height, 0) << c.what;
    }
  }
}

TEST(StampSheetReader, TheHeaderBlockIsTheFilesWithItsDrawingFieldsReset) {
  std::vector<uint8_t> bytes = small_sheet();
  set32(bytes, 16, 1);      // compression
  set32(bytes, 32, 200);    // colours in use: kept
  set32(bytes, 36, 12);     // important colours
  StampSheet s;
  ASSERT_EQ(picker::sheet_parse(bytes.data(), bytes.size(), &s), SheetResult::kLoaded);
  const uint8_t* h = s.header.data();
  EXPECT_EQ(get_le32(h + 0), 40u);
  EXPECT_EQ(get_le32(h + 4), 8u);
  EXPECT_EQ(get_le32(h + 8), 4u);
  EXPECT_EQ(get_le32(h + 16), 0u);
  EXPECT_EQ(get_le32(h + 24), 0u);  // 2835 in the file
  EXPECT_EQ(get_le32(h + 28), 0u);
  EXPECT_EQ(get_le32(h + 32), 200u);
  EXPECT_EQ(get_le32(h + 36), 256u);
  // colour 77 = (77, 178, 231) stored blue, green, red
  EXPECT_EQ(h[40 + 4 * 77], 231);
  EXPECT_EQ(h[40 + 4 * 77 + 1], 178);
  EXPECT_EQ(h[40 + 4 * 77 + 2], 77);
  EXPECT_EQ(s.palette[77].red, 77);
  EXPECT_EQ(s.palette[77].green, 178);
  EXPECT_EQ(s.palette[77].blue, 231);
  // bottom row first in the file: index 16 y + x at (x, y) from the top
  EXPECT_EQ(s.pixels[0], 48);
  EXPECT_EQ(s.colour_at(5, 1).red, 21);
  EXPECT_EQ(s.colour_at(7, 3).red, 55);
}

// Every pixel of a sheet as this reader shows it equals ImageMagick's reading of the file.
void expect_same_as_imagemagick(const std::string& path, int width, int height) {
  StampSheet s;
  ASSERT_EQ(picker::sheet_load(path.c_str(), &s), SheetResult::kLoaded) << path;
  ASSERT_EQ(s.width, width);
  ASSERT_EQ(s.height, height);
  const std::vector<uint8_t> rgb = shell::output("convert '" + path + "' -depth 8 rgb:-");
  ASSERT_EQ(rgb.size(), size_t(width) * size_t(height) * 3) << path;
  int differing = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const picker::PaletteColour c = s.colour_at(x, y);
      const uint8_t* m = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
      differing += c.red != m[0] || c.green != m[1] || c.blue != m[2];
    }
  EXPECT_EQ(differing, 0) << path;
}

TEST(StampSheetReader, ReadsSheetsAsImageMagickDoes) {
  TempDir dir("picker_test");
  // A sheet ImageMagick wrote: 256 colours, uncompressed, 320 x 200.
  const std::string theirs = dir / "plasma.bmp";
  ASSERT_EQ(shell::run("convert -seed 7 -size 320x200 plasma:fractal -colors 256 -type Palette -compress none "
                       "BMP3:" + theirs),
            0);
  expect_same_as_imagemagick(theirs, 320, 200);

  // The numbered sheet as this library writes it.
  const picker::SheetPicture pic = picker::numbered_sheet();
  const std::vector<uint8_t> bytes = picker::sheet_encode(pic.width, pic.height, pic.palette, pic.top_down);
  const std::string ours = dir / "numbered.bmp";
  FILE* f = std::fopen(ours.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  expect_same_as_imagemagick(ours, 320, 200);
}

TEST(ZelStamps, WritesTheNumberedSheetAndLooksUpClicksOnIt) {
  TempDir dir("picker_zel");
  const std::string sheet = dir / "stamps.bmp";
  ASSERT_EQ(shell::run(shell::zel() + " stamps sheet " + sheet), 0);
  const std::vector<uint8_t> out = shell::output(shell::zel() + " stamps pick " + sheet + " 0,0 319,166 10,170 330,20");
  EXPECT_EQ(std::string(out.begin(), out.end()), sheet + ": 320x200 sheet loaded\n(0, 0): stamp 1\n"
                                                         "(319, 166): stamp 30\n(10, 170): no stamp, beep\n"
                                                         "(330, 20): no stamp, beep\n");
  std::string err;
  EXPECT_NE(shell::run_stderr(shell::zel() + " stamps pick " + sheet + " 3", &err), 0);
  EXPECT_NE(err.find("not a point"), std::string::npos) << err;
  const std::vector<uint8_t> missing = shell::output(shell::zel() + " stamps pick " + (dir / "none.bmp"));
  EXPECT_EQ(std::string(missing.begin(), missing.end()),
            dir / "none.bmp" + ": not loaded (cannot open the file): the picker's window stays empty\n");
}

}  // namespace
