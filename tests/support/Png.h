// Reads a PNG as 8-bit RGBA rows, for comparing pictures in tests, and
// writes one from 0x00RRGGBB pixels, for making reference pictures.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace corvane::test {

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // rows top-down, 4 bytes a pixel
  std::uint32_t rgb(int x, int y) const {
    const std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
  }
};

inline bool ReadPng(const std::string& path, RgbaImage& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGBA;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.pixels.resize(PNG_IMAGE_SIZE(image));
  bool ok = png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

// Writes `pixels` (0x00RRGGBB, row after row) as an 8-bit RGB PNG.
inline bool WritePng(const std::string& path, int width, int height,
                     const std::vector<std::uint32_t>& pixels) {
  std::vector<std::uint8_t> rgb;
  rgb.reserve(pixels.size() * 3);
  for (std::uint32_t p : pixels) {
    rgb.push_back(static_cast<std::uint8_t>(p >> 16));
    rgb.push_back(static_cast<std::uint8_t>(p >> 8));
    rgb.push_back(static_cast<std::uint8_t>(p));
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

}  // namespace corvane::test
