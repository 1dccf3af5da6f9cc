#include "effects/spring/spring.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "effects/effect_maths.h"

namespace {

constexpr int32_t kDefaultCompression = 75;

struct SpringState {
  int32_t compression = kDefaultCompression;
};
SpringState g_spring;

// An old string "8 <n>" sets the compression; without a number the current one stays.
void spring_read_old(const char* old) {
  int32_t value = 0;
  if (scan_word_then_number(old, &value)) g_spring.compression = value;
}

void spring_format(char* out, size_t size) {
  std::snprintf(out, size, "8 %ld", static_cast<long>(g_spring.compression));
}

// Per-frame calls read the compression from their own string and keep no state; a string
// without a number animates with the compression the library starts with.
void spring_preview(const char* params, const EffectInfo& info, EffectVertex* vertices) {
  int32_t compression = kDefaultCompression;
  scan_word_then_number(params, &compression);
  spring_vertices(info, compression, vertices);
}

// The dialog field shows the compression as an unsigned number.
uint32_t spring_field_shown() { return static_cast<uint32_t>(g_spring.compression); }

// Only the first characters count ("150" gives 15); an empty field keeps the compression.
void spring_field_accept(const char* text) {
  char taken[kSpringFieldChars + 1] = {};
  if (text) std::strncpy(taken, text, kSpringFieldChars);
  if (taken[0] != '\0') g_spring.compression = field_number(taken);
}

const EffectPlugin kSpring = {"spring", spring_read_old, spring_format, spring_preview,
                              {103, kSpringFieldChars, spring_field_shown, spring_field_accept}};

}  // namespace

const EffectPlugin& spring_plugin() { return kSpring; }
int32_t spring_compression() { return g_spring.compression; }
void spring_set_compression(int32_t value) { g_spring.compression = value; }

SpringScale spring_scale(float phase, int32_t compression) {
  const long double p = phase;
  const float g = to_float(compression / 75.0L * 4.0L * (p - 0.75L));
  float l;
  if (phase <= 0.5f)
    l = to_float(1.0L - p * (p * 2.0L));
  else if (phase <= 0.75f)
    l = to_float((p - 0.5L) * 1.5L + 0.5L);
  else
    l = to_float(2.0L - g);
  return SpringScale{l, g};
}

void spring_vertices(const EffectInfo& info, int32_t compression, EffectVertex* vertices) {
  if (!std::isfinite(info.phase)) return;
  const SpringScale s = spring_scale(info.phase, compression);
  const float h = to_float(box_extent(info.min_y, info.max_y));
  const long double min_y = info.min_y;
  const bool thrown = !(info.phase <= 0.75f);
  for (int32_t i = 0; i < info.vertex_count; ++i) {
    EffectVertex& v = vertices[i];
    long double y = min_y + (v.y - min_y) * s.l;
    if (thrown) y = y + static_cast<long double>(s.g) * h;
    v.y = to_float(y);
  }
}
