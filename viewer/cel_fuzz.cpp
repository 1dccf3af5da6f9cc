// Fuzz target: the input as a CEL file through the viewer's CEL load sequence.
#include "viewer/fuzz_load.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  viewer_fuzz::LoadAndCheck(kImageCel, data, size);
  return 0;
}
