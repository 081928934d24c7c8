// corvane-icon: draws the desktop icon from the intro's own art: the "C" of
// the glyph sheet, three times enlarged, on the logo's lightest grey inside
// a frame of its darkest.
//
//   corvane-icon GLYPH-SOURCE OUTPUT.png
#include <cstdlib>
#include <iostream>
#include <string>

#include "GlyphSheet.h"
#include "Logo.h"
#include "PngWriter.h"
#include "Preview.h"
#include "SourceFile.h"

namespace {

using namespace corvane::art;

constexpr int kIconSize = 64;
constexpr int kGlyphScale = 3;
constexpr int kFrame = 3;
constexpr char kIconLetter = 'C';

RgbImage DrawIcon(const IndexedImage& sheet) {
  const Palette logo = LogoPalette();
  RgbImage icon{kIconSize, kIconSize, std::vector<std::uint8_t>(kIconSize * kIconSize * 3)};
  for (int y = 0; y < kIconSize; ++y)
    for (int x = 0; x < kIconSize; ++x) {
      const bool frame = x < kFrame || y < kFrame || x >= kIconSize - kFrame || y >= kIconSize - kFrame;
      icon.set(x, y, logo[frame ? LogoDarkest : LogoLightest]);
    }
  const int tile = static_cast<int>(SheetTileOrder.find(kIconLetter)) + 1;
  const TileOrigin origin = SheetTileOrigin(tile);
  const int offset = (kIconSize - SheetTileSize * kGlyphScale) / 2;
  for (int y = 0; y < SheetTileSize * kGlyphScale; ++y)
    for (int x = 0; x < SheetTileSize * kGlyphScale; ++x) {
      // The sheet's white is transparent, as in the intro.
      const std::uint8_t index = sheet.at(origin.x + x / kGlyphScale, origin.y + y / kGlyphScale);
      if (index != SheetWhite) icon.set(offset + x, offset + y, sheet.palette()[index]);
    }
  return icon;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: corvane-icon GLYPH-SOURCE OUTPUT.png\n";
    return EXIT_FAILURE;
  }
  try {
    WritePng(argv[2], DrawIcon(MakeGlyphSheet(ReadSourceFile(argv[1]))));
    return EXIT_SUCCESS;
  } catch (const std::exception& e) {
    std::cerr << "corvane-icon: " << e.what() << '\n';
  }
  return EXIT_FAILURE;
}
