#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "GlyphSource.h"
#include "IndexedImage.h"

namespace corvane::art {

// The glyph sheet the intro slices into its 45 letter pictures: 15 columns × 3 rows of
// 17 × 17 tiles from the top-left corner; pixel column 255 and rows 51 to 59 stay white.
inline constexpr int SheetWidth = 256;
inline constexpr int SheetHeight = 60;
inline constexpr int SheetColumns = 15;
inline constexpr int SheetRows = 3;
inline constexpr int SheetTiles = SheetColumns * SheetRows;
inline constexpr int SheetTileSize = 17;

// Palette indices of the sheet.
inline constexpr std::uint8_t SheetWhite = 0;
inline constexpr std::uint8_t SheetLightGrey = 1;
inline constexpr std::uint8_t SheetBlack = 2;

// The glyph of each tile, tile 1 first. G stands before F; the last two tiles are blank.
inline constexpr std::string_view SheetTileOrder = "ABCDEGFHIJKLMNOPQRSTUVWXYZ1234567890!:.,+-?";
inline constexpr int SheetBlankTiles = SheetTiles - static_cast<int>(SheetTileOrder.size());

struct TileOrigin {
  int x;
  int y;
};

// Top-left pixel of tile `tile` (from 1).
constexpr TileOrigin SheetTileOrigin(int tile) {
  return {((tile - 1) % SheetColumns) * SheetTileSize, ((tile - 1) / SheetColumns) * SheetTileSize};
}

// Entry 0 white, entry 1 light grey (240), entries 2 to 15 black. The stored sheet keeps
// entry 1, but no glyph uses it (see SheetIndexOf).
Palette GlyphSheetPalette();

// The sheet's entry for a pixel of the glyph source: white, or black for the letter. A
// softening edge pixel is left to the background: the sheet's white is the transparent
// colour, so the logo's own grey shows there. Light grey would soften an edge on a white
// ground, but on the logo (192 and darker) it is brighter than everything around it and
// glints at the round letters' corners.
std::uint8_t SheetIndexOf(GlyphPixel pixel);

// Builds the sheet from glyph source text (see GlyphSource.h). The text must define every
// glyph of SheetTileOrder and nothing else; faults raise GlyphSourceError.
IndexedImage MakeGlyphSheet(const std::string& glyphSourceText);

}  // namespace corvane::art
