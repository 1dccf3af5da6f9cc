// The picker's portable core: the stamp grid and click rules, and the sheet reader on sound
// and broken files, checked against ImageMagick's reading of the same files.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "animation/frameset/testing/shell.h"
#include "animation/frameset/testing/temp_dir.h"
#include "common/bytes.h"
#include "picker/stamp_grid.h"
#include "picker/stamp_sheet.h"

namespace {

using picker::SheetResult;
using picker::StampSheet;

// Each point as a press whose lParam packs it: x in the low word, y in the high word, both
// unsigned (y 65535 is no -1 on the top row).
TEST(StampGrid, CellsNumberRowByRowAndTheSixthRowAndOutsideBeepAndClear) {
  struct Case {
    uint32_t x, y;
    int32_t stamp;
  } const cases[] = {
      {0, 0, 1},     {53, 0, 1},    {54, 0, 2},      {106, 0, 2},     {107, 0, 3},       {319, 0, 6},
      {0, 33, 1},    {0, 34, 7},    {0, 166, 25},    {319, 166, 30},  {0, 167, -1},      {319, 199, -1},
      {320, 0, -1},  {0, 200, -1},  {0, 65535, -1},  {65535, 0, -1},  {65535, 65535, -1},
  };
  for (const Case& c : cases) {
    const picker::Press p = picker::press_at(c.x | c.y << 16);
    EXPECT_EQ(p.selection, c.stamp) << c.x << "," << c.y;
    EXPECT_EQ(p.beep, c.stamp == -1) << c.x << "," << c.y;
    EXPECT_EQ(picker::release_ends_picker(p.selection), c.stamp > 0) << c.x << "," << c.y;
  }
}

TEST(StampGrid, SizeMinimiseAndMaximiseAreRefusedWhateverTheirLowBits) {
  struct Case {
    uint32_t wparam;
    bool refused, close;
  } const cases[] = {
      {0xF008, true, false},   {0xF023, true, false},   {0xF032, true, false},  {0xF060, false, true},
      {0xF010, false, false},  {0xF012, false, false},  {0xF120, false, false}, {0xF100, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(picker::system_command_refused(c.wparam), c.refused) << std::hex << c.wparam;
    EXPECT_EQ(picker::system_command_is_close(c.wparam), c.close) << std::hex << c.wparam;
  }
}

// A small sound sheet, 8 x 4, of 32 different pixels.
std::vector<uint8_t> small_sheet() {
  std::vector<uint8_t> top_down(32);
  std::iota(top_down.begin(), top_down.end(), uint8_t(0));
  return picker::sheet_encode(8, 4, {}, top_down);
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
      for (const StampSheet* s : {&from_memory, &from_file})
        EXPECT_TRUE(s->pixels.empty() && s->width == 0 && s->height == 0) << c.what;
    }
  }
}

// The palette and pixels are compared with ImageMagick's reading below; the block as a whole,
// info header first, with the window it paints under Wine.
TEST(StampSheetReader, TheHeaderBlockIsTheFilesWithItsDrawingFieldsReset) {
  std::vector<uint8_t> bytes = small_sheet();
  set32(bytes, 16, 1);    // compression
  set32(bytes, 32, 200);  // colours in use: kept
  set32(bytes, 36, 12);   // important colours
  StampSheet s;
  ASSERT_EQ(picker::sheet_parse(bytes.data(), bytes.size(), &s), SheetResult::kLoaded);
  // compression, resolutions (2835 in the file), colours in use, important colours
  const std::pair<size_t, uint32_t> fields[] = {{16, 0}, {24, 0}, {28, 0}, {32, 200}, {36, 256}};
  for (const auto& [offset, value] : fields) EXPECT_EQ(get_le32(s.header.data() + offset), value) << offset;
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

TEST(StampSheetReader, ReadsASheetImageMagickWroteAsImageMagickDoes) {
  TempDir dir("picker_test");
  // 256 colours, uncompressed, 320 x 200.
  const std::string theirs = dir / "plasma.bmp";
  ASSERT_EQ(shell::run("convert -seed 7 -size 320x200 plasma:fractal -colors 256 -type Palette -compress none "
                       "BMP3:" + theirs),
            0);
  expect_same_as_imagemagick(theirs, 320, 200);
}

// The numbered sheet as zel writes it, read as ImageMagick reads it, and clicks looked up on it.
TEST(ZelStamps, WritesTheNumberedSheetAndLooksUpClicksOnIt) {
  TempDir dir("picker_zel");
  const std::string sheet = dir / "stamps.bmp";
  ASSERT_EQ(shell::run(shell::zel() + " stamps sheet " + sheet), 0);
  expect_same_as_imagemagick(sheet, 320, 200);
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
