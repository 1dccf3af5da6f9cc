#include "textures/texture_grid.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

struct GridCase {
  const char* startup;
  const char* other;  // null: no Morph
  float t;
};

// Default values, odd scales and a blend between two keys; the dots reuse the strings,
// reading only the radius.
const GridCase kCases[] = {
    {"# 0.30 1.50  1.00 1.00 1.00", nullptr, 0.0f},
    {"# 0.21 -2.25  2.00 0.70 1.30", nullptr, 0.0f},
    {"# 0.15 0.50  1.00 1.00 3.00", "# 0.45 3.00  0.50 1.00 1.00", 0.37f},
};

// Coordinates that hit cell edges, centres, negative cells and odd fractions.
const float kCoordinates[] = {-0.2f, 0.37f, 0.5f, 1.0f, 2.75f};

// Points whose squared distance lies just inside the default radius 0.3: summed with
// products rounded to float, as an FPU set to single precision would, it comes out equal
// to the radius, i.e. outside.
const float kEdgePoints[][3] = {{0.958257556f, 0.8f, 0.5f}};

struct ServiceLog {
  int make_vector_calls;
  float args[3];
  int finish_calls;
};
ServiceLog g_log;

void ZEL_CDECL log_make_vector(float* out, float dx, float dy, float dz) {
  ++g_log.make_vector_calls;
  g_log.args[0] = dx, g_log.args[1] = dy, g_log.args[2] = dz;
  out[0] = dx, out[1] = dy, out[2] = dz;
}

void ZEL_CDECL log_finish_normal(float*) { ++g_log.finish_calls; }

uint32_t bits(float f) {
  uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

void append(std::string& s, const char* format, ...) __attribute__((format(printf, 2, 3)));
void append(std::string& s, const char* format, ...) {
  char line[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  s += line;
}

// One sample point through the texture, as one line of figures.
void append_point(std::string& out, const GridTexture& texture, int case_number, float x, float y, float z) {
  static const TextureServices services = {nullptr, log_make_vector, nullptr, nullptr, nullptr,
                                           log_finish_normal};
  const uint8_t shader[3] = {200, 17, 255};
  float normal[3] = {0.25f, -0.5f, 0.75f};
  float colour[3] = {-1.0f, -1.0f, -1.0f};
  g_log = ServiceLog{};
  texture.procedure(normal, x, y, z, shader, colour, &services);
  append(out, "%s %d %08X %08X %08X", texture.name, case_number, unsigned(bits(x)), unsigned(bits(y)),
         unsigned(bits(z)));
  if (colour[0] == -1.0f) {
    out += " out";
  } else {
    append(out, " colour %g %g %g", double(colour[0]), double(colour[1]), double(colour[2]));
  }
  if (g_log.make_vector_calls)
    append(out, " offsets %08X %08X %08X", unsigned(bits(g_log.args[0])), unsigned(bits(g_log.args[1])),
           unsigned(bits(g_log.args[2])));
  if (normal[0] != 0.25f || normal[1] != -0.5f || normal[2] != 0.75f || g_log.finish_calls)
    append(out, " normal %08X %08X %08X finished %d", unsigned(bits(normal[0])), unsigned(bits(normal[1])),
           unsigned(bits(normal[2])), g_log.finish_calls);
  out += '\n';
}

}  // namespace

std::string grid_figures(const GridTexture& texture) {
  std::string out;
  int case_number = 0;
  for (const GridCase& c : kCases) {
    texture.startup(c.startup);
    if (c.other) texture.morph(c.other, c.t);
    for (float x : kCoordinates)
      for (float y : kCoordinates)
        for (float z : kCoordinates) append_point(out, texture, case_number, x, y, z);
    for (const auto& p : kEdgePoints) append_point(out, texture, case_number, p[0], p[1], p[2]);
    ++case_number;
  }
  return out;
}

std::string grid_figures_path(const char* testdata_dir) {
  return std::string(testdata_dir) + "/grid_figures.txt";
}

bool read_text_file(const std::string& path, std::string* text) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  text->clear();
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text->append(buf, n);
  std::fclose(f);
  return true;
}
