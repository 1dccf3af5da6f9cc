#include "viewer/tga_reader.h"

#include <cstring>
#include <vector>

#include "common/bytes.h"
#include "viewer/reader_file.h"

namespace {

// The header fields the reader uses (the first-entry index and the origin are not).
struct TgaHeader {
  int id_length, map_type, image_type;
  long map_length;
  int map_entry_bits;
  long width, height;
  int depth, descriptor;
};

// Reads the 18 header bytes; false at an early end of the file.
bool ReadHeader(ImageFile& f, TgaHeader& h) {
  uint8_t b[18];
  if (f.read(b, sizeof b) != sizeof b) return false;
  h.id_length = b[0];
  h.map_type = b[1];
  h.image_type = b[2];
  h.map_length = get_le16(b + 5);
  h.map_entry_bits = b[7];
  h.width = get_le16(b + 12);
  h.height = get_le16(b + 14);
  h.depth = b[16];
  h.descriptor = b[17];
  return true;
}

int PixelBytes(int depth) { return depth == 16 ? 2 : depth == 24 ? 3 : 4; }

// One stored pixel (little-endian, `bytes` long) as blue, green, red.
inline void ToBgr(const uint8_t* in, int bytes, uint8_t* out) {
  if (bytes == 2) {
    unsigned v = unsigned(in[0]) | (unsigned(in[1]) << 8);
    out[0] = uint8_t((v & 0x1F) << 3);
    out[1] = uint8_t(((v >> 5) & 0x1F) << 3);
    out[2] = uint8_t(((v >> 10) & 0x1F) << 3);
  } else {
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
  }
}

// Writes finished rows of the row buffer into the pixel block, honouring the origin.
struct RowSink {
  LoadedImage& image;
  bool top_first;
  int32_t rows_done = 0;
  void put(const uint8_t* row) {
    if (rows_done >= image.height) return;
    int32_t target = top_first ? image.height - 1 - rows_done : rows_done;
    std::memcpy(image.pixels + size_t(target) * size_t(image.stride) * 3, row, size_t(image.width) * 3);
    ++rows_done;
  }
};

bool ReadUncompressed(ImageFile& f, const TgaHeader& h, RowSink& sink, std::vector<uint8_t>& row) {
  int bytes = PixelBytes(h.depth);
  std::vector<uint8_t> stored(size_t(h.width) * size_t(bytes));
  for (long r = 0; r < h.height; ++r) {
    if (f.read(stored.data(), stored.size()) != stored.size()) return false;
    for (long x = 0; x < h.width; ++x) ToBgr(&stored[size_t(x) * size_t(bytes)], bytes, &row[size_t(x) * 3]);
    sink.put(row.data());
  }
  return true;
}

// Packets may run across row ends; a packet that reaches past the last pixel of the image
// is cut there (the excess is dropped).
bool ReadRunLength(ImageFile& f, const TgaHeader& h, RowSink& sink, std::vector<uint8_t>& row) {
  int bytes = PixelBytes(h.depth);
  const uint64_t total = uint64_t(h.width) * uint64_t(h.height);
  const size_t row_bytes = size_t(h.width) * 3;
  uint64_t done = 0;
  size_t at = 0;  // byte position in the row buffer
  uint8_t stored[4];
  uint8_t bgr[3];
  std::vector<uint8_t> raw(128 * 4);  // one raw packet's stored pixels
  while (done < total) {
    int packet = f.get8();
    if (packet < 0) return false;
    uint64_t count = uint64_t(packet & 0x7F) + 1;
    if (count > total - done) count = total - done;
    if (packet < 128) {
      size_t raw_bytes = size_t(count) * size_t(bytes);
      if (f.read(raw.data(), raw_bytes) != raw_bytes) return false;
      for (uint64_t i = 0; i < count; ++i) {
        ToBgr(&raw[size_t(i) * size_t(bytes)], bytes, &row[at]);
        at += 3;
        if (at == row_bytes) {
          sink.put(row.data());
          at = 0;
        }
      }
    } else {
      if (f.read(stored, size_t(bytes)) != size_t(bytes)) return false;
      ToBgr(stored, bytes, bgr);
      for (uint64_t i = 0; i < count; ++i) {
        std::memcpy(&row[at], bgr, 3);
        at += 3;
        if (at == row_bytes) {
          sink.put(row.data());
          at = 0;
        }
      }
    }
    done += count;
  }
  return true;
}

}  // namespace

int ReadTga(const char* name, bool probe, LoadedImage& image) {
  ImageFile f;
  if (!f.open(name)) return 0;
  TgaHeader h;
  if (!ReadHeader(f, h)) return 0;
  if (h.image_type != 2 && h.image_type != 10) return 0;
  if (!f.skip(uint64_t(h.id_length))) return 0;
  if (h.map_type == 1 && h.map_length > 0 && !f.skip(uint64_t(h.map_length) * uint64_t((h.map_entry_bits + 7) / 8)))
    return 0;
  // An image without pixels has nothing to show.
  if (h.width == 0 || h.height == 0) return 0;
  if (probe) {
    image.width = int32_t(h.width);
    image.height = int32_t(h.height);
    return 1;
  }
  if (h.width != image.width || h.height != image.height || !image.pixels) return 0;
  std::vector<uint8_t> row(size_t(h.width) * 3);
  if (h.descriptor & 0xC0) return 0;
  RowSink sink{image, (h.descriptor & 0x20) != 0};
  bool ok = h.image_type == 2 ? ReadUncompressed(f, h, sink, row) : ReadRunLength(f, h, sink, row);
  return ok ? 1 : 0;
}
