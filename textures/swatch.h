#pragma once
// A texture swatch for the `zel` host: a lit sphere whose surface points go through a
// texture procedure exactly as the host's renderer sends them, saved as a PNG picture.
#include <cstdint>
#include <string>
#include <vector>

#include "textures/texture_frame.h"

struct SwatchOptions {
  int size = 256;                     // picture width and height in pixels
  uint8_t shader_colour[3] = {200, 60, 40};
  float world_radius = 2.2f;          // sphere radius in texture-space units
};

struct SwatchPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // top row first
  long textured = 0;          // sample points the texture coloured
  long samples = 0;           // sample points on the sphere
};

SwatchPicture render_swatch(int (*procedure)(const TextureSample&), const SwatchOptions& options);
