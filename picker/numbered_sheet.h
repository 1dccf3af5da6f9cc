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

}  // namespace picker
