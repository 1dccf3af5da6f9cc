// The effect DLLs under Wine: loaded by name, entered only through their exported names
// with the host's argument layout, dialogs answered by a UiScript.
#include <windows.h>

#include <float.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/host_allocator.h"
#include "effects/effect_records.h"
#include "effects/testdata/figures_grid.h"
#include "tests/counting_allocator.h"
#include "tests/win32/dialog_layout.h"
#include "tests/win32/testkit.h"

namespace {

const FigureCase kTable[] = {
#include "effects/testdata/figures.inc"
};

using SetFn = char*(__stdcall*)(char*, HWND, DWORD, HostAllocator*);
using FrameFn = void(__stdcall*)(char*, EffectInfo*, EffectVertex*);
using RenderFn = int(__stdcall*)(char*, EffectInfo*, EffectVertex*);

struct Library {
  HMODULE module = nullptr;
  SetFn set = nullptr;
  FrameFn preview = nullptr;
  RenderFn render = nullptr;
};

Library load(const char* name) {
  Library lib;
  lib.module = LoadLibraryA(name);
  if (!lib.module) return lib;
  lib.set = (SetFn)(void*)GetProcAddress(lib.module, "_SetExternalParameters");
  lib.preview = (FrameFn)(void*)GetProcAddress(lib.module, "_PreviewExternalEffect");
  lib.render = (RenderFn)(void*)GetProcAddress(lib.module, "_RenderExternalEffect");
  return lib;
}

// The host's allocator; the libraries release strings the tests made with malloc.
using Counts = CountingAllocator;
HostAllocator& g_allocator = g_counting_allocator;

char* host_string(const char* text) {
  char* p = static_cast<char*>(std::malloc(std::strlen(text) + 1));
  std::strcpy(p, text);
  return p;
}

struct Effect {
  const char* dll;
  const char* title;
  const char* fresh;  // the string Ok writes with the library's starting settings
};
const Effect kEffects[] = {{"shake.dll", "Shake Effect", "9"},
                           {"spring.dll", "Spring Effect", "8 75"},
                           {"GATHER.dll", "Build To Effect", "3"}};

// Runs `check` on each library, loaded by name with all three exports found.
void for_each_effect(const std::function<void(const Effect&, const Library&)>& check) {
  for (const Effect& e : kEffects) {
    SCOPED_TRACE(e.dll);
    Library lib = load(e.dll);
    ASSERT_TRUE(lib.module && lib.set && lib.preview && lib.render);
    Counts::reset(true);
    check(e, lib);
    FreeLibrary(lib.module);
  }
}

uint32_t word(const void* p) { return uint32_t(uintptr_t(p)); }

HWND make_owner() {
  return CreateWindowExA(0, "STATIC", "effect host", WS_OVERLAPPED, 0, 0, 200, 100, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

// Opens the dialog through the export with a fresh owner; every step must be taken.
char* set_parameters(const Library& lib, char* old, std::vector<UiStep> steps) {
  HWND owner = make_owner();
  char* result;
  {
    const size_t count = steps.size();
    UiScript script(std::move(steps));
    result = lib.set(old, owner, 0, &g_allocator);
    EXPECT_EQ(script.steps_done(), count);
  }
  DestroyWindow(owner);
  return result;
}

// Opens the dialog on a throw-away old string, runs `look` on it, then cancels.
void look_at_dialog(const Effect& e, const Library& lib, const std::function<void(HWND)>& look) {
  char* old = host_string("8 42");
  set_parameters(lib, old, {{"#32770", e.title, [&](HWND dlg) {
                               look(dlg);
                               press(101)(dlg);
                             }}});
  std::free(old);
}

}  // namespace

TEST(EffectExports, EachLibraryHasItsThreeNamesWithStdcallArguments) {
  for_each_effect([](const Effect& e, const Library& lib) {
    EXPECT_EQ(GetProcAddress(lib.module, "PreviewExternalEffect"), nullptr);
    EXPECT_EQ(GetProcAddress(lib.module, "_PreviewExternalEffect@12"), nullptr);

    EffectInfo info = figure_box(0.25f);
    EffectVertex v[kFigureVertexCount], rest[kFigureVertexCount];
    figure_vertices(v);
    figure_vertices(rest);
    char params[] = "8 75";
    const uint32_t args[] = {word(params), word(&info), word(v)};
    uint32_t ret = 0;
    EXPECT_EQ(call_probe((const void*)lib.render, args, 3, &ret), 12u);
    EXPECT_EQ(ret, 1u);
    EXPECT_EQ(std::memcmp(v, rest, sizeof v), 0) << "render changes nothing";
    EXPECT_EQ(call_probe((const void*)lib.preview, args, 3, &ret), 12u);
    EXPECT_EQ(std::memcmp(v, rest, sizeof v) != 0, std::strcmp(e.dll, "GATHER.dll") != 0);

    // _SetExternalParameters removes four arguments.
    char* old = host_string("old");
    HWND owner = make_owner();
    uint32_t set_args[] = {word(old), word(owner), 0, word(&g_allocator)};
    {
      UiScript script({{"#32770", e.title, press(101)}});
      EXPECT_EQ(call_probe((const void*)lib.set, set_args, 4, &ret), 16u);
      EXPECT_EQ(script.steps_done(), 1u);
    }
    DestroyWindow(owner);
    EXPECT_EQ(ret, word(old));
    std::free(old);
  });
}

// The host's allocator on Ok without an old string, on Cancel and the close box, and when
// it has nothing left.
TEST(EffectDialogs, AllocatorProtocolOnOkCancelCloseBoxAndFailingAllocate) {
  for_each_effect([](const Effect& e, const Library& lib) {
    HWND owner_seen = nullptr;
    char* s = set_parameters(lib, nullptr, {{"#32770", e.title, [&](HWND dlg) {
                                               owner_seen = GetWindow(dlg, GW_OWNER);
                                               press(102)(dlg);
                                             }}});
    EXPECT_NE(owner_seen, nullptr) << "owned by the host's window";
    EXPECT_STREQ(s, e.fresh);
    EXPECT_EQ(Counts::allocations, 1);
    EXPECT_EQ(Counts::last_size, std::strlen(e.fresh) + 1);
    EXPECT_EQ(Counts::releases, 0);
    std::free(s);

    const std::function<void(HWND)> close_box = [](HWND dlg) { PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); };
    for (const auto& action : {press(101), close_box}) {
      Counts::reset(true);
      char* old = host_string("8 20");
      EXPECT_EQ(set_parameters(lib, old, {{"#32770", e.title, action}}), old);
      EXPECT_STREQ(old, "8 20");
      EXPECT_EQ(Counts::allocations + Counts::releases, 0);
      std::free(old);
    }

    Counts::reset(true);
    Counts::fail = true;
    char* old = host_string("9");
    std::string box_text;
    int releases_when_box_shown = -1;
    EXPECT_EQ(set_parameters(lib, old,
                             {{"#32770", e.title, press(102)},
                              {"#32770", "Error", expect_text_then("", [&](HWND box) {
                                 releases_when_box_shown = Counts::releases;
                                 press(IDOK)(box);
                               }, &box_text)}}),
              nullptr);
    EXPECT_EQ(box_text, "External effect: Out of memory");
    EXPECT_EQ(releases_when_box_shown, 1);
    EXPECT_EQ(Counts::released, (void*)old);
    EXPECT_EQ(Counts::allocations, 1);
  });
}

TEST(EffectDialogs, LaidOutAsTheirResourcesAndCentred) {
  const LONG kButton = WS_TABSTOP, kEdit = ES_AUTOHSCROLL | WS_TABSTOP;
  const struct {
    int w, h;
    std::vector<DialogControl> controls;
  } layouts[] = {
      {126, 59,
       {{"Static", -1, "Make the model shake from its bottom to its top.", 25, 9, 85, 19, 0},
        {"Button", 102, "Ok", 22, 34, 40, 14, kButton},
        {"Button", 101, "Cancel", 70, 34, 40, 14, kButton}}},
      {127, 84,
       {{"Static", -1, "Compress the model back on itself and then fling it off at high speed.", 9, 9, 114, 22, 0},
        {"Static", -1, "Compression %", 17, 40, 52, 8, 0},
        {"Edit", 103, "", 78, 38, 32, 12, kEdit},
        {"Button", 102, "Ok", 22, 61, 40, 14, kButton},
        {"Button", 101, "Cancel", 70, 61, 40, 14, kButton}}},
      {139, 71,
       {{"Static", -1, "Build the model face-by-face from thin air and build it towards the Camera.", 19, 7,
         116, 40, 0},
        {"Button", 102, "Ok", 23, 42, 40, 14, kButton},
        {"Button", 101, "Cancel", 71, 42, 40, 14, kButton}}},
  };
  int k = 0;
  for_each_effect([&](const Effect& e, const Library& lib) {
    std::vector<std::string> faults = {"not shown"};
    look_at_dialog(e, lib, [&](HWND dlg) { faults = dialog_layout_faults(dlg, e.title, layouts[k].w, layouts[k].h,
                                                                          layouts[k].controls); });
    EXPECT_EQ(faults, std::vector<std::string>{});
    ++k;
  });
}

// Dark pixels (text) inside the rectangle of the dialog's order-th child.
int dark_pixels(const Pixels& p, HWND dlg, int order) {
  HWND control = GetWindow(dlg, GW_CHILD);
  for (int i = 0; control && i < order; ++i) control = GetWindow(control, GW_HWNDNEXT);
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dlg, (POINT*)&r, 2);
  int dark = 0;
  for (int y = std::max(0L, r.top); y < std::min(LONG(p.height), r.bottom); ++y)
    for (int x = std::max(0L, r.left); x < std::min(LONG(p.width), r.right); ++x)
      dark += (p.at(x, y) & 0xFF) < 0x60 && ((p.at(x, y) >> 8) & 0xFF) < 0x60;
  return dark;
}

// Each dialog paints its description and its button captions. With ZEL_SHOT_DIR set, the
// painted client areas are also kept as BMP files there.
TEST(EffectDialogs, PaintTheirTextsAndButtons) {
  const char* shots = std::getenv("ZEL_SHOT_DIR");
  for_each_effect([&](const Effect& e, const Library& lib) {
    Pixels painted;
    int text = 0, ok = 0, cancel = 0;
    look_at_dialog(e, lib, [&](HWND dlg) {
      UpdateWindow(dlg);
      painted = read_client_pixels(dlg);
      const int buttons = std::strcmp(e.dll, "spring.dll") == 0 ? 3 : 1;
      text = dark_pixels(painted, dlg, 0);
      ok = dark_pixels(painted, dlg, buttons);
      cancel = dark_pixels(painted, dlg, buttons + 1);
    });
    EXPECT_GT(text, 100);
    EXPECT_GT(ok, 10);
    EXPECT_GT(cancel, 10);
    if (shots) write_bmp(painted, (std::string(shots) + "/" + e.title + ".bmp").c_str());
  });
}

TEST(SpringDialog, FieldShowsTheCompressionAndTakesTwoCharacters) {
  Library lib = load("spring.dll");
  std::vector<std::string> shown;
  auto note_then = [&](const char* text, std::function<void(HWND)> then) {
    return [&shown, text, then](HWND dlg) {
      char buf[64] = {};
      GetDlgItemTextA(dlg, 103, buf, sizeof buf);
      shown.push_back(buf);
      if (text) SetDlgItemTextA(dlg, 103, text);
      then(dlg);
    };
  };
  Counts::reset(true);
  // Starting value, then "150" typed: only "15" is read.
  char* s = set_parameters(lib, nullptr, {{"#32770", "Spring Effect", note_then("150", press(102))}});
  EXPECT_STREQ(s, "8 15");
  // An old string without a value keeps 15; an empty field keeps it as well.
  std::free(s);
  s = set_parameters(lib, host_string("8"), {{"#32770", "", note_then("", press(102))}});
  EXPECT_STREQ(s, "8 15");
  // An old string with a value sets the field; a first word far beyond 128 bytes is harmless.
  std::free(s);
  s = set_parameters(lib, host_string((std::string(400, 'w') + " 42").c_str()),
                     {{"#32770", "", note_then(nullptr, press(102))}});
  EXPECT_STREQ(s, "8 42");
  // Cancel after typing keeps the value in the library but the host keeps its string.
  char* kept = s;
  EXPECT_EQ(set_parameters(lib, kept, {{"#32770", "", note_then("9", press(101))}}), kept);
  EXPECT_STREQ(kept, "8 42");
  std::free(kept);
  EXPECT_EQ(shown, (std::vector<std::string>{"75", "15", "42", "42"}));
  EXPECT_EQ(Counts::releases, 2);
  EXPECT_EQ(Counts::allocations, 3);
  FreeLibrary(lib.module);
}

namespace {

// Runs the whole table through the DLL exports; each value must have the native bits.
void expect_table(const Library& shake, const Library& spring) {
  int compared = 0;
  for (const FigureCase& c : kTable) {
    const Library& lib = std::strcmp(c.library, "shake") == 0 ? shake : spring;
    float phase;
    std::memcpy(&phase, &c.phase_bits, 4);
    EffectInfo info = figure_box(phase);
    EffectVertex v[kFigureVertexCount];
    figure_vertices(v);
    std::string params = c.params;
    lib.preview(&params[0], &info, v);
    uint32_t got[3 * kFigureVertexCount];
    std::memcpy(got, v, sizeof got);
    for (int i = 0; i < 3 * kFigureVertexCount; ++i, ++compared)
      EXPECT_EQ(got[i], c.out[i]) << std::hex << c.library << " \"" << c.params << "\" phase bits "
                                  << c.phase_bits << " value " << std::dec << i;
  }
  EXPECT_EQ(compared, int(sizeof kTable / sizeof kTable[0]) * 3 * kFigureVertexCount);
}

}  // namespace

TEST(EffectFigures, TheDllsReproduceTheNativeTableBitForBit) {
  Library shake = load("shake.dll"), spring = load("spring.dll");
  ASSERT_TRUE(shake.preview && spring.preview);
  // A host that runs the FPU at lower precision (double, or single as 3D drivers like to
  // set it) gets the same figures, and its own setting back.
  for (unsigned precision : {unsigned(_PC_64), unsigned(_PC_53), unsigned(_PC_24)}) {
    SCOPED_TRACE(precision);
    _controlfp(precision, _MCW_PC);
    expect_table(shake, spring);
    EXPECT_EQ(_controlfp(0, 0) & _MCW_PC, precision);
  }
  _controlfp(_PC_64, _MCW_PC);
}
