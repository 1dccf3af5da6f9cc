#pragma once
// The FLI/FLC chunk encoders. Each writes into a caller-provided buffer that must hold the
// worst case given by the matching *_bound function, and returns the bytes written.
#include <cstddef>
#include <cstdint>

// Byte run (chunk type 15) of one line of `length` bytes: packet count byte (modulo 256), then
// packets of a signed count n and data (n > 0: next byte repeated n times; n < 0: -n literals).
size_t FlicByteRunLine(const uint8_t* line, int length, uint8_t* out);
inline size_t FlicByteRunLineBound(int length) { return 1 + 2 * size_t(length); }

// Line compression of one line (chunk type 12): packet count byte, then packets of skip byte,
// signed size s and data (s > 0: s literal bytes; s < 0: one byte repeated -s times).
// *too_big is set when the line needs more than 254 packets.
size_t FlicDeltaLine(const uint8_t* cur, const uint8_t* prev, int length, uint8_t* out, bool* too_big);
inline size_t FlicDeltaLineBound(int length) { return 1 + 3 * size_t(length); }

// Line compression of a whole frame (FLI canvas, `lines` lines of `length` bytes). Result: the
// data size, 0 when nothing changed, or -1 when it is too big for a delta chunk (a line too
// big, or the running total above `limit`).
long FlicDeltaFrame(const uint8_t* cur, const uint8_t* prev, int length, int lines, long limit, uint8_t* out);
inline size_t FlicDeltaFrameBound(int length, int lines) { return 4 + size_t(lines) * FlicDeltaLineBound(length); }

// Word delta of a whole frame (chunk type 7), width / 2 words per line. With an odd width the
// last column travels in the line's last-byte word (top bits 10, the pixel in the low byte).
// Result: the data size, 0 when nothing changed.
long FlicWordDeltaFrame(const uint8_t* cur, const uint8_t* prev, int width, int height, uint8_t* out);
inline size_t FlicWordDeltaFrameBound(int width, int height) {
  return 2 + size_t(height) * (6 + 4 * size_t(width / 2));
}
