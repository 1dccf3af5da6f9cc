#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/message_box.h"
#include "common/ui_recorder.h"
#include "tests/counting_allocator.h"
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

// Old strings in these tests live on the stack: release only notes them.
using Host = CountingAllocator;
const HostAllocator& kAllocator = g_counting_allocator;

// The parameter dialog stands in as a function answering the int its context points at.
int answer(void* result) { return *static_cast<int*>(result); }
int kOk = 1;

class Textures : public ::testing::Test {
 protected:
  void SetUp() override {
    dimple_reset();
    dots_reset();
    Host::reset(false);
  }
  char* set(const TextureLibrary& lib, char* old, UiRecorder& ui) {
    return texture_set_parameters(lib, old, &kAllocator, ui.table(), answer, &kOk);
  }
};

TEST_F(Textures, DimpleCellOffsetsRadiusTestAndNormalChange) {
  Point r = sample(dimple_procedure, 0.5f, 0.5f, 0.5f);  // cell centre
  EXPECT_EQ(std::vector<float>(r.colour, r.colour + 3), (std::vector<float>{10, 128, 250}));
  // normal + depth x make_vector(0, 0, 0) = (0,0,1) + 1.5 x (1, 0, -1), then finished.
  EXPECT_EQ(Services::args[0], 0.0f);
  EXPECT_EQ(std::vector<float>(r.normal, r.normal + 3), (std::vector<float>{1.5f, 0.0f, -0.5f}));
  EXPECT_EQ(Services::finish_calls, 1);
  EXPECT_EQ(Services::finished[2], -0.5f);

  r = sample(dimple_procedure, 1.0f, 0.5f, 0.5f);  // squared distance 0.25 < 0.3
  EXPECT_TRUE(r.written());
  EXPECT_EQ(Services::args[0], -0.5f);

  r = sample(dimple_procedure, 1.0f, 1.0f, 0.5f);  // 0.5: outside, nothing touched
  EXPECT_FALSE(r.written());
  EXPECT_EQ(Services::make_calls + Services::finish_calls, 0);
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
  const char* typed[] = {"0.004", "1234567890", "  2.5e1", "-3", "7x"};
  ASSERT_EQ(texture_accept_fields(lib, typed), 1);
  const DimpleParameters& d = dimple_parameters();
  EXPECT_FLOAT_EQ(d.radius, 0.004f);
  // It is kept while the dialog runs but written as 0.00 and so reads back as 0.
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
  texture_scan(s, "%f %f %f %f", v);  // and reads back whole
  EXPECT_EQ(v[3], -3e38f);
  std::free(s);
  s = set(dimple_library(), const_cast<char*>("# -3.4e38 -3.4e38  -3.4e38 -3.4e38 -3.4e38"), ui);
  ASSERT_NE(s, nullptr);
  EXPECT_GT(std::strlen(s), 200u);
  std::free(s);
}

// The boxes around the dialog, exactly; the Wine tests drive the same protocol through the DLLs.
TEST_F(Textures, DotsBoxShowsTheOldStringAndOkWithoutMemoryGivesItBack) {
  char old[] = "# 0.20 2.00 3.00 4.00";
  UiRecorder ui;
  int failed = -1;  // the dialog could not be shown: as Cancel
  EXPECT_EQ(texture_set_parameters(dots_library(), old, &kAllocator, ui.table(), answer, &failed), old);
  EXPECT_EQ(Host::allocations + Host::releases, 0);
  EXPECT_FLOAT_EQ(dots_parameters().radius, 0.2f);  // read before the dialog
  Host::fail = true;
  EXPECT_EQ(texture_set_parameters(dimple_library(), old, &kAllocator, ui.table(), answer, &kOk), nullptr);
  EXPECT_EQ(Host::released, old);
  ASSERT_EQ(ui.boxes.size(), 2u);  // the dimple shows no box before its dialog
  EXPECT_EQ(ui.boxes[0].text, old);
  EXPECT_EQ(ui.boxes[0].caption, "Dots!");
  EXPECT_EQ(ui.boxes[0].flags, 0x2010u);
  EXPECT_EQ(ui.boxes[1].text, "External shader: Out of memory");
  EXPECT_EQ(ui.boxes[1].caption, "Error");
  EXPECT_EQ(ui.boxes[1].flags, 0x2010u);
}

// The same grid through the core as through the DLLs.
template <const TextureLibrary& (*Library)(), void (*Reset)(), int (*Procedure)(const TextureSample&)>
GridTexture core_grid(const char* name) {
  return {name,
          [](const char* p) {
            UiRecorder ui;
            Reset();
            texture_startup(Library(), p, ui.table());
          },
          [](const char* o, float t) { texture_morph(Library(), o, t); },
          [](float* n, float x, float y, float z, const uint8_t* sc, float* c, const TextureServices* sv) {
            Procedure({x, y, z, sc, c, n, sv});
          }};
}

// The figures the Win32 build must reproduce through the DLLs are the native core's own:
// the checked-in table is regenerated here and must not differ.
TEST(TextureGrid, CheckedInFiguresAreTheNativeCoresFigures) {
  const std::string figures = grid_figures(core_grid<dimple_library, dimple_reset, dimple_procedure>("dimple")) +
                              grid_figures(core_grid<dots_library, dots_reset, dots_procedure>("dots"));
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
