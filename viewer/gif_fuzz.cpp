// Fuzz target: the input as a GIF file through the viewer's GIF load sequence.
#include "viewer/fuzz_load.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  viewer_fuzz::LoadAndCheck(kImageGif, data, size);
  return 0;
}
