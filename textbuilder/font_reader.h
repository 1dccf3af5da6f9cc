#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/ui.h"

// Type 1 font reader: a single-pass line scanner over a PFB or PFA font. For one
// character it finds the glyph name (glyph-name table, then the font's own /Encoding),
// follows the clear text through the eexec marker into the encrypted part, decodes every
// Subr and the one wanted CharStrings entry into token arrays, and stops.
//
// Reader state is module-wide: one scan at a time, each scan starting from the first byte
// of the font.

// One decoded charstring token. Numbers keep their whole 32-bit value, so a numerator
// written as a 4-byte number reaches `div` intact.
struct CharToken {
  int32_t value;
  int32_t kind;  // kTokenNumber or kTokenOperator
};
constexpr int32_t kTokenNumber = 0;
constexpr int32_t kTokenOperator = 1;

// The decoded tokens of one charstring (a glyph or a Subr); empty when not found/stored.
struct GlyphProgram {
  std::vector<CharToken> tokens;
  int32_t count() const { return int32_t(tokens.size()); }
};

// The font's Subrs, indexed by subroutine number; `entries.size()` is the count the font
// declared on its /Subrs line.
struct SubrTable {
  std::vector<GlyphProgram> entries;
  int32_t count() const { return int32_t(entries.size()); }
};

enum ScanResult { ScanFailed = 0, ScanDone = 1, ScanOutOfMemory = 2 };

// Records of the glyph-name table: record n (64 bytes, NUL-terminated name with its slash)
// names character code n.
constexpr int kGlyphTableRecord = 64;
constexpr const char* kGlyphTableName = "modeler.qel";

// What the reader needs from its surroundings: the glyph-name table's path and the UI
// table for its one message box ("No character in font", caption "QEL", OK; shown with no
// owner window, unlike the builder's own boxes). Kept until changed.
void font_reader_setup(const std::string& glyph_table_path, const UiTable& ui);
// The table's path inside a host folder (which ends with a path separator).
std::string glyph_table_in(const std::string& host_folder);

// The result of the last scan. The caller empties both before a scan and frees them after
// interpreting (font_reader_clear does both).
GlyphProgram& loaded_glyph();
SubrTable& loaded_subrs();
void font_reader_clear();
// The glyph name the last scan looked for (after the font's /Encoding had its say).
const char* wanted_glyph_name();
// The message the builder shows for a scan result ("Font corrupt", "Out of memory"), or
// null for ScanDone.
const char* scan_result_message(ScanResult r);

// Scans the font for character code `code` (the glyph-name table's record, replaced by the
// font's /Encoding entry for the code if it has one). Closes the font on every return.
ScanResult load_glyph_program(int code, const char* font_path);

// The same scan for a glyph given by name (with its slash, as in the CharStrings
// dictionary); `code` is still matched against the font's /Encoding entries (pass -1 to
// match none).
ScanResult load_glyph_by_name(const char* glyph_name, const char* font_path, int code = -1);

// Line and byte reader of the open font (used for the first-line access and by tests).
// font_open resets the reader exactly as a scan does; read_font_line fills the line buffer
// (empty at end of file); next_font_byte returns the next plain byte or -1.
bool font_open(const char* font_path);
void font_close();
void read_font_line();
int next_font_byte();
const char* font_line();
// The first line of the font's text (PFB: of its first text segment); empty if the font
// cannot be read.
std::string read_first_font_line(const char* font_path);

// Every glyph name of the font's CharStrings dictionary, in file order (one pass; the
// charstrings themselves are skipped). Empty if the font cannot be read.
std::vector<std::string> list_glyph_names(const char* font_path);

// One pass that decodes every CharStrings entry (Subrs into loaded_subrs()), handing
// each glyph to `glyphs` in file order. Same reader as the per-character scan; used by
// tools and the corpus checks, where scanning once per glyph would be slow.
struct NamedGlyph {
  std::string name;
  GlyphProgram program;
};
ScanResult load_all_glyphs(const char* font_path, std::vector<NamedGlyph>* glyphs);

// The eexec / charstring cipher (r = 55665 for eexec, 4330 for charstrings).
constexpr uint16_t kEexecKey = 55665;
constexpr uint16_t kCharstringKey = 4330;
inline uint8_t type1_decrypt(uint8_t c, uint16_t* r) {
  uint8_t plain = uint8_t(c ^ (*r >> 8));
  *r = uint16_t((c + *r) * 52845u + 22719u);
  return plain;
}
inline uint8_t type1_encrypt(uint8_t plain, uint16_t* r) {
  uint8_t c = uint8_t(plain ^ (*r >> 8));
  *r = uint16_t((c + *r) * 52845u + 22719u);
  return c;
}
