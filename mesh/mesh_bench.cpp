// Benchmark (run by hand, not a test): the stages of `zel text` on a 20-character line with
// thickness, both bevels and fill.
//   zel_mesh_bench FONT.pfb [RUNS] [OUT_DIR]
// Prints the median seconds of each stage over RUNS runs (default 20) and the triangles
// made per second of building. The glyph loading is timed on its own by scanning each
// character once more before the build (the build itself reads them again, so "outlines"
// is the build less its host operations less that loading time). The pictures are drawn
// after all the other runs: OSMesa starts threads, and from then on every getc of the font
// reader takes the stream's lock, which makes loading about three times slower.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/program_folder.h"
#include "common/ui_recorder.h"
#include "mesh/mesh_export.h"
#include "mesh/mesh_model.h"
#include "mesh/mesh_render.h"
#include "mesh/mesh_text.h"
#include "textbuilder/font_reader.h"
#include "textbuilder/text_build.h"

namespace {

double now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: zel_mesh_bench FONT.pfb [RUNS] [OUT_DIR]\n");
    return 2;
  }
  int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
  std::string out_dir = argc > 3 ? argv[3] : "/tmp";
  UiRecorder ui;
  font_reader_setup(glyph_table_in(program_folder()), ui.table());
  const char* text = "Solid Letters in 3D!";
  TextBuildSettings s = mesh_text_settings();
  s.bevel_front = s.bevel_back = 1;
  std::snprintf(s.font_path, sizeof s.font_path, "%s", argv[1]);
  std::snprintf(s.text, sizeof s.text, "%s", text);

  std::vector<double> load, build, outline, extrude, bevel, fill, glb, render, total;
  int32_t triangles = 0, vertices = 0;
  for (int r = 0; r < runs; ++r) {
    double t0 = now();
    for (const char* c = text; *c; ++c) {
      font_reader_clear();
      if (load_glyph_program(static_cast<unsigned char>(*c), s.font_path) != ScanDone) {
        std::fprintf(stderr, "cannot read %s\n", s.font_path);
        return 1;
      }
    }
    font_reader_clear();
    double t1 = now();
    MeshModel m;
    build_text(s, &m.iface, ui.table());
    double t2 = now();
    std::string error;
    if (!mesh_export(m, out_dir + "/zel_mesh_bench.glb", nullptr, &error) ||
        !mesh_export(m, out_dir + "/zel_mesh_bench.obj", nullptr, &error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    double t3 = now();
    load.push_back(t1 - t0);
    build.push_back(t2 - t1);
    outline.push_back(t2 - t1 - m.times.extrude - m.times.bevel - m.times.fill - (t1 - t0));
    extrude.push_back(m.times.extrude);
    bevel.push_back(m.times.bevel);
    fill.push_back(m.times.fill);
    glb.push_back(t3 - t2);
    total.push_back(t3 - t1);
    triangles = m.face_count, vertices = m.vertex_count;
  }
  MeshModel m;
  build_text(s, &m.iface, ui.table());
  for (int r = 0; r < runs; ++r) {
    std::string error;
    double t0 = now();
    if (!mesh_render_png(m, out_dir + "/zel_mesh_bench.png", 800, 450, &error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    render.push_back(now() - t0);
  }
  std::printf("\"%s\" in %s: %d vertices, %d triangles; median of %d runs, milliseconds:\n", text, argv[1], int(vertices),
              int(triangles), runs);
  std::printf("  glyph loading %.2f\n  outlines      %.2f\n  extrusion     %.2f\n  bevel         %.2f\n"
              "  tessellation  %.2f\n  build total   %.2f\n  export (.glb + .obj) %.2f\n  render 800x450 %.2f\n"
              "  build + export + render %.2f\n",
              1e3 * median(load), 1e3 * median(outline), 1e3 * median(extrude), 1e3 * median(bevel), 1e3 * median(fill),
              1e3 * median(build), 1e3 * median(glb), 1e3 * median(render), 1e3 * (median(total) + median(render)));
  std::printf("  triangles per second of building: %.0f\n", triangles / median(build));
  return 0;
}
