#include "Preview.h"

#include <cctype>
#include <stdexcept>

#include "GlyphSheet.h"

namespace corvane::art {
namespace {

constexpr int ScreenWidth = 320;
constexpr int ScreenHeight = 240;
constexpr int CharsPerLine = 17;
constexpr int LinesPerPage = 6;
constexpr int PageTop = 100;  // row r's letters stand at y = 17 × r + PageTop

std::size_t Offset(int width, int x, int y) {
  return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
}

// Tile number (from 1) that shows `c`, or 0 when no tile does.
int TileOf(char c) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::size_t found = SheetTileOrder.find(upper);
  return found == std::string_view::npos ? 0 : static_cast<int>(found) + 1;
}

void DrawTile(RgbImage& screen, const IndexedImage& sheet, int tile, int left, int top) {
  const TileOrigin origin = SheetTileOrigin(tile);
  for (int y = 0; y < SheetTileSize; ++y) {
    for (int x = 0; x < SheetTileSize; ++x) {
      const std::uint8_t index = sheet.at(origin.x + x, origin.y + y);
      const int sx = left + x;
      const int sy = top + y;
      if (index == SheetWhite || sx < 0 || sy < 0 || sx >= screen.width || sy >= screen.height) continue;
      screen.set(sx, sy, sheet.palette()[index]);
    }
  }
}

}  // namespace

std::array<std::uint8_t, 3> RgbImage::at(int x, int y) const {
  const std::size_t o = Offset(width, x, y);
  return {rgb[o], rgb[o + 1], rgb[o + 2]};
}

void RgbImage::set(int x, int y, const ColorEntry& colour) {
  const std::size_t o = Offset(width, x, y);
  rgb[o] = colour.red;
  rgb[o + 1] = colour.green;
  rgb[o + 2] = colour.blue;
}

RgbImage ToRgb(const IndexedImage& image) {
  RgbImage out{image.width(), image.height(), {}};
  out.rgb.resize(static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.height()) * 3);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) out.set(x, y, image.palette()[image.at(x, y) & 0x0F]);
  }
  return out;
}

RgbImage ScaleUp(const RgbImage& image, int factor) {
  if (factor < 1) throw std::invalid_argument("the scale factor must be 1 or more");
  RgbImage out{image.width * factor, image.height * factor, {}};
  out.rgb.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 3);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const std::size_t from = Offset(image.width, x / factor, y / factor);
      const std::size_t to = Offset(out.width, x, y);
      for (int c = 0; c < 3; ++c) out.rgb[to + c] = image.rgb[from + c];
    }
  }
  return out;
}

RgbImage ComposeTyperScreen(const IndexedImage& logo, const IndexedImage& sheet, const TyperPage& page) {
  RgbImage screen{ScreenWidth, ScreenHeight, std::vector<std::uint8_t>(ScreenWidth * ScreenHeight * 3, 0)};
  for (int y = 0; y < ScreenHeight && y < logo.height(); ++y) {
    for (int x = 0; x < ScreenWidth && x < logo.width(); ++x) screen.set(x, y, logo.palette()[logo.at(x, y)]);
  }
  for (int row = 1; row <= LinesPerPage; ++row) {
    const std::string& line = page.lines[static_cast<std::size_t>(row - 1)];
    const int wobble = page.wobble[static_cast<std::size_t>(row - 1)];
    for (int column = 1; column <= CharsPerLine && column <= static_cast<int>(line.size()); ++column) {
      const int tile = TileOf(line[static_cast<std::size_t>(column - 1)]);
      if (tile == 0) continue;
      const int top = row * SheetTileSize + PageTop + (column % 2 == 1 ? -wobble : wobble);
      DrawTile(screen, sheet, tile, column * SheetTileSize, top);
    }
  }
  return screen;
}

}  // namespace corvane::art
