#include "textbuilder/font_reader.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include "common/message_box.h"
#include "common/ui_recorder.h"
#include "textbuilder/test_font.h"

namespace {

// A glyph exercising every number form and an escape.
const std::vector<CharToken> kProgramA = {num(50),  num(600), op(13), num(10),   num(-10), op(21), num(200),
                                          op(6),    num(-500), num(1131), op(5), num(-1131), op(7),
                                          num(108), num(-108), num(107), num(-107), op(8), op(9),
                                          op(12),   op(7),    op(14)};
const std::vector<CharToken> kProgramB = {num(0), num(500), op(13), num(1), op(10), op(14)};

TestFont two_glyph_font() {
  TestFont f;
  f.subrs = {{num(3), num(0), num(1), op(12), op(16), op(11)}, {num(7), op(6), op(11)}};
  f.glyphs = {{"/B", kProgramB}, {"/A", kProgramA}, {"/C", {num(1), op(4), op(14)}}};
  return f;
}

struct Scan {
  ScanResult result;
  std::vector<CharToken> glyph;
  std::vector<std::vector<CharToken>> subrs;
  std::vector<RecordedBox> boxes;
};

Scan scan(const std::string& path, int code) {
  UiRecorder ui;
  font_reader_setup(test_glyph_table(), ui.table());
  font_reader_clear();
  Scan s;
  s.result = load_glyph_program(code, path.c_str());
  s.glyph = loaded_glyph().tokens;
  for (const GlyphProgram& p : loaded_subrs().entries) s.subrs.push_back(p.tokens);
  s.boxes = ui.boxes;
  font_reader_clear();
  return s;
}

bool same(const std::vector<CharToken>& a, const std::vector<CharToken>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].value != b[i].value || (a[i].kind == kTokenOperator) != (b[i].kind == kTokenOperator)) return false;
  return true;
}

TEST(GlyphTable, HoldsStandardNamesWithTheirSlash) {
  FILE* f = std::fopen(test_glyph_table().c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::vector<char> table(256 * 64);
  ASSERT_EQ(std::fread(table.data(), 1, table.size(), f), table.size());
  EXPECT_EQ(std::fgetc(f), EOF);
  std::fclose(f);
  auto name = [&](int code) { return std::string(&table[size_t(code) * 64]); };
  EXPECT_EQ(name('A'), "/A");
  EXPECT_EQ(name('z'), "/z");
  EXPECT_EQ(name(' '), "/space");
  EXPECT_EQ(name('\''), "/quoteright");
  EXPECT_EQ(name('`'), "/quoteleft");
  EXPECT_EQ(name('~'), "/asciitilde");
  EXPECT_EQ(name(1), "/.notdef");
  EXPECT_EQ(name(127), "/.notdef");
  EXPECT_EQ(name(251), "/germandbls");
  for (int code = 0; code < 256; ++code) EXPECT_EQ(table[size_t(code) * 64 + 63], '\0') << code;
}

TEST(FontReader, EveryFormOfTheSameFontGivesTheSamePrograms) {
  // PFB and PFA, a CR ending the PFB text segment (delivered as LF), lenIV 0, a /lenIV -1
  // the reader does not recognise (charstrings keep 4 leading bytes), zero-length PFB
  // segments, and a clear-text line longer than 256 characters.
  struct Variant {
    const char* name;
    void (*change)(TestFont*);
  };
  const Variant variants[] = {
      {"ref.pfb", [](TestFont*) {}},
      {"cr.pfb", [](TestFont* f) { f->marker_end = "\r"; }},
      {"lf.pfa", [](TestFont* f) { f->pfb = false; }},
      {"leniv0.pfb", [](TestFont* f) { f->len_iv = 0; }},
      {"lenivm1.pfb", [](TestFont* f) { f->len_iv_text = "/lenIV -1 def"; }},
      {"empty-seg.pfb", [](TestFont* f) { f->empty_segments_before = {1, 2}; }},
      {"long.pfa", [](TestFont* f) { f->extra_clear_text = std::string(300, 'x') + "\n"; }},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    TestFont f = two_glyph_font();
    v.change(&f);
    Scan s = scan(f.write(v.name), 'A');
    EXPECT_EQ(s.result, ScanDone);
    EXPECT_TRUE(same(s.glyph, kProgramA));
    ASSERT_EQ(s.subrs.size(), 2u);
    EXPECT_TRUE(same(s.subrs[0], f.subrs[0]));
    EXPECT_TRUE(same(s.subrs[1], f.subrs[1]));
    EXPECT_TRUE(s.boxes.empty());
  }
  // A PFA marker line ending in CR is read as text to the end: nothing is decrypted.
  TestFont f = two_glyph_font();
  f.pfb = false;
  f.marker_end = "\r";
  Scan pfa_cr = scan(f.write("cr.pfa"), 'A');
  EXPECT_EQ(pfa_cr.result, ScanDone);
  EXPECT_TRUE(pfa_cr.glyph.empty());
  EXPECT_TRUE(pfa_cr.subrs.empty());
}

TEST(FontReader, FindsGlyphsAnywhereInTheDictionary) {
  TestFont f = two_glyph_font();
  std::string path = f.write("order.pfb");
  EXPECT_TRUE(same(scan(path, 'B').glyph, kProgramB));
  EXPECT_TRUE(same(scan(path, 'C').glyph, f.glyphs[2].program));
  EXPECT_EQ(list_glyph_names(path.c_str()), (std::vector<std::string>{"/B", "/A", "/C"}));
  std::vector<NamedGlyph> all;
  EXPECT_EQ(load_all_glyphs(path.c_str(), &all), ScanDone);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[1].name, "/A");
  EXPECT_TRUE(same(all[1].program.tokens, kProgramA));
  font_reader_clear();
}

TEST(FontReader, OwnEncodingEntriesReplaceTheTableNames) {
  for (bool one_line : {false, true}) {
    TestFont f = two_glyph_font();
    f.encoding = {{65, "/B"}, {66, "/C"}, {67, "/A"}};
    f.encoding_on_one_line = one_line;
    std::string path = f.write(one_line ? "enc1.pfa" : "enc.pfa");
    EXPECT_TRUE(same(scan(path, 'A').glyph, kProgramB)) << one_line;
    EXPECT_TRUE(same(scan(path, 'C').glyph, kProgramA)) << one_line;
    Scan unlisted = scan(path, 'D');  // not listed: the table's /D, absent from the font
    EXPECT_TRUE(unlisted.glyph.empty());
  }
}

TEST(FontReader, FourByteNumbersKeepTheirWholeValue) {
  TestFont f;
  std::vector<CharToken> p = {wide(65536 + 100), wide(67074), wide(-100000), wide(5), op(14)};
  f.glyphs = {{"/A", p}};
  Scan s = scan(f.write("wide.pfb"), 'A');
  ASSERT_EQ(s.glyph.size(), 5u);
  EXPECT_EQ(s.glyph[0].value, 65636);
  EXPECT_EQ(s.glyph[1].value, 67074);
  EXPECT_EQ(s.glyph[2].value, -100000);
  EXPECT_EQ(s.glyph[3].value, 5);
  EXPECT_EQ(s.glyph[0].kind, kTokenNumber);
}

TEST(FontReader, MissingGlyphReportsAtTheEndLineOnlyAndMissingFilesFail) {
  TestFont f = two_glyph_font();
  std::string path = f.write("missing.pfb");
  Scan s = scan(path, 'Z');
  EXPECT_EQ(s.result, ScanDone);
  EXPECT_TRUE(s.glyph.empty());
  ASSERT_EQ(s.boxes.size(), 1u);
  EXPECT_EQ(s.boxes[0].text, "No character in font");
  EXPECT_EQ(s.boxes[0].caption, "QEL");
  EXPECT_EQ(s.boxes[0].flags, mb::Ok);
  f.end_line = false;
  Scan silent = scan(f.write("noend.pfb"), 'Z');
  EXPECT_EQ(silent.result, ScanDone);
  EXPECT_TRUE(silent.boxes.empty());

  EXPECT_EQ(scan("/nonexistent/font.pfb", 'A').result, ScanFailed);
  EXPECT_EQ(scan(path, 256).result, ScanFailed);  // past the table's last record
  UiRecorder ui;
  font_reader_setup("/nonexistent/modeler.qel", ui.table());
  EXPECT_EQ(load_glyph_program('A', path.c_str()), ScanFailed);
  font_reader_clear();
}

TEST(FontReader, SubrIndexOutsideTheDeclaredCountIsOutOfMemory) {
  TestFont f = two_glyph_font();
  f.subr_indices = {0, 2};  // equal to the count
  EXPECT_EQ(scan(f.write("dup2.pfb"), 'A').result, ScanOutOfMemory);
  f.subr_indices = {1, 0};  // out of order but inside
  Scan s = scan(f.write("dup10.pfb"), 'A');
  EXPECT_EQ(s.result, ScanDone);
  EXPECT_TRUE(same(s.subrs[0], f.subrs[1]));
  f.subr_indices = {0, 1};
  f.declared_subrs = 2000000000;  // more than the file could hold
  EXPECT_EQ(scan(f.write("huge.pfb"), 'A').result, ScanOutOfMemory);
}

TEST(FontReader, FontReadThroughAPipeKeepsItsSubrs) {
  // A stream whose size cannot be asked for (a pipe) is still read to its end: the /Subrs
  // count is not held against an unknown size.
  std::signal(SIGPIPE, SIG_IGN);
  TestFont f = two_glyph_font();
  const std::vector<uint8_t> bytes = f.bytes();
  std::string fifo = f.write("pipe.pfb") + ".fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] {
    if (FILE* out = std::fopen(fifo.c_str(), "wb")) {
      std::fwrite(bytes.data(), 1, bytes.size(), out);
      std::fclose(out);
    }
  });
  Scan s = scan(fifo, 'A');
  writer.join();
  std::remove(fifo.c_str());
  EXPECT_EQ(s.result, ScanDone);
  EXPECT_TRUE(same(s.glyph, kProgramA));
  EXPECT_EQ(s.subrs.size(), 2u);
}

TEST(FontReader, ACharstringCountPastTheFileStopsAtEndOfFile) {
  TestFont big = two_glyph_font();
  big.count_excess = 2000000000;
  Scan s = scan(big.write("count.pfb"), 'B');
  EXPECT_EQ(s.result, ScanDone);
  EXPECT_GE(s.glyph.size(), kProgramB.size());
  EXPECT_LT(s.glyph.size(), big.bytes().size());
}

// The first `count` lines the line reader delivers from a font file.
std::vector<std::string> font_lines(const std::string& path, int count) {
  std::vector<std::string> lines;
  if (!font_open(path.c_str())) return lines;
  for (int i = 0; i < count; ++i) {
    read_font_line();
    lines.emplace_back(font_line());
  }
  font_close();
  return lines;
}

TEST(FontReader, LinesSplitAt256AndAtPutInClearText) {
  TestFont f = two_glyph_font();
  f.extra_clear_text = std::string(300, 'x') + "\n";
  std::vector<std::string> lines = font_lines(f.write("long.pfa"), 4);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "%!PS-AdobeFont-1.0: ZelTest 001.000\n");
  EXPECT_EQ(lines[2], std::string(256, 'x'));
  EXPECT_EQ(lines[3], std::string(44, 'x') + "\n");

  f.extra_clear_text = "";
  f.encoding = {{65, "/A"}, {66, "/B"}};
  f.encoding_on_one_line = true;
  std::string path = f.write("put.pfa");
  lines = font_lines(path, 7);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 4, lines.end()),
            (std::vector<std::string>{"dup 65 /A put\n", "dup 66 /B put\n", "readonly def\n"}));
  EXPECT_EQ(read_first_font_line(path.c_str()), "%!PS-AdobeFont-1.0: ZelTest 001.000\n");
  EXPECT_EQ(read_first_font_line("/nonexistent"), "");
}

TEST(FontReader, MarkerMatcherRestartsWithoutRetestingAndSkipsZeroBytes) {
  auto second_line = [](const std::string& name, const std::string& text) {
    std::string path = TestFont().write(name);
    FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    std::vector<std::string> lines = font_lines(path, 2);
    return lines.size() == 2 ? lines[1] : "(not opened)";
  };
  // The second "c" breaks the match and is not tried as the marker's start: the hex digits
  // after the line stay text.
  EXPECT_EQ(second_line("cc.pfa", "ccurrentfile eexec\n00000000414243\n"), "00000000414243\n");
  // A zero byte inside the marker neither advances nor restarts it: the digits after the
  // line are decrypted (four thrown away, then three plain bytes).
  std::string with_zero("currentfile eexec\n00000000414243\n");
  with_zero.insert(11, 1, '\0');
  uint16_t key = kEexecKey;
  std::string expected;
  for (uint8_t c : {0, 0, 0, 0, 0x41, 0x42, 0x43}) expected += char(type1_decrypt(c, &key));
  EXPECT_EQ(second_line("zero.pfa", with_zero), expected.substr(4));
}

}  // namespace
