#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/message_box.h"
#include "common/ui_recorder.h"
#include "textures/dimple/dimple.h"
#include "textures/dots/dots.h"
#include "textures/texture_grid.h"

namespace {

// A host's services that answer make_vector with a vector other than the offsets, so a
// test can tell "depth x make_vector" from "depth x offsets".
struct Services {
  static inline int make_calls = 0, finish_calls = 0;
  static inline float args[3] = {};
  static inline float finished[3] = {};
  static void ZEL_CDECL make(float* out, float dx, float dy, float dz) {
    ++make_calls;
    args[0] = dx, args[1] = dy, args[2] = dz;
    out[0] = dx + 1.0f, out[1] = 2.0f * dy, out[2] = -1.0f;
  }
  static void ZEL_CDECL finish(float* n) {
    ++finish_calls;
    std::memcpy(finished, n, sizeof finished);
  }
  static void reset() { make_calls = finish_calls = 0; }
};
const TextureServices kServices = {nullptr, Services::make, nullptr, nullptr, nullptr, Services::finish};

struct Point {
  float normal[3] = {0.0f, 0.0f, 1.0f};
  float colour[3] = {-1.0f, -1.0f, -1.0f};
  bool written() const { return colour[0] != -1.0f; }
};
const uint8_t kShader[3] = {10, 128, 250};

Point sample(int (*procedure)(const TextureSample&), float x, float y, float z) {
  Point r;
  Services::reset();
  TextureSample s = {x, y, z, kShader, r.colour, r.normal, &kServices};
  EXPECT_EQ(procedure(s), 1);
  return r;
}

// The host's allocator; old strings in these tests live on the stack, so release keeps them.
void* ZEL_CDECL host_allocate(uint32_t size) { return std::malloc(size); }
void ZEL_CDECL host_release(void*) {}
const HostAllocator kAllocator = {host_allocate, host_release};

// The parameter dialog stands in as a function that answers Ok.
int accept(void*) { return 1; }

class Textures : public ::testing::Test {
 protected:
  void SetUp() override {
    dimple_reset();
    dots_reset();
  }
  char* set(const TextureLibrary& lib, char* old, UiRecorder& ui) {
    return texture_set_parameters(lib, old, &kAllocator, ui.table(), accept, nullptr);
  }
};

TEST_F(Textures, DimpleCellOffsetsRadiusTestAndNormalChange) {
  Point r = sample(dimple_procedure, 0.5f, 0.5f, 0.5f);  // cell centre
  ASSERT_TRUE(r.written());
  EXPECT_EQ(r.colour[0], 10.0f);
  EXPECT_EQ(r.colour[1], 128.0f);
  EXPECT_EQ(r.colour[2], 250.0f);
  // normal + depth x make_vector(0, 0, 0) = (0,0,1) + 1.5 x (1, 0, -1), then finished.
  EXPECT_EQ(Services::args[0], 0.0f);
  EXPECT_FLOAT_EQ(r.normal[0], 1.5f);
  EXPECT_FLOAT_EQ(r.normal[1], 0.0f);
  EXPECT_FLOAT_EQ(r.normal[2], -0.5f);
  EXPECT_EQ(Services::finish_calls, 1);
  EXPECT_EQ(Services::finished[0], r.normal[0]);

  r = sample(dimple_procedure, 1.0f, 0.5f, 0.5f);  // squared distance 0.25 < 0.3
  EXPECT_TRUE(r.written());
  EXPECT_EQ(Services::args[0], -0.5f);

  r = sample(dimple_procedure, 1.0f, 1.0f, 0.5f);  // 0.5: outside, nothing touched
  EXPECT_FALSE(r.written());
  EXPECT_EQ(Services::make_calls, 0);
  EXPECT_EQ(Services::finish_calls, 0);
  EXPECT_EQ(r.normal[2], 1.0f);

  sample(dimple_procedure, -0.2f, 0.5f, 0.5f);  // floor, not truncation
  EXPECT_NEAR(Services::args[0], 0.3f, 1e-6);

  dimple_parameters().x_scale = 2.0f;  // x = 1.0 is now the middle of its cell
  sample(dimple_procedure, 1.0f, 0.5f, 0.5f);
  EXPECT_EQ(Services::args[0], 0.0f);
}

TEST_F(Textures, DotsIgnoreScalesAndNeverTouchTheNormal) {
  dots_parameters().x_scale = 7.0f;
  Point r = sample(dots_procedure, 0.5f, 0.5f, 0.9f);  // 0.16 < 0.4
  EXPECT_TRUE(r.written());
  EXPECT_EQ(r.colour[2], 250.0f);
  EXPECT_TRUE(sample(dots_procedure, 0.5f, 0.5f, 1.2f).written());  // 0.09 from the next cell's centre
  EXPECT_FALSE(sample(dots_procedure, 0.0f, 0.0f, 0.0f).written());  // 0.75
  EXPECT_EQ(Services::make_calls + Services::finish_calls, 0);
  EXPECT_EQ(r.normal[2], 1.0f);
}

TEST_F(Textures, BrokenValuesColourNothing) {
  // A zero scale or a NaN radius from a hostile string must not colour every point.
  dimple_parameters().x_scale = 0.0f;
  EXPECT_FALSE(sample(dimple_procedure, 0.5f, 0.5f, 0.5f).written());
  dots_parameters().radius = std::nanf("");
  EXPECT_FALSE(sample(dots_procedure, 0.5f, 0.5f, 0.5f).written());
}

TEST_F(Textures, StartupReadsTheStringOrWarnsAndKeepsTheValues) {
  UiRecorder ui;
  EXPECT_EQ(texture_startup(dimple_library(), "# 0.25 2.00  3.00", ui.table()), 1);
  const DimpleParameters& d = dimple_parameters();
  EXPECT_FLOAT_EQ(d.radius, 0.25f);
  EXPECT_FLOAT_EQ(d.x_scale, 3.0f);
  EXPECT_FLOAT_EQ(d.y_scale, 1.0f);  // missing: kept
  EXPECT_TRUE(ui.boxes.empty());

  EXPECT_EQ(texture_startup(dimple_library(), "0.9 0.9", ui.table()), 1);
  EXPECT_EQ(texture_startup(dimple_library(), nullptr, ui.table()), 1);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text, "External texture: Startup");
  EXPECT_EQ(ui.boxes[0].caption, "Parameter list missing");
  EXPECT_EQ(ui.boxes[0].flags, mb::SystemModal);
  EXPECT_FLOAT_EQ(d.radius, 0.25f);

  // The dots read only the radius at Startup.
  texture_startup(dots_library(), "# 0.20 5.00 5.00 5.00", ui.table());
  EXPECT_FLOAT_EQ(dots_parameters().radius, 0.2f);
  EXPECT_EQ(dots_parameters().x_scale, 1.0f);
}

TEST_F(Textures, MorphBlendsTowardTheOtherKey) {
  texture_morph(dimple_library(), "# 0.50 2.50  1.00 1.00", 0.25f);
  const DimpleParameters& d = dimple_parameters();
  EXPECT_FLOAT_EQ(d.radius, 0.45f);  // 0.5 + (0.3 - 0.5) x 0.25
  EXPECT_FLOAT_EQ(d.depth, 2.25f);
  EXPECT_FLOAT_EQ(d.z_scale, 1.0f);  // missing in the other string: unchanged

  texture_morph(dimple_library(), "# 9 9  9 9 9", 1.0f);  // t = 1 keeps the values, up to rounding
  EXPECT_NEAR(d.radius, 0.45f, 1e-6);
  texture_morph(dimple_library(), "x0.10", 0.0f);  // "#" not checked; t = 0 takes the other
  EXPECT_FLOAT_EQ(d.radius, 0.1f);
  texture_morph(dimple_library(), "", 0.0f);
  texture_morph(dimple_library(), nullptr, 0.0f);
  EXPECT_FLOAT_EQ(d.radius, 0.1f);

  texture_morph(dots_library(), "# 0.80 3.00 3.00 3.00", 0.5f);
  EXPECT_FLOAT_EQ(dots_parameters().radius, 0.6f);
  EXPECT_EQ(dots_parameters().y_scale, 1.0f);  // scales are not blended
}

TEST_F(Textures, DialogFieldsReadNineCharactersAndCancelOnEmptyOrZero) {
  const TextureLibrary& lib = dimple_library();
  char text[64];
  texture_field_text(0.3f, text, sizeof text);
  EXPECT_STREQ(text, "0.30");

  const char* typed[] = {"0.004", "1234567890", "  2.5e1", "-3", "7x"};
  ASSERT_EQ(texture_accept_fields(lib, typed), 1);
  const DimpleParameters& d = dimple_parameters();
  EXPECT_FLOAT_EQ(d.depth, 123456789.0f);
  EXPECT_FLOAT_EQ(d.x_scale, 25.0f);
  EXPECT_FLOAT_EQ(d.y_scale, -3.0f);
  EXPECT_FLOAT_EQ(d.z_scale, 7.0f);
  // 0.004 is kept while the dialog runs but written as 0.00 and so reads back as 0.
  char out[kTextureStringBuffer];
  lib.format(out, sizeof out);
  EXPECT_STREQ(out, "# 0.00 123456792.00  25.00 -3.00 7.00");
  UiRecorder ui;
  texture_startup(lib, out, ui.table());
  EXPECT_EQ(d.radius, 0.0f);

  // Each of these cancels and changes nothing, even in the fields before it.
  const char* bad[] = {"", "0", "-0.00", "abc", "nan", "inf", "1e99", "0x10"};
  for (const char* b : bad) {
    const char* fields[] = {"0.5", "0.5", "0.5", b, "0.5"};
    EXPECT_EQ(texture_accept_fields(lib, fields), 0) << '"' << b << '"';
    EXPECT_EQ(d.radius, 0.0f) << b;
  }
}

TEST_F(Textures, LongOldStringsAndHugeValuesStayInBounds) {
  UiRecorder ui;
  // A first word far longer than any scan buffer: nothing is read from it.
  std::string word = "#" + std::string(5000, '7') + "x 0.5";
  char* s = set(dots_library(), &word[0], ui);
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(std::isinf(dots_parameters().radius));  // a 5000-digit number overflows to infinity
  std::free(s);

  std::string letters = "#" + std::string(5000, 'q');
  dots_reset();
  s = set(dots_library(), &letters[0], ui);
  EXPECT_STREQ(s, "# 0.40 1.00 1.00 1.00");
  std::free(s);

  // The widest values need more than the 128 bytes the dots string once had; nothing is cut.
  s = set(dots_library(), const_cast<char*>("# -3e38 -3e38 -3e38 -3e38"), ui);
  ASSERT_NE(s, nullptr);
  EXPECT_GT(std::strlen(s), 128u);
  float v[5] = {};
  texture_scan(s, "%f %f %f %f", v);
  EXPECT_EQ(v[3], -3e38f);
  std::free(s);
  s = set(dimple_library(), const_cast<char*>("# -3.4e38 -3.4e38  -3.4e38 -3.4e38 -3.4e38"), ui);
  ASSERT_NE(s, nullptr);
  EXPECT_GT(std::strlen(s), 200u);
  std::free(s);
}

// The allocate/release protocol and its boxes, with a dialog that notes what the user had
// been shown when it opened.
struct ProtocolHost {
  static inline int allocations = 0, releases = 0;
  static inline bool fail = false;
  static inline void* released = nullptr;
  static void* ZEL_CDECL allocate(uint32_t size) {
    ++allocations;
    return fail ? nullptr : std::malloc(size);
  }
  static void ZEL_CDECL release(void* block) {
    ++releases;
    released = block;
  }
};
struct NotingDialog {
  int result;
  UiRecorder* ui;
  size_t boxes_before = 99;
  float radius_seen = 0.0f;
};
int noting_dialog(void* context) {
  auto* d = static_cast<NotingDialog*>(context);
  d->boxes_before = d->ui->boxes.size();
  d->radius_seen = dots_parameters().radius;
  return d->result;
}

TEST_F(Textures, OldStringIsReadAndShownBeforeTheDialogAndOnlyOkTouchesTheAllocator) {
  const HostAllocator host = {ProtocolHost::allocate, ProtocolHost::release};
  char old[] = "# 0.20 2.00 3.00 4.00";
  for (int result : {0, -1}) {  // cancelled, or the dialog could not be shown
    UiRecorder ui;
    NotingDialog dialog = {result, &ui};
    ProtocolHost::allocations = ProtocolHost::releases = 0;
    EXPECT_EQ(texture_set_parameters(dots_library(), old, &host, ui.table(), noting_dialog, &dialog), old);
    EXPECT_EQ(ProtocolHost::allocations + ProtocolHost::releases, 0);
    EXPECT_FLOAT_EQ(dialog.radius_seen, 0.2f);  // the old values are in the dialog
    EXPECT_EQ(dialog.boxes_before, 1u);         // after the "Dots!" box
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, old);
    EXPECT_EQ(ui.boxes[0].caption, "Dots!");
    EXPECT_EQ(ui.boxes[0].flags, 0x2010u);
  }

  // Ok with an allocator that has nothing left: the old string is already given back.
  UiRecorder ui;
  NotingDialog ok = {1, &ui};
  ProtocolHost::fail = true;
  ProtocolHost::allocations = ProtocolHost::releases = 0;
  EXPECT_EQ(texture_set_parameters(dimple_library(), old, &host, ui.table(), noting_dialog, &ok), nullptr);
  ProtocolHost::fail = false;
  EXPECT_EQ(ProtocolHost::releases, 1);
  EXPECT_EQ(ProtocolHost::released, old);
  EXPECT_EQ(ProtocolHost::allocations, 1);
  EXPECT_EQ(ok.boxes_before, 0u);  // the dimple shows no box before its dialog
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "External shader: Out of memory");
  EXPECT_EQ(ui.boxes[0].caption, "Error");
  EXPECT_EQ(ui.boxes[0].flags, 0x2010u);
}

std::string native_figures() {
  std::string all;
  GridTexture dimple = {"dimple",
                        [](const char* p) {
                          UiRecorder ui;
                          dimple_reset();
                          texture_startup(dimple_library(), p, ui.table());
                        },
                        [](const char* o, float t) { texture_morph(dimple_library(), o, t); },
                        [](float* n, float x, float y, float z, const uint8_t* sc, float* c,
                           const TextureServices* sv) { dimple_procedure({x, y, z, sc, c, n, sv}); }};
  GridTexture dots = {"dots",
                      [](const char* p) {
                        UiRecorder ui;
                        dots_reset();
                        texture_startup(dots_library(), p, ui.table());
                      },
                      [](const char* o, float t) { texture_morph(dots_library(), o, t); },
                      [](float* n, float x, float y, float z, const uint8_t* sc, float* c,
                         const TextureServices* sv) { dots_procedure({x, y, z, sc, c, n, sv}); }};
  return grid_figures(dimple) + grid_figures(dots);
}

// The figures the Win32 build must reproduce through the DLLs are the native core's own:
// the checked-in table is regenerated here and must not differ.
TEST(TextureGrid, CheckedInFiguresAreTheNativeCoresFigures) {
  std::string figures = native_figures();
  std::string expected;
  std::string path = grid_figures_path("testdata");
  if (std::getenv("ZEL_UPDATE_FIGURES")) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(figures.data(), 1, figures.size(), f);
    std::fclose(f);
  }
  ASSERT_TRUE(read_text_file(path, &expected)) << "run once with ZEL_UPDATE_FIGURES=1";
  EXPECT_EQ(figures, expected) << "regenerate with ZEL_UPDATE_FIGURES=1 and review the change";
  EXPECT_NE(figures.find(" colour "), std::string::npos);
  EXPECT_NE(figures.find(" out"), std::string::npos);
}

}  // namespace
