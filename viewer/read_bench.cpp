// Benchmark (run by hand, not a test): decode speed of the viewer's GIF and TGA loaders in
// megapixels per second (fastest run), each next to a reference decoder of the same file in the same
// run: giflib's DGifSlurp for GIF files, stb_image for TGA files.
//
//   viewer_read_bench [-seconds S] FILE.gif|FILE.tga ...
//
// The figures in the notes came from the corpus GIFs (build/native/viewer-corpus/
// g-photo-1024.gif, g-flat-1024.gif) and two 2048 x 2048 run-length TGA files:
//   convert -seed 5 -size 2048x2048 plasma:red-blue -type TrueColor -compress RLE photo.tga
//   convert FLAT.png -scale 2048x2048! -type TrueColor -compress RLE flat.tga
// (FLAT.png: the corpus script's flat-colour picture).
#include <gif_lib.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_TGA
#include <stb/stb_image.h>

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/ui_recorder.h"
#include "viewer/image.h"

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Runs `decode` (answering the pixels it decoded, 0 on failure) again and again for about
// `seconds`, and answers megapixels per second of its fastest run in CPU time: on a shared
// machine that is the run least disturbed by other work.
template <typename Decode>
double Rate(double seconds, Decode decode) {
  double best = 0;
  int runs = 0;
  auto start = Clock::now();
  do {
    double t0 = CpuSeconds();
    long n = decode();
    double t = CpuSeconds() - t0;
    if (n <= 0) return 0;
    if (t > 0 && double(n) / t > best) best = double(n) / t;
    ++runs;
  } while (std::chrono::duration<double>(Clock::now() - start).count() < seconds || runs < 3);
  return best / 1e6;
}

long OurLoad(const std::string& path, ImageKind kind) {
  std::vector<char> name(path.begin(), path.end());
  name.push_back('\0');
  UiRecorder ui;
  LoadedImage image;
  if (!LoadImageOfKind(kind, name.data(), image, ui.table())) return 0;
  long n = long(image.width) * image.height;
  ReleaseImage(image);
  return n;
}

long GiflibSlurp(const std::string& path) {
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  if (!gif) return 0;
  long n = 0;
  if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0)
    n = long(gif->SavedImages[0].ImageDesc.Width) * gif->SavedImages[0].ImageDesc.Height;
  DGifCloseFile(gif, &error);
  return n;
}

long StbLoad(const std::string& path) {
  int w = 0, h = 0, channels = 0;
  unsigned char* p = stbi_load(path.c_str(), &w, &h, &channels, 3);
  if (!p) return 0;
  stbi_image_free(p);
  return long(w) * h;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 2;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-seconds") == 0 && i + 1 < argc)
      seconds = std::atof(argv[++i]);
    else
      files.push_back(argv[i]);
  }
  if (files.empty()) {
    std::fprintf(stderr, "usage: %s [-seconds S] FILE.gif|FILE.tga ...\n", argv[0]);
    return 2;
  }
  std::printf("%-40s %12s %12s %8s\n", "file", "ours MP/s", "ref MP/s", "ratio");
  for (const std::string& f : files) {
    bool gif = f.size() > 4 && (f.compare(f.size() - 4, 4, ".gif") == 0 || f.compare(f.size() - 4, 4, ".GIF") == 0);
    double ours = Rate(seconds, [&] { return OurLoad(f, gif ? kImageGif : kImageTga); });
    double ref = gif ? Rate(seconds, [&] { return GiflibSlurp(f); }) : Rate(seconds, [&] { return StbLoad(f); });
    std::string base = f.substr(f.find_last_of('/') + 1);
    std::printf("%-40s %12.1f %12.1f %8.2f  (reference: %s)\n", base.c_str(), ours, ref, ref > 0 ? ours / ref : 0.0,
                gif ? "giflib DGifSlurp" : "stb_image");
  }
  return 0;
}
