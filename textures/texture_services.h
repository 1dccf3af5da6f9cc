#pragma once
#include <cstddef>
#include <cstdint>

#include "common/callconv.h"

// The host's services record, passed as the last argument of the texture procedure. The
// textures use two entries; the others belong to the host. Entries are called like the
// HostAllocator's: the caller removes the arguments.
struct TextureServices {
  void* entry0;
  // Fills out from the three cell offsets.
  void(ZEL_CDECL* make_vector)(float* out, float dx, float dy, float dz);
  void* entry8;
  void* entry12;
  void* entry16;
  // Called with the shading normal after the texture changed it.
  void(ZEL_CDECL* finish_normal)(float* normal);
};

static_assert(!ZEL_IS_32BIT || offsetof(TextureServices, make_vector) == 4, "make_vector at 4");
static_assert(!ZEL_IS_32BIT || offsetof(TextureServices, finish_normal) == 20, "finish_normal at 20");
