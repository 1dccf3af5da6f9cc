#include "textures/swatch.h"

#include <cmath>
#include <cstdio>

namespace {

// The stand-in host's services: a dimple bends the normal toward the cell centre (a pit),
// and the normal is made unit length again.
void ZEL_CDECL swatch_make_vector(float* out, float dx, float dy, float dz) {
  out[0] = -dx, out[1] = -dy, out[2] = -dz;
}

void ZEL_CDECL swatch_finish_normal(float* n) {
  float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (length > 0.0f)
    for (int i = 0; i < 3; ++i) n[i] /= length;
}

const TextureServices kSwatchServices = {nullptr, swatch_make_vector, nullptr, nullptr, nullptr,
                                         swatch_finish_normal};

uint8_t clamp_byte(float v) { return uint8_t(v < 0.0f ? 0.0f : v > 255.0f ? 255.0f : v + 0.5f); }

}  // namespace

SwatchPicture render_swatch(int (*procedure)(const TextureSample&), const SwatchOptions& o) {
  SwatchPicture pic;
  pic.width = pic.height = o.size;
  pic.rgb.resize(size_t(o.size) * size_t(o.size) * 3);
  const float light[3] = {-0.48f, 0.58f, 0.66f};
  const float disc = 0.92f;
  for (int py = 0; py < o.size; ++py)
    for (int px = 0; px < o.size; ++px) {
      uint8_t* rgb = &pic.rgb[(size_t(py) * size_t(o.size) + size_t(px)) * 3];
      float sx = ((float(px) + 0.5f) / float(o.size) * 2.0f - 1.0f) / disc;
      float sy = (1.0f - (float(py) + 0.5f) / float(o.size) * 2.0f) / disc;
      float r2 = sx * sx + sy * sy;
      if (r2 >= 1.0f) {  // background: a quiet checker board
        uint8_t g = ((px / 16 + py / 16) & 1) ? 236 : 222;
        rgb[0] = rgb[1] = rgb[2] = g;
        continue;
      }
      float normal[3] = {sx, sy, std::sqrt(1.0f - r2)};
      float colour[3] = {-1.0f, -1.0f, -1.0f};
      TextureSample s = {normal[0] * o.world_radius, normal[1] * o.world_radius, normal[2] * o.world_radius,
                         o.shader_colour, colour, normal, &kSwatchServices};
      procedure(s);
      ++pic.samples;
      float base[3] = {185.0f, 185.0f, 178.0f};
      if (colour[0] >= 0.0f) {
        ++pic.textured;
        for (int i = 0; i < 3; ++i) base[i] = colour[i];
      }
      float lambert = normal[0] * light[0] + normal[1] * light[1] + normal[2] * light[2];
      float shade = 0.22f + 0.78f * (lambert > 0.0f ? lambert : 0.0f);
      for (int i = 0; i < 3; ++i) rgb[i] = clamp_byte(base[i] * shade);
    }
  return pic;
}
