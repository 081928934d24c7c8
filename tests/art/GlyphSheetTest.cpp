#include "GlyphSheet.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "GlyphSource.h"

namespace corvane::art {
namespace {

std::string GlyphText() {
  std::ifstream in(CORVANE_GLYPH_SOURCE, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The sheet and the parsed glyphs, made once for all tests.
class GlyphSheetTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    text_ = new std::string(GlyphText());
    sheet_ = new IndexedImage(MakeGlyphSheet(*text_));
    glyphs_ = new std::map<char, GlyphGrid>();
    for (const GlyphGrid& glyph : ParseGlyphSource(*text_)) glyphs_->emplace(glyph.name, glyph);
  }
  static void TearDownTestSuite() {
    delete text_;
    delete sheet_;
    delete glyphs_;
  }

  static std::uint8_t TilePixel(int tile, int x, int y) {
    const TileOrigin origin = SheetTileOrigin(tile);
    return sheet_->at(origin.x + x, origin.y + y);
  }
  static std::uint8_t Pixel(char name, int x, int y) {
    return TilePixel(static_cast<int>(SheetTileOrder.find(name)) + 1, x, y);
  }
  // First and last row (from 0) of the tile that hold black.
  static std::pair<int, int> InkRows(int tile) {
    int first = -1;
    int last = -1;
    for (int y = 0; y < 17; ++y) {
      for (int x = 0; x < 17; ++x) {
        if (TilePixel(tile, x, y) != SheetBlack) continue;
        if (first < 0) first = y;
        last = y;
      }
    }
    return {first, last};
  }

  static std::string* text_;
  static IndexedImage* sheet_;
  static std::map<char, GlyphGrid>* glyphs_;
};

std::string* GlyphSheetTest::text_ = nullptr;
IndexedImage* GlyphSheetTest::sheet_ = nullptr;
std::map<char, GlyphGrid>* GlyphSheetTest::glyphs_ = nullptr;

TEST_F(GlyphSheetTest, HasTheSizeAndColoursTheIntroExpects) {
  EXPECT_EQ(sheet_->width(), 256);
  EXPECT_EQ(sheet_->height(), 60);
  const Palette& palette = sheet_->palette();
  EXPECT_EQ(palette[0], (ColorEntry{255, 255, 255, 0}));
  EXPECT_EQ(palette[1], (ColorEntry{240, 240, 240, 0}));
  for (std::size_t i = 2; i < palette.size(); ++i) EXPECT_EQ(palette[i], (ColorEntry{0, 0, 0, 0})) << i;
  for (std::uint8_t index : sheet_->pixels()) ASSERT_LE(index, SheetBlack);
}

// Black stays black; white and the softening edge pixels become the sheet's
// white, which the intro draws as transparent.
TEST_F(GlyphSheetTest, EveryTileShowsItsGlyphInSheetOrder) {
  ASSERT_EQ(glyphs_->size(), SheetTileOrder.size());
  auto expected = [](GlyphPixel p) { return p == GlyphPixel::Black ? SheetBlack : SheetWhite; };
  for (int tile = 1; tile <= static_cast<int>(SheetTileOrder.size()); ++tile) {
    const GlyphGrid& glyph = glyphs_->at(SheetTileOrder[static_cast<std::size_t>(tile - 1)]);
    for (int y = 0; y < 17; ++y) {
      for (int x = 0; x < 17; ++x) {
        ASSERT_EQ(TilePixel(tile, x, y), expected(glyph.at(x, y)))
            << "tile " << tile << " (" << glyph.name << ") at " << x << "," << y;
      }
    }
  }
}

TEST_F(GlyphSheetTest, TilesStandWhereTheIntroCutsThem) {
  struct Expected {
    int tile;
    char name;
    int x;
    int y;
  };
  // Row by row, 15 to a row; G comes before F.
  for (const Expected& e : {Expected{1, 'A', 0, 0}, Expected{5, 'E', 68, 0}, Expected{6, 'G', 85, 0},
                            Expected{7, 'F', 102, 0}, Expected{15, 'O', 238, 0}, Expected{16, 'P', 0, 17},
                            Expected{27, '1', 187, 17}, Expected{36, '0', 85, 34}, Expected{37, '!', 102, 34},
                            Expected{43, '?', 204, 34}}) {
    EXPECT_EQ(SheetTileOrder[static_cast<std::size_t>(e.tile - 1)], e.name) << e.tile;
    EXPECT_EQ(SheetTileOrigin(e.tile).x, e.x) << e.tile;
    EXPECT_EQ(SheetTileOrigin(e.tile).y, e.y) << e.tile;
  }
  EXPECT_EQ(SheetTileOrder.size() + 2, 45u);
}

TEST_F(GlyphSheetTest, BlankTilesAndTheMarginsAreWhite) {
  for (int tile : {44, 45}) {
    for (int y = 0; y < 17; ++y) {
      for (int x = 0; x < 17; ++x) ASSERT_EQ(TilePixel(tile, x, y), SheetWhite) << tile;
    }
  }
  for (int y = 0; y < 60; ++y) ASSERT_EQ(sheet_->at(255, y), SheetWhite) << y;
  for (int y = 51; y < 60; ++y) {
    for (int x = 0; x < 256; ++x) ASSERT_EQ(sheet_->at(x, y), SheetWhite) << x << "," << y;
  }
}

// Neighbouring letters must never touch: two free columns either side and a free top row.
TEST_F(GlyphSheetTest, EveryGlyphHasInkAndKeepsItsBearings) {
  for (int tile = 1; tile <= 43; ++tile) {
    EXPECT_NE(InkRows(tile).first, -1) << "tile " << tile << " is empty";
    for (int y = 0; y < 17; ++y) {
      for (int x : {0, 1, 15, 16}) EXPECT_EQ(TilePixel(tile, x, y), SheetWhite) << tile << " at " << x << "," << y;
    }
    for (int x = 0; x < 17; ++x) EXPECT_EQ(TilePixel(tile, x, 0), SheetWhite) << tile << " at " << x << ",0";
  }
}

TEST_F(GlyphSheetTest, LettersAndDigitsShareCapHeightAndBaseline) {
  for (char name : std::string_view("ABCDEFGHIJKLMNOPRSTUVWXYZ0123456789!?")) {
    const auto [top, bottom] = InkRows(static_cast<int>(SheetTileOrder.find(name)) + 1);
    EXPECT_EQ(top, 1) << name;
    EXPECT_EQ(bottom, 15) << name;
  }
  // Only the tail of Q and the comma reach below the baseline.
  EXPECT_EQ(InkRows(static_cast<int>(SheetTileOrder.find('Q')) + 1), std::make_pair(1, 16));
  EXPECT_EQ(InkRows(static_cast<int>(SheetTileOrder.find(',')) + 1).second, 16);
  for (char name : std::string_view(".:")) {
    EXPECT_EQ(InkRows(static_cast<int>(SheetTileOrder.find(name)) + 1).second, 15) << name;
  }
}

// Straight-stemmed letters share one stem: columns 2 to 4, over the whole cap height.
TEST_F(GlyphSheetTest, StemsAreThreePixelsWide) {
  for (char name : std::string_view("BDEFHKLMNPR")) {
    for (int y = 1; y <= 15; ++y) {
      for (int x = 2; x <= 4; ++x) EXPECT_EQ(Pixel(name, x, y), SheetBlack) << name << " at " << x << "," << y;
    }
  }
}

// Round letters have their body corners cut away.
TEST_F(GlyphSheetTest, RoundLettersAreNotBoxy) {
  for (char name : std::string_view("OCGQS03689")) {
    EXPECT_NE(Pixel(name, 2, 1), SheetBlack) << name;
    EXPECT_NE(Pixel(name, 14, 1), SheetBlack) << name;
    EXPECT_NE(Pixel(name, 2, 15), SheetBlack) << name;
    if (name != 'Q') {  // the tail of Q leaves through its corner
      EXPECT_NE(Pixel(name, 14, 15), SheetBlack) << name;
    }
  }
}

// An edge pixel softens black: it must touch black in the source, never float
// on its own. On the sheet it is left to the logo: the light grey (entry 1)
// would glint there, brighter than the logo's greys, so no pixel uses it.
TEST_F(GlyphSheetTest, EdgePixelsSoftenBlackAndLeaveTheLogoShowing) {
  int edges = 0;
  for (int tile = 1; tile <= static_cast<int>(SheetTileOrder.size()); ++tile) {
    const GlyphGrid& glyph = glyphs_->at(SheetTileOrder[static_cast<std::size_t>(tile - 1)]);
    for (int y = 0; y < 17; ++y) {
      for (int x = 0; x < 17; ++x) {
        if (glyph.at(x, y) != GlyphPixel::Edge) continue;
        ++edges;
        bool touches = false;
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            touches = touches || (nx >= 0 && nx < 17 && ny >= 0 && ny < 17 && glyph.at(nx, ny) == GlyphPixel::Black);
          }
        }
        EXPECT_TRUE(touches) << glyph.name << " at " << x << "," << y;
        EXPECT_EQ(TilePixel(tile, x, y), SheetWhite) << glyph.name << " at " << x << "," << y;
      }
    }
  }
  EXPECT_GT(edges, 0);
  for (std::uint8_t index : sheet_->pixels()) ASSERT_NE(index, SheetLightGrey);
}

TEST_F(GlyphSheetTest, RefusesASourceWithAGlyphMissing) {
  const std::string text = *text_;
  const std::size_t at = text.find("glyph Q\n");
  ASSERT_NE(at, std::string::npos);
  const std::string withoutQ = text.substr(0, at) + text.substr(at + 8 + 17 * 18);
  EXPECT_THROW(
      {
        try {
          MakeGlyphSheet(withoutQ);
        } catch (const GlyphSourceError& e) {
          EXPECT_NE(std::string(e.what()).find("glyph 'Q' is missing"), std::string::npos) << e.what();
          throw;
        }
      },
      GlyphSourceError);
}

TEST_F(GlyphSheetTest, RefusesAGlyphWithoutTile) {
  std::string extra = *text_ + "\nglyph a\n";
  for (int i = 0; i < 17; ++i) extra += std::string(17, '.') + "\n";
  try {
    MakeGlyphSheet(extra);
    FAIL() << "accepted a lower-case glyph";
  } catch (const GlyphSourceError& e) {
    EXPECT_NE(std::string(e.what()).find("glyph 'a' has no tile"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace corvane::art
