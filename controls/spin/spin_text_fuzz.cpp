// Fuzz target: the value a press of the "Spin" control takes from its buddy's text. The
// first four bytes are the packed range, the next four the current value, the rest the
// buddy's text (at most the characters the control reads).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "controls/spin/spin_core.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint32_t packed = 0x00640000;  // 0..100
  int32_t current = 0;
  if (size >= 4) std::memcpy(&packed, data, 4);
  if (size >= 8) std::memcpy(&current, data + 4, 4);
  const size_t skip = size < 8 ? size : 8;
  std::string text(reinterpret_cast<const char*>(data) + skip, size - skip);
  if (text.size() > size_t(spin::kBuddyTextMax)) text.resize(size_t(spin::kBuddyTextMax));

  const spin::Range range = spin::unpack_range(packed);
  const int32_t value = spin::value_from_text(text, current, range);
  if (text.empty()) {
    if (value != current) std::abort();
    return 0;
  }
  if (range.minimum <= range.maximum) {
    if (value < range.minimum || value > range.maximum) std::abort();
    // What the control writes back into the buddy reads as the same value.
    if (spin::value_from_text(spin::value_text(value), current, range) != value) std::abort();
  }
  // The control steps from the value it read.
  for (spin::Half half : {spin::kUpper, spin::kLower})
    for (bool wrap : {false, true}) spin::step_value(value, half, range, wrap);
  return 0;
}
