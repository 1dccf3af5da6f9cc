#pragma once
// A RIFF AVI file with one video stream, written as it goes:
//
//   RIFF 'AVI '
//     LIST 'hdrl'  avih, LIST 'strl' (strh, strf)
//     LIST 'movi'  one '00dc' chunk per frame (odd sizes padded with one byte)
//     idx1         per frame: '00dc', flags (0x10 for key frames), offset of the chunk
//                  header from the 'movi' fourcc, payload size
//
// The header is written with placeholder counts when the file starts and written again
// with the final counts and sizes when it is finished. A file begun without a stream
// format gets no 'strl' (an AVI with no streams).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

constexpr uint32_t fourcc(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
         uint32_t(uint8_t(d)) << 24;
}

constexpr uint32_t kAviKeyFrame = 0x10;   // AVIIF_KEYFRAME in idx1
constexpr uint32_t kAviHasIndex = 0x10;   // AVIF_HASINDEX in avih

// What 'strh' says about the video stream.
struct RiffVideoStream {
  uint32_t handler = 0;           // strh.fccHandler
  uint32_t scale = 1;
  uint32_t rate = 15;
  uint32_t quality = 0;
  uint32_t suggested_buffer = 0;  // at least the largest chunk at the end
  int16_t frame_left = 0, frame_top = 0, frame_right = 0, frame_bottom = 0;
  int32_t width = 0;              // avih.dwWidth / dwHeight
  int32_t height = 0;
};

struct RiffIndexEntry {
  uint32_t flags;
  uint32_t offset;  // of the chunk header, from the 'movi' fourcc
  uint32_t size;
};

struct RiffAviWriter {
  FILE* file = nullptr;
  bool has_stream = false;
  RiffVideoStream stream;
  std::vector<uint8_t> format;      // strf payload
  uint64_t movi_fourcc_at = 0;      // file offset of the 'movi' list type
  uint64_t size = 0;                // bytes written so far
  uint32_t largest_chunk = 0;
  std::vector<RiffIndexEntry> index;
  bool failed = false;
};

// Starts the file on an open stream (binary, positioned at 0). `format` may be null
// (no stream). False when a write failed.
bool riff_avi_begin(RiffAviWriter* w, FILE* file, const RiffVideoStream* stream, const uint8_t* format,
                    size_t format_size);

// Appends one '00dc' chunk and its index entry. False when the write failed (the writer
// then refuses everything) or when the chunk would take the file past the 32-bit RIFF
// sizes (the chunk is left out; the file can still be finished).
bool riff_avi_add_frame(RiffAviWriter* w, const uint8_t* data, size_t size, bool key);

// Writes idx1, then the header again with the final counts. Does not close the file.
bool riff_avi_finish(RiffAviWriter* w);

