// The texture DLLs under Wine: loaded by name, entered through their exact export names
// with the documented argument layout, dialogs driven by a UI script.
#include <gtest/gtest.h>

#include <float.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "common/host_allocator.h"
#include "tests/counting_allocator.h"
#include "tests/win32/dialog_layout.h"
#include "tests/win32/testkit.h"
#include "textures/texture_grid.h"

namespace {

using StartupFn = int32_t(__stdcall*)(uint32_t, uint32_t, const char*);
using MorphFn = int32_t(__stdcall*)(const char*, float);
using ProcedureFn = int32_t(__stdcall*)(uint32_t, uint32_t, float*, float, float, float, uint32_t, uint32_t,
                                        uint32_t, uint32_t, const uint8_t*, float*, uint32_t, uint32_t,
                                        const TextureServices*);
using CloseFn = void(__cdecl*)();
using SetFn = char*(__stdcall*)(char*, HWND, const HostAllocator*);

struct Texture {
  HMODULE module = nullptr;
  StartupFn startup = nullptr;
  MorphFn morph = nullptr;
  ProcedureFn procedure = nullptr;
  CloseFn close = nullptr;
  SetFn set = nullptr;
};

// Old strings live on the stack or are freed by the test: release only notes them.
using Allocator = CountingAllocator;
const HostAllocator& kAllocator = g_counting_allocator;

uint32_t word(const void* p) { return uint32_t(uintptr_t(p)); }
uint32_t word(float f) {
  uint32_t w;
  std::memcpy(&w, &f, sizeof w);
  return w;
}

const auto kCloseBox = [](HWND dlg) { PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); };

class TextureDll : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    t.module = LoadLibraryA(GetParam());
    ASSERT_NE(t.module, nullptr) << GetParam();
    t.startup = (StartupFn)(void*)GetProcAddress(t.module, "_ExternalTextureStartup");
    t.morph = (MorphFn)(void*)GetProcAddress(t.module, "_ExternalTextureMorph");
    t.procedure = (ProcedureFn)(void*)GetProcAddress(t.module, "_ExternalTextureProcedure");
    t.close = (CloseFn)(void*)GetProcAddress(t.module, "_ExternalTextureClose");
    t.set = (SetFn)(void*)GetProcAddress(t.module, "_SetExternalParameters");
    Allocator::reset(false);
  }
  bool dots() const { return std::strcmp(GetParam(), "SPECKLE.dll") == 0; }
  // The dots first show the old string in a "Dots!" box; then the dialog gets `action`.
  std::vector<UiStep> steps(std::function<void(HWND)> action, std::string* dots_text = nullptr) const {
    std::vector<UiStep> s;
    if (dots()) s.push_back({"#32770", "Dots!", expect_text_then("", press(IDOK), dots_text)});
    s.push_back({"#32770", "", action});
    return s;
  }
  Texture t;
};

TEST_P(TextureDll, ExportsPopTheirArgumentsAsDocumented) {
  ASSERT_TRUE(t.startup && t.morph && t.procedure && t.close && t.set);
  uint32_t ret = 0;
  const uint32_t startup[] = {7, 9, word("# 0.30 1.50  1.00 1.00 1.00")};
  EXPECT_EQ(call_probe((const void*)t.startup, startup, 3, &ret), 12u);
  EXPECT_EQ(ret, 1u);
  const uint32_t morph[] = {word("# 0.30 1.50  1.00 1.00 1.00"), word(0.5f)};
  EXPECT_EQ(call_probe((const void*)t.morph, morph, 2, &ret), 8u);
  EXPECT_EQ(ret, 1u);
  float normal[3] = {0, 0, 1}, colour[3] = {-1, -1, -1};
  const uint8_t shader[3] = {1, 2, 3};
  const uint32_t proc[] = {0, 0, word(normal), word(0.5f), word(0.5f), word(0.5f), 0, 0, 0, 0,
                           word(shader), word(colour), 0, 0, 0};
  EXPECT_EQ(call_probe((const void*)t.procedure, proc, 15, &ret), 60u);
  EXPECT_EQ(ret, 1u);
  EXPECT_EQ(colour[1], 2.0f);  // arguments 4-6, 11 and 12 arrived where they belong
  EXPECT_EQ(call_probe((const void*)t.close, nullptr, 0, &ret), 0u);

  char old[] = "# 0.30 1.50  1.00 1.00 1.00";
  const uint32_t set[] = {word(old), 0, word(&kAllocator)};
  UiScript script(steps(press(IDCANCEL)));
  EXPECT_EQ(call_probe((const void*)t.set, set, 3, &ret), 12u);
  EXPECT_EQ(ret, word(old));
  EXPECT_EQ(script.steps_done(), dots() ? 2u : 1u);
}

// The grid through the exports gives the native core's figures bit for bit. A host may run
// the FPU at double or single precision; the textures decide every point alike all the same,
// and the host gets its own setting back.
TEST_P(TextureDll, GridFiguresMatchTheNativeCoreAtEveryHostFpuPrecision) {
  static Texture s;
  s = t;
  GridTexture g = {dots() ? "dots" : "dimple", [](const char* p) { s.startup(0, 0, p); },
                   [](const char* o, float f) { s.morph(o, f); },
                   [](float* n, float x, float y, float z, const uint8_t* sc, float* c, const TextureServices* sv) {
                     s.procedure(0, 0, n, x, y, z, 0, 0, 0, 0, sc, c, 0, 0, sv);
                   }};
  std::string expected;
  ASSERT_TRUE(read_text_file(grid_figures_path(ZEL_TEXTURES_TESTDATA), &expected));
  const size_t start = expected.find(std::string(g.name) + " 0 ");
  ASSERT_NE(start, std::string::npos);
  for (unsigned precision : {unsigned(_PC_64), unsigned(_PC_53), unsigned(_PC_24)}) {
    _controlfp(precision, _MCW_PC);
    const std::string figures = grid_figures(g);
    const unsigned after = _controlfp(0, 0) & _MCW_PC;
    _controlfp(_PC_64, _MCW_PC);
    EXPECT_EQ(figures, expected.substr(start, figures.size())) << std::hex << precision;
    EXPECT_EQ(after, precision);
  }
}

TEST_P(TextureDll, StartupWithoutHashWarnsSystemModal) {
  LONG exstyle = 0;
  std::string text;
  UiScript script({{"#32770", "Parameter list missing", expect_text_then("", [&](HWND box) {
                      exstyle = GetWindowLongA(box, GWL_EXSTYLE);
                      PostMessageA(box, WM_COMMAND, IDOK, 0);
                    }, &text)}});
  EXPECT_EQ(t.startup(0, 0, "0.50 1.00"), 1);
  EXPECT_EQ(script.steps_done(), 1u);
  EXPECT_EQ(text, "External texture: Startup");
  EXPECT_TRUE(exstyle & WS_EX_TOPMOST);
}

TEST_P(TextureDll, NoOldStringAndOkGivesTheDefaultString) {
  std::string first_field;
  UiScript script({{"#32770", dots() ? "Simple Dots External Shader" : "Dimple shader", [&](HWND dlg) {
                      char text[16] = {};
                      GetDlgItemTextA(dlg, dots() ? 101 : 107, text, sizeof text);
                      first_field = text;
                      press(105)(dlg);
                    }}});
  char* s = t.set(nullptr, nullptr, &kAllocator);
  EXPECT_EQ(script.steps_done(), 1u);
  EXPECT_TRUE(script.unexpected().empty());
  EXPECT_EQ(first_field, dots() ? "0.40" : "0.30");
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s, dots() ? "# 0.40 1.00 1.00 1.00" : "# 0.30 1.50  1.00 1.00 1.00");
  EXPECT_EQ(Allocator::allocations, 1);
  EXPECT_EQ(Allocator::releases, 0);
  std::free(s);
}

TEST_P(TextureDll, CancelOrCloseBoxKeepsTheOldStringUntouched) {
  char old[] = "# 0.20 1.00 1.00 1.00";
  for (auto action : {press(dots() ? 106 : 101), std::function<void(HWND)>(kCloseBox)}) {
    UiScript script(steps(action));
    EXPECT_EQ(t.set(old, nullptr, &kAllocator), old);
    EXPECT_EQ(script.steps_done(), dots() ? 2u : 1u);
  }
  EXPECT_EQ(Allocator::allocations + Allocator::releases, 0);
}

TEST_P(TextureDll, TypedFieldsMakeTheNewStringAndZeroCancels) {
  char* old = static_cast<char*>(std::malloc(64));
  std::strcpy(old, "# 0.35 2.00 3.00 4.00");
  std::string shown;
  auto typed = set_text_then(dots() ? 101 : 107, "0.25", set_text_then(103, "12345678901", press(105)));
  {
    UiScript script(steps(typed, &shown));
    char* s = t.set(old, nullptr, &kAllocator);
    EXPECT_EQ(script.steps_done(), dots() ? 2u : 1u);
    EXPECT_EQ(Allocator::released, old);
    std::free(old);
    ASSERT_NE(s, nullptr);
    // The dimple reads the dots' string as radius 0.35, depth 2, X 3, Y 4, Z unchanged.
    EXPECT_STREQ(s, dots() ? "# 0.25 2.00 123456792.00 4.00" : "# 0.25 2.00  3.00 123456792.00 1.00");
    EXPECT_EQ(shown, dots() ? "# 0.35 2.00 3.00 4.00" : "");
    old = s;
  }
  UiScript zero(steps(set_text_then(104, "0", press(IDOK))));
  EXPECT_EQ(t.set(old, nullptr, &kAllocator), old);
  EXPECT_EQ(Allocator::allocations, 1);
  std::free(old);
}

TEST_P(TextureDll, FailingAllocateReleasesTheOldStringAndReturnsNull) {
  Allocator::fail = true;
  char old[] = "# 0.20 1.00 1.00 1.00";
  std::string text;
  bool icon = false, topmost = true;
  std::vector<UiStep> script_steps = steps(press(105));
  script_steps.push_back({"#32770", "Error", expect_text_then("", [&](HWND box) {
                            icon = SendDlgItemMessageA(box, 1088, STM_GETICON, 0, 0) != 0;
                            topmost = GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST;
                            PostMessageA(box, WM_COMMAND, IDOK, 0);
                          }, &text)});
  UiScript script(script_steps);
  EXPECT_EQ(t.set(old, nullptr, &kAllocator), nullptr);
  EXPECT_EQ(script.steps_done(), script_steps.size());
  EXPECT_EQ(text, "External shader: Out of memory");
  EXPECT_TRUE(icon);
  EXPECT_FALSE(topmost);  // task-modal, unlike the system-modal Startup warning
  EXPECT_EQ(Allocator::released, old);
  EXPECT_EQ(Allocator::releases, 1);
}

// Labels have no size of their own in the layout (w = 0: only their position is compared).
TEST_P(TextureDll, DialogIsLaidOutAsDesignedAndCentred) {
  const std::vector<DialogControl> dimple_layout = {
      {"Static", -1, "Radius", 142, 10, 0, 0, 0},
      {"Edit", 107, "", 174, 7, 39, 12, 0},
      {"Static", -1, "Depth", 142, 27, 0, 0, 0},
      {"Edit", 108, "", 174, 25, 39, 12, 0},
      {"Static", -1, "X Scale (L/R)", 121, 44, 0, 0, 0},
      {"Edit", 102, "", 175, 44, 38, 12, 0},
      {"Static", -1, "Y Scale (F/B)", 121, 65, 0, 0, 0},
      {"Edit", 103, "", 175, 64, 38, 12, 0},
      {"Static", -1, "Z Scale (U/D)", 121, 86, 0, 0, 0},
      {"Edit", 104, "", 175, 84, 38, 12, 0},
      {"Button", 105, "&Ok", 7, 79, 46, 15, BS_DEFPUSHBUTTON},
      {"Button", 101, "&Cancel", 60, 79, 46, 14, 0},
      {"Static", -1,
       "The DIMPLE shader creates the effect of making dimples in the surfaces to which it is applied.  "
       "The dimples are colored with the shader color of the faces.",
       10, 14, 97, 57, SS_CENTER},
  };
  const std::vector<DialogControl> dots_layout = {
      {"Static", -1, "Radius", 13, 11, 0, 0, 0},
      {"Edit", 101, "", 66, 8, 38, 13, 0},
      {"Static", -1, "X Scale (L/R)", 12, 30, 0, 0, 0},
      {"Edit", 102, "", 66, 28, 38, 13, 0},
      {"Static", -1, "Y Scale (F/B)", 12, 51, 0, 0, 0},
      {"Edit", 103, "", 66, 48, 38, 13, 0},
      {"Static", -1, "Z Scale (U/D)", 12, 72, 0, 0, 0},
      {"Edit", 104, "", 66, 68, 38, 13, 0},
      {"Button", 105, "Ok", 8, 92, 46, 15, BS_DEFPUSHBUTTON},
      {"Button", 106, "Cancel", 65, 92, 46, 14, 0},
  };
  std::vector<std::string> faults = {"not shown"};
  UiScript script({{"#32770", "", [&](HWND dlg) {
                      faults = dots() ? dialog_layout_faults(dlg, "Simple Dots External Shader", 123, 112, dots_layout)
                                      : dialog_layout_faults(dlg, "Dimple shader", 223, 104, dimple_layout);
                      press(IDCANCEL)(dlg);
                    }}});
  EXPECT_EQ(t.set(nullptr, nullptr, &kAllocator), nullptr);
  EXPECT_EQ(faults, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Textures, TextureDll, ::testing::Values("PITSHADE.dll", "SPECKLE.dll"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param).substr(0, std::strlen(info.param) - 4);
                         });

}  // namespace
