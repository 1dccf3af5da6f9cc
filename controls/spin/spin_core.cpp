#include "controls/spin/spin_core.h"

#include <cstdio>

namespace spin {

Range unpack_range(uint32_t packed) {
  return {int32_t(packed & 0xFFFFu), int32_t(packed >> 16)};
}

Half half_at(int y, int height) { return y < height / 2 ? kUpper : kLower; }

int32_t step_value(int32_t value, Half half, Range range, bool wrap) {
  if (half == kUpper) {
    if (value < range.maximum) return value + 1;
    return wrap ? range.minimum : value;
  }
  if (half == kLower) {
    if (value > range.minimum) return value - 1;
    return wrap ? range.maximum : value;
  }
  return value;
}

int32_t value_from_text(const std::string& text, int32_t current, Range range) {
  if (text.empty()) return current;
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                             text[i] == '\v' || text[i] == '\f'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > int64_t(INT32_MAX) + 1) magnitude = int64_t(INT32_MAX) + 1;
  }
  int64_t v = negative ? -magnitude : magnitude;
  if (v > INT32_MAX) v = INT32_MAX;
  if (v > range.maximum) return range.maximum;
  if (v < range.minimum) return range.minimum;
  return int32_t(v);
}

std::string value_text(int32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%ld", long(value));
  return buf;
}

bool RepeatClock::due(uint32_t now) {
  if (int32_t(now - next_step) < 0) return false;
  next_step = now + kRepeatMs;
  return true;
}

namespace {

void raised(std::vector<Op>& ops, int l, int t, int r, int b) {
  ops.push_back({Op::Fill, Colour::Face, l, t, r, b});
  ops.push_back({Op::Line, Colour::White, l, t, l, b - 1});   // left edge, height - 1
  ops.push_back({Op::Line, Colour::White, l, t, r - 1, t});   // top edge, width - 1
  ops.push_back({Op::Line, Colour::Shadow, r - 1, t, r - 1, b});
  ops.push_back({Op::Line, Colour::Shadow, l, b - 1, r, b - 1});
}

void sunken(std::vector<Op>& ops, int l, int t, int r, int b) {
  ops.push_back({Op::Fill, Colour::Face, l, t, r, b});
  ops.push_back({Op::Line, Colour::Highlight, r, t, r, b});
  ops.push_back({Op::Line, Colour::Highlight, l, b, r, b});
  ops.push_back({Op::Line, Colour::Shadow, l, t, l, b});
  ops.push_back({Op::Line, Colour::Shadow, l, t, r, t});
}

}  // namespace

std::vector<Op> draw_ops(int height, int state) {
  std::vector<Op> ops;
  const int h = height < 0 ? 0 : height;
  const int s = h / 2;
  if (state == 1) sunken(ops, 1, 1, s, s); else raised(ops, 1, 1, s, s);
  if (state == -1) sunken(ops, 1, s + 1, s, h); else raised(ops, 1, s + 1, s, h);

  ops.push_back({Op::Frame, Colour::Black, 0, 0, s + 1, h});
  ops.push_back({Op::Line, Colour::Black, 0, s, s, s});

  const int p = state == 1 ? 1 : 0;
  const int q = state == -1 ? 1 : 0;
  const int up_x = s / 2 + p, up_y0 = (s - 5) / 2 + p;
  const int down_x = s / 2 + q, down_y0 = (s - 5) / 2 + s + q + 1;
  for (int i = 0; i < 5; ++i) ops.push_back({Op::Line, Colour::Black, up_x - i, up_y0 + i, up_x + i + 1, up_y0 + i});
  for (int i = 0; i < 5; ++i)
    ops.push_back({Op::Line, Colour::Black, down_x - i, down_y0 + 4 - i, down_x + i + 1, down_y0 + 4 - i});
  return ops;
}

}  // namespace spin
