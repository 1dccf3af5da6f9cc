// Writes the text builder's hold-point picture (bitmap resource 99): 176 x 90 pixels, 16
// colours, a sample capital letter in a dashed frame, a small circle at each of the seven
// hold points (bottom left, bottom centre, bottom right, centre, top left, top centre, top
// right) and the words "Hold Point" beside the bottom-left one. Built and run with the
// machine's own compiler, so the picture is the same byte for byte in every build.
//
//   hold_point_bitmap_gen OUTPUT.bmp
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kWidth = 176, kHeight = 90;

// The 16 colours of the standard palette, as (red, green, blue).
const uint8_t kPalette[16][3] = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},   {0, 0, 128},   {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
enum Colour : uint8_t { Black = 0, Navy = 4, Grey = 8, Red = 9, White = 15 };

std::vector<uint8_t> pixels(size_t(kWidth) * kHeight, White);  // top row first

void plot(int x, int y, uint8_t c) {
  if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) pixels[size_t(y) * kWidth + size_t(x)] = c;
}

// A line of the given width (a disc of that diameter swept from one end to the other).
void stroke(double x0, double y0, double x1, double y1, double width, uint8_t c) {
  const double length = std::hypot(x1 - x0, y1 - y0);
  const int steps = int(length * 2) + 1;
  const double r = width / 2;
  for (int i = 0; i <= steps; ++i) {
    const double x = x0 + (x1 - x0) * i / steps, y = y0 + (y1 - y0) * i / steps;
    for (int dy = int(-r) - 1; dy <= int(r) + 1; ++dy)
      for (int dx = int(-r) - 1; dx <= int(r) + 1; ++dx)
        if ((dx * dx + dy * dy) <= r * r) plot(int(std::lround(x)) + dx, int(std::lround(y)) + dy, c);
  }
}

// Dashes of 3 pixels on, 2 off along one straight frame side.
void dashed(int x0, int y0, int x1, int y1, uint8_t c) {
  const int n = std::abs(x1 - x0) + std::abs(y1 - y0);
  for (int i = 0; i <= n; ++i)
    if (i % 5 < 3) plot(x0 + (x1 - x0) * i / n, y0 + (y1 - y0) * i / n, c);
}

// A small ring of radius 3 with a white inside, so it stays visible on the letter.
void hold_circle(int cx, int cy) {
  for (int dy = -4; dy <= 4; ++dy)
    for (int dx = -4; dx <= 4; ++dx) {
      const double d = std::sqrt(double(dx * dx + dy * dy));
      if (d <= 2.5) plot(cx + dx, cy + dy, White);
      else if (d <= 3.6) plot(cx + dx, cy + dy, Red);
    }
}

// 5 x 7 letters for the words, one string of 7 rows each.
struct Letter {
  char c;
  const char* rows[7];
};
const Letter kLetters[] = {
    {'H', {"10001", "10001", "10001", "11111", "10001", "10001", "10001"}},
    {'o', {"00000", "00000", "01110", "10001", "10001", "10001", "01110"}},
    {'l', {"01100", "00100", "00100", "00100", "00100", "00100", "01110"}},
    {'d', {"00001", "00001", "01101", "10011", "10001", "10011", "01101"}},
    {'P', {"11110", "10001", "10001", "11110", "10000", "10000", "10000"}},
    {'i', {"00100", "00000", "01100", "00100", "00100", "00100", "01110"}},
    {'n', {"00000", "00000", "10110", "11001", "10001", "10001", "10001"}},
    {'t', {"01000", "01000", "11100", "01000", "01000", "01001", "00110"}},
};

void write_text(int x, int y, const char* text, uint8_t c) {
  for (; *text; ++text, x += 6) {
    for (const Letter& l : kLetters) {
      if (l.c != *text) continue;
      for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col)
          if (l.rows[row][col] == '1') plot(x + col, y + row, c);
    }
  }
}

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, uint16_t(v));
  put16(out, uint16_t(v >> 16));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: hold_point_bitmap_gen OUTPUT.bmp\n");
    return 2;
  }
  // The frame around the letter; the hold points sit on its corners, edges and centre.
  const int left = 70, right = 138, top = 8, bottom = 80, mid_x = (left + right) / 2, mid_y = (top + bottom) / 2;
  stroke(left + 8, bottom - 1, mid_x, top + 2, 5, Navy);   // the capital A
  stroke(mid_x, top + 2, right - 8, bottom - 1, 5, Navy);
  stroke(left + 20, mid_y + 12, right - 20, mid_y + 12, 4, Navy);
  dashed(left, top, right, top, Grey);
  dashed(right, top, right, bottom, Grey);
  dashed(right, bottom, left, bottom, Grey);
  dashed(left, bottom, left, top, Grey);
  const int points[7][2] = {{left, bottom}, {mid_x, bottom}, {right, bottom}, {mid_x, mid_y},
                            {left, top},    {mid_x, top},    {right, top}};
  for (const auto& p : points) hold_circle(p[0], p[1]);
  write_text(2, bottom - 3, "Hold Point", Black);
  stroke(66, bottom, 63, bottom, 1, Black);  // a short pointer from the words to the circle

  const uint32_t row_bytes = kWidth / 2;  // 4 bits a pixel; 88 is already a multiple of 4
  const uint32_t offset = 14 + 40 + 16 * 4;
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  put32(out, offset + row_bytes * kHeight);
  put32(out, 0);
  put32(out, offset);
  put32(out, 40);
  put32(out, kWidth);
  put32(out, kHeight);  // bottom-up rows
  put16(out, 1);
  put16(out, 4);
  put32(out, 0);  // no compression
  put32(out, row_bytes * kHeight);
  put32(out, 3780);  // 96 pixels an inch
  put32(out, 3780);
  put32(out, 16);
  put32(out, 16);
  for (const auto& c : kPalette) {
    out.push_back(c[2]);
    out.push_back(c[1]);
    out.push_back(c[0]);
    out.push_back(0);
  }
  for (int y = kHeight - 1; y >= 0; --y)
    for (int x = 0; x < kWidth; x += 2)
      out.push_back(uint8_t(pixels[size_t(y) * kWidth + size_t(x)] << 4 | pixels[size_t(y) * kWidth + size_t(x) + 1]));
  FILE* f = std::fopen(argv[1], "wb");
  if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "hold_point_bitmap_gen: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
