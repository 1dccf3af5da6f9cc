#include "animation/avi/test_scene.h"

namespace {

uint16_t rgb15(int r, int g, int b) {
  auto clamp = [](int v) { return v < 0 ? 0 : v > 31 ? 31 : v; };
  return uint16_t(clamp(r) << 10 | clamp(g) << 5 | clamp(b));
}

uint32_t noise(uint32_t x, uint32_t y, uint32_t f) {
  uint32_t h = x * 374761393u + y * 668265263u + f * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

uint16_t gradient(int x, int y, int w, int h, int f) {
  int r = (x * 31 * 4 / (w > 1 ? w : 1) + f) % 62;
  int g = (y * 31 * 4 / (h > 1 ? h : 1) + 2 * f) % 62;
  int b = ((x + y) * 31 / (w + h > 0 ? w + h : 1) + f / 2) % 32;
  return rgb15(r > 31 ? 62 - r : r, g > 31 ? 62 - g : g, b);
}

uint16_t shapes(int x, int y, int w, int h, int f) {
  static const uint16_t kColours[8] = {rgb15(2, 4, 12), rgb15(31, 0, 0),   rgb15(0, 31, 0),
                                       rgb15(31, 31, 0), rgb15(0, 0, 31),  rgb15(31, 31, 31),
                                       rgb15(16, 8, 24), rgb15(31, 16, 0)};
  int cx = (f * 3) % (w + 40) - 20, cy = h / 2;
  int rad = h / 5 + 2;
  if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < rad * rad) return kColours[1];
  int rx = w - 1 - (f * 2) % (w + 30), ry = h / 6;
  if (x >= rx && x < rx + w / 5 + 3 && y >= ry && y < ry + h / 4 + 3) return kColours[2 + (f / 10) % 4];
  if (y > h * 3 / 4 && ((x / 8 + y / 8) & 1)) return kColours[6];
  if (x > (w * 2) / 3 && y < h / 8 + (f % 7)) return kColours[7];
  return kColours[0];
}

}  // namespace

std::vector<uint16_t> scene_frame(SceneKind kind, int width, int height, int frame) {
  std::vector<uint16_t> out(size_t(width) * size_t(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint16_t v = 0;
      switch (kind) {
        case SceneKind::Gradient: v = gradient(x, y, width, height, frame); break;
        case SceneKind::Shapes: v = shapes(x, y, width, height, frame); break;
        case SceneKind::Mixed:
          v = shapes(x, y, width, height, frame);
          if (v == shapes(0, 0, 1, 1, 0) && y < height / 2) v = gradient(x, y, width, height, frame);
          if (x < width / 4 && y > height / 2) v = uint16_t(noise(uint32_t(x), uint32_t(y), uint32_t(frame)) & 0x7FFF);
          break;
      }
      out[size_t(y) * size_t(width) + size_t(x)] = v;
    }
  return out;
}

std::vector<uint8_t> scene_palette() {
  std::vector<uint8_t> pal(1024);
  for (int i = 0; i < 256; ++i) {
    int r = (i >> 5) & 7, g = (i >> 2) & 7, b = i & 3;
    pal[size_t(4 * i)] = uint8_t((b * 31 / 3) * 8);
    pal[size_t(4 * i + 1)] = uint8_t((g * 31 / 7) * 8);
    pal[size_t(4 * i + 2)] = uint8_t((r * 31 / 7) * 8);
  }
  return pal;
}

uint8_t scene_palette_index(uint16_t c) {
  int r = (c >> 10) & 31, g = (c >> 5) & 31, b = c & 31;
  return uint8_t(((r * 7 + 15) / 31) << 5 | ((g * 7 + 15) / 31) << 2 | ((b * 3 + 15) / 31));
}

std::vector<uint8_t> scene_bits(SceneKind kind, int width, int height, int stride, int frame) {
  std::vector<uint16_t> px = scene_frame(kind, width, height, frame);
  std::vector<uint8_t> bits(size_t(stride) * size_t(height), 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bits[size_t(height - 1 - y) * size_t(stride) + size_t(x)] = scene_palette_index(px[size_t(y) * size_t(width) + size_t(x)]);
  return bits;
}
