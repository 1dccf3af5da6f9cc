#pragma once
// A host allocator for tests: counts its calls, notes the last size asked for and the last
// block released, and can be told to fail. Blocks come from malloc; release frees them only
// when `frees` is set (tests that hand over strings on the stack leave it clear).
#include <cstdlib>

#include "common/host_allocator.h"

struct CountingAllocator {
  static inline int allocations = 0, releases = 0;
  static inline uint32_t last_size = 0;
  static inline void* released = nullptr;
  static inline bool fail = false, frees = false;
  static void reset(bool free_released) {
    allocations = releases = 0;
    last_size = 0;
    released = nullptr;
    fail = false;
    frees = free_released;
  }
  static void* ZEL_CDECL allocate(uint32_t size) {
    ++allocations;
    last_size = size;
    return fail ? nullptr : std::malloc(size);
  }
  static void ZEL_CDECL release(void* block) {
    ++releases;
    released = block;
    if (frees) std::free(block);
  }
};
inline HostAllocator g_counting_allocator = {CountingAllocator::allocate, CountingAllocator::release};
