#pragma once
// The AVI writer's export sequence: the frame set's palette and frame loop, each index
// frame flipped into an 8-bit bottom-up bitmap and written to a Microsoft Video 1 stream
// at 15 frames per second through the Video for Windows operations.
#include <cstdint>

#include "animation/frameset/frameset.h"
#include "common/ui.h"

// The export's twelve arguments (the unused `reserved` and the status window aside: the
// UiTable carries progress texts).
struct BuildAviArgs {
  int32_t first = 0;
  int32_t end = 0;
  char* outputPath = nullptr;   // rewritten in place: needs room for four more characters
  const char* framePrefix = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  uint32_t colourCount = 0;
  int32_t speed = 0;            // not used
  uint32_t* colourCounts = nullptr;
  uint16_t* colourList = nullptr;
};

// What differs between the library and the command-line host.
struct AviExportPlatform {
  const FrameSetPlatform* frames = nullptr;  // heap blocks, files, deletion (null: standard)
  void* context = nullptr;
  // Video for Windows is older than 1.10: a beep and the box "Version" with no owner and
  // no caption.
  void (*version_warning)(void* context) = nullptr;
};

// Ends the path at the last "." of its file name (the part after the last '\', '/' or
// ':'), if there is one, and appends ".avi".
void RewriteAviPath(char* path);

// Widest picture the frame reader's row buffer holds.
constexpr int32_t kAviMaxWidth = kRowPixels;

// Runs one export call. Result: end - first when below 3 (nothing else happens but the
// path rewrite); the answer of the "Out of memory" box when a buffer cannot be had;
// otherwise 0. A width outside 1..1024 or a height below 1 is refused before anything is
// read or allocated, with the frame reader's "Read failed on temporary file" box.
int32_t BuildAviRun(const BuildAviArgs& args, const UiTable& ui, const AviExportPlatform& platform);
