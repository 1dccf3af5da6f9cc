// Fuzz target: the effect libraries' parameter strings. The input is taken as one string
// for the old string of _SetExternalParameters and for the per-frame string of
// _PreviewExternalEffect; split at newlines, its second line is what the user typed into
// the dialog's field (Ok), and a single line means Cancel. Module state is set back to a
// freshly loaded library's before each library's turn.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "effects/effect_frame.h"
#include "effects/gather/gather.h"
#include "effects/shake/shake.h"
#include "effects/spring/spring.h"

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

int no_box(void*, const char*, const char*, uint32_t) { return 1; }

struct Dialog {
  const EffectPlugin* plugin;
  const std::vector<std::string>* lines;
};

// Ok with the typed text when there is a second line; the field hands over at most
// max_chars characters, as the edit control's text limit does.
int run_dialog(void* context) {
  auto* d = static_cast<Dialog*>(context);
  if (d->lines->size() < 2) return kDialogCancel;
  const EffectField& f = d->plugin->field;
  if (f.control_id != 0) {
    f.shown();
    std::string typed = (*d->lines)[1].substr(0, size_t(f.max_chars));
    f.accept(typed.c_str());
  }
  return kDialogOk;
}

void exercise(const EffectPlugin& plugin, const std::string& text, const std::vector<std::string>& lines,
              float phase) {
  const UiTable ui{nullptr, no_box, nullptr};
  char* old = static_cast<char*>(host_allocate(uint32_t(text.size() + 1)));
  std::memcpy(old, text.c_str(), text.size() + 1);
  Dialog dialog{&plugin, &lines};
  char* result = effect_set_parameters(plugin, old, &kAllocator, run_dialog, &dialog, ui);
  if (g_live != 1 || !result) std::abort();
  if (result != old) {
    if (std::strlen(result) >= kEffectStringSize) std::abort();
    // The new string carries what the library holds now: spring's compression reads back.
    if (&plugin == &spring_plugin()) {
      int32_t back = 0;
      if (!scan_word_then_number(result, &back) || back != spring_compression()) std::abort();
    }
  }
  host_release(result);

  EffectInfo info{};
  info.vertex_count = 3;
  info.min_x = -10, info.min_y = 0, info.min_z = 0;
  info.max_x = 10, info.max_y = 50, info.max_z = 20;
  info.phase = phase;
  EffectVertex vertices[3] = {{-10, 0, 0}, {0, 25, 10}, {10, 50, 20}};
  effect_preview(plugin, text.c_str(), &info, vertices);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The host's strings end at their first NUL.
  std::string text(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n') {
      lines.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  // A phase from the input's last bytes: ordinary values, and now and then one that is not
  // a finite number.
  float phase = 0.5f;
  if (size >= 4) std::memcpy(&phase, data + size - 4, 4);

  int32_t word = 0;
  scan_word_then_number(text.c_str(), &word);
  field_number(text.c_str());

  exercise(shake_plugin(), text, lines, phase);
  spring_set_compression(75);
  exercise(spring_plugin(), text, lines, phase);
  exercise(gather_plugin(), text, lines, phase);
  return 0;
}
