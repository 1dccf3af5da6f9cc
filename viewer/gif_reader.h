#pragma once
#include <cstdint>

#include "viewer/image.h"
#include "viewer/reader_file.h"

// The GIF reader: the first image of a GIF 87a/89a file, as 8-bit indices, rows in stored
// order (interlaced rows are not reordered), colours kept to their upper six bits.
//
// The LZW decoder decodes into one stream buffer of the image's size (instead of a row
// buffer) so that, while its table is sound, a string is copied from where it stood in the
// stream rather than walked through the prefix chain; a damaged table (a code beyond the
// next free slot) falls back to the chain walk until the next clear code.

// Results of ReadGif. Callers treat any negative result as failure.
enum GifResult : int16_t {
  kGifEnded = 0,           // every other end (a full read that decoded, or no image found)
  kGifProbed = 1,          // the probe reached an image descriptor and set width and height
  kGifCannotOpen = -1,
  kGifNoMemory = -2,        // no memory for the decoding buffers (full read)
  kGifBadSignature = -3,
  kGifNoColourTable = -4,
  kGifTooLarge = -5,       // wider or taller than kGifMaxSide
  kGifChanged = -6,        // the full read met another size than the probe (the file changed)
};
constexpr int32_t kGifMaxSide = 1024;

// probe: read up to the first image descriptor, set image.width and image.height and fill
// the colour tables (the global table's components, their lower two bits cleared). Full read (probe false): the same, then decode the raster into
// image.pixels (allocated by the caller for image.stride x image.height bytes).
int16_t ReadGif(const char* name, bool probe, LoadedImage& image, ColourTables& tables);
