#include "viewer/gif_reader.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "common/bytes.h"

namespace {

constexpr int kMaxCodes = 4096;
constexpr size_t kGifStreamSlack = kMaxCodes + 16;

// LZW tables. A fresh record (all zero) serves every raster, so no table, block or bit
// carries over from an earlier file.
struct GifTables {
  int16_t prefix[kMaxCodes];
  uint8_t suffix[kMaxCodes];
  uint8_t stack[kMaxCodes + 2];
  // While the table is sound, each entry's string also stands whole in the decoded
  // stream: where it starts and how long it is.
  uint32_t start[kMaxCodes];
  uint16_t length[kMaxCodes];
};

// Reads the data sub-blocks of one raster. A zero-length block ends them; so do the end of
// the file and a read error, after which a short block keeps the bytes it has.
void GatherRaster(ImageFile& file, std::vector<uint8_t>& data) {
  uint8_t block[255];
  for (;;) {
    int size = file.get8();
    if (size <= 0) return;
    size_t got = file.read(block, size_t(size));
    data.insert(data.end(), block, block + got);
    if (got < size_t(size)) return;
  }
}

// Bit reader over the gathered data: codes least significant bit first. Kept in locals of
// the decoder so that the table stores cannot make the compiler reload it.
struct BitReader {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  uint64_t bits = 0;
  int count = 0;
  // The next code of `width` bits; negative when the data ends before it.
  inline int next(int width) {
    if (count < width) {
      while (count <= 56 && pos < size) {
        bits |= uint64_t(data[pos++]) << count;
        count += 8;
      }
      if (count < width) return -1;
    }
    int code = int(bits & ((1u << width) - 1));
    bits >>= width;
    count -= width;
    return code;
  }
};

// Copies decoded row r (length bytes) to pixel-block row height - 1 - r; rows beyond the
// height are dropped.
void DeliverGifRow(LoadedImage& image, size_t r, const uint8_t* row, int32_t length) {
  if (r >= size_t(image.height)) return;
  if (length > image.stride) length = image.stride;
  std::memcpy(image.pixels + (size_t(image.height) - 1 - r) * size_t(image.stride), row, size_t(length));
}

// Decodes the raster into a stream of row_width x height indices (the rows in the order
// they come) and hands each finished row to DeliverGifRow. Once the image's height is
// delivered, the rest of the raster could only be dropped, so it is not decoded.
void DecodeGifRaster(ImageFile& file, GifTables& t, LoadedImage& image, int32_t row_width, uint8_t* out) {
  int s = file.get8();
  if (s < 2 || s > 9) return;  // the end of the file, or a minimum code size out of range
  std::vector<uint8_t> data;
  GatherRaster(file, data);
  BitReader in{data.data(), data.size()};

  const size_t image_bytes = size_t(row_width) * size_t(image.height);
  size_t n = 0;          // bytes decoded
  size_t delivered = 0;  // bytes handed over as rows

  const int clear = 1 << s;
  const int end = clear + 1;
  const int first_free = end + 1;
  int width = s + 1;
  int top = 1 << width;
  int slot = first_free;
  int old_code = 0;
  int first_pixel = 0;
  size_t old_start = 0;  // where old_code's string stands in the stream
  uint8_t* const stack = t.stack;
  // Cleared by a code beyond the next free slot (its entry's prefix is then no earlier
  // entry); set again by a clear code, which starts the table afresh.
  bool sound = true;
  for (int i = 0; i < first_free; ++i) t.length[i] = 1;

  for (;;) {
    int c = in.next(width);
    if (c == end) break;
    if (c < 0) return;  // the unfinished row is not shown
    size_t here = n;
    if (c == clear) {
      width = s + 1;
      slot = first_free;
      top = 1 << width;
      sound = true;
      do c = in.next(width);
      while (c == clear);
      if (c == end) break;
      if (c < 0) return;
      if (c >= slot) c = 0;
      old_code = first_pixel = c;
      old_start = here;
      out[n++] = uint8_t(c);
    } else if (sound && c <= slot) {
      // Copy the string from where it stood before (8 bytes at a time: the bytes it needs
      // all lie before `here`, and what it writes past the string is overwritten later).
      const bool pending = c == slot;  // the string being defined: old string + its first
      const size_t from = c < first_free ? 0 : pending ? old_start : t.start[c];
      const size_t length = c < first_free ? 1 : pending ? size_t(t.length[old_code]) : size_t(t.length[c]);
      if (c < first_free) {
        out[n] = uint8_t(c);
      } else {
        for (size_t i = 0; i < length; i += 8) {
          uint64_t eight;
          std::memcpy(&eight, out + from + i, 8);
          std::memcpy(out + here + i, &eight, 8);
        }
      }
      n += length;
      if (pending) out[n++] = out[from];
      if (slot < top) {
        t.suffix[slot] = out[here];
        t.prefix[slot] = int16_t(old_code);
        t.start[slot] = uint32_t(old_start);
        t.length[slot] = uint16_t(here - old_start + 1);
        first_pixel = out[here];
        ++slot;
        old_code = c;
        old_start = here;
      }
    } else {
      int code = c;
      int sp = 0;
      if (code >= slot) {
        if (code > slot) sound = false;
        code = old_code;
        stack[sp++] = uint8_t(first_pixel);
      }
      // A damaged table can chain its prefixes into a loop: no string is longer than the
      // table, so a longer walk abandons the raster (the rows delivered so far stay).
      while (code >= first_free) {
        if (sp >= kMaxCodes) return;
        stack[sp++] = t.suffix[code];
        code = t.prefix[code];
      }
      stack[sp++] = uint8_t(code);
      if (slot < top) {
        t.suffix[slot] = uint8_t(code);
        first_pixel = code;
        t.prefix[slot] = int16_t(old_code);
        ++slot;
        old_code = c;
        old_start = here;
      }
      while (sp > 0) out[n++] = stack[--sp];
    }
    if (slot >= top && width < 12) {
      top *= 2;
      ++width;
    }
    while (n - delivered >= size_t(row_width)) {
      DeliverGifRow(image, delivered / size_t(row_width), out + delivered, row_width);
      delivered += size_t(row_width);
      if (delivered >= image_bytes) return;
    }
  }
  if (n > delivered) DeliverGifRow(image, delivered / size_t(row_width), out + delivered, int32_t(n - delivered));
}

bool SignatureAccepted(const uint8_t* h) {
  return h[0] == 'G' && h[1] == 'I' && h[2] == 'F' && h[3] >= '0' && h[3] <= '9' && h[4] >= '0' && h[4] <= '9' &&
         h[5] >= 0x41 && h[5] <= 0x7A;
}

}  // namespace

int16_t ReadGif(const char* name, bool probe, LoadedImage& image, ColourTables& tables) {
  ImageFile file;
  if (!file.open(name)) return kGifCannotOpen;

  uint8_t head[13];
  if (file.read(head, sizeof head) != sizeof head || !SignatureAccepted(head)) return kGifBadSignature;
  uint8_t flags = head[10];
  if (!(flags & 0x80)) return kGifNoColourTable;
  int count = 2 << (flags & 7);
  for (int i = 0; i < count; ++i) {
    uint8_t rgb[3];
    if (file.read(rgb, 3) != 3) break;  // a short table leaves the rest at 0
    tables.red[i] = uint8_t(rgb[0] & 0xFC);
    tables.green[i] = uint8_t(rgb[1] & 0xFC);
    tables.blue[i] = uint8_t(rgb[2] & 0xFC);
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
    // The decoded stream: room for the image, one longest string and the fast copy's
    // overrun.
    std::unique_ptr<uint8_t, decltype(&std::free)> stream(
        static_cast<uint8_t*>(std::calloc(size_t(width) * size_t(height) + kGifStreamSlack, 1)), &std::free);
    auto tables = std::unique_ptr<GifTables>(new (std::nothrow) GifTables());
    if (!stream || !tables) return kGifNoMemory;
    DecodeGifRaster(file, *tables, image, width, stream.get());
    break;
  }
  return kGifEnded;
}
