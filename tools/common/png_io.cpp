#include "png_io.h"

#include <png.h>

#include <cstring>

bool WritePng(const std::string &path, int width, int height,
              const uint32_t *pixels) {
  if (width <= 0 || height <= 0) {
    return false;
  }
  const std::size_t count =
      static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::vector<png_byte> rgb(count * 3);
  for (std::size_t i = 0; i < count; ++i) {
    rgb[3 * i] = static_cast<png_byte>(pixels[i] >> 16);
    rgb[3 * i + 1] = static_cast<png_byte>(pixels[i] >> 8);
    rgb[3 * i + 2] = static_cast<png_byte>(pixels[i]);
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  const int written =
      png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr);
  png_image_free(&image);
  return written != 0;
}

bool ReadPng(const std::string &path, long maxPixels, int &width, int &height,
             std::vector<uint32_t> &pixels) {
  width = 0;
  height = 0;
  pixels.clear();
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
    return false;
  }
  if (image.width == 0 || image.height == 0 || image.width > 65535 ||
      image.height > 65535 ||
      static_cast<long>(image.width) * static_cast<long>(image.height) >
          maxPixels) {
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  // Transparent parts are composed onto black.
  png_color black = {0, 0, 0};
  if (png_image_finish_read(&image, &black, rgb.data(), 0, nullptr) == 0) {
    png_image_free(&image);
    return false;
  }
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  pixels.resize(static_cast<std::size_t>(width) *
                static_cast<std::size_t>(height));
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = (uint32_t{rgb[3 * i]} << 16) | (uint32_t{rgb[3 * i + 1]} << 8) |
                rgb[3 * i + 2];
  }
  return true;
}
