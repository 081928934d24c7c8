#include "PngEncoder.h"

#include <png.h>

#include <array>
#include <memory>
#include <optional>
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

// A picture of few colours as a palette and one index a pixel.
struct Palette {
  std::vector<png_color> colours;
  std::unique_ptr<png_byte[]> indices;
};

// The picture's colours in the order they first appear and every pixel's
// index; nothing when it has more than 256 colours. Most pixels continue a
// run of their colour, so only a change of colour looks the table up.
std::optional<Palette> MakePalette(const ScreenPicture& picture) {
  constexpr std::size_t kSlots = 1024;  // open addressing, well over 256 colours
  constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
  std::array<std::uint32_t, kSlots> keys;
  keys.fill(kEmpty);
  std::array<png_byte, kSlots> slotIndex{};
  Palette palette;
  const std::size_t count = picture.pixels.size();
  palette.indices = std::make_unique_for_overwrite<png_byte[]>(count);
  const std::uint32_t* in = picture.pixels.data();
  png_byte* out = palette.indices.get();
  std::uint32_t last = kEmpty;
  png_byte lastIndex = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t colour = in[i] & 0xFFFFFF;
    if (colour != last) [[unlikely]] {
      std::size_t slot = (colour * 0x9E3779B1u) >> 22;
      while (keys[slot] != colour && keys[slot] != kEmpty) slot = (slot + 1) & (kSlots - 1);
      if (keys[slot] == kEmpty) {
        if (palette.colours.size() == 256) return std::nullopt;
        keys[slot] = colour;
        slotIndex[slot] = static_cast<png_byte>(palette.colours.size());
        palette.colours.push_back({static_cast<png_byte>(colour >> 16), static_cast<png_byte>(colour >> 8),
                                   static_cast<png_byte>(colour)});
      }
      last = colour;
      lastIndex = slotIndex[slot];
    }
    out[i] = lastIndex;
  }
  return palette;
}

// One picture row, each pixel repeated `scale` times, as RGB or as indices.
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

void ScaleRow(const png_byte* in, int width, int scale, png_byte* at) {
  for (int x = 0; x < width; ++x)
    for (int i = 0; i < scale; ++i) *at++ = in[x];
}

// Two indices of at most 16 colours a byte, the first in the high half.
void PackRow(const png_byte* in, int width, png_byte* at) {
  int x = 0;
  for (; x + 1 < width; x += 2) *at++ = static_cast<png_byte>(in[x] << 4 | in[x + 1]);
  if (x < width) *at = static_cast<png_byte>(in[x] << 4);
}

bool WriteImage(png_structp png, png_infop info, const ScreenPicture& picture, int scale,
                const Palette* palette, png_byte* row) {
  if (setjmp(png_jmpbuf(png))) return false;
  const int width = picture.width * scale;
  // A handful of colours (the intro's usual case) fit four bits an index:
  // half the bytes to compress again.
  const bool packed = palette && scale == 1 && palette->colours.size() <= 16;
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(picture.height * scale),
               packed ? 4 : 8, palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (palette) png_set_PLTE(png, info, palette->colours.data(), static_cast<int>(palette->colours.size()));
  // The screen is mostly flat areas and repeated rows: the fastest
  // compression is small enough and several times quicker than the default.
  // Palette rows go unfiltered (a filter would only blur the indices; the
  // compression finds a repeated row by itself); colour rows take "up".
  png_set_compression_level(png, 1);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, palette ? PNG_FILTER_NONE : PNG_FILTER_UP);
  png_write_info(png, info);
  for (int y = 0; y < picture.height; ++y) {
    const std::size_t first = static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width);
    png_byte* out = row;
    if (packed)
      PackRow(palette->indices.get() + first, picture.width, row);
    else if (palette && scale == 1)
      out = palette->indices.get() + first;  // the indices are the row as it is
    else if (palette)
      ScaleRow(palette->indices.get() + first, picture.width, scale, row);
    else
      ScaleRow(picture.pixels.data() + first, picture.width, scale, row);
    for (int i = 0; i < scale; ++i) png_write_row(png, out);
  }
  png_write_end(png, info);
  return true;
}

}  // namespace

std::vector<std::byte> EncodePng(const ScreenPicture& picture, int scale) {
  if (picture.width <= 0 || picture.height <= 0 || scale < 1 ||
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height))
    throw std::invalid_argument("no picture to encode");
  // Pictures of up to 256 colours (the intro's have a handful) are written
  // with a palette: the same pixels in a third of the bytes or less, which
  // is what the compression's time goes by.
  const std::optional<Palette> palette = MakePalette(picture);
  std::vector<std::byte> out;
  std::vector<png_byte> row(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(scale) * 3);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpBack, IgnoreWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool written = false;
  if (info) {
    png_set_write_fn(png, &out, AppendBytes, NoFlush);
    written = WriteImage(png, info, picture, scale, palette ? &*palette : nullptr, row.data());
  }
  png_destroy_write_struct(&png, &info);
  if (!written) throw std::runtime_error("out of memory while making a PNG");
  return out;
}

}  // namespace corvane::capture
