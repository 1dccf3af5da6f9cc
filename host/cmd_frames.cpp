// zel frames: a numbered series of PNG pictures to ".16b" frame files (rgb555, run-length
// rows where they are shorter) and the colour histogram, as the host's renderer leaves them.
#include <png.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "animation/frameset/frameset.h"
#include "host/zel_command.h"

namespace {

// True when the pattern holds exactly one %d conversion (with optional zero/width) and
// otherwise only "%%".
bool valid_pattern(const std::string& p) {
  int conversions = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    if (p[i] != '%') continue;
    if (i + 1 < p.size() && p[i + 1] == '%') {
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < p.size() && (p[j] >= '0' && p[j] <= '9') && j - i < 4) ++j;
    if (j >= p.size() || p[j] != 'd') return false;
    ++conversions;
    i = j;
  }
  return conversions == 1;
}

std::string format_name(const std::string& pattern, long n) {
  std::string format = pattern;
  // Widen %d to %ld by rebuilding the conversion.
  size_t at = std::string::npos;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (format[i + 1] == '%') {
      ++i;
      continue;
    }
    at = format.find('d', i);
    break;
  }
  format.insert(at, "l");
  char buf[4096];
  std::snprintf(buf, sizeof buf, format.c_str(), n);
  return buf;
}

bool read_png(const std::string& path, int* width, int* height, std::vector<uint16_t>* pixels) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    std::fprintf(stderr, "zel frames: %s: %s\n", path.c_str(), image.message);
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  if (image.width > uint32_t(kRowPixels) || image.height > 4096 || image.width == 0 || image.height == 0) {
    std::fprintf(stderr, "zel frames: %s: %ux%u is outside 1..%d x 1..4096\n", path.c_str(), image.width,
                 image.height, kRowPixels);
    png_image_free(&image);
    return false;
  }
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image), 0);
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
    std::fprintf(stderr, "zel frames: %s: %s\n", path.c_str(), image.message);
    return false;
  }
  *width = int(image.width);
  *height = int(image.height);
  pixels->resize(size_t(image.width) * image.height);
  for (size_t i = 0; i < pixels->size(); ++i)
    (*pixels)[i] = uint16_t(((rgb[3 * i] >> 3) << 10) | ((rgb[3 * i + 1] >> 3) << 5) | (rgb[3 * i + 2] >> 3));
  return true;
}

int run(const std::vector<std::string>& argv) {
  std::vector<std::string> args = argv;
  std::string histogram_path;
  bool has_histogram = zel_take_option(args, "--histogram", &histogram_path);
  bool raw = zel_take_flag(args, "--raw");
  long first = 0, end = 0;
  if (args.size() != 4 || !zel_parse_long(args[1], &first) || !zel_parse_long(args[2], &end) || first < 0 ||
      end <= first)
    return zel_usage("frames");
  if (!valid_pattern(args[0])) {
    std::fprintf(stderr, "zel frames: the picture pattern needs one %%d (e.g. shot%%03d.png)\n");
    return 2;
  }
  std::vector<uint32_t> histogram(32768, 0);
  int width = 0, height = 0;
  for (long n = first; n < end; ++n) {
    std::string in = format_name(args[0], n);
    int w = 0, h = 0;
    std::vector<uint16_t> px;
    if (!read_png(in, &w, &h, &px)) return 1;
    if (n == first) {
      width = w;
      height = h;
    } else if (w != width || h != height) {
      std::fprintf(stderr, "zel frames: %s is %dx%d, the series %dx%d\n", in.c_str(), w, h, width, height);
      return 1;
    }
    for (uint16_t v : px) ++histogram[v];
    std::string out = FrameFileName(args[3].c_str(), n);
    if (!WriteFramePixels(out, w, h, px, raw ? RowCoding::Raw : RowCoding::RunLength)) {
      std::fprintf(stderr, "zel frames: cannot write %s\n", out.c_str());
      return 1;
    }
  }
  if (has_histogram && !WriteHistogramFile(histogram_path, histogram)) {
    std::fprintf(stderr, "zel frames: cannot write %s\n", histogram_path.c_str());
    return 1;
  }
  long used = 0;
  for (uint32_t c : histogram) used += c != 0;
  std::printf("%ld frames %dx%d, %ld colours -> %s\n", end - first, width, height, used,
              FrameFileName(args[3].c_str(), first).c_str());
  return 0;
}

ZelCommand c("frames", "PNG_PATTERN FIRST END PREFIX [--histogram FILE] [--raw]",
             "PNG pictures FIRST..END-1 (e.g. shot%03d.png) to PREFIX%03d.16b frame files", run);

}  // namespace
