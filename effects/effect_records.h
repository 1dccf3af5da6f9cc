#pragma once
#include <cstddef>
#include <cstdint>

// The host's records for one frame of an effect. Both are laid out byte for byte as the host
// passes them; neither holds a pointer, so the layout is the same in every build.

// One frame: vertex count, the model's bounding box and the effect's progress value.
struct EffectInfo {
  int32_t vertex_count;
  int32_t unused0;
  int32_t min_x, min_y, min_z;
  int32_t max_x, max_y, max_z;
  uint8_t unused1[12];
  float phase;
};

// One entry of the vertex array, in the bounding box's coordinate space.
struct EffectVertex {
  float x, y, z;
};

static_assert(sizeof(EffectInfo) == 48, "EffectInfo is 48 bytes");
static_assert(offsetof(EffectInfo, min_x) == 8, "bounding box starts at offset 8");
static_assert(offsetof(EffectInfo, min_z) == 16, "minimum z at offset 16");
static_assert(offsetof(EffectInfo, max_x) == 20, "maximum x at offset 20");
static_assert(offsetof(EffectInfo, max_z) == 28, "maximum z at offset 28");
static_assert(offsetof(EffectInfo, phase) == 44, "phase at offset 44");
static_assert(sizeof(EffectVertex) == 12, "EffectVertex is three floats");
