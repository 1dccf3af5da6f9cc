#pragma once
#include <cstdint>
#include <vector>

#include "textbuilder/font_reader.h"
#include "textbuilder/model_interface.h"

// Charstring interpreter: runs a decoded glyph program (with the font's Subrs) and draws
// its path, either as preview line segments or as vertices and edges in the host model.
// Coordinates are int32 in 1/32 font unit (an em of 1000 font units is 32000). Hints are
// ignored; curves are flattened into straight pieces whose number grows with their size.

constexpr int kStackSize = 512;
// Deepest callsubr nesting that is followed; a deeper call only empties the stack, so a
// Subr that calls itself ends.
constexpr int kMaxSubrDepth = 32;
// Bounds that keep a hostile font from hanging or exhausting memory; real glyphs stay far
// below them (a one-em curve has 40 pieces).
constexpr int32_t kMaxCurvePieces = 1024;
constexpr int64_t kMaxTokensPerGlyph = 1 << 20;   // tokens run, Subrs included
constexpr int64_t kMaxPiecesPerGlyph = 1 << 18;   // segments or vertices made

// Operands are read downward from the top; an operand below the bottom reads as 0, and a
// push onto a full stack is dropped.
struct OperandStack {
  int32_t values[kStackSize];
  int32_t top;
};

struct OutlinePoint {
  int32_t x, y, z;
};

struct PenState {
  int32_t x, y;    // current point
  int32_t wx, wy;  // advance from hsbw / sbw
  int32_t first, last;  // open contour: segment indices (preview), vertex indices (build); -1 none
  bool line_flag;       // build: the running program's last drawing operator was a line
};

// One preview segment; nx, ny are left for the preview's drawing code.
struct OutlineSegment {
  int32_t x0, y0, x1, y1;
  float nx, ny;
};
static_assert(sizeof(OutlineSegment) == 24, "OutlineSegment is 24 bytes");

struct SegmentList {
  std::vector<OutlineSegment> segments;
  int32_t run = 0;  // segments added since the last closepath
  int32_t count() const { return int32_t(segments.size()); }
};

// Optional record of what a run drew, for diagnostics and checks: the pen after every move,
// line, curve and closepath, and counts of the operators that the outline leaves out.
enum class PenEvent : uint8_t { Move, Line, Curve, Close };
struct PenNode {
  PenEvent event;
  int32_t x, y;
};
struct OutlineTrace {
  std::vector<PenNode> nodes;
  int divs = 0;          // div operators run
  int flex = 0;          // callothersubr 0..2 (flex, reduced to its moves)
  int seac = 0;          // accented characters (no outline composed)
  bool abandoned = false;  // a bound above stopped the glyph
};

// The interpreter's module-level state, set up by the character's driver.
struct CharstringMachine {
  OperandStack stack;
  PenState pen;
  OutlinePoint control[4];
  const SubrTable* subrs;
  SegmentList* segments;   // preview output
  ModelInterface* model;   // build output
  int32_t direction;       // build: +1 left to right, -1 right to left
  OutlineTrace* trace;     // optional
  int depth;
  int64_t tokens_left;
  int64_t pieces_left;
};
CharstringMachine& charstring_machine();

// Driver set-up: empty stack, pen at the origin (preview) or at the cursor's Y, Z (build),
// advance 0, no open contour, bounds refilled.
void begin_preview(SegmentList* segments, const SubrTable* subrs, OutlineTrace* trace = nullptr);
void begin_build(ModelInterface* model, int32_t direction, const SubrTable* subrs);

void run_preview_program(const GlyphProgram& program);
void run_build_program(const GlyphProgram& program);

// trunc(a / b) computed in floating point; b = 0 gives 0 (saturating at the int32 range).
int32_t charstring_div(int32_t a, int32_t b);
// de Casteljau with every intermediate point truncated to integers.
OutlinePoint bezier_point(const OutlinePoint* p, int i, int degree, double t);
// Pieces for the curve p[0..3]: 40 per em of control-polygon length, at least `minimum`.
int32_t curve_pieces(const OutlinePoint* p, int32_t minimum);
// Preview segment append (drops zero-length segments, joins gaps inside a contour); true
// when the segment was stored.
bool add_outline_segment(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
void flatten_curve_preview(const OutlinePoint* p);
int32_t flatten_curve_build(int32_t last, const OutlinePoint* p);
