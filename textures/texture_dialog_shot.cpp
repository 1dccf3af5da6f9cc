// texture_dialog_shot DLL OUT.bmp [ID=TEXT]...: opens a texture DLL's parameter dialog
// through _SetExternalParameters as the host does, types the given field texts, saves a
// picture of the dialog as it stands on the screen, presses Ok and prints the new string.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/host_allocator.h"
#include "tests/win32/testkit.h"

namespace {

void* __cdecl host_allocate(uint32_t size) { return std::malloc(size); }
void __cdecl host_release(void* block) { std::free(block); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: texture_dialog_shot DLL OUT.bmp [ID=TEXT]...\n");
    return 2;
  }
  HMODULE dll = LoadLibraryA(argv[1]);
  using SetFn = char*(__stdcall*)(char*, HWND, const HostAllocator*);
  SetFn set = dll ? (SetFn)(void*)GetProcAddress(dll, "_SetExternalParameters") : nullptr;
  if (!set) {
    std::fprintf(stderr, "texture_dialog_shot: no _SetExternalParameters in %s\n", argv[1]);
    return 1;
  }
  std::vector<std::pair<int, std::string>> typed;
  for (int i = 3; i < argc; ++i) {
    std::string a = argv[i];
    size_t eq = a.find('=');
    if (eq != std::string::npos) typed.push_back({std::atoi(a.substr(0, eq).c_str()), a.substr(eq + 1)});
  }
  std::string out = argv[2];
  bool saved = false;
  UiScript script({{"#32770", "", [&](HWND dlg) {
                      for (const auto& t : typed) SetDlgItemTextA(dlg, t.first, t.second.c_str());
                      RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
                      saved = write_bmp(read_window_pixels(dlg), out.c_str());
                      press(IDOK)(dlg);
                    }}});
  const HostAllocator allocator = {host_allocate, host_release};
  char* s = set(nullptr, nullptr, &allocator);
  std::printf("%s: new parameter string \"%s\"%s\n", argv[1], s ? s : "(none)", saved ? "" : " (no picture)");
  std::free(s);
  return saved && s ? 0 : 1;
}
