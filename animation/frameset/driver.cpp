// The frame-set driver: palette, frame loop with its progress texts, deletion prompt.
#include <cstdlib>
#include <cstring>

#include "animation/frameset/frameset.h"
#include "common/message_box.h"

namespace {

constexpr uint32_t kErrorFlags = mb::TaskModal;
constexpr uint32_t kDeletePromptFlags = mb::YesNo | mb::IconQuestion | mb::TaskModal;  // 0x2024

void* standard_allocate(size_t bytes) { return std::malloc(bytes ? bytes : 1); }
void standard_release(void* block) { std::free(block); }
FILE* standard_open(const char* name, const char* mode) { return std::fopen(name, mode); }
bool standard_remove(const char* name) { return std::remove(name) == 0; }

const FrameSetPlatform kStandardPlatform = {standard_allocate, standard_release, standard_open,
                                            standard_remove};

const FrameSetPlatform* platform_of(const FrameSetRun* run) {
  return run->platform ? run->platform : &kStandardPlatform;
}

}  // namespace

const FrameSetPlatform* FrameSetStandardPlatform() { return &kStandardPlatform; }

uint8_t* FrameSetAllocateFrame(const FrameSetPlatform* platform, size_t bytes) {
  auto* block = static_cast<uint8_t*>(platform->allocate(bytes));
  if (block) std::memset(block, kFrameFillIndex, bytes);
  return block;
}

int FrameSetOutOfMemory(FrameSetRun* run) {
  return ui_message(run->ui, "Out of memory", "Flic", kErrorFlags);
}

void FrameSetBuildPalette(FrameSetRun* run) {
  ui_progress(run->ui, "Building color palette");
  PaletteSelection(run->colourCounts, run->colourList, run->colourCount);
  for (int i = 0; i < 256; ++i) {
    uint16_t c = uint32_t(i) < run->colourCount ? run->colourList[i] : 0;
    run->palette[i] = c;
    run->red[i] = uint8_t(((c >> 10) & 31) * 2);
    run->green[i] = uint8_t(((c >> 5) & 31) * 2);
    run->blue[i] = uint8_t((c & 31) * 2);
  }
  for (uint32_t i = 0; i < run->colourCount; ++i) run->colourCounts[i] = kIndexNotMapped;
}

FramesResult FrameSetRunFrames(FrameSetRun* run, const FrameSetWriter& writer, uint8_t* frame,
                               size_t rowStride) {
  // Counted in 64 bits so that frame numbers near the top of the range cannot overflow.
  const int64_t passes = int64_t(run->end) - int64_t(run->first);
  for (int64_t i = 0; i <= passes; ++i) {
    const long e = long(run->first + i);
    char text[64];
    std::snprintf(text, sizeof text, "Building frame %03ld", e);
    ui_progress(run->ui, text);
    // The last pass reads the first frame again: it closes the animation.
    switch (ReadFrame(run, i < passes ? e : run->first, frame, rowStride)) {
      case ReadOk:
        break;
      case ReadOpenFailed:
        ui_message(run->ui, "Temporary file open failed", "Error", kErrorFlags);
        return FramesOpenFailed;
      case ReadFailed:
        ui_message(run->ui, "Read failed on temporary file", "Error", kErrorFlags);
        return FramesReadFailed;
    }
    int result = i == 0        ? writer.start(writer.context, frame)
                 : i == passes ? writer.finish(writer.context, frame)
                                 : writer.add(writer.context, frame);
    if (result < 0) return FramesWriterFailed;
  }
  return FramesDone;
}

void DeleteFrameFiles(FrameSetRun* run) {
  const FrameSetPlatform* platform = platform_of(run);
  if (ui_message(run->ui, "Delete Temporary files", "Flic", kDeletePromptFlags) != answer::Yes) return;
  // Deletion uses the names as formatted, capitals included.
  std::string name = FrameFileName(run->prefix, run->first);
  FILE* probe = platform->open(name.c_str(), "r");
  if (!probe) {
    ui_message(run->ui, "Failed to delete temporary files", "Flic", kErrorFlags);
    return;
  }
  std::fclose(probe);
  for (long n = run->first; n < run->end; ++n) {
    name = FrameFileName(run->prefix, n);
    if (!platform->remove(name.c_str())) {
      name += " Failed during delete";
      ui_message(run->ui, name.c_str(), "Flic", kErrorFlags);
      return;
    }
  }
}
