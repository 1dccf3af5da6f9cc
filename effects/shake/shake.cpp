#include "effects/shake/shake.h"

#include <cmath>
#include <cstdio>

#include "effects/effect_maths.h"

namespace {

// Not quite 2*pi: the period the effect has always used.
constexpr long double kShakeTurn = 6.2831852;

void shake_format(char* out, size_t size) { std::snprintf(out, size, "9"); }

void shake_preview(const char*, const EffectInfo& info, EffectVertex* vertices) {
  shake_vertices(info, vertices);
}

const EffectPlugin kShake = {"shake", nullptr, shake_format, shake_preview, {0, 0, nullptr, nullptr}};

}  // namespace

const EffectPlugin& shake_plugin() { return kShake; }

void shake_vertices(const EffectInfo& info, EffectVertex* vertices) {
  if (!std::isfinite(info.phase)) return;
  const long double height = box_extent(info.min_z, info.max_z);
  const float h = to_float(height * height);
  // The sway grows with the square of the height above the bottom; without height there is
  // nothing to divide by, and the model stays where it is.
  if (h == 0.0f) return;
  const float a = to_float(box_extent(info.min_x, info.max_x) * 0.25L *
                           effect_sine(static_cast<long double>(info.phase) * kShakeTurn));
  const long double min_z = info.min_z;
  for (int32_t i = 0; i < info.vertex_count; ++i) {
    EffectVertex& v = vertices[i];
    const long double d = v.z - min_z;
    v.x = to_float(v.x + d * (d / h * a));
  }
}
