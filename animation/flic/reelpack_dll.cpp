// REELPACK.dll: the export _BuildFli (stdcall, twelve 32-bit arguments).
#include <windows.h>

#include <cstdint>

#include "animation/flic/flic_writer.h"
#include "animation/frameset/frameset_win32.h"
#include "common/win32_ui.h"

namespace {
HINSTANCE g_module = nullptr;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = instance;
  return TRUE;
}

extern "C" int32_t __stdcall BuildFli(uint32_t reserved, HWND status, int32_t first, int32_t end,
                                      char* output, const char* prefix, int32_t width, int32_t height,
                                      uint32_t colourCount, int32_t speed, uint32_t* colourCounts,
                                      uint16_t* colourList) noexcept {
  try {
    Win32UiTarget target{nullptr, status};  // boxes owned by the focus window
    BuildFliArgs args;
    args.first = first;
    args.end = end;
    args.outputPath = output;
    args.framePrefix = prefix;
    args.width = width;
    args.height = height;
    args.colourCount = colourCount;
    args.speed = speed;
    args.colourCounts = colourCounts;
    args.colourList = colourList;
    return BuildFli(args, win32_ui(&target), FrameSetGlobalHeapPlatform());
  } catch (...) {
    return 0;
  }
}
