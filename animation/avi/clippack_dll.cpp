// CLIPPACK.dll: the AVI writer's export and library entry (Win32 shell over the core).
#include <windows.h>

#include <cstdint>

#include "animation/avi/avi_export.h"
#include "animation/frameset/frameset_win32.h"
#include "common/win32_ui.h"

namespace {

HINSTANCE g_module = nullptr;

void version_warning(void*) {
  MessageBeep(MB_ICONHAND);
  MessageBoxA(nullptr, "Version", nullptr, MB_ICONHAND);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = module;
    MessageBoxA(GetFocus(), "AVI builder attaching", "Debug", MB_OK);
  } else if (reason == DLL_PROCESS_DETACH) {
    MessageBoxA(GetFocus(), "AVI builder detaching", "Debug", MB_OK);
  }
  return TRUE;
}

// Twelve 32-bit arguments; the callee removes them (48 bytes).
extern "C" int32_t __stdcall BuildAvi(uint32_t reserved, HWND status, int32_t first, int32_t end, char* outputPath,
                                      const char* framePrefix, int32_t width, int32_t height, uint32_t colourCount,
                                      int32_t speed, uint32_t* colourCounts, uint16_t* colourList) noexcept {
  try {
    Win32UiTarget target{nullptr, status};
    BuildAviArgs args;
    args.first = first;
    args.end = end;
    args.outputPath = outputPath;
    args.framePrefix = framePrefix;
    args.width = width;
    args.height = height;
    args.colourCount = colourCount;
    args.speed = speed;
    args.colourCounts = colourCounts;
    args.colourList = colourList;
    AviExportPlatform platform;
    platform.frames = FrameSetLocalHeapPlatform();
    platform.version_warning = version_warning;
    return BuildAviRun(args, win32_ui(&target), platform);
  } catch (...) {
    return 0;
  }
}
