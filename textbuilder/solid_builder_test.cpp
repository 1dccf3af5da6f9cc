#include "textbuilder/text_build.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "common/ui_recorder.h"
#include "textbuilder/charstring.h"
#include "textbuilder/recording_model.h"
#include "textbuilder/test_font.h"

namespace {

using Strings = std::vector<std::string>;
using Ints = std::vector<int32_t>;

#ifdef ZEL_TEST_BUILD_DIR
// Under Wine the test driver's environment does not name the build folder (where the
// glyph-name table is): this build names it itself.
const bool kBuildDirNamed = [] {
  if (!std::getenv("ZEL_BUILD_DIR")) _putenv("ZEL_BUILD_DIR=" ZEL_TEST_BUILD_DIR);
  return true;
}();
#endif

// ---- a host around the recording model ------------------------------------------------
//
// The recording model logs the builder's calls but makes no geometry. This stand-in lets
// its fill, bevel and extrusion act on the selection as a host's would: a fill appends two
// faces; a bevel or an extrusion copies the selected vertices (the copy selected, the
// outline not) with two faces per vertex. Each operation is noted with what was selected:
// "glyph" (the outline the interpreter drew), "copy" (an extrusion's), "inner" (a bevel's).
struct Host {
  RecordingModel rec;
  std::map<int32_t, std::string> made;  // vertex -> "copy" / "inner"; others are "glyph"
  std::string face;                     // per face: 'f' fill, 's' side, 'b' bevel
  Strings ops;                          // "fill glyph", "extrude glyph", "bevel 30 640 inner", ...
  std::map<const ModelObject*, const ModelObject*> parent;
  ModelInterface original{};
  ModelObject root{};
  UiRecorder ui, reader_ui;  // the builder's boxes; the font reader's

  Host();
  void build(const TextBuildSettings& s);
  std::string kind(int32_t i) const { return made.count(i) ? made.at(i) : "glyph"; }
  std::string selection() const {
    std::string what = "nothing";
    int n = 0;
    for (int32_t i = 0; i < rec.vertex_count; ++i)
      if (rec.vertex(i).selected == 1) what = n++ == 0 || what == kind(i) ? kind(i) : "mixed";
    return n == rec.selected_count ? what : "miscounted";
  }
  void add_faces(int n, char kind_of_face) {
    face.append(size_t(n), kind_of_face);
    rec.faces.resize(face.size());
    rec.face_count = int32_t(face.size());
    rec.face_array = rec.faces.data();
  }
  void copy_selection(const char* k, char kind_of_face) {
    Ints picked;
    for (int32_t i = 0; i < rec.vertex_count; ++i)
      if (rec.vertex(i).selected == 1) picked.push_back(i);
    rec.vertices.resize(size_t(rec.vertex_count) + picked.size());
    rec.vertex_capacity = int32_t(rec.vertices.size());
    rec.vertex_array = rec.vertices.data();
    for (int32_t i : picked) {
      ModelVertex copy = rec.vertices[size_t(i)];
      rec.vertices[size_t(i)].selected = 0;
      copy.owner = rec.current_object;
      made[rec.vertex_count] = k;
      rec.vertices[size_t(rec.vertex_count++)] = copy;
    }
    rec.unselected_count += int32_t(picked.size());
    add_faces(2 * int(picked.size()), kind_of_face);
  }
};

Host* g_host = nullptr;

int32_t ZEL_CDECL host_apply(int32_t op, int32_t a, int32_t b, double angle, double size) {
  Host& h = *g_host;
  char text[96];
  if (op == kModelFill)
    std::snprintf(text, sizeof text, "fill %s", h.selection().c_str());
  else
    std::snprintf(text, sizeof text, "bevel %g %g %s", angle, size, h.selection().c_str());
  h.ops.push_back(text);
  int32_t answer = h.original.apply_to_selection(op, a, b, angle, size);
  if (answer && op == kModelFill) h.add_faces(2, 'f');
  if (answer && op != kModelFill) h.copy_selection("inner", 'b');
  return answer;
}

int32_t ZEL_CDECL host_extrude(int32_t mode) {
  Host& h = *g_host;
  h.ops.push_back("extrude " + h.selection());
  int32_t answer = h.original.extrude_selection(mode);
  if (answer) h.copy_selection("copy", 's');
  return answer;
}

void ZEL_CDECL host_create_object(ModelObject* parent) {
  g_host->original.create_object(parent);
  g_host->parent[g_host->rec.current_object] = parent;
}

Host::Host() {
  original = rec.iface;
  rec.iface.apply_to_selection = host_apply;
  rec.iface.extrude_selection = host_extrude;
  rec.iface.create_object = host_create_object;
  rec.parent_object = &root;
  rec.cursor_x = 1000;
  rec.cursor_y = 2000;
  rec.cursor_z = 3000;
}

// ---- the font and the builds ---------------------------------------------------------

// A 10 x 20 font-unit box at side bearing 5, with the given advance (font units).
std::vector<CharToken> box(int32_t advance) {
  return {num(5), num(advance), op(13), num(10), op(6), num(20), op(7), num(-10), op(6), op(9), op(14)};
}

const std::string& font_path() {
  static const std::string path = [] {
    // "B" has an advance with a vertical part: sbw 5 0 500 100.
    std::vector<CharToken> b = box(500);
    b.erase(b.begin(), b.begin() + 3);
    b.insert(b.begin(), {num(5), num(0), num(500), num(100), op(12), op(7)});
    TestFont f;
    f.glyphs = {{"/A", box(500)}, {"/B", b},          {"/b", box(400)},  {"/space", {num(0), num(250), op(13), op(14)}},
                {"/c", box(300)}, {"/Z", box(300)}, {"/at", box(300)}, {"/bracketleft", box(300)}};
    return f.write("solid.pfb");
  }();
  return path;
}

// Thickness 3200 (width 10), bevel size 640 (depth 40), angle 30, fill, left to right.
TextBuildSettings settings(const char* text) {
  TextBuildSettings s{0, 0, 30, 40, 10, 0, 1, 0, 1, {}, {}, {0x11, 0x12, 0x13}, {0x21, 0x22, 0x23},
                      {0x31, 0x32, 0x33}};
  std::snprintf(s.font_path, sizeof s.font_path, "%s", font_path().c_str());
  std::snprintf(s.text, sizeof s.text, "%s", text);
  return s;
}

void Host::build(const TextBuildSettings& s) {
  font_reader_setup(test_glyph_table(), reader_ui.table());
  rec.bind();
  g_host = this;
  build_text(s, &rec.iface, ui.table());
}

Strings object_names(const Host& h) {
  Strings out;
  for (const ModelObject& o : h.rec.objects) out.push_back(o.name);
  return out;
}

const ModelObject* object_named(const Host& h, const std::string& name) {
  for (const ModelObject& o : h.rec.objects)
    if (name == o.name) return &o;
  return nullptr;
}

// What every build leaves: everything from V0 on selected (and nothing before it), the
// selection counts in step with the bytes, the cursor back, no fault of the host.
void expect_finished(const Host& h, int32_t v0) {
  int selected = 0;
  for (int32_t i = 0; i < h.rec.vertex_count; ++i) {
    EXPECT_EQ(h.rec.vertex(i).selected, i >= v0 ? 1 : 0) << "vertex " << i;
    selected += h.rec.vertex(i).selected == 1;
  }
  EXPECT_EQ(h.rec.selected_count, selected);
  EXPECT_EQ(h.rec.selected_count + h.rec.unselected_count, h.rec.vertex_count);
  EXPECT_EQ((Ints{h.rec.cursor_x, h.rec.cursor_y, h.rec.cursor_z}), (Ints{1000, 2000, 3000}));
  EXPECT_TRUE(h.rec.faults.empty()) << h.rec.faults.front();
}

// ---- the order of the host operations ------------------------------------------------

TEST(Solid, OperationsColoursOwnersAndFinish) {
  const struct {
    const char* name;
    int32_t width, fill, front, back, direction;
    Strings ops;
  } cases[] = {
      {"flat, filled once", 0, 1, 0, 0, 1, {"fill glyph"}},
      {"filled before the extrusion only", 10, 1, 0, 0, 1, {"fill glyph", "extrude glyph"}},
      {"front bevel, then inner fill, back filled directly", 10, 1, 1, 0, 1,
       {"extrude glyph", "bevel 30 640 glyph", "fill inner", "fill copy"}},
      {"right to left, the front bevels the copy", 10, 1, 1, 0, -1,
       {"extrude glyph", "fill glyph", "bevel -30 640 copy", "fill inner"}},
      {"right to left, the back bevels the glyph", 10, 1, 0, 1, -1,
       {"extrude glyph", "bevel 30 640 glyph", "fill inner", "fill copy"}},
      {"both bevels, no fill", 10, 0, 1, 1, 1, {"extrude glyph", "bevel 30 640 glyph", "bevel -30 640 copy"}},
      {"flat front bevel fills the outline for the back", 0, 1, 1, 0, 1,
       {"bevel 30 640 glyph", "fill inner", "fill glyph"}},
      {"nothing asked", 0, 0, 0, 0, 1, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TextBuildSettings s = settings("A");
    s.extrusion_width = c.width, s.fill_faces = c.fill, s.bevel_front = c.front, s.bevel_back = c.back;
    s.direction = c.direction;
    Host h;
    h.build(s);
    EXPECT_EQ(h.ops, c.ops);
    expect_finished(h, 0);
    EXPECT_TRUE(h.ui.boxes.empty());
    EXPECT_EQ(h.rec.characters_done, 1);
    // Fill faces carry the face colour without bit 7, extrusion and bevel faces theirs with it.
    for (size_t i = 0; i < h.face.size(); ++i) {
      const ModelFace& f = h.rec.faces[i];
      const uint8_t* want = h.face[i] == 'f' ? s.face_color : h.face[i] == 's' ? s.side_color : s.bevel_color;
      EXPECT_EQ((Ints{f.red, f.green, f.blue, f.flags}),
                (Ints{want[0], want[1], want[2], h.face[i] == 'f' ? 0 : kFaceFromExtrusion}))
          << "face " << i << " " << h.face[i];
    }
    // Every vertex belongs to the letter; the extruded copy lies one thickness behind the
    // glyph plane (a bevel's inner outline stays where this host put it).
    const ModelObject* letter = object_named(h, "A1-C");
    ASSERT_NE(letter, nullptr);
    for (int32_t i = 0; i < h.rec.vertex_count; ++i) {
      EXPECT_EQ(h.rec.vertex(i).owner, letter) << "vertex " << i;
      if (h.kind(i) != "inner") {
        EXPECT_EQ(h.rec.vertex(i).x, h.kind(i) == "copy" ? 1000 - 3200 : 1000) << "vertex " << i;
      }
    }
  }
}

// A host operation answers 0: the build stops with everything it made selected, the model's
// earlier vertices not, and the cursor back. (Each operation failing in turn, against a
// real mesh: mesh_build_test.)
TEST(Solid, HostFailureStopsTheBuild) {
  const struct {
    const char* name;
    std::deque<int32_t> answers;  // answers of the host's operations, in order
    size_t ops;                   // operations asked before the build stopped (four a letter)
  } cases[] = {
      {"bevel", {1, 0}, 2},
      {"back fill of the second letter", {1, 1, 1, 1, 1, 1, 1, 0}, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TextBuildSettings s = settings("AbA");
    s.bevel_front = 1;
    Host h;
    // Vertices of the model before the build: deselected at the start, not reselected.
    h.rec.iface.reserve_vertices(3);
    for (int i = 0; i < 3; ++i) h.rec.iface.append_vertex();
    select_vertices(&h.rec.iface, 0, 3);
    h.rec.answers = c.answers;
    h.build(s);
    EXPECT_EQ(h.ops.size(), c.ops);
    expect_finished(h, 3);
    EXPECT_TRUE(h.ui.boxes.empty());
    int finished_letters = int((c.ops - 1) / 4);
    EXPECT_EQ(h.rec.characters_done, finished_letters);
    // The failing letter was created, but its vertices keep the owner the host gave them.
    ASSERT_EQ(h.rec.objects.size(), size_t(2 * (finished_letters + 1)));
    const ModelObject* failed = &h.rec.objects[size_t(2 * finished_letters)];
    for (int32_t i = 3; i < h.rec.vertex_count; ++i) EXPECT_NE(h.rec.vertex(i).owner, failed) << "vertex " << i;
  }
}

// ---- objects, the space, the text's end -----------------------------------------------

TEST(Letters, EachUnderTheRootWithItsFollowPointTheSpaceOneEdge) {
  Host h;
  h.build(settings("Ab c"));
  ASSERT_EQ(h.rec.objects.size(), 8u);  // their names: TextsBuildTheirLetters
  for (size_t i = 0; i < h.rec.objects.size(); i += 2) {
    EXPECT_EQ(h.parent[&h.rec.objects[i]], &h.root) << h.rec.objects[i].name;
    EXPECT_EQ(h.parent[&h.rec.objects[i + 1]], &h.rec.objects[i]) << h.rec.objects[i].name;
  }
  // The space asks the host for nothing: three letters, two operations each.
  EXPECT_EQ(h.ops.size(), 6u);
  // It is one edge along its advance of 250 units, from the cursor after "Ab" (900 units
  // on), half a thickness behind the cursor; the jitter moves Y by -2..1.
  const ModelObject* space = object_named(h, "Space");
  int space_edges = 0;
  for (int32_t e = 0; e < h.rec.edge_count; ++e) {
    const ModelVertex& from = h.rec.vertex(h.rec.edges[size_t(e)].from);
    const ModelVertex& to = h.rec.vertex(h.rec.edges[size_t(e)].to);
    if (from.owner != space && to.owner != space) continue;
    ++space_edges;
    EXPECT_EQ((Ints{from.x, from.z, to.x, to.z}), (Ints{1000 - 1600, 3000, 1000 - 1600, 3000}));
    EXPECT_NEAR(from.y, 2000 + 1150 * 32, 2);
    EXPECT_NEAR(to.y, 2000 + 900 * 32, 2);
  }
  EXPECT_EQ(space_edges, 1);
}

// The objects a text makes, the boxes shown, and what a stop keeps.
TEST(Letters, TextsBuildTheirLetters) {
  const struct {
    const char* name;
    std::string text;
    std::string font;  // empty: the test font
    Strings objects;
    Strings boxes;         // the builder's: text / caption
    Strings reader_boxes;  // the font reader's
  } cases[] = {
      {"named by character and position", "Ab c", "",
       {"A1-C", "F.Pt.", "b2", "F.Pt.", "Space", "F.Pt.", "c4", "F.Pt."}, {}, {}},
      {"only A to Z are capitals", "@Z[", "", {"@1", "F.Pt.", "Z2-C", "F.Pt.", "[3", "F.Pt."}, {}, {}},
      {"missing first character builds nothing", "xA", "", {}, {}, {"No character in font"}},
      {"missing later character keeps the first", "Ax", "", {"A1-C", "F.Pt."}, {}, {"No character in font"}},
      {"the high bit ends the text", "A\xC1" "A", "", {"A1-C", "F.Pt."}, {}, {}},
      {"an unreadable font is corrupt", "A", "/nonexistent/font.pfb", {}, {"Font corrupt / QEL"}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TextBuildSettings s = settings(c.text.c_str());
    if (!c.font.empty()) std::snprintf(s.font_path, sizeof s.font_path, "%s", c.font.c_str());
    Host h;
    h.build(s);
    EXPECT_EQ(object_names(h), c.objects);
    Strings shown, shown_by_reader;
    for (const RecordedBox& b : h.ui.boxes) shown.push_back(b.text + " / " + b.caption);
    for (const RecordedBox& b : h.reader_ui.boxes) shown_by_reader.push_back(b.text);
    EXPECT_EQ(shown, c.boxes);
    EXPECT_EQ(shown_by_reader, c.reader_boxes);
    EXPECT_EQ(h.rec.characters_done, int(c.objects.size() / 2));
    expect_finished(h, 0);
  }
}

TEST(Letters, FieldsWithoutTerminatorEndAtTheirSize) {
  // A font path filling all 128 bytes ends there, not in the text "A" that follows it.
  std::string path = font_path();
  size_t dir = path.find('/', 1);
  ASSERT_NE(dir, std::string::npos);
  while (path.size() < 128) path.insert(dir + 1, path.size() + 2 <= 128 ? "./" : "/");
  TextBuildSettings s = settings("A");
  std::memcpy(s.font_path, path.data(), sizeof s.font_path);
  Host h;
  h.build(s);
  EXPECT_EQ(object_names(h), (Strings{"A1-C", "F.Pt."}));
  // A text filling all 64 bytes ends after its last.
  s = settings("");
  std::memset(s.text, 'b', sizeof s.text);
  Host full;
  full.build(s);
  ASSERT_EQ(full.rec.objects.size(), 128u);
  EXPECT_STREQ(full.rec.objects[126].name, "b64");
}

// ---- reference points -----------------------------------------------------------------

TEST(Letters, HoldPointPlacesLetterAndFollowPoint) {
  const struct {
    const char* name;
    const char* text;
    int32_t hold, direction;
    Ints points;  // letter Y, Z, follow Y, Z, worked by hand: advance 500 units = 16000
  } cases[] = {
      {"centre", "AA", 3, 1, {2000 + 8000, 3000 + 9600, 2000 + 24000, 3000 + 9600}},
      {"top right", "AA", 6, 1, {2000 + 16000, 3000 + 19200, 2000 + 32000, 3000 + 19200}},
      {"centre, right to left", "AA", 3, -1, {2000 - 8000, 3000 + 9600, 2000 - 24000, 3000 + 9600}},
      {"top left, right to left", "AA", 4, -1, {2000, 3000 + 19200, 2000 - 16000, 3000 + 19200}},
      {"outside the tables: bottom left", "AA", 9, 1, {2000, 3000, 2000 + 16000, 3000}},
      // An advance 100 units up (3200) lifts the follow point, not the letter's own point.
      {"centre of a rising advance", "BB", 3, 1, {2000 + 8000, 3000 + 9600, 2000 + 24000, 3000 + 9600 + 3200}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TextBuildSettings s = settings(c.text);
    s.hold_point = c.hold;
    s.direction = c.direction;
    Host h;
    h.build(s);
    ASSERT_EQ(h.rec.objects.size(), 4u);
    const ModelObject& letter = h.rec.objects[0];
    const ModelObject& follow = h.rec.objects[1];
    EXPECT_EQ((Ints{letter.ref_x, follow.ref_x}), (Ints{1000 - 1600, 1000 - 1600}));
    EXPECT_EQ((Ints{letter.ref_y, letter.ref_z, follow.ref_y, follow.ref_z}), c.points);
    // The second letter starts one advance on (towards -Y right to left), as far up as the
    // follow point is above the letter's own point.
    EXPECT_EQ(h.rec.objects[2].ref_y - letter.ref_y, c.direction * 16000);
    EXPECT_EQ(h.rec.objects[2].ref_z - letter.ref_z, follow.ref_z - letter.ref_z);
  }
}

// ---- jitter ---------------------------------------------------------------------------

// The glyph's vertex Y values as the interpreter alone draws them at the cursor.
Ints plain_outline_y(int32_t cursor_y) {
  RecordingModel m;
  m.cursor_y = cursor_y;
  SubrTable none;
  begin_build(&m.iface, 1, &none);
  run_build_program(GlyphProgram{box(500)});
  Ints y;
  for (int32_t i = 0; i < m.vertex_count; ++i) y.push_back(m.vertex(i).y);
  return y;
}

TEST(Jitter, FollowsTheGeneratorFromItsLoadStateAcrossCharactersAndBuilds) {
  // The well-known sequence of this generator from state 1; the offsets are r mod 4 - 2.
  const int32_t r[] = {41,   18467, 6334,  26500, 19169, 15724, 11478, 29358, 26962, 24464,
                       5705, 28145, 23281, 16827, 9961,  491,   2995,  11942, 4827,  5436};
  Ints plain = plain_outline_y(2000), next = plain_outline_y(2000 + 16000);
  Ints start(plain.begin(), plain.begin() + 2);
  plain.insert(plain.end(), next.begin(), next.end());
  plain.insert(plain.end(), start.begin(), start.end());  // a second build's start
  ASSERT_LE(plain.size(), sizeof r / sizeof r[0]);

  set_text_jitter_state(1);
  TextBuildSettings s = settings("AA");
  s.extrusion_width = 0;
  s.fill_faces = 0;
  Host h, again;
  h.build(s);
  s.text[1] = 0;
  again.build(s);  // goes on with the sequence: the generator is never reseeded
  Ints got, expected;
  for (int32_t i = 0; i < h.rec.vertex_count; ++i) got.push_back(h.rec.vertex(i).y);
  for (int32_t i = 0; i < 2 && i < again.rec.vertex_count; ++i) got.push_back(again.rec.vertex(i).y);
  for (size_t i = 0; i < plain.size(); ++i) expected.push_back(plain[i] + r[i] % 4 - 2);
  EXPECT_EQ(got, expected);
}

// ---- selection helpers ----------------------------------------------------------------

TEST(Selection, ChangesOnlyBytesZeroAndOneAndKeepsTheCounts) {
  RecordingModel m;
  m.iface.reserve_vertices(5);
  for (int i = 0; i < 5; ++i) m.iface.append_vertex();
  const uint8_t bytes[5] = {0, 1, 2, 0, 1};
  for (int i = 0; i < 5; ++i) m.vertex_array[i].selected = bytes[i];
  m.selected_count = 2;
  m.unselected_count = 3;
  auto state = [&m] {
    Ints out;
    for (int i = 0; i < 5; ++i) out.push_back(m.vertex(i).selected);
    out.push_back(m.selected_count);
    out.push_back(m.unselected_count);
    return out;
  };
  select_vertices(&m.iface, 1, 4);
  EXPECT_EQ(state(), (Ints{0, 1, 2, 1, 1, 3, 2}));
  deselect_vertices(&m.iface, -5, 50);  // clipped to the model
  EXPECT_EQ(state(), (Ints{0, 0, 2, 0, 0, 0, 5}));
}

}  // namespace
