#include "picker/stamp_grid.h"

namespace picker {

int32_t stamp_at(uint32_t x, uint32_t y) {
  if (x >= uint32_t(kGridWidth) || y >= uint32_t(kGridHeight)) return kNoStamp;
  const uint32_t column = x * kColumns / kGridWidth, row = y * kColumns / kGridHeight;  // cells of a 6 x 6 grid
  const int32_t stamp = int32_t(row * kColumns + column + 1);
  return stamp > kStampCount ? kNoStamp : stamp;
}

Press press_at(uint32_t lparam) {
  const int32_t stamp = stamp_at(lparam & 0xFFFF, lparam >> 16);
  return Press{stamp, stamp == kNoStamp};
}

bool system_command_refused(uint32_t wparam) {
  const uint32_t command = wparam & 0xFFF0;
  return command == kScSize || command == kScMinimize || command == kScMaximize;
}

}  // namespace picker
