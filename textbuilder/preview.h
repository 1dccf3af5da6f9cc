#pragma once
#include <cstdint>

#include "common/ui.h"
#include "textbuilder/charstring.h"
#include "textbuilder/text_build.h"

// The builder dialog's two live drawings: the shape preview (the preview character's
// outline, plus a copy of every segment shifted by the bevel depth along its left normal)
// and the profile preview (a letter's cross-section with its thickness and bevels).
//
// refresh_preview loads the preview character and keeps its outline, normalised into a
// box of 0..1050 units (origin lower left, y up), in a module-wide SegmentList that every
// later repaint reads. The drawings go through a tiny canvas that the Win32 shell maps to
// GDI and tests record, so every line's end points are known without a window.

constexpr int32_t kPreviewBox = 1050;          // normalisation box, outline units
constexpr int32_t kPreviewStatusMax = 60;      // status line: at most this many characters
constexpr double kPreviewPi = 3.1415926;

// The outline of the last refresh_preview (empty when there is none).
SegmentList& preview_segments();
// Releases the outline (the dialog ends, or a new preview starts).
void release_preview();

// Rebuilds the outline for settings.preview_char of settings.font_path. The status line
// (the font's first line, cut at CR/LF and after 60 characters) goes to ui.progress, and
// only when the font opens; "Out of memory" and "Font corrupt" go to ui.message_box with
// the caption "QEL". A negative preview character (a byte above 127 stored signed) has no
// glyph-name record: the outline stays empty and no scan is made.
void refresh_preview(const TextBuildSettings& settings, const UiTable& ui);

// The normalisation step of refresh_preview on its own: unit left normals from the
// unscaled coordinates (a zero-length segment gets the normal 0, 0), then every coordinate
// shifted to the outline's lower left corner and scaled so that the larger side spans
// 1050 units. The box is that of every end point; an outline with no extent is only shifted.
void normalise_preview(SegmentList* list);

// What the drawings ask of a device context.
struct PreviewPoint {
  int32_t x, y;
};
struct PreviewCanvas {
  void* context;
  // A rectangle with the pen and brush currently selected (the frame, and the profile's
  // section once the red pen is in).
  void (*rectangle)(void* context, int32_t left, int32_t top, int32_t right, int32_t bottom);
  // Selects the solid red one-pixel pen (on) or restores the old pen and deletes it (off).
  void (*red_pen)(void* context, bool on);
  // An open polyline of n points (a line is n = 2).
  void (*polyline)(void* context, const PreviewPoint* points, int32_t n);
};

// Control 101 and control 102, drawn into the item rectangle.
void draw_shape_preview(const PreviewCanvas& canvas, const TextBuildSettings& settings, const SegmentList& list,
                        int32_t left, int32_t top, int32_t right, int32_t bottom);
void draw_profile_preview(const PreviewCanvas& canvas, const TextBuildSettings& settings, int32_t left,
                          int32_t top, int32_t right, int32_t bottom);
