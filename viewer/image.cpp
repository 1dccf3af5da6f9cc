#include "viewer/image.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/bytes.h"
#include "common/message_box.h"

ImageKind ImageKindOf(char* name) {
  for (char* p = name; *p; ++p) *p = char(std::toupper(static_cast<unsigned char>(*p)));
  if (std::strstr(name, ".GIF")) return kImageGif;
  if (std::strstr(name, ".CEL")) return kImageCel;
  if (std::strstr(name, ".TGA")) return kImageTga;
  return kImageBmp;
}

bool LoadImageOfKind(ImageKind kind, char* name, LoadedImage& image, const UiTable& ui) {
  switch (kind) {
    case kImageGif: return LoadGif(name, image, ui);
    case kImageTga: return LoadTga(name, image, ui);
    case kImageCel: return LoadCel(name, image, ui);
    case kImageBmp: return LoadBmp(name, image, ui);
  }
  return false;
}

void ReleaseImage(LoadedImage& image) {
  std::free(image.header);
  std::free(image.pixels);
  image = LoadedImage{};
}

int32_t ImageHeaderWidth(const LoadedImage& image) {
  return image.header && image.header_size >= kInfoHeaderSize ? int32_t(get_le32(image.header + 4)) : 0;
}
int32_t ImageHeaderHeight(const LoadedImage& image) {
  return image.header && image.header_size >= kInfoHeaderSize ? int32_t(get_le32(image.header + 8)) : 0;
}
int32_t ImageBitCount(const LoadedImage& image) {
  return image.header && image.header_size >= kInfoHeaderSize ? get_le16(image.header + 14) : 0;
}

ImageExtent ImageExtentOf(const LoadedImage& image) {
  ImageExtent e;
  if (!image.header || image.header_size < kInfoHeaderSize) return e;
  int64_t w = ImageHeaderWidth(image);
  int64_t h = ImageHeaderHeight(image);
  if (w < 0) w = -w;
  if (h < 0) h = -h;
  e.width = int32_t(w & 0xFFFF);
  e.height = int32_t(h & 0xFFFF);
  return e;
}

ImagePalette BuildImagePalette(const LoadedImage& image) {
  ImagePalette p;
  if (!image.header || image.header_size < kInfoHeaderSize || get_le32(image.header) != kInfoHeaderSize) return p;
  uint32_t used = get_le32(image.header + 32) & 0xFFFF;
  int bits = get_le16(image.header + 14);
  uint32_t count = used ? used : bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
  if (count > 0) {
    // Never more than a logical palette holds, nor than the block carries.
    // The table stands behind the three masks of a BI_BITFIELDS header.
    size_t offset = kInfoHeaderSize + (get_le32(image.header + 16) == 3 ? 12 : 0);
    size_t held = image.header_size > offset ? (image.header_size - offset) / 4 : 0;
    if (count > 256) count = 256;
    if (count > held) count = uint32_t(held);
    const uint8_t* table = image.header + offset;
    for (uint32_t i = 0; i < count; ++i) p.entries[i] = PaletteEntry{table[4 * i + 2], table[4 * i + 1], table[4 * i]};
    p.count = int32_t(count);
    return p;
  }
  if (bits == 24) {
    for (int i = 0; i < 256; ++i)
      p.entries[i] = PaletteEntry{uint8_t((i % 8) * 32), uint8_t(((i / 8) % 8) * 32), uint8_t((i / 64) * 64)};
    p.count = 256;
  }
  return p;
}

void WarnFormatted(const UiTable& ui, const char* text) {
  char buffer[kWarningBufferSize];
  std::snprintf(buffer, sizeof buffer, "%s", text);
  ui_message(ui, buffer, nullptr, mb::Ok | mb::IconExclamation);
}

void WarnPlain(const UiTable& ui, const char* text) {
  ui_message(ui, text, "Viewer", mb::Ok | mb::IconExclamation);
}
