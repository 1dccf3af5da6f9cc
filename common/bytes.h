#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// Little-endian put/get helpers and a bounded reading cursor shared by the format readers
// and writers. The cursor never reads past its span: a short read returns zeros and sets
// `short_read`, so a reader checks once at the end of a stage.

inline void put_le16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void put_le32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
inline uint16_t get_le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t get_le32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

inline void append_le16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
inline void append_le32(std::vector<uint8_t>& out, uint32_t v) {
  append_le16(out, uint16_t(v));
  append_le16(out, uint16_t(v >> 16));
}

struct ByteCursor {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
  bool short_read = false;

  ByteCursor() = default;
  ByteCursor(const uint8_t* d, size_t n) : data(d), size(n) {}

  size_t remaining() const { return pos <= size ? size - pos : 0; }

  uint8_t get8() {
    if (pos >= size) {
      short_read = true;
      return 0;
    }
    return data[pos++];
  }
  uint16_t get16le() {
    uint16_t lo = get8();
    return uint16_t(lo | (get8() << 8));
  }
  uint32_t get32le() {
    uint32_t lo = get16le();
    return lo | (uint32_t(get16le()) << 16);
  }
  // Copies n bytes if they are all there; otherwise copies nothing and marks the read short.
  bool read(void* dst, size_t n) {
    if (n > remaining()) {
      short_read = true;
      pos = size;
      return false;
    }
    std::memcpy(dst, data + pos, n);
    pos += n;
    return true;
  }
  bool skip(size_t n) {
    if (n > remaining()) {
      short_read = true;
      pos = size;
      return false;
    }
    pos += n;
    return true;
  }
};

// a * b without overflow past `limit`: false when the product would exceed it.
inline bool checked_mul(size_t a, size_t b, size_t limit, size_t* out) {
  if (a != 0 && b > limit / a) return false;
  *out = a * b;
  return true;
}
