#include "GlyphSheet.h"

#include <map>

#include "GlyphSource.h"

namespace corvane::art {
namespace {

int LineCount(const std::string& text) {
  int lines = 1;
  for (char c : text) lines += c == '\n' ? 1 : 0;
  return lines;
}

std::map<char, GlyphGrid> IndexByName(const std::string& text) {
  std::map<char, GlyphGrid> byName;
  for (const GlyphGrid& glyph : ParseGlyphSource(text)) {
    if (SheetTileOrder.find(glyph.name) == std::string_view::npos) {
      throw GlyphSourceError(glyph.line, std::string("glyph '") + glyph.name + "' has no tile on the sheet");
    }
    byName.emplace(glyph.name, glyph);
  }
  for (char name : SheetTileOrder) {
    if (!byName.contains(name)) {
      throw GlyphSourceError(LineCount(text), std::string("glyph '") + name + "' is missing");
    }
  }
  return byName;
}

}  // namespace

Palette GlyphSheetPalette() {
  Palette palette;
  palette.fill(Grey(0));
  palette[SheetWhite] = Grey(255);
  palette[SheetLightGrey] = Grey(240);
  return palette;
}

std::uint8_t SheetIndexOf(GlyphPixel pixel) {
  switch (pixel) {
    case GlyphPixel::Black: return SheetBlack;
    case GlyphPixel::Edge:
    case GlyphPixel::White: break;
  }
  return SheetWhite;
}

IndexedImage MakeGlyphSheet(const std::string& glyphSourceText) {
  const std::map<char, GlyphGrid> glyphs = IndexByName(glyphSourceText);
  IndexedImage sheet(SheetWidth, SheetHeight, GlyphSheetPalette(), SheetWhite);
  for (int tile = 1; tile <= static_cast<int>(SheetTileOrder.size()); ++tile) {
    const GlyphGrid& glyph = glyphs.at(SheetTileOrder[static_cast<std::size_t>(tile - 1)]);
    const TileOrigin origin = SheetTileOrigin(tile);
    for (int y = 0; y < GlyphSize; ++y) {
      for (int x = 0; x < GlyphSize; ++x) sheet.set(origin.x + x, origin.y + y, SheetIndexOf(glyph.at(x, y)));
    }
  }
  return sheet;
}

}  // namespace corvane::art
