#pragma once
// A small FLI/FLC reader of our own that follows the format's own layout (unpadded copy
// rows, the last-byte word of odd-width word-delta lines at the last column). Tests use it
// beside ffmpeg, which places that byte elsewhere.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct FlicChunkInfo {
  uint32_t size;
  uint16_t type;
};

struct DecodedFlic {
  uint32_t fileSize = 0;
  uint16_t magic = 0;
  uint16_t frameCount = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  uint16_t depth = 0;
  uint16_t flags = 0;
  uint32_t speed = 0;  // 16 bits for FLI, 32 for FLC
  std::vector<uint8_t> header;                       // the 128 header bytes
  std::vector<uint32_t> recordSizes;
  std::vector<std::vector<FlicChunkInfo>> chunks;    // per record
  std::vector<std::vector<uint8_t>> frames;          // width x height indices after each record
  std::vector<std::array<uint8_t, 768>> palettes;    // 6-bit palette after each record
  std::string error;                                 // empty when the file decoded cleanly
};

// Decodes every frame record; on a malformed file stops with `error` set.
DecodedFlic DecodeFlic(const std::vector<uint8_t>& file);

std::vector<uint8_t> ReadWholeFile(const std::string& path);
