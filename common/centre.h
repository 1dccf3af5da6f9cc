#pragma once

// Where a window of the given size goes to sit in the middle of the screen: halves
// truncated toward zero, as integer division does.
struct ScreenPoint {
  int x;
  int y;
};

inline ScreenPoint centre_on_screen(int screen_w, int screen_h, int window_w, int window_h) {
  return ScreenPoint{(screen_w - window_w) / 2, (screen_h - window_h) / 2};
}
