#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "viewer/image.h"

// What painting the held image shows, as plain RGB: the DIB drawn through its colour table
// (or its masks), `image.width` columns (the width the file declared; the stride's extra
// columns are left out), top row first. Run-length bits are expanded for the picture only.

// Bytes painting reads from the pixel block of an uncompressed DIB: the row size (rounded
// to 4 bytes) times the rows. 0 for run-length bits (their decoder stops at the block's
// end) or when no image is held.
uint64_t ImagePaintBytes(const LoadedImage& image);

struct RgbPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgb;  // width x height x 3, top row first
};

// False when no image is held or the held header cannot be drawn.
bool RenderImage(const LoadedImage& image, RgbPicture& picture);
