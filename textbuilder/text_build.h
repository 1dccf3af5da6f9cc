#pragma once
#include <cstddef>
#include <cstdint>

#include "common/ui.h"
#include "textbuilder/model_interface.h"

// The solid letter builder: writes a line of text into the host's model, one letter object
// per character, each with a follow point object beneath it, and asks the host to extrude,
// bevel and fill every outline, colouring the new faces.

// The host's settings record (owned by the host, edited by the dialog, read by the previews
// and the builder). Little-endian, laid out byte for byte as declared.
struct TextBuildSettings {
  int32_t bevel_front;      // 0 or 1: "Front"
  int32_t bevel_back;       // 0 or 1: "Back"
  int32_t bevel_angle;      // degrees, dialog range 5..80
  int32_t bevel_depth;      // dialog range 0..100
  int32_t extrusion_width;  // thickness of the letters, dialog range 0..100 (100 = one em)
  int32_t preview_char;     // dialog and previews only
  int32_t fill_faces;       // 1 "Fill front and back", 0 "Don't fill"
  int32_t hold_point;       // 0..6: bottom left, bottom centre, bottom right, centre,
                            // top left, top centre, top right
  int32_t direction;        // +1 "Build left to right", -1 "Build right to left"
  char font_path[128];      // NUL-terminated
  char text[64];            // NUL-terminated; the dialog stores at most 20 characters
  uint8_t face_color[3];    // red, green, blue
  uint8_t side_color[3];
  uint8_t bevel_color[3];
};

// The record holds no pointers, so its offsets are the same in every build.
static_assert(offsetof(TextBuildSettings, bevel_front) == 0x00, "bevel_front");
static_assert(offsetof(TextBuildSettings, bevel_back) == 0x04, "bevel_back");
static_assert(offsetof(TextBuildSettings, bevel_angle) == 0x08, "bevel_angle");
static_assert(offsetof(TextBuildSettings, bevel_depth) == 0x0C, "bevel_depth");
static_assert(offsetof(TextBuildSettings, extrusion_width) == 0x10, "extrusion_width");
static_assert(offsetof(TextBuildSettings, preview_char) == 0x14, "preview_char");
static_assert(offsetof(TextBuildSettings, fill_faces) == 0x18, "fill_faces");
static_assert(offsetof(TextBuildSettings, hold_point) == 0x1C, "hold_point");
static_assert(offsetof(TextBuildSettings, direction) == 0x20, "direction");
static_assert(offsetof(TextBuildSettings, font_path) == 0x24, "font_path");
static_assert(offsetof(TextBuildSettings, text) == 0xA4, "text");
static_assert(offsetof(TextBuildSettings, face_color) == 0xE4, "face_color");
static_assert(offsetof(TextBuildSettings, side_color) == 0xE7, "side_color");
static_assert(offsetof(TextBuildSettings, bevel_color) == 0xEA, "bevel_color");
static_assert(sizeof(TextBuildSettings) == 0xF0, "TextBuildSettings is 0xED bytes padded to 0xF0");

// Derived sizes in model units (1/32 font unit, 32000 to the em).
// Thickness g: extrusion_width 100 gives one em; 0 (or less) gives 0.
int32_t text_thickness(const TextBuildSettings& settings);

// The whole build, into `model`, with the owner window's boxes ("Out of memory", "Font
// corrupt", caption "QEL") shown through `ui`. The glyphs are read with the font reader as
// font_reader_setup left it (glyph-name table and the reader's own UI table for "No
// character in font"): set it up before the first build. Whatever stops the build, all
// that was built stays in the model, every vertex from the count at the start on is
// selected and the 3D cursor is put back. Never throws.
void build_text(const TextBuildSettings& settings, ModelInterface* model, const UiTable& ui) noexcept;

// For every vertex index i with from <= i < to: select turns a selection byte 0 into 1 (one
// more selected, one fewer unselected vertex); deselect does the reverse for a byte 1. Other
// byte values are left alone.
void select_vertices(ModelInterface* model, int32_t from, int32_t to);
void deselect_vertices(ModelInterface* model, int32_t from, int32_t to);

// Sets the jitter generator's 32-bit state (1 when the library is loaded, never reseeded by
// a build), so that a test can start from the state a fresh load has.
void set_text_jitter_state(uint32_t state);
