#include "animation/frameset/frameset_win32.h"

#include <windows.h>

namespace {

void* global_allocate(size_t bytes) { return GlobalAlloc(GMEM_FIXED, bytes ? bytes : 1); }
void global_release(void* block) {
  if (block) GlobalFree(block);
}
void* local_allocate(size_t bytes) { return LocalAlloc(LMEM_FIXED, bytes ? bytes : 1); }
void local_release(void* block) {
  if (block) LocalFree(block);
}
FILE* open_file(const char* name, const char* mode) { return std::fopen(name, mode); }
bool delete_file(const char* name) { return DeleteFileA(name) != 0; }

const FrameSetPlatform kGlobal = {global_allocate, global_release, open_file, delete_file};
const FrameSetPlatform kLocal = {local_allocate, local_release, open_file, delete_file};

}  // namespace

const FrameSetPlatform* FrameSetGlobalHeapPlatform() { return &kGlobal; }
const FrameSetPlatform* FrameSetLocalHeapPlatform() { return &kLocal; }
