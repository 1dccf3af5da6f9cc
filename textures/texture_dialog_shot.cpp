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

// The dialog's window (frame and caption included) as the screen shows it.
Pixels screen_pixels(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  Pixels p;
  p.width = r.right - r.left;
  p.height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = p.width;
  bi.bmiHeader.biHeight = -p.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, p.width, p.height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const uint32_t* px = static_cast<const uint32_t*>(bits);
  p.data.assign(px, px + size_t(p.width) * size_t(p.height));
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return p;
}

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
                      saved = write_bmp(screen_pixels(dlg), out.c_str());
                      press(IDOK)(dlg);
                    }}});
  const HostAllocator allocator = {host_allocate, host_release};
  char* s = set(nullptr, nullptr, &allocator);
  std::printf("%s: new parameter string \"%s\"%s\n", argv[1], s ? s : "(none)", saved ? "" : " (no picture)");
  std::free(s);
  return saved && s ? 0 : 1;
}
