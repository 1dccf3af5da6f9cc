#include "effects/spring/spring.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

EffectInfo spring_box(float phase) {
  EffectInfo info{};
  info.vertex_count = 3;
  info.min_x = 0;
  info.max_x = 4;
  info.min_y = 10;
  info.max_y = 50;  // h = 40
  info.min_z = 0;
  info.max_z = 4;
  info.phase = phase;
  return info;
}

// Bottom, middle and top of the box.
void sample(EffectVertex* v) {
  v[0] = {1.0f, 10.0f, 2.0f};
  v[1] = {2.0f, 30.0f, 3.0f};
  v[2] = {3.0f, 50.0f, 1.0f};
}

const float kJustAbove = std::nextafter(0.75f, 1.0f);

}  // namespace

TEST(Spring, ScaleFollowsThePhase) {
  const struct {
    float phase;
    float l75, l0;
  } cases[] = {{0.0f, 1.0f, 1.0f},   {0.25f, 0.875f, 0.875f}, {0.5f, 0.5f, 0.5f},
               {0.75f, 0.875f, 0.875f}, {1.0f, 1.0f, 2.0f}};
  for (const auto& c : cases) {
    EXPECT_EQ(spring_scale(c.phase, 75).l, c.l75) << c.phase;
    EXPECT_EQ(spring_scale(c.phase, 0).l, c.l0) << c.phase;
  }
  // Just past 0.75 the model is thrown out to almost twice its extent.
  const SpringScale above = spring_scale(kJustAbove, 75);
  EXPECT_LT(above.l, 2.0f);
  EXPECT_GT(above.l, 1.999999f);
  EXPECT_GT(above.g, 0.0f);
  EXPECT_EQ(spring_scale(kJustAbove, 0).l, 2.0f);
  EXPECT_EQ(spring_scale(1.0f, 75).g, 1.0f);
  EXPECT_EQ(spring_scale(1.0f, 150).g, 2.0f);
}

TEST(Spring, VerticesMoveTowardsAndAwayFromTheBottomOnly) {
  const struct {
    float phase;
    int32_t compression;
    float middle, top;
  } cases[] = {
      {0.5f, 75, 20.0f, 30.0f},       // distances halved
      {0.25f, 75, 27.5f, 45.0f},      // 0.875 of them
      {1.0f, 75, 70.0f, 90.0f},       // full size, shifted by h = 40
      {1.0f, 0, 50.0f, 90.0f},        // twice the extent, no shift
      {kJustAbove, 0, 50.0f, 90.0f},  // likewise right after 0.75
  };
  for (const auto& c : cases) {
    EffectVertex v[3];
    sample(v);
    spring_vertices(spring_box(c.phase), c.compression, v);
    const float shift = c.phase == 1.0f && c.compression == 75 ? 40.0f : 0.0f;
    EXPECT_EQ(v[0].y, 10.0f + shift) << c.phase << " " << c.compression;
    EXPECT_EQ(v[1].y, c.middle) << c.phase << " " << c.compression;
    EXPECT_EQ(v[2].y, c.top) << c.phase << " " << c.compression;
    EXPECT_EQ(v[1].x, 2.0f);
    EXPECT_EQ(v[1].z, 3.0f);
  }
  // A phase that is no number would turn every y into NaN; the model stays as it is.
  for (float phase : {NAN, INFINITY}) {
    EffectVertex v[3];
    sample(v);
    spring_vertices(spring_box(phase), 75, v);
    EXPECT_EQ(v[2].y, 50.0f) << phase;
  }
}

TEST(Spring, FrameReadsTheCompressionFromItsOwnString) {
  EffectVertex a[3];
  EffectInfo info = spring_box(1.0f);
  spring_set_compression(0);  // the dialog's value plays no part in a frame
  for (const char* params : {"8 75", "8"}) {  // without a number: the starting compression, 75
    sample(a);
    effect_preview(spring_plugin(), params, &info, a);
    EXPECT_EQ(a[1].y, 70.0f) << params;
  }
  spring_set_compression(75);
}

// The dialog field takes two characters, an empty one keeps the value; an old string
// without a value keeps it too.
TEST(Spring, CompressionFromTheFieldAndFromOldStrings) {
  const EffectPlugin& spring = spring_plugin();
  const struct {
    const char* typed;
    const char* old;
    const char* written;
  } steps[] = {{"150", nullptr, "8 15"}, {"", nullptr, "8 15"}, {nullptr, "8", "8 15"},
               {"-9", nullptr, "8 -9"},  {"x1", nullptr, "8 0"}, {nullptr, "8 -120", "8 -120"}};
  spring_set_compression(75);
  for (const auto& step : steps) {
    if (step.typed) spring.field.accept(step.typed);
    if (step.old) spring.read_old(step.old);
    char out[kEffectStringSize];
    spring.format(out, sizeof out);
    EXPECT_STREQ(out, step.written) << (step.typed ? step.typed : step.old);
    if (step.typed && std::strcmp(step.typed, "-9") == 0) {
      EXPECT_EQ(spring.field.shown(), 4294967287u);  // shown unsigned
    }
  }
  spring_set_compression(75);
}
