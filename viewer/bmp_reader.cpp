// LoadBmp: BMP, DIB and RLE files into the held image.
#include "viewer/bmp_reader.h"

#include <cstring>
#include <new>

#include "common/bytes.h"
#include "common/message_box.h"
#include "viewer/image.h"
#include "viewer/image_load.h"
#include "viewer/reader_file.h"

namespace {

constexpr const char* kNotValid = " is NOT a valid BMP file";

struct BmpLayout {
  uint8_t info[kInfoHeaderSize];  // the header as it will be held
  uint8_t masks[12];
  bool core = false;              // 3-byte colour entries
  uint32_t colours = 0;
  uint64_t bits_offset = 0;
  uint64_t declared_file_size = 0;
};

bool ValidDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

// Reads the file header and the info header in whichever version it is stored; false when
// they cannot be read or cannot be held.
bool ReadHeaders(ImageFile& f, BmpLayout& b) {
  uint8_t file_header[14];
  uint8_t size_bytes[4];
  if (f.read(file_header, 14) != 14 || f.read(size_bytes, 4) != 4) return false;
  b.declared_file_size = get_le32(file_header + 2);
  b.bits_offset = get_le32(file_header + 10);
  uint32_t size = get_le32(size_bytes);
  std::memset(b.info, 0, sizeof b.info);
  put_le32(b.info, uint32_t(kInfoHeaderSize));
  if (size == kCoreHeaderSize) {
    uint8_t core[8];
    if (f.read(core, 8) != 8) return false;
    put_le32(b.info + 4, get_le16(core));
    put_le32(b.info + 8, get_le16(core + 2));
    put_le16(b.info + 12, get_le16(core + 4));
    put_le16(b.info + 14, get_le16(core + 6));
    b.core = true;
  } else if (size >= kInfoHeaderSize && size <= kLargestHeaderSize) {
    if (f.read(b.info + 4, kInfoHeaderSize - 4) != kInfoHeaderSize - 4) return false;
    uint32_t rest = size - uint32_t(kInfoHeaderSize);
    uint8_t extra[kLargestHeaderSize - kInfoHeaderSize];
    if (f.read(extra, rest) != rest) return false;
    if (get_le32(b.info + 16) == kBiBitfields) {
      // The masks stand inside a larger header, or directly behind the 40-byte one.
      if (rest >= 12) {
        std::memcpy(b.masks, extra, 12);
      } else if (rest == 0) {
        if (f.read(b.masks, 12) != 12) return false;
      } else {
        return false;
      }
    }
  } else {
    return false;
  }

  int32_t width = int32_t(get_le32(b.info + 4));
  int32_t height = int32_t(get_le32(b.info + 8));
  int bits = get_le16(b.info + 14);
  uint32_t compression = get_le32(b.info + 16);
  uint32_t used = get_le32(b.info + 32);
  if (width <= 0 || height == 0 || height == INT32_MIN || !ValidDepth(bits)) return false;
  // The window scrolls over 16-bit extents: a side beyond them cannot be shown.
  if (width > kLargestSide || height > kLargestSide || height < -kLargestSide) return false;
  if (compression > kBiBitfields) return false;
  if ((compression == kBiRle8 && bits != 8) || (compression == kBiRle4 && bits != 4)) return false;
  if ((compression == kBiRle8 || compression == kBiRle4) && height < 0) return false;
  if (compression == kBiBitfields && bits != 16 && bits != 32) return false;
  b.colours = used ? used : bits <= 8 ? 1u << bits : 0;
  if (b.colours > 256) return false;
  if (b.core) put_le32(b.info + 32, 0);
  // An uncompressed bitmap beyond the largest pixel block is refused before allocating.
  uint64_t row_bytes = (uint64_t(width) * uint64_t(bits) + 31) / 32 * 4;
  uint64_t rows = uint64_t(height < 0 ? -int64_t(height) : height);
  if (row_bytes * rows > kMaxPixelBytes) return false;
  return true;
}

// Reads the colour table into the header block; false at an early end of the file.
bool ReadColourTable(ImageFile& f, const BmpLayout& b, uint8_t* table) {
  for (uint32_t i = 0; i < b.colours; ++i) {
    uint8_t* q = table + 4 * i;
    if (f.read(q, b.core ? 3 : 4) != (b.core ? 3u : 4u)) return false;
    if (b.core) q[3] = 0;
  }
  return true;
}

bool LoadBmpChecked(char* name, LoadedImage& image, const UiTable& ui) {
  ReleaseImage(image);
  ImageFile f;
  BmpLayout b;
  if (!f.open(name) || !ReadHeaders(f, b)) {
    WarnNotValid(ui, name, kNotValid);
    return false;
  }
  bool bitfields = get_le32(b.info + 16) == kBiBitfields;
  size_t masks = bitfields ? 12 : 0;
  if (!AllocateHeader(image, masks + size_t(b.colours) * 4)) return false;  // no message
  std::memcpy(image.header, b.info, kInfoHeaderSize);
  std::memcpy(image.header + kInfoHeaderSize, b.masks, masks);
  image.width = int32_t(get_le32(b.info + 4));
  image.height = int32_t(get_le32(b.info + 8));
  if (b.colours > 0 && !ReadColourTable(f, b, image.header + kInfoHeaderSize + masks)) {
    ReleaseImage(image);
    WarnNotValid(ui, name, kNotValid);
    return false;
  }

  // The bits start at the file's offset to the bits (directly behind the colour table in
  // a well-made file); an offset that points back into the headers is taken as "right
  // here". Their length is the declared file size less that offset, but never more than
  // the file holds.
  uint64_t file_size = f.size();
  uint64_t here = f.tell();
  uint64_t start = b.bits_offset > here ? b.bits_offset : here;
  uint64_t held = start < file_size ? file_size - start : 0;
  uint64_t stored = b.declared_file_size > b.bits_offset ? b.declared_file_size - b.bits_offset : held;
  uint64_t bytes = stored < held ? stored : held;
  // An uncompressed bitmap keeps a block of its full size, so that painting never reads
  // past it; what the file lacks stays zero.
  uint32_t compression = get_le32(b.info + 16);
  if (compression == kBiRgb || compression == kBiBitfields) {
    int64_t height = image.height < 0 ? -int64_t(image.height) : image.height;
    uint64_t need = (uint64_t(image.width) * get_le16(b.info + 14) + 31) / 32 * 4 * uint64_t(height);
    if (bytes > need) bytes = need;
    if (!AllocatePixels(image, need)) {
      ReleaseImage(image);
      return false;
    }
  } else if (bytes > kMaxPixelBytes || !AllocatePixels(image, bytes)) {
    ReleaseImage(image);
    return false;
  }
  if (!f.seek(start) || f.read(image.pixels, size_t(bytes)) != bytes) {
    // The length came from the file's own size: a read that falls short is a read error.
    ReleaseImage(image);
    WarnNotValid(ui, name, kNotValid);
    return false;
  }
  if (!f.close()) {
    ui_message(ui, "Bad close", nullptr, mb::Ok);
  }
  return true;
}

}  // namespace

bool LoadBmp(char* name, LoadedImage& image, const UiTable& ui) {
  try {
    return LoadBmpChecked(name, image, ui);
  } catch (const std::bad_alloc&) {
    ReleaseImage(image);
    return false;
  }
}
