// Type 1 font reader: byte source (PFB segments or PFA hexadecimal), eexec layer, line
// reader and the per-line scanner that collects Subrs and the wanted CharStrings entry.
#include "textbuilder/font_reader.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "common/message_box.h"

namespace {

constexpr char kMarker[] = "currentfile eexec\n";
constexpr int kMarkerLength = sizeof(kMarker) - 1;
constexpr int kLineMax = 256;
constexpr int kNameMax = 64;
// A declared Subr count above this is not believed (no font comes near it); the scan ends
// as out of memory, as it would if the table could not be had. So does one above the file's
// size, when that size is known.
constexpr int32_t kMaxSubrs = 1 << 20;

enum class Mode { One, All, List };

struct Reader {
  FILE* file = nullptr;
  long file_size = -1;  // -1: not known (a pipe)
  bool input_ended = false;
  // byte source
  bool at_start = true;
  bool pfb = false;
  int segment_type = 0;
  uint32_t segment_remaining = 0;
  int pfa_phase = 0;
  // eexec marker and decryption
  int marker_pos = 0;
  bool marker_complete = false;
  bool eexec_announced = false;
  bool eexec_active = false;
  uint16_t eexec_key = kEexecKey;
  uint16_t charstring_key = kCharstringKey;
  // line scanner
  bool encrypted_follows = false;
  int32_t len_iv = 4;
  bool in_encoding = false;
  bool in_subrs = false;
  bool in_charstrings = false;
  int32_t subr_count = 0;
  int32_t subr_index = -1;
  char line[kLineMax + 1] = {0};
  char current_name[kNameMax] = {0};
  char wanted_name[kNameMax] = {0};
  int wanted_code = -1;
  // what the scan collects
  Mode mode = Mode::One;
  std::vector<NamedGlyph>* all = nullptr;
  std::vector<std::string>* names = nullptr;
};

struct Setup {
  std::string table;
  UiTable ui{nullptr, nullptr, nullptr};
};

Reader g;
Setup g_setup;
GlyphProgram g_glyph;
SubrTable g_subrs;

// ---- byte source --------------------------------------------------------------------

int end_input() {
  g.input_ended = true;
  return -1;
}

void feed_marker(int b) {
  if (g.marker_complete || b == 0) return;
  if (b == static_cast<unsigned char>(kMarker[g.marker_pos])) {
    if (++g.marker_pos == kMarkerLength) g.marker_complete = true;
  } else {
    g.marker_pos = 0;  // naive restart: this byte is not tested again
  }
}

int hex_value(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

bool is_white(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The next byte of the font's data, before the eexec layer.
int source_byte() {
  if (g.input_ended) return -1;
  int c = std::getc(g.file);
  if (c == EOF) return end_input();
  if (g.at_start) {
    g.at_start = false;
    g.pfb = (c == 0x80);
    if (!g.pfb) g.pfa_phase = 1;
  }
  if (g.pfb) {
    // At a segment boundary the byte just read is the header's marker (not tested). A
    // segment of length 0 holds no data: the byte after its header is the next marker.
    while (g.segment_remaining == 0) {
      int type = std::getc(g.file);
      if (type != 1 && type != 2) return end_input();  // 3 = end of file, others too
      g.segment_type = type;
      uint32_t length = 0;
      for (int i = 0; i < 4; ++i) {
        int b = std::getc(g.file);
        if (b == EOF) return end_input();
        length |= uint32_t(b) << (8 * i);
      }
      g.segment_remaining = length;
      c = std::getc(g.file);
      if (c == EOF) return end_input();
    }
    --g.segment_remaining;
    if (g.segment_type == 1 && c == '\r') c = '\n';
    feed_marker(c);
    return c;
  }
  if (g.pfa_phase == 1) {
    feed_marker(c);
    if (g.marker_complete) g.pfa_phase = 2;
    return c;
  }
  while (is_white(c)) {
    c = std::getc(g.file);
    if (c == EOF) return end_input();
  }
  int low = std::getc(g.file);
  if (low == EOF) return end_input();
  return hex_value(c) * 16 + hex_value(low);
}

// Reads one charstring byte through the charstring cipher.
int charstring_byte() {
  int b = next_font_byte();
  if (b < 0) return -1;
  return type1_decrypt(uint8_t(b), &g.charstring_key);
}

// ---- line parsing helpers ---------------------------------------------------------

// Decimal conversion as atoi does it (leading white space, optional sign, digits up to the
// first non-digit), saturating instead of overflowing.
int32_t parse_decimal(const char* p) {
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  int64_t v = 0;
  while (*p >= '0' && *p <= '9') {
    v = v * 10 + (*p++ - '0');
    if (v > INT32_MAX) v = int64_t(INT32_MAX) + 1;
  }
  if (negative) v = -v;
  if (v > INT32_MAX) v = INT32_MAX;
  return int32_t(v);
}

// Glyph name (from the first "/" to the next space or tab) into `name`; returns the number
// written just before the name, or -1 if there is none.
int32_t parse_name_and_number(const char* line, char* name) {
  const char* slash = std::strchr(line, '/');
  if (!slash) {
    name[0] = '\0';
    return -1;
  }
  int n = 0;
  for (const char* p = slash; *p && *p != ' ' && *p != '\t' && n < kNameMax - 1; ++p) name[n++] = *p;
  name[n] = '\0';
  const char* q = slash;
  while (q > line && (q[-1] == ' ' || q[-1] == '\t')) --q;
  if (q == line) return -1;
  while (q > line && q[-1] != ' ' && q[-1] != '\t') --q;
  return parse_decimal(q);
}

// The integer in the token after `keyword` (the token holding the keyword itself is
// skipped); `none` without the keyword, 0 without a following token.
int32_t parse_keyword_number(const char* line, const char* keyword, int32_t none) {
  const char* p = std::strstr(line, keyword);
  if (!p) return none;
  auto is_sep = [](char c) { return c == '\n' || c == '\t' || c == ' '; };
  while (*p && !is_sep(*p)) ++p;  // the keyword's own token
  while (*p && is_sep(*p)) ++p;
  if (!*p) return 0;
  return parse_decimal(p);
}

// ---- charstrings --------------------------------------------------------------------

void skip_bytes(int64_t n) {
  for (int64_t i = 0; i < n; ++i)
    if (next_font_byte() < 0) return;
}

// Handles one charstring whose byte count ends the current line: decodes it into the
// Subr table or the glyph, or skips it. 0 = go on, 1 = wanted glyph complete, 2 = out of
// memory (or a Subr index outside the declared count).
int decode_charstring() {
  char* last_sep = nullptr;
  for (char* p = g.line; *p; ++p)
    if (*p == ' ' || *p == '\t') last_sep = p;
  int64_t n = parse_decimal(last_sep ? last_sep + 1 : g.line);

  bool decode;
  if (g.in_charstrings) {
    if (g.mode == Mode::List && g.names) g.names->emplace_back(g.current_name);
    decode = g.mode == Mode::All || (g.mode == Mode::One && std::strcmp(g.current_name, g.wanted_name) == 0);
  } else {
    decode = g.in_subrs;
  }
  if (!decode) {
    skip_bytes(n);
    return 0;
  }
  if (last_sep) *last_sep = '\0';

  GlyphProgram* target = nullptr;
  try {
    if (g.in_subrs) {
      // An index outside the declared count fails at the first token stored.
      if (g.subr_index >= 0 && g.subr_index < g.subr_count) target = &g_subrs.entries[size_t(g.subr_index)];
    } else if (g.mode == Mode::All) {
      g.all->push_back(NamedGlyph{g.current_name, {}});
      target = &g.all->back().program;
    } else {
      target = &g_glyph;
    }
    g.charstring_key = kCharstringKey;
    for (int32_t i = 0; i < g.len_iv; ++i)
      if (charstring_byte() < 0) break;
    n -= g.len_iv;
    while (n > 0) {
      int b = charstring_byte();
      if (b < 0) break;  // the font ended inside the charstring
      --n;
      if (!target) return 2;
      CharToken t{b, kTokenOperator};
      if (b >= 32) {
        t.kind = kTokenNumber;
        if (b <= 246) {
          t.value = b - 139;
        } else if (b <= 254) {
          int w = charstring_byte();
          --n;
          if (w < 0) break;
          t.value = b <= 250 ? (b - 247) * 256 + w + 108 : -(b - 251) * 256 - w - 108;
        } else {
          uint32_t v = 0;
          int i = 0;
          for (; i < 4; ++i) {
            int w = charstring_byte();
            if (w < 0) break;
            v = (v << 8) | uint32_t(w);
          }
          n -= 4;
          if (i < 4) break;
          t.value = int32_t(v);
        }
        target->tokens.push_back(t);
      } else {
        target->tokens.push_back(t);
        if (b == 12) {
          int s = charstring_byte();
          --n;
          if (s < 0) break;
          target->tokens.push_back(CharToken{s, kTokenOperator});
        }
      }
    }
  } catch (const std::bad_alloc&) {
    return 2;
  }
  return (g.in_subrs || g.mode != Mode::One) ? 0 : 1;
}

void reset_reader(FILE* file) {
  std::vector<NamedGlyph>* all = g.all;
  std::vector<std::string>* names = g.names;
  Mode mode = g.mode;
  g = Reader();
  g.file = file;
  g.all = all;
  g.names = names;
  g.mode = mode;
  if (file && std::fseek(file, 0, SEEK_END) == 0) {
    g.file_size = std::ftell(file);
    std::rewind(file);
  }
}

ScanResult scan_lines() {
  for (;;) {
    read_font_line();
    if (g.line[0] == '\0') return ScanDone;

    if (const char* p = std::strstr(g.line, "/lenIV ")) {
      if (p[7] >= '0' && p[7] <= '9') g.len_iv = parse_decimal(p + 7);
    }
    if (!g.eexec_active) {
      if (!g.in_encoding && std::strstr(g.line, "/Encoding")) {
        g.in_encoding = true;
      } else if (g.in_encoding) {
        if (std::strstr(g.line, "readonly def")) {
          g.in_encoding = false;
        } else {
          int32_t code = parse_name_and_number(g.line, g.current_name);
          if (g.wanted_code >= 0 && code == g.wanted_code) std::memcpy(g.wanted_name, g.current_name, kNameMax);
        }
      }
    } else {
      if (!g.in_charstrings && std::strstr(g.line, "/CharStrings")) {
        g.in_charstrings = true;
        g.in_subrs = false;
      }
      if (g.subr_count == 0 && !g.in_subrs) {
        int32_t count = parse_keyword_number(g.line, "/Subrs", 0);
        if (count > 0) {
          if (count > kMaxSubrs || (g.file_size >= 0 && count > g.file_size)) return ScanOutOfMemory;
          try {
            g_subrs.entries.assign(size_t(count), GlyphProgram());
          } catch (const std::bad_alloc&) {
            return ScanOutOfMemory;
          }
          g.subr_count = count;
          g.in_subrs = true;
        }
      } else if (g.in_subrs && (std::strstr(g.line, " ND") || std::strstr(g.line, "|-"))) {
        g.in_subrs = false;
      }
    }
    if (g.encrypted_follows) {
      if (g.in_subrs)
        g.subr_index = parse_keyword_number(g.line, "dup", -1);
      else
        parse_name_and_number(g.line, g.current_name);
      int r = decode_charstring();
      if (r == 1) return ScanDone;
      if (r == 2) return ScanOutOfMemory;
    }
    if (std::strcmp(g.line, "mark currentfile closefile\n") == 0) {
      if (g.mode == Mode::One) ui_message(g_setup.ui, "No character in font", "QEL", mb::Ok);
      return ScanDone;
    }
  }
}

ScanResult run_scan(const char* font_path) {
  FILE* f = std::fopen(font_path, "rb");
  if (!f) return ScanFailed;
  char wanted[kNameMax];
  std::memcpy(wanted, g.wanted_name, kNameMax);
  int code = g.wanted_code;
  reset_reader(f);
  std::memcpy(g.wanted_name, wanted, kNameMax);
  g.wanted_code = code;
  ScanResult r = scan_lines();
  std::fclose(f);
  g.file = nullptr;
  g.all = nullptr;
  g.names = nullptr;
  g.mode = Mode::One;
  return r;
}

void set_wanted(const char* name, int code) {
  std::memset(g.wanted_name, 0, kNameMax);
  size_t n = std::strlen(name);
  std::memcpy(g.wanted_name, name, n < kNameMax - 1 ? n : kNameMax - 1);
  g.wanted_code = code;
}

}  // namespace

// ---- public ---------------------------------------------------------------------------

void font_reader_setup(const std::string& glyph_table_path, const UiTable& ui) {
  g_setup.table = glyph_table_path;
  g_setup.ui = ui;
}

std::string glyph_table_in(const std::string& host_folder) { return host_folder + kGlyphTableName; }

GlyphProgram& loaded_glyph() { return g_glyph; }
SubrTable& loaded_subrs() { return g_subrs; }

void font_reader_clear() {
  g_glyph.tokens = std::vector<CharToken>();
  g_subrs.entries = std::vector<GlyphProgram>();
}

const char* wanted_glyph_name() { return g.wanted_name; }

const char* scan_result_message(ScanResult r) {
  switch (r) {
    case ScanFailed: return "Font corrupt";
    case ScanOutOfMemory: return "Out of memory";
    default: return nullptr;
  }
}

ScanResult load_glyph_program(int code, const char* font_path) {
  if (code < 0) return ScanFailed;
  FILE* table = std::fopen(g_setup.table.c_str(), "rb");
  if (!table) return ScanFailed;
  char record[kGlyphTableRecord];
  std::fseek(table, long(code) * kGlyphTableRecord, SEEK_SET);
  size_t got = std::fread(record, 1, sizeof record, table);
  std::fclose(table);
  if (got != sizeof record) return ScanFailed;
  record[kGlyphTableRecord - 1] = '\0';
  set_wanted(record, code);
  g.mode = Mode::One;
  return run_scan(font_path);
}

ScanResult load_glyph_by_name(const char* glyph_name, const char* font_path, int code) {
  set_wanted(glyph_name, code);
  g.mode = Mode::One;
  return run_scan(font_path);
}

ScanResult load_all_glyphs(const char* font_path, std::vector<NamedGlyph>* glyphs) {
  set_wanted("", -1);
  g.mode = Mode::All;
  g.all = glyphs;
  return run_scan(font_path);
}

std::vector<std::string> list_glyph_names(const char* font_path) {
  std::vector<std::string> names;
  set_wanted("", -1);
  g.mode = Mode::List;
  g.names = &names;
  run_scan(font_path);
  font_reader_clear();
  return names;
}

bool font_open(const char* font_path) {
  FILE* f = std::fopen(font_path, "rb");
  if (!f) return false;
  reset_reader(f);
  return true;
}

void font_close() {
  if (g.file) std::fclose(g.file);
  g.file = nullptr;
}

const char* font_line() { return g.line; }

std::string read_first_font_line(const char* font_path) {
  if (!font_open(font_path)) return std::string();
  read_font_line();
  std::string line = g.line;
  font_close();
  return line;
}

int next_font_byte() {
  int b = source_byte();
  if (b < 0) return -1;
  if (g.eexec_active) return type1_decrypt(uint8_t(b), &g.eexec_key);
  if (g.marker_complete && !g.eexec_announced) {
    g.eexec_announced = true;
    g.eexec_active = true;
    g.eexec_key = kEexecKey;
    for (int i = 0; i < 4; ++i) {
      int t = source_byte();
      if (t < 0) break;
      type1_decrypt(uint8_t(t), &g.eexec_key);
    }
  }
  return b;
}

void read_font_line() {
  g.encrypted_follows = false;
  int len = 0;
  for (;;) {
    int b = next_font_byte();
    if (b < 0) break;
    if (b == '\r') {
      g.line[len++] = '\n';
      break;
    }
    g.line[len++] = char(b);
    if (len >= 4 && (std::memcmp(g.line + len - 4, " RD ", 4) == 0 || std::memcmp(g.line + len - 4, " -| ", 4) == 0)) {
      len -= 4;
      g.encrypted_follows = true;
      break;
    }
    if (!g.eexec_active && len >= 5 && std::memcmp(g.line + len - 5, " put ", 5) == 0) {
      g.line[len - 1] = '\n';
      break;
    }
    if (b == '\n' || len == kLineMax) break;
  }
  g.line[len] = '\0';
}
