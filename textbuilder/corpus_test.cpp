// Real fonts against FreeType: every glyph of every corpus font is decoded by our reader
// (PFB and PFA must give identical token programs), drawn by the preview interpreter, and
// its on-curve points are compared with FreeType's unscaled, unhinted outline x 32.
// The corpus is made at test time by make_corpus.sh under $ZEL_BUILD_DIR/qel-corpus.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TYPE1_TABLES_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "textbuilder/charstring.h"
#include "textbuilder/corpus_fonts.h"
#include "textbuilder/font_reader.h"
#include "common/ui_recorder.h"

namespace {

using Point = std::pair<int32_t, int32_t>;
using Contours = std::vector<std::vector<Point>>;

std::string corpus_dir() {
  const char* b = std::getenv("ZEL_BUILD_DIR");
  return std::string(b ? b : ".") + "/qel-corpus";
}

// A contour whose last point repeats its first loses the repeat (FreeType does the same).
void finish(Contours& all, std::vector<Point>& c) {
  if (c.size() > 1 && c.back() == c.front()) c.pop_back();
  if (!c.empty()) all.push_back(c);
  c.clear();
}

// Our contours from the preview run: a contour starts at the first line or curve after the
// start, a closepath or a move that followed drawing; its points are that start and the end
// of every line and curve.
Contours our_contours(const OutlineTrace& t) {
  Contours all;
  std::vector<Point> c;
  Point pen{0, 0};
  bool moved = false;
  for (const PenNode& n : t.nodes) {
    switch (n.event) {
      case PenEvent::Move:
        if (!c.empty()) moved = true;
        pen = {n.x, n.y};
        continue;
      case PenEvent::Close:
        finish(all, c);
        moved = false;
        pen = {n.x, n.y};
        continue;
      default:
        if (moved) {
          finish(all, c);
          moved = false;
        }
        if (c.empty()) c.push_back(pen);
        pen = {n.x, n.y};
        c.push_back(pen);
    }
  }
  finish(all, c);
  return all;
}

Contours freetype_contours(const FT_Outline& o) {
  Contours all;
  int start = 0;
  for (int k = 0; k < o.n_contours; ++k) {
    std::vector<Point> c;
    for (int i = start; i <= o.contours[k]; ++i)
      if (FT_CURVE_TAG(o.tags[i]) == FT_CURVE_TAG_ON) c.push_back({int32_t(o.points[i].x * 32), int32_t(o.points[i].y * 32)});
    start = o.contours[k] + 1;
    finish(all, c);
  }
  return all;
}

// Consecutive repeated points (zero-length lines; with a tolerance, also lines shorter than
// it) taken out, closing rule applied again.
Contours without_repeats(Contours cs, int32_t tolerance = 0) {
  Contours out;
  for (auto& c : cs) {
    auto same = [tolerance](Point a, Point b) {
      return std::abs(a.first - b.first) <= tolerance && std::abs(a.second - b.second) <= tolerance;
    };
    c.erase(std::unique(c.begin(), c.end(), same), c.end());
    finish(out, c);
  }
  return out;
}

bool close_to(Point a, Point b, int32_t tolerance) {
  return std::abs(a.first - b.first) <= tolerance && std::abs(a.second - b.second) <= tolerance;
}

// Same contours within a tolerance; where one side has one point more, that point may be a
// closing point near its contour's first (rounding kept it apart from the first).
bool near(Contours a, Contours b, int32_t tolerance) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k) {
    std::vector<Point>& longer = a[k].size() > b[k].size() ? a[k] : b[k];
    size_t shorter = std::min(a[k].size(), b[k].size());
    if (longer.size() == shorter + 1 && close_to(longer.back(), longer.front(), tolerance)) longer.pop_back();
  }
  for (size_t k = 0; k < a.size(); ++k) {
    if (a[k].size() != b[k].size()) return false;
    for (size_t i = 0; i < a[k].size(); ++i)
      if (!close_to(a[k][i], b[k][i], tolerance)) return false;
  }
  return true;
}

bool same_programs(const GlyphProgram& a, const GlyphProgram& b) {
  if (a.count() != b.count()) return false;
  for (int32_t i = 0; i < a.count(); ++i)
    if (a.tokens[size_t(i)].value != b.tokens[size_t(i)].value || a.tokens[size_t(i)].kind != b.tokens[size_t(i)].kind)
      return false;
  return true;
}

struct Tally {
  long glyphs = 0;
  long agree = 0;
  std::map<std::string, long> kinds;      // disagreement kind -> glyphs
  std::vector<std::string> unexplained;   // font/glyph of disagreements of no known kind
  long pfa_mismatch = 0;
  long preview_mismatch = 0;  // a line or curve end missing from the preview segments
};

void check_family(const std::string& family, Tally& tally, int sample_every) {
  FT_Library ft;
  ASSERT_EQ(FT_Init_FreeType(&ft), 0);
  std::string dir = corpus_dir() + "/" + family;
  std::vector<std::string> fonts = font_names_in(dir, ".pfb");
  ASSERT_FALSE(fonts.empty()) << "no corpus fonts in " << dir;
  for (const std::string& font : fonts) {
    std::string pfb = dir + "/" + font + ".pfb", pfa = dir + "/" + font + ".pfa";
    std::vector<NamedGlyph> from_pfa;
    ASSERT_EQ(load_all_glyphs(pfa.c_str(), &from_pfa), ScanDone) << pfa;
    SubrTable subrs_pfa = loaded_subrs();
    font_reader_clear();
    std::vector<NamedGlyph> glyphs;
    ASSERT_EQ(load_all_glyphs(pfb.c_str(), &glyphs), ScanDone) << pfb;
    SubrTable subrs = loaded_subrs();
    font_reader_clear();
    EXPECT_GT(glyphs.size(), 0u) << pfb;
    bool same = glyphs.size() == from_pfa.size() && subrs.count() == subrs_pfa.count();
    for (size_t i = 0; same && i < glyphs.size(); ++i)
      same = glyphs[i].name == from_pfa[i].name && same_programs(glyphs[i].program, from_pfa[i].program);
    for (int32_t i = 0; same && i < subrs.count(); ++i)
      same = same_programs(subrs.entries[size_t(i)], subrs_pfa.entries[size_t(i)]);
    if (!same) ++tally.pfa_mismatch;
    EXPECT_TRUE(same) << font << ": PFB and PFA decode differently";

    std::map<std::string, int> name_count;
    for (const NamedGlyph& g : glyphs) ++name_count[g.name];
    FT_Face face;
    ASSERT_EQ(FT_New_Face(ft, pfb.c_str(), 0, &face), 0) << pfb;
    for (size_t gi = 0; gi < glyphs.size(); gi += size_t(sample_every)) {
      const NamedGlyph& g = glyphs[gi];
      ++tally.glyphs;
      SegmentList list;
      OutlineTrace trace;
      begin_preview(&list, &subrs, &trace);
      run_preview_program(g.program);
      // Every line and curve end is a point of the preview outline.
      std::set<Point> ends;
      for (const OutlineSegment& s : list.segments) ends.insert({s.x1, s.y1});
      for (size_t i = 0; i < trace.nodes.size(); ++i) {
        const PenNode& n = trace.nodes[i];
        bool zero_length = i > 0 && trace.nodes[i - 1].x == n.x && trace.nodes[i - 1].y == n.y;
        if ((n.event == PenEvent::Line || n.event == PenEvent::Curve) && !zero_length && !ends.count({n.x, n.y})) {
          ++tally.preview_mismatch;
          break;
        }
      }
      Contours ours = our_contours(trace);

      FT_UInt index = FT_Get_Name_Index(face, const_cast<char*>(g.name.c_str() + 1));
      Contours theirs;
      if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) == 0 &&
          face->glyph->format == FT_GLYPH_FORMAT_OUTLINE)
        theirs = freetype_contours(face->glyph->outline);
      if (ours == theirs) {
        ++tally.agree;
        continue;
      }
      std::string kind;
      if (name_count[g.name] > 1)
        kind = "name defined twice (FreeType keeps another)";
      else if (trace.seac > 0)
        kind = "seac draws nothing";
      else if (trace.flex > 0)
        kind = "flex reduced to its moves";
      else if (trace.divs > 0 && near(ours, theirs, 16 * 32))
        kind = "div truncated (points within 16 font units)";
      else if (without_repeats(ours) == without_repeats(theirs))
        kind = "zero-length line kept as a node";
      else if (trace.divs > 0 && near(without_repeats(ours, 32), without_repeats(theirs, 32), 16 * 32))
        kind = "div truncated and zero-length line";
      if (kind.empty()) {
        tally.unexplained.push_back(font + " " + g.name);
        if (std::getenv("QEL_CORPUS_DUMP") && tally.unexplained.size() <= 3) {
          auto dump = [](const char* who, const Contours& cs) {
            std::printf("%s:", who);
            for (const auto& c : cs) {
              std::printf(" |");
              for (const Point& p : c) std::printf(" %g,%g", p.first / 32.0, p.second / 32.0);
            }
            std::printf("\n");
          };
          dump("ours", ours);
          dump("freetype", theirs);
        }
      } else {
        ++tally.kinds[kind];
      }
    }
    FT_Done_Face(face);
  }
  FT_Done_FreeType(ft);
}

void report(const std::string& family, const Tally& t) {
  std::printf("%s: %ld glyphs, %ld agree exactly (%.2f%%), PFB/PFA mismatching fonts %ld\n", family.c_str(),
              t.glyphs, t.agree, t.glyphs ? 100.0 * t.agree / t.glyphs : 0.0, t.pfa_mismatch);
  for (const auto& k : t.kinds) std::printf("  %-40s %ld glyphs\n", k.first.c_str(), k.second);
  if (!t.unexplained.empty()) std::printf("  unexplained: %zu glyphs\n", t.unexplained.size());
  for (size_t i = 0; i < t.unexplained.size() && i < 20; ++i) std::printf("    %s\n", t.unexplained[i].c_str());
}

TEST(Corpus, UrwBase35AgreesWithFreeTypeOnEveryGlyph) {
  Tally t;
  check_family("urw", t, 1);
  report("fonts-urw-base35", t);
  EXPECT_GT(t.glyphs, 20000);
  EXPECT_EQ(t.agree, t.glyphs);
  EXPECT_EQ(t.preview_mismatch, 0);
}

TEST(Corpus, CyrillicAndCulmusDifferOnlyInKnownWays) {
  for (const char* family : {"cyr", "culmus"}) {
    Tally t;
    check_family(family, t, 1);
    report(family, t);
    EXPECT_GT(t.glyphs, 500);
    EXPECT_TRUE(t.unexplained.empty()) << family;
    EXPECT_EQ(t.preview_mismatch, 0);
  }
}

// The builder's own path: one scan per character code. The glyph name it settles on must
// be the one FreeType's reading of the font's Encoding gives (the standard encoding, that is
// the glyph-name table, when the font has none of its own), and the program must be the
// one the single-pass decode found under that name.
TEST(Corpus, PerCharacterScansFollowTheFontsEncoding) {
  const char* b = std::getenv("ZEL_BUILD_DIR");
  std::string table = std::string(b ? b : ".") + "/bin/" + kGlyphTableName;
  FILE* tf = std::fopen(table.c_str(), "rb");
  ASSERT_NE(tf, nullptr);
  std::vector<char> names(256 * 64);
  ASSERT_EQ(std::fread(names.data(), 1, names.size(), tf), names.size());
  std::fclose(tf);
  UiRecorder ui;
  font_reader_setup(table, ui.table());
  FT_Library ft;
  ASSERT_EQ(FT_Init_FreeType(&ft), 0);
  long scans = 0, own_encoding = 0;
  for (const char* family : {"urw", "cyr", "culmus"}) {
    std::string dir = corpus_dir() + "/" + family;
    for (const std::string& font : font_names_in(dir, ".pfb")) {
      std::string pfb = dir + "/" + font + ".pfb";
      std::vector<NamedGlyph> all;
      ASSERT_EQ(load_all_glyphs(pfb.c_str(), &all), ScanDone);
      font_reader_clear();
      std::map<std::string, const GlyphProgram*> first;
      for (const NamedGlyph& g : all) first.emplace(g.name, &g.program);
      FT_Face face;
      ASSERT_EQ(FT_New_Face(ft, pfb.c_str(), 0, &face), 0);
      T1_EncodingType type = T1_ENCODING_TYPE_NONE;
      FT_Get_PS_Font_Value(face, PS_DICT_ENCODING_TYPE, 0, &type, sizeof type);
      for (int code = 33; code < 127; code += 3) {
        std::string expected = std::string(&names[size_t(code) * 64]);
        if (type == T1_ENCODING_TYPE_ARRAY) {
          char entry[64] = {0};
          if (FT_Get_PS_Font_Value(face, PS_DICT_ENCODING_ENTRY, FT_UInt(code), entry, sizeof entry) > 0 && entry[0] &&
              std::string(entry) != ".notdef") {
            expected = std::string("/") + entry;
            ++own_encoding;
          }
        }
        font_reader_clear();
        ASSERT_EQ(load_glyph_program(code, pfb.c_str()), ScanDone) << font << " " << code;
        ++scans;
        EXPECT_EQ(std::string(wanted_glyph_name()), expected) << font << " code " << code;
        auto it = first.find(expected);
        if (it == first.end()) {
          EXPECT_EQ(loaded_glyph().count(), 0) << font << " code " << code;
        } else {
          EXPECT_TRUE(same_programs(loaded_glyph(), *it->second)) << font << " code " << code;
        }
      }
      font_reader_clear();
      FT_Done_Face(face);
    }
  }
  FT_Done_FreeType(ft);
  std::printf("%ld per-character scans, %ld names from fonts' own Encoding\n", scans, own_encoding);
  EXPECT_GT(own_encoding, 300);  // the own-Encoding path was exercised
}

}  // namespace
