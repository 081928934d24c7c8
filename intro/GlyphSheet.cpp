// The letter pictures cut from the glyph sheet, and the logo cell.
#include "Tallberg_Functions.h"

namespace corvane {

void InitCell(GlyphCell& cell, std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t width,
              std::int32_t height, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
              std::int32_t alpha, std::int32_t pictureNumber) {
  cell.x = x;
  cell.y = y;
  cell.z = z;
  cell.width = width;
  cell.height = height;
  cell.red = red;
  cell.green = green;
  cell.blue = blue;
  cell.alpha = alpha;
  cell.pictureNumber = pictureNumber;
}

void DrawLogoCell(const GlyphCell& cell, TCustomDXDraw& display, TCustomDXImageList& pictures) {
  pictures.Items()[cell.pictureNumber]->Draw(display.Surface(), cell.x, cell.y, 0);
}

void SliceGlyphSheet(TCustomDXDIB& sheet, TCustomDXImageList& pictures, std::int32_t tileWidth,
                     std::int32_t tileHeight, std::int32_t rows, std::int32_t columns,
                     std::int32_t firstPicture, std::uint32_t transparentColour, bool transparent) {
  // One working bitmap serves every tile; each picture keeps its own copy.
  TBitmap tile;
  tile.SetSize(tileWidth, tileHeight);
  TCanvas& source = sheet.DIB().ImageCanvas();
  const TRect whole{0, 0, tileWidth, tileHeight};
  std::int32_t k = firstPicture;
  for (std::int32_t r = 0; r < rows; ++r) {
    for (std::int32_t c = 0; c < columns; ++c, ++k) {
      const std::int32_t left = c * tileWidth, top = r * tileHeight;
      tile.Canvas().CopyRect(whole, source, {left, top, left + tileWidth, top + tileHeight});
      pictures.Items().Add();
      TPictureCollectionItem& picture = *pictures.Items()[k];
      picture.Picture().Assign(&tile);
      picture.Transparent = transparent;
      picture.SetTransparentColor(transparentColour);
    }
  }
}

}  // namespace corvane
