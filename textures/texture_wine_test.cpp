// The texture DLLs under Wine: loaded by name, entered through their exact export names
// with the documented argument layout, dialogs driven by a UI script.
#include <gtest/gtest.h>

#include <float.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "common/host_allocator.h"
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

Texture load(const char* dll) {
  Texture t;
  t.module = LoadLibraryA(dll);
  if (!t.module) return t;
  t.startup = (StartupFn)(void*)GetProcAddress(t.module, "_ExternalTextureStartup");
  t.morph = (MorphFn)(void*)GetProcAddress(t.module, "_ExternalTextureMorph");
  t.procedure = (ProcedureFn)(void*)GetProcAddress(t.module, "_ExternalTextureProcedure");
  t.close = (CloseFn)(void*)GetProcAddress(t.module, "_ExternalTextureClose");
  t.set = (SetFn)(void*)GetProcAddress(t.module, "_SetExternalParameters");
  return t;
}

// A counting host allocator; blocks come from malloc.
struct Allocator {
  static inline int allocations = 0, releases = 0;
  static inline bool fail = false;
  static inline void* released = nullptr;
  static void* __cdecl allocate(uint32_t size) {
    ++allocations;
    return fail ? nullptr : std::malloc(size);
  }
  static void __cdecl release(void* block) {
    ++releases;
    released = block;
  }
};
const HostAllocator kAllocator = {Allocator::allocate, Allocator::release};

uint32_t word(const void* p) { return uint32_t(uintptr_t(p)); }
uint32_t word(float f) {
  uint32_t w;
  std::memcpy(&w, &f, sizeof w);
  return w;
}

// What a dialog shows when it opens: "centred" when it sits in the middle of the screen,
// then its font and the text of its first field.
std::string describe_dialog(HWND dlg, int first_field) {
  RECT w;
  GetWindowRect(dlg, &w);
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  bool centred = w.left == (sw - (w.right - w.left)) / 2 && w.top == (sh - (w.bottom - w.top)) / 2;
  LOGFONTA font = {};
  GetObjectA((HFONT)SendMessageA(dlg, WM_GETFONT, 0, 0), sizeof font, &font);
  char text[64] = {};
  GetDlgItemTextA(dlg, first_field, text, sizeof text);
  return std::string(centred ? "centred" : "off centre") + "|" + font.lfFaceName + "|" + text;
}

class TextureDll : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    t = load(GetParam());
    ASSERT_NE(t.module, nullptr) << GetParam();
    Allocator::allocations = Allocator::releases = 0;
    Allocator::fail = false;
    Allocator::released = nullptr;
  }
  bool dots() const { return std::strcmp(GetParam(), "SPECKLE.dll") == 0; }
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
  std::vector<UiStep> steps;
  if (dots()) steps.push_back({"#32770", "Dots!", press(IDOK)});
  steps.push_back({"#32770", "", press(IDCANCEL)});
  UiScript script(steps);
  EXPECT_EQ(call_probe((const void*)t.set, set, 3, &ret), 12u);
  EXPECT_EQ(ret, word(old));
  EXPECT_EQ(script.steps_done(), steps.size());
}

TEST_P(TextureDll, GridFiguresMatchTheNativeCore) {
  static Texture s;
  s = t;
  GridTexture g = {dots() ? "dots" : "dimple", [](const char* p) { s.startup(0, 0, p); },
                   [](const char* o, float f) { s.morph(o, f); },
                   [](float* n, float x, float y, float z, const uint8_t* sc, float* c, const TextureServices* sv) {
                     s.procedure(0, 0, n, x, y, z, 0, 0, 0, 0, sc, c, 0, 0, sv);
                   }};
  std::string expected;
  ASSERT_TRUE(read_text_file(grid_figures_path(ZEL_TEXTURES_TESTDATA), &expected));
  std::string figures = grid_figures(g);
  size_t start = expected.find(std::string(g.name) + " 0 ");
  ASSERT_NE(start, std::string::npos);
  EXPECT_EQ(figures, expected.substr(start, figures.size()));
}

// The first line where two figure texts differ, as "got | expected"; empty when they agree.
std::string first_difference(const std::string& got, const std::string& expected) {
  size_t a = 0, b = 0;
  while (a < got.size() || b < expected.size()) {
    size_t ea = got.find('\n', a), eb = expected.find('\n', b);
    std::string la = got.substr(a, ea - a), lb = expected.substr(b, eb - b);
    if (la != lb) return la + " | " + lb;
    if (ea == std::string::npos || eb == std::string::npos) break;
    a = ea + 1, b = eb + 1;
  }
  return "";
}

// A host may run the FPU at double or single precision; the textures decide every point as
// the native core does all the same, and the host gets its own setting back.
TEST_P(TextureDll, HostFpuPrecisionDoesNotChangeTheFigures) {
  static Texture s;
  s = t;
  GridTexture g = {dots() ? "dots" : "dimple", [](const char* p) { s.startup(0, 0, p); },
                   [](const char* o, float f) { s.morph(o, f); },
                   [](float* n, float x, float y, float z, const uint8_t* sc, float* c, const TextureServices* sv) {
                     s.procedure(0, 0, n, x, y, z, 0, 0, 0, 0, sc, c, 0, 0, sv);
                   }};
  std::string expected;
  ASSERT_TRUE(read_text_file(grid_figures_path(ZEL_TEXTURES_TESTDATA), &expected));
  for (unsigned precision : {unsigned(_PC_53), unsigned(_PC_24)}) {
    _controlfp(precision, _MCW_PC);
    std::string figures = grid_figures(g);
    const unsigned after = _controlfp(0, 0) & _MCW_PC;
    _controlfp(_PC_64, _MCW_PC);
    size_t start = expected.find(std::string(g.name) + " 0 ");
    ASSERT_NE(start, std::string::npos);
    EXPECT_EQ(first_difference(figures, expected.substr(start, figures.size())), "") << std::hex << precision;
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
  std::string seen;
  UiScript script({{"#32770", dots() ? "Simple Dots External Shader" : "Dimple shader", [&](HWND dlg) {
                      seen = describe_dialog(dlg, dots() ? 101 : 107);
                      press(105)(dlg);
                    }}});
  char* s = t.set(nullptr, nullptr, &kAllocator);
  EXPECT_EQ(script.steps_done(), 1u);
  EXPECT_TRUE(script.unexpected().empty());
  EXPECT_EQ(seen, dots() ? "centred|MS Sans Serif|0.40" : "centred|MS Sans Serif|0.30");
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s, dots() ? "# 0.40 1.00 1.00 1.00" : "# 0.30 1.50  1.00 1.00 1.00");
  EXPECT_EQ(Allocator::allocations, 1);
  EXPECT_EQ(Allocator::releases, 0);
  std::free(s);
}

TEST_P(TextureDll, CancelOrCloseBoxKeepsTheOldStringUntouched) {
  char old[] = "# 0.20 1.00 1.00 1.00";
  for (int how = 0; how < 2; ++how) {
    std::vector<UiStep> steps;
    if (dots()) steps.push_back({"#32770", "Dots!", press(IDOK)});
    auto close_box = [](HWND dlg) { PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); };
    steps.push_back({"#32770", "", how == 0 ? press(dots() ? 106 : 101) : std::function<void(HWND)>(close_box)});
    UiScript script(steps);
    EXPECT_EQ(t.set(old, nullptr, &kAllocator), old);
    EXPECT_EQ(script.steps_done(), steps.size());
  }
  EXPECT_EQ(Allocator::allocations + Allocator::releases, 0);
}

TEST_P(TextureDll, TypedFieldsMakeTheNewStringAndZeroCancels) {
  char* old = static_cast<char*>(std::malloc(64));
  std::strcpy(old, "# 0.35 2.00 3.00 4.00");
  std::string shown;
  int radius = dots() ? 101 : 107;
  auto typed = set_text_then(radius, "0.25", set_text_then(103, "12345678901", press(105)));
  std::vector<UiStep> steps;
  if (dots()) steps.push_back({"#32770", "Dots!", expect_text_then("", press(IDOK), &shown)});
  steps.push_back({"#32770", "", typed});
  UiScript script(steps);
  char* s = t.set(old, nullptr, &kAllocator);
  EXPECT_EQ(script.steps_done(), steps.size());
  EXPECT_EQ(Allocator::released, old);
  ASSERT_NE(s, nullptr);
  // The dimple reads the dots' string as radius 0.35, depth 2, X 3, Y 4, Z unchanged.
  EXPECT_STREQ(s, dots() ? "# 0.25 2.00 123456792.00 4.00" : "# 0.25 2.00  3.00 123456792.00 1.00");
  if (dots()) {
    EXPECT_EQ(shown, "# 0.35 2.00 3.00 4.00");
  }
  std::free(old);

  steps.clear();
  if (dots()) steps.push_back({"#32770", "Dots!", press(IDOK)});
  steps.push_back({"#32770", "", set_text_then(104, "0", press(IDOK))});
  UiScript zero(steps);
  EXPECT_EQ(t.set(s, nullptr, &kAllocator), s);
  EXPECT_EQ(Allocator::allocations, 1);
  std::free(s);
}

TEST_P(TextureDll, FailingAllocateReleasesTheOldStringAndReturnsNull) {
  Allocator::fail = true;
  char old[] = "# 0.20 1.00 1.00 1.00";
  std::string text;
  bool icon = false, topmost = true;
  std::vector<UiStep> steps;
  if (dots()) steps.push_back({"#32770", "Dots!", press(IDOK)});
  steps.push_back({"#32770", "", press(105)});
  steps.push_back({"#32770", "Error", expect_text_then("", [&](HWND box) {
                     icon = SendDlgItemMessageA(box, 1088, STM_GETICON, 0, 0) != 0;
                     topmost = GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST;
                     PostMessageA(box, WM_COMMAND, IDOK, 0);
                   }, &text)});
  UiScript script(steps);
  EXPECT_EQ(t.set(old, nullptr, &kAllocator), nullptr);
  EXPECT_EQ(script.steps_done(), steps.size());
  EXPECT_EQ(text, "External shader: Out of memory");
  EXPECT_TRUE(icon);
  EXPECT_FALSE(topmost);  // task-modal, unlike the system-modal Startup warning
  EXPECT_EQ(Allocator::released, old);
  EXPECT_EQ(Allocator::releases, 1);
}

// One control of a parameter dialog: class, id, text and rectangle in dialog units. Labels
// have no size of their own in the layout (w = 0: only their position is compared).
struct Control {
  const char* window_class;
  int id;
  const char* text;
  int x, y, w, h;
  LONG style;  // style bits the control must have
};

// The live dialog against its layout: caption, frame, client size and each child in order.
std::vector<std::string> layout_faults(HWND dlg, const char* title, int w, int h,
                                       const std::vector<Control>& controls) {
  std::vector<std::string> faults;
  auto fault = [&](const std::string& what) { faults.push_back(what); };
  char text[256] = {};
  GetWindowTextA(dlg, text, sizeof text);
  if (std::strcmp(text, title) != 0) fault(std::string("caption ") + text);
  const LONG frame = DS_MODALFRAME | WS_CAPTION | WS_SYSMENU | WS_POPUP;
  if ((GetWindowLongA(dlg, GWL_STYLE) & frame) != frame) fault("dialog style");
  RECT size = {0, 0, w, h}, client;
  MapDialogRect(dlg, &size);
  GetClientRect(dlg, &client);
  if (client.right != size.right || client.bottom != size.bottom) fault("client size");
  HWND child = GetWindow(dlg, GW_CHILD);
  for (const Control& c : controls) {
    if (!child) {
      fault(std::string("missing ") + c.text);
      break;
    }
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    if (std::strcmp(cls, c.window_class) != 0) fault(std::string(c.text) + ": class " + cls);
    if ((GetDlgCtrlID(child) & 0xFFFF) != (c.id & 0xFFFF)) fault(std::string(c.text) + ": id");
    if (std::strcmp(c.window_class, "Edit") != 0 && std::strcmp(text, c.text) != 0)
      fault(std::string(c.text) + ": text " + text);
    if ((GetWindowLongA(child, GWL_STYLE) & c.style) != c.style) fault(std::string(c.text) + ": style");
    RECT at = {c.x, c.y, c.w, c.h}, got;
    MapDialogRect(dlg, &at);
    GetWindowRect(child, &got);
    MapWindowPoints(nullptr, dlg, (POINT*)&got, 2);
    if (got.left != at.left || got.top != at.top) fault(std::string(c.text) + ": position");
    if (c.w && (got.right - got.left != at.right || got.bottom - got.top != at.bottom))
      fault(std::string(c.text) + ": size");
    child = GetWindow(child, GW_HWNDNEXT);
  }
  if (child) fault("more controls than the layout");
  return faults;
}

TEST_P(TextureDll, DialogIsLaidOutAsDesigned) {
  const std::vector<Control> dimple_layout = {
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
  const std::vector<Control> dots_layout = {
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
                      faults = dots() ? layout_faults(dlg, "Simple Dots External Shader", 123, 112, dots_layout)
                                      : layout_faults(dlg, "Dimple shader", 223, 104, dimple_layout);
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
