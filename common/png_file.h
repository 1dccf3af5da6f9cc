#pragma once
// PNG pictures for the `zel` host, its demo programs and the tests (native build only),
// written through libpng.
#include <cstdint>
#include <string>

// Writes width x height 8-bit RGB pixels, top row first, as a PNG file. False when the
// file cannot be written, with the reason in *error when given.
bool write_rgb_png(const std::string& path, int width, int height, const uint8_t* rgb,
                   std::string* error = nullptr);
