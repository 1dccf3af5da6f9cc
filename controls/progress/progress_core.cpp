#include "controls/progress/progress_core.h"

#include <cstdio>

namespace progress {

BarValues bar_values(uint32_t range, uint32_t position) {
  BarValues v{range & 0xFFFFu, position & 0xFFFFu};
  if (v.range == 0) v = {1, 0};
  return v;
}

std::string percent_text(uint32_t range, uint32_t position) {
  const BarValues v = bar_values(range, position);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%u%%", unsigned(v.position * 100u / v.range));
  return buf;
}

int fill_right(uint32_t range, uint32_t position, int width) {
  if (width <= 0) return 0;
  const BarValues v = bar_values(range, position);
  const int64_t right = int64_t(width) * v.position / v.range;
  return right > width ? width : int(right);
}

BarLayout layout_bar(uint32_t range, uint32_t position, int width, int height, int text_height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  const int fill = fill_right(range, position, width);
  BarLayout out;
  out.text = percent_text(range, position);
  out.text_x = width / 2;
  out.text_y = (height - text_height) / 2;
  out.filled = {0, 0, fill, height};
  out.empty = {fill, 0, width, height};
  return out;
}

}  // namespace progress
