#pragma once
#include <cstddef>
#include <cstdint>

#include "common/ui.h"

// The viewer's one image: a device-independent bitmap as Windows takes it (a 40-byte
// BITMAPINFOHEADER followed by its colour table, and the pixel rows bottom-up), plus the
// sizes the window scrolls by. The core fills it; the window program turns it into a
// logical palette and a device bitmap and paints it. Plain C++: no platform header here.

// The reader to use; the number is also the viewer's stored last-used type.
enum ImageKind : int32_t {
  kImageGif = 0,
  kImageTga = 1,
  kImageCel = 2,
  kImageBmp = 3,
};

constexpr size_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER

// Every field is empty (null / 0) when no image is held.
struct LoadedImage {
  uint8_t* header = nullptr;        // BITMAPINFOHEADER + RGBQUAD table (or the 3 BI_BITFIELDS masks)
  size_t header_size = 0;           // bytes in the header block
  uint8_t* colour_table = nullptr;  // header + 40 when the block holds a table, else null
  uint8_t* pixels = nullptr;        // the DIB rows, bottom row first, zero-filled before reading
  size_t pixel_size = 0;            // bytes in the pixel block
  int32_t width = 0;                // width the file declared (shown in the caption)
  int32_t height = 0;               // height in rows (biHeight as held; negative = top row first)
  int32_t stride = 0;               // GIF/TGA/CEL: (width + 3) / 4 * 4 pixels, written to biWidth
};

// Upper-cases the name in place, then: ".GIF" anywhere -> GIF; else ".CEL" -> CEL; else
// ".TGA" -> TGA; else BMP (".DIB", ".BMP", ".RLE" and every other name).
ImageKind ImageKindOf(char* name);

// The whole load sequence of one kind for the file `name`, with its boxes through `ui`.
// True when an image is now held. The previous image is released by the load (an invalid
// TGA leaves it in place). After a true result the window program builds the palette
// (BuildImagePalette), makes the device bitmap (warning kCouldNotCreateBitmap through
// WarnFormatted when it cannot) and shows the image.
bool LoadImageOfKind(ImageKind kind, char* name, LoadedImage& image, const UiTable& ui);
bool LoadGif(char* name, LoadedImage& image, const UiTable& ui);
bool LoadTga(char* name, LoadedImage& image, const UiTable& ui);
bool LoadCel(char* name, LoadedImage& image, const UiTable& ui);
bool LoadBmp(char* name, LoadedImage& image, const UiTable& ui);

// Frees the header and pixel blocks and empties every field. The window program deletes
// its palette and device bitmap itself.
void ReleaseImage(LoadedImage& image);

// The logical palette of the held image: the colour table's entries (count = low 16 bits
// of biClrUsed, or 2/16/256 for 1/4/8 bits), the fixed 8 x 8 x 4 palette for a 24-bit
// image without a table, else none (count 0). Never more than 256 entries, never more than
// the header block holds.
struct PaletteEntry {
  uint8_t red, green, blue;
};
struct ImagePalette {
  int32_t count = 0;  // 0: no palette
  PaletteEntry entries[256];
};
ImagePalette BuildImagePalette(const LoadedImage& image);

// Width and height the window scrolls over: the low 16 bits of biWidth and of the
// magnitude of biHeight (a top-down bitmap scrolls like a bottom-up one). 0 x 0 when no
// image is held.
struct ImageExtent {
  int32_t width = 0;
  int32_t height = 0;
};
ImageExtent ImageExtentOf(const LoadedImage& image);

// The fields of the held header, for the caption ("View (NAME WxHxBITS)") and painting.
int32_t ImageHeaderWidth(const LoadedImage& image);   // biWidth
int32_t ImageHeaderHeight(const LoadedImage& image);  // biHeight
int32_t ImageBitCount(const LoadedImage& image);      // biBitCount

// Warning boxes: exclamation icon and OK. Formatted ones carry the system's default caption
// (a null caption), are built in a 128-byte buffer and cut to fit; plain ones carry the
// caption "Viewer".
constexpr size_t kWarningBufferSize = 128;
void WarnFormatted(const UiTable& ui, const char* text);
void WarnPlain(const UiTable& ui, const char* text);
constexpr const char* kCouldNotCreateBitmap = "Could not create bitmap";
