// zel avi: frame files PREFIX%03d.16b, FIRST..END-1, to a 15 fps Microsoft Video 1 AVI, the
// way the host calls the AVI writer (progress bar, deletion prompt on the terminal).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "animation/avi/avi_export.h"
#include "animation/frameset/frameset.h"
#include "common/bytes.h"
#include "host/terminal_ui.h"
#include "host/zel_command.h"

namespace {

void version_warning(void*) { std::fprintf(stderr, "Version\n"); }

// The host's side of a frame file: its size, and its colours added to a histogram when
// one is given. False (with a message) when the file cannot be read.
bool scan_frame(const std::string& name, int* width, int* height, std::vector<uint32_t>* histogram) {
  FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) {
    std::fprintf(stderr, "zel avi: cannot open %s\n", name.c_str());
    return false;
  }
  uint8_t head[8];
  bool ok = std::fread(head, 1, 8, f) == 8;
  int32_t w = ok ? int32_t(get_le32(head)) : 0, h = ok ? int32_t(get_le32(head + 4)) : 0;
  ok = ok && w > 0 && h > 0 && h <= 65536;
  std::vector<uint16_t> words;
  for (int32_t y = 0; ok && histogram && y < h; ++y) {
    uint8_t count_bytes[2];
    ok = std::fread(count_bytes, 1, 2, f) == 2;
    size_t count = ok ? get_le16(count_bytes) : 0;
    bool raw = count == 0;
    if (raw) count = size_t(w);
    words.resize(count);
    ok = ok && std::fread(words.data(), 2, count, f) == count;
    if (!ok) break;
    if (raw) {
      for (uint16_t v : words) ++(*histogram)[v & 0x7FFF];
      continue;
    }
    for (size_t i = 0; i < count;) {  // runs: c >= 0 repeats one pixel c + 1 times, else 1 - c literals
      int16_t c = int16_t(words[i++]);
      if (c >= 0) {
        if (i < count) (*histogram)[words[i++] & 0x7FFF] += uint32_t(c) + 1;
      } else {
        for (int k = 0; k < 1 - c && i < count; ++k) ++(*histogram)[words[i++] & 0x7FFF];
      }
    }
  }
  std::fclose(f);
  if (!ok) {
    std::fprintf(stderr, "zel avi: %s is not a readable frame file\n", name.c_str());
    return false;
  }
  *width = w;
  *height = h;
  return true;
}

int run(const std::vector<std::string>& argv) {
  std::vector<std::string> args = argv;
  TerminalUi ui;
  if (!terminal_ui_take_answer(args, &ui)) return zel_usage("avi");
  std::string histogram_path;
  bool has_histogram = zel_take_option(args, "--histogram", &histogram_path);
  long first = 0, end = 0;
  if (args.size() != 4 || !zel_parse_long(args[1], &first) || !zel_parse_long(args[2], &end) || first < 0 ||
      end < first || end - first > 1000000)
    return zel_usage("avi");
  const std::string& prefix = args[0];

  std::vector<uint32_t> histogram(32768, 0);
  int width = 0, height = 0;
  if (end - first >= 3) {
    if (has_histogram && !ReadHistogramFile(histogram_path, &histogram)) {
      std::fprintf(stderr, "zel avi: cannot read the histogram %s\n", histogram_path.c_str());
      return 1;
    }
    // Without a histogram file the colours are counted from the frames, as the host would.
    for (long n = first; n < end; ++n) {
      if (!scan_frame(FrameFileName(prefix.c_str(), n), &width, &height, has_histogram ? nullptr : &histogram))
        return 1;
      if (has_histogram) break;  // the size comes from the first frame
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
