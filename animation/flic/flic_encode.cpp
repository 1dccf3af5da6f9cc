// FLI/FLC chunk encoders: byte run (15), line compression (12), word delta (7).
#include "animation/flic/flic_encode.h"

#include <cstring>

namespace {

constexpr int kMaxPacket = 127;

void put16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

// The delta line encoder shared by bytes (unit 1) and words (unit 2): packets of a skip byte,
// a signed size and data. Returns the packet bytes written after `out`; *packets counts them.
// `skip_limit` is 255 for bytes and 254 for words; `check_packets` applies the 254-packet
// too-big rule after each single-unit packet.
template <int Unit>
size_t delta_packets(const uint8_t* cur, const uint8_t* prev, int units, int skip_limit, bool check_packets,
                     uint8_t* out, long* packets, bool* too_big) {
  auto changed = [&](int k) { return std::memcmp(cur + k * Unit, prev + k * Unit, Unit) != 0; };
  auto same_as_before = [&](int k) { return std::memcmp(cur + k * Unit, cur + (k - 1) * Unit, Unit) == 0; };
  uint8_t* o = out;
  long count = 0;
  auto single = [&](int skip, int k) {  // skip, size 1, one unit
    *o++ = uint8_t(skip);
    *o++ = 1;
    std::memcpy(o, cur + k * Unit, Unit);
    o += Unit;
    ++count;
    if (check_packets && count > 254) *too_big = true;
  };
  auto literal = [&](int skip, int start, int length) {
    *o++ = uint8_t(skip);
    *o++ = uint8_t(length);
    std::memcpy(o, cur + start * Unit, size_t(length) * Unit);
    o += length * Unit;
    ++count;
  };
  auto repeat = [&](int skip, int k, int length) {
    *o++ = uint8_t(skip);
    *o++ = uint8_t(-length);
    std::memcpy(o, cur + k * Unit, Unit);
    o += Unit;
    ++count;
  };

  int skip = 0;
  int k = 0;
  while (k < units) {
    if (!changed(k)) {
      if (skip < skip_limit) {
        skip += Unit;
      } else {
        single(skip_limit, k);
        skip = 0;
      }
      ++k;
      continue;
    }
    if (k == units - 1 || !changed(k + 1)) {
      single(skip, k);
      skip = 0;
      ++k;
      continue;
    }
    // A stretch of changed units: one open packet, split where a run of more than 4 equal
    // units is followed by a different unit.
    int packet_skip = skip;
    skip = 0;
    int start = k;
    int length = 1;
    int tail = 1;
    ++k;
    while (k < units && changed(k) && length < kMaxPacket) {
      if (same_as_before(k)) {
        ++tail;
      } else {
        if (tail > 4) {
          if (tail < length) {
            literal(packet_skip, start, length - tail);
            repeat(0, k - 1, tail);
          } else {
            repeat(packet_skip, k - 1, tail);
          }
          packet_skip = 0;
          start = k;
          length = 0;
        }
        tail = 1;
      }
      ++length;
      ++k;
    }
    if (tail == length)
      repeat(packet_skip, start, length);
    else
      literal(packet_skip, start, length);
  }
  *packets = count;
  return size_t(o - out);
}

}  // namespace

size_t FlicByteRunLine(const uint8_t* line, int length, uint8_t* out) {
  if (length <= 0) {
    out[0] = 0;
    return 1;
  }
  uint8_t* o = out + 1;
  unsigned packets = 1;
  // The open packet starts at `packet`; `literal` tells its kind, `run` its length.
  uint8_t* packet = o;
  bool literal = false;
  int run = 1;
  packet[0] = 1;
  packet[1] = line[0];
  o = packet + 2;
  for (int i = 1; i < length; ++i) {
    uint8_t x = line[i];
    if (x == line[i - 1]) {
      if (literal && run == 1) {
        literal = false;
        run = 2;
        packet[0] = 2;
        o = packet + 2;
      } else if (literal || run == kMaxPacket) {
        packet = o;
        literal = false;
        run = 1;
        packet[0] = 1;
        packet[1] = x;
        o = packet + 2;
        ++packets;
      } else {
        packet[0] = uint8_t(++run);
      }
    } else {
      if (!literal && run == 1) {
        literal = true;
        run = 2;
        packet[0] = uint8_t(-2);
        packet[2] = x;
        o = packet + 3;
      } else if (!literal || run == kMaxPacket) {
        packet = o;
        literal = true;
        run = 1;
        packet[0] = uint8_t(-1);
        packet[1] = x;
        o = packet + 2;
        ++packets;
      } else {
        packet[0] = uint8_t(-++run);
        *o++ = x;
      }
    }
  }
  out[0] = uint8_t(packets);
  return size_t(o - out);
}

size_t FlicDeltaLine(const uint8_t* cur, const uint8_t* prev, int length, uint8_t* out, bool* too_big) {
  long packets = 0;
  size_t n = delta_packets<1>(cur, prev, length, 255, true, out + 1, &packets, too_big);
  out[0] = uint8_t(packets);
  return 1 + n;
}

long FlicDeltaFrame(const uint8_t* cur, const uint8_t* prev, int length, int lines, long limit, uint8_t* out) {
  const size_t line_bytes = size_t(length);
  int top = 0;
  while (top < lines && std::memcmp(cur + top * line_bytes, prev + top * line_bytes, line_bytes) == 0) ++top;
  if (top == lines) return 0;
  int last = lines - 1;
  while (std::memcmp(cur + last * line_bytes, prev + last * line_bytes, line_bytes) == 0) --last;
  put16(out, uint16_t(top));
  put16(out + 2, uint16_t(last - top + 1));
  long total = 4;
  for (int y = top; y <= last; ++y) {
    const uint8_t* c = cur + y * line_bytes;
    const uint8_t* p = prev + y * line_bytes;
    if (std::memcmp(c, p, line_bytes) == 0) {
      out[total++] = 0;  // an unchanged line between changed ones
    } else {
      bool too_big = false;
      total += long(FlicDeltaLine(c, p, length, out + total, &too_big));
      if (too_big) return -1;
    }
    if (total > limit) return -1;
  }
  return total;
}

long FlicWordDeltaFrame(const uint8_t* cur, const uint8_t* prev, int width, int height, uint8_t* out) {
  const int words = width / 2;
  const bool odd = width % 2 != 0;
  const size_t stride = size_t(width);
  long total = 2;
  long stored = 0;
  int skipped = 0;
  for (int y = 0; y < height; ++y) {
    const uint8_t* c = cur + y * stride;
    const uint8_t* p = prev + y * stride;
    bool words_changed = std::memcmp(c, p, size_t(words) * 2) != 0;
    bool last_changed = odd && c[width - 1] != p[width - 1];
    if (!words_changed && !last_changed) {
      ++skipped;
      continue;
    }
    if (skipped > 0) {
      put16(out + total, uint16_t(-skipped));
      total += 2;
      skipped = 0;
    }
    if (last_changed) {
      put16(out + total, uint16_t(0x8000 | c[width - 1]));
      total += 2;
    }
    long packets = 0;
    bool unused = false;
    size_t n = words_changed ? delta_packets<2>(c, p, words, 254, false, out + total + 2, &packets, &unused) : 0;
    put16(out + total, uint16_t(packets));
    total += 2 + long(n);
    ++stored;
  }
  if (stored == 0) return 0;
  put16(out, uint16_t(stored));
  return total;
}
