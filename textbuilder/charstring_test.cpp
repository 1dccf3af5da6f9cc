#include "textbuilder/charstring.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "textbuilder/recording_model.h"
#include "textbuilder/test_font.h"

namespace {

GlyphProgram program(std::vector<CharToken> tokens) { return GlyphProgram{std::move(tokens)}; }

struct Preview {
  SegmentList list;
  OutlineTrace trace;
  PenState pen;
};

Preview preview(const std::vector<CharToken>& tokens, const SubrTable* subrs = nullptr) {
  Preview p;
  begin_preview(&p.list, subrs, &p.trace);
  run_preview_program(program(tokens));
  p.pen = charstring_machine().pen;
  return p;
}

struct Build {
  RecordingModel model;
  PenState pen;
};

void build(Build& b, const std::vector<CharToken>& tokens, int32_t direction = 1, const SubrTable* subrs = nullptr) {
  b.model.bind();
  begin_build(&b.model.iface, direction, subrs);
  run_build_program(program(tokens));
  b.pen = charstring_machine().pen;
}

std::vector<std::string> segs(const SegmentList& l) {
  std::vector<std::string> out;
  for (const OutlineSegment& s : l.segments)
    out.push_back(std::to_string(s.x0) + "," + std::to_string(s.y0) + "-" + std::to_string(s.x1) + "," +
                  std::to_string(s.y1));
  return out;
}

std::vector<std::string> edges(const RecordingModel& m) {
  std::vector<std::string> out;
  for (int32_t i = 0; i < m.edge_count; ++i) {
    const ModelVertex& a = m.vertex(m.edges[size_t(i)].from);
    const ModelVertex& b = m.vertex(m.edges[size_t(i)].to);
    out.push_back(std::to_string(a.y) + "," + std::to_string(a.z) + "-" + std::to_string(b.y) + "," +
                  std::to_string(b.z));
  }
  return out;
}

using Strings = std::vector<std::string>;

// A 10 x 20 font-unit box drawn with lines, starting at (5, 0).
const std::vector<CharToken> kBox = {num(5), num(100), op(13), num(10), op(6), num(20), op(7),
                                     num(-10), op(6), op(9), op(14)};

TEST(Div, TruncatesTowardZeroAndKeepsTheStack) {
  EXPECT_EQ(charstring_div(3, 0), 0);
  EXPECT_EQ(charstring_div(1000, 3), 333);
  EXPECT_EQ(charstring_div(-1000, 3), -333);
  EXPECT_EQ(charstring_div(INT32_MIN, -1), INT32_MAX);
  // "10 1000 3 div rlineto": the quotient stays on the stack as the second operand, and a
  // numerator written as a 4-byte number is not wrapped to 16 bits.
  Preview p = preview({num(10), num(1000), num(3), op(12), op(12), op(5), num(67074), num(1024), op(12), op(12),
                       op(6)});
  EXPECT_EQ(segs(p.list), (Strings{"0,0-320,10656", "320,10656-2400,10656"}));
}

TEST(Preview, EmptyHintOnlyAndSeacProgramsDrawNothingButSetTheAdvance) {
  EXPECT_TRUE(preview({}).list.segments.empty());
  Preview p = preview({num(40), num(560), op(13), num(0), num(20), op(1), op(12), op(0), op(14)});
  EXPECT_TRUE(p.list.segments.empty());
  EXPECT_EQ(p.pen.wx, 560 * 32);
  Preview s = preview({num(1), num(2), num(300), num(-4), op(12), op(7)});
  EXPECT_EQ(s.pen.x, 32);
  EXPECT_EQ(s.pen.y, 64);
  EXPECT_EQ(s.pen.wx, 300 * 32);
  EXPECT_EQ(s.pen.wy, -4 * 32);
  // seac: an accented character has no outline.
  Preview a = preview({num(0), num(500), op(13), num(0), num(200), num(100), num(65), num(194), op(12), op(6)});
  EXPECT_EQ(a.list.count(), 0);
  EXPECT_EQ(a.trace.seac, 1);
}

TEST(Preview, LinesClosepathAndMoves) {
  Preview p = preview(kBox);
  EXPECT_EQ(segs(p.list), (Strings{"160,0-480,0", "480,0-480,640", "480,640-160,640", "160,640-160,0"}));
  EXPECT_EQ(p.list.run, 0);
  EXPECT_EQ(p.pen.first, -1);
  // The last line landing on the start: closepath's segment has length 0 and is dropped.
  Preview q = preview({num(10), op(6), num(20), op(7), num(-10), op(6), num(-20), op(7), op(9)});
  EXPECT_EQ(q.list.count(), 4);
  // Moves inside a contour (flex reduced to its moves) are joined: the next line starts
  // from where the moves left the pen.
  Preview m = preview({num(10), op(6), num(5), num(5), op(21), num(5), op(7), op(9)});
  EXPECT_EQ(segs(m.list), (Strings{"0,0-320,0", "320,0-480,160", "480,160-480,320", "480,320-0,0"}));
}

TEST(Preview, ContourStartingWithZeroLengthLineClosesOnItself) {
  // Second contour begins with "0 0 rlineto": its closing segment must run to its own first
  // point, not into the first contour.
  Preview p = preview({num(10), op(6), num(10), op(7), op(9), num(100), op(22), num(0), num(0), op(5), num(10),
                       op(6), num(10), op(7), op(9)});
  EXPECT_EQ(segs(p.list), (Strings{"0,0-320,0", "320,0-320,320", "320,320-0,0", "3520,320-3840,320",
                                   "3840,320-3840,640", "3840,640-3520,320"}));
}

TEST(Curves, PieceCountsAndSamples) {
  // A tiny curve: at least 2 pieces in the preview, 4 in the build.
  std::vector<CharToken> tiny = {num(1), num(0), num(0), num(1), num(-1), num(0), op(8), op(9)};
  Preview p = preview(tiny);
  EXPECT_EQ(p.list.count(), 2 + 1);  // two pieces and the closing segment
  Build b;
  build(b, tiny);
  EXPECT_EQ(b.model.count_calls("append_vertex"), 1 + 4);

  // One em of control polygon gives 40 pieces; samples are truncated de Casteljau points.
  OutlinePoint c[4] = {{0, 0, 0}, {32000, 0, 0}, {32000, 0, 0}, {32000, 0, 0}};
  EXPECT_EQ(curve_pieces(c, 2), 40);
  OutlinePoint q = bezier_point(c, 0, 3, 0.5);
  EXPECT_EQ(q.x, 28000);
  OutlinePoint neg[4] = {{0, 0, 0}, {-3, -3, 0}, {0, 0, 0}, {0, 0, 0}};
  EXPECT_EQ(bezier_point(neg, 0, 1, 0.5).x, -1);  // -1.5 truncates toward zero
  // A hostile curve spanning the whole int32 range is bounded.
  OutlinePoint huge[4] = {{INT32_MIN, INT32_MIN, 0}, {INT32_MAX, INT32_MAX, 0}, {INT32_MIN, 0, 0}, {INT32_MAX, 0, 0}};
  EXPECT_EQ(curve_pieces(huge, 2), kMaxCurvePieces);
}

TEST(Build, LineCallSequenceWithMidpointsAndClosingOnTheFirstVertex) {
  Build b;
  b.model.cursor_x = 7;
  b.model.cursor_y = 1000;
  b.model.cursor_z = 2000;
  // Triangle whose last line lands on the first point: no duplicate vertex, and closepath
  // adds nothing.
  build(b, {num(0), num(500), op(13), num(10), op(6), num(-10), num(10), op(5), num(0), num(-10), op(5), op(9)});
  const Strings expected = {
      "reserve_vertices 1", "append_vertex",                                        // start
      "reserve_vertices 2", "append_vertex", "reserve_edges 1", "append_edge 0 1",  // midpoint
      "reserve_vertices 3", "append_vertex", "reserve_edges 2", "append_edge 1 2",  // end
      "reserve_vertices 4", "append_vertex", "reserve_edges 3", "append_edge 2 3",
      "reserve_vertices 5", "append_vertex", "reserve_edges 4", "append_edge 3 4",
      "reserve_vertices 6", "append_vertex", "reserve_edges 5", "append_edge 4 5",
      "reserve_edges 6",    "append_edge 5 0"};
  EXPECT_EQ(b.model.log, expected);
  EXPECT_TRUE(b.model.faults.empty());
  EXPECT_EQ(edges(b.model), (Strings{"1000,2000-1160,2000", "1160,2000-1320,2000", "1320,2000-1160,2160",
                                     "1160,2160-1000,2320", "1000,2320-1000,2160", "1000,2160-1000,2000"}));
  for (int32_t i = 0; i < b.model.vertex_count; ++i) EXPECT_EQ(b.model.vertex(i).x, 7);
  EXPECT_EQ(b.pen.wx, 500 * 32);
}

TEST(Build, ClosepathAfterALineGetsAMidpointAfterACurveOneEdge) {
  Build b;
  build(b, kBox);
  // 3 lines (start + 2 vertices each) and the closing line through its midpoint.
  EXPECT_EQ(b.model.vertex_count, 1 + 6 + 1);
  Strings e = edges(b.model);
  EXPECT_EQ(Strings(e.end() - 2, e.end()), (Strings{"160,640-160,320", "160,320-160,0"}));

  Build c;
  build(c, {num(10), op(6), num(0), num(10), num(-10), num(0), op(31), op(9)});
  int32_t curve_vertices = c.model.vertex_count - 3;
  EXPECT_EQ(c.model.edge_count, 2 + curve_vertices + 1);
  EXPECT_EQ(c.model.log.back(), "append_edge " + std::to_string(c.model.vertex_count - 1) + " 0");
  // The curve reserved n + 1 ahead, then trimmed to the count.
  EXPECT_TRUE(c.model.faults.empty());
  EXPECT_EQ(c.model.vertex_capacity, c.model.vertex_count);
  EXPECT_EQ(c.model.edge_capacity, c.model.edge_count);
}

TEST(Build, CurveEndingOnTheFirstPointSkipsItsLastSample) {
  Build b;
  // A closed loop of two curves back to the start.
  build(b, {num(0), num(100), num(100), num(0), op(30), num(0), num(-100), num(-100), num(0), op(30), op(9)});
  EXPECT_TRUE(b.model.faults.empty());
  for (int32_t i = 1; i < b.model.vertex_count; ++i) {
    const ModelVertex& v = b.model.vertex(i);
    EXPECT_FALSE(v.y == 0 && v.z == 0) << i;
  }
}

TEST(Build, RightToLeftMirrorsXButNotTheAdvance) {
  std::vector<CharToken> p = {num(5), num(100), op(13), num(10), num(3), op(5), num(4), num(1), num(2), num(3),
                              num(4), num(5), op(8), op(9)};
  Build ltr, rtl;
  ltr.model.cursor_y = rtl.model.cursor_y = 640;
  build(ltr, p, 1);
  build(rtl, p, -1);
  ASSERT_EQ(ltr.model.vertex_count, rtl.model.vertex_count);
  for (int32_t i = 0; i < ltr.model.vertex_count; ++i) {
    EXPECT_EQ(ltr.model.vertex(i).y - 640, -(rtl.model.vertex(i).y - 640)) << i;
    EXPECT_EQ(ltr.model.vertex(i).z, rtl.model.vertex(i).z) << i;
  }
  EXPECT_EQ(rtl.pen.wx, 100 * 32);
}

TEST(Subroutines, CallsReturnsAndBadIndices) {
  SubrTable subrs;
  subrs.entries = {program({num(10), op(6), op(11), num(99), op(6)}), program({num(1), op(10)})};
  // A bad index only empties the stack; a good one draws and returns early.
  Preview p = preview({num(5), num(-1), op(10), num(5), num(2), op(10), num(7), op(10), num(0), op(10)}, &subrs);
  EXPECT_EQ(segs(p.list), (Strings{"0,0-320,0"}));
  // return in the character's own program ends it.
  Preview r = preview({num(10), op(6), op(11), num(10), op(7)}, &subrs);
  EXPECT_EQ(r.list.count(), 1);
  // Subr 1 calls itself: the nesting is bounded and the run ends.
  Preview loop = preview({num(1), op(10), num(10), op(7)}, &subrs);
  EXPECT_EQ(loop.list.count(), 1);
}

TEST(Subroutines, ALineInASubrDoesNotGiveTheCallerAClosingMidpoint) {
  SubrTable subrs;
  subrs.entries = {program({num(10), op(6), num(10), op(7), op(11)})};
  Build b;
  build(b, {num(0), op(10), op(9)}, 1, &subrs);
  // 1 start + 2 lines of 2 vertices; the closing edge goes straight to the first vertex.
  EXPECT_EQ(b.model.vertex_count, 5);
  EXPECT_EQ(b.model.log.back(), "append_edge 4 0");
}

TEST(Stack, OverflowUnderflowAndTrailingEscapeStayInBounds) {
  std::vector<CharToken> many;
  for (int i = 0; i < 600; ++i) many.push_back(num(1));
  many.push_back(op(6));  // reads the top of a full stack
  Preview full = preview(many);
  EXPECT_EQ(segs(full.list), (Strings{"0,0-32,0"}));
  // Too few operands read as 0: "5 rlineto" is a line by (0, 5).
  Preview few = preview({num(5), op(5), op(8), op(12), op(12), op(12)});
  EXPECT_EQ(segs(few.list), (Strings{"0,0-0,160"}));
  // pop pushes -1 so the following callsubr does nothing.
  SubrTable subrs;
  subrs.entries = {program({num(10), op(6)})};
  EXPECT_EQ(preview({num(3), num(1), num(3), op(12), op(16), op(12), op(17), op(10)}, &subrs).list.count(), 0);
}

TEST(Hostile, ChainsOfHugeMovesAndCurvesAreBoundedAndDefined) {
  std::vector<CharToken> p;
  for (int i = 0; i < 2000; ++i) {
    // Displacements near 2^26 font units are near 2^31 once scaled: legs of the whole range.
    const int32_t big = (1 << 26) - 1;
    p.insert(p.end(), {wide(INT32_MAX), wide(INT32_MAX), op(21), wide(big), wide(-big), wide(-big), wide(big),
                       wide(big), wide(-big), op(8)});
  }
  for (CharToken& t : p)
    if (t.kind == kWideNumber) t.kind = kTokenNumber;
  Preview pv = preview(p);
  EXPECT_LE(pv.list.count(), kMaxPiecesPerGlyph + 2000);
  EXPECT_TRUE(pv.trace.abandoned);
  Build b;
  build(b, p);
  EXPECT_LE(b.model.vertex_count, kMaxPiecesPerGlyph + 2000);
  EXPECT_TRUE(b.model.faults.empty());
}


}  // namespace
