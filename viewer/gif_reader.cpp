#include "viewer/gif_reader.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "common/bytes.h"

namespace {

constexpr int kMaxCodes = 4096;
constexpr int16_t kBadMinimumCodeSize = -20;

// LZW decoder state. A fresh one (all zero) serves every raster, so no table, block or
// bit carries over from an earlier file.
struct GifDecoder {
  ImageFile* file = nullptr;
  LoadedImage* image = nullptr;
  // Bit reader over the data sub-blocks.
  uint8_t block[255];
  int block_len = 0;
  int block_pos = 0;
  uint32_t bits = 0;
  int bit_count = 0;
  // String table.
  int16_t prefix[kMaxCodes];
  uint8_t suffix[kMaxCodes];
  uint8_t stack[kMaxCodes + 2];
  int32_t bad_codes = 0;  // codes beyond the next free slot; counted, never reported
};

// The next byte of the raster's data; -1 at a zero-length sub-block (the raster's end),
// the end of the file or a read error. A short sub-block keeps the bytes it has.
inline int NextRasterByte(GifDecoder& d) {
  if (d.block_pos == d.block_len) {
    int size = d.file->get8();
    if (size <= 0) return -1;
    size_t got = d.file->read(d.block, size_t(size));
    if (got == 0) return -1;
    d.block_len = int(got);
    d.block_pos = 0;
  }
  return d.block[d.block_pos++];
}

// The next code of `width` bits, least significant bit first; negative when the data ends.
inline int NextCode(GifDecoder& d, int width) {
  while (d.bit_count < width) {
    int b = NextRasterByte(d);
    if (b < 0) return -1;
    d.bits |= uint32_t(b) << d.bit_count;
    d.bit_count += 8;
  }
  int code = int(d.bits & ((1u << width) - 1));
  d.bits >>= width;
  d.bit_count -= width;
  return code;
}

int16_t DecodeGifRaster(GifDecoder& d, uint8_t* row, int32_t row_width) {
  int s = d.file->get8();
  if (s < 0) return int16_t(s);
  if (s < 2 || s > 9) return kBadMinimumCodeSize;
  const int clear = 1 << s;
  const int end = clear + 1;
  const int first_free = end + 1;
  int width = s + 1;
  int top = 1 << width;
  int slot = first_free;
  int old_code = 0;
  int first_pixel = 0;
  int32_t filled = 0;

  auto emit = [&](int value) {
    row[filled++] = uint8_t(value);
    if (filled == row_width) {
      DeliverGifRow(*d.image, row, filled);
      filled = 0;
    }
  };

  for (;;) {
    int c = NextCode(d, width);
    if (c == end) break;
    if (c < 0) return 0;
    if (c == clear) {
      width = s + 1;
      slot = first_free;
      top = 1 << width;
      do c = NextCode(d, width);
      while (c == clear);
      if (c == end) break;
      if (c < 0) return 0;
      if (c >= slot) c = 0;
      old_code = first_pixel = c;
      emit(c);
      continue;
    }
    int code = c;
    int sp = 0;
    if (code >= slot) {
      if (code > slot) ++d.bad_codes;
      code = old_code;
      d.stack[sp++] = uint8_t(first_pixel);
    }
    // A damaged table can chain its prefixes into a loop: no string is longer than the
    // table, so a longer walk abandons the raster (the rows delivered so far stay).
    while (code >= first_free) {
      if (sp >= kMaxCodes) return 0;
      d.stack[sp++] = d.suffix[code];
      code = d.prefix[code];
    }
    d.stack[sp++] = uint8_t(code);
    if (slot < top) {
      d.suffix[slot] = uint8_t(code);
      first_pixel = code;
      d.prefix[slot] = int16_t(old_code);
      ++slot;
      old_code = c;
    }
    if (slot >= top && width < 12) {
      top *= 2;
      ++width;
    }
    // Pop the string onto the row, a row's remainder at a time.
    while (sp > 0) {
      int32_t room = row_width - filled;
      int32_t n = sp < room ? sp : room;
      uint8_t* out = row + filled;
      for (int32_t i = 0; i < n; ++i) out[i] = d.stack[sp - 1 - i];
      sp -= n;
      filled += n;
      if (filled == row_width) {
        DeliverGifRow(*d.image, row, filled);
        filled = 0;
      }
    }
  }
  if (filled > 0) DeliverGifRow(*d.image, row, filled);
  return 0;
}

bool SignatureAccepted(const uint8_t* h) {
  return h[0] == 'G' && h[1] == 'I' && h[2] == 'F' && h[3] >= '0' && h[3] <= '9' && h[4] >= '0' && h[4] <= '9' &&
         h[5] >= 0x41 && h[5] <= 0x7A;
}

}  // namespace

int16_t DeliverGifRow(LoadedImage& image, const uint8_t* row, int32_t length) {
  int32_t r = image.delivered_rows;
  if (r >= image.height || !image.pixels) return 0;  // beyond the height: dropped
  if (length > image.stride) length = image.stride;
  std::memcpy(image.pixels + size_t(image.height - 1 - r) * size_t(image.stride), row, size_t(length));
  image.delivered_rows = r + 1;
  return 0;
}

int16_t ReadGif(const char* name, bool probe, LoadedImage& image, ColourTables& tables) {
  ImageFile file;
  if (!file.open(name)) return kGifCannotOpen;
  std::unique_ptr<uint8_t, decltype(&std::free)> row(static_cast<uint8_t*>(std::calloc(kGifRowBuffer, 1)), &std::free);
  if (!row) return kGifNoMemory;

  uint8_t head[13];
  if (file.read(head, sizeof head) != sizeof head || !SignatureAccepted(head)) return kGifBadSignature;
  uint8_t flags = head[10];
  if (!(flags & 0x80)) return kGifNoColourTable;
  int count = 2 << (flags & 7);
  for (int i = 0; i < count; ++i) {
    uint8_t rgb[3];
    if (file.read(rgb, 3) != 3) break;  // a short table leaves the rest at 0
    tables.red[i] = uint8_t(rgb[0] >> 2);
    tables.green[i] = uint8_t(rgb[1] >> 2);
    tables.blue[i] = uint8_t(rgb[2] >> 2);
  }

  for (;;) {
    int introducer = file.get8();
    if (introducer == 0x21) {
      file.get8();  // label
      for (;;) {
        int size = file.get8();
        if (size <= 0 || !file.skip(uint64_t(size))) break;
      }
      continue;
    }
    if (introducer != 0x2C) break;  // trailer, anything else, or the end of the file
    uint8_t desc[9];
    if (file.read(desc, sizeof desc) != sizeof desc) break;
    int32_t width = get_le16(desc + 4);
    int32_t height = get_le16(desc + 6);
    if (width > kGifMaxSide || height > kGifMaxSide) return kGifTooLarge;
    if (width == 0 || height == 0) break;  // nothing to show: ends the read
    // The image keeps the global colours; a local table's bytes are passed over so that
    // they are not taken for the raster.
    if (desc[8] & 0x80 && !file.skip(uint64_t(3) << ((desc[8] & 7) + 1))) break;
    if (probe) {
      image.width = width;
      image.height = height;
      return kGifProbed;
    }
    if (width != image.width || height != image.height || !image.pixels) return kGifChanged;
    auto decoder = std::make_unique<GifDecoder>();
    decoder->file = &file;
    decoder->image = &image;
    DecodeGifRaster(*decoder, row.get(), width);  // its result is not passed on
    break;
  }
  return kGifEnded;
}
