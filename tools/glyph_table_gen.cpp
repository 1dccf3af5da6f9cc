// Writes the glyph-name table modeler.qel: 256 records of 64 bytes, record n holding the
// glyph name (with its slash, NUL-padded) that the standard Type 1 encoding gives code n.
// Codes without a name in that encoding get "/.notdef". Built and run with the machine's
// own compiler in both builds, so the file is the same byte for byte everywhere.
//
//   glyph_table_gen OUTPUT
#include <cstdio>
#include <cstring>

namespace {

struct Named {
  int code;
  const char* name;
};

// The standard encoding: printable ASCII (with the typographic quotes at 39 and 96) and
// the named codes of the upper half.
const char* const kAscii[95] = {
    "space", "exclam", "quotedbl", "numbersign", "dollar", "percent", "ampersand", "quoteright",
    "parenleft", "parenright", "asterisk", "plus", "comma", "hyphen", "period", "slash",
    "zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine",
    "colon", "semicolon", "less", "equal", "greater", "question", "at",
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P", "Q", "R",
    "S", "T", "U", "V", "W", "X", "Y", "Z",
    "bracketleft", "backslash", "bracketright", "asciicircum", "underscore", "quoteleft",
    "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p", "q", "r",
    "s", "t", "u", "v", "w", "x", "y", "z",
    "braceleft", "bar", "braceright", "asciitilde"};

const Named kUpper[] = {
    {161, "exclamdown"}, {162, "cent"}, {163, "sterling"}, {164, "fraction"}, {165, "yen"},
    {166, "florin"}, {167, "section"}, {168, "currency"}, {169, "quotesingle"},
    {170, "quotedblleft"}, {171, "guillemotleft"}, {172, "guilsinglleft"},
    {173, "guilsinglright"}, {174, "fi"}, {175, "fl"}, {177, "endash"}, {178, "dagger"},
    {179, "daggerdbl"}, {180, "periodcentered"}, {182, "paragraph"}, {183, "bullet"},
    {184, "quotesinglbase"}, {185, "quotedblbase"}, {186, "quotedblright"},
    {187, "guillemotright"}, {188, "ellipsis"}, {189, "perthousand"}, {191, "questiondown"},
    {193, "grave"}, {194, "acute"}, {195, "circumflex"}, {196, "tilde"}, {197, "macron"},
    {198, "breve"}, {199, "dotaccent"}, {200, "dieresis"}, {202, "ring"}, {203, "cedilla"},
    {205, "hungarumlaut"}, {206, "ogonek"}, {207, "caron"}, {208, "emdash"}, {225, "AE"},
    {227, "ordfeminine"}, {232, "Lslash"}, {233, "Oslash"}, {234, "OE"},
    {235, "ordmasculine"}, {241, "ae"}, {245, "dotlessi"}, {248, "lslash"}, {249, "oslash"},
    {250, "oe"}, {251, "germandbls"}};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: glyph_table_gen OUTPUT\n");
    return 2;
  }
  const char* names[256];
  for (const char*& n : names) n = ".notdef";
  for (int i = 0; i < 95; ++i) names[32 + i] = kAscii[i];
  for (const Named& n : kUpper) names[n.code] = n.name;

  FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  for (const char* name : names) {
    char record[64] = {0};
    record[0] = '/';
    std::strncpy(record + 1, name, sizeof record - 2);
    std::fwrite(record, 1, sizeof record, out);
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
