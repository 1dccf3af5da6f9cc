#include "effects/effect_frame.h"

#include <cstring>

#include "common/message_box.h"

namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const char* skip_blanks(const char* p) {
  while (is_blank(*p)) ++p;
  return p;
}

// Optional sign and decimal digits, clamped to 32 bits. Null when no digit follows.
const char* read_decimal(const char* p, int32_t* value) {
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (*p < '0' || *p > '9') return nullptr;
  int64_t v = 0;
  const int64_t limit = negative ? int64_t(INT32_MAX) + 1 : INT32_MAX;
  for (; *p >= '0' && *p <= '9'; ++p) {
    v = v * 10 + (*p - '0');
    if (v > limit) v = limit;
  }
  *value = int32_t(negative ? -v : v);
  return p;
}

}  // namespace

bool scan_word_then_number(const char* text, int32_t* value) {
  if (!text) return false;
  const char* p = skip_blanks(text);
  if (*p == '\0') return false;
  while (*p != '\0' && !is_blank(*p)) ++p;
  int32_t v = 0;
  if (!read_decimal(skip_blanks(p), &v)) return false;
  *value = v;
  return true;
}

int32_t field_number(const char* text) {
  int32_t v = 0;
  if (!text || !read_decimal(skip_blanks(text), &v)) return 0;
  return v;
}

char* effect_set_parameters(const EffectPlugin& plugin, char* old, const HostAllocator* allocator,
                            EffectDialogRun run_dialog, void* dialog_context, const UiTable& ui) {
  if (!allocator || !allocator->allocate || !allocator->release) return old;
  if (old && plugin.read_old) plugin.read_old(old);
  if (run_dialog(dialog_context) != kDialogOk) return old;
  if (old) allocator->release(old);

  char text[kEffectStringSize] = {};
  plugin.format(text, sizeof text);
  text[sizeof text - 1] = '\0';
  const size_t length = std::strlen(text);
  auto* block = static_cast<char*>(allocator->allocate(uint32_t(length + 1)));
  if (!block) {
    ui_message(ui, "External effect: Out of memory", "Error", mb::TaskModal | mb::IconHand);
    return nullptr;
  }
  std::memcpy(block, text, length + 1);
  return block;
}

void effect_preview(const EffectPlugin& plugin, const char* params, const EffectInfo* info,
                    EffectVertex* vertices) {
  if (!plugin.preview || !info || !vertices || info->vertex_count <= 0) return;
  plugin.preview(params, *info, vertices);
}
