// zel view: an image file loaded as the viewer program loads it (the kind from the name,
// the same readers, the same boxes on stderr), its caption line on stdout, and optionally
// the picture the viewer paints as PNG and the held bitmap as a BMP file.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/png_file.h"
#include "host/terminal_ui.h"
#include "host/zel_command.h"
#include "viewer/image.h"
#include "viewer/render.h"
#include "viewer/view_window.h"

namespace {

// Boxes with the system's default caption (a null caption) read "Error", as on Windows.
struct DefaultCaptionUi {
  UiTable inner;
  static int box(void* self, const char* text, const char* caption, uint32_t flags) {
    auto* ui = static_cast<DefaultCaptionUi*>(self);
    return ui_message(ui->inner, text, caption ? caption : "Error", flags);
  }
  UiTable table() { return UiTable{this, box, nullptr}; }  // loads show no progress
};

// A 14-byte file header, then the header block and the pixel block as held.
bool WriteBmp(const std::string& path, const LoadedImage& image) {
  uint8_t file_header[14] = {'B', 'M'};
  put_le32(file_header + 2, uint32_t(14 + image.header_size + image.pixel_size));
  put_le32(file_header + 10, uint32_t(14 + image.header_size));
  FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = f && std::fwrite(file_header, 1, 14, f) == 14 &&
            std::fwrite(image.header, 1, image.header_size, f) == image.header_size &&
            std::fwrite(image.pixels, 1, image.pixel_size, f) == image.pixel_size;
  if (f && std::fclose(f) != 0) ok = false;
  if (!ok) std::fprintf(stderr, "zel view: cannot write %s\n", path.c_str());
  return ok;
}

int run(const std::vector<std::string>& given) {
  std::vector<std::string> args = given;
  std::string png_path, bmp_path;
  zel_take_option(args, "-o", &png_path);
  zel_take_option(args, "--bmp", &bmp_path);
  if (args.size() != 1) return zel_usage("view");

  // The kind comes from the upper-cased name, as in the viewer; the file is opened under
  // the name as given (Linux names are case-sensitive).
  std::vector<char> upper(args[0].begin(), args[0].end());
  upper.push_back('\0');
  ImageKind kind = ImageKindOf(upper.data());
  std::vector<char> name(args[0].begin(), args[0].end());
  name.push_back('\0');

  TerminalUi terminal;
  DefaultCaptionUi ui{terminal.table()};
  LoadedImage image;
  if (!LoadImageOfKind(kind, name.data(), image, ui.table())) return 1;

  ImagePalette palette = BuildImagePalette(image);
  // The caption names the file as the viewer's file name buffer usually holds it: without
  // its folder (the folder is made the current directory).
  const char* shown = std::strrchr(upper.data(), '/');
  shown = shown ? shown + 1 : upper.data();
  std::puts(view::ViewCaption(shown, ImageHeaderWidth(image), ImageHeaderHeight(image), ImageBitCount(image)).c_str());
  std::printf("kind %d, declared %ldx%ld, palette %d entries%s\n", int(kind), long(image.width), long(image.height),
              palette.count, palette.count ? "" : " (the window draws nothing without one)");
  int status = 0;
  if (!png_path.empty()) {
    RgbPicture picture;
    if (!RenderImage(image, picture)) {
      std::fprintf(stderr, "zel view: the held bitmap cannot be drawn\n");
      status = 1;
    } else if (std::string why; !write_rgb_png(png_path, picture.width, picture.height, picture.rgb.data(), &why)) {
      std::fprintf(stderr, "zel view: %s\n", why.c_str());
      status = 1;
    }
  }
  if (!bmp_path.empty() && !WriteBmp(bmp_path, image)) status = 1;
  ReleaseImage(image);
  return status;
}

ZelCommand view("view", "FILE [-o OUT.png] [--bmp OUT.bmp]",
                "an image loaded as the viewer loads it (GIF, TGA, CEL, BMP/DIB/RLE by name); -o writes the picture "
                "it paints, --bmp the bitmap it holds",
                run);

}  // namespace
