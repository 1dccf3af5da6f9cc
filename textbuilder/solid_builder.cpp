#include "textbuilder/text_build.h"

#include <cstdio>
#include <cstring>

#include "common/message_box.h"
#include "textbuilder/charstring.h"
#include "textbuilder/font_reader.h"
#include "textbuilder/pen_arith.h"

namespace {

// The jitter generator; 1 when the library is loaded.
uint32_t g_jitter_state = 1;

// Hold points: fraction of the advance along the text, and height in font units.
constexpr double kHoldAlong[7] = {0, 0.5, 1, 0.5, 0, 0.5, 1};
constexpr double kHoldUp[7] = {0, 0, 0, 300, 600, 600, 600};

constexpr size_t kTextBytes = sizeof(TextBuildSettings::text);

int32_t text_direction(const TextBuildSettings& s) { return s.direction < 0 ? -1 : 1; }

// A hold point outside 0..6 would index past the tables: it counts as 0 (bottom left).
int hold_index(const TextBuildSettings& s) { return s.hold_point >= 0 && s.hold_point <= 6 ? s.hold_point : 0; }

ModelVertex* vertex_array(ModelInterface* model) { return model->vertices ? *model->vertices : nullptr; }
int32_t vertex_count(const ModelInterface* model) { return *model->vertex_count; }
int32_t face_count(const ModelInterface* model) { return *model->face_count; }

// Turns the selection byte `was` (0 or 1) of the vertices [from, to), held to the model,
// into the other one, moving one vertex between the counts for each; other bytes stay.
void flip_selection(ModelInterface* model, int32_t from, int32_t to, uint8_t was) {
  ModelVertex* v = vertex_array(model);
  if (!v) return;
  if (from < 0) from = 0;
  if (to > vertex_count(model)) to = vertex_count(model);
  const int32_t more_selected = was == 0 ? 1 : -1;
  for (int32_t i = from; i < to; ++i) {
    if (v[i].selected != was) continue;
    v[i].selected = uint8_t(1 - was);
    *model->selected_vertex_count += more_selected;
    *model->unselected_vertex_count -= more_selected;
  }
}

void set_name(ModelObject* object, const char* name) {
  if (object) std::snprintf(object->name, sizeof object->name, "%s", name);
}

void show(const UiTable& ui, const char* text) { ui_message(ui, text, "QEL", mb::Ok); }

// Bevel size handed to the host: bevel_depth 100 gives one twentieth of an em.
double text_bevel_size(const TextBuildSettings& s) { return (s.bevel_depth / 2000.0) * 32 * 1000.0; }

// Steps the jitter generator and answers the next offset, -2..1.
int32_t next_text_jitter() {
  g_jitter_state = g_jitter_state * 214013u + 2531011u;
  int32_t r = int32_t((g_jitter_state >> 16) & 0x7FFF);
  return r % 4 - 2;
}

// Sets the reference point of `object` from the settings' hold point, for a glyph whose
// advance (wx, wy) the cursor has already moved past: X = cursor X - g/2; Y and Z the hold
// point of the glyph, moved on by one advance when `follow` (the follow point object).
void place_reference_point(ModelObject* object, const ModelInterface* model, const TextBuildSettings& s,
                           int32_t wx, int32_t wy, bool follow) {
  int32_t d = text_direction(s);
  int h = hold_index(s);
  // The glyph's origin: the cursor has already moved past its advance.
  int32_t origin_y = wrap_add(*model->cursor_y, -wrap_mul(d, wx));
  int32_t origin_z = wrap_add(*model->cursor_z, -wy);
  object->ref_x = wrap_add(*model->cursor_x, -(text_thickness(s) / 2));
  if (follow) {
    object->ref_y = wrap_add(origin_y, wrap_mul(d, trunc_to_int32((kHoldAlong[h] + 1) * wx)));
    object->ref_z = wrap_add(origin_z, trunc_to_int32(32 * kHoldUp[h] + wy));
  } else {
    object->ref_y = wrap_add(origin_y, wrap_mul(d, trunc_to_int32(wx * kHoldAlong[h])));
    object->ref_z = wrap_add(origin_z, trunc_to_int32(32 * kHoldUp[h]));
  }
}

// The build-wide values.
struct Build {
  const TextBuildSettings& s;
  ModelInterface* model;
  const UiTable& ui;
  int32_t d;
  int32_t g;
  bool early_fill = false;
  // The host's path, NUL-terminated even when the record's 128 bytes hold no terminator.
  char font_path[sizeof(TextBuildSettings::font_path) + 1] = {};
};

// Colours the faces [from, face count) and, for extrusion and bevel faces, sets bit 7.
void colour_faces(ModelInterface* model, int32_t from, const uint8_t* colour, bool from_extrusion) {
  ModelFace* faces = model->faces ? *model->faces : nullptr;
  if (!faces) return;
  for (int32_t i = from < 0 ? 0 : from; i < face_count(model); ++i) {
    faces[i].red = colour[0];
    faces[i].green = colour[1];
    faces[i].blue = colour[2];
    if (from_extrusion) faces[i].flags |= kFaceFromExtrusion;
  }
}

// Fills the current selection; false when the host failed.
bool fill_selection(Build& b) {
  int32_t before = face_count(b.model);
  if (!b.model->apply_to_selection(kModelFill, 0, 1, 0.0, 0.0)) return false;
  colour_faces(b.model, before, b.s.face_color, false);
  return true;
}

// One side of a letter: bevel the outline [from, to) (then fill its inner outline), or fill
// it directly unless the early fill did.
bool finish_side(Build& b, int32_t from, int32_t to, bool bevel, double angle) {
  bool fill = b.s.fill_faces != 0;
  if (bevel) {
    select_vertices(b.model, from, to);
    int32_t bevel_start = vertex_count(b.model);
    int32_t before = face_count(b.model);
    if (!b.model->apply_to_selection(kModelBevel, 0, 1, angle, text_bevel_size(b.s))) return false;
    int32_t bevel_end = vertex_count(b.model);
    colour_faces(b.model, before, b.s.bevel_color, true);
    if (fill && !fill_selection(b)) return false;
    deselect_vertices(b.model, bevel_start, bevel_end);
  } else if (fill && !b.early_fill) {
    select_vertices(b.model, from, to);
    if (!fill_selection(b)) return false;
    deselect_vertices(b.model, from, to);
  }
  return true;
}

// Extrusion, bevels and fills of one letter's outline [vs, ve); false when the host failed.
bool make_solid(Build& b, int32_t vs, int32_t ve) {
  const TextBuildSettings& s = b.s;
  bool front_bevel = b.d > 0 ? s.bevel_front != 0 : s.bevel_back != 0;
  bool back_bevel = b.d > 0 ? s.bevel_back != 0 : s.bevel_front != 0;

  if (s.fill_faces && !s.bevel_front && !s.bevel_back) {
    select_vertices(b.model, vs, ve);
    if (!fill_selection(b)) return false;
    deselect_vertices(b.model, vs, ve);
    b.early_fill = true;
  }

  int32_t back_start = vs, back_end = ve;
  if (s.extrusion_width > 0) {
    select_vertices(b.model, vs, ve);
    int32_t xs = vertex_count(b.model);
    int32_t before = face_count(b.model);
    if (!b.model->extrude_selection(kModelExtrudeCopy)) return false;
    int32_t xe = vertex_count(b.model);
    deselect_vertices(b.model, xs, xe);
    if (ModelVertex* v = vertex_array(b.model))
      for (int32_t i = xs; i < xe; ++i) v[i].x = wrap_add(v[i].x, -b.g);
    colour_faces(b.model, before, s.side_color, true);
    back_start = xs;
    back_end = xe;
  }

  double angle = double(s.bevel_angle);
  return finish_side(b, vs, ve, front_bevel, angle) && finish_side(b, back_start, back_end, back_bevel, -angle);
}

// The space: one edge along its advance, half the thickness behind the cursor.
void make_space_edge(Build& b, int32_t wx, int32_t wy) {
  ModelInterface* model = b.model;
  int32_t x = wrap_add(*model->cursor_x, -(b.g / 2));
  int32_t y = *model->cursor_y, z = *model->cursor_z;
  model->reserve_vertices(vertex_count(model) + 2);
  model->append_vertex();
  int32_t a = vertex_count(model) - 1;
  if (ModelVertex* v = vertex_array(model)) {
    v[a].x = x;
    v[a].y = y;
    v[a].z = z;
  }
  model->append_vertex();
  int32_t c = vertex_count(model) - 1;
  if (ModelVertex* v = vertex_array(model)) {
    v[c].x = x;
    v[c].y = wrap_add(y, wrap_mul(b.d, wx));
    v[c].z = wrap_add(z, wy);
  }
  model->reserve_edges(*model->edge_count + 1);
  model->append_edge(c, a);
}

// One character: false ends the build.
bool build_character(Build& b, uint8_t code, long k) {
  ModelInterface* model = b.model;
  font_reader_clear();
  ScanResult scan = load_glyph_program(code, b.font_path);
  if (scan != ScanDone) {
    font_reader_clear();
    if (const char* message = scan_result_message(scan)) show(b.ui, message);
    return false;
  }

  begin_build(model, b.d, &loaded_subrs());
  int32_t vs = vertex_count(model);
  run_build_program(loaded_glyph());
  int32_t wx = charstring_machine().pen.wx, wy = charstring_machine().pen.wy;

  bool space = code == ' ';
  if (space) make_space_edge(b, wx, wy);
  *model->cursor_y = wrap_add(*model->cursor_y, wrap_mul(b.d, wx));
  *model->cursor_z = wrap_add(*model->cursor_z, wy);
  font_reader_clear();

  int32_t ve = vertex_count(model);
  if (ModelVertex* v = vertex_array(model))
    for (int32_t i = vs; i < ve; ++i) v[i].y = wrap_add(v[i].y, next_text_jitter());
  if (ve <= vs) return false;

  model->create_object(*model->parent_object);
  ModelObject* letter = *model->current_object;
  char name[8];
  if (space)
    std::snprintf(name, sizeof name, "Space");
  else if (code >= 'A' && code <= 'Z')
    std::snprintf(name, sizeof name, "%c%ld-C", char(code), k);
  else
    std::snprintf(name, sizeof name, "%c%ld", char(code), k);
  set_name(letter, name);
  if (letter) place_reference_point(letter, model, b.s, wx, wy, false);
  model->create_object(letter);
  ModelObject* follow = *model->current_object;
  set_name(follow, "F.Pt.");
  if (follow) place_reference_point(follow, model, b.s, wx, wy, true);

  deselect_vertices(model, vs, ve);
  if (!space && !make_solid(b, vs, ve)) return false;

  if (ModelVertex* v = vertex_array(model))
    for (int32_t i = vs; i < vertex_count(model); ++i) v[i].owner = letter;
  model->character_done();
  return true;
}

}  // namespace

int32_t text_thickness(const TextBuildSettings& s) {
  if (s.extrusion_width <= 0) return 0;
  return trunc_to_int32(s.extrusion_width * 1000.0 / 100.0 * 32);
}

void set_text_jitter_state(uint32_t state) { g_jitter_state = state; }

void select_vertices(ModelInterface* model, int32_t from, int32_t to) { flip_selection(model, from, to, 0); }
void deselect_vertices(ModelInterface* model, int32_t from, int32_t to) { flip_selection(model, from, to, 1); }

void build_text(const TextBuildSettings& s, ModelInterface* model, const UiTable& ui) noexcept {
  int32_t v0 = vertex_count(model);
  int32_t cursor_x = *model->cursor_x, cursor_y = *model->cursor_y, cursor_z = *model->cursor_z;
  Build b{s, model, ui, text_direction(s), text_thickness(s)};
  std::memcpy(b.font_path, s.font_path, sizeof s.font_path);
  try {
    deselect_vertices(model, 0, vertex_count(model));
    for (size_t i = 0; i < kTextBytes; ++i) {
      uint8_t code = uint8_t(s.text[i]);
      if (code == 0 || (code & 0x80)) break;
      if (!build_character(b, code, long(i + 1))) break;
    }
  } catch (...) {
    font_reader_clear();
    show(ui, "Out of memory");
  }
  select_vertices(model, v0, vertex_count(model));
  *model->cursor_x = cursor_x;
  *model->cursor_y = cursor_y;
  *model->cursor_z = cursor_z;
}
