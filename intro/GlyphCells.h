// The cells the intro draws: one per letter of the page shown, and the logo's.
// A page of the text table is laid out into cells once, when it is shown;
// every drawn frame then moves the rows in a one-pixel wave, fades the letters
// near the end of the page and draws them.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "PageText.h"
#include "graphics/DirectDrawSurface.h"
#include "graphics/PictureCollection.h"

namespace corvane {

struct GlyphCell {
  std::int32_t x = 0;  // left edge in the back buffer
  std::int32_t y = 0;  // top edge in the back buffer
  std::int32_t z = 0;  // kept for the cell's owner; nothing reads it
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint8_t red = 0;  // 255 in every cell; not used for drawing
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::int32_t alpha = 0;  // 255 opaque; 0 and below draws nothing
  std::int32_t pictureNumber = 0;  // 0 the logo, 1 to 45 the glyph tiles
  char character = 0;  // the text character shown; stored, not read
};

inline constexpr std::int32_t GlyphWidth = 17;
inline constexpr std::int32_t GlyphHeight = 17;
inline constexpr std::int32_t CharsPerLine = PageLineLength;
inline constexpr std::int32_t LinesPerPage = PageLines;
inline constexpr std::int32_t CellsPerPage = CharsPerLine * LinesPerPage;  // 102

// Room for 16384 cells, numbered from 1; a page uses cells 1 to 102.
inline constexpr int GlyphCellCount = 16384;
class TGlyphCells {
 public:
  GlyphCell& operator[](int number) { return cells_.at(static_cast<std::size_t>(number - 1)); }
  const GlyphCell& operator[](int number) const { return cells_.at(static_cast<std::size_t>(number - 1)); }
  void Clear() { cells_.fill(GlyphCell{}); }

 private:
  std::array<GlyphCell, GlyphCellCount> cells_{};
};
extern TGlyphCells GlyphCells;

// Entry k (1 to 45) names the glyph of picture k. The sheet has G before F,
// and the space stands twice; only entries 1 to 44 are searched.
inline constexpr int GlyphAlphabetSize = 45;
inline constexpr std::string_view GlyphAlphabetText = "abcdegfhijklmnopqrstuvwxyz1234567890!:.,+-?  ";
inline constexpr char GlyphAlphabet(int k) { return GlyphAlphabetText[static_cast<std::size_t>(k - 1)]; }
// The blank tile: a space, and any character the sheet has no glyph for.
inline constexpr std::int32_t BlankPicture = 44;

// The picture that shows `ch`. Upper-case letters take the glyph of their
// lower-case letter (the shapes are capitals anyway); a character the sheet
// has no glyph for takes the blank tile, so that it still holds its place.
std::int32_t GlyphPicture(char ch);

// The row wave: 1, 1, 1, 0, 0, -1, -1, -1, 0 eight times over, index from 1.
inline constexpr int WobbleTableSize = 72;
std::int32_t WobbleTable(int index);

// Frames since the page was laid out, the page shown (from 0) and the offset
// into the wave. PageCount, the pages in the cycle, stands with the text.
extern std::int32_t PageTimer;
extern std::int32_t CurrentPage;
extern std::int32_t WobblePhase;

inline constexpr std::int32_t PageFrames = 200;    // a page changes when its timer passes this
inline constexpr std::int32_t FadeAfter = 170;     // the letters fade once the timer passes this
inline constexpr std::int32_t FadeStep = 14;       // alpha taken off per fading frame
inline constexpr std::int32_t RowsTop = 100;       // the rows stand this far below their layout place

// Fills cells 1 to 102 from the six lines of `page` (0 to 9), row by row:
// every character gets its cell at its own row and column, at full strength.
// A page outside the table lays out nothing.
void LayoutPage(std::int32_t page);

// One drawn frame of the page: counts it (laying out the next page after
// 200), moves the wave on, places and fades every letter and draws it with
// its alpha from `pictures` into `dest`.
void AnimateCells(TPictureCollection& pictures, TDirectDrawSurface* dest);

// Back to the state at program start: cells empty, first page, no phase.
void ResetGlyphCells();

}  // namespace corvane
