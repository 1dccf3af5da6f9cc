#pragma once
// Small image files made by hand for the viewer's tests, fuzz seeds and benchmark: every
// writer returns the file's bytes, and WriteBytes puts them on disk. The GIF raster is
// written with the plainest LZW stream there is (a clear code before every run of
// literal codes, so the code width never grows), which any decoder reads.
#include <cstdint>
#include <utility>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

bool WriteBytes(const std::string& path, const Bytes& bytes);

struct Rgb {
  uint8_t r, g, b;
};

struct GifPlan {
  int width = 1, height = 1;
  std::vector<Rgb> palette{{0, 0, 0}, {255, 255, 255}};  // global table: 2, 4, ... 256 entries
  bool global_table = true;
  std::vector<uint8_t> indices;      // the raster, width x height unless a test wants otherwise
  Bytes raster;                      // when not empty: these LZW bytes instead of the indices'
  int min_code_size = 2;             // written as is (even out of range)
  std::vector<Rgb> local_table;      // written behind the image descriptor when not empty
  bool interlaced_flag = false;
  bool comment = false;              // a comment extension before the image
  int sub_block = 255;               // data sub-block size
  bool zero_block_after_first = false;  // a zero-length sub-block after the first data block
  size_t cut_raster_at = SIZE_MAX;   // raster bytes kept (the file then just ends)
  const char* signature = "GIF89a";
};
Bytes MakeGif(const GifPlan& plan);
// Codes each with its own width (code, width), packed least significant bit first.
Bytes PackCodes(const std::vector<std::pair<int, int>>& codes);

struct TgaPlan {
  int type = 2;           // 2 uncompressed, 10 run-length
  int depth = 24;         // 16, 24, 32
  int descriptor = 0;     // 0x20: top row first
  int width = 1, height = 1;
  std::vector<Rgb> pixels;  // in file order (as the file stores its rows)
  int id_length = 0;
  int map_length = 0, map_entry_bits = 24;  // a colour map to skip (type 1 map)
  bool runs_only = false;   // type 10: pack equal neighbours into runs, across row ends
  size_t cut_at = SIZE_MAX;
};
Bytes MakeTga(const TgaPlan& plan);

struct CelPlan {
  int width = 1, height = 1;
  std::vector<Rgb> palette;        // 0..63 components, 256 entries (missing ones 0)
  std::vector<uint8_t> indices;    // top row first
};
Bytes MakePlainCel(const CelPlan& plan);

// An FLC-layout CEL: the 128-byte header and one frame holding the given chunks.
struct FlcChunk {
  uint16_t type;
  Bytes body;
  uint32_t size_override = 0;  // nonzero: the size field written instead of the real size
  bool pad_to_even = false;    // one zero byte after an odd-sized body, counted in its size
};
Bytes MakeFlcCel(int width, int height, const std::vector<FlcChunk>& chunks);
// Chunk bodies (a copy chunk, type 16, holds the indices as they stand).
Bytes FlcColourBody(const std::vector<std::pair<int, std::vector<Rgb>>>& packets);  // (skip, colours)
Bytes FlcByteRunBody(const std::vector<std::vector<int8_t>>& row_codes);  // per row: the codes and bytes

struct BmpPlan {
  int header_size = 40;     // 12, 40, 108, 124
  int width = 1, height = 1;  // negative height: top-down
  int bits = 24;
  uint32_t compression = 0;
  std::vector<Rgb> table;   // colour table
  uint32_t clr_used = 0;
  uint32_t masks[3] = {0, 0, 0};  // BI_BITFIELDS
  Bytes bits_data;          // the pixel bytes as stored
  int64_t file_size = -1;   // the file header's size field (-1: the real size)
  size_t gap = 0;           // bytes between the colour table and the bits
};
Bytes MakeBmp(const BmpPlan& plan);
// Rows of a DIB (bottom-up, each padded to 4 bytes) from top-first rows of bytes.
Bytes DibRows(const std::vector<Bytes>& top_first_rows);
