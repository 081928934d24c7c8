#include "Preview.h"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "GlyphSheet.h"
#include "Logo.h"
#include "PngWriter.h"

namespace corvane::art {
namespace {

using Rgb = std::array<std::uint8_t, 3>;

TEST(Preview, ToRgbLooksIndicesUp) {
  Palette palette{};
  palette[3] = ColorEntry{10, 20, 30, 0};  // blue, green, red
  IndexedImage image(2, 1, palette);
  image.set(1, 0, 3);
  const RgbImage rgb = ToRgb(image);
  EXPECT_EQ(rgb.at(0, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(rgb.at(1, 0), (Rgb{30, 20, 10}));
}

TEST(Preview, ScaleUpMakesSquares) {
  Palette palette{};
  palette[1] = Grey(200);
  IndexedImage image(2, 2, palette);
  image.set(1, 1, 1);
  const RgbImage big = ScaleUp(ToRgb(image), 3);
  ASSERT_EQ(big.width, 6);
  ASSERT_EQ(big.height, 6);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) {
      const std::uint8_t level = x >= 3 && y >= 3 ? 200 : 0;
      EXPECT_EQ(big.at(x, y), (Rgb{level, level, level})) << x << "," << y;
    }
  }
  EXPECT_THROW(ScaleUp(ToRgb(image), 0), std::invalid_argument);
}

// A sheet whose tile for `name` holds one black pixel at its top-left corner.
IndexedImage MarkedSheet(char name) {
  IndexedImage sheet(SheetWidth, SheetHeight, GlyphSheetPalette(), SheetWhite);
  const TileOrigin origin = SheetTileOrigin(static_cast<int>(SheetTileOrder.find(name)) + 1);
  sheet.set(origin.x, origin.y, SheetBlack);
  sheet.set(origin.x + 1, origin.y, SheetLightGrey);
  return sheet;
}

struct PlacementCase {
  const char* what;
  std::string line;
  int wobble;
  int x;
  int y;
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.what; }

class TyperPlacement : public testing::TestWithParam<PlacementCase> {};

// Letters land where the intro puts them; the sheet's white is see-through.
TEST_P(TyperPlacement, PutsTheGlyphInItsCell) {
  const PlacementCase& c = GetParam();
  const IndexedImage logo(LogoWidth, LogoHeight, LogoPalette(), LogoMiddle);
  TyperPage page;
  page.lines[1] = c.line;
  page.wobble[1] = c.wobble;
  const RgbImage screen = ComposeTyperScreen(logo, MarkedSheet('G'), page);
  ASSERT_EQ(screen.width, 320);
  ASSERT_EQ(screen.height, 240);
  int marks = 0;
  for (int y = 0; y < screen.height; ++y) {
    for (int x = 0; x < screen.width; ++x) {
      const Rgb pixel = screen.at(x, y);
      if (pixel == Rgb{0, 0, 0}) {
        ++marks;
        EXPECT_EQ(x, c.x) << c.what;
        EXPECT_EQ(y, c.y) << c.what;
        EXPECT_EQ(screen.at(x + 1, y), (Rgb{240, 240, 240})) << c.what;
      } else if (pixel != Rgb{240, 240, 240}) {
        ASSERT_EQ(pixel, (Rgb{166, 166, 166})) << c.what << " at " << x << "," << y;
      }
    }
  }
  EXPECT_EQ(marks, c.x < 0 ? 0 : 1) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TyperPlacement,
    testing::Values(PlacementCase{"first column, row 2", "G", 0, 17, 134},
                    PlacementCase{"lower case takes the upper-case glyph", "g", 0, 17, 134},
                    PlacementCase{"odd columns rise with the wave", "G", 1, 17, 133},
                    PlacementCase{"even columns sink with the wave", " G", 1, 34, 135},
                    PlacementCase{"last column, wave below", "                G", -1, 289, 135},
                    PlacementCase{"characters without glyph stay empty", "#", 0, -1, -1},
                    PlacementCase{"the eighteenth character is not shown", "                 G", 0, -1, -1}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return "Case" + std::to_string(info.index); });

TEST(Preview, WritePngRoundTrips) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("corvane-art-test-" + std::to_string(getpid()) + ".png");
  Palette palette{};
  palette[1] = ColorEntry{1, 2, 3, 0};
  IndexedImage image(3, 2, palette);
  image.set(2, 1, 1);
  WritePng(path.string(), ToRgb(image));

  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&png, path.c_str())) << png.message;
  png.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(png));
  ASSERT_TRUE(png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) << png.message;
  std::filesystem::remove(path);
  EXPECT_EQ(png.width, 3u);
  EXPECT_EQ(png.height, 2u);
  EXPECT_EQ(std::vector<std::uint8_t>(pixels.begin() + 15, pixels.end()), (std::vector<std::uint8_t>{3, 2, 1}));
  EXPECT_EQ(std::vector<std::uint8_t>(pixels.begin(), pixels.begin() + 15), std::vector<std::uint8_t>(15, 0));
}

TEST(Preview, WritePngReportsAnUnwritablePath) {
  Palette palette{};
  EXPECT_THROW(WritePng("/nonexistent-dir/x.png", ToRgb(IndexedImage(1, 1, palette))), std::runtime_error);
}

}  // namespace
}  // namespace corvane::art
