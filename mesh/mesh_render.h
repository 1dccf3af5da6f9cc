#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "mesh/mesh_model.h"

// A picture of the model's faces without any 3D program: an offscreen OSMesa render in
// each face's colour, seen at a three-quarter view from the front-left and above (the
// front being +X, the side a left-to-right text is read from; with `from_back`, -X, the side
// a right-to-left text is read from) and lit from the front-left, the whole mesh fitted
// into the picture.

// RGB pixels, top row first; empty on failure.
std::vector<uint8_t> mesh_render(const MeshModel& m, int width, int height, std::string* error, bool from_back = false);

// mesh_render written as an 8-bit RGB PNG.
bool mesh_render_png(const MeshModel& m, const std::string& path, int width, int height, std::string* error,
                     bool from_back = false);
