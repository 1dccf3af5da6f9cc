#include "textures/dots/dots.h"

#include <cstdio>

namespace {

DotsParameters g_dots = {0.4f, 1.0f, 1.0f, 1.0f};

int dots_format(char* out, size_t size) {
  const DotsParameters& p = g_dots;
  return std::snprintf(out, size, "%c %.2f %.2f %.2f %.2f", '#', double(p.radius), double(p.x_scale),
                       double(p.y_scale), double(p.z_scale));
}

const TextureLibrary g_library = {
    {&g_dots.radius, &g_dots.x_scale, &g_dots.y_scale, &g_dots.z_scale, nullptr},
    4,
    "%f %f %f %f",
    "%f",
    1,
    dots_format,
    true,
    {101, 102, 103, 104, 0},
    105,
    106,
    dots_procedure,
};

}  // namespace

DotsParameters& dots_parameters() { return g_dots; }
void dots_reset() { g_dots = {0.4f, 1.0f, 1.0f, 1.0f}; }
const TextureLibrary& dots_library() { return g_library; }

int dots_procedure(const TextureSample& s) {
  float dx = texture_cell_offset(s.x);
  float dy = texture_cell_offset(s.y);
  float dz = texture_cell_offset(s.z);
  if (!texture_inside(dx, dy, dz, g_dots.radius)) return 1;
  if (s.colour && s.shader_colour)
    for (int i = 0; i < 3; ++i) s.colour[i] = float(s.shader_colour[i]);
  return 1;
}
