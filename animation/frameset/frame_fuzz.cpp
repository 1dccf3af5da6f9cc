// Fuzz target: ReadFrame on hostile bytes taken as a ".16b" frame file, for a few frame
// sizes (and the size the file itself declares, when small) and colour counts. The file is
// opened through the run's platform, here from the input in memory.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "animation/frameset/frameset.h"

namespace {

const uint8_t* g_data = nullptr;
size_t g_size = 0;

FILE* open_input(const char*, const char*) {
  // fmemopen refuses an empty buffer; an empty file reads the same from /dev/null.
  if (g_size == 0) return std::fopen("/dev/null", "rb");
  return fmemopen(const_cast<uint8_t*>(g_data), g_size, "rb");
}

bool no_remove(const char*) { return false; }

const FrameSetPlatform kMemory = {std::malloc, std::free, open_input, no_remove};

uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// Reads the input as frame 0 of a run of width x height; a size the reader must refuse
// (negative, wider than its row buffer) gets a buffer of no rows.
void read_as(int width, int height, uint32_t colour_count, int row_words) {
  // The host's IndexCache has colourCount entries, exactly: a read past them shows.
  std::vector<uint32_t> cache(colour_count, kIndexNotMapped);
  FrameSetRun run;
  run.platform = &kMemory;
  run.prefix = "fuzz";
  run.width = width;
  run.height = height;
  run.colourCount = colour_count;
  run.colourCounts = cache.data();
  run.compressedRowWords = row_words;
  for (int i = 0; i < 256; ++i) run.palette[i] = uint16_t((i * 131u) & 0x7FFF);

  // Exactly the frame's bytes, with a stride one wider than a row so that a write past a
  // row's end lands in the guard column.
  const bool sane = width >= 0 && width <= kRowPixels && height >= 0;
  const size_t stride = sane ? size_t(width) + 1 : 1;
  std::vector<uint8_t> frame(sane ? stride * size_t(height) : 0, 0xEE);
  if (!sane) {
    if (ReadFrame(&run, 0, frame.data(), stride) != ReadFailed) std::abort();
    return;
  }
  ReadResult r = ReadFrame(&run, 0, frame.data(), stride);
  if (r != ReadOk && r != ReadFailed) std::abort();
  for (int y = 0; y < height; ++y) {
    if (frame[size_t(y) * stride + size_t(width)] != 0xEE) std::abort();  // guard column untouched
  }
  if (r != ReadOk) return;
  // A frame read whole: every pixel value it mapped was below colourCount and went into the
  // IndexCache as its nearest palette entry, and every pixel is one of those entries.
  bool cached[256] = {};
  for (uint32_t v = 0; v < cache.size(); ++v) {
    if (cache[v] == kIndexNotMapped) continue;
    if (cache[v] != NearestPaletteIndex(run.palette, uint16_t(v))) std::abort();
    cached[cache[v]] = true;
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (!cached[frame[size_t(y) * stride + size_t(x)]]) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  g_data = data;
  g_size = size;
  read_as(1, 1, 2, kFlicRowWords);
  read_as(4, 3, 300, kFlicRowWords);
  read_as(kRowPixels, 2, 32768, kAviRowWords);
  if (size >= 8) {
    int32_t w = int32_t(le32(data));
    int32_t h = int32_t(le32(data + 4));
    if (w <= kRowPixels + 1 && h <= 64)
      read_as(w, h, 64 + uint32_t(size % 200), size % 2 ? kFlicRowWords : kAviRowWords);
  }
  return 0;
}
