// The effect DLLs under Wine: loaded by name, entered only through their exported names
// with the host's argument layout, dialogs answered by a UiScript.
#include <windows.h>

#include <float.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/host_allocator.h"
#include "effects/effect_records.h"
#include "effects/testdata/figures_grid.h"
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

// The host's allocator: counts calls, can be told to fail.
struct Counts {
  int allocations = 0;
  int releases = 0;
  uint32_t last_size = 0;
  void* released = nullptr;
  bool fail = false;
};
Counts g_counts;

void* __cdecl host_allocate(uint32_t size) {
  ++g_counts.allocations;
  g_counts.last_size = size;
  return g_counts.fail ? nullptr : std::malloc(size);
}
void __cdecl host_release(void* block) {
  ++g_counts.releases;
  g_counts.released = block;
  std::free(block);
}
HostAllocator g_allocator = {host_allocate, host_release};

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

uint32_t word(const void* p) { return uint32_t(uintptr_t(p)); }

HWND make_owner() {
  return CreateWindowExA(0, "STATIC", "effect host", WS_OVERLAPPED, 0, 0, 200, 100, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

// Opens the dialog through the export with a fresh owner and the script's steps.
char* set_parameters(const Library& lib, char* old, std::vector<UiStep> steps, size_t* done,
                     std::vector<std::string>* unexpected = nullptr) {
  HWND owner = make_owner();
  char* result;
  {
    UiScript script(std::move(steps));
    result = lib.set(old, owner, 0, &g_allocator);
    *done = script.steps_done();
    if (unexpected) *unexpected = script.unexpected();
  }
  DestroyWindow(owner);
  return result;
}

std::string item_text(HWND dlg, int id) {
  char buf[64] = {};
  GetDlgItemTextA(dlg, id, buf, sizeof buf);
  return buf;
}

std::function<void(HWND)> close_box() {
  return [](HWND dlg) { PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); };
}

// One control of a dialog as the resource describes it (rectangle in dialog units).
struct Control {
  const char* window_class;
  int id;
  const char* text;
  int x, y, w, h;
};

// Compares the live dialog with its table: caption, font, client size, and each child in
// creation order (class, id, text, position mapped from dialog units). Also checks centring.
void check_layout(HWND dlg, const char* title, int w, int h, const std::vector<Control>& controls) {
  char caption[64] = {};
  GetWindowTextA(dlg, caption, sizeof caption);
  EXPECT_STREQ(caption, title);
  LOGFONTA font{};
  GetObjectA((HFONT)SendMessageA(dlg, WM_GETFONT, 0, 0), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");

  RECT size = {0, 0, w, h}, client;
  MapDialogRect(dlg, &size);
  GetClientRect(dlg, &client);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);

  RECT window;
  GetWindowRect(dlg, &window);
  EXPECT_EQ(window.left, (GetSystemMetrics(SM_CXSCREEN) - (window.right - window.left)) / 2);
  EXPECT_EQ(window.top, (GetSystemMetrics(SM_CYSCREEN) - (window.bottom - window.top)) / 2);

  HWND child = GetWindow(dlg, GW_CHILD);
  for (const Control& c : controls) {
    ASSERT_NE(child, nullptr) << c.text;
    char cls[32] = {}, text[128] = {};
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    EXPECT_STREQ(cls, c.window_class);
    EXPECT_EQ(GetDlgCtrlID(child) & 0xFFFF, c.id & 0xFFFF) << c.text;
    if (std::strcmp(c.window_class, "Edit") != 0) {
      EXPECT_STREQ(text, c.text);
    }
    // Position and size are mapped from dialog units separately, as the dialog manager does.
    RECT at = {c.x, c.y, c.w, c.h}, got;
    MapDialogRect(dlg, &at);
    GetWindowRect(child, &got);
    MapWindowPoints(nullptr, dlg, (POINT*)&got, 2);
    EXPECT_EQ(got.left, at.left) << c.text;
    EXPECT_EQ(got.top, at.top) << c.text;
    EXPECT_EQ(got.right - got.left, at.right) << c.text;
    EXPECT_EQ(got.bottom - got.top, at.bottom) << c.text;
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (std::strcmp(c.window_class, "Button") == 0) {
      EXPECT_TRUE(style & WS_TABSTOP) << c.text;
    }
    if (std::strcmp(c.window_class, "Edit") == 0) {
      EXPECT_TRUE(style & ES_AUTOHSCROLL);
      EXPECT_TRUE(style & WS_TABSTOP);
    }
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr) << "more controls than the table";
}

}  // namespace

TEST(EffectExports, EachLibraryHasItsThreeNamesWithStdcallArguments) {
  for (const Effect& e : kEffects) {
    Library lib = load(e.dll);
    ASSERT_NE(lib.module, nullptr) << e.dll;
    ASSERT_NE(lib.set, nullptr) << e.dll;
    ASSERT_NE(lib.preview, nullptr) << e.dll;
    ASSERT_NE(lib.render, nullptr) << e.dll;
    EXPECT_EQ(GetProcAddress(lib.module, "PreviewExternalEffect"), nullptr);
    EXPECT_EQ(GetProcAddress(lib.module, "_PreviewExternalEffect@12"), nullptr);

    EffectInfo info = figure_box(0.25f);
    EffectVertex v[kFigureVertexCount], rest[kFigureVertexCount];
    figure_vertices(v);
    figure_vertices(rest);
    char params[] = "8 75";
    const uint32_t args[] = {word(params), word(&info), word(v)};
    uint32_t ret = 0;
    EXPECT_EQ(call_probe((const void*)lib.render, args, 3, &ret), 12u) << e.dll;
    EXPECT_EQ(ret, 1u);
    EXPECT_EQ(std::memcmp(v, rest, sizeof v), 0) << "render changes nothing";
    EXPECT_EQ(call_probe((const void*)lib.preview, args, 3, &ret), 12u) << e.dll;
    const bool moves = std::strcmp(e.dll, "GATHER.dll") != 0;
    EXPECT_EQ(std::memcmp(v, rest, sizeof v) != 0, moves) << e.dll;

    // _SetExternalParameters: four arguments removed; Cancel hands the old pointer back.
    g_counts = Counts{};
    char* old = host_string("old");
    HWND owner = make_owner();
    uint32_t set_args[] = {word(old), word(owner), 0,
                           word(&g_allocator)};
    uint32_t popped;
    {
      UiScript script({{"#32770", e.title, press(101)}});
      popped = call_probe((const void*)lib.set, set_args, 4, &ret);
      EXPECT_EQ(script.steps_done(), 1u);
    }
    DestroyWindow(owner);
    EXPECT_EQ(popped, 16u) << e.dll;
    EXPECT_EQ(ret, word(old));
    EXPECT_EQ(g_counts.allocations + g_counts.releases, 0);
    std::free(old);
    FreeLibrary(lib.module);
  }
}

TEST(EffectDialogs, OkWithoutOldStringGivesTheNewStringAndReleasesNothing) {
  for (const Effect& e : kEffects) {
    Library lib = load(e.dll);
    g_counts = Counts{};
    HWND owner_seen = nullptr;
    size_t done = 0;
    char* s = set_parameters(lib, nullptr,
                             {{"#32770", e.title, [&](HWND dlg) {
                                 owner_seen = GetWindow(dlg, GW_OWNER);
                                 press(102)(dlg);
                               }}},
                             &done);
    EXPECT_EQ(done, 1u);
    EXPECT_NE(owner_seen, nullptr) << "owned by the host's window";
    ASSERT_NE(s, nullptr) << e.dll;
    EXPECT_STREQ(s, e.fresh);
    EXPECT_EQ(g_counts.allocations, 1);
    EXPECT_EQ(g_counts.last_size, std::strlen(e.fresh) + 1);
    EXPECT_EQ(g_counts.releases, 0);
    std::free(s);
    FreeLibrary(lib.module);
  }
}

TEST(EffectDialogs, CancelAndTheCloseBoxHandTheOldStringBack) {
  for (const Effect& e : kEffects) {
    Library lib = load(e.dll);
    for (auto action : {press(101), close_box()}) {
      g_counts = Counts{};
      char* old = host_string("8 20");
      size_t done = 0;
      EXPECT_EQ(set_parameters(lib, old, {{"#32770", e.title, action}}, &done), old) << e.dll;
      EXPECT_EQ(done, 1u);
      EXPECT_STREQ(old, "8 20");
      EXPECT_EQ(g_counts.allocations + g_counts.releases, 0);
      std::free(old);
    }
    FreeLibrary(lib.module);
  }
}

TEST(EffectDialogs, FailingAllocationReleasesTheOldStringAndReturnsNullAfterTheBox) {
  for (const Effect& e : kEffects) {
    Library lib = load(e.dll);
    g_counts = Counts{};
    g_counts.fail = true;
    char* old = host_string("9");
    std::string box_text;
    int releases_when_box_shown = -1;
    size_t done = 0;
    char* s = set_parameters(lib, old,
                             {{"#32770", e.title, press(102)},
                              {"#32770", "Error", expect_text_then("", [&](HWND box) {
                                 releases_when_box_shown = g_counts.releases;
                                 press(IDOK)(box);
                               }, &box_text)}},
                             &done);
    EXPECT_EQ(done, 2u) << e.dll;
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(box_text, "External effect: Out of memory");
    EXPECT_EQ(releases_when_box_shown, 1);
    EXPECT_EQ(g_counts.released, (void*)old);
    EXPECT_EQ(g_counts.allocations, 1);
    FreeLibrary(lib.module);
  }
}

TEST(EffectDialogs, LaidOutAsTheirResourcesAndCentred) {
  const struct {
    const Effect& effect;
    int w, h;
    std::vector<Control> controls;
  } dialogs[] = {
      {kEffects[0], 126, 59,
       {{"Static", -1, "Make the model shake from its bottom to its top.", 25, 9, 85, 19},
        {"Button", 102, "Ok", 22, 34, 40, 14},
        {"Button", 101, "Cancel", 70, 34, 40, 14}}},
      {kEffects[1], 127, 84,
       {{"Static", -1, "Compress the model back on itself and then fling it off at high speed.", 9, 9, 114, 22},
        {"Static", -1, "Compression %", 17, 40, 52, 8},
        {"Edit", 103, "", 78, 38, 32, 12},
        {"Button", 102, "Ok", 22, 61, 40, 14},
        {"Button", 101, "Cancel", 70, 61, 40, 14}}},
      {kEffects[2], 139, 71,
       {{"Static", -1, "Build the model face-by-face from thin air and build it towards the Camera.", 19, 7,
         116, 40},
        {"Button", 102, "Ok", 23, 42, 40, 14},
        {"Button", 101, "Cancel", 71, 42, 40, 14}}},
  };
  for (const auto& d : dialogs) {
    Library lib = load(d.effect.dll);
    size_t done = 0;
    char* old = host_string("x");
    set_parameters(lib, old,
                   {{"#32770", d.effect.title, [&](HWND dlg) {
                       check_layout(dlg, d.effect.title, d.w, d.h, d.controls);
                       press(101)(dlg);
                     }}},
                   &done);
    EXPECT_EQ(done, 1u);
    std::free(old);
    FreeLibrary(lib.module);
  }
}

namespace {

// Dark pixels (text) inside a control's rectangle of the dialog's painted client area.
int dark_pixels(const Pixels& p, HWND dlg, int id_or_order) {
  HWND control = GetWindow(dlg, GW_CHILD);
  for (int i = 0; control && i < id_or_order; ++i) control = GetWindow(control, GW_HWNDNEXT);
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dlg, (POINT*)&r, 2);
  int dark = 0;
  for (int y = std::max(0L, r.top); y < std::min(LONG(p.height), r.bottom); ++y)
    for (int x = std::max(0L, r.left); x < std::min(LONG(p.width), r.right); ++x)
      dark += (p.at(x, y) & 0xFF) < 0x60 && ((p.at(x, y) >> 8) & 0xFF) < 0x60;
  return dark;
}

}  // namespace

// Each dialog paints its description and its button captions. With ZEL_SHOT_DIR set, the
// painted client areas are also kept as BMP files there.
TEST(EffectDialogs, PaintTheirTextsAndButtons) {
  const char* shots = std::getenv("ZEL_SHOT_DIR");
  for (const Effect& e : kEffects) {
    Library lib = load(e.dll);
    Pixels painted;
    int text = 0, ok = 0, cancel = 0;
    size_t done = 0;
    char* old = host_string("8 42");
    set_parameters(lib, old,
                   {{"#32770", e.title, [&](HWND dlg) {
                       UpdateWindow(dlg);
                       painted = read_client_pixels(dlg);
                       const int buttons = std::strcmp(e.dll, "spring.dll") == 0 ? 3 : 1;
                       text = dark_pixels(painted, dlg, 0);
                       ok = dark_pixels(painted, dlg, buttons);
                       cancel = dark_pixels(painted, dlg, buttons + 1);
                       press(101)(dlg);
                     }}},
                   &done);
    EXPECT_EQ(done, 1u);
    EXPECT_GT(text, 100) << e.dll;
    EXPECT_GT(ok, 10) << e.dll;
    EXPECT_GT(cancel, 10) << e.dll;
    if (shots) write_bmp(painted, (std::string(shots) + "/" + e.title + ".bmp").c_str());
    std::free(old);
    FreeLibrary(lib.module);
  }
}

TEST(SpringDialog, FieldShowsTheCompressionAndTakesTwoCharacters) {
  Library lib = load("spring.dll");
  size_t done = 0;
  std::vector<std::string> shown;
  auto note_then = [&](const char* text, std::function<void(HWND)> then) {
    return [&shown, text, then](HWND dlg) {
      shown.push_back(item_text(dlg, 103));
      if (text) SetDlgItemTextA(dlg, 103, text);
      then(dlg);
    };
  };
  g_counts = Counts{};
  // Starting value, then "150" typed: only "15" is read.
  char* s = set_parameters(lib, nullptr, {{"#32770", "Spring Effect", note_then("150", press(102))}}, &done);
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s, "8 15");
  // An old string without a value keeps 15; an empty field keeps it as well.
  char* old = host_string("8");
  s = (std::free(s), set_parameters(lib, old, {{"#32770", "", note_then("", press(102))}}, &done));
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s, "8 15");
  // An old string with a value sets the field; a first word far beyond 128 bytes is harmless.
  old = host_string((std::string(400, 'w') + " 42").c_str());
  std::free(s);
  s = set_parameters(lib, old, {{"#32770", "", note_then(nullptr, press(102))}}, &done);
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s, "8 42");
  // Cancel after typing keeps the value in the library but the host keeps its string.
  char* kept = s;
  s = set_parameters(lib, kept, {{"#32770", "", note_then("9", press(101))}}, &done);
  EXPECT_EQ(s, kept);
  EXPECT_STREQ(s, "8 42");
  std::free(s);
  EXPECT_EQ(shown, (std::vector<std::string>{"75", "15", "42", "42"}));
  EXPECT_EQ(g_counts.releases, 2);
  EXPECT_EQ(g_counts.allocations, 3);
  FreeLibrary(lib.module);
}

namespace {

uint32_t bits(float f) {
  uint32_t b;
  std::memcpy(&b, &f, 4);
  return b;
}

// Runs the whole table through the DLL exports; returns the number of values that differ.
int table_mismatches(Library& shake, Library& spring, int* compared) {
  int bad = 0;
  *compared = 0;
  for (const FigureCase& c : kTable) {
    Library& lib = std::strcmp(c.library, "shake") == 0 ? shake : spring;
    float phase;
    std::memcpy(&phase, &c.phase_bits, 4);
    EffectInfo info = figure_box(phase);
    EffectVertex v[kFigureVertexCount];
    figure_vertices(v);
    std::string params = c.params;
    lib.preview(&params[0], &info, v);
    for (int i = 0; i < kFigureVertexCount; ++i) {
      const uint32_t got[3] = {bits(v[i].x), bits(v[i].y), bits(v[i].z)};
      for (int k = 0; k < 3; ++k, ++*compared) {
        if (got[k] != c.out[3 * i + k]) {
          ++bad;
          ADD_FAILURE() << c.library << " \"" << c.params << "\" phase " << phase << " vertex " << i
                        << " axis " << k << ": " << std::hex << got[k] << " != " << c.out[3 * i + k];
        }
      }
    }
  }
  return bad;
}

}  // namespace

TEST(EffectFigures, TheDllsReproduceTheNativeTableBitForBit) {
  Library shake = load("shake.dll"), spring = load("spring.dll");
  ASSERT_TRUE(shake.preview && spring.preview);
  int compared = 0;
  EXPECT_EQ(table_mismatches(shake, spring, &compared), 0);
  EXPECT_EQ(compared, int(sizeof kTable / sizeof kTable[0]) * 3 * kFigureVertexCount);
  // A host that runs the FPU at lower precision (double, or single as 3D drivers like to
  // set it) gets the same figures, and its own setting back.
  for (unsigned precision : {unsigned(_PC_53), unsigned(_PC_24)}) {
    _controlfp(precision, _MCW_PC);
    EXPECT_EQ(table_mismatches(shake, spring, &compared), 0) << std::hex << precision;
    EXPECT_EQ(_controlfp(0, 0) & _MCW_PC, precision);
  }
  _controlfp(_PC_64, _MCW_PC);
}
