#include "textures/texture_frame.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/message_box.h"

namespace {

// The decimal number at the start of text (after blanks), as atof reads it but without
// "inf", "nan" or hexadecimal forms, so every build reads the same values.
double decimal_prefix(const char* text) {
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  const char* start = p;
  if (*p == '+' || *p == '-') ++p;
  bool digits = false;
  while (*p >= '0' && *p <= '9') ++p, digits = true;
  if (*p == '.') {
    ++p;
    while (*p >= '0' && *p <= '9') ++p, digits = true;
  }
  if (!digits) return 0.0;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (*q >= '0' && *q <= '9') {
      while (*q >= '0' && *q <= '9') ++q;
      p = q;
    }
  }
  char number[16];  // fields hold at most 9 characters
  size_t n = size_t(p - start);
  if (n >= sizeof number) n = sizeof number - 1;
  std::memcpy(number, start, n);
  number[n] = '\0';
  return std::strtod(number, nullptr);
}

// The library's current values, as the starting point of a scan (missing values keep them).
void current_values(const TextureLibrary& lib, float* v) {
  for (int i = 0; i < kMaxTextureValues; ++i) v[i] = i < lib.value_count ? *lib.values[i] : 0.0f;
}

}  // namespace

float texture_cell_offset(float u) {
  float fraction = u - std::floor(u);
  return fraction - 0.5f;
}

bool texture_inside(float dx, float dy, float dz, float radius) {
  long double d2 = (long double)dx * dx + (long double)dy * dy + (long double)dz * dz;
  return d2 < radius;
}

void texture_scan(const char* text, const char* format, float* v) {
  if (!text || !text[0]) return;  // an empty string has no second character to read from
  std::sscanf(text + 1, format, &v[0], &v[1], &v[2], &v[3], &v[4]);
}

int texture_startup(const TextureLibrary& lib, const char* params, const UiTable& ui) {
  if (!params || params[0] != '#') {
    ui_message(ui, "External texture: Startup", "Parameter list missing", mb::SystemModal);
    return 1;
  }
  float v[kMaxTextureValues];
  current_values(lib, v);
  texture_scan(params, lib.startup_format, v);
  for (int i = 0; i < lib.startup_count; ++i) *lib.values[i] = v[i];
  return 1;
}

int texture_morph(const TextureLibrary& lib, const char* other, float t) {
  float o[kMaxTextureValues];
  current_values(lib, o);
  texture_scan(other, lib.startup_format, o);
  for (int i = 0; i < lib.startup_count; ++i) {
    float diff = *lib.values[i] - o[i];
    float scaled = diff * t;
    *lib.values[i] = o[i] + scaled;
  }
  return 1;
}

char* texture_set_parameters(const TextureLibrary& lib, char* old, const HostAllocator* allocator,
                             const UiTable& ui, TextureDialogRunner dialog, void* dialog_context) {
  if (old) {
    float v[kMaxTextureValues];
    current_values(lib, v);
    texture_scan(old, lib.read_format, v);
    for (int i = 0; i < lib.value_count; ++i) *lib.values[i] = v[i];
    if (lib.show_old_string) ui_message(ui, old, "Dots!", mb::TaskModal | mb::IconHand);
  }
  if (!dialog || dialog(dialog_context) != 1) return old;
  // Without both allocator entries nothing can change hands: the host keeps its string.
  if (!allocator || !allocator->allocate || !allocator->release) return old;
  if (old) allocator->release(old);

  char text[kTextureStringBuffer];
  int n = lib.format(text, sizeof text);
  if (n < 0 || size_t(n) >= sizeof text) n = 0, text[0] = '\0';
  char* block = static_cast<char*>(allocator->allocate(uint32_t(n) + 1));
  if (!block) {
    ui_message(ui, "External shader: Out of memory", "Error", mb::TaskModal | mb::IconHand);
    return nullptr;
  }
  std::memcpy(block, text, size_t(n) + 1);
  return block;
}

void texture_field_text(float value, char* out, size_t size) {
  std::snprintf(out, size, "%.2f", double(value));
}

int texture_accept_fields(const TextureLibrary& lib, const char* const* texts) {
  float v[kMaxTextureValues];
  for (int i = 0; i < lib.value_count; ++i) {
    char field[10];  // at most 9 characters of a field count
    const char* t = texts[i] ? texts[i] : "";
    size_t n = std::strlen(t);
    if (n > sizeof field - 1) n = sizeof field - 1;
    std::memcpy(field, t, n);
    field[n] = '\0';
    if (n == 0) return 0;
    float value = float(decimal_prefix(field));
    if (value == 0.0f || !std::isfinite(value)) return 0;
    v[i] = value;
  }
  for (int i = 0; i < lib.value_count; ++i) *lib.values[i] = v[i];
  return 1;
}
