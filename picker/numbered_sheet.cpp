#include "picker/numbered_sheet.h"

#include <cstdio>

#include "picker/stamp_grid.h"

namespace picker {

namespace {

constexpr uint8_t kBlack = 0, kWhite = 1, kEmptyRow = 2, kPerforation = 3;
constexpr uint8_t kStampBase = 10;  // stamp n: light 10 + 2(n-1), dark 11 + 2(n-1)

// Digits 0-9 in a 3 x 5 font, one row of three bits per entry, most significant bit left.
const uint8_t kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};
constexpr int kScale = 3;  // each font dot is 3 x 3 pixels
constexpr int kDigitWidth = 3 * kScale, kDigitHeight = 5 * kScale, kDigitGap = kScale;

PaletteColour hue(int step, int of, int value) {
  // A colour wheel of `of` steps at brightness `value`, through six sextants.
  const int h = step * 6 * 256 / of;
  const int sextant = h / 256, f = h % 256;
  const int rise = value * f / 256, fall = value * (255 - f) / 256;
  const int low = value / 4;
  auto c = [&](int r, int g, int b) { return PaletteColour{uint8_t(r), uint8_t(g), uint8_t(b)}; };
  switch (sextant) {
    case 0: return c(value, low + rise * 3 / 4, low);
    case 1: return c(low + fall * 3 / 4, value, low);
    case 2: return c(low, value, low + rise * 3 / 4);
    case 3: return c(low, low + fall * 3 / 4, value);
    case 4: return c(low + rise * 3 / 4, low, value);
    default: return c(value, low, low + fall * 3 / 4);
  }
}

bool pattern_dark(int stamp, int x, int y) {
  switch ((stamp - 1) % 5) {
    case 0: return false;
    case 1: return (y / 3) % 2 == 0;
    case 2: return (x / 3) % 2 == 0;
    case 3: return ((x / 4) + (y / 4)) % 2 == 0;
    default: return ((x + y) / 3) % 2 == 0;
  }
}

// Pixels [first, end) of cell `i` of a side of `length` pixels cut in kColumns cells: those
// whose top-left corner lies in the cell.
struct CellSpan {
  int32_t first, end;
};
CellSpan cell_span(int32_t length, int32_t i) {
  return CellSpan{(length * i + kColumns - 1) / kColumns, (length * (i + 1) + kColumns - 1) / kColumns};
}

}  // namespace

SheetPicture numbered_sheet() {
  SheetPicture s;
  s.width = kGridWidth;
  s.height = kGridHeight;
  for (size_t i = 0; i < kColourCount; ++i)  // a ramp fills the entries the stamps leave
    s.palette[i] = PaletteColour{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)};
  s.palette[kBlack] = {0, 0, 0};
  s.palette[kWhite] = {255, 255, 255};
  s.palette[kEmptyRow] = {212, 212, 212};
  s.palette[kPerforation] = {96, 96, 96};
  for (int n = 1; n <= kStampCount; ++n) {
    s.palette[kStampBase + 2 * (n - 1)] = hue(n - 1, kStampCount, 240);
    s.palette[kStampBase + 2 * (n - 1) + 1] = hue(n - 1, kStampCount, 150);
  }
  s.top_down.assign(size_t(s.width) * size_t(s.height), kEmptyRow);
  auto put = [&](int x, int y, uint8_t c) { s.top_down[size_t(y) * size_t(s.width) + size_t(x)] = c; };

  for (int row = 0; row < kStampCount / kColumns; ++row)
    for (int column = 0; column < kColumns; ++column) {
      const int stamp = row * kColumns + column + 1;
      const CellSpan xs = cell_span(kGridWidth, column), ys = cell_span(kGridHeight, row);
      const uint8_t light = uint8_t(kStampBase + 2 * (stamp - 1)), dark = uint8_t(light + 1);
      for (int y = ys.first; y < ys.end; ++y)
        for (int x = xs.first; x < xs.end; ++x) {
          const bool edge = x == xs.first || x == xs.end - 1 || y == ys.first || y == ys.end - 1;
          if (edge)  // a perforated white edge
            put(x, y, (x + y) % 2 ? kWhite : kPerforation);
          else
            put(x, y, pattern_dark(stamp, x - xs.first, y - ys.first) ? dark : light);
        }
      // The number on a white label in the middle of the stamp.
      char text[4];
      const int digits = std::snprintf(text, sizeof text, "%d", stamp);
      const int text_w = digits * kDigitWidth + (digits - 1) * kDigitGap;
      const int left = (xs.first + xs.end - text_w) / 2, top = (ys.first + ys.end - kDigitHeight) / 2;
      for (int y = top - 2; y < top + kDigitHeight + 2; ++y)
        for (int x = left - 3; x < left + text_w + 3; ++x) put(x, y, kWhite);
      for (int d = 0; d < digits; ++d) {
        const uint8_t* glyph = kDigits[text[d] - '0'];
        const int gx = left + d * (kDigitWidth + kDigitGap);
        for (int y = 0; y < kDigitHeight; ++y)
          for (int x = 0; x < kDigitWidth; ++x)
            if (glyph[y / kScale] & (4 >> (x / kScale))) put(gx + x, top + y, kBlack);
      }
    }
  return s;
}

}  // namespace picker
