// zel text FONT "TEXT" -o OUT.(obj|ply|stl|gltf|glb) [--png FILE] [--size PX] [--width N]
//          [--front] [--back] [--angle A] [--depth D] [--no-fill] [--hold 0..6] [--rtl]
//          [--face RRGGBB] [--side RRGGBB] [--bevel-color RRGGBB] [--glyph-table FILE]
//          [--times]
//
// Builds a line of solid letters from a Type 1 font (PFB or PFA) into the mesh model, the
// way the text builder writes them into the host's model, and writes the mesh file (format
// by extension) and, with --png, a picture of it PX pixels wide (default 800), seen from the
// side the text reads from.
//
// The settings start from the builder dialog's usual values: thickness (--width) 20,
// bevel depth 20 and angle 45 (used when --front or --back asks for a bevel), filled
// faces, hold point 0, left to right, gold faces on brown sides with a pale bevel.
//
// Prints the objects, vertices and triangles made and the files written; with --times,
// the seconds each stage took. A font that cannot be read, a character missing from it,
// a bad option or a file that cannot be written: a message on stderr, exit status 1, and
// none of the output files left behind.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/program_folder.h"
#include "host/terminal_ui.h"
#include "host/zel_command.h"
#include "mesh/mesh_export.h"
#include "mesh/mesh_model.h"
#include "mesh/mesh_render.h"
#include "mesh/mesh_text.h"
#include "textbuilder/font_reader.h"
#include "textbuilder/text_build.h"

namespace {

bool parse_colour(const std::string& text, uint8_t out[3]) {
  if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
  unsigned long rgb = std::strtoul(text.c_str(), nullptr, 16);
  out[0] = uint8_t(rgb >> 16), out[1] = uint8_t(rgb >> 8), out[2] = uint8_t(rgb);
  return true;
}

int fail(const char* text, const std::string& detail = "") {
  std::fprintf(stderr, "zel text: %s%s\n", text, detail.c_str());
  return 1;
}

// A numeric option within a range; false (after a message) if present and bad.
bool take_number(std::vector<std::string>& args, const char* option, long lo, long hi, int32_t* value) {
  std::string text;
  if (!zel_take_option(args, option, &text)) return true;
  long v = 0;
  if (!zel_parse_long(text, &v) || v < lo || v > hi) {
    std::fprintf(stderr, "zel text: %s wants a whole number from %ld to %ld, not \"%s\"\n", option, lo, hi, text.c_str());
    return false;
  }
  *value = int32_t(v);
  return true;
}

bool take_colour(std::vector<std::string>& args, const char* option, uint8_t out[3]) {
  std::string text;
  if (!zel_take_option(args, option, &text)) return true;
  if (parse_colour(text, out)) return true;
  std::fprintf(stderr, "zel text: %s wants a colour as RRGGBB (hexadecimal), not \"%s\"\n", option, text.c_str());
  return false;
}

double seconds_since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

void remove_outputs(const std::vector<std::string>& files) {
  for (const std::string& f : files)
    if (!f.empty()) std::remove(f.c_str());
}

int run(const std::vector<std::string>& given) {
  std::vector<std::string> args = given;
  TextBuildSettings s = mesh_text_settings();
  std::string out, png, table = glyph_table_in(program_folder());
  int32_t picture_width = 800;
  zel_take_option(args, "-o", &out);
  zel_take_option(args, "--png", &png);
  zel_take_option(args, "--glyph-table", &table);
  s.bevel_front = zel_take_flag(args, "--front") ? 1 : 0;
  s.bevel_back = zel_take_flag(args, "--back") ? 1 : 0;
  if (zel_take_flag(args, "--no-fill")) s.fill_faces = 0;
  if (zel_take_flag(args, "--rtl")) s.direction = -1;
  bool times = zel_take_flag(args, "--times");
  if (!take_number(args, "--width", 0, 100, &s.extrusion_width) || !take_number(args, "--angle", 5, 80, &s.bevel_angle) ||
      !take_number(args, "--depth", 0, 100, &s.bevel_depth) || !take_number(args, "--hold", 0, 6, &s.hold_point) ||
      !take_number(args, "--size", 16, 4096, &picture_width) || !take_colour(args, "--face", s.face_color) ||
      !take_colour(args, "--side", s.side_color) || !take_colour(args, "--bevel-color", s.bevel_color))
    return 1;
  for (const std::string& a : args)
    if (a.size() > 2 && a[0] == '-' && a[1] == '-') return fail("unknown option ", a);
  if (args.size() != 2 || out.empty()) {
    zel_usage("text");  // a bad option, like every other refusal, exits with 1
    return 1;
  }
  const std::string& font = args[0];
  const std::string& text = args[1];
  if (font.size() >= sizeof s.font_path) return fail("font path longer than 127 bytes: ", font);
  if (text.empty() || text.size() >= sizeof s.text) return fail("the text must have 1 to 63 characters");
  for (unsigned char c : text)
    if (c < 32 || c > 126) return fail("the text must be printable ASCII: ", text);
  if (!mesh_export_format(out)) return fail("unknown mesh format (use .obj, .ply, .stl, .gltf or .glb): ", out);
  if (access(font.c_str(), R_OK) != 0) return fail("cannot read the font ", font);
  std::memcpy(s.font_path, font.c_str(), font.size() + 1);
  std::memcpy(s.text, text.c_str(), text.size() + 1);

  TerminalUi ui;
  font_reader_setup(table, ui.table());
  MeshModel model;
  auto t0 = std::chrono::steady_clock::now();
  build_text(s, &model.iface, ui.table());
  double build_seconds = seconds_since(t0);
  if (ui.boxes_shown > 0) return fail("nothing written: the font could not be built from");
  if (model.face_count == 0)
    return fail("nothing written: no letter of the text has an outline in ", font + " (is it a Type 1 font?)");

  std::vector<std::string> written{out, mesh_export_companion(out)};
  MeshColourNames names = mesh_colour_names(s);
  std::string error;
  auto t1 = std::chrono::steady_clock::now();
  if (!mesh_export(model, out, &names, &error)) {
    remove_outputs(written);
    return fail("", error);
  }
  double export_seconds = seconds_since(t1);
  double render_seconds = 0;
  if (!png.empty()) {
    written.push_back(png);
    auto t2 = std::chrono::steady_clock::now();
    if (!mesh_render_png(model, png, picture_width, picture_width * 9 / 16, &error, s.direction < 0)) {
      remove_outputs(written);
      return fail("", error);
    }
    render_seconds = seconds_since(t2);
  }
  std::printf("objects %d\nvertices %d\ntriangles %d\nwrote %s", int(model.objects.size() - 1), int(model.vertex_count),
              int(model.face_count), out.c_str());
  if (!written[1].empty()) std::printf(" %s", written[1].c_str());
  if (!png.empty()) std::printf(" %s", png.c_str());
  std::printf("\n");
  if (times) {
    const MeshTimes& t = model.times;
    double outline = build_seconds - t.fill - t.bevel - t.extrude;
    std::printf("seconds: glyphs+outlines %.4f extrusion %.4f bevel %.4f fill %.4f export %.4f render %.4f\n", outline,
                t.extrude, t.bevel, t.fill, export_seconds, render_seconds);
    if (build_seconds > 0) std::printf("triangles per second (build) %.0f\n", model.face_count / build_seconds);
  }
  return 0;
}

ZelCommand command("text",
                   "FONT \"TEXT\" -o OUT.(obj|ply|stl|gltf|glb) [--png FILE] [--size PX] [--width N] [--front] [--back] "
                   "[--angle A] [--depth D] [--no-fill] [--hold 0..6] [--rtl] [--face RRGGBB] [--side RRGGBB] "
                   "[--bevel-color RRGGBB] [--glyph-table FILE] [--times]",
                   "3D text from a Type 1 font: a mesh file through the text builder, and a picture", run);

}  // namespace
