#include "viewer/render.h"

#include "common/bytes.h"
#include "viewer/bmp_reader.h"

namespace {

struct DibView {
  int32_t width;       // biWidth
  int32_t rows;        // |biHeight|
  bool top_down;
  int bits;
  uint32_t compression;
  size_t row_bytes;
  const uint8_t* table;  // RGBQUAD entries
  uint32_t table_entries;
  uint32_t masks[3];
};

bool ViewOf(const LoadedImage& image, DibView& v) {
  if (!image.header || image.header_size < kInfoHeaderSize || !image.pixels) return false;
  const uint8_t* h = image.header;
  v.width = int32_t(get_le32(h + 4));
  int32_t height = int32_t(get_le32(h + 8));
  if (v.width <= 0 || height == 0 || height == INT32_MIN) return false;
  v.top_down = height < 0;
  v.rows = height < 0 ? -height : height;
  v.bits = get_le16(h + 14);
  v.compression = get_le32(h + 16);
  v.row_bytes = size_t((uint64_t(v.width) * uint64_t(v.bits) + 31) / 32 * 4);
  size_t offset = kInfoHeaderSize;
  if (v.compression == kBiBitfields) {
    if (image.header_size < kInfoHeaderSize + 12) return false;
    for (int i = 0; i < 3; ++i) v.masks[i] = get_le32(h + kInfoHeaderSize + 4 * i);
    offset += 12;
  } else if (v.bits == 16) {
    v.masks[0] = 0x7C00, v.masks[1] = 0x03E0, v.masks[2] = 0x001F;
  } else {
    v.masks[0] = 0xFF0000, v.masks[1] = 0xFF00, v.masks[2] = 0xFF;
  }
  v.table = h + offset;
  v.table_entries = uint32_t((image.header_size - offset) / 4);
  return true;
}

// A mask's value scaled to 0..255.
uint8_t Channel(uint32_t value, uint32_t mask) {
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  uint32_t top = mask >> shift;
  uint32_t v = (value & mask) >> shift;
  return uint8_t(uint64_t(v) * 255 / top);
}

void PutIndex(const DibView& v, uint32_t index, uint8_t* out) {
  if (index < v.table_entries) {
    out[0] = v.table[4 * index + 2];
    out[1] = v.table[4 * index + 1];
    out[2] = v.table[4 * index];
  } else {
    out[0] = out[1] = out[2] = 0;
  }
}

// Expands RLE8/RLE4 bits into one index per pixel, bottom row first; pixels the data
// leaves out stay index 0.
std::vector<uint8_t> ExpandRunLength(const DibView& v, const uint8_t* data, size_t size) {
  std::vector<uint8_t> indices(size_t(v.width) * size_t(v.rows), 0);
  const bool four = v.compression == kBiRle4;
  int64_t x = 0, y = 0;
  size_t p = 0;
  auto put = [&](uint8_t value) {
    if (x < v.width && y < v.rows) indices[size_t(y) * size_t(v.width) + size_t(x)] = value;
    ++x;
  };
  while (p + 1 < size && y < v.rows) {
    uint8_t n = data[p], c = data[p + 1];
    p += 2;
    if (n > 0) {
      for (int i = 0; i < n; ++i) put(four ? ((i & 1) ? c & 0x0F : c >> 4) : c);
      continue;
    }
    if (c == 0) {  // end of line
      x = 0;
      ++y;
    } else if (c == 1) {  // end of bitmap
      break;
    } else if (c == 2) {  // delta
      if (p + 1 >= size) break;
      x += data[p];
      y += data[p + 1];
      p += 2;
    } else {  // absolute run of c pixels, padded to a whole word
      size_t bytes = four ? (size_t(c) + 1) / 2 : c;
      if (bytes > size - p) break;
      for (int i = 0; i < c; ++i) put(four ? ((i & 1) ? data[p + i / 2] & 0x0F : data[p + i / 2] >> 4) : data[p + i]);
      p += (bytes + 1) & ~size_t(1);
    }
  }
  return indices;
}

}  // namespace

uint64_t ImagePaintBytes(const LoadedImage& image) {
  DibView v;
  if (!ViewOf(image, v) || v.compression == kBiRle8 || v.compression == kBiRle4) return 0;
  return uint64_t(v.row_bytes) * uint64_t(v.rows);
}

bool RenderImage(const LoadedImage& image, RgbPicture& picture) {
  DibView v;
  if (!ViewOf(image, v)) return false;
  int32_t width = image.width > 0 && image.width <= v.width ? image.width : v.width;
  picture.width = width;
  picture.height = v.rows;
  picture.rgb.assign(size_t(width) * size_t(v.rows) * 3, 0);
  if (v.compression == kBiRle8 || v.compression == kBiRle4) {
    std::vector<uint8_t> indices = ExpandRunLength(v, image.pixels, image.pixel_size);
    for (int32_t y = 0; y < v.rows; ++y) {
      const uint8_t* src = &indices[size_t(v.rows - 1 - y) * size_t(v.width)];
      for (int32_t x = 0; x < width; ++x) PutIndex(v, src[x], &picture.rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]);
    }
    return true;
  }
  if (ImagePaintBytes(image) > image.pixel_size) return false;
  for (int32_t y = 0; y < v.rows; ++y) {
    int32_t stored = v.top_down ? y : v.rows - 1 - y;
    const uint8_t* src = image.pixels + size_t(stored) * v.row_bytes;
    uint8_t* out = &picture.rgb[size_t(y) * size_t(width) * 3];
    for (int32_t x = 0; x < width; ++x, out += 3) {
      switch (v.bits) {
        case 1: PutIndex(v, (src[x / 8] >> (7 - x % 8)) & 1, out); break;
        case 4: PutIndex(v, (x & 1) ? src[x / 2] & 0x0F : src[x / 2] >> 4, out); break;
        case 8: PutIndex(v, src[x], out); break;
        case 24:
          out[0] = src[3 * x + 2], out[1] = src[3 * x + 1], out[2] = src[3 * x];
          break;
        case 16:
        case 32: {
          uint32_t value = v.bits == 16 ? get_le16(src + 2 * x) : get_le32(src + 4 * x);
          for (int c = 0; c < 3; ++c) out[c] = Channel(value, v.masks[c]);
          break;
        }
        default: return false;
      }
    }
  }
  return true;
}
