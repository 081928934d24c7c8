// The two stored image blocks, read back through TDIB: sizes, headers,
// colours, and where each colour may appear.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "ArtBlocks.h"
#include "graphics/DIB.h"

namespace corvane::test {
namespace {

std::string GlyphSource() {
  std::ifstream in(GLYPH_SOURCE, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::uint32_t Field(const std::vector<std::uint8_t>& block, std::size_t at) {
  std::uint32_t v;
  std::memcpy(&v, block.data() + at, 4);
  return v;
}

// Palette index of pixel (x, y), y from the top, of a 4-bit DIB.
int Index(TDIB& dib, int x, int y) {
  std::uint8_t byte = dib.ScanLine(y)[x / 2];
  return x % 2 == 0 ? byte >> 4 : byte & 0xF;
}

class ArtBlocks : public ::testing::Test {
 protected:
  void SetUp() override { InitializeDIBUnit(); }
};

TEST_F(ArtBlocks, TheGlyphSheetBlockHasItsStoredLayout) {
  std::vector<std::uint8_t> block = art::GlyphSheetBlock(GlyphSource());
  ASSERT_EQ(block.size(), 7784u);
  struct {
    std::size_t at;
    std::uint32_t value;
  } fields[] = {{0, 40}, {4, 256}, {8, 60}, {12, 1 | (4 << 16)}, {16, 0}, {20, 7680}, {32, 0}};
  for (auto f : fields) EXPECT_EQ(Field(block, f.at), f.value) << "offset " << f.at;
  TDIB dib;
  TCustomMemoryStream in(block.data(), static_cast<std::int64_t>(block.size()));
  dib.ReadImageData(in);
  EXPECT_EQ(dib.WidthBytes(), 128);
  EXPECT_EQ(dib.NumColors(), 16);
  EXPECT_EQ(dib.ColorTable[0], (platform::RGBQUAD{255, 255, 255, 0}));
  EXPECT_EQ(dib.ColorTable[1], (platform::RGBQUAD{240, 240, 240, 0}));
  for (int i = 2; i < 256; ++i) EXPECT_EQ(dib.ColorTable[static_cast<std::size_t>(i)], (platform::RGBQUAD{0, 0, 0, 0}));
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 256; ++x) {
      int tile = (y / 17) * 15 + x / 17;
      bool outside = x == 255 || y >= 51;
      int v = Index(dib, x, y);
      if (outside || tile >= 43) {
        ASSERT_EQ(v, 0) << "white at " << x << "," << y;
      } else {
        // Light grey (entry 1) stays in the table but would glint on the logo.
        ASSERT_TRUE(v == 0 || v == 2) << "glyph tiles use white and black only, at " << x << "," << y;
      }
    }
  }
  // Every glyph tile 0-42 has ink.
  for (int tile = 0; tile < 43; ++tile) {
    int ink = 0;
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 17; ++x) ink += Index(dib, (tile % 15) * 17 + x, (tile / 15) * 17 + y) == 2;
    EXPECT_GE(ink, 9) << "tile " << tile << " (the full stop is a 3 x 3 dot)";
  }
}

TEST_F(ArtBlocks, TheLogoPictureBlockMakesATDIBOfFiveGreys) {
  std::vector<std::uint8_t> block = art::LogoPictureBlock();
  ASSERT_EQ(block.size(), 39469u);
  EXPECT_EQ(std::string(block.begin(), block.begin() + 5), std::string("\x04TDIB"));
  TPicture picture;
  TCustomMemoryStream in(block.data(), static_cast<std::int64_t>(block.size()));
  picture.ReadData(in);
  auto* dib = dynamic_cast<TDIB*>(picture.Graphic());
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(dib->Width(), 320);
  EXPECT_EQ(dib->Height(), 246);
  EXPECT_EQ(dib->Size(), 39360);
  EXPECT_EQ(dib->WidthBytes(), 160);
  const int greys[] = {192, 179, 166, 154, 141};
  for (int i = 0; i < 16; ++i) {
    auto g = static_cast<std::uint8_t>(i < 5 ? greys[i] : 0);
    EXPECT_EQ(dib->ColorTable[static_cast<std::size_t>(i)], (platform::RGBQUAD{g, g, g, 0})) << i;
  }
  for (int y = 0; y < 246; ++y)
    for (int x = 0; x < 320; ++x) ASSERT_LE(Index(*dib, x, y), 4) << x << "," << y;
}

}  // namespace
}  // namespace corvane::test
