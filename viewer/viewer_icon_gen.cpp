// Writes the viewer's icon, VIEWICON: one 32 x 32 image at 32 bits per pixel — a framed
// picture (sky, sun, hills) on a sheet of paper. Built and run with the machine's own
// compiler in both builds, so the icon is the same byte for byte everywhere.
//
//   viewer_icon_gen OUTPUT.ico
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSize = 32;

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// Colour of pixel (x, y), y counted from the top, as 0xAARRGGBB.
uint32_t pixel(int x, int y) {
  if (x < 2 || x > 29 || y < 3 || y > 28) return 0;                 // transparent margin
  if (x == 2 || x == 29 || y == 3 || y == 28) return 0xFF202060;    // frame
  if (x < 5 || x > 26 || y < 6 || y > 25) return 0xFFFFFFFF;        // paper
  const int dx = x - 20, dy = y - 11;
  if (dx * dx + dy * dy <= 9) return 0xFFFFD020;                    // sun
  const int hill = 19 + ((x - 12) * (x - 12)) / 16;                 // hill line
  if (y >= hill || y >= 23) return 0xFF30A040;                      // hills
  return 0xFF70B0F0;                                                // sky
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: viewer_icon_gen OUTPUT.ico\n");
    return 2;
  }
  const uint32_t xor_size = kSize * kSize * 4, and_size = kSize * 4;  // mask rows padded to 32 bits
  const uint32_t image_size = 40 + xor_size + and_size;
  std::vector<uint8_t> out;
  put16(out, 0), put16(out, 1), put16(out, 1);  // icon directory: one image
  out.insert(out.end(), {kSize, kSize, 0, 0});  // width, height, colours, reserved
  put16(out, 1), put16(out, 32), put32(out, image_size), put32(out, 6 + 16);
  put32(out, 40), put32(out, kSize), put32(out, 2 * kSize);  // header: height covers both masks
  put16(out, 1), put16(out, 32), put32(out, 0), put32(out, xor_size + and_size);
  put32(out, 0), put32(out, 0), put32(out, 0), put32(out, 0);
  for (int y = kSize - 1; y >= 0; --y)
    for (int x = 0; x < kSize; ++x) put32(out, pixel(x, y));
  for (int y = kSize - 1; y >= 0; --y) {
    uint32_t mask = 0;  // AND mask, leftmost pixel in the high bit: 1 = transparent
    for (int x = 0; x < kSize; ++x)
      if (!(pixel(x, y) >> 24)) mask |= 0x80000000u >> x;
    out.insert(out.end(), {uint8_t(mask >> 24), uint8_t(mask >> 16), uint8_t(mask >> 8), uint8_t(mask)});
  }
  FILE* f = std::fopen(argv[1], "wb");
  if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size() || std::fclose(f) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
