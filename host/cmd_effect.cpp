// zel effect: plays the host's part for the effect plug-ins. A small built-in column is
// animated over a number of frames through the same core the DLLs use; each frame is written
// as a Wavefront OBJ, and all frames side by side as a PPM strip of side views.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "effects/effect_frame.h"
#include "effects/gather/gather.h"
#include "effects/shake/shake.h"
#include "effects/spring/spring.h"
#include "host/terminal_ui.h"
#include "host/zel_command.h"

namespace {

// The column: a square section 20 wide, 100 high along the effect's own axis (z for shake
// and build-to, y for spring), in kLevels rings of four corners.
constexpr int kLevels = 11;
constexpr float kHalfWidth = 10.0f;
constexpr float kHeight = 100.0f;

struct Mesh {
  std::vector<EffectVertex> vertices;
  std::vector<std::vector<int>> faces;  // 0-based vertex indices
};

Mesh make_column(bool up_is_y) {
  Mesh m;
  const float corners[4][2] = {{-kHalfWidth, -kHalfWidth}, {kHalfWidth, -kHalfWidth},
                               {kHalfWidth, kHalfWidth}, {-kHalfWidth, kHalfWidth}};
  for (int level = 0; level < kLevels; ++level) {
    const float up = kHeight * level / (kLevels - 1);
    for (const auto& c : corners)
      m.vertices.push_back(up_is_y ? EffectVertex{c[0], up, c[1]} : EffectVertex{c[0], c[1], up});
  }
  for (int level = 0; level + 1 < kLevels; ++level)
    for (int side = 0; side < 4; ++side) {
      const int a = 4 * level + side, b = 4 * level + (side + 1) % 4;
      m.faces.push_back({a, b, b + 4, a + 4});
    }
  m.faces.push_back({3, 2, 1, 0});
  const int top = 4 * (kLevels - 1);
  m.faces.push_back({top, top + 1, top + 2, top + 3});
  return m;
}

EffectInfo bounding_box(const std::vector<EffectVertex>& v, float phase) {
  EffectInfo info{};
  info.vertex_count = int32_t(v.size());
  float lo[3] = {v[0].x, v[0].y, v[0].z}, hi[3] = {v[0].x, v[0].y, v[0].z};
  for (const EffectVertex& p : v) {
    const float c[3] = {p.x, p.y, p.z};
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], c[k]);
      hi[k] = std::max(hi[k], c[k]);
    }
  }
  info.min_x = int32_t(std::floor(lo[0]));
  info.min_y = int32_t(std::floor(lo[1]));
  info.min_z = int32_t(std::floor(lo[2]));
  info.max_x = int32_t(std::ceil(hi[0]));
  info.max_y = int32_t(std::ceil(hi[1]));
  info.max_z = int32_t(std::ceil(hi[2]));
  info.phase = phase;
  return info;
}

bool write_obj(const Mesh& m, const std::vector<EffectVertex>& v, const std::string& path, const char* effect,
               float phase) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  std::fprintf(f, "# zel effect %s, phase %.6g\n", effect, phase);
  for (const EffectVertex& p : v) std::fprintf(f, "v %.9g %.9g %.9g\n", p.x, p.y, p.z);
  for (const auto& face : m.faces) {
    std::fputc('f', f);
    for (int i : face) std::fprintf(f, " %d", i + 1);
    std::fputc('\n', f);
  }
  return std::fclose(f) == 0;
}

// A plain RGB canvas with line drawing, written as binary PPM.
struct Canvas {
  int width, height;
  std::vector<uint8_t> rgb;
  Canvas(int w, int h) : width(w), height(h), rgb(size_t(w) * size_t(h) * 3, 255) {}
  void dot(int x, int y, uint32_t c) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
    p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c);
  }
  void line(int x0, int y0, int x1, int y1, uint32_t c) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (int guard = 0; guard < 100000; ++guard) {
      dot(x0, y0, c);
      if (x0 == x1 && y0 == y1) break;
      const int e2 = 2 * err;
      if (e2 >= dy) err += dy, x0 += sx;
      if (e2 <= dx) err += dx, y0 += sy;
    }
  }
  void box(int x0, int y0, int x1, int y1, uint32_t c) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) dot(x, y, c);
  }
  bool write(const std::string& path) const {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", width, height);
    std::fwrite(rgb.data(), 1, rgb.size(), f);
    return std::fclose(f) == 0;
  }
};

// The side view: x across, the effect's axis up.
struct View {
  float lo_x, hi_x, lo_up, hi_up;
  bool up_is_y;
  float up(const EffectVertex& v) const { return up_is_y ? v.y : v.z; }
};

constexpr int kPanelW = 150, kPanelH = 260, kMargin = 12, kBar = 8, kGap = 2;

void draw_panel(Canvas& c, int left, const View& view, const Mesh& m, const std::vector<EffectVertex>& rest,
                const std::vector<EffectVertex>& v, float phase) {
  const float sx = (kPanelW - 2 * kMargin) / (view.hi_x - view.lo_x);
  const float sy = (kPanelH - kBar - 2 * kMargin) / (view.hi_up - view.lo_up);
  const float s = std::min(sx, sy);
  auto px = [&](const EffectVertex& p) { return left + kPanelW / 2 + int(std::lround(p.x * s)); };
  auto py = [&](const EffectVertex& p) {
    return kPanelH - kBar - kMargin - int(std::lround((view.up(p) - view.lo_up) * s));
  };
  c.line(left, py(rest[0]), left + kPanelW - 1, py(rest[0]), 0xB0B0B0);  // the ground
  for (const auto& face : m.faces)
    for (size_t i = 0; i < face.size(); ++i) {
      const EffectVertex &a = rest[size_t(face[i])], &b = rest[size_t(face[(i + 1) % face.size()])];
      c.line(px(a), py(a), px(b), py(b), 0xD8D8E8);
    }
  for (const auto& face : m.faces)
    for (size_t i = 0; i < face.size(); ++i) {
      const EffectVertex &a = v[size_t(face[i])], &b = v[size_t(face[(i + 1) % face.size()])];
      c.line(px(a), py(a), px(b), py(b), 0x1F3F9F);
    }
  for (const EffectVertex& p : v) c.box(px(p) - 1, py(p) - 1, px(p) + 2, py(p) + 2, 0xC02020);
  // The phase as a bar along the bottom (full width at phase 1).
  const float shown = std::max(0.0f, std::min(1.0f, phase));
  c.box(left, kPanelH - kBar, left + kPanelW, kPanelH, 0xE0E0E0);
  c.box(left, kPanelH - kBar, left + int(shown * kPanelW), kPanelH, 0x30A030);
}

// The dialog as the zel host answers it: Ok, with the given text typed into the field.
struct TypedAnswer {
  const EffectPlugin* plugin;
  std::string text;
};
int answer_dialog(void* context) {
  auto* a = static_cast<TypedAnswer*>(context);
  if (a->plugin->field.control_id != 0) {
    const std::string taken = a->text.substr(0, size_t(a->plugin->field.max_chars));
    a->plugin->field.accept(taken.c_str());
  }
  return kDialogOk;
}
void* host_allocate(uint32_t size) { return std::malloc(size); }
void host_release(void* block) { std::free(block); }

int run(const std::vector<std::string>& in) {
  std::vector<std::string> args = in;
  std::string typed;
  const bool answer = zel_take_option(args, "--ok", &typed);
  long frames = 0;
  if (args.size() != 4 || !zel_parse_long(args[2], &frames) || frames < 1 || frames > 1000)
    return zel_usage("effect");
  const std::string& name = args[0];
  const EffectPlugin* plugin = name == "shake"    ? &shake_plugin()
                               : name == "spring" ? &spring_plugin()
                               : name == "gather" ? &gather_plugin()
                                                  : nullptr;
  if (!plugin) {
    std::fprintf(stderr, "zel effect: unknown effect '%s' (shake, spring or gather)\n", name.c_str());
    return 2;
  }

  // With --ok the parameter string goes through the library's own protocol first, the
  // given string being the old one.
  std::string params = args[1];
  if (answer) {
    TerminalUi terminal;
    const HostAllocator allocator = {host_allocate, host_release};
    char* old = static_cast<char*>(std::malloc(params.size() + 1));
    if (!old) return 1;
    std::memcpy(old, params.c_str(), params.size() + 1);
    TypedAnswer a{plugin, typed};
    char* fresh = effect_set_parameters(*plugin, old, &allocator, answer_dialog, &a, terminal.table());
    if (!fresh) return 1;
    params = fresh;
    std::free(fresh);
    std::printf("parameter string: \"%s\"\n", params.c_str());
  }

  const bool up_is_y = plugin == &spring_plugin();
  const Mesh mesh = make_column(up_is_y);
  std::vector<std::vector<EffectVertex>> shots;
  std::vector<float> phases;
  View view{-kHalfWidth, kHalfWidth, 0.0f, kHeight, up_is_y};
  const std::string& prefix = args[3];
  for (long i = 0; i < frames; ++i) {
    const float phase = frames == 1 ? 0.0f : float(double(i) / double(frames - 1));
    std::vector<EffectVertex> v = mesh.vertices;  // every frame starts from the model at rest
    EffectInfo info = bounding_box(v, phase);
    effect_preview(*plugin, params.c_str(), &info, v.data());
    char path[32];
    std::snprintf(path, sizeof path, "_%03ld.obj", i);
    if (!write_obj(mesh, v, prefix + path, plugin->name, phase)) {
      std::fprintf(stderr, "zel effect: cannot write %s%s\n", prefix.c_str(), path);
      return 1;
    }
    const EffectVertex& top = v.back();
    std::printf("frame %3ld  phase %.4f  top corner (%.4f, %.4f, %.4f)\n", i, phase, top.x, top.y, top.z);
    for (const EffectVertex& p : v) {
      view.lo_x = std::min(view.lo_x, p.x), view.hi_x = std::max(view.hi_x, p.x);
      view.lo_up = std::min(view.lo_up, view.up(p)), view.hi_up = std::max(view.hi_up, view.up(p));
    }
    shots.push_back(std::move(v));
    phases.push_back(phase);
  }
  // Symmetric across so that the column stands in the middle of each panel.
  const float reach = std::max(-view.lo_x, view.hi_x);
  view.lo_x = -reach, view.hi_x = reach;

  Canvas canvas(int(frames) * (kPanelW + kGap) - kGap, kPanelH);
  for (long i = 0; i < frames; ++i)
    draw_panel(canvas, int(i) * (kPanelW + kGap), view, mesh, mesh.vertices, shots[size_t(i)], phases[size_t(i)]);
  if (!canvas.write(prefix + "_strip.ppm")) {
    std::fprintf(stderr, "zel effect: cannot write %s_strip.ppm\n", prefix.c_str());
    return 1;
  }
  std::printf("wrote %ld frames as %s_NNN.obj and %s_strip.ppm\n", frames, prefix.c_str(), prefix.c_str());
  return 0;
}

const ZelCommand command("effect", "shake|spring|gather PARAMS FRAMES OUTPUT_PREFIX [--ok FIELD_TEXT]",
                         "animate a built-in column with an effect plug-in's core; --ok first runs the "
                         "parameter dialog protocol (PARAMS as the old string, Ok with FIELD_TEXT typed)",
                         run);

}  // namespace
