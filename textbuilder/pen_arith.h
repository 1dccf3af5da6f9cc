#pragma once
#include <cstdint>

// The interpreter's pen arithmetic, which the builder's model coordinates share: sums and
// products wrap modulo 2^32 (defined, unlike signed overflow), and a double becomes an
// int32 by truncation, saturating at the range (NaN gives 0).
inline int32_t wrap_add(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }
inline int32_t wrap_mul(int32_t a, int32_t b) { return int32_t(uint32_t(a) * uint32_t(b)); }

inline int32_t trunc_to_int32(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return int32_t(v);
}
