#pragma once
// The stamp sheet file: an uncompressed Windows bitmap of 8 bits per pixel, read as a
// 14-byte file header, a 40-byte info header, 256 colour-table entries of 4 bytes and then
// width x height pixel bytes in unpadded rows (so the width must be a multiple of 4),
// bottom row first.
//
// The reader checks everything a file says before it uses it: a sheet is either loaded
// whole (header block, palette and every pixel) or not at all, and then the picker's
// window stays empty.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace picker {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kColourCount = 256;
constexpr size_t kHeaderBlockSize = kInfoHeaderSize + 4 * kColourCount;  // 1064
constexpr size_t kPixelOffset = kFileHeaderSize + kHeaderBlockSize;     // 1078

// Offsets inside the info header (little-endian fields).
constexpr size_t kOffSize = 0;
constexpr size_t kOffWidth = 4;
constexpr size_t kOffHeight = 8;
constexpr size_t kOffPlanes = 12;
constexpr size_t kOffBitCount = 14;
constexpr size_t kOffCompression = 16;
constexpr size_t kOffSizeImage = 20;
constexpr size_t kOffXPelsPerMeter = 24;
constexpr size_t kOffYPelsPerMeter = 28;
constexpr size_t kOffClrUsed = 32;
constexpr size_t kOffClrImportant = 36;

enum class SheetResult {
  kLoaded,
  kNoFile,            // the file cannot be opened
  kShortHeader,       // fewer than 1078 bytes: headers and colour table incomplete
  kNotBitmap,         // no "BM" signature
  kUnsupported,       // info header not 40 bytes, not 8 bits per pixel, not one plane,
                      // or more than 256 colours in use
  kBadSize,           // width or height zero or negative
  kWidthNotMultipleOf4,
  kTooLarge,          // width x height beyond 32 bits
  kShortPixels,       // the file holds fewer than width x height pixel bytes
  kOutOfMemory,
};

const char* sheet_result_text(SheetResult result);

struct PaletteColour {
  uint8_t red, green, blue;
};

struct StampSheet {
  int32_t width = 0;
  int32_t height = 0;
  // The info header (with compression, both resolutions set to 0 and the important-colour
  // count set to 256) followed by the 256 colour-table entries as the file holds them: the
  // block a device-independent bitmap is drawn from.
  alignas(4) std::array<uint8_t, kHeaderBlockSize> header{};
  std::array<PaletteColour, kColourCount> palette{};
  std::vector<uint8_t> pixels;  // width x height, bottom row first

  // The colour shown at (x, y) of the picture, counted from its top-left corner.
  PaletteColour colour_at(int32_t x, int32_t y) const {
    return palette[pixels[size_t(height - 1 - y) * size_t(width) + size_t(x)]];
  }
};

// A whole sheet from bytes in memory, or from a file. On any result but kLoaded the sheet
// is left empty.
SheetResult sheet_parse(const uint8_t* data, size_t size, StampSheet* sheet);
SheetResult sheet_read(FILE* file, StampSheet* sheet);
SheetResult sheet_load(const char* path, StampSheet* sheet);

// Writes a sheet file: the headers, the 256 colours and the rows bottom first. `top_down`
// holds width x height indices, top row first; the width must be a multiple of 4.
std::vector<uint8_t> sheet_encode(int32_t width, int32_t height, const std::array<PaletteColour, kColourCount>& palette,
                                  const std::vector<uint8_t>& top_down);

}  // namespace picker
