// zel texture: renders a swatch of a texture plug-in's procedure after Startup (and an
// optional Morph) with the given parameter string, as the host's renderer would call it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/png_file.h"
#include "host/terminal_ui.h"
#include "host/zel_command.h"
#include "textures/dimple/dimple.h"
#include "textures/dots/dots.h"
#include "textures/swatch.h"

namespace {

bool parse_colour(const std::string& text, uint8_t out[3]) {
  long v[3];
  char tail = 0;
  if (std::sscanf(text.c_str(), "%ld,%ld,%ld%c", &v[0], &v[1], &v[2], &tail) != 3) return false;
  for (int i = 0; i < 3; ++i) {
    if (v[i] < 0 || v[i] > 255) return false;
    out[i] = uint8_t(v[i]);
  }
  return true;
}

int run(const std::vector<std::string>& given) {
  std::vector<std::string> args = given;
  SwatchOptions options;
  std::string value, morph_other, morph_t;
  if (zel_take_option(args, "--size", &value)) {
    long size = 0;
    if (!zel_parse_long(value, &size) || size < 8 || size > 4096) {
      std::fprintf(stderr, "zel texture: --size must be 8 to 4096\n");
      return 2;
    }
    options.size = int(size);
  }
  if (zel_take_option(args, "--colour", &value) && !parse_colour(value, options.shader_colour)) {
    std::fprintf(stderr, "zel texture: --colour wants R,G,B with components 0 to 255\n");
    return 2;
  }
  bool morph = zel_take_option(args, "--morph", &morph_other);
  if (morph && !zel_take_option(args, "--t", &morph_t)) {
    std::fprintf(stderr, "zel texture: --morph needs --t T (0 takes the other string, 1 keeps PARAMS)\n");
    return 2;
  }
  if (args.size() != 3) return zel_usage("texture");

  const TextureLibrary* lib = nullptr;
  if (args[0] == "dimple") {
    dimple_reset();
    lib = &dimple_library();
  } else if (args[0] == "dots") {
    dots_reset();
    lib = &dots_library();
  } else {
    std::fprintf(stderr, "zel texture: unknown texture '%s' (dimple or dots)\n", args[0].c_str());
    return 2;
  }

  TerminalUi ui;
  texture_startup(*lib, args[1].c_str(), ui.table());
  if (morph) {
    char* end = nullptr;
    float t = std::strtof(morph_t.c_str(), &end);
    if (morph_t.empty() || *end != '\0') {
      std::fprintf(stderr, "zel texture: --t wants a number\n");
      return 2;
    }
    texture_morph(*lib, morph_other.c_str(), t);
  }

  SwatchPicture picture = render_swatch(lib->procedure, options);
  if (std::string why; !write_rgb_png(args[2], picture.width, picture.height, picture.rgb.data(), &why)) {
    std::fprintf(stderr, "zel texture: cannot write %s\n", why.c_str());
    return 1;
  }
  char state[kTextureStringBuffer];
  lib->format(state, sizeof state);
  std::printf("%s: values \"%s\", %dx%d swatch, %.1f%% of the sphere textured -> %s\n", args[0].c_str(), state,
              picture.width, picture.height,
              picture.samples ? 100.0 * double(picture.textured) / double(picture.samples) : 0.0, args[2].c_str());
  return 0;
}

ZelCommand command("texture", "dimple|dots PARAMS OUTPUT.png [--size N] [--colour R,G,B] [--morph OTHER --t T]",
                   "render a texture swatch (lit sphere) through the texture procedure", run);

}  // namespace
