#pragma once
#include <cstddef>
#include <cstdint>

#include "common/host_allocator.h"
#include "common/ui.h"
#include "effects/effect_records.h"

// The part every effect library shares: the parameter-string protocol of
// _SetExternalParameters, the per-frame dispatch and the scans of old strings. Each library
// supplies one EffectPlugin record with its own parameters, maths and (optionally) one edit
// field of its dialog; the Win32 frame (effect_dll.cpp) turns the record into the exports.

// New parameter strings are built in a buffer of this size before they go to host memory.
constexpr size_t kEffectStringSize = 128;

// An edit field of the dialog: filled with an unsigned number when the dialog opens, its
// first max_chars characters handed to accept() on Ok.
struct EffectField {
  int control_id;  // 0: the dialog has no field
  int max_chars;
  uint32_t (*shown)();
  void (*accept)(const char* text);
};

struct EffectPlugin {
  const char* name;
  // Takes the settings out of an old parameter string; null when the old string is ignored.
  void (*read_old)(const char* old);
  // Writes the new parameter string (zero-terminated, within size bytes).
  void (*format)(char* out, size_t size);
  // Moves the vertices for one frame; null when the effect leaves them alone.
  void (*preview)(const char* params, const EffectInfo& info, EffectVertex* vertices);
  EffectField field;
};

// Dialog results.
constexpr int kDialogOk = 1;
constexpr int kDialogCancel = 0;

// Shows the effect's dialog and returns its result (anything but kDialogOk counts as Cancel).
using EffectDialogRun = int (*)(void* context);

// _SetExternalParameters: read the old string, run the dialog; on Cancel hand the old string
// back untouched; on Ok release the old string, then allocate and fill the new one. When the
// allocation fails the user is told "External effect: Out of memory" and the result is null
// (the old string is gone by then). Without a usable allocator nothing is shown and the old
// string comes back unchanged.
char* effect_set_parameters(const EffectPlugin& plugin, char* old, const HostAllocator* allocator,
                            EffectDialogRun run_dialog, void* dialog_context, const UiTable& ui);

// _PreviewExternalEffect: moves vertices 0 .. count-1 as the plugin prescribes. Null records
// or a count of zero or less leave everything alone.
void effect_preview(const EffectPlugin& plugin, const char* params, const EffectInfo* info,
                    EffectVertex* vertices);

// _RenderExternalEffect: changes nothing, answers 1.
inline int effect_render() { return 1; }

// Reads an old string as the scan "%s %ld" does: a first word of any length (skipped, never
// copied), then a signed decimal number. False when there is no number; values outside the
// 32-bit range are clamped.
bool scan_word_then_number(const char* text, int32_t* value);

// The conversion of a dialog field's text: leading white space skipped, an optional sign,
// decimal digits up to the first other character; no digits give 0.
int32_t field_number(const char* text);
