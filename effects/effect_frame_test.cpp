#include "effects/effect_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/ui_recorder.h"
#include "tests/counting_allocator.h"
#include "effects/effect_maths.h"
#include "effects/gather/gather.h"
#include "effects/shake/shake.h"
#include "effects/spring/spring.h"

namespace {

using Host = CountingAllocator;
const HostAllocator& kHost = g_counting_allocator;

int answer(void* result) { return *static_cast<int*>(result); }

}  // namespace

// The protocol's corners the DLLs under Wine cannot reach: a dialog that could not be shown,
// a missing allocator, and the exact box of a failing allocation.
TEST(SetParameters, FailedDialogMissingAllocatorAndOutOfMemory) {
  Host::reset(true);
  spring_set_compression(75);
  UiRecorder ui;
  char old[] = "9";
  int failed = -1, ok = kDialogOk;
  EXPECT_EQ(effect_set_parameters(gather_plugin(), old, &kHost, answer, &failed, ui.table()), old);
  const HostAllocator half = {Host::allocate, nullptr};
  EXPECT_EQ(effect_set_parameters(shake_plugin(), old, nullptr, answer, &ok, ui.table()), old);
  EXPECT_EQ(effect_set_parameters(shake_plugin(), old, &half, answer, &ok, ui.table()), old);
  EXPECT_EQ(Host::allocations + Host::releases, 0);
  EXPECT_TRUE(ui.boxes.empty());

  Host::fail = true;
  char* held = static_cast<char*>(std::malloc(5));
  std::strcpy(held, "8 40");
  EXPECT_EQ(effect_set_parameters(spring_plugin(), held, &kHost, answer, &ok, ui.table()), nullptr);
  EXPECT_EQ(Host::released, held);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "External effect: Out of memory");
  EXPECT_EQ(ui.boxes[0].caption, "Error");
  EXPECT_EQ(ui.boxes[0].flags, 0x2010u);
}

TEST(ParameterScan, ReadsAWordOfAnyLengthThenANumber) {
  // A first word far longer than the 128-byte buffer the string was once scanned into.
  const std::string long_word = std::string(5000, 'w') + " 42";
  const struct {
    const char* text;
    int32_t value;
  } read[] = {{"8 75", 75},         {"  8\t\n-12xyz", -12},          {"8 +3", 3},
              {long_word.c_str(), 42}, {"8 99999999999", INT32_MAX}, {"8 -99999999999", INT32_MIN}};
  for (const auto& c : read) {
    int32_t v = -1;
    EXPECT_TRUE(scan_word_then_number(c.text, &v)) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
  int32_t v = 7;
  const std::string word_only(300, 'z');
  for (const char* none : {"8", "8 ", "", "   ", "8 x5", "8 -", (const char*)nullptr, word_only.c_str()})
    EXPECT_FALSE(scan_word_then_number(none, &v)) << (none ? none : "(null)");
  EXPECT_EQ(v, 7);

  // A dialog field: the digits up to the first other character.
  const std::pair<const char*, int32_t> fields[] = {{"15", 15}, {" -7", -7}, {"4x", 4},
                                                    {"ab", 0},  {"-", 0},    {"", 0}};
  for (const auto& [text, value] : fields) EXPECT_EQ(field_number(text), value) << '"' << text << '"';
}

TEST(EffectPreview, NothingMovesWithoutVerticesOrRecords) {
  EffectVertex v[2] = {{1, 2, 3}, {4, 5, 6}};
  EffectInfo info{};
  info.max_x = info.max_y = info.max_z = 10;
  info.phase = 0.25f;
  for (int32_t count : {0, -5}) {
    info.vertex_count = count;
    effect_preview(shake_plugin(), "9", &info, v);
    effect_preview(spring_plugin(), "8 75", &info, v);
  }
  info.vertex_count = 2;
  effect_preview(gather_plugin(), "3", &info, v);
  effect_preview(shake_plugin(), "9", nullptr, v);
  effect_preview(shake_plugin(), "9", &info, nullptr);
  EXPECT_EQ(v[1].x, 4.0f);
  EXPECT_EQ(v[1].y, 5.0f);
  effect_preview(shake_plugin(), "9", &info, v);  // the same record moves the model
  EXPECT_NE(v[1].x, 4.0f);
}

TEST(EffectSine, AgreesWithTheMathsLibraryAcrossSeveralPeriods) {
  long double worst = 0;
  for (int i = -4000; i <= 4000; ++i) {
    const long double x = i * 0.00731L;
    worst = std::max(worst, std::fabs(effect_sine(x) - std::sin(x)));
  }
  EXPECT_LT(worst, 1e-17L);
  EXPECT_EQ(effect_sine(0.0L), 0.0L);
  EXPECT_NEAR(double(effect_sine(1e6L)), std::sin(1e6), 1e-9);
  EXPECT_TRUE(std::isnan(effect_sine(INFINITY)));
}
