#include "textures/swatch.h"

#include <cmath>
#include <cstdio>

namespace {

// The stand-in host's services: a dimple bends the normal toward the cell centre (a pit),
// and the normal is made unit length again.
void ZEL_CDECL swatch_make_vector(float* out, float dx, float dy, float dz) {
  out[0] = -dx, out[1] = -dy, out[2] = -dz;
}

void ZEL_CDECL swatch_finish_normal(float* n) {
  float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (length > 0.0f)
    for (int i = 0; i < 3; ++i) n[i] /= length;
}

const TextureServices kSwatchServices = {nullptr, swatch_make_vector, nullptr, nullptr, nullptr,
                                         swatch_finish_normal};

uint8_t clamp_byte(float v) { return uint8_t(v < 0.0f ? 0.0f : v > 255.0f ? 255.0f : v + 0.5f); }

uint32_t crc32(const uint8_t* data, size_t n, uint32_t crc = 0) {
  static uint32_t table[256];
  if (!table[1])
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void put_be32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void put_chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  put_be32(out, uint32_t(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  put_be32(out, crc32(out.data() + start, out.size() - start));
}

}  // namespace

SwatchPicture render_swatch(int (*procedure)(const TextureSample&), const SwatchOptions& o) {
  SwatchPicture pic;
  pic.width = pic.height = o.size;
  pic.rgb.resize(size_t(o.size) * size_t(o.size) * 3);
  const float light[3] = {-0.48f, 0.58f, 0.66f};
  const float disc = 0.92f;
  for (int py = 0; py < o.size; ++py)
    for (int px = 0; px < o.size; ++px) {
      uint8_t* rgb = &pic.rgb[(size_t(py) * size_t(o.size) + size_t(px)) * 3];
      float sx = ((float(px) + 0.5f) / float(o.size) * 2.0f - 1.0f) / disc;
      float sy = (1.0f - (float(py) + 0.5f) / float(o.size) * 2.0f) / disc;
      float r2 = sx * sx + sy * sy;
      if (r2 >= 1.0f) {  // background: a quiet checker board
        uint8_t g = ((px / 16 + py / 16) & 1) ? 236 : 222;
        rgb[0] = rgb[1] = rgb[2] = g;
        continue;
      }
      float normal[3] = {sx, sy, std::sqrt(1.0f - r2)};
      float colour[3] = {-1.0f, -1.0f, -1.0f};
      TextureSample s = {normal[0] * o.world_radius, normal[1] * o.world_radius, normal[2] * o.world_radius,
                         o.shader_colour, colour, normal, &kSwatchServices};
      procedure(s);
      ++pic.samples;
      float base[3] = {185.0f, 185.0f, 178.0f};
      if (colour[0] >= 0.0f) {
        ++pic.textured;
        for (int i = 0; i < 3; ++i) base[i] = colour[i];
      }
      float lambert = normal[0] * light[0] + normal[1] * light[1] + normal[2] * light[2];
      float shade = 0.22f + 0.78f * (lambert > 0.0f ? lambert : 0.0f);
      for (int i = 0; i < 3; ++i) rgb[i] = clamp_byte(base[i] * shade);
    }
  return pic;
}

bool write_png(const std::string& path, const SwatchPicture& pic) {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  put_be32(header, uint32_t(pic.width));
  put_be32(header, uint32_t(pic.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  put_chunk(png, "IHDR", header);

  // Scan lines with filter byte 0, as zlib stored blocks.
  std::vector<uint8_t> raw;
  size_t row = size_t(pic.width) * 3;
  for (int y = 0; y < pic.height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), pic.rgb.begin() + long(size_t(y) * row), pic.rgb.begin() + long(size_t(y + 1) * row));
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  size_t pos = 0;
  do {
    size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
    z.push_back(pos + n == raw.size() ? 1 : 0);
    z.push_back(uint8_t(n)), z.push_back(uint8_t(n >> 8));
    z.push_back(uint8_t(~n)), z.push_back(uint8_t(~n >> 8));
    z.insert(z.end(), raw.begin() + long(pos), raw.begin() + long(pos + n));
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
  put_be32(z, (b << 16) | a);
  put_chunk(png, "IDAT", z);
  put_chunk(png, "IEND", {});

  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
  return std::fclose(f) == 0 && ok;
}
