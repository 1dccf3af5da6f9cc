#pragma once
#include "viewer/image.h"
#include "viewer/reader_file.h"

// The CEL reader: the plain layout (magic 0x9119: 32-byte header, 768-byte palette of
// 0..63 components, width x height index bytes top row first) and the FLC layout's first
// frame (colour chunks 4 and 11, byte-run chunk 15, copy chunk 16).
//
// probe: set image.width and image.height and fill the colour tables (components 0..255).
// Full read (probe false): fill image.pixels, allocated by the caller for image.stride x
// image.height bytes. 1 on success, 0 on failure.
int ReadCel(const char* name, bool probe, LoadedImage& image, ColourTables& tables);

constexpr uint16_t kCelMagic = 0x9119;
constexpr uint16_t kFlcMagic = 0xAF12;
constexpr uint16_t kFlcFrameType = 0xF1FA;
