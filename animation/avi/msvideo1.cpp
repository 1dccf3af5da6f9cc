#include "animation/avi/msvideo1.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kMaxSkip = 1023;  // blocks one skip word can cover

// One 4x4 block gathered from the bitmap: pixel k is at x = k % 4, y = k / 4, y counting
// rows from the bottom row of the block.
struct Block {
  uint8_t pixel[16];
  uint8_t colour[16];   // distinct palette indices, ascending
  uint8_t slot[16];     // pixel k has colour[slot[k]]
  int colours = 0;
  uint32_t weighted[16][16];  // count of colour i x distance(colour i, colour j)
};

// A coding of one block as the bitstream holds it, and the pixels it shows.
struct Coding {
  uint8_t bytes[10];
  int size = 0;
  uint32_t error = 0;
  uint8_t shown[16];
};

void gather(const Msv1Encoder& enc, const uint8_t* bits, int bx, int by, Block* b) {
  for (int y = 0; y < 4; ++y) {
    const uint8_t* row = bits + size_t(4 * by + y) * size_t(enc.stride) + size_t(4 * bx);
    std::memcpy(b->pixel + 4 * y, row, 4);
  }
  uint8_t sorted[16];
  std::memcpy(sorted, b->pixel, 16);
  std::sort(sorted, sorted + 16);
  int count[16] = {};
  b->colours = 0;
  for (int k = 0; k < 16; ++k) {
    if (b->colours == 0 || b->colour[b->colours - 1] != sorted[k]) b->colour[b->colours++] = sorted[k];
    ++count[b->colours - 1];
  }
  for (int k = 0; k < 16; ++k) {
    int s = 0;
    while (b->colour[s] != b->pixel[k]) ++s;
    b->slot[k] = uint8_t(s);
  }
  const uint16_t* d = enc.distance.data();
  for (int i = 0; i < b->colours; ++i)
    for (int j = 0; j < b->colours; ++j)
      b->weighted[i][j] = uint32_t(count[i]) * d[b->colour[i] * 256 + b->colour[j]];
}

// The best single colour among the block's own (the lowest index wins a tie), when its
// error is within `limit`; a colour is dropped as soon as its partial error passes that or
// the best so far, which leaves the same choice as a full search.
bool one_colour(const Block& b, uint32_t limit, Coding* c) {
  int best = -1;
  uint32_t best_error = UINT32_MAX;
  for (int j = 0; j < b.colours && best_error > 0; ++j) {
    uint32_t cap = best < 0 ? limit : std::min(limit, best_error - 1);
    uint32_t e = 0;
    for (int i = 0; i < b.colours && e <= cap; ++i) e += b.weighted[i][j];
    if (e <= cap) {
      best_error = e;
      best = j;
    }
  }
  if (best < 0) return false;
  c->bytes[0] = b.colour[best];
  c->bytes[1] = 0x80;
  c->size = 2;
  c->error = best_error;
  std::memset(c->shown, b.colour[best], 16);
  return true;
}

// The best pair among the block's own colours, each pixel taking the nearer one (the
// lower-indexed one of the pair on a tie), when its error is within `limit`. Flags: bit 15
// must stay clear, so the colour of the top-right pixel becomes colour B and a set bit
// selects colour A.
bool two_colour(const Block& b, uint32_t limit, Coding* c) {
  int best_a = -1, best_b = -1;
  uint32_t best_error = UINT32_MAX;
  for (int i = 0; i < b.colours && best_error > 0; ++i)
    for (int j = i + 1; j < b.colours && best_error > 0; ++j) {
      uint32_t cap = best_a < 0 ? limit : std::min(limit, best_error - 1);
      uint32_t e = 0;
      for (int k = 0; k < b.colours && e <= cap; ++k) e += std::min(b.weighted[k][i], b.weighted[k][j]);
      if (e <= cap) {
        best_error = e;
        best_a = i;
        best_b = j;
      }
    }
  if (best_a < 0) return false;
  uint8_t take[16];  // slot each pixel shows
  for (int k = 0; k < 16; ++k) {
    int s = b.slot[k];
    // Both sides carry the same count, so this compares the distances themselves.
    take[k] = uint8_t(b.weighted[s][best_a] <= b.weighted[s][best_b] ? best_a : best_b);
  }
  int colour_b = take[15];
  int colour_a = colour_b == best_a ? best_b : best_a;
  uint16_t flags = 0;
  for (int k = 0; k < 16; ++k) {
    if (take[k] == colour_a) flags = uint16_t(flags | (1u << k));
    c->shown[k] = b.colour[take[k]];
  }
  c->bytes[0] = uint8_t(flags);
  c->bytes[1] = uint8_t(flags >> 8);
  c->bytes[2] = b.colour[colour_a];
  c->bytes[3] = b.colour[colour_b];
  c->size = 4;
  c->error = best_error;
  return true;
}

// Each 2x2 quadrant gets the best pair among its own colours. The first colour of a pair
// is the colour of the quadrant's anchor pixel, so the anchor bits are always set; anchors
// 12 (top-left pixel) and 15 (top-right pixel) put the high byte at 0x90 or above, which
// is what marks an 8-colour block.
void eight_colour(const Msv1Encoder& enc, const Block& b, Coding* c) {
  static const int kAnchor[4] = {5, 7, 12, 15};
  const uint16_t* d = enc.distance.data();
  uint16_t flags = 0;
  uint32_t total = 0;
  for (int q = 0; q < 4; ++q) {
    int k0 = (q >> 1) * 8 + (q & 1) * 2;
    const int member[4] = {k0, k0 + 1, k0 + 4, k0 + 5};
    uint8_t px[4];
    for (int i = 0; i < 4; ++i) px[i] = b.pixel[member[i]];
    uint8_t own[4];
    int n = 0;
    for (int i = 0; i < 4; ++i) {
      bool seen = false;
      for (int j = 0; j < n; ++j) seen = seen || own[j] == px[i];
      if (!seen) own[n++] = px[i];
    }
    for (int i = 1; i < n; ++i)  // ascending, so the lower index comes first on a tie
      for (int j = i; j > 0 && own[j - 1] > own[j]; --j) std::swap(own[j - 1], own[j]);
    uint8_t pa = own[0], pb = own[0];
    uint32_t best_error = 0;
    if (n > 1) {
      best_error = UINT32_MAX;
      for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) {
          uint32_t e = 0;
          for (int k = 0; k < 4; ++k) e += std::min(d[px[k] * 256 + own[i]], d[px[k] * 256 + own[j]]);
          if (e < best_error) {
            best_error = e;
            pa = own[i];
            pb = own[j];
          }
        }
    }
    uint8_t take[4];
    for (int k = 0; k < 4; ++k) take[k] = d[px[k] * 256 + pa] <= d[px[k] * 256 + pb] ? pa : pb;
    uint8_t anchor_colour = 0;
    for (int k = 0; k < 4; ++k)
      if (member[k] == kAnchor[q]) anchor_colour = take[k];
    uint8_t first = anchor_colour;
    uint8_t second = first == pa ? pb : pa;
    for (int k = 0; k < 4; ++k) {
      if (take[k] == first) flags = uint16_t(flags | (1u << member[k]));
      c->shown[member[k]] = take[k];
    }
    c->bytes[2 + 2 * q] = first;
    c->bytes[3 + 2 * q] = second;
    total += best_error;
  }
  c->bytes[0] = uint8_t(flags);
  c->bytes[1] = uint8_t(flags >> 8);
  c->size = 10;
  c->error = total;
}

// Steps 1-colour, 2-colour, 8-colour in that order; the first within the threshold wins.
void choose(const Msv1Encoder& enc, const Block& b, Coding* c) {
  if (one_colour(b, enc.threshold, c) || two_colour(b, enc.threshold, c)) return;
  eight_colour(enc, b, c);
}

void put_skips(std::vector<uint8_t>* out, long* pending) {
  while (*pending > 0) {
    long n = std::min<long>(*pending, kMaxSkip);
    out->push_back(uint8_t(n & 0xFF));
    out->push_back(uint8_t(0x84 + (n >> 8)));
    *pending -= n;
  }
}

}  // namespace

uint32_t msv1_threshold(long quality) {
  quality = std::clamp<long>(quality, 0, 10000);
  uint64_t gap = uint64_t(10000 - quality);
  return uint32_t(16 * gap * gap / 1562500);
}

int msv1_stride(int width) { return width > 0 && width <= (1 << 28) ? (width + 3) & ~3 : 0; }

bool msv1_init(Msv1Encoder* enc, int width, int height, const uint8_t* palette, long quality,
               int key_period) {
  *enc = Msv1Encoder();
  if (width < 1 || height < 1 || width > (1 << 16) || height > (1 << 16) || !palette) return false;
  enc->width = width;
  enc->height = height;
  enc->stride = msv1_stride(width);
  enc->blocks_wide = width / 4;
  enc->blocks_high = height / 4;
  enc->threshold = msv1_threshold(quality);
  enc->key_period = key_period > 0 ? key_period : 1;
  enc->distance.resize(256 * 256);
  for (int i = 0; i < 256; ++i)
    for (int j = 0; j < 256; ++j) {
      int db = (palette[4 * i] >> 3) - (palette[4 * j] >> 3);
      int dg = (palette[4 * i + 1] >> 3) - (palette[4 * j + 1] >> 3);
      int dr = (palette[4 * i + 2] >> 3) - (palette[4 * j + 2] >> 3);
      enc->distance[size_t(i) * 256 + size_t(j)] = uint16_t(dr * dr + dg * dg + db * db);
    }
  enc->shown.assign(size_t(enc->stride) * size_t(height), 0);
  return true;
}

size_t msv1_max_packet(const Msv1Encoder& enc) {
  return size_t(enc.blocks_wide) * size_t(enc.blocks_high) * 10 + 2;
}

bool msv1_encode_frame(Msv1Encoder* enc, const uint8_t* bits, std::vector<uint8_t>* out) {
  bool key = enc->frame_number % enc->key_period == 0;
  ++enc->frame_number;
  out->reserve(out->size() + msv1_max_packet(*enc));
  const uint16_t* d = enc->distance.data();
  long pending_skip = 0;
  Block b;
  Coding c;
  for (int by = 0; by < enc->blocks_high; ++by)
    for (int bx = 0; bx < enc->blocks_wide; ++bx) {
      gather(*enc, bits, bx, by, &b);
      uint8_t* shown_at = enc->shown.data() + size_t(4 * by) * size_t(enc->stride) + size_t(4 * bx);
      if (!key) {
        uint32_t now = 0;
        for (int k = 0; k < 16; ++k)
          now += d[b.pixel[k] * 256 + shown_at[size_t(k >> 2) * size_t(enc->stride) + size_t(k & 3)]];
        bool skip = now <= enc->threshold;
        if (!skip) {
          choose(*enc, b, &c);
          skip = now <= c.error;
        }
        if (skip) {
          ++pending_skip;
          continue;
        }
      } else {
        choose(*enc, b, &c);
      }
      put_skips(out, &pending_skip);
      out->insert(out->end(), c.bytes, c.bytes + c.size);
      for (int y = 0; y < 4; ++y) std::memcpy(shown_at + size_t(y) * size_t(enc->stride), c.shown + 4 * y, 4);
    }
  put_skips(out, &pending_skip);
  out->push_back(0);
  out->push_back(0);
  return key;
}
