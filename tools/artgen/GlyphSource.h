#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::art {

// The glyph source is plain text. Each glyph is a header line "glyph X", X being the one
// character the glyph shows, followed by exactly 17 rows of 17 pixel characters:
//   '.'  white (the transparent background)
//   '+'  a softening edge pixel (its colour on the sheet: SheetIndexOf in GlyphSheet.h)
//   '#'  black (the letter)
// Blank lines and lines starting with ';' may stand between glyphs, not inside a grid.
// A trailing carriage return or trailing blanks on a line are ignored.

inline constexpr int GlyphSize = 17;

enum class GlyphPixel : std::uint8_t { White = 0, Edge = 1, Black = 2 };

struct GlyphGrid {
  char name = 0;
  int line = 0;  // line of the header, from 1
  std::array<std::array<GlyphPixel, GlyphSize>, GlyphSize> pixels{};

  GlyphPixel at(int x, int y) const { return pixels[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]; }
};

// Raised for malformed glyph text; `line()` is the line (from 1) where the fault shows.
class GlyphSourceError : public std::runtime_error {
 public:
  GlyphSourceError(int line, const std::string& what);
  int line() const { return line_; }

 private:
  int line_;
};

// Reads every glyph of the text, in the order they stand. Names must be unique.
std::vector<GlyphGrid> ParseGlyphSource(std::string_view text);

}  // namespace corvane::art
