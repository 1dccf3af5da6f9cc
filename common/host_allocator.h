#pragma once
#include <cstddef>
#include <cstdint>

#include "common/callconv.h"

// The host's allocator, handed to the texture and effect plug-ins for their parameter
// strings: allocate first, then release; the caller removes the arguments of both.
struct HostAllocator {
  void*(ZEL_CDECL* allocate)(uint32_t size);  // null when no memory is left
  void(ZEL_CDECL* release)(void* block);      // a block obtained from allocate
};

static_assert(!ZEL_IS_32BIT || sizeof(HostAllocator) == 8, "HostAllocator is two pointers");
static_assert(offsetof(HostAllocator, release) == sizeof(void*), "release follows allocate");
