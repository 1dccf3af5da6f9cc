#include "picker/stamp_sheet.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "common/bytes.h"

namespace picker {

const char* sheet_result_text(SheetResult result) {
  switch (result) {
    case SheetResult::kLoaded: return "loaded";
    case SheetResult::kNoFile: return "cannot open the file";
    case SheetResult::kShortHeader: return "file too short for its headers and colour table";
    case SheetResult::kNotBitmap: return "not a bitmap file";
    case SheetResult::kUnsupported: return "not an 8-bit bitmap with a 40-byte info header";
    case SheetResult::kBadSize: return "width or height not positive";
    case SheetResult::kWidthNotMultipleOf4: return "width not a multiple of 4";
    case SheetResult::kTooLarge: return "width x height beyond 32 bits";
    case SheetResult::kShortPixels: return "file shorter than its pixels";
    case SheetResult::kOutOfMemory: return "out of memory";
  }
  return "?";
}

namespace {

// Checks the first kPixelOffset bytes of a file and fills the sheet's size, header block and
// palette; the pixels are left to the caller, who must find width x height of them.
SheetResult sheet_read_header(const uint8_t* head, size_t head_size, StampSheet* sheet) {
  *sheet = StampSheet();
  if (head_size < kPixelOffset) return SheetResult::kShortHeader;
  if (head[0] != 'B' || head[1] != 'M') return SheetResult::kNotBitmap;
  const uint8_t* info = head + kFileHeaderSize;
  if (get_le32(info + kOffSize) != kInfoHeaderSize || get_le16(info + kOffPlanes) != 1 ||
      get_le16(info + kOffBitCount) != 8 || get_le32(info + kOffClrUsed) > kColourCount)
    return SheetResult::kUnsupported;
  const int32_t width = int32_t(get_le32(info + kOffWidth));
  const int32_t height = int32_t(get_le32(info + kOffHeight));
  if (width <= 0 || height <= 0) return SheetResult::kBadSize;
  if (width % 4 != 0) return SheetResult::kWidthNotMultipleOf4;
  if (int64_t(width) * int64_t(height) > std::numeric_limits<int32_t>::max()) return SheetResult::kTooLarge;

  sheet->width = width;
  sheet->height = height;
  std::memcpy(sheet->header.data(), info, kHeaderBlockSize);
  uint8_t* block = sheet->header.data();
  put_le32(block + kOffCompression, 0);
  put_le32(block + kOffXPelsPerMeter, 0);
  put_le32(block + kOffYPelsPerMeter, 0);
  put_le32(block + kOffClrImportant, kColourCount);
  const uint8_t* table = block + kInfoHeaderSize;  // blue, green, red, reserved
  for (size_t i = 0; i < kColourCount; ++i)
    sheet->palette[i] = PaletteColour{table[4 * i + 2], table[4 * i + 1], table[4 * i]};
  return SheetResult::kLoaded;
}

size_t pixel_count(const StampSheet& sheet) { return size_t(sheet.width) * size_t(sheet.height); }

SheetResult fail(StampSheet* sheet, SheetResult result) {
  *sheet = StampSheet();
  return result;
}

}  // namespace

SheetResult sheet_parse(const uint8_t* data, size_t size, StampSheet* sheet) {
  SheetResult r = sheet_read_header(data, size, sheet);
  if (r != SheetResult::kLoaded) return fail(sheet, r);
  const size_t count = pixel_count(*sheet);
  if (size - kPixelOffset < count) return fail(sheet, SheetResult::kShortPixels);
  try {
    sheet->pixels.assign(data + kPixelOffset, data + kPixelOffset + count);
  } catch (const std::bad_alloc&) {
    return fail(sheet, SheetResult::kOutOfMemory);
  }
  return SheetResult::kLoaded;
}

SheetResult sheet_read(FILE* file, StampSheet* sheet) {
  uint8_t head[kPixelOffset];
  const size_t got = std::fread(head, 1, sizeof head, file);
  SheetResult r = sheet_read_header(head, got, sheet);
  if (r != SheetResult::kLoaded) return fail(sheet, r);
  // The pixels arrive in pieces, so that the memory taken never runs ahead of what the file
  // really holds, whatever its header claims.
  const size_t count = pixel_count(*sheet);
  const size_t kPiece = size_t(1) << 16;
  try {
    while (sheet->pixels.size() < count) {
      const size_t done = sheet->pixels.size();
      const size_t want = std::min(kPiece, count - done);
      sheet->pixels.resize(done + want);
      const size_t n = std::fread(sheet->pixels.data() + done, 1, want, file);
      if (n != want) return fail(sheet, SheetResult::kShortPixels);
    }
  } catch (const std::bad_alloc&) {
    return fail(sheet, SheetResult::kOutOfMemory);
  }
  return SheetResult::kLoaded;
}

SheetResult sheet_load(const char* path, StampSheet* sheet) {
  *sheet = StampSheet();
  FILE* file = path ? std::fopen(path, "rb") : nullptr;
  if (!file) return SheetResult::kNoFile;
  const SheetResult r = sheet_read(file, sheet);
  std::fclose(file);
  return r;
}

std::vector<uint8_t> sheet_encode(int32_t width, int32_t height, const std::array<PaletteColour, kColourCount>& palette,
                                  const std::vector<uint8_t>& top_down) {
  const uint32_t count = uint32_t(width) * uint32_t(height);
  std::vector<uint8_t> out;
  out.reserve(kPixelOffset + count);
  out.push_back('B');
  out.push_back('M');
  append_le32(out, uint32_t(kPixelOffset) + count);  // file size
  append_le32(out, 0);                                // reserved
  append_le32(out, uint32_t(kPixelOffset));           // pixel offset
  append_le32(out, uint32_t(kInfoHeaderSize));
  append_le32(out, uint32_t(width));
  append_le32(out, uint32_t(height));
  append_le16(out, 1);  // planes
  append_le16(out, 8);  // bits per pixel
  append_le32(out, 0);  // no compression
  append_le32(out, count);
  append_le32(out, 2835);  // 72 dots per inch, both ways
  append_le32(out, 2835);
  append_le32(out, uint32_t(kColourCount));
  append_le32(out, 0);
  for (const PaletteColour& c : palette) {
    out.push_back(c.blue);
    out.push_back(c.green);
    out.push_back(c.red);
    out.push_back(0);
  }
  for (int32_t y = height - 1; y >= 0; --y) {
    const uint8_t* row = top_down.data() + size_t(y) * size_t(width);
    out.insert(out.end(), row, row + width);
  }
  return out;
}

}  // namespace picker
