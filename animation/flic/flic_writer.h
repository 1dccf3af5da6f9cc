#pragma once
// REELPACK's work: an FLI (320 x 200 canvas) or FLC (the picture's own size) file from a
// frame series, driven by the frame set. The Win32 export and `zel flic` both call BuildFli.
#include <cstdint>

#include "animation/frameset/frameset.h"

// The export's twelve arguments, less the window handles (the UiTable carries those).
struct BuildFliArgs {
  long first = 0;
  long end = 0;
  char* outputPath = nullptr;  // lower-cased in place before the file is created
  const char* framePrefix = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  uint32_t colourCount = 0;
  int32_t speed = 0;            // 1/70 s per frame; negative means 5
  uint32_t* colourCounts = nullptr;
  uint16_t* colourList = nullptr;
};

constexpr int kFliWidth = 320;
constexpr int kFliHeight = 200;
constexpr int kFlicMaxWidth = 640;
constexpr int kFlicMaxHeight = 480;

// True for FLC (width over 320 or height over 200), false for FLI.
inline bool FlicIsFlc(int width, int height) { return width > kFliWidth || height > kFliHeight; }

// Bytes of the record buffer: the largest record either encoder can emit at this size.
size_t FlicRecordBufferBytes(int width, int height);

// The export's sequence. Returns end - first when it does nothing (fewer than 3 frames, a
// picture over 640 x 480 or empty, missing arguments), the answer of the "Out of memory" box
// when the first buffer cannot be had, else 0; everything else is told through the UiTable.
int32_t BuildFli(const BuildFliArgs& args, const UiTable& ui, const FrameSetPlatform* platform);
