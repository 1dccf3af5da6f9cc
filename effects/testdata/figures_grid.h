#pragma once
// The sample grid whose results both builds must reproduce bit for bit: one box, a handful
// of vertices (inside, on and outside the box) and phases across and beyond one period.
#include <cstdint>

#include "effects/effect_records.h"

struct FigureCase {
  const char* library;  // "shake" or "spring"
  const char* params;
  uint32_t phase_bits;
  uint32_t out[24];  // x, y, z bits of the 8 vertices after the frame
};

constexpr int kFigureVertexCount = 8;

inline EffectInfo figure_box(float phase) {
  EffectInfo info{};
  info.vertex_count = kFigureVertexCount;
  info.min_x = -13;
  info.min_y = -7;
  info.min_z = 2;
  info.max_x = 29;
  info.max_y = 41;
  info.max_z = 57;
  info.phase = phase;
  return info;
}

inline void figure_vertices(EffectVertex* v) {
  const EffectVertex grid[kFigureVertexCount] = {
      {-13.0f, -7.0f, 2.0f},  {29.0f, 41.0f, 57.0f},   {8.25f, 17.5f, 29.5f},
      {0.1f, 0.2f, 0.3f},     {-40.5f, 90.0f, 80.75f}, {3.0f, -7.0f, 57.0f},
      {1e-3f, 33.3f, 12.34f}, {29.0f, 12.0f, -5.0f},
  };
  for (int i = 0; i < kFigureVertexCount; ++i) v[i] = grid[i];
}

// Phase bit patterns: 0, 0.1, 0.25, 1/3, 0.5, 0.6, 0.75, the float just above 0.75, 0.9, 1,
// 1.25, -0.4, 7.3, 1000.5.
constexpr uint32_t kFigurePhases[] = {0x00000000u, 0x3dcccccdu, 0x3e800000u, 0x3eaaaaabu,
                                      0x3f000000u, 0x3f19999au, 0x3f400000u, 0x3f400001u,
                                      0x3f666666u, 0x3f800000u, 0x3fa00000u, 0xbecccccdu,
                                      0x40e9999au, 0x447a2000u};

constexpr const char* kFigureParams[][2] = {
    {"shake", "9"}, {"spring", "8 75"}, {"spring", "8 0"}, {"spring", "8 150"}, {"spring", "8 -40"}};
