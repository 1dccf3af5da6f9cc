#pragma once
// Microsoft Video 1 ('CRAM'/'MSVC') compressor, 8-bit palettised mode.
//
// The encoder works on device-independent bitmap bits: one palette index per pixel, rows
// bottom-up, `stride` bytes apart. The picture is coded as (width / 4) x (height / 4)
// blocks of 4x4 pixels, left to right, block rows from the bottom row of the bitmap
// upward; the rightmost width % 4 columns and topmost height % 4 rows are never coded.
//
// Block choice for quality q (0..10000): threshold T = 16 (10000 - q)^2 / 1562500 on the
// block error (sum over the 16 pixels of the squared 5-bit RGB distance between the
// intended and the coded palette colour). Per block: skip (delta frames only) when the
// block already shown is within T or no worse than a new coding; else the best 1-colour
// block if within T; else the best 2-colour block if within T; else an 8-colour block.
// Key frames contain no skip words. The encoder keeps the frame as a decoder shows it.
#include <cstddef>
#include <cstdint>
#include <vector>

struct Msv1Encoder {
  int width = 0;
  int height = 0;
  int stride = 0;           // bytes between bitmap rows (width rounded up to 4)
  int blocks_wide = 0;
  int blocks_high = 0;
  uint32_t threshold = 0;   // largest accepted block error
  int key_period = 1;       // frames n with n % key_period == 0 are key frames
  long frame_number = 0;    // number of the next frame to encode
  std::vector<uint16_t> distance;  // 256 x 256 squared 5-bit RGB distances
  std::vector<uint8_t> shown;      // what a decoder shows, stride x height, bottom-up
};

// Largest accepted block error for a quality 0..10000 (values outside are clamped).
uint32_t msv1_threshold(long quality);

// Bitmap stride for a width: rounded up to a multiple of 4.
int msv1_stride(int width);

// Prepares an encoder. `palette` holds 256 RGBQUAD entries (blue, green, red, reserved) of
// 8-bit components; their top five bits are the colour the block error measures. False
// for sizes below 1 or a stride that does not fit; the encoder is then unusable.
bool msv1_init(Msv1Encoder* enc, int width, int height, const uint8_t* palette, long quality,
               int key_period);

// Encodes the next frame from `bits` (stride x height bytes, bottom-up) and appends the
// packet to `out`; answers whether it is a key frame. Updates the shown frame.
bool msv1_encode_frame(Msv1Encoder* enc, const uint8_t* bits, std::vector<uint8_t>* out);

// Largest packet one frame can take: 10 bytes per block plus the end word.
size_t msv1_max_packet(const Msv1Encoder& enc);
