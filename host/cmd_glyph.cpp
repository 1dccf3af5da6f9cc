// zel glyph FONT CODE [--glyph-table FILE]
//
// Reads one character of a Type 1 font (PFB or PFA) the way the text builder does and
// prints what it found, so that a font that builds wrong letters can be looked into.
// CODE is a decimal character code, or a single non-digit character standing for its own
// code. The glyph-name table defaults to modeler.qel beside the zel program.
//
// Output, plain text, one item per line (numbers in decimal):
//
//   scan R WORD          the reader's result: 0 ScanFailed, 1 ScanDone, 2 ScanOutOfMemory
//   glyph NAME           the glyph name looked for (with its slash)
//   subrs N              number of Subrs the font declared
//   tokens N             then N lines, one per token of the glyph program:
//   num V                  a number (its whole 32-bit value)
//   op C NAME              an operator (C = 0..31; NAME is "?" for unknown codes)
//   esc C NAME             the escape code that follows "op 12 escape"
//   segments N           then N lines "x0 y0 x1 y1": the preview outline's segments in
//                        1/32 font unit, before any normalisation, in drawing order
//   advance WX WY        the advance set by hsbw / sbw, in 1/32 font unit
//
// A font that cannot be read prints the reader's message ("Font corrupt", "Out of
// memory") on stderr and exits with 1; a glyph that is not in the font exits with 1 after
// printing the (empty) program ("No character in font" goes to stderr when the font's
// end line is met).
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "common/program_folder.h"
#include "host/terminal_ui.h"
#include "host/zel_command.h"
#include "textbuilder/charstring.h"
#include "textbuilder/font_reader.h"

namespace {

const char* operator_name(int32_t code) {
  static const char* const names[32] = {
      "?",      "hstem",   "?",      "vstem",    "vmoveto", "rlineto", "hlineto", "vlineto",
      "rrcurveto", "closepath", "callsubr", "return", "escape", "hsbw", "endchar", "?",
      "?",      "?",       "?",      "?",        "?",       "rmoveto", "hmoveto", "?",
      "?",      "?",       "?",      "?",        "?",       "?",       "vhcurveto", "hvcurveto"};
  return code >= 0 && code < 32 ? names[code] : "?";
}

const char* escape_name(int32_t code) {
  switch (code) {
    case 0: return "dotsection";
    case 1: return "vstem3";
    case 2: return "hstem3";
    case 6: return "seac";
    case 7: return "sbw";
    case 12: return "div";
    case 16: return "callothersubr";
    case 17: return "pop";
    case 33: return "setcurrentpoint";
    default: return "?";
  }
}

int run(const std::vector<std::string>& given) {
  std::vector<std::string> args = given;
  std::string table = glyph_table_in(program_folder());
  zel_take_option(args, "--glyph-table", &table);
  if (args.size() != 2) return zel_usage("glyph");
  long code = 0;
  if (args[1].size() == 1 && (args[1][0] < '0' || args[1][0] > '9'))
    code = static_cast<unsigned char>(args[1][0]);
  else if (!zel_parse_long(args[1], &code) || code < 0 || code > INT_MAX / 64)
    return zel_usage("glyph");

  TerminalUi ui;
  font_reader_setup(table, ui.table());
  font_reader_clear();
  ScanResult r = load_glyph_program(int(code), args[0].c_str());
  if (const char* message = scan_result_message(r)) {
    std::fprintf(stderr, "QEL: %s\n", message);
    font_reader_clear();
    return 1;
  }
  const GlyphProgram& glyph = loaded_glyph();
  std::printf("scan %d ScanDone\nglyph %s\nsubrs %d\ntokens %d\n", int(r), wanted_glyph_name(),
              int(loaded_subrs().count()), int(glyph.count()));
  for (size_t i = 0; i < glyph.tokens.size(); ++i) {
    const CharToken& t = glyph.tokens[i];
    if (t.kind == kTokenNumber) {
      std::printf("num %d\n", int(t.value));
      continue;
    }
    std::printf("op %d %s\n", int(t.value), operator_name(t.value));
    if (t.value == 12 && i + 1 < glyph.tokens.size()) {
      int32_t e = glyph.tokens[++i].value;
      std::printf("esc %d %s\n", int(e), escape_name(e));
    }
  }
  SegmentList segments;
  begin_preview(&segments, &loaded_subrs());
  run_preview_program(glyph);
  std::printf("segments %d\n", int(segments.count()));
  for (const OutlineSegment& s : segments.segments)
    std::printf("%d %d %d %d\n", int(s.x0), int(s.y0), int(s.x1), int(s.y1));
  const PenState& pen = charstring_machine().pen;
  std::printf("advance %d %d\n", int(pen.wx), int(pen.wy));
  bool found = glyph.count() > 0;
  font_reader_clear();
  return found ? 0 : 1;
}

ZelCommand command("glyph", "FONT CODE [--glyph-table FILE]",
                   "print a Type 1 glyph: scan result, token program, preview segments, advance", run);

}  // namespace
