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

TEST(Shake, TopMovesByAQuarterOfTheWidthAtAQuarterPhase) {
  for (float phase : {0.25f, 0.75f}) {
    EffectVertex v[kColumn];
    column(v);
    shake_vertices(column_box(phase), v);
    const float a = phase == 0.25f ? 10.0f : -10.0f;  // 40 * 0.25, +x then -x
    EXPECT_EQ(v[0].x, -20.0f) << "the bottom stays";
    EXPECT_EQ(v[1].x, 20.0f);
    EXPECT_NEAR(v[6].x, -20.0f + a, 1e-5) << phase;
    EXPECT_NEAR(v[7].x, 20.0f + a, 1e-5) << phase;
    // The sway grows with the square of the height: a quarter up moves a sixteenth.
    EXPECT_NEAR(v[2].x, -20.0f + a / 16, 1e-5);
    EXPECT_NEAR(v[4].x, -20.0f + a / 4, 1e-5);
    EffectVertex rest[kColumn];
    column(rest);
    for (int i = 0; i < kColumn; ++i) {
      EXPECT_EQ(v[i].y, rest[i].y);
      EXPECT_EQ(v[i].z, rest[i].z);
    }
  }
}

TEST(Shake, WholeAndHalfPeriodsLeaveTheModelInPlace) {
  // The period constant is 6.2831852, a little short of 2*pi: the sine at phases 0.5, 1 and
  // 2 is of the order of 1e-7, so the top may shift by a unit in the last place of a float,
  // against 10 at a quarter phase. At phase 0 the sine is exactly 0.
  for (float phase : {0.0f, 0.5f, 1.0f, 2.0f}) {
    EffectVertex v[kColumn], rest[kColumn];
    column(v);
    column(rest);
    shake_vertices(column_box(phase), v);
    for (int i = 0; i < kColumn; ++i) {
      if (phase == 0.0f)
        EXPECT_EQ(v[i].x, rest[i].x) << "vertex " << i;
      else
        EXPECT_NEAR(v[i].x, rest[i].x, 5e-6) << phase << " vertex " << i;
    }
  }
}

TEST(Shake, AFlatModelAndANonNumericPhaseLeaveEveryVertexAsItWas) {
  EffectVertex v[kColumn];
  column(v);
  EffectInfo flat = column_box(0.25f);
  flat.max_z = flat.min_z;  // no height: the sway would divide by zero
  shake_vertices(flat, v);
  EffectInfo nan_phase = column_box(NAN);
  shake_vertices(nan_phase, v);
  EffectVertex rest[kColumn];
  column(rest);
  for (int i = 0; i < kColumn; ++i) {
    EXPECT_TRUE(std::isfinite(v[i].x));
    EXPECT_EQ(v[i].x, rest[i].x);
  }
}

TEST(Shake, AnExtremeBoxDoesNotOverflowTheHeight) {
  EffectInfo info = column_box(0.25f);
  info.min_z = INT32_MIN;
  info.max_z = INT32_MAX;
  EffectVertex v[1] = {{0.0f, 0.0f, float(INT32_MAX)}};
  info.vertex_count = 1;
  shake_vertices(info, v);
  EXPECT_NEAR(v[0].x, 10.0f, 1e-3);  // at the top: a quarter of the width
}
