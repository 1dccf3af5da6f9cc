#pragma once
#include <cstdint>

// Arithmetic shared by the effects. Intermediates are long double (the 80-bit x87 format in
// both builds); the values the effects name as floats go through to_float, which really
// rounds even where the compiler would keep a float in an x87 register.

inline float to_float(long double v) {
  volatile float f = static_cast<float>(v);
  return f;
}

// Sine in extended precision from +, -, *, / and an exact fmod, so that both builds compute
// the same bits whatever their maths libraries do. Non-finite arguments give NaN.
long double effect_sine(long double x);

// The difference of two box bounds, exact (no 32-bit overflow).
inline long double box_extent(int32_t lo, int32_t hi) {
  return static_cast<long double>(int64_t(hi) - int64_t(lo));
}
