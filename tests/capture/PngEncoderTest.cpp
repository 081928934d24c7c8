// The PNG encoder, read back by libpng's own reader: every kind of picture it
// writes (four-bit and eight-bit palettes, colour rows for many colours,
// enlarged or not) shows exactly its pixels, and the same bytes every time.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include "PngEncoder.h"

namespace corvane::capture {
namespace {

// The pixels a PNG shows, as 0x00RRGGBB.
std::vector<std::uint32_t> Decode(const std::vector<std::byte>& file, int& width, int& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
  const bool read = png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
  png_image_free(&image);
  if (!read) return {};
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  std::vector<std::uint32_t> pixels;
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
    pixels.push_back(std::uint32_t{rgb[i]} << 16 | std::uint32_t{rgb[i + 1]} << 8 | rgb[i + 2]);
  return pixels;
}

// The colour type and bit depth from the header.
std::pair<int, int> TypeAndDepth(const std::vector<std::byte>& file) {
  return {std::to_integer<int>(file.at(25)), std::to_integer<int>(file.at(24))};
}

struct PngCase {
  const char* name;
  int width, height, colours, scale;
  int colourType, depth;  // what the header must say
};
void PrintTo(const PngCase& c, std::ostream* os) { *os << c.name; }

class PngEncoding : public ::testing::TestWithParam<PngCase> {};

TEST_P(PngEncoding, ShowsEveryPixelAndGivesTheSameBytesAgain) {
  const PngCase& c = GetParam();
  ScreenPicture picture{c.width, c.height, {}};
  // Colours spread over all three channels, in runs and alone; the top byte
  // is not part of the colour.
  for (int i = 0; i < c.width * c.height; ++i) {
    const auto n = static_cast<std::uint32_t>((i / 3 * 7 + i % 2) % c.colours);
    picture.pixels.push_back(0xFF000000u | (n & 0xFF) << 16 | (n >> 8) << 8 | (n * 7 & 0xFF));
  }
  const std::vector<std::byte> file = EncodePng(picture, c.scale);
  EXPECT_EQ(TypeAndDepth(file), std::make_pair(c.colourType, c.depth));
  int width = 0, height = 0;
  const std::vector<std::uint32_t> shown = Decode(file, width, height);
  ASSERT_EQ(width, c.width * c.scale);
  ASSERT_EQ(height, c.height * c.scale);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      ASSERT_EQ(shown[static_cast<std::size_t>(y * width + x)],
                picture.pixels[static_cast<std::size_t>(y / c.scale * c.width + x / c.scale)] & 0xFFFFFF)
          << "at " << x << "," << y;
  EXPECT_TRUE(EncodePng(picture, c.scale) == file);
}

INSTANTIATE_TEST_SUITE_P(
    PngEncoder, PngEncoding,
    ::testing::Values(
        // Two indices a byte; an odd width leaves the last byte half used.
        PngCase{"sixteen_colours_odd_width", 33, 5, 16, 1, PNG_COLOR_TYPE_PALETTE, 4},
        PngCase{"one_colour", 8, 2, 1, 1, PNG_COLOR_TYPE_PALETTE, 4},
        PngCase{"seventeen_colours", 40, 3, 17, 1, PNG_COLOR_TYPE_PALETTE, 8},
        PngCase{"a_full_palette", 300, 2, 256, 1, PNG_COLOR_TYPE_PALETTE, 8},
        // One colour too many for a palette: colour rows.
        PngCase{"257_colours", 300, 2, 257, 1, PNG_COLOR_TYPE_RGB, 8},
        PngCase{"few_colours_enlarged", 7, 3, 5, 3, PNG_COLOR_TYPE_PALETTE, 8},
        PngCase{"many_colours_enlarged", 30, 20, 600, 2, PNG_COLOR_TYPE_RGB, 8}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::capture
