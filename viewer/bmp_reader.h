#pragma once
#include <cstdint>

// BMP, DIB and RLE files are taken over as stored: the header block holds a 40-byte
// BITMAPINFOHEADER and the colour table (or the three BI_BITFIELDS masks), the pixel block
// the bits from the file's offset to the bits (run-length bits stay compressed). Other
// header versions are carried over into that form:
//  - the 12-byte core header becomes a 40-byte header, its 3-byte colours 4-byte entries;
//  - the larger headers (64 to 124 bytes) give their first 40 bytes, biSize set to 40,
//    and their masks when the bits are BI_BITFIELDS.
// Files that Windows could not draw from such a block are refused (" is NOT a valid BMP
// file"): unknown header sizes, compressions other than none/RLE8/RLE4/bit fields,
// depths other than 1/4/8/16/24/32, RLE with the wrong depth or top-down, bit fields not
// at 16 or 32 bits, more than 256 colours, a side beyond 65535 pixels (the window's
// extents are 16 bits), empty sizes, or a pixel block beyond the largest a load asks for.

enum BmpCompression : uint32_t { kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3 };
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kLargestHeaderSize = 124;
constexpr int32_t kLargestSide = 65535;
