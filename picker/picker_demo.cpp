// picker_demo.exe SHEET OUT.bmp X Y: plays the host for STAMPICK. Opens a host window, calls
// _GetPresetMapImage on SHEET with it as the owner, writes the picker's window as shown to
// OUT.bmp once it has painted, then clicks client point (X, Y) and prints what the export
// answered. Exit status 0 when the picker answered the stamp under the click.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "picker/picker_driver.h"
#include "picker/stamp_grid.h"
#include "tests/win32/pixels.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: picker_demo SHEET OUT.bmp X Y\n");
    return 2;
  }
  const int x = std::atoi(argv[3]), y = std::atoi(argv[4]);
  HMODULE dll = LoadLibraryA("STAMPICK.dll");
  auto pick = dll ? reinterpret_cast<picker_driver::GetPresetMapImageFn>(
                         reinterpret_cast<void*>(GetProcAddress(dll, "_GetPresetMapImage")))
                  : nullptr;
  if (!pick) {
    std::fprintf(stderr, "picker_demo: no _GetPresetMapImage in STAMPICK.dll\n");
    return 1;
  }
  HWND host = picker_driver::open_host("PickerDemoHost", DKGRAY_BRUSH, GetSystemMetrics(SM_CXSCREEN),
                                      GetSystemMetrics(SM_CYSCREEN));

  bool written = false, owner_disabled = false;
  RECT client = {};
  int32_t answer = 0;
  {
    picker_driver::Driver driver({picker_driver::wait(300), picker_driver::look([&](HWND w) {
                                    owner_disabled = !IsWindowEnabled(host);
                                    GetClientRect(w, &client);
                                    written = write_bmp(read_window_pixels(w), argv[2]);
                                  }),
                                  picker_driver::press(x, y), picker_driver::release(x, y), picker_driver::wait(500),
                                  picker_driver::close_box()});
    answer = pick(host, argv[1]);
  }
  const int32_t expected = picker::stamp_at(uint32_t(x), uint32_t(y));
  std::printf("picker on %s: client area %ldx%ld, host window %s while open; click (%d, %d) -> %d (stamp under "
              "it: %d); picture %s\n",
              argv[1], client.right, client.bottom, owner_disabled ? "disabled" : "ENABLED", x, y, answer, expected,
              written ? argv[2] : "NOT written");
  DestroyWindow(host);
  FreeLibrary(dll);
  return written && owner_disabled && answer == expected ? 0 : 1;
}
