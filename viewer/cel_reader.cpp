#include "viewer/cel_reader.h"

#include <cstring>
#include <vector>

#include "common/bytes.h"

namespace {

enum FlcChunk { kColour256 = 4, kColour64 = 11, kByteRun = 15, kCopy = 16 };
constexpr uint32_t kChunkHeader = 6;

uint8_t* PixelRow(LoadedImage& image, int32_t r) {
  return image.pixels + size_t(image.height - 1 - r) * size_t(image.stride);
}

// Colour packets; entries that would reach past index 255 are read and dropped.
bool ReadColourPackets(ImageFile& f, ColourTables& tables, int scale) {
  long packets = f.get16();
  if (packets < 0) return false;
  int index = 0;
  for (long p = 0; p < packets; ++p) {
    int skip = f.get8();
    int count = f.get8();
    if (skip < 0 || count < 0) return false;
    index += skip;
    if (count == 0) count = 256;
    for (int i = 0; i < count; ++i, ++index) {
      uint8_t rgb[3];
      if (f.read(rgb, 3) != 3) return false;
      if (index > 255) continue;
      tables.red[index] = uint8_t(rgb[0] * scale);
      tables.green[index] = uint8_t(rgb[1] * scale);
      tables.blue[index] = uint8_t(rgb[2] * scale);
    }
  }
  return true;
}

// Run-length rows; a run or copy that reaches past the row's end is cut there.
bool ReadByteRun(ImageFile& f, LoadedImage& image) {
  const int32_t width = image.width;
  std::vector<uint8_t> copy(128);
  for (int32_t r = 0; r < image.height; ++r) {
    uint8_t* out = PixelRow(image, r);
    if (f.get8() < 0) return false;  // the row's packet count, not used
    int32_t x = 0;
    while (x < width) {
      int b = f.get8();
      if (b < 0) return false;
      int n = int(int8_t(uint8_t(b)));
      if (n > 0) {
        int v = f.get8();
        if (v < 0) return false;
        int32_t take = n < width - x ? n : width - x;
        std::memset(out + x, v, size_t(take));
        x += n;
      } else {
        size_t len = size_t(-n);
        if (f.read(copy.data(), len) != len) return false;
        int32_t take = int32_t(len) < width - x ? int32_t(len) : width - x;
        std::memcpy(out + x, copy.data(), size_t(take));
        x += int32_t(len);
      }
    }
  }
  return true;
}

bool ReadRows(ImageFile& f, LoadedImage& image) {
  for (int32_t r = 0; r < image.height; ++r)
    if (f.read(PixelRow(image, r), size_t(image.width)) != size_t(image.width)) return false;
  return true;
}

bool ReadFlcFrame(ImageFile& f, const uint8_t* header, bool probe, LoadedImage& image, ColourTables& tables) {
  if (!f.seek(get_le32(header + 80))) return false;
  uint8_t frame[16];
  if (f.read(frame, sizeof frame) != sizeof frame || get_le16(frame + 4) != kFlcFrameType) return false;
  int chunks = int16_t(get_le16(frame + 6));
  for (int i = 0; i < chunks; ++i) {
    uint64_t start = f.tell();
    uint8_t chunk[kChunkHeader];
    if (f.read(chunk, sizeof chunk) != sizeof chunk) return false;
    uint32_t size = get_le32(chunk);
    uint16_t type = get_le16(chunk + 4);
    if (size < kChunkHeader) return false;  // cannot hold its own header
    switch (type) {
      case kColour256:
      case kColour64:
        if (!ReadColourPackets(f, tables, type == kColour64 ? 4 : 1)) return false;
        if (probe) return true;
        break;
      case kByteRun:
        if (!probe && !ReadByteRun(f, image)) return false;
        break;
      case kCopy:
        if (!probe && !ReadRows(f, image)) return false;
        break;
      default:
        break;
    }
    // The next chunk starts at this one's declared end, whatever its handler read.
    if (!f.seek(start + size)) return false;
  }
  return true;
}

}  // namespace

int ReadCel(const char* name, bool probe, LoadedImage& image, ColourTables& tables) {
  ImageFile f;
  if (!f.open(name)) return 0;
  uint8_t header[128];
  if (f.read(header, 32) != 32) return 0;
  int32_t width, height;
  bool plain = get_le16(header) == kCelMagic;
  if (plain) {
    width = int16_t(get_le16(header + 2));
    height = int16_t(get_le16(header + 4));
  } else {
    if (!f.seek(0) || f.read(header, sizeof header) != sizeof header || get_le16(header + 4) != kFlcMagic) return 0;
    width = get_le16(header + 8);
    height = get_le16(header + 10);
  }
  // Negative or empty sizes have nothing to show.
  if (width <= 0 || height <= 0) return 0;
  if (probe) {
    image.width = width;
    image.height = height;
  } else if (width != image.width || height != image.height || !image.pixels) {
    return 0;
  }
  if (!plain) return ReadFlcFrame(f, header, probe, image, tables) ? 1 : 0;

  uint8_t palette[768];
  if (f.read(palette, sizeof palette) != sizeof palette) return 0;
  for (int i = 0; i < 256; ++i) {
    tables.red[i] = uint8_t(palette[3 * i] * 4);
    tables.green[i] = uint8_t(palette[3 * i + 1] * 4);
    tables.blue[i] = uint8_t(palette[3 * i + 2] * 4);
  }
  if (probe) return 1;
  return ReadRows(f, image) ? 1 : 0;
}
