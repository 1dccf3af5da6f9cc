#pragma once
// Deterministic moving pictures for the AVI writer's tests, benchmark and demo: 15-bit
// colour frames (red bits 10-14, green 5-9, blue 0-4), top row first.
#include <cstddef>
#include <cstdint>
#include <vector>

enum class SceneKind {
  Gradient,  // smooth colour ramps that drift: thousands of colours
  Shapes,    // a few flat shapes moving over a flat ground: 8 colours
  Mixed,     // a ramp, moving shapes and a patch of noise
};

// Frame number `frame` of a scene, width x height pixels, top row first.
std::vector<uint16_t> scene_frame(SceneKind kind, int width, int height, int frame);

// A fixed 256-colour palette (8 reds x 8 greens x 4 blues, as 5-bit levels) as RGBQUADs
// of 8-bit components (5-bit value x 8), and the index of a 15-bit colour in it.
std::vector<uint8_t> scene_palette();
uint8_t scene_palette_index(uint16_t colour);

// A scene frame mapped to the fixed palette as DIB bits: rows bottom-up, `stride` bytes
// apart (padding bytes 0).
std::vector<uint8_t> scene_bits(SceneKind kind, int width, int height, int stride, int frame);
