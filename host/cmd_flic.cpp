// zel flic: a ".16b" frame series to an FLI or FLC animation, as REELPACK does for the host.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "animation/flic/flic_writer.h"
#include "animation/frameset/frameset.h"
#include "host/terminal_ui.h"
#include "host/zel_command.h"

namespace {

int run(const std::vector<std::string>& argv) {
  std::vector<std::string> args = argv;
  TerminalUi ui;
  if (!terminal_ui_take_answer(args, &ui)) return zel_usage("flic");
  std::string speed_text, histogram_path;
  bool has_speed = zel_take_option(args, "--speed", &speed_text);
  bool has_histogram = zel_take_option(args, "--histogram", &histogram_path);
  long first = 0, end = 0, speed = 5;
  if (args.size() != 4 || !zel_parse_long(args[1], &first) || !zel_parse_long(args[2], &end) ||
      (has_speed && !zel_parse_long(speed_text, &speed)))
    return zel_usage("flic");
  const std::string& prefix = args[0];
  if (FrameFileReadName(prefix.c_str(), first) != FrameFileName(prefix.c_str(), first))
    std::fprintf(stderr, "zel flic: note: frame files are opened under lower-cased names, as the host's "
                         "file system finds them: %s\n", FrameFileReadName(prefix.c_str(), first).c_str());

  // The picture size comes from the first frame file, as the host knows it from rendering.
  int width = 0, height = 0;
  std::vector<uint16_t> pixels;
  if (!ReadFramePixels(FrameFileReadName(prefix.c_str(), first), &width, &height, &pixels)) {
    std::fprintf(stderr, "zel flic: cannot read %s\n", FrameFileReadName(prefix.c_str(), first).c_str());
    return 1;
  }
  std::vector<uint32_t> counts(32768, 0);
  if (has_histogram) {
    if (!ReadHistogramFile(histogram_path, &counts)) {
      std::fprintf(stderr, "zel flic: %s is not a histogram of 32768 counts\n", histogram_path.c_str());
      return 1;
    }
  } else {
    // Count the colours of every frame, as the host does while it renders.
    for (long n = first; n < end; ++n) {
      int w = 0, h = 0;
      if (n != first && !ReadFramePixels(FrameFileReadName(prefix.c_str(), n), &w, &h, &pixels)) {
        std::fprintf(stderr, "zel flic: cannot read %s\n", FrameFileReadName(prefix.c_str(), n).c_str());
        return 1;
      }
      for (uint16_t v : pixels)
        if (v < 32768) ++counts[v];
    }
  }
  std::vector<uint16_t> list(32768, 0);
  std::vector<char> output(args[3].begin(), args[3].end());
  output.push_back('\0');

  BuildFliArgs fli;
  fli.first = first;
  fli.end = end;
  fli.outputPath = output.data();
  fli.framePrefix = prefix.c_str();
  fli.width = width;
  fli.height = height;
  fli.colourCount = 32768;
  fli.speed = int32_t(speed);
  fli.colourCounts = counts.data();
  fli.colourList = list.data();
  ui.progress_total = (end - first) + 2;
  int32_t result = BuildFli(fli, ui.table(), nullptr);
  if (ui.interactive && ui.progress_done > 0) std::fputc('\n', stderr);
  if (ui.boxes_shown > 0) return 1;
  // BuildFli answers end - first when it writes nothing, which is 0 for an empty range.
  const bool too_few = end < first || uint64_t(end) - uint64_t(first) < 3;
  if (result != 0 || too_few || width > kFlicMaxWidth || height > kFlicMaxHeight) {
    std::fprintf(stderr, "zel flic: nothing written (%ld frames of %dx%d: needs 3 or more, at most 640x480)\n",
                 end - first, width, height);
    return 1;
  }
  std::printf("%s: %ld frames %dx%d as %s\n", output.data(), end - first, width, height,
              FlicIsFlc(width, height) ? "FLC" : "FLI");
  return 0;
}

ZelCommand c("flic", "PREFIX FIRST END OUTPUT [--speed N] [--histogram FILE] [--yes|--no]",
             "frame files PREFIX%03d.16b, FIRST..END-1, to an FLI (up to 320x200) or FLC file", run);

}  // namespace
