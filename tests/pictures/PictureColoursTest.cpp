// Colours of the pictures: the colour table built for the display's palette,
// its stored form, and the transparent colour of an item's surfaces.
#include "PictureFixture.h"

namespace corvane::test {
namespace {

using platform::RGBQUAD;

RGBQUAD Rgb(int red, int green, int blue) {
  return {static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(green),
          static_cast<std::uint8_t>(red), 0};
}

// The 16 system colours alone, at their entries.
TPictureColorTable SystemTable() {
  TPictureColorTable table{};
  const RGBQUAD low[8] = {Rgb(0, 0, 0),   Rgb(128, 0, 0),   Rgb(0, 128, 0),   Rgb(128, 128, 0),
                          Rgb(0, 0, 128), Rgb(128, 0, 128), Rgb(0, 128, 128), Rgb(192, 192, 192)};
  const RGBQUAD high[8] = {Rgb(128, 128, 128), Rgb(255, 0, 0),   Rgb(0, 255, 0),
                           Rgb(255, 255, 0),   Rgb(0, 0, 255),   Rgb(255, 0, 255),
                           Rgb(0, 255, 255),   Rgb(255, 255, 255)};
  for (int i = 0; i < 8; ++i) {
    table[static_cast<std::size_t>(i)] = low[i];
    table[static_cast<std::size_t>(248 + i)] = high[i];
  }
  return table;
}

std::unique_ptr<TDIB> IndexedDIB(int bitCount, const std::vector<RGBQUAD>& colours) {
  auto dib = std::make_unique<TDIB>();
  dib->PixelFormat = MakeChannelLayout(8, 8, 8);
  dib->ResizeImage(4, 4, bitCount);
  dib->ColorTable = {};
  for (std::size_t i = 0; i < colours.size(); ++i) dib->ColorTable[i] = colours[i];
  dib->ApplyColorTable();
  return dib;
}

TEST(ColorTable, AddsOnlyTheColoursNotThereYet) {
  TPictureCollection pictures;
  // White and the zero entries are there already; the grey is new.
  pictures.Add()->Picture().SetGraphic(IndexedDIB(4, {Rgb(255, 255, 255), Rgb(200, 200, 200)}));
  pictures.MakeColorTable();
  TPictureColorTable expected = SystemTable();
  expected[8] = Rgb(200, 200, 200);
  EXPECT_EQ(pictures.ColorTable, expected);
}

TEST(ColorTable, StopsWhenFullAndSkipsPicturesWithoutATable) {
  TPictureCollection pictures;
  // Nothing from a picture of 24 bits, a bitmap without palette or none.
  pictures.Add()->Picture().SetGraphic(PlainDIB(4, 4, 0x123456));
  pictures.Add()->Picture().SetGraphic(std::make_unique<TBitmap>());
  pictures.Add();
  // 250 new colours for the 240 free entries: the last ten are dropped.
  std::vector<RGBQUAD> many;
  for (int i = 0; i < 250; ++i) many.push_back(Rgb(1, i, 2));
  pictures.Add()->Picture().SetGraphic(IndexedDIB(8, many));
  pictures.Add()->Picture().SetGraphic(IndexedDIB(8, {Rgb(9, 9, 9)}));
  pictures.ColorTable[100] = Rgb(7, 7, 7);  // cleared first
  pictures.MakeColorTable();
  EXPECT_EQ(pictures.ColorTable[8], Rgb(1, 0, 2));
  EXPECT_EQ(pictures.ColorTable[247], Rgb(1, 239, 2));
  EXPECT_EQ(pictures.ColorTable[248], Rgb(128, 128, 128));
  for (const RGBQUAD& entry : pictures.ColorTable) EXPECT_NE(entry, Rgb(9, 9, 9));
}

TEST(ColorTable, IsStoredAsItsThousandAndTwentyFourBytes) {
  TPictureCollection pictures;
  for (std::size_t i = 0; i < 256; ++i)
    pictures.ColorTable[i] = Rgb(static_cast<int>(i), 1, 2);
  TMemoryStream stream;
  pictures.WriteData(stream);
  ASSERT_EQ(stream.Bytes().size(), 1024u);
  EXPECT_EQ(stream.Bytes()[4 * 10], 2);       // blue first
  EXPECT_EQ(stream.Bytes()[4 * 10 + 2], 10);  // then green, red
  TPictureCollection copy;
  stream.SetPosition(0);
  copy.ReadData(stream);
  EXPECT_EQ(copy.ColorTable, pictures.ColorTable);
  // A short stream fails and leaves the table alone.
  TCustomMemoryStream shortStream(stream.Bytes().data(), 1023);
  TPictureCollection untouched;
  EXPECT_THROW(untouched.ReadData(shortStream), EReadError);
  EXPECT_EQ(untouched.ColorTable, TPictureColorTable{});
}

// --- The transparent colour.

class TransparentColour : public PictureFixture {
 protected:
  void SetUp() override {
    PictureFixture::SetUp();
    // Two block surfaces, left half white, right half green.
    item_ = add(MakeDIB(1000, 100, [](int x, int) { return x < 600 ? 0xFFFFFFu : 0x008000u; }));
    item_->PatternWidth = 100;
    item_->PatternHeight = 100;
    connect();
    dxDraw_->Initialize();
    ASSERT_EQ(item_->SurfaceCount(), 2);
  }
  std::uint32_t key(int surface) {
    platform::DDCOLORKEY colourKey;
    item_->Surface(surface)->ISurface()->GetColorKey(platform::DDCKEY_SRCBLT, &colourKey);
    return colourKey.dwColorSpaceLowValue;
  }
  TPictureCollectionItem* item_ = nullptr;
};

TEST_F(TransparentColour, ANewColourKeysEverySurface) {
  EXPECT_EQ(key(0), raw(0x000000));
  item_->SetTransparentColor(0xFFFFFF);
  EXPECT_EQ(key(0), raw(0xFFFFFF));
  EXPECT_EQ(key(1), raw(0xFFFFFF));
  // Keyed drawing leaves the white out.
  backBuffer().Fill(raw(0x0000FF));
  item_->Draw(&backBuffer(), 0, 0, 0);
  EXPECT_EQ(backBuffer().Pixel(50, 50), raw(0x0000FF));
  item_->Draw(&backBuffer(), 0, 0, 6);
  EXPECT_EQ(backBuffer().Pixel(50, 50), raw(0x008000));
}

TEST_F(TransparentColour, TheSameColourLeavesTheSurfacesAlone) {
  item_->Surface(1)->SetTransparentColor(0x1234);
  item_->SetTransparentColor(0x000000);
  EXPECT_EQ(key(1), 0x1234u);
}

}  // namespace
}  // namespace corvane::test
