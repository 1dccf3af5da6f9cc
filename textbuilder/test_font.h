#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "textbuilder/font_reader.h"

// Test helper: writes a small Type 1 font from clear-text parts, encrypting it with the
// published cipher, in PFB or PFA form. Programs are token lists as the reader hands them
// back; a number token whose kind is kWideNumber is written in the 4-byte form.
constexpr int32_t kWideNumber = 2;

struct TestGlyph {
  std::string name;  // with its slash
  std::vector<CharToken> program;
};

struct TestFont {
  bool pfb = true;
  std::string marker_end = "\n";              // what ends the "currentfile eexec" line
  int len_iv = 4;                             // written as "/lenIV N def" unless 4
  std::string len_iv_text;                    // replaces the /lenIV line when set
  std::vector<std::pair<int, std::string>> encoding;  // own Encoding entries (code, name)
  bool encoding_on_one_line = false;
  std::string extra_clear_text;               // a line added before the Encoding
  std::vector<std::vector<CharToken>> subrs;
  int32_t declared_subrs = -1;                // the /Subrs count; -1 = subrs.size()
  std::vector<int32_t> subr_indices;          // the dup index of each Subr; empty = 0, 1, ...
  std::vector<TestGlyph> glyphs;
  int32_t count_excess = 0;                   // added to each glyph's written byte count
  bool end_line = true;                       // "mark currentfile closefile"
  std::vector<uint32_t> empty_segments_before;  // PFB: zero-length segments of these types

  std::vector<uint8_t> bytes() const;
  // Writes bytes() to a fresh file under the test temp folder and returns its path.
  std::string write(const std::string& file_name) const;
};

// Token shorthands.
inline CharToken num(int32_t v) { return CharToken{v, kTokenNumber}; }
inline CharToken wide(int32_t v) { return CharToken{v, kWideNumber}; }
inline CharToken op(int32_t c) { return CharToken{c, kTokenOperator}; }

// The charstring bytes of a program (clear, before the lenIV bytes and encryption).
std::vector<uint8_t> encode_charstring(const std::vector<CharToken>& program);

// Path of the generated glyph-name table of the build under test.
std::string test_glyph_table();
