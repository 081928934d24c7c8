#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "IndexedImage.h"

namespace corvane::art {

// A plain 8-bit RGB picture, for looking at the art.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // red, green, blue per pixel, rows top to bottom

  std::array<std::uint8_t, 3> at(int x, int y) const;
  void set(int x, int y, const ColorEntry& colour);
};

// Looks every index up in the picture's palette.
RgbImage ToRgb(const IndexedImage& image);

// Enlarges by a whole factor (1 or more), each pixel becoming a square.
RgbImage ScaleUp(const RgbImage& image, int factor);

// The intro's screen: 320 × 240, the logo at (0, 0) clipped at the bottom, and one page of
// up to 6 lines of 17 characters at x = 17 × column, y = 17 × row + 100, rows and columns
// from 1. Odd columns are lifted by the row's wobble, even ones lowered (wobble values are
// -1, 0 or 1 per row, as the intro's wave gives them). Letters take the glyph of their
// upper-case form; characters without a glyph leave their cell empty. The sheet's white is
// transparent, as in the intro.
struct TyperPage {
  std::array<std::string, 6> lines;
  std::array<int, 6> wobble{};
};
RgbImage ComposeTyperScreen(const IndexedImage& logo, const IndexedImage& sheet, const TyperPage& page);

}  // namespace corvane::art
