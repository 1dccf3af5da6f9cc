#include "effects/effect_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/message_box.h"
#include "common/ui_recorder.h"
#include "effects/effect_maths.h"
#include "effects/gather/gather.h"
#include "effects/shake/shake.h"
#include "effects/spring/spring.h"

namespace {

// A host allocator that counts its calls and can be told to fail.
struct CountingHost {
  int allocations = 0;
  int releases = 0;
  uint32_t last_size = 0;
  void* last_released = nullptr;
  bool fail = false;
};
CountingHost g_host;

void* host_allocate(uint32_t size) {
  ++g_host.allocations;
  g_host.last_size = size;
  return g_host.fail ? nullptr : std::malloc(size);
}
void host_release(void* block) {
  ++g_host.releases;
  g_host.last_released = block;
  std::free(block);
}
const HostAllocator kHost = {host_allocate, host_release};

struct FakeDialog {
  int result;
  int shown = 0;
};
int run_fake(void* context) {
  auto* d = static_cast<FakeDialog*>(context);
  ++d->shown;
  return d->result;
}

char* host_string(const char* text) {
  char* p = static_cast<char*>(std::malloc(std::strlen(text) + 1));
  std::strcpy(p, text);
  return p;
}

class SetParameters : public ::testing::Test {
 protected:
  void SetUp() override {
    g_host = CountingHost{};
    spring_set_compression(75);
  }
  char* run(const EffectPlugin& plugin, char* old, int dialog_result) {
    FakeDialog dialog{dialog_result};
    char* result = effect_set_parameters(plugin, old, &kHost, run_fake, &dialog, recorder.table());
    shown = dialog.shown;
    return result;
  }
  UiRecorder recorder;
  int shown = 0;
};

}  // namespace

TEST_F(SetParameters, CancelAndFailedDialogHandTheOldStringBackUntouched) {
  for (int result : {kDialogCancel, -1}) {
    char* old = host_string("whatever the host had");
    EXPECT_EQ(run(gather_plugin(), old, result), old);
    EXPECT_STREQ(old, "whatever the host had");
    EXPECT_EQ(g_host.allocations + g_host.releases, 0);
    std::free(old);
  }
}

TEST_F(SetParameters, FailingAllocationReleasesTheOldStringAndTellsTheUser) {
  g_host.fail = true;
  char* old = host_string("8 40");
  EXPECT_EQ(run(spring_plugin(), old, kDialogOk), nullptr);
  EXPECT_EQ(g_host.releases, 1);
  EXPECT_EQ(g_host.last_released, old);
  EXPECT_EQ(g_host.last_size, 5u);  // "8 40" plus its zero
  ASSERT_EQ(recorder.boxes.size(), 1u);
  EXPECT_EQ(recorder.boxes[0].text, "External effect: Out of memory");
  EXPECT_EQ(recorder.boxes[0].caption, "Error");
  EXPECT_EQ(recorder.boxes[0].flags, 0x2010u);
}

TEST_F(SetParameters, WithoutAUsableAllocatorNothingIsShownOrTouched) {
  FakeDialog dialog{kDialogOk};
  char old[] = "9";
  const HostAllocator half = {host_allocate, nullptr};
  EXPECT_EQ(effect_set_parameters(shake_plugin(), old, nullptr, run_fake, &dialog, recorder.table()), old);
  EXPECT_EQ(effect_set_parameters(shake_plugin(), old, &half, run_fake, &dialog, recorder.table()), old);
  EXPECT_EQ(dialog.shown, 0);
  EXPECT_EQ(g_host.allocations, 0);
}

TEST(ParameterScan, ReadsAWordOfAnyLengthThenANumber) {
  int32_t v = -1;
  EXPECT_TRUE(scan_word_then_number("8 75", &v));
  EXPECT_EQ(v, 75);
  EXPECT_TRUE(scan_word_then_number("  8\t\n-12xyz", &v));
  EXPECT_EQ(v, -12);
  EXPECT_TRUE(scan_word_then_number("8 +3", &v));
  EXPECT_EQ(v, 3);
  // A first word far longer than the 128-byte buffer the string was once scanned into.
  const std::string long_word = std::string(5000, 'w') + " 42";
  EXPECT_TRUE(scan_word_then_number(long_word.c_str(), &v));
  EXPECT_EQ(v, 42);
  EXPECT_TRUE(scan_word_then_number("8 99999999999", &v));
  EXPECT_EQ(v, INT32_MAX);
  EXPECT_TRUE(scan_word_then_number("8 -99999999999", &v));
  EXPECT_EQ(v, INT32_MIN);

  v = 7;
  const std::string word_only(300, 'z');
  for (const char* none : {"8", "8 ", "", "   ", "8 x5", "8 -", (const char*)nullptr, word_only.c_str()})
    EXPECT_FALSE(scan_word_then_number(none, &v)) << (none ? none : "(null)");
  EXPECT_EQ(v, 7);
}

TEST(ParameterScan, FieldNumberStopsAtTheFirstOtherCharacter) {
  EXPECT_EQ(field_number("15"), 15);
  EXPECT_EQ(field_number(" -7"), -7);
  EXPECT_EQ(field_number("4x"), 4);
  EXPECT_EQ(field_number("ab"), 0);
  EXPECT_EQ(field_number("-"), 0);
  EXPECT_EQ(field_number(""), 0);
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
