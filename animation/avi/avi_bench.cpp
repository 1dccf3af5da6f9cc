// avi_bench [FRAMES] [WIDTH HEIGHT] [gradient|shapes|noise]: frames per second of the AVI writer, frame files to
// finished AVI, against ffmpeg's own Microsoft Video 1 encoder (16-bit, one thread, a key
// frame every 7 frames) on the same pixels. Prints sizes and PSNR (8-bit RGB, against the
// true-colour frames) for both. Not a test: it prints figures.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "animation/avi/avi_export.h"
#include "animation/frameset/testing/frame_series.h"
#include "common/message_box.h"

namespace {

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

int answer_no(void*, const char*, const char*, uint32_t) { return answer::No; }

long file_size(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return -1;
  std::fseek(f, 0, SEEK_END);
  long n = std::ftell(f);
  std::fclose(f);
  return n;
}

// PSNR of an AVI as ffmpeg decodes it against the scene's true-colour frames (5-bit
// components shown as value x 8; decoded components are cut to their top five bits, so a
// 16-bit and an 8-bit file are measured alike).
using Reference = std::vector<uint16_t> (*)(void* context, long n);

double psnr(const std::string& avi, Reference reference, void* context, int w, int h, long frames, long* decoded) {
  std::string cmd = "ffmpeg -nostdin -v error -i '" + avi + "' -f rawvideo -pix_fmt rgb24 -";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return 0;
  std::vector<uint8_t> rgb(size_t(w) * h * 3);
  double squared = 0;
  double samples = 0;
  *decoded = 0;
  while (*decoded < frames && std::fread(rgb.data(), 1, rgb.size(), p) == rgb.size()) {
    std::vector<uint16_t> px = reference(context, *decoded);
    for (size_t i = 0; i < px.size(); ++i) {
      const int want[3] = {(px[i] >> 10) & 31, (px[i] >> 5) & 31, px[i] & 31};
      for (int k = 0; k < 3; ++k) {
        double d = double((rgb[3 * i + k] >> 3) * 8) - double(want[k] * 8);
        squared += d * d;
      }
      samples += 3;
    }
    ++*decoded;
  }
  pclose(p);
  double mse = samples > 0 ? squared / samples : 0;
  return mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99.0;
}

struct Source {
  Scene scene;
  int w, h;
  FrameSetRun* mapped;  // palette and IndexCache of the run, for the palette frames
};

std::vector<uint16_t> true_colour(void* context, long n) {
  auto* s = static_cast<Source*>(context);
  return SceneFrame(s->scene, s->w, s->h, n);
}

// The frame as the palette shows it: the pixels the compressors are given.
std::vector<uint16_t> palette_frame(void* context, long n) {
  auto* s = static_cast<Source*>(context);
  std::vector<uint8_t> index(size_t(s->w) * s->h);
  std::vector<uint16_t> px(index.size(), 0);
  if (ReadFrame(s->mapped, n, index.data(), size_t(s->w)) != ReadOk) return px;
  for (size_t i = 0; i < px.size(); ++i) px[i] = s->mapped->palette[index[i]];
  return px;
}

}  // namespace

int main(int argc, char** argv) {
  long frames = argc > 1 ? std::atol(argv[1]) : 120;
  int w = argc > 3 ? std::atoi(argv[2]) : 640;
  int h = argc > 3 ? std::atoi(argv[3]) : 480;
  std::string kind = argc > 4 ? argv[4] : "gradient";
  if (frames < 3 || w < 4 || h < 4 || w > 1024 || h > 2048 || w % 4 || h % 4 ||
      (kind != "gradient" && kind != "shapes" && kind != "noise")) {
    std::fprintf(stderr, "usage: avi_bench [FRAMES>=3] [WIDTH HEIGHT, multiples of 4, width <= 1024] "
                         "[gradient|shapes|noise]\n");
    return 2;
  }
  const Scene scene = kind == "shapes" ? Scene::MovingShapes : kind == "noise" ? Scene::Noise : Scene::Gradient;
  const std::string dir = "/tmp/zel_avi_bench";
  if (std::system(("mkdir -p " + dir).c_str()) != 0) return 1;

  SeriesPlan series;
  series.prefix = dir + "/fr";
  series.first = 0;
  series.count = frames;
  series.width = w;
  series.height = h;
  series.scene = scene;
  std::vector<uint32_t> counts;
  if (!WriteFrameSeries(series, &counts)) return 1;
  long colours = 0;
  for (uint32_t c : counts) colours += c != 0;
  std::printf("scene: %ld frames %dx%d, %ld colours (%s)\n", frames, w, h, colours, kind.c_str());

  std::vector<uint32_t> counts_copy = counts;
  std::vector<uint16_t> list_copy(counts.size());
  FrameSetRun mapped;
  mapped.prefix = series.prefix.c_str();
  mapped.first = 0;
  mapped.end = frames;
  mapped.width = w;
  mapped.height = h;
  mapped.colourCount = uint32_t(counts_copy.size());
  mapped.colourCounts = counts_copy.data();
  mapped.colourList = list_copy.data();
  mapped.compressedRowWords = kAviRowWords;
  FrameSetBuildPalette(&mapped);
  Source source{scene, w, h, &mapped};

  // Ours: frame files to finished AVI (palette, reading, mapping, coding, writing).
  std::vector<uint16_t> list(counts.size());
  char path[256];
  std::snprintf(path, sizeof path, "%s/ours.avi", dir.c_str());
  BuildAviArgs args;
  args.first = 0;
  args.end = int32_t(frames);
  args.outputPath = path;
  args.framePrefix = series.prefix.c_str();
  args.width = w;
  args.height = h;
  args.colourCount = uint32_t(counts.size());
  args.colourCounts = counts.data();
  args.colourList = list.data();
  UiTable ui{nullptr, answer_no, nullptr};
  double t0 = now();
  BuildAviRun(args, ui, AviExportPlatform());
  double ours = now() - t0;

  // ffmpeg: the same palette pixels as rgb555, 16-bit Microsoft Video 1, one thread.
  std::string raw = dir + "/frames.rgb555";
  FILE* f = std::fopen(raw.c_str(), "wb");
  if (!f) return 1;
  for (long n = 0; n < frames; ++n) {
    std::vector<uint16_t> px = palette_frame(&source, n);
    std::fwrite(px.data(), 2, px.size(), f);  // little-endian host
  }
  std::fclose(f);
  std::string theirs_path = dir + "/ffmpeg.avi";
  char cmd[1024];
  std::snprintf(cmd, sizeof cmd,
                "ffmpeg -nostdin -v error -y -threads 1 -f rawvideo -pix_fmt rgb555le -s %dx%d -r 15 -i '%s' "
                "-c:v msvideo1 -threads 1 -keyint_min 6 '%s'",
                w, h, raw.c_str(), theirs_path.c_str());
  t0 = now();
  int rc = std::system(cmd);
  double theirs = now() - t0;
  if (rc != 0) {
    std::fprintf(stderr, "ffmpeg failed\n");
    return 1;
  }

  long ours_frames = 0, theirs_frames = 0, unused = 0;
  double ours_psnr = psnr(path, palette_frame, &source, w, h, frames, &ours_frames);
  double theirs_psnr = psnr(theirs_path, palette_frame, &source, w, h, frames, &theirs_frames);
  double ours_true = psnr(path, true_colour, &source, w, h, frames, &unused);
  double theirs_true = psnr(theirs_path, true_colour, &source, w, h, frames, &unused);
  std::printf("PSNR against the palette frames both encoders were given, and against the true-colour frames\n");
  std::printf("%-34s %8s %9s %10s %8s %8s\n", "", "seconds", "frames/s", "bytes", "PSNR", "PSNR tc");
  std::printf("%-34s %8.2f %9.1f %10ld %8.2f %8.2f\n", "ours (frame files -> AVI, q 6500)", ours, frames / ours,
              file_size(path), ours_psnr, ours_true);
  std::printf("%-34s %8.2f %9.1f %10ld %8.2f %8.2f\n", "ffmpeg msvideo1 (rgb555, 1 thread)", theirs,
              frames / theirs, file_size(theirs_path), theirs_psnr, theirs_true);
  std::printf("speed ratio: %.2fx; frames decoded by ffmpeg: ours %ld, ffmpeg's %ld\n", theirs / ours, ours_frames,
              theirs_frames);
  std::remove(raw.c_str());
  for (long n = 0; n < frames; ++n) std::remove(FrameFileName(series.prefix.c_str(), n).c_str());
  return 0;
}
