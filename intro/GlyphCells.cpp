#include "GlyphCells.h"

namespace corvane {

TGlyphCells GlyphCells;
std::int32_t PageTimer = 0;
std::int32_t CurrentPage = 0;
std::int32_t WobblePhase = 0;

namespace {

constexpr std::int32_t kWave[] = {1, 1, 1, 0, 0, -1, -1, -1, 0};

// The first of entries 1 to 44 that names `ch`; 0 when none does.
std::int32_t FindGlyph(char ch) {
  for (int k = 1; k <= BlankPicture; ++k)
    if (GlyphAlphabet(k) == ch) return k;
  return 0;
}

// The frame's page bookkeeping: after 200 frames the next page, then one
// step along the wave (2, 4, ..., 18 from the start, then the odd values 1 to
// 19 over and over).
void AdvancePage() {
  if (++PageTimer > PageFrames) {
    // ">=" rather than "=": a page count lowered under the page shown still
    // brings the cycle back to the first page.
    CurrentPage = CurrentPage >= PageCount - 1 ? 0 : CurrentPage + 1;
    LayoutPage(CurrentPage);
    PageTimer = 0;
  }
  WobblePhase = WobblePhase < 18 ? WobblePhase + 2 : 1;
}

}  // namespace

std::int32_t GlyphPicture(char ch) {
  if (std::int32_t k = FindGlyph(ch)) return k;
  if (ch >= 'A' && ch <= 'Z') return FindGlyph(static_cast<char>(ch - 'A' + 'a'));
  return BlankPicture;
}

std::int32_t WobbleTable(int index) {
  if (index < 1 || index > WobbleTableSize) return 0;
  return kWave[(index - 1) % 9];
}

void LayoutPage(std::int32_t page) {
  if (page < 0 || page >= MaxPages) return;
  int n = 1;
  for (int r = 1; r <= LinesPerPage; ++r) {
    const TPageLine& line = PageText[static_cast<std::size_t>(page * LinesPerPage + r - 1)];
    for (int c = 1; c <= CharsPerLine; ++c, ++n) {
      const char ch = line[static_cast<std::size_t>(c - 1)];
      GlyphCell& cell = GlyphCells[n];
      cell.x = c * GlyphWidth;
      cell.y = r * GlyphHeight;
      cell.width = GlyphWidth;
      cell.height = GlyphHeight;
      cell.red = cell.green = cell.blue = 255;
      cell.alpha = 255;
      cell.pictureNumber = GlyphPicture(ch);
      cell.character = ch;
    }
  }
}

void AnimateCells(TPictureCollection& pictures, TDirectDrawSurface* dest) {
  AdvancePage();
  const bool fading = PageTimer > FadeAfter;
  int n = 1;
  for (int r = 1; r <= LinesPerPage; ++r) {
    const std::int32_t w = WobbleTable(WobblePhase + r);
    for (int c = 1; c <= CharsPerLine; ++c, ++n) {
      GlyphCell& cell = GlyphCells[n];
      // Neighbours move in opposite directions.
      cell.y = r * GlyphHeight + RowsTop + (c % 2 == 1 ? -w : w);
      // The fade has no floor: the alpha stays below 0 until the next layout,
      // and at most 30 fading frames per page keep it far from overflowing.
      if (fading) cell.alpha -= FadeStep;
      const platform::RECT rect{cell.x, cell.y, cell.x + cell.width, cell.y + cell.height};
      pictures[cell.pictureNumber]->DrawAlpha(dest, rect, 0, cell.alpha);
    }
  }
}

void ResetGlyphCells() {
  GlyphCells.Clear();
  PageTimer = 0;
  CurrentPage = 0;
  WobblePhase = 0;
}

}  // namespace corvane
