#include "common/png_file.h"

#include <png.h>

#include <cstring>

bool write_rgb_png(const std::string& path, int width, int height, const uint8_t* rgb, std::string* error) {
  if (width <= 0 || height <= 0 || !rgb) {
    if (error) *error = path + ": no picture to write";
    return false;
  }
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = uint32_t(width);
  png.height = uint32_t(height);
  png.format = PNG_FORMAT_RGB;
  if (png_image_write_to_file(&png, path.c_str(), 0, rgb, 0, nullptr)) return true;
  if (error) *error = path + ": " + png.message;
  return false;
}
