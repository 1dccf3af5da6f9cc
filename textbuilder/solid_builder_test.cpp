#include "textbuilder/text_build.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "common/ui_recorder.h"
#include "textbuilder/charstring.h"
#include "textbuilder/recording_model.h"
#include "textbuilder/test_font.h"

namespace {

using Strings = std::vector<std::string>;

// ---- a host around the recording model ------------------------------------------------
//
// The recording model logs the builder's calls but makes no geometry. This stand-in lets
// its fill, bevel and extrusion act on the selection as a host's would: a fill appends
// faces, a bevel or an extrusion copies the selected vertices (the copy selected, the
// outline not) with faces between them. Every operation is noted with what was selected.
struct Host {
  RecordingModel rec;
  Strings kind;            // per vertex: "glyph", "copy" (extrusion), "inner" (bevel)
  std::vector<char> face;  // per face: 'f' fill, 's' side, 'b' bevel
  Strings ops;             // "fill glyph", "extrude glyph", "bevel 30 640 inner", ...
  std::map<const ModelObject*, const ModelObject*> parent;
  ModelInterface original{};
  ModelObject root{};

  Host();
  ~Host();
  void note_new_vertices(const char* k) {
    while (int32_t(kind.size()) < rec.vertex_count) kind.push_back(k);
  }
  std::string selection() const;
  void copy_selection(const char* k, char face_kind);
  void add_faces(int n, char face_kind);
};

Host* g_host = nullptr;

std::string Host::selection() const {
  std::string what;
  int n = 0;
  for (int32_t i = 0; i < rec.vertex_count; ++i) {
    if (rec.vertex(i).selected != 1) continue;
    ++n;
    const std::string& k = i < int32_t(kind.size()) ? kind[size_t(i)] : "glyph";
    if (what.empty()) what = k;
    else if (what != k) what = "mixed";
  }
  if (n != rec.selected_count) return "miscounted";
  return n ? what : "nothing";
}

void Host::add_faces(int n, char face_kind) {
  for (int i = 0; i < n; ++i) {
    rec.faces.push_back(ModelFace{});
    face.push_back(face_kind);
  }
  rec.face_count = int32_t(rec.faces.size());
  rec.face_array = rec.faces.data();
}

void Host::copy_selection(const char* k, char face_kind) {
  note_new_vertices("glyph");
  std::vector<int32_t> picked;
  for (int32_t i = 0; i < rec.vertex_count; ++i)
    if (rec.vertex(i).selected == 1) picked.push_back(i);
  int32_t n = int32_t(picked.size());
  rec.vertices.resize(size_t(rec.vertex_count + n));
  rec.vertex_capacity = rec.vertex_count + n;
  rec.vertex_array = rec.vertices.data();
  for (int32_t i : picked) {
    ModelVertex copy = rec.vertices[size_t(i)];
    rec.vertices[size_t(i)].selected = 0;
    copy.owner = rec.current_object;
    rec.vertices[size_t(rec.vertex_count++)] = copy;
    kind.push_back(k);
  }
  rec.unselected_count += n;
  add_faces(2 * n, face_kind);
}

int32_t ZEL_CDECL host_apply(int32_t op, int32_t a, int32_t b, double angle, double size) {
  Host& h = *g_host;
  h.note_new_vertices("glyph");
  std::string on = h.selection();
  int32_t answer = h.original.apply_to_selection(op, a, b, angle, size);
  char text[96];
  if (op == kModelFill)
    std::snprintf(text, sizeof text, "fill %s", on.c_str());
  else
    std::snprintf(text, sizeof text, "bevel %g %g %s", angle, size, on.c_str());
  h.ops.push_back(text);
  if (!answer) return 0;
  if (op == kModelFill)
    h.add_faces(2, 'f');
  else
    h.copy_selection("inner", 'b');
  return answer;
}

int32_t ZEL_CDECL host_extrude(int32_t mode) {
  Host& h = *g_host;
  h.note_new_vertices("glyph");
  h.ops.push_back("extrude " + h.selection());
  int32_t answer = h.original.extrude_selection(mode);
  if (answer) h.copy_selection("copy", 's');
  return answer;
}

void ZEL_CDECL host_create_object(ModelObject* parent) {
  Host& h = *g_host;
  h.original.create_object(parent);
  h.parent[h.rec.current_object] = parent;
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
  g_host = this;
}

Host::~Host() { g_host = nullptr; }

// ---- the font and the builds ---------------------------------------------------------

// A 10 x 20 font-unit box at side bearing 5, with the given advance (font units).
std::vector<CharToken> box(int32_t advance) {
  return {num(5), num(advance), op(13), num(10), op(6), num(20), op(7), num(-10), op(6), op(9), op(14)};
}

const std::string& font_path() {
  static const std::string path = [] {
    TestFont f;
    // "B" has an advance with a vertical part: sbw 5 0 500 100.
    std::vector<CharToken> b = box(500);
    b.erase(b.begin(), b.begin() + 3);
    b.insert(b.begin(), {num(5), num(0), num(500), num(100), op(12), op(7)});
    f.glyphs = {{"/B", b}, {"/A", box(500)}, {"/b", box(400)}, {"/space", {num(0), num(250), op(13), op(14)}}, {"/c", box(300)},
                {"/Z", box(300)}, {"/at", box(300)}, {"/bracketleft", box(300)}};
    return f.write("solid.pfb");
  }();
  return path;
}

TextBuildSettings settings(const char* text) {
  TextBuildSettings s{};
  s.bevel_angle = 30;
  s.bevel_depth = 40;       // bevel size 640
  s.extrusion_width = 10;   // thickness 3200
  s.fill_faces = 1;
  s.direction = 1;
  std::snprintf(s.font_path, sizeof s.font_path, "%s", font_path().c_str());
  std::snprintf(s.text, sizeof s.text, "%s", text);
  std::memcpy(s.face_color, "\x11\x12\x13", 3);
  std::memcpy(s.side_color, "\x21\x22\x23", 3);
  std::memcpy(s.bevel_color, "\x31\x32\x33", 3);
  return s;
}

struct Boxes {
  UiRecorder ui, reader_ui;
};

void build(Host& h, const TextBuildSettings& s, Boxes& run) {
  font_reader_setup(test_glyph_table(), run.reader_ui.table());
  h.rec.bind();
  g_host = &h;
  build_text(s, &h.rec.iface, run.ui.table());
  h.note_new_vertices("glyph");
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
  EXPECT_EQ(h.rec.cursor_x, 1000);
  EXPECT_EQ(h.rec.cursor_y, 2000);
  EXPECT_EQ(h.rec.cursor_z, 3000);
  EXPECT_TRUE(h.rec.faults.empty()) << h.rec.faults.front();
}

// Fill faces carry the face colour without bit 7; extrusion and bevel faces carry theirs with it.
void expect_coloured(const Host& h, const TextBuildSettings& s) {
  for (size_t i = 0; i < h.face.size(); ++i) {
    const ModelFace& f = h.rec.faces[i];
    const uint8_t* want = h.face[i] == 'f' ? s.face_color : h.face[i] == 's' ? s.side_color : s.bevel_color;
    EXPECT_EQ((std::vector<int>{f.red, f.green, f.blue}), (std::vector<int>{want[0], want[1], want[2]}))
        << "face " << i << " kind " << h.face[i];
    EXPECT_EQ(f.flags & kFaceFromExtrusion, h.face[i] == 'f' ? 0 : kFaceFromExtrusion) << "face " << i;
  }
}

// ---- the order of the host operations ------------------------------------------------

struct SolidCase {
  const char* name;
  int32_t width, fill, front, back, direction;
  Strings ops;
};

const SolidCase kSolidCases[] = {
    {"FlatFilledOnce", 0, 1, 0, 0, 1, {"fill glyph"}},
    {"FilledBeforeTheExtrusionOnly", 10, 1, 0, 0, 1, {"fill glyph", "extrude glyph"}},
    {"FrontBevelThenInnerFillBackFilledDirectly", 10, 1, 1, 0, 1,
     {"extrude glyph", "bevel 30 640 glyph", "fill inner", "fill copy"}},
    {"RightToLeftFrontBevelsTheCopy", 10, 1, 1, 0, -1,
     {"extrude glyph", "fill glyph", "bevel -30 640 copy", "fill inner"}},
    {"RightToLeftBackBevelsTheGlyph", 10, 1, 0, 1, -1,
     {"extrude glyph", "bevel 30 640 glyph", "fill inner", "fill copy"}},
    {"BothBevelsNoFill", 10, 0, 1, 1, 1, {"extrude glyph", "bevel 30 640 glyph", "bevel -30 640 copy"}},
    {"FlatFrontBevelFillsTheOutlineForTheBack", 0, 1, 1, 0, 1,
     {"bevel 30 640 glyph", "fill inner", "fill glyph"}},
    {"NothingAsked", 0, 0, 0, 0, 1, {}},
};

void PrintTo(const SolidCase& c, std::ostream* os) { *os << c.name; }

class SolidOrder : public testing::TestWithParam<SolidCase> {};

TEST_P(SolidOrder, OperationsColoursOwnersAndFinish) {
  const SolidCase& c = GetParam();
  TextBuildSettings s = settings("A");
  s.extrusion_width = c.width;
  s.fill_faces = c.fill;
  s.bevel_front = c.front;
  s.bevel_back = c.back;
  s.direction = c.direction;
  Host h;
  Boxes run;
  build(h, s, run);

  EXPECT_EQ(h.ops, c.ops);
  expect_finished(h, 0);
  expect_coloured(h, s);
  EXPECT_TRUE(run.ui.boxes.empty());
  EXPECT_EQ(h.rec.characters_done, 1);
  const ModelObject* letter = object_named(h, "A1-C");
  ASSERT_NE(letter, nullptr);
  for (int32_t i = 0; i < h.rec.vertex_count; ++i) {
    EXPECT_EQ(h.rec.vertex(i).owner, letter) << "vertex " << i;
    // The extruded copy sits one thickness behind the glyph plane; a bevel's inner outline
    // is where the host put it (this host leaves it in place).
    int32_t x = h.kind[size_t(i)] == "copy" ? 1000 - 3200 : 1000;
    if (h.kind[size_t(i)] == "inner") continue;
    EXPECT_EQ(h.rec.vertex(i).x, x) << "vertex " << i << " " << h.kind[size_t(i)];
  }
}

INSTANTIATE_TEST_SUITE_P(Settings, SolidOrder, testing::ValuesIn(kSolidCases),
                         [](const testing::TestParamInfo<SolidCase>& i) { return std::string(i.param.name); });

// ---- a host operation that fails ------------------------------------------------------

struct FailCase {
  const char* name;
  std::deque<int32_t> answers;  // answers of the host's operations, in order
  size_t ops;                   // operations asked before the build stopped
};

const FailCase kFailCases[] = {
    {"Extrusion", {0}, 1},
    {"Bevel", {1, 0}, 2},
    {"InnerFill", {1, 1, 0}, 3},
    {"BackFillOfSecondLetter", {1, 1, 1, 1, 1, 1, 1, 0}, 8},
};

void PrintTo(const FailCase& c, std::ostream* os) { *os << c.name; }

class HostFailure : public testing::TestWithParam<FailCase> {};

TEST_P(HostFailure, StopsWithEverythingSelectedAndTheCursorBack) {
  const FailCase& c = GetParam();
  TextBuildSettings s = settings("AbA");
  s.bevel_front = 1;
  Host h;
  // Vertices of the model before the build: selected ones are deselected, not reselected.
  h.rec.iface.reserve_vertices(3);
  for (int i = 0; i < 3; ++i) h.rec.iface.append_vertex();
  select_vertices(&h.rec.iface, 0, 3);
  h.rec.answers = c.answers;
  Boxes run;
  build(h, s, run);

  EXPECT_EQ(h.ops.size(), c.ops);
  expect_finished(h, 3);
  EXPECT_TRUE(run.ui.boxes.empty());
  int finished_letters = int((c.ops - 1) / 4);  // four operations to a letter
  EXPECT_EQ(h.rec.characters_done, finished_letters);
  // The letter that failed was created, but its vertices keep the owner the host gave them.
  EXPECT_EQ(h.rec.objects.size(), size_t(2 * (finished_letters + 1)));
  const ModelObject* failed = &h.rec.objects[size_t(2 * finished_letters)];
  for (int32_t i = 3; i < h.rec.vertex_count; ++i)
    if (h.rec.vertex(i).owner == failed) ADD_FAILURE() << "vertex " << i << " owned by the failed letter";
}

INSTANTIATE_TEST_SUITE_P(Answer0, HostFailure, testing::ValuesIn(kFailCases),
                         [](const testing::TestParamInfo<FailCase>& i) { return std::string(i.param.name); });

// ---- objects, the space, the text's end -----------------------------------------------

TEST(Letters, NamedByCharacterAndPositionEachWithItsFollowPoint) {
  Host h;
  Boxes run;
  TextBuildSettings s = settings("Ab c");
  build(h, s, run);
  EXPECT_EQ(object_names(h), (Strings{"A1-C", "F.Pt.", "b2", "F.Pt.", "Space", "F.Pt.", "c4", "F.Pt."}));
  for (size_t i = 0; i < h.rec.objects.size(); i += 2) {
    EXPECT_EQ(h.parent[&h.rec.objects[i]], &h.root) << h.rec.objects[i].name;
    EXPECT_EQ(h.parent[&h.rec.objects[i + 1]], &h.rec.objects[i]) << h.rec.objects[i].name;
  }
  // The space is one edge along its advance (250 units), half a thickness behind the
  // cursor, and asks the host for nothing: three letters, two operations each.
  EXPECT_EQ(h.ops.size(), 6u);
  EXPECT_EQ(h.rec.characters_done, 4);

  // Only 'A' to 'Z' are capitals.
  Host edges_of_capitals;
  build(edges_of_capitals, settings("@Z["), run);
  EXPECT_EQ(object_names(edges_of_capitals), (Strings{"@1", "F.Pt.", "Z2-C", "F.Pt.", "[3", "F.Pt."}));
  g_host = &h;

  const ModelObject* space = object_named(h, "Space");
  int space_edges = 0;
  for (int32_t e = 0; e < h.rec.edge_count; ++e) {
    const ModelVertex& to = h.rec.vertex(h.rec.edges[size_t(e)].to);
    const ModelVertex& from = h.rec.vertex(h.rec.edges[size_t(e)].from);
    if (from.owner != space) continue;
    ++space_edges;
    EXPECT_EQ(to.owner, space);
    EXPECT_EQ(from.x, 1000 - 1600);
    EXPECT_EQ(to.x, 1000 - 1600);
    EXPECT_EQ(from.z, 3000);
    EXPECT_EQ(to.z, 3000);
    // Start at the cursor after "Ab" (900 units on), end 250 units further; jitter -2..1.
    EXPECT_NEAR(to.y, 2000 + 900 * 32, 2);
    EXPECT_NEAR(from.y, 2000 + 1150 * 32, 2);
  }
  EXPECT_EQ(space_edges, 1);
  expect_finished(h, 0);
}

struct StopCase {
  const char* name;
  std::string text;
  std::string font;  // empty: the test font
  Strings objects;
  Strings boxes;         // the builder's, caption "QEL"
  Strings reader_boxes;  // the font reader's
};

const StopCase kStopCases[] = {
    {"MissingFirstCharacterBuildsNothing", "xA", "", {}, {}, {"No character in font"}},
    {"MissingLaterCharacterKeepsTheFirst", "Ax", "", {"A1-C", "F.Pt."}, {}, {"No character in font"}},
    {"HighBitEndsTheText", "A\xC1" "A", "", {"A1-C", "F.Pt."}, {}, {}},
    {"UnreadableFontIsCorrupt", "A", "/nonexistent/font.pfb", {}, {"Font corrupt"}, {}},
};

void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

class TextStops : public testing::TestWithParam<StopCase> {};

TEST_P(TextStops, KeepsWhatWasBuilt) {
  const StopCase& c = GetParam();
  TextBuildSettings s = settings(c.text.c_str());
  if (!c.font.empty()) std::snprintf(s.font_path, sizeof s.font_path, "%s", c.font.c_str());
  Host h;
  Boxes run;
  build(h, s, run);
  EXPECT_EQ(object_names(h), c.objects);
  Strings boxes, reader_boxes;
  for (const RecordedBox& b : run.ui.boxes) {
    EXPECT_EQ(b.caption, "QEL");
    boxes.push_back(b.text);
  }
  for (const RecordedBox& b : run.reader_ui.boxes) reader_boxes.push_back(b.text);
  EXPECT_EQ(boxes, c.boxes);
  EXPECT_EQ(reader_boxes, c.reader_boxes);
  EXPECT_EQ(h.rec.characters_done, int(c.objects.size() / 2));
  expect_finished(h, 0);
}

INSTANTIATE_TEST_SUITE_P(Text, TextStops, testing::ValuesIn(kStopCases),
                         [](const testing::TestParamInfo<StopCase>& i) { return std::string(i.param.name); });

TEST(Letters, AFullTextWithoutTerminatorEndsAtItsLastByte) {
  Host h;
  Boxes run;
  TextBuildSettings s = settings("");
  std::memset(s.text, 'b', sizeof s.text);
  s.extrusion_width = 0;
  build(h, s, run);
  ASSERT_EQ(h.rec.objects.size(), 128u);
  EXPECT_STREQ(h.rec.objects[126].name, "b64");
  EXPECT_EQ(h.rec.characters_done, 64);
}

// ---- reference points -----------------------------------------------------------------

struct HoldCase {
  const char* text;
  int32_t hold, direction;
  int32_t letter_y, letter_z, follow_y, follow_z;  // worked by hand: advance 500 units = 16000
};

const HoldCase kHoldCases[] = {
    {"AA", 0, 1, 2000, 3000, 2000 + 16000, 3000},
    {"AA", 3, 1, 2000 + 8000, 3000 + 9600, 2000 + 24000, 3000 + 9600},
    {"AA", 6, 1, 2000 + 16000, 3000 + 19200, 2000 + 32000, 3000 + 19200},
    {"AA", 3, -1, 2000 - 8000, 3000 + 9600, 2000 - 24000, 3000 + 9600},
    {"AA", 4, -1, 2000, 3000 + 19200, 2000 - 16000, 3000 + 19200},
    {"AA", 9, 1, 2000, 3000, 2000 + 16000, 3000},  // outside the tables: bottom left
    // An advance of 100 units up (3200) lifts the follow point, not the letter's own point.
    {"BB", 3, 1, 2000 + 8000, 3000 + 9600, 2000 + 24000, 3000 + 9600 + 3200},
};

void PrintTo(const HoldCase& c, std::ostream* os) { *os << "hold " << c.hold << " direction " << c.direction; }

class HoldPoint : public testing::TestWithParam<HoldCase> {};

TEST_P(HoldPoint, PlacesLetterAndFollowPoint) {
  const HoldCase& c = GetParam();
  TextBuildSettings s = settings(c.text);
  s.hold_point = c.hold;
  s.direction = c.direction;
  Host h;
  Boxes run;
  build(h, s, run);
  ASSERT_EQ(h.rec.objects.size(), 4u);
  const ModelObject& letter = h.rec.objects[0];
  const ModelObject& follow = h.rec.objects[1];
  EXPECT_EQ(letter.ref_x, 1000 - 1600);
  EXPECT_EQ(follow.ref_x, 1000 - 1600);
  EXPECT_EQ((std::vector<int32_t>{letter.ref_y, letter.ref_z, follow.ref_y, follow.ref_z}),
            (std::vector<int32_t>{c.letter_y, c.letter_z, c.follow_y, c.follow_z}));
  // The second letter starts one advance on, towards -Y when building right to left.
  EXPECT_EQ(h.rec.objects[2].ref_y - letter.ref_y, c.direction * 16000);
  // ... and as far up as the follow point is above the letter's own point.
  EXPECT_EQ(h.rec.objects[2].ref_z - letter.ref_z, follow.ref_z - letter.ref_z);
}

INSTANTIATE_TEST_SUITE_P(Hold, HoldPoint, testing::ValuesIn(kHoldCases), [](const testing::TestParamInfo<HoldCase>& i) {
  return std::string(i.param.text) + "Hold" + std::to_string(i.param.hold) + (i.param.direction < 0 ? "RightToLeft" : "LeftToRight");
});

// ---- jitter ---------------------------------------------------------------------------

// The glyph's vertex Y values as the interpreter alone draws them at the cursor.
std::vector<int32_t> plain_outline_y(const TextBuildSettings& s, int32_t cursor_y) {
  RecordingModel m;
  m.cursor_x = 1000;
  m.cursor_y = cursor_y;
  m.cursor_z = 3000;
  SubrTable none;
  begin_build(&m.iface, s.direction, &none);
  run_build_program(GlyphProgram{box(500)});
  std::vector<int32_t> y;
  for (int32_t i = 0; i < m.vertex_count; ++i) y.push_back(m.vertex(i).y);
  return y;
}

TEST(Jitter, FollowsTheGeneratorFromItsLoadStateAcrossCharactersAndBuilds) {
  // r = 41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464, ... is the
  // well-known sequence of this generator from state 1; the offsets are r mod 4 - 2.
  const int32_t r[] = {41,    18467, 6334,  26500, 19169, 15724, 11478, 29358, 26962, 24464,
                       5705,  28145, 23281, 16827, 9961,  491,   2995,  11942, 4827,  5436};
  set_text_jitter_state(1);
  TextBuildSettings s = settings("AA");
  s.extrusion_width = 0;
  s.fill_faces = 0;
  std::vector<int32_t> first = plain_outline_y(s, 2000), second = plain_outline_y(s, 2000 + 16000);
  ASSERT_FALSE(first.empty());
  ASSERT_LE(2 * first.size() + 2, std::size(r));

  Host h;
  Boxes run;
  build(h, s, run);
  ASSERT_EQ(h.rec.vertex_count, int32_t(2 * first.size()));
  std::vector<int32_t> expected, got;
  for (size_t i = 0; i < first.size(); ++i) expected.push_back(first[i] + r[i] % 4 - 2);
  for (size_t i = 0; i < second.size(); ++i) expected.push_back(second[i] + r[first.size() + i] % 4 - 2);
  for (int32_t i = 0; i < h.rec.vertex_count; ++i) got.push_back(h.rec.vertex(i).y);
  EXPECT_EQ(got, expected);

  // A second build goes on with the sequence: the generator is never reseeded.
  Host again;
  TextBuildSettings one = settings("A");
  one.extrusion_width = 0;
  one.fill_faces = 0;
  build(again, one, run);
  ASSERT_EQ(again.rec.vertex_count, int32_t(first.size()));
  size_t n = 2 * first.size();
  EXPECT_EQ(again.rec.vertex(0).y, first[0] + r[n] % 4 - 2);
  EXPECT_EQ(again.rec.vertex(1).y, first[1] + r[n + 1] % 4 - 2);
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

  select_vertices(&m.iface, 1, 4);
  EXPECT_EQ((std::vector<int>{m.vertex(0).selected, m.vertex(1).selected, m.vertex(2).selected,
                              m.vertex(3).selected, m.vertex(4).selected}),
            (std::vector<int>{0, 1, 2, 1, 1}));
  EXPECT_EQ(m.selected_count, 3);
  EXPECT_EQ(m.unselected_count, 2);

  deselect_vertices(&m.iface, -5, 50);  // clipped to the model
  EXPECT_EQ((std::vector<int>{m.vertex(0).selected, m.vertex(1).selected, m.vertex(2).selected,
                              m.vertex(3).selected, m.vertex(4).selected}),
            (std::vector<int>{0, 0, 2, 0, 0}));
  EXPECT_EQ(m.selected_count, 0);
  EXPECT_EQ(m.unselected_count, 5);
}

}  // namespace
