#include "effects/shake/shake.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A column 40 wide (x from -20 to 20) and 100 high (z from 10 to 110), sampled at the
// bottom, a quarter, the middle and the top, at both sides.
constexpr int kColumn = 8;

EffectInfo column_box(float phase) {
  EffectInfo info{};
  info.vertex_count = kColumn;
  info.min_x = -20;
  info.max_x = 20;
  info.min_y = 0;
  info.max_y = 5;
  info.min_z = 10;
  info.max_z = 110;
  info.phase = phase;
  return info;
}

void column(EffectVertex* v) {
  const float z[4] = {10, 35, 60, 110};
  for (int i = 0; i < 4; ++i) {
    v[2 * i] = {-20.0f, 2.0f, z[i]};
    v[2 * i + 1] = {20.0f, 3.0f, z[i]};
  }
}

}  // namespace

// The top sways by a quarter of the width at a quarter phase (+x, then -x at three quarters)
// and the sway grows with the square of the height: a quarter up moves a sixteenth. The
// period constant is 6.2831852, a little short of 2*pi: the sine at phases 0.5, 1 and 2 is of
// the order of 1e-7, so the top may shift by a unit in the last place of a float; at phase 0
// the sine is exactly 0. Only x moves.
TEST(Shake, TopMovesByAQuarterOfTheWidthAtAQuarterPhaseAndNotAtWholeOrHalfPeriods) {
  const float share[4] = {0.0f, 1.0f / 16, 0.25f, 1.0f};
  for (float phase : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f, 2.0f}) {
    const float top = phase == 0.25f ? 10.0f : phase == 0.75f ? -10.0f : 0.0f;
    const double tolerance = phase == 0.0f ? 0.0 : top != 0.0f ? 1e-5 : 5e-6;
    EffectVertex v[kColumn], rest[kColumn];
    column(v);
    column(rest);
    shake_vertices(column_box(phase), v);
    for (int i = 0; i < kColumn; ++i) {
      EXPECT_NEAR(v[i].x, rest[i].x + top * share[i / 2], tolerance) << phase << " vertex " << i;
      EXPECT_EQ(v[i].y, rest[i].y);
      EXPECT_EQ(v[i].z, rest[i].z);
    }
  }
}

// A flat model would divide by a zero height; a phase that is no number would make NaNs;
// an extreme box must not overflow the height.
TEST(Shake, FlatModelsNonNumericPhasesAndExtremeBoxes) {
  EffectVertex v[kColumn], rest[kColumn];
  column(v);
  column(rest);
  EffectInfo flat = column_box(0.25f);
  flat.max_z = flat.min_z;
  shake_vertices(flat, v);
  shake_vertices(column_box(NAN), v);
  for (int i = 0; i < kColumn; ++i) EXPECT_EQ(v[i].x, rest[i].x) << i;

  EffectInfo huge = column_box(0.25f);
  huge.min_z = INT32_MIN;
  huge.max_z = INT32_MAX;
  huge.vertex_count = 1;
  EffectVertex top[1] = {{0.0f, 0.0f, float(INT32_MAX)}};
  shake_vertices(huge, top);
  EXPECT_NEAR(top[0].x, 10.0f, 1e-3);  // at the top: a quarter of the width
}
