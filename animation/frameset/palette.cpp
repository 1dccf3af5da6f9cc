// Palette selection from the host's colour histogram and the nearest-colour search.
#include <cstring>

#include "animation/frameset/frameset.h"

int ColourDistance(uint16_t a, uint16_t b) {
  int dr = ((a >> 10) & 31) - ((b >> 10) & 31);
  int dg = ((a >> 5) & 31) - ((b >> 5) & 31);
  int db = (a & 31) - (b & 31);
  return dr * dr + dg * dg + db * db;
}

void PaletteSelection(uint32_t* counts, uint16_t* list, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) list[i] = uint16_t(i);

  // Shell sort by decreasing count. It is not stable: only this gap sequence and these
  // comparisons choose the same colours among equal counts.
  for (long gap = long(n) / 2; gap > 0; gap /= 2) {
    for (long i = gap; i < long(n); ++i) {
      for (long j = i - gap; j >= 0; j -= gap) {
        if (counts[j] >= counts[j + gap]) break;
        uint32_t c = counts[j];
        counts[j] = counts[j + gap];
        counts[j + gap] = c;
        uint16_t v = list[j];
        list[j] = list[j + gap];
        list[j + gap] = v;
      }
    }
  }

  uint32_t k = 0;
  while (k < n && counts[k] != 0) ++k;
  if (k <= 256) return;

  // Thin positions 128..255 of colours close to a more frequent one, refilling from below,
  // with a doubling threshold until 256 colours remain.
  for (int t = 2; t < 1024; t *= 2) {
    uint32_t j = 128;
    while (j < 256) {
      bool near = false;
      for (uint32_t m = 0; m < j; ++m)
        if (ColourDistance(list[j], list[m]) < t) {
          near = true;
          break;
        }
      if (!near) {
        ++j;
        continue;
      }
      std::memmove(list + j, list + j + 1, (k - 1 - j) * sizeof *list);
      std::memmove(counts + j, counts + j + 1, (k - 1 - j) * sizeof *counts);
      if (--k <= 256) return;
    }
  }
}

uint8_t NearestPaletteIndex(const uint16_t palette[256], uint16_t v) {
  int best = 0;
  int best_distance = 1 << 30;
  for (int i = 0; i < 256; ++i) {
    if (palette[i] == v) return uint8_t(i);
    int d = ColourDistance(palette[i], v);
    if (d < best_distance) {
      best_distance = d;
      best = i;
    }
  }
  return uint8_t(best);
}
