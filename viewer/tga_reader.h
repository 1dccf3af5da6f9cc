#pragma once
#include "viewer/image.h"

// The TGA reader: uncompressed (type 2) and run-length (type 10) true-colour files of 16,
// 24 or 32 bits per pixel, either origin, as 24-bit bottom-up rows (blue, green, red).
//
// probe: check the header, pass over the image ID and colour map, set image.width and
// image.height. Full read (probe false): fill image.pixels, allocated by the caller for
// image.stride x image.height x 3 bytes. 1 on success, 0 on failure.
int ReadTga(const char* name, bool probe, LoadedImage& image);
