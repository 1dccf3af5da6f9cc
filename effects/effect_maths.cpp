#include "effects/effect_maths.h"

#include <cmath>

namespace {

// pi/2 split so that n * kHalfPiHigh is exact for the small n left after reduction.
constexpr long double kHalfPiHigh = 1.570796326734125614166259765625L;
constexpr long double kHalfPiLow = 6.0771005065061926014751442098584699e-11L;
constexpr long double kTwoPi = 6.2831853071795864769252867665590058L;
constexpr long double kTwoOverPi = 0.63661977236758134307553505349005745L;

// Taylor coefficients 1/3!, 1/5!, ... 1/21! and 1/2!, 1/4!, ... 1/22!. On |r| <= pi/4 the
// terms left out are below 2^-70 of the result.
constexpr long double kSin[] = {
    1.0L / 6.0L,
    1.0L / 120.0L,
    1.0L / 5040.0L,
    1.0L / 362880.0L,
    1.0L / 39916800.0L,
    1.0L / 6227020800.0L,
    1.0L / 1307674368000.0L,
    1.0L / 355687428096000.0L,
    1.0L / 121645100408832000.0L,
    1.0L / 51090942171709440000.0L,
};
constexpr long double kCos[] = {
    1.0L / 2.0L,
    1.0L / 24.0L,
    1.0L / 720.0L,
    1.0L / 40320.0L,
    1.0L / 3628800.0L,
    1.0L / 479001600.0L,
    1.0L / 87178291200.0L,
    1.0L / 20922789888000.0L,
    1.0L / 6402373705728000.0L,
    1.0L / 2432902008176640000.0L,
    1.0L / 1124000727777607680000.0L,
};

// Alternating series sum_k (-1)^(k+1) c[k] r2^k by Horner's rule.
long double alternating(const long double* c, int n, long double r2) {
  long double p = 0.0L;
  for (int k = n - 1; k >= 0; --k) p = (k % 2 == 0 ? -c[k] : c[k]) + r2 * p;
  return p;
}

long double sine_kernel(long double r) {
  const long double r2 = r * r;
  return r + r * (r2 * alternating(kSin, 10, r2));
}

long double cosine_kernel(long double r) {
  const long double r2 = r * r;
  return 1.0L + r2 * alternating(kCos, 11, r2);
}

}  // namespace

long double effect_sine(long double x) {
  if (!std::isfinite(x)) return x - x;
  // fmodl is exact, so every build gets the same remainder.
  if (std::fabs(x) > kTwoPi) x = std::fmod(x, kTwoPi);
  // Now |x| <= 2pi: the nearest multiple of pi/2 is at most 4 away.
  long double q = x * kTwoOverPi;
  int n = static_cast<int>(q + (q < 0 ? -0.5L : 0.5L));
  long double r = (x - n * kHalfPiHigh) - n * kHalfPiLow;
  switch (n & 3) {
    case 0: return sine_kernel(r);
    case 1: return cosine_kernel(r);
    case 2: return -sine_kernel(r);
    default: return -cosine_kernel(r);
  }
}
