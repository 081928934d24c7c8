// The letter pictures cut from the glyph sheet at start, and the logo cell.
#include <gtest/gtest.h>

#include "../support/IntroFixture.h"
#include "IntroScreen.h"
#include "Tallberg_Functions.h"

namespace corvane::test {
namespace {

class GlyphPictures : public IntroFixture {
 protected:
  TPictureCollection& pictures() { return frmMain->ImageList->Items(); }
  ScratchDirectory dir;
};

// A source pixel's colour on the sheet as 0x00RRGGBB (the sheet's entries are
// greys).
std::uint32_t Level(art::GlyphPixel p) {
  static const art::Palette palette = art::GlyphSheetPalette();
  return palette[art::SheetIndexOf(p)].red * 0x010101u;
}

// 0x00RRGGBB as a colour value (red in the lowest byte).
std::uint32_t RgbToColour(std::uint32_t rgb) {
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

// The sheet's own colour at (x, y): 4 bits through its colour table.
std::uint32_t SheetColour(TDIB& sheet, int x, int y) {
  const std::uint8_t* row = sheet.ScanLine(y);
  int index = x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 15;
  return Rgb(sheet.ColorTable[static_cast<std::size_t>(index)]);
}

TEST_F(GlyphPictures, TheSheetBecomesPictures1To45AfterTheLogo) {
  create();
  ASSERT_EQ(pictures().Count(), 46);
  EXPECT_EQ(pictures()[0]->Name(), "cvnLogo");
  TDIB& sheet = frmMain->dxFont->DIB();
  for (int k = 1; k <= 45; ++k) {
    SCOPED_TRACE("picture " + std::to_string(k));
    TPictureCollectionItem& item = *pictures()[k];
    auto* tile = dynamic_cast<TBitmap*>(item.Picture().Graphic());
    ASSERT_NE(tile, nullptr);
    ASSERT_EQ(tile->Width(), 17);
    ASSERT_EQ(tile->Height(), 17);
    EXPECT_TRUE(item.Transparent);
    EXPECT_EQ(item.TransparentColor(), 0xFFFFFFu);
    EXPECT_EQ(item.Name(), "");
    EXPECT_EQ(item.PatternWidth, 0);
    EXPECT_EQ(item.PatternHeight, 0);
    // Tile k of the sheet, row by row; the last column ends at pixel 254.
    const int left = (k - 1) % 15 * 17, top = (k - 1) / 15 * 17;
    // Its shape: the glyph the alphabet names (capitals on the sheet), or
    // blank for the two spaces.
    const art::GlyphGrid* glyph = GlyphOf(GlyphAlphabet(k));
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 17; ++x) {
        ASSERT_EQ(tile->Pixel(x, y), SheetColour(sheet, left + x, top + y)) << x << "," << y;
        ASSERT_EQ(tile->Pixel(x, y), glyph ? Level(glyph->at(x, y)) : 0xFFFFFF) << x << "," << y;
      }
  }
  EXPECT_EQ(GlyphOf(GlyphAlphabet(6))->name, 'G');
  EXPECT_EQ(GlyphOf(GlyphAlphabet(7))->name, 'F');
}

// Each switch between full screen and the window gives every picture its
// surface again, made from its own copy of the tile.
TEST_F(GlyphPictures, AreRebuiltAfterEverySwitch) {
  create();
  start();
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("after " + std::to_string(round) + " presses of F1");
    ASSERT_EQ(pictures().Count(), 46);
    for (int k = 0; k <= 45; ++k) {
      ASSERT_TRUE(pictures()[k]->Initialized()) << k;
      ASSERT_EQ(pictures()[k]->PatternCount(), 1) << k;
    }
    for (char shape : {'G', 'F'}) {
      TPictureCollectionItem& item = *pictures()[GlyphPicture(shape)];
      TDirectDrawSurface& surface = *item.Surface(0);
      ASSERT_EQ(surface.Width(), 17);
      const art::GlyphGrid& glyph = *GlyphOf(shape);
      for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 17; ++x)
          ASSERT_EQ(surface.Pixel(x, y), surface.ColorMatch(Level(glyph.at(x, y)))) << shape << " " << x << "," << y;
      EXPECT_EQ(surface.ColorMatch(0xFFFFFF), surface.ColorMatch(item.TransparentColor()));
    }
    pressKey(platform::VK_F1);
  }
}

TEST_F(GlyphPictures, TheLogoCellCoversTheScreenOpaque) {
  create();
  EXPECT_EQ(LogoCell.x, 0);
  EXPECT_EQ(LogoCell.y, 0);
  EXPECT_EQ(LogoCell.z, 2);
  EXPECT_EQ(LogoCell.width, 320);
  EXPECT_EQ(LogoCell.height, 246);
  EXPECT_EQ(LogoCell.red + LogoCell.green + LogoCell.blue, 3 * 255);
  EXPECT_EQ(LogoCell.alpha, 255);
  EXPECT_EQ(LogoCell.pictureNumber, 0);
  // Drawn over a white back buffer, the logo leaves nothing of it: its
  // transparency is off, and its bottom six rows fall outside.
  start();
  pressKey(platform::VK_F1);
  TDirectDrawSurface& back = *frmMain->dxDraw->Surface();
  back.Fill(back.ColorMatch(0xFFFFFF));
  DrawLogoCell(LogoCell, *frmMain->dxDraw, *frmMain->ImageList);
  TDIB& logo = dynamic_cast<TDIB&>(*pictures()[0]->Picture().Graphic());
  const auto logoScreen = LogoScreen(logo);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      ASSERT_EQ(back.Pixel(x, y), back.ColorMatch(RgbToColour(logoScreen[static_cast<std::size_t>(y * 320 + x)])));
}

TEST_F(GlyphPictures, InitCellLeavesTheCharacter) {
  GlyphCell cell;
  cell.character = 'q';
  InitCell(cell, -1, 2, 3, 4, 5, 6, 7, 8, -9, 10);
  EXPECT_EQ(cell.character, 'q');
  EXPECT_EQ(cell.x, -1);
  EXPECT_EQ(cell.y, 2);
  EXPECT_EQ(cell.z, 3);
  EXPECT_EQ(cell.width, 4);
  EXPECT_EQ(cell.height, 5);
  EXPECT_EQ(cell.red, 6);
  EXPECT_EQ(cell.green, 7);
  EXPECT_EQ(cell.blue, 8);
  EXPECT_EQ(cell.alpha, -9);
  EXPECT_EQ(cell.pictureNumber, 10);
}

}  // namespace
}  // namespace corvane::test
