// Fuzz target: the texture libraries' parameter strings. The input is taken as one string
// for Startup, Morph and the old string of _SetExternalParameters, and, split at newlines,
// as the texts of the dialog's fields on Ok. Module state is reset before each library's
// turn, as a freshly loaded library has it.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "textures/dimple/dimple.h"
#include "textures/dots/dots.h"
#include "textures/texture_frame.h"

namespace {

int g_live = 0;  // blocks handed out by the host allocator and not released
void* ZEL_CDECL host_allocate(uint32_t size) {
  ++g_live;
  return std::malloc(size ? size : 1);
}
void ZEL_CDECL host_release(void* block) {
  if (!block) std::abort();
  --g_live;
  std::free(block);
}
const HostAllocator kAllocator = {host_allocate, host_release};

int count_box(void* context, const char*, const char*, uint32_t) {
  ++*static_cast<int*>(context);
  return 1;
}

struct Dialog {
  const TextureLibrary* lib;
  std::vector<std::string> fields;
};

int run_dialog(void* context) {
  auto* d = static_cast<Dialog*>(context);
  std::vector<const char*> texts;
  for (int i = 0; i < kMaxTextureValues; ++i)
    texts.push_back(size_t(i) < d->fields.size() ? d->fields[size_t(i)].c_str() : "");
  return texture_accept_fields(*d->lib, texts.data());
}

void ZEL_CDECL make_vector(float* out, float dx, float dy, float dz) {
  out[0] = dx;
  out[1] = dy;
  out[2] = dz;
}
void ZEL_CDECL finish_normal(float*) {}

void exercise(const TextureLibrary& lib, const std::string& text, const std::vector<std::string>& fields) {
  int boxes = 0;
  const UiTable ui{&boxes, count_box, nullptr};
  texture_startup(lib, text.c_str(), ui);
  if ((text.empty() || text[0] != '#') != (boxes == 1)) std::abort();  // the "missing" box, only then
  texture_morph(lib, text.c_str(), 0.25f);

  // _SetExternalParameters with the input as the old string, the fields deciding Ok or Cancel.
  char* old = static_cast<char*>(host_allocate(uint32_t(text.size() + 1)));
  std::memcpy(old, text.c_str(), text.size() + 1);
  Dialog dialog{&lib, fields};
  char* result = texture_set_parameters(lib, old, &kAllocator, ui, run_dialog, &dialog);
  if (result == old) {
    // Cancelled: the host keeps its string, nothing else was handed out.
    if (g_live != 1) std::abort();
  } else {
    if (!result || g_live != 1 || std::strlen(result) >= kTextureStringBuffer) std::abort();
    // Accepted values are finite and not zero.
    for (int i = 0; i < lib.value_count; ++i)
      if (!std::isfinite(*lib.values[i]) || *lib.values[i] == 0.0f) std::abort();
  }
  host_release(result);

  // The fields the dialog would open with next time.
  char field[64];
  for (int i = 0; i < lib.value_count; ++i) texture_field_text(*lib.values[i], field, sizeof field);
  // One sample at a point the input picks, with whatever values the strings left.
  float colour[3] = {0, 0, 0};
  float normal[3] = {0, 0, 1};
  const uint8_t shader[3] = {10, 20, 30};
  const TextureServices services{nullptr, make_vector, nullptr, nullptr, nullptr, finish_normal};
  float x = text.empty() ? 0.0f : float(uint8_t(text[0])) / 7.0f;
  lib.procedure(TextureSample{x, -x, 0.5f, shader, colour, normal, &services});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The host's strings end at their first NUL.
  std::string text(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n') {
      fields.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  dimple_reset();
  exercise(dimple_library(), text, fields);
  dots_reset();
  exercise(dots_library(), text, fields);
  return 0;
}
