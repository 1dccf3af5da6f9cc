// Fuzz target: the input as a BMP file through the viewer's BMP load sequence.
#include "viewer/fuzz_load.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  viewer_fuzz::LoadAndCheck(kImageBmp, data, size);
  return 0;
}
