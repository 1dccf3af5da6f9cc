// zel avi: frame files PREFIX%03d.16b, FIRST..END-1, to a 15 fps Microsoft Video 1 AVI, the
// way the host calls the AVI writer (progress bar, deletion prompt on the terminal).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "animation/avi/avi_export.h"
#include "animation/frameset/frameset.h"
#include "host/terminal_ui.h"
#include "host/zel_command.h"

namespace {

void version_warning(void*) { std::fprintf(stderr, "Version\n"); }

int run(const std::vector<std::string>& argv) {
  std::vector<std::string> args = argv;
  TerminalUi ui;
  if (!terminal_ui_take_answer(args, &ui)) return zel_usage("avi");
  std::string histogram_path;
  bool has_histogram = zel_take_option(args, "--histogram", &histogram_path);
  long first = 0, end = 0;
  // Frame numbers reach the writer as 32-bit values, as the host passes them.
  if (args.size() != 4 || !zel_parse_long(args[1], &first) || !zel_parse_long(args[2], &end) || first < 0 ||
      end < first || end > INT32_MAX || end - first > 1000000)
    return zel_usage("avi");
  const std::string& prefix = args[0];
  if (FrameFileReadName(prefix.c_str(), first) != FrameFileName(prefix.c_str(), first))
    std::fprintf(stderr, "zel avi: note: frame files are opened under lower-cased names, as the host's "
                         "file system finds them: %s\n", FrameFileReadName(prefix.c_str(), first).c_str());

  std::vector<uint32_t> histogram(32768, 0);
  int width = 0, height = 0;
  if (end - first >= 3) {
    if (has_histogram && !ReadHistogramFile(histogram_path, &histogram)) {
      std::fprintf(stderr, "zel avi: %s is not a histogram of 32768 counts\n", histogram_path.c_str());
      return 1;
    }
    // The picture size comes from the first frame file; without a histogram file the
    // colours of every frame are counted, as the host does while it renders.
    for (long n = first; n < end; ++n) {
      std::string name = FrameFileReadName(prefix.c_str(), n);
      int w = 0, h = 0;
      std::vector<uint16_t> pixels;
      if (!ReadFramePixels(name, &w, &h, &pixels)) {
        std::fprintf(stderr, "zel avi: cannot read %s\n", name.c_str());
        return 1;
      }
      if (n == first) {
        width = w;
        height = h;
      }
      if (has_histogram) break;
      for (uint16_t v : pixels)
        if (v < 32768) ++histogram[v];
    }
  }
  std::vector<uint16_t> list(histogram.size(), 0);
  std::vector<char> path(args[3].begin(), args[3].end());
  path.resize(path.size() + 5, '\0');  // room for ".avi"

  BuildAviArgs call;
  call.first = int32_t(first);
  call.end = int32_t(end);
  call.outputPath = path.data();
  call.framePrefix = prefix.c_str();
  call.width = width;
  call.height = height;
  call.colourCount = uint32_t(histogram.size());
  call.colourCounts = histogram.data();
  call.colourList = list.data();
  AviExportPlatform platform;
  platform.version_warning = version_warning;
  ui.progress_total = 1 + (end - first) + 1;
  int32_t result = BuildAviRun(call, ui.table(), platform);
  if (ui.interactive && ui.progress_done > 0 && ui.boxes_shown == 0) std::fputc('\n', stderr);
  if (end - first < 3) {
    std::fprintf(stderr, "zel avi: %ld frames: nothing written (an animation needs 3)\n", end - first);
    return 1;
  }
  if (result != 0 || ui.boxes_shown > 0) return 1;
  std::printf("%ld frames %dx%d, 15 fps -> %s\n", end - first, width, height, path.data());
  return 0;
}

ZelCommand c("avi", "PREFIX FIRST END OUTPUT [--histogram FILE] [--yes|--no]",
             "frame files PREFIX%03d.16b FIRST..END-1 to an AVI (Microsoft Video 1, 15 fps)", run);

}  // namespace
