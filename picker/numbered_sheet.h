#pragma once
// A sheet of 30 numbered stamps, 320 x 200 pixels, made without any outside file: each stamp
// a patterned field of its own colour with its number on a white label, the unused sixth row
// light grey. The tests, the `zel stamps` command and the demo open the picker on it.
#include <array>
#include <cstdint>
#include <vector>

#include "picker/stamp_sheet.h"

namespace picker {

struct SheetPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::array<PaletteColour, kColourCount> palette{};
  std::vector<uint8_t> top_down;  // colour indices, top row first
};

SheetPicture numbered_sheet();

// Pixel columns [first, end) of column `column` and rows of row `row` in the 6 x 6 grid of
// 320/6 x 200/6 cells (the pixels whose top-left corner lies in the cell).
struct CellSpan {
  int32_t first, end;
};
CellSpan cell_columns(int32_t column);
CellSpan cell_rows(int32_t row);

}  // namespace picker
