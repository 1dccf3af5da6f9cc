#pragma once
// A grid of sample points run through a texture after Startup and Morph, written as one
// text line per point with every float as its bit pattern. The native tests produce it from
// the core; the Wine tests produce it through the real DLL exports; both compare it with
// testdata/grid_figures.txt.
#include <cstdint>
#include <string>

#include "textures/texture_services.h"

// How a grid reaches one texture library.
struct GridTexture {
  const char* name;  // "dimple" or "dots"
  void (*startup)(const char* params);
  void (*morph)(const char* other, float t);
  void (*procedure)(float* normal, float x, float y, float z, const uint8_t* shader_colour, float* colour,
                    const TextureServices* services);
};

// The figures of one library for every case of the grid.
std::string grid_figures(const GridTexture& texture);

// The figures file beside this source, and the whole expected text of it.
std::string grid_figures_path(const char* testdata_dir);
bool read_text_file(const std::string& path, std::string* text);
