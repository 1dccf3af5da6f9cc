#include "animation/frameset/testing/frame_series.h"

#include <cstdio>

namespace {

uint16_t rgb(int r, int g, int b) {
  auto c = [](int v) { return v < 0 ? 0 : v > 31 ? 31 : v; };
  return uint16_t((c(r) << 10) | (c(g) << 5) | c(b));
}

uint32_t hash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

void shapes(std::vector<uint16_t>& px, int w, int h, long n, bool rich = false) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      px[size_t(y) * w + x] = rich ? rgb(x * 32 / (w ? w : 1), y * 32 / (h ? h : 1), (x / 3 + y / 2) % 32)
                                   : rgb(x * 8 / (w ? w : 1), y * 12 / (h ? h : 1), 6);
  auto rect = [&](int x0, int y0, int rw, int rh, uint16_t c) {
    for (int y = y0; y < y0 + rh; ++y)
      for (int x = x0; x < x0 + rw; ++x)
        if (x >= 0 && y >= 0 && x < w && y < h) px[size_t(y) * w + x] = c;
  };
  int s = w / 8 + 2;
  rect(int((n * 7) % (w + s)) - s, h / 5, s, s, rgb(31, 4, 4));
  rect(w - int((n * 5) % (w + s)), h / 2, s + 3, s / 2 + 1, rgb(4, 31, 8));
  int cx = w / 2 + int((n * 3) % (w / 3 + 1)) - w / 6, cy = h - h / 4, r = s / 2 + 2;
  for (int y = cy - r; y <= cy + r; ++y)
    for (int x = cx - r; x <= cx + r; ++x)
      if (x >= 0 && y >= 0 && x < w && y < h && (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r)
        px[size_t(y) * w + x] = rgb(20 + (x - cx) * 10 / (r + 1), 20, 31 - (y - cy + r) * 8 / (2 * r + 1));
  for (int y = 0; y < h; ++y)
    for (int x = w - 3 > 0 ? w - 3 : 0; x < w; ++x) px[size_t(y) * w + x] = rgb((y / 4 + int(n)) % 32, 12, 24);
}

}  // namespace

std::vector<uint16_t> SceneFrame(Scene scene, int w, int h, long n) {
  std::vector<uint16_t> px(size_t(w) * size_t(h));
  switch (scene) {
    case Scene::Still:
      shapes(px, w, h, 0);
      break;
    case Scene::MovingShapes:
      shapes(px, w, h, n);
      break;
    case Scene::RichShapes:
      shapes(px, w, h, n, true);
      break;
    case Scene::Gradient:
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          px[size_t(y) * w + x] = rgb((x + int(n) * 3) * 32 / (w + 1) % 32, y * 32 / (h + 1), (x + y + int(n)) / 4 % 32);
      break;
    case Scene::Noise:
      for (size_t i = 0; i < px.size(); ++i) px[i] = uint16_t(hash(uint32_t(i) * 2654435761U + uint32_t(n) * 97) & 0x7FFF);
      break;
    case Scene::Cut:
      if (n % 3 == 2)
        return SceneFrame(Scene::Noise, w, h, n);
      shapes(px, w, h, n);
      break;
  }
  return px;
}

bool WriteFrameSeries(const SeriesPlan& series, std::vector<uint32_t>* histogram) {
  if (histogram->size() < 32768) histogram->resize(32768, 0);
  for (long n = series.first; n < series.first + series.count; ++n) {
    std::vector<uint16_t> px = SceneFrame(series.scene, series.width, series.height, n);
    for (uint16_t v : px) ++(*histogram)[v];
    if (!WriteFramePixels(FrameFileName(series.prefix.c_str(), n), series.width, series.height, px, series.coding))
      return false;
  }
  return true;
}

