// Fuzz target: the input as a TGA file through the viewer's TGA load sequence.
#include "viewer/fuzz_load.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  viewer_fuzz::LoadAndCheck(kImageTga, data, size);
  return 0;
}
