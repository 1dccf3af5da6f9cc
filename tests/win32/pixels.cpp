#include "tests/win32/pixels.h"

#include <cstdio>

namespace {

// Copies w x h pixels at (x, y) of a device context into a top-down 32-bit DIB.
Pixels capture(HDC source, int x, int y, int w, int h) {
  Pixels p;
  if (w <= 0 || h <= 0) return p;
  p.width = w;
  p.height = h;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib) {
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, source, x, y, SRCCOPY);
    GdiFlush();
    const uint32_t* src = static_cast<const uint32_t*>(bits);
    p.data.assign(src, src + size_t(w) * size_t(h));
    for (uint32_t& v : p.data) v &= 0x00FFFFFF;
    SelectObject(mem, old);
    DeleteObject(dib);
  } else {
    p = Pixels();
  }
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return p;
}

}  // namespace

Pixels read_client_pixels(HWND window) {
  RECT rc;
  GetClientRect(window, &rc);
  HDC dc = GetDC(window);
  Pixels p = capture(dc, 0, 0, rc.right, rc.bottom);
  ReleaseDC(window, dc);
  return p;
}

Pixels read_window_pixels(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  HDC screen = GetDC(nullptr);
  Pixels p = capture(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
  ReleaseDC(nullptr, screen);
  return p;
}

bool write_bmp(const Pixels& p, const char* path) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  uint32_t image = uint32_t(p.width) * uint32_t(p.height) * 4;
  BITMAPFILEHEADER fh = {};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  fh.bfSize = fh.bfOffBits + image;
  BITMAPINFOHEADER ih = {};
  ih.biSize = sizeof ih;
  ih.biWidth = p.width;
  ih.biHeight = -p.height;
  ih.biPlanes = 1;
  ih.biBitCount = 32;
  ih.biCompression = BI_RGB;
  bool ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&ih, sizeof ih, 1, f) == 1 &&
            std::fwrite(p.data.data(), 1, image, f) == image;
  return std::fclose(f) == 0 && ok;
}
