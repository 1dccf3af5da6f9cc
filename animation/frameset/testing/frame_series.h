#pragma once
// Synthetic frame series for the animation writers' tests and benchmarks: plays the host's
// part (renders ".16b" frame files and counts the colours into a 32768-entry histogram).
#include <cstdint>
#include <string>
#include <vector>

#include "animation/frameset/frameset.h"

enum class Scene {
  MovingShapes,  // dark gradient background, moving bright rectangles and a disc, a
                 // ticker strip down the right edge
  Gradient,      // a sliding red-green-blue gradient of several thousand colours
  Noise,         // independent random pixels every frame
  Still,         // every frame the same
  Cut,           // moving shapes, and noise every third frame (hard cuts)
  RichShapes,    // moving shapes over a still background of several thousand colours
};

// Pixels (rgb555 words, rows top-down) of frame n of a scene.
std::vector<uint16_t> SceneFrame(Scene scene, int width, int height, long n);

struct SeriesPlan {
  std::string prefix;  // frame files are prefix + "%03d.16b"
  long first = 0;
  long count = 0;
  int width = 0;
  int height = 0;
  Scene scene = Scene::MovingShapes;
  RowCoding coding = RowCoding::Mixed;
};

// Writes frames first .. first+count-1 and adds their colours to *histogram (resized to
// 32768 entries if smaller). False when a file cannot be written.
bool WriteFrameSeries(const SeriesPlan& series, std::vector<uint32_t>* histogram);

