#include "PngEncoder.h"

#include <png.h>

#include <stdexcept>

namespace corvane::capture {

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::byte>*>(png_get_io_ptr(png));
  const auto* bytes = reinterpret_cast<const std::byte*>(data);
  out->insert(out->end(), bytes, bytes + length);
}

void NoFlush(png_structp) {}

// libpng reports errors by a long jump back to WriteImage; nothing between
// holds anything to clean up.
[[noreturn]] void JumpBack(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void IgnoreWarning(png_structp, png_const_charp) {}

// One picture row, each pixel repeated `scale` times.
void ScaleRow(const std::uint32_t* in, int width, int scale, png_byte* at) {
  for (int x = 0; x < width; ++x) {
    const std::uint32_t colour = in[x];
    for (int i = 0; i < scale; ++i) {
      *at++ = static_cast<png_byte>(colour >> 16);
      *at++ = static_cast<png_byte>(colour >> 8);
      *at++ = static_cast<png_byte>(colour);
    }
  }
}

bool WriteImage(png_structp png, png_infop info, const ScreenPicture& picture, int scale, png_byte* row) {
  if (setjmp(png_jmpbuf(png))) return false;
  const int width = picture.width * scale;
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(picture.height * scale), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // The screen is mostly flat areas and repeated rows: the fastest
  // compression with the "up" filter is small enough and several times
  // quicker than the default.
  png_set_compression_level(png, 1);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
  png_write_info(png, info);
  for (int y = 0; y < picture.height; ++y) {
    ScaleRow(picture.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width),
             picture.width, scale, row);
    for (int i = 0; i < scale; ++i) png_write_row(png, row);
  }
  png_write_end(png, info);
  return true;
}

}  // namespace

std::vector<std::byte> EncodePng(const ScreenPicture& picture, int scale) {
  if (picture.width <= 0 || picture.height <= 0 || scale < 1 ||
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height))
    throw std::invalid_argument("no picture to encode");
  std::vector<std::byte> out;
  std::vector<png_byte> row(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(scale) * 3);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpBack, IgnoreWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool written = false;
  if (info) {
    png_set_write_fn(png, &out, AppendBytes, NoFlush);
    written = WriteImage(png, info, picture, scale, row.data());
  }
  png_destroy_write_struct(&png, &info);
  if (!written) throw std::runtime_error("out of memory while making a PNG");
  return out;
}

}  // namespace corvane::capture
