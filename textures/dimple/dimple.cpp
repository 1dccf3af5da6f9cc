#include "textures/dimple/dimple.h"

#include <cstdio>

namespace {

DimpleParameters g_dimple = {0.3f, 1.5f, 1.0f, 1.0f, 1.0f};

int dimple_format(char* out, size_t size) {
  const DimpleParameters& p = g_dimple;
  return std::snprintf(out, size, "# %.2f %.2f  %.2f %.2f %.2f", double(p.radius), double(p.depth),
                       double(p.x_scale), double(p.y_scale), double(p.z_scale));
}

const TextureLibrary g_library = {
    {&g_dimple.radius, &g_dimple.depth, &g_dimple.x_scale, &g_dimple.y_scale, &g_dimple.z_scale},
    5,
    "%f %f  %f %f %f",
    "%f %f  %f %f %f",
    5,
    dimple_format,
    false,
    {107, 108, 102, 103, 104},
    105,
    101,
    dimple_procedure,
};

}  // namespace

DimpleParameters& dimple_parameters() { return g_dimple; }
void dimple_reset() { g_dimple = {0.3f, 1.5f, 1.0f, 1.0f, 1.0f}; }
const TextureLibrary& dimple_library() { return g_library; }

int dimple_procedure(const TextureSample& s) {
  const DimpleParameters& p = g_dimple;
  float u = s.x / p.x_scale;
  float v = s.y / p.y_scale;
  float w = s.z / p.z_scale;
  float dx = texture_cell_offset(u);
  float dy = texture_cell_offset(v);
  float dz = texture_cell_offset(w);
  if (!texture_inside(dx, dy, dz, p.radius)) return 1;
  if (s.colour && s.shader_colour)
    for (int i = 0; i < 3; ++i) s.colour[i] = float(s.shader_colour[i]);
  if (s.normal && s.services && s.services->make_vector) {
    float change[3] = {0.0f, 0.0f, 0.0f};
    s.services->make_vector(change, dx, dy, dz);
    for (int i = 0; i < 3; ++i) {
      float scaled = change[i] * p.depth;
      s.normal[i] = s.normal[i] + scaled;
    }
    if (s.services->finish_normal) s.services->finish_normal(s.normal);
  }
  return 1;
}
