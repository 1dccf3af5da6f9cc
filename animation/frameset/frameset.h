#pragma once
// The frame set shared by both animation writers: ".16b" frame files and their names, the
// palette chosen from the host's colour histogram, the mapping of pixels to palette indices,
// the driver loop that hands index frames to a format writer, and the closing deletion prompt.
//
// A writer uses it in this order:
//   FrameSetRun run{...};                   host arguments, UI and platform
//   FrameSetBuildPalette(&run);             "Building color palette", palette, IndexCache reset
//   FrameSetRunFrames(&run, writer, ...);   "Building frame %03ld" for first..end, ring re-read
//   DeleteFrameFiles(&run);                 after a loop without failure
//
// Plain C++17, no platform headers: files, heap blocks and deletion go through
// FrameSetPlatform, messages and progress texts through the UiTable.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/ui.h"

// Platform services of one writer: heap blocks (global heap for the FLI/FLC writer, local
// heap for the AVI writer), buffered files and file deletion.
struct FrameSetPlatform {
  void* (*allocate)(size_t bytes);              // null when no memory is left
  void (*release)(void* block);                 // null-safe
  FILE* (*open)(const char* name, const char* mode);
  bool (*remove)(const char* name);             // true when the file was deleted
};

// malloc/free/fopen/remove: the native build's and the tests' platform.
const FrameSetPlatform* FrameSetStandardPlatform();

// A heap block filled with the frame-buffer fill index 48; null when no memory is left.
uint8_t* FrameSetAllocateFrame(const FrameSetPlatform* platform, size_t bytes);

constexpr uint8_t kFrameFillIndex = 48;       // index of pixels no frame file covers
constexpr uint32_t kIndexNotMapped = 257;     // IndexCache: colour not mapped yet
constexpr int kRowPixels = 1024;              // decoded row buffer, pixels
constexpr int kFlicRowWords = 1024;           // compressed row buffer of the FLI/FLC writer
constexpr int kAviRowWords = 3192;            // compressed row buffer of the AVI writer

// One export call. The caller fills the first block; the driver fills the rest.
struct FrameSetRun {
  UiTable ui{};
  const FrameSetPlatform* platform = nullptr;  // null = FrameSetStandardPlatform()
  const char* prefix = "";                     // FramePrefix
  long first = 0;
  long end = 0;
  int width = 0;
  int height = 0;
  uint32_t colourCount = 0;
  uint32_t* colourCounts = nullptr;            // histogram, then the IndexCache
  uint16_t* colourList = nullptr;              // working list; palette in entries 0..255
  int compressedRowWords = kFlicRowWords;      // limit of a run-length row's wordCount

  // Filled by FrameSetBuildPalette.
  uint16_t palette[256] = {};                  // 15-bit colours ColourList[0..255]
  uint8_t red[256] = {};                       // 6-bit components 0..62
  uint8_t green[256] = {};
  uint8_t blue[256] = {};
};

// A writer's run for one export call: the series as the host's arguments name it (both
// writers' argument records use the same field names), with the writer's UI, platform and
// compressed-row limit.
template <class HostArgs>
void FrameSetStartRun(FrameSetRun* run, const HostArgs& args, const UiTable& ui,
                      const FrameSetPlatform* platform, int compressedRowWords) {
  run->ui = ui;
  run->platform = platform;
  run->prefix = args.framePrefix;
  run->first = args.first;
  run->end = args.end;
  run->width = args.width;
  run->height = args.height;
  run->colourCount = args.colourCount;
  run->colourCounts = args.colourCounts;
  run->colourList = args.colourList;
  run->compressedRowWords = compressedRowWords;
}

// ---- frame files ----

// "%s%03d.16b" of prefix and n, as the deletion step uses it.
std::string FrameFileName(const char* prefix, long n);
// The same with ASCII A-Z lowered: the name a frame file is opened under for reading.
std::string FrameFileReadName(const char* prefix, long n);

enum ReadResult { ReadOk = 0, ReadOpenFailed = 1, ReadFailed = 2 };

// Reads frame n of run->prefix into `frame` (rows rowStride bytes apart), mapping every pixel
// through the IndexCache. ReadFailed also covers what the host never writes: a wordCount over
// the compressed row buffer, runs that overrun their row or the row buffer, a width over the
// row buffer and pixel values not below colourCount.
ReadResult ReadFrame(FrameSetRun* run, long n, uint8_t* frame, size_t rowStride);

// Reads a whole frame file as pixels (rows top-down), whatever its size up to the row
// buffer's width; false when the file is missing or malformed.
bool ReadFramePixels(const std::string& name, int* width, int* height, std::vector<uint16_t>* pixels);

// Run-length coding of one row as the host writes it: wordCount words of runs (control c >= 0:
// one pixel repeated c + 1 times; c < 0: 1 - c literal pixels). Returns false (and leaves
// `out` empty) when the coded row would not be shorter than the raw row or would exceed
// maxWords; such rows are stored raw (wordCount 0).
bool EncodeFrameRow(const uint16_t* pixels, int width, int maxWords, std::vector<uint16_t>* out);

enum class RowCoding { Raw, RunLength, Mixed };
// Writes a complete frame file (header and rows). Mixed alternates run-length and raw rows.
bool WriteFrameFile(FILE* file, int width, int height, const uint16_t* pixels, RowCoding coding);

// Writes one frame file from pixels; false on failure.
bool WriteFramePixels(const std::string& path, int width, int height, const std::vector<uint16_t>& pixels,
                      RowCoding coding);

// The host's histogram as a file: 32768 little-endian uint32 counts.
bool WriteHistogramFile(const std::string& path, const std::vector<uint32_t>& histogram);
bool ReadHistogramFile(const std::string& path, std::vector<uint32_t>* histogram);

// ---- palette ----

// Sorts ColourList (and ColourCounts with it) by decreasing count with the writers' Shell sort
// and thins positions 128..255 of near colours until 256 remain; the palette is ColourList[0..255].
void PaletteSelection(uint32_t* colourCounts, uint16_t* colourList, uint32_t colourCount);

// Squared distance of two 15-bit colours over their 5-bit fields (0..2883).
int ColourDistance(uint16_t a, uint16_t b);

// Exact match first; otherwise the smallest distance, lowest index on ties.
uint8_t NearestPaletteIndex(const uint16_t palette[256], uint16_t v);

// ---- driver ----

// Driver steps 1-3: progress "Building color palette", PaletteSelection, the palette and the
// three 6-bit component tables, every ColourCounts entry set to 257. A colourCount below 256
// leaves the missing palette entries black instead of reading past the host's arrays.
void FrameSetBuildPalette(FrameSetRun* run);

// A format writer's three steps. Each receives the index frame; a negative result ends the
// loop as a writer failure (the writer reports it).
struct FrameSetWriter {
  void* context;
  int (*start)(void* context, const uint8_t* frame);
  int (*add)(void* context, const uint8_t* frame);
  int (*finish)(void* context, const uint8_t* frame);
};

enum FramesResult { FramesDone = 0, FramesOpenFailed, FramesReadFailed, FramesWriterFailed };

// Driver step 4: for e = first..end, progress "Building frame %03ld", read frame e (frame
// `first` again when e = end) into `frame`, then start / add / finish. Open and read failures
// are reported here ("Temporary file open failed", "Read failed on temporary file", caption
// "Error"); writer failures are left to the writer.
FramesResult FrameSetRunFrames(FrameSetRun* run, const FrameSetWriter& writer, uint8_t* frame,
                               size_t rowStride);

// The closing prompt "Delete Temporary files" and the deletion of frames first..end-1.
void DeleteFrameFiles(FrameSetRun* run);

// The frame-buffer "Out of memory" box (caption "Flic"); returns its answer.
int FrameSetOutOfMemory(FrameSetRun* run);
