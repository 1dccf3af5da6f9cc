#pragma once
// Logical palettes for the windows that show 8-bit pictures (shells only).
#include <windows.h>

// A logical palette of `count` colours (at most 256) from records with red, green and blue
// bytes; none for an empty list.
template <class Colour>
HPALETTE CreateColourPalette(const Colour* colours, int count) {
  if (count <= 0 || count > 256) return nullptr;
  struct {
    WORD version, count;
    PALETTEENTRY entries[256];
  } logical = {0x300, WORD(count), {}};
  for (int i = 0; i < count; ++i)
    logical.entries[i] = PALETTEENTRY{colours[i].red, colours[i].green, colours[i].blue, 0};
  return CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
}

// Realises the window's palette in its device context (the answer to WM_QUERYNEWPALETTE and
// WM_PALETTECHANGED) and repaints the window when that changed any system colour.
inline void RealiseWindowPalette(HWND window, HPALETTE palette) {
  HDC dc = GetDC(window);
  HPALETTE old = SelectPalette(dc, palette, FALSE);
  const UINT changed = RealizePalette(dc);
  if (changed != 0 && changed != GDI_ERROR) InvalidateRect(window, nullptr, TRUE);
  SelectPalette(dc, old, FALSE);
  ReleaseDC(window, dc);
}
