// Charstring interpreter: one token loop, two outputs (preview segments, model edges).
#include "textbuilder/charstring.h"

#include <cmath>
#include <new>

#include "textbuilder/pen_arith.h"

namespace {

CharstringMachine m;

int32_t scaled(int32_t v) { return wrap_mul(v, 32); }

// Operand i (0-based) of an operator taking n operands; missing ones read as 0.
int32_t operand(int n, int i) {
  int32_t at = m.stack.top - n + i;
  return (at >= 0 && at < kStackSize) ? m.stack.values[at] : 0;
}

void push(int32_t v) {
  if (m.stack.top < kStackSize) m.stack.values[m.stack.top++] = v;
}

void note(PenEvent e) {
  if (m.trace) {
    try {
      m.trace->nodes.push_back(PenNode{e, m.pen.x, m.pen.y});
    } catch (const std::bad_alloc&) {
    }
  }
}

bool spend_pieces(int64_t n) {
  if (m.pieces_left < n) {
    m.pieces_left = 0;
    m.tokens_left = 0;  // abandon the rest of the glyph
    if (m.trace) m.trace->abandoned = true;
    return false;
  }
  m.pieces_left -= n;
  return true;
}

// ---- preview ------------------------------------------------------------------------

void preview_line(int32_t dx, int32_t dy) {
  if (!spend_pieces(1)) return;
  int32_t x1 = wrap_add(m.pen.x, dx), y1 = wrap_add(m.pen.y, dy);
  if (add_outline_segment(m.pen.x, m.pen.y, x1, y1)) {
    int32_t last = m.segments->count() - 1;
    if (m.pen.first < 0) m.pen.first = last;
    m.pen.last = last;
  }
  m.pen.x = x1;
  m.pen.y = y1;
}

void preview_close() {
  PenState& p = m.pen;
  const std::vector<OutlineSegment>& s = m.segments->segments;
  if (p.first != p.last && p.first >= 0 && p.last >= 0 && p.first < int32_t(s.size()) &&
      p.last < int32_t(s.size())) {
    OutlineSegment from = s[size_t(p.last)], to = s[size_t(p.first)];
    add_outline_segment(from.x1, from.y1, to.x0, to.y0);
  }
  m.segments->run = 0;
  p.first = p.last = -1;
}

// ---- build --------------------------------------------------------------------------

ModelVertex* vertex_at(int32_t i) {
  if (i < 0 || i >= *m.model->vertex_count || !*m.model->vertices) return nullptr;
  return &(*m.model->vertices)[i];
}

int32_t append_vertex() {
  m.model->reserve_vertices(*m.model->vertex_count + 1);
  m.model->append_vertex();
  return *m.model->vertex_count - 1;
}

void write_vertex(int32_t i, int32_t y, int32_t z) {
  if (ModelVertex* v = vertex_at(i)) {
    v->x = *m.model->cursor_x;
    v->y = y;
    v->z = z;
  }
}

int32_t make_vertex(int32_t y, int32_t z) {
  int32_t v = append_vertex();
  write_vertex(v, y, z);
  return v;
}

void join(int32_t a, int32_t b) {
  m.model->reserve_edges(*m.model->edge_count + 1);
  m.model->append_edge(a, b);
}

bool at_first_vertex(int32_t y, int32_t z) {
  const ModelVertex* f = vertex_at(m.pen.first);
  return f && f->y == y && f->z == z;
}

void build_contour_start() {
  if (m.pen.last < 0) m.pen.first = m.pen.last = make_vertex(m.pen.x, m.pen.y);
}

void build_line(int32_t dx, int32_t dy) {
  if (!spend_pieces(2)) return;
  m.pen.line_flag = true;
  build_contour_start();
  int32_t mid = append_vertex();
  join(m.pen.last, mid);
  write_vertex(mid, wrap_add(m.pen.x, dx / 2), wrap_add(m.pen.y, dy / 2));
  m.pen.last = mid;
  m.pen.x = wrap_add(m.pen.x, dx);
  m.pen.y = wrap_add(m.pen.y, dy);
  if (at_first_vertex(m.pen.x, m.pen.y)) {
    join(m.pen.last, m.pen.first);
    m.pen.last = m.pen.first;
  } else {
    int32_t end = make_vertex(m.pen.x, m.pen.y);
    join(m.pen.last, end);
    m.pen.last = end;
  }
}

void build_close() {
  PenState& p = m.pen;
  if (p.last != p.first && p.first >= 0 && p.last >= 0) {
    if (p.line_flag) {
      const ModelVertex* a = vertex_at(p.last);
      const ModelVertex* b = vertex_at(p.first);
      if (a && b) {
        int32_t y = int32_t((int64_t(a->y) + b->y) / 2), z = int32_t((int64_t(a->z) + b->z) / 2);
        int32_t mid = make_vertex(y, z);
        join(p.last, mid);
        p.last = mid;
      }
    }
    join(p.last, p.first);
  }
  p.first = p.last = -1;
}

// ---- shared -------------------------------------------------------------------------

enum class Variant { Preview, Build };

int32_t dir(Variant v) { return v == Variant::Build ? m.direction : 1; }

void move_by(Variant v, int32_t dx, int32_t dy) {
  m.pen.x = wrap_add(m.pen.x, dx);
  m.pen.y = wrap_add(m.pen.y, dy);
  if (v == Variant::Build) m.pen.line_flag = false;
  note(PenEvent::Move);
}

void line_by(Variant v, int32_t dx, int32_t dy) {
  if (v == Variant::Preview)
    preview_line(dx, dy);
  else
    build_line(dx, dy);
  note(PenEvent::Line);
}

void curve_by(Variant v, int32_t dx1, int32_t dy1, int32_t dx2, int32_t dy2, int32_t dx3, int32_t dy3) {
  int32_t d = dir(v);
  OutlinePoint* c = m.control;
  c[0] = OutlinePoint{m.pen.x, m.pen.y, 0};
  c[1] = OutlinePoint{wrap_add(c[0].x, wrap_mul(d, scaled(dx1))), wrap_add(c[0].y, scaled(dy1)), 0};
  c[2] = OutlinePoint{wrap_add(c[1].x, wrap_mul(d, scaled(dx2))), wrap_add(c[1].y, scaled(dy2)), 0};
  c[3] = OutlinePoint{wrap_add(c[2].x, wrap_mul(d, scaled(dx3))), wrap_add(c[2].y, scaled(dy3)), 0};
  if (v == Variant::Preview) {
    m.pen.x = c[3].x;
    m.pen.y = c[3].y;
    flatten_curve_preview(c);
  } else {
    m.pen.line_flag = false;
    build_contour_start();
    m.pen.x = c[3].x;
    m.pen.y = c[3].y;
    m.pen.last = flatten_curve_build(m.pen.last, c);
  }
  note(PenEvent::Curve);
}

void close_path(Variant v) {
  if (v == Variant::Preview)
    preview_close();
  else
    build_close();
  note(PenEvent::Close);
}

void side_bearing(Variant v, int32_t sbx, int32_t sby, int32_t wx, int32_t wy, bool with_y) {
  int32_t d = dir(v);
  int32_t origin_x = v == Variant::Build ? *m.model->cursor_y : 0;
  int32_t origin_y = v == Variant::Build ? *m.model->cursor_z : 0;
  m.pen.x = wrap_add(origin_x, wrap_mul(d, scaled(sbx)));
  if (with_y) m.pen.y = wrap_add(origin_y, scaled(sby));
  m.pen.wx = scaled(wx);
  if (with_y) m.pen.wy = scaled(wy);
}

void run_program(const GlyphProgram& program, Variant v);

void call_subr(Variant v) {
  int32_t n = operand(1, 0);
  m.stack.top = 0;
  if (!m.subrs || n < 0 || n >= m.subrs->count() || m.depth >= kMaxSubrDepth) return;
  ++m.depth;
  run_program(m.subrs->entries[size_t(n)], v);
  --m.depth;
}

// Runs an escape operator; false when the stack is to be kept.
bool escape(Variant v, int32_t code) {
  switch (code) {
    case 6:  // seac: no outline is composed
      if (m.trace) ++m.trace->seac;
      return true;
    case 7:  // sbw
      side_bearing(v, operand(4, 0), operand(4, 1), operand(4, 2), operand(4, 3), true);
      return true;
    case 12: {  // div
      int32_t q = charstring_div(operand(2, 0), operand(2, 1));
      m.stack.top -= m.stack.top < 2 ? m.stack.top : 2;
      push(q);
      if (m.trace) ++m.trace->divs;
      return false;
    }
    case 16: {  // callothersubr: ignored; flex reduces to its moves
      int32_t other = operand(1, 0);
      if (m.trace && other >= 0 && other <= 2) ++m.trace->flex;
      return true;
    }
    case 17:  // pop
      push(-1);
      return false;
    default:  // dotsection, vstem3, hstem3, setcurrentpoint and unknown codes
      return true;
  }
}

void run_program(const GlyphProgram& program, Variant v) {
  bool caller_line_flag = m.pen.line_flag;
  m.pen.line_flag = false;
  const std::vector<CharToken>& t = program.tokens;
  for (size_t i = 0; i < t.size(); ++i) {
    if (m.tokens_left <= 0) break;
    --m.tokens_left;
    if (t[i].kind == kTokenNumber) {
      push(t[i].value);
      continue;
    }
    int32_t d = dir(v);
    bool empty = true;
    switch (t[i].value) {
      case 4: move_by(v, 0, scaled(operand(1, 0))); break;
      case 5: line_by(v, wrap_mul(d, scaled(operand(2, 0))), scaled(operand(2, 1))); break;
      case 6: line_by(v, wrap_mul(d, scaled(operand(1, 0))), 0); break;
      case 7: line_by(v, 0, scaled(operand(1, 0))); break;
      case 8:
        curve_by(v, operand(6, 0), operand(6, 1), operand(6, 2), operand(6, 3), operand(6, 4), operand(6, 5));
        break;
      case 9: close_path(v); break;
      case 10: call_subr(v); break;
      case 11: m.stack.top = 0; m.pen.line_flag = caller_line_flag; return;
      case 12:
        if (i + 1 < t.size()) empty = escape(v, t[++i].value);
        break;
      case 13: side_bearing(v, operand(2, 0), 0, operand(2, 1), 0, false); break;
      case 21: move_by(v, wrap_mul(d, scaled(operand(2, 0))), scaled(operand(2, 1))); break;
      case 22: move_by(v, wrap_mul(d, scaled(operand(1, 0))), 0); break;
      case 30: curve_by(v, 0, operand(4, 0), operand(4, 1), operand(4, 2), operand(4, 3), 0); break;
      case 31: curve_by(v, operand(4, 0), 0, operand(4, 1), operand(4, 2), 0, operand(4, 3)); break;
      default: break;  // hstem, vstem, endchar and unknown operators only empty the stack
    }
    if (empty) m.stack.top = 0;
  }
  m.pen.line_flag = caller_line_flag;
}

void begin(const SubrTable* subrs) {
  m.stack.top = 0;
  m.pen = PenState{0, 0, 0, 0, -1, -1, false};
  m.subrs = subrs;
  m.segments = nullptr;
  m.model = nullptr;
  m.direction = 1;
  m.trace = nullptr;
  m.depth = 0;
  m.tokens_left = kMaxTokensPerGlyph;
  m.pieces_left = kMaxPiecesPerGlyph;
}

}  // namespace

CharstringMachine& charstring_machine() { return m; }

void begin_preview(SegmentList* segments, const SubrTable* subrs, OutlineTrace* trace) {
  begin(subrs);
  m.segments = segments;
  m.trace = trace;
}

void begin_build(ModelInterface* model, int32_t direction, const SubrTable* subrs) {
  begin(subrs);
  m.model = model;
  m.direction = direction < 0 ? -1 : 1;
  m.pen.x = *model->cursor_y;
  m.pen.y = *model->cursor_z;
}

void run_preview_program(const GlyphProgram& program) { run_program(program, Variant::Preview); }
void run_build_program(const GlyphProgram& program) { run_program(program, Variant::Build); }

int32_t charstring_div(int32_t a, int32_t b) {
  if (b == 0) return 0;
  return trunc_to_int32(std::trunc(double(a) / double(b)));
}

OutlinePoint bezier_point(const OutlinePoint* p, int i, int degree, double t) {
  OutlinePoint a, b;
  if (degree <= 1) {
    a = p[i];
    b = p[i + 1];
  } else {
    a = bezier_point(p, i, degree - 1, t);
    b = bezier_point(p, i + 1, degree - 1, t);
  }
  return OutlinePoint{trunc_to_int32((1 - t) * a.x + t * b.x), trunc_to_int32((1 - t) * a.y + t * b.y), 0};
}

int32_t curve_pieces(const OutlinePoint* p, int32_t minimum) {
  double s = 0;
  for (int k = 0; k < 3; ++k) {
    double dx = double(p[k + 1].x) - p[k].x, dy = double(p[k + 1].y) - p[k].y;
    s += dx * dx + dy * dy;
  }
  double n = std::trunc(std::sqrt(s) / 32000.0 * 40.0);
  if (n > kMaxCurvePieces) n = kMaxCurvePieces;
  return n < minimum ? minimum : int32_t(n);
}

bool add_outline_segment(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (x0 == x1 && y0 == y1) return false;
  SegmentList& list = *m.segments;
  try {  // room for the segment and a joining one first, so that neither half fails
    size_t need = list.segments.size() + 2;
    if (list.segments.capacity() < need) list.segments.reserve(need * 2);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (list.run != 0 && !list.segments.empty()) {
    const OutlineSegment& b = list.segments.back();
    if (b.x1 != x0 || b.y1 != y0) {
      list.segments.push_back(OutlineSegment{b.x1, b.y1, x0, y0, 0, 0});
      ++list.run;
    }
  }
  list.segments.push_back(OutlineSegment{x0, y0, x1, y1, 0, 0});
  ++list.run;
  return true;
}

void flatten_curve_preview(const OutlinePoint* p) {
  int32_t n = curve_pieces(p, 2);
  if (!spend_pieces(n)) return;
  OutlinePoint prev = p[0];
  bool added = false;
  for (int32_t k = 1; k <= n; ++k) {
    OutlinePoint q = bezier_point(p, 0, 3, double(k) / n);
    if (add_outline_segment(prev.x, prev.y, q.x, q.y)) {
      added = true;
      if (m.pen.first < 0) m.pen.first = m.segments->count() - 1;
    }
    prev = q;
  }
  if (added) m.pen.last = m.segments->count() - 1;
}

int32_t flatten_curve_build(int32_t last, const OutlinePoint* p) {
  int32_t n = curve_pieces(p, 4);
  if (!spend_pieces(n)) return last;
  ModelInterface* model = m.model;
  model->reserve_vertices(*model->vertex_count + n + 1);
  model->reserve_edges(*model->edge_count + n + 1);
  for (int32_t k = 1; k <= n; ++k) {
    OutlinePoint q = bezier_point(p, 0, 3, double(k) / n);
    if (k == n && at_first_vertex(q.x, q.y)) break;
    model->append_vertex();
    int32_t v = *model->vertex_count - 1;
    model->append_edge(last, v);
    write_vertex(v, q.x, q.y);
    last = v;
  }
  model->reserve_vertices(*model->vertex_count);
  model->reserve_edges(*model->edge_count);
  return last;
}
