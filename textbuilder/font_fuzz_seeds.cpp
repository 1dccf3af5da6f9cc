// Writes the seed fonts of the font reader's fuzz target into a folder: small fonts of our
// own making (test_font) in PFB and PFA form that reach every part of the reader and of
// the interpreters (Subrs, an own /Encoding, lenIV, curves, flex, div, seac).
//
//   qel_font_fuzz_seeds DIR
#include <cstdio>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "textbuilder/test_font.h"

namespace {

bool save(const std::string& dir, const std::string& name, const TestFont& font) {
  std::vector<uint8_t> bytes = font.bytes();
  std::string path = dir + "/" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  mkdir(dir.c_str(), 0777);

  // A: lines, curves of every form, closepath; B: callsubr into a Subr that divides and
  // returns; C: flex through callothersubr 1, 2, 0 and setcurrentpoint.
  TestFont basic;
  basic.subrs = {{num(3), num(0), num(1), op(12), op(16), op(11)},
                 {num(7), num(2), op(12), op(12), op(6), op(11)},
                 {num(40), num(10), op(5), op(11)}};
  basic.glyphs = {
      {"/A", {num(50), num(600), op(13), num(10), num(-10), op(21), num(200), op(6), num(-500), num(1131), op(5),
              num(-1131), op(7), num(108), num(-108), num(107), num(-107), num(30), num(60), op(8), num(20),
              num(40), num(60), num(80), op(30), num(80), num(60), num(40), num(20), op(31), op(9), op(14)}},
      {"/B", {num(0), num(500), op(13), num(100), op(22), num(1), op(10), num(2), op(10), op(9), op(14)}},
      {"/C", {num(0), num(0), num(500), num(0), op(12), op(7), num(1), num(0), op(12), op(16), num(10), num(20),
              num(2), num(0), op(12), op(16), num(30), num(40), num(2), num(0), op(12), op(16), num(50), num(60),
              num(70), num(3), num(0), op(12), op(16), op(12), op(17), op(12), op(17), op(12), op(33), op(9),
              op(14)}},
  };
  TestFont pfa = basic;
  pfa.pfb = false;

  // An own /Encoding that gives code 0xE9 a glyph, lenIV 0, an accented character (seac)
  // and a wide number divided down.
  TestFont encoded;
  encoded.encoding = {{65, "/A"}, {0xE9, "/eacute"}};
  encoded.len_iv = 0;
  encoded.glyphs = {
      {"/A", {num(0), num(400), op(13), wide(100000), num(100), op(12), op(12), num(0), op(21), num(300), op(6),
              num(300), op(7), op(9), op(14)}},
      {"/eacute", {num(0), num(0), num(0), num(101), num(194), op(12), op(6), op(14)}},
  };
  TestFont encoded_pfa = encoded;
  encoded_pfa.pfb = false;
  encoded_pfa.encoding_on_one_line = true;

  bool ok = save(dir, "basic.pfb", basic) && save(dir, "basic.pfa", pfa) && save(dir, "encoded.pfb", encoded) &&
            save(dir, "encoded.pfa", encoded_pfa);
  if (!ok) std::fprintf(stderr, "%s: cannot write the seeds into %s\n", argv[0], dir.c_str());
  return ok ? 0 : 1;
}
