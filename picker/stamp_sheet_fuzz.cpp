// Fuzz target: the input as a stamp sheet file, read from memory and through a FILE. Both
// readers must agree, and a sheet they load must be whole: width x height pixels, every
// one drawable through the header block and palette.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "common/bytes.h"
#include "picker/stamp_sheet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  picker::StampSheet from_memory, from_file;
  const picker::SheetResult r = picker::sheet_parse(data, size, &from_memory);
  FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (size > 0 && f) {
    if (picker::sheet_read(f, &from_file) != r) std::abort();
    std::fclose(f);
    if (from_file.pixels != from_memory.pixels) std::abort();
  }
  if (r != picker::SheetResult::kLoaded) {
    if (!from_memory.pixels.empty() || from_memory.width != 0) std::abort();
    return 0;
  }
  const picker::StampSheet& s = from_memory;
  if (s.width <= 0 || s.height <= 0 || s.width % 4 != 0) std::abort();
  if (s.pixels.size() != size_t(s.width) * size_t(s.height)) std::abort();
  if (get_le32(s.header.data() + picker::kOffClrUsed) > 256) std::abort();
  // The four corners, as a paint reads them.
  static volatile unsigned sink;
  for (int32_t y : {int32_t(0), s.height - 1})
    for (int32_t x : {int32_t(0), s.width - 1}) sink = sink + s.colour_at(x, y).red;
  return 0;
}
