// Benchmark (not a test): loads and interprets every printable ASCII glyph of one font the
// way the text builder does (each load scanning the font from its start), and prints
// glyphs per second next to FreeType reference lines: opening the face for every glyph
// (the same work per call as our scan) and loading from a face opened once.
//
//   qel_glyph_bench FONT.pfb [SECONDS]
#include <ft2build.h>
#include FT_FREETYPE_H


#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/program_folder.h"
#include "textbuilder/charstring.h"
#include "textbuilder/font_reader.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
void measure(const char* label, double seconds, F per_glyph) {
  long glyphs = 0;
  long sink = 0;
  auto start = Clock::now();
  double elapsed = 0;
  do {
    for (int code = 32; code < 127; ++code) sink += per_glyph(code);
    glyphs += 95;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  } while (elapsed < seconds);
  std::printf("%-52s %10.0f glyphs/s  (%ld glyphs in %.2f s, check %ld)\n", label, glyphs / elapsed, glyphs, elapsed,
              sink);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qel_glyph_bench FONT.pfb [SECONDS]\n");
    return 2;
  }
  const char* font = argv[1];
  double seconds = argc > 2 ? std::atof(argv[2]) : 1.0;
  UiTable quiet{nullptr, nullptr, nullptr};
  font_reader_setup(glyph_table_in(program_folder()), quiet);
  std::printf("font %s, printable ASCII (codes 32..126)\n", font);

  measure("zel: scan from the start + preview interpreter", seconds, [&](int code) {
    font_reader_clear();
    if (load_glyph_program(code, font) != ScanDone) return 0L;
    SegmentList segments;
    begin_preview(&segments, &loaded_subrs());
    run_preview_program(loaded_glyph());
    return long(segments.count());
  });
  font_reader_clear();

  FT_Library ft;
  if (FT_Init_FreeType(&ft)) return 1;
  measure("FreeType: open face + load unscaled, per glyph", seconds, [&](int code) {
    FT_Face face;
    if (FT_New_Face(ft, font, 0, &face)) return 0L;
    long points = 0;
    if (FT_Load_Char(face, FT_ULong(code), FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) == 0)
      points = face->glyph->outline.n_points;
    FT_Done_Face(face);
    return points;
  });
  FT_Face face;
  if (FT_New_Face(ft, font, 0, &face)) return 1;
  measure("FreeType: load unscaled from a face opened once", seconds, [&](int code) {
    if (FT_Load_Char(face, FT_ULong(code), FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING)) return 0L;
    return long(face->glyph->outline.n_points);
  });
  FT_Done_Face(face);
  FT_Done_FreeType(ft);
  return 0;
}
