#pragma once
// What every texture plug-in shares: the parameter-string protocol (Startup, Morph and the
// allocate/release dance of _SetExternalParameters) and the rules of the parameter dialog.
// A library describes itself with one TextureLibrary record: its module-state values, its
// string formats, its dialog controls and its per-sample procedure.
#include <cstddef>
#include <cstdint>

#include "common/host_allocator.h"
#include "common/ui.h"
#include "textures/texture_services.h"

constexpr int kMaxTextureValues = 5;

// One sample point of a textured surface, as the host hands it to the procedure.
struct TextureSample {
  float x, y, z;
  const uint8_t* shader_colour;     // the face's shader colour, three bytes
  float* colour;                    // colour result, written only where the texture applies
  float* normal;                    // shading normal, changed in place by textures that shade
  const TextureServices* services;  // host services
};

struct TextureLibrary {
  float* values[kMaxTextureValues];  // the module state, in parameter-string order
  int value_count;                   // values in the string and in the dialog
  const char* read_format;           // sscanf format of all values, from the 2nd character
  const char* startup_format;        // what Startup and Morph read
  int startup_count;                 // values Startup reads and Morph blends
  // Writes the parameter string of the current values; the result of snprintf.
  int (*format)(char* out, size_t size);
  bool show_old_string;               // the old string is shown in a box before the dialog
  int field_ids[kMaxTextureValues];  // dialog edit controls, in reading order
  int ok_id;
  int cancel_id;
  int (*procedure)(const TextureSample& sample);
};

// Widest parameter string any library writes: five "%.2f" values of the largest float
// (43 characters each) plus the separators, rounded up.
constexpr size_t kTextureStringBuffer = 512;

// Startup: a string beginning with "#" sets the values it holds (missing ones stay as they
// are); anything else shows "External texture: Startup" / "Parameter list missing"
// (system-modal) and keeps the values. Always 1.
int texture_startup(const TextureLibrary& lib, const char* params, const UiTable& ui);

// Morph: value = other + (value - other) * t for the values Startup reads; values missing
// from the other string keep the current ones. Always 1.
int texture_morph(const TextureLibrary& lib, const char* other, float t);

// The dialog run by _SetExternalParameters: 1 accepted, anything else cancelled.
using TextureDialogRunner = int (*)(void* context);

// _SetExternalParameters: reads the old string (if any), shows the dialog, and on accept
// releases the old string and returns a new one from the host's allocator (null, after the
// "External shader: Out of memory" box, when the allocator has none). On cancel the old
// pointer comes back and neither allocator entry is called.
char* texture_set_parameters(const TextureLibrary& lib, char* old, const HostAllocator* allocator,
                             const UiTable& ui, TextureDialogRunner dialog, void* dialog_context);

// The text a dialog field starts with ("%.2f").
void texture_field_text(float value, char* out, size_t size);

// Dialog Ok: takes the fields' texts in reading order (at most 9 characters of each count).
// An empty field, a zero or a value that is not a finite number cancels (0) and leaves the
// values untouched; otherwise all values are stored and the result is 1.
int texture_accept_fields(const TextureLibrary& lib, const char* const* texts);

// Offset of a lattice coordinate from the centre of its cell, in [-0.5, 0.5) (floor rounds
// toward minus infinity, so -0.2 gives 0.3).
float texture_cell_offset(float u);

// Whether the cell offsets lie within the squared radius. The squares of floats are exact in
// long double, so every build decides alike; a NaN offset or radius counts as outside.
bool texture_inside(float dx, float dy, float dz, float radius);

// Reads as many of the library's values as `format` yields from text (which may be null or
// empty: nothing is read) into values[]; the others keep what they hold.
void texture_scan(const char* text, const char* format, float* values);
