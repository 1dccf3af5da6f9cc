#include "textbuilder/test_font.h"

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace {

// Fonts written by a test process are removed when it ends.
struct WrittenFiles {
  std::vector<std::string> paths;
  ~WrittenFiles() {
    for (const std::string& p : paths) std::remove(p.c_str());
  }
};
WrittenFiles written;

void append(std::vector<uint8_t>& out, const std::string& s) { out.insert(out.end(), s.begin(), s.end()); }

std::vector<uint8_t> encrypt(const std::vector<uint8_t>& plain, uint16_t key) {
  std::vector<uint8_t> out;
  for (uint8_t b : plain) out.push_back(type1_encrypt(b, &key));
  return out;
}

void charstring_entry(std::vector<uint8_t>& priv, const std::string& head, const std::vector<CharToken>& program,
                      int len_iv, const char* tail, int64_t excess = 0) {
  std::vector<uint8_t> plain(size_t(len_iv > 0 ? len_iv : 0), uint8_t(0x5A));
  std::vector<uint8_t> body = encode_charstring(program);
  plain.insert(plain.end(), body.begin(), body.end());
  std::vector<uint8_t> cipher = encrypt(plain, kCharstringKey);
  append(priv, head + " " + std::to_string(int64_t(cipher.size()) + excess) + " RD ");
  priv.insert(priv.end(), cipher.begin(), cipher.end());
  append(priv, tail);
}

void segment(std::vector<uint8_t>& out, int type, const std::vector<uint8_t>& data) {
  out.push_back(0x80);
  out.push_back(uint8_t(type));
  uint32_t n = uint32_t(data.size());
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(n >> (8 * i)));
  out.insert(out.end(), data.begin(), data.end());
}

}  // namespace

std::vector<uint8_t> encode_charstring(const std::vector<CharToken>& program) {
  std::vector<uint8_t> out;
  for (const CharToken& t : program) {
    if (t.kind == kTokenOperator) {
      out.push_back(uint8_t(t.value));
      continue;
    }
    int32_t v = t.value;
    if (t.kind == kWideNumber || v < -1131 || v > 1131) {
      out.push_back(255);
      for (int i = 3; i >= 0; --i) out.push_back(uint8_t(uint32_t(v) >> (8 * i)));
    } else if (v >= -107 && v <= 107) {
      out.push_back(uint8_t(v + 139));
    } else if (v > 0) {
      out.push_back(uint8_t((v - 108) / 256 + 247));
      out.push_back(uint8_t((v - 108) % 256));
    } else {
      out.push_back(uint8_t((-v - 108) / 256 + 251));
      out.push_back(uint8_t((-v - 108) % 256));
    }
  }
  return out;
}

std::vector<uint8_t> TestFont::bytes() const {
  std::vector<uint8_t> clear;
  append(clear, "%!PS-AdobeFont-1.0: ZelTest 001.000\n/FontName /ZelTest def\n");
  append(clear, extra_clear_text);
  if (encoding.empty()) {
    append(clear, "/Encoding StandardEncoding def\n");
  } else {
    append(clear, "/Encoding 256 array\n0 1 255 {1 index exch /.notdef put} for\n");
    for (const auto& e : encoding) {
      append(clear, "dup " + std::to_string(e.first) + " " + e.second + " put");
      append(clear, encoding_on_one_line ? " " : "\n");
    }
    append(clear, "readonly def\n");
  }
  append(clear, "currentdict end\ncurrentfile eexec" + marker_end);

  std::vector<uint8_t> priv = {'z', 'e', 'l', '!'};
  append(priv, "dup /Private 8 dict dup begin\n/RD{string currentfile exch readstring pop}executeonly def\n");
  append(priv, "/ND{noaccess def}executeonly def\n/NP{noaccess put}executeonly def\n");
  if (!len_iv_text.empty())
    append(priv, len_iv_text + "\n");
  else if (len_iv != 4)
    append(priv, "/lenIV " + std::to_string(len_iv) + " def\n");
  if (!subrs.empty() || declared_subrs >= 0) {
    int32_t declared = declared_subrs >= 0 ? declared_subrs : int32_t(subrs.size());
    append(priv, "/Subrs " + std::to_string(declared) + " array\n");
    for (size_t i = 0; i < subrs.size(); ++i) {
      int32_t index = i < subr_indices.size() ? subr_indices[i] : int32_t(i);
      charstring_entry(priv, "dup " + std::to_string(index), subrs[i], len_iv, " NP\n");
    }
    append(priv, "ND\n");
  }
  append(priv, "2 index /CharStrings " + std::to_string(glyphs.size()) + " dict dup begin\n");
  for (const TestGlyph& g : glyphs) charstring_entry(priv, g.name, g.program, len_iv, " ND\n", count_excess);
  append(priv, "end\nend\nreadonly put\nnoaccess put\ndup/FontName get exch definefont pop\n");
  if (end_line) append(priv, "mark currentfile closefile\n");
  std::vector<uint8_t> cipher = encrypt(priv, kEexecKey);

  std::vector<uint8_t> trailer;
  for (int i = 0; i < 8; ++i) append(trailer, "0000000000000000000000000000000000000000000000000000000000000000\n");
  append(trailer, "cleartomark\n");

  std::vector<uint8_t> out;
  if (pfb) {
    for (uint32_t type : empty_segments_before) segment(out, int(type), {});
    segment(out, 1, clear);
    segment(out, 2, cipher);
    segment(out, 1, trailer);
    out.push_back(0x80);
    out.push_back(3);
  } else {
    out = clear;
    static const char hex[] = "0123456789abcdef";
    for (size_t i = 0; i < cipher.size(); ++i) {
      out.push_back(uint8_t(hex[cipher[i] >> 4]));
      out.push_back(uint8_t(hex[cipher[i] & 15]));
      if (i % 32 == 31) out.push_back('\n');
    }
    out.push_back('\n');
    out.insert(out.end(), trailer.begin(), trailer.end());
  }
  return out;
}

std::string TestFont::write(const std::string& file_name) const {
  const char* tmp = std::getenv("TMPDIR");
  std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/zel-qel-" + std::to_string(getpid()) + "-" + file_name;
  std::vector<uint8_t> data = bytes();
  FILE* f = std::fopen(path.c_str(), "wb");
  written.paths.push_back(path);
  if (f) {
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
  }
  return path;
}

std::string test_glyph_table() {
  const char* dir = std::getenv("ZEL_BUILD_DIR");
  return std::string(dir ? dir : ".") + "/bin/" + kGlyphTableName;
}
