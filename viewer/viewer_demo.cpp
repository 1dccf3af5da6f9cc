// viewer_demo.exe: plays the host's part for the demo. Starts viewer.exe, writes FILE and
// PATH into MORVANE.INI and sends command 107, then MAPFILE and command 109, photographs
// the viewer's window after each load, and ends the viewer with command 106.
//
//   viewer_demo FILE_FOLDER FILE MAPFILE OUT_107.bmp OUT_109.bmp
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/win32/pixels.h"
#include "viewer/view_window.h"

namespace {

std::string caption_of(HWND w) {
  char caption[512] = {};
  GetWindowTextA(w, caption, sizeof caption);
  return caption;
}

bool wait_for_caption(HWND w, const std::string& old, DWORD timeout_ms) {
  for (const DWORD start = GetTickCount(); GetTickCount() - start < timeout_ms; Sleep(20))
    if (caption_of(w) != old) return true;
  return false;
}

// The window as the screen shows it, once two pictures 100 ms apart agree.
bool photograph(HWND w, const char* path) {
  Pixels last = read_window_pixels(w);
  for (int i = 0; i < 30; ++i) {
    Sleep(100);
    Pixels now = read_window_pixels(w);
    if (now.data == last.data) break;
    last = now;
  }
  return last.width > 0 && write_bmp(last, path);
}

int fail(const char* what) {
  std::fprintf(stderr, "viewer_demo: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) return fail("usage: viewer_demo FILE_FOLDER FILE MAPFILE OUT_107.bmp OUT_109.bmp");
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  char command[] = "viewer.exe";
  if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return fail("viewer.exe does not start");
  HWND w = nullptr;
  for (int i = 0; i < 250 && !(w && IsWindowVisible(w)); ++i, Sleep(20)) w = FindWindowA(view::kClassName, nullptr);
  if (!w) {
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    std::fprintf(stderr, "viewer_demo: viewer.exe status %lu (259: still running)\n", code);
    return fail("no viewer window");
  }

  int status = 0;
  WritePrivateProfileStringA(view::kSection, "FILE", argv[2], view::kProfileFile);
  WritePrivateProfileStringA(view::kSection, "PATH", argv[1], view::kProfileFile);
  std::string before = caption_of(w);
  PostMessageA(w, WM_COMMAND, view::kCmdHostFile, 0);
  if (!wait_for_caption(w, before, 5000) || !photograph(w, argv[4])) status = fail("command 107 showed nothing");
  std::printf("107: %s\n", caption_of(w).c_str());

  WritePrivateProfileStringA(view::kSection, "MAPFILE", argv[3], view::kProfileFile);
  before = caption_of(w);
  PostMessageA(w, WM_COMMAND, view::kCmdMapFile, 0);
  if (!wait_for_caption(w, before, 5000) || !photograph(w, argv[5])) status = fail("command 109 showed nothing");
  std::printf("109: %s\n", caption_of(w).c_str());

  PostMessageA(w, WM_COMMAND, view::kCmdQuit, 0);
  if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 1);
    status = fail("viewer.exe did not end on command 106");
  }
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return status;
}
