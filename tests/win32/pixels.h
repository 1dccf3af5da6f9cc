#pragma once
// Reading back what windows painted, and saving it as a picture: used by the Win32 tests
// and by the demo programs that photograph a dialog or a control.
#include <windows.h>

#include <cstdint>
#include <vector>

// Pixels as 0x00RRGGBB, top row first.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> data;
  uint32_t at(int x, int y) const { return data[size_t(y) * size_t(width) + size_t(x)]; }
};

// The painted client area of a window (its own pixels, even where another window covers it).
Pixels read_client_pixels(HWND window);
// The whole window, frame and caption included, as the screen shows it.
Pixels read_window_pixels(HWND window);
// Writes the pixels as a 32-bit BMP (for failures and screenshots).
bool write_bmp(const Pixels& p, const char* path);
