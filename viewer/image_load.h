#pragma once
#include <cstddef>
#include <cstdint>

#include "common/ui.h"
#include "viewer/image.h"

// Pieces of the load sequence shared by the four loaders.

// "'NAME' is NOT a valid ... " in the 128-byte warning buffer: a name too long to fit is
// cut at its front and shown as "..." and its last characters, so the text always ends
// with `suffix`.
void WarnNotValid(const UiTable& ui, const char* name, const char* suffix);

// Allocates a zero-filled header block of 40 + extra bytes; false when it cannot.
bool AllocateHeader(LoadedImage& image, size_t extra);
// Allocates a zero-filled pixel block; false when it cannot or when `bytes` is beyond the
// largest block a load asks for.
bool AllocatePixels(LoadedImage& image, uint64_t bytes);

// Writes the fields of a made header: biSize 40, biWidth stride, biHeight height, one
// plane, no compression, no resolution.
void FillMadeHeader(LoadedImage& image, int bits, uint32_t size_image, uint32_t colours);
