#pragma once
#include "effects/effect_frame.h"

// spring: squeezes the model along y towards its minimum y, lets it spring part of the way
// back, then stretches and throws it along y by an amount set as "Compression %".
// Parameter string "8 <compression>".
const EffectPlugin& spring_plugin();

// The compression the dialog shows and the next new string carries: 75 when the library is
// loaded, then whatever an old string or the dialog field gave.
int32_t spring_compression();
void spring_set_compression(int32_t value);

// Characters of the dialog field taken on Ok.
constexpr int kSpringFieldChars = 2;

// The scale along y for a phase, and the throw g (both rounded to float).
struct SpringScale {
  float l;
  float g;
};
SpringScale spring_scale(float phase, int32_t compression);

// One frame with the given compression. A phase that is not a finite number leaves the model
// alone.
void spring_vertices(const EffectInfo& info, int32_t compression, EffectVertex* vertices);
