#pragma once
// What every viewer fuzz target does with its input: write it to an in-memory file, load it
// through the real load sequence of one kind, and check what is held: the header block
// holds at least its 40-byte header, painting never reads past the pixel block, the palette
// has at most 256 entries, the picture can be drawn, and a second load of the same bytes
// holds the same image.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "viewer/image.h"
#include "viewer/render.h"

namespace viewer_fuzz {

constexpr size_t kCheckedPixelBytes = size_t(4) << 20;

inline int QuietBox(void*, const char*, const char*, uint32_t) { return 1; }

inline void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "viewer fuzz: %s\n", what);
    std::abort();
  }
}

inline std::string InputFile(const uint8_t* data, size_t size) {
  static int fd = -1;
  if (fd < 0) fd = memfd_create("zel-viewer-fuzz", 0);
  Check(fd >= 0, "no in-memory file");
  Check(ftruncate(fd, 0) == 0, "cannot empty the in-memory file");
  size_t done = 0;
  while (done < size) {
    ssize_t n = pwrite(fd, data + done, size - done, off_t(done));
    Check(n > 0, "cannot fill the in-memory file");
    done += size_t(n);
  }
  return "/proc/self/fd/" + std::to_string(fd);
}

inline void LoadAndCheck(ImageKind kind, const uint8_t* data, size_t size) {
  std::string path = InputFile(data, size);
  std::vector<char> name(path.begin(), path.end());
  name.push_back('\0');
  UiTable ui{nullptr, QuietBox, nullptr};
  LoadedImage image;
  if (!LoadImageOfKind(kind, name.data(), image, ui)) {
    Check(!image.header && !image.pixels, "a failed load holds blocks");
    return;
  }
  Check(image.header && image.header_size >= kInfoHeaderSize && image.pixels, "no blocks held");
  Check(ImagePaintBytes(image) <= image.pixel_size, "painting would read past the pixel block");
  ImagePalette palette = BuildImagePalette(image);
  Check(palette.count >= 0 && palette.count <= 256, "palette size");
  // Huge (mostly zero-filled) images are only checked for their bounds: drawing and
  // comparing them would take the fuzzer's time without reaching new code.
  if (image.pixel_size > kCheckedPixelBytes) {
    ReleaseImage(image);
    return;
  }
  RgbPicture picture;
  RenderImage(image, picture);
  std::vector<uint8_t> header(image.header, image.header + image.header_size);
  std::vector<uint8_t> pixels(image.pixels, image.pixels + image.pixel_size);
  Check(LoadImageOfKind(kind, name.data(), image, ui), "a second load failed");
  Check(header == std::vector<uint8_t>(image.header, image.header + image.header_size) &&
            pixels == std::vector<uint8_t>(image.pixels, image.pixels + image.pixel_size),
        "a second load holds another image");
  ReleaseImage(image);
}

}  // namespace viewer_fuzz
