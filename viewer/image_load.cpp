// The load sequences of the GIF, TGA and CEL kinds (BMP: bmp_reader.cpp).
#include "viewer/image_load.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "common/bytes.h"
#include "common/message_box.h"
#include "viewer/cel_reader.h"
#include "viewer/gif_reader.h"
#include "viewer/tga_reader.h"

namespace {

constexpr const char* kOutOfMemory = "Out of memory";

// Header block of an 8-bit kind: 256 entries from the colour tables.
void FillIndexedTable(LoadedImage& image, const ColourTables& tables) {
  for (int i = 0; i < 256; ++i) {
    uint8_t* q = image.colour_table + 4 * i;
    q[0] = tables.blue[i];
    q[1] = tables.green[i];
    q[2] = tables.red[i];
    q[3] = 0;
  }
}

// The header block (with room for `colours` entries) and the pixel block of an image of
// the probed size; false (the box shown, nothing held) when either cannot be had.
bool AllocateBlocks(LoadedImage& image, int bits, uint32_t colours, const UiTable& ui) {
  image.stride = StrideOf(image.width);
  uint64_t bytes = uint64_t(image.stride) * uint64_t(image.height) * uint64_t(bits / 8);
  if (!AllocateHeader(image, colours * 4)) {
    WarnFormatted(ui, kOutOfMemory);
    return false;
  }
  FillMadeHeader(image, bits, bytes <= 0xFFFFFFFFu ? uint32_t(bytes) : 0, colours);
  if (!AllocatePixels(image, bytes)) {
    WarnFormatted(ui, kOutOfMemory);
    ReleaseImage(image);
    return false;
  }
  return true;
}

// The blocks of an 8-bit kind, its colour table filled from the tables; false (and the box
// shown) on failure.
bool PrepareIndexed(LoadedImage& image, const ColourTables& tables, const UiTable& ui) {
  if (!AllocateBlocks(image, 8, 256, ui)) return false;
  FillIndexedTable(image, tables);
  return true;
}

bool LoadGifChecked(char* name, LoadedImage& image, const UiTable& ui) {
  ReleaseImage(image);
  ColourTables tables{};
  int16_t probed = ReadGif(name, true, image, tables);
  // A file whose blocks end before an image descriptor (or whose image is empty) has
  // nothing to show: it is not taken for a GIF file.
  if (probed != kGifProbed) {
    ReleaseImage(image);
    WarnNotValid(ui, name, " is NOT a valid GIF file");
    return false;
  }
  if (!PrepareIndexed(image, tables, ui)) return false;
  if (ReadGif(name, false, image, tables) < 0) {
    WarnPlain(ui, "Error reading GIF file");
    ReleaseImage(image);
    return false;
  }
  return true;
}

bool LoadTgaChecked(char* name, LoadedImage& image, const UiTable& ui) {
  // The probe comes first: a file that is not a TGA file leaves the held image in place.
  LoadedImage probe;
  if (!ReadTga(name, true, probe)) {
    WarnNotValid(ui, name, " is NOT a valid TGA file type");
    return false;
  }
  ReleaseImage(image);
  image.width = probe.width;
  image.height = probe.height;
  if (!AllocateBlocks(image, 24, 0, ui)) return false;
  if (!ReadTga(name, false, image)) {
    WarnFormatted(ui, "Error reading TGA file");
    ReleaseImage(image);
    return false;
  }
  return true;
}

bool LoadCelChecked(char* name, LoadedImage& image, const UiTable& ui) {
  ReleaseImage(image);
  ColourTables tables{};
  if (!ReadCel(name, true, image, tables)) {
    ReleaseImage(image);
    WarnNotValid(ui, name, " is NOT a valid CEL file");
    return false;
  }
  if (!PrepareIndexed(image, tables, ui)) return false;
  if (!ReadCel(name, false, image, tables)) {
    WarnPlain(ui, "Error reading CEL file");
    ReleaseImage(image);
    return false;
  }
  return true;
}

// No exception leaves a loader: a container that cannot grow is an allocation failure.
template <typename Load>
bool Guarded(Load load, char* name, LoadedImage& image, const UiTable& ui) {
  try {
    return load(name, image, ui);
  } catch (const std::bad_alloc&) {
    ReleaseImage(image);
    WarnFormatted(ui, kOutOfMemory);
    return false;
  }
}

}  // namespace

void WarnNotValid(const UiTable& ui, const char* name, const char* suffix) {
  char buffer[kWarningBufferSize];
  const size_t suffix_length = std::strlen(suffix);
  const size_t room = sizeof buffer - 1 - suffix_length - 2;  // for the name and its quotes
  const size_t length = std::strlen(name);
  size_t at = 0;
  buffer[at++] = '\'';
  if (length <= room) {
    std::memcpy(buffer + at, name, length);
    at += length;
  } else {
    std::memcpy(buffer + at, "...", 3);
    std::memcpy(buffer + at + 3, name + length - (room - 3), room - 3);
    at += room;
  }
  buffer[at++] = '\'';
  std::memcpy(buffer + at, suffix, suffix_length + 1);
  ui_message(ui, buffer, nullptr, mb::Ok | mb::IconExclamation);
}

bool AllocateHeader(LoadedImage& image, size_t extra) {
  image.header = static_cast<uint8_t*>(std::calloc(kInfoHeaderSize + extra, 1));
  if (!image.header) return false;
  image.header_size = kInfoHeaderSize + extra;
  image.colour_table = extra ? image.header + kInfoHeaderSize : nullptr;
  return true;
}

bool AllocatePixels(LoadedImage& image, uint64_t bytes) {
  if (bytes > kMaxPixelBytes) return false;
  // A block of 0 bytes is still a block (calloc may answer null for it).
  image.pixels = static_cast<uint8_t*>(std::calloc(bytes ? size_t(bytes) : 1, 1));
  if (!image.pixels) return false;
  image.pixel_size = size_t(bytes);
  return true;
}

void FillMadeHeader(LoadedImage& image, int bits, uint32_t size_image, uint32_t colours) {
  uint8_t* h = image.header;
  put_le32(h, uint32_t(kInfoHeaderSize));
  put_le32(h + 4, uint32_t(image.stride));
  put_le32(h + 8, uint32_t(image.height));
  put_le16(h + 12, 1);
  put_le16(h + 14, uint16_t(bits));
  put_le32(h + 16, 0);
  put_le32(h + 20, size_image);
  put_le32(h + 24, 0);
  put_le32(h + 28, 0);
  put_le32(h + 32, colours);
  put_le32(h + 36, colours);
}

bool LoadGif(char* name, LoadedImage& image, const UiTable& ui) { return Guarded(LoadGifChecked, name, image, ui); }
bool LoadTga(char* name, LoadedImage& image, const UiTable& ui) { return Guarded(LoadTgaChecked, name, image, ui); }
bool LoadCel(char* name, LoadedImage& image, const UiTable& ui) { return Guarded(LoadCelChecked, name, image, ui); }
