// The drawing-context layer: conversions between pixel formats, stretching
// and mirroring, clipping, palettes, the run-length decoder's bounds, global
// blocks and the clipboard. Pictures are tiny and checked pixel by pixel.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/Gdi32.h"
#include "platform/Rle.h"

namespace corvane::test {
namespace {

using namespace platform;

// A DIB section of the given format in a memory context; rows top-down
// reachable through the view.
class Section {
 public:
  Section(int width, int height, int bits, std::uint32_t compression = BI_RGB,
          std::vector<std::uint32_t> masks = {}, std::vector<RGBQUAD> colours = {}) {
    info_.assign(40 + 12 + 4 * 256, 0);
    BITMAPINFOHEADER h{40, width, height, 1, static_cast<std::uint16_t>(bits), compression, 0, 0, 0,
                       static_cast<std::uint32_t>(colours.size()), 0};
    std::memcpy(info_.data(), &h, sizeof h);
    std::size_t at = 40;
    for (std::uint32_t m : masks) std::memcpy(info_.data() + at, &m, 4), at += 4;
    if (!colours.empty()) std::memcpy(info_.data() + at, colours.data(), colours.size() * 4);
    dc = CreateCompatibleDC(0);
    bitmap = CreateDIBSection(dc, info_.data(), DIB_RGB_COLORS, &bits_);
    previous = SelectObject(dc, bitmap);
  }
  ~Section() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  BitmapView view() const { return GetBitmapView(dc); }
  std::uint8_t* row(int y) const { return view().topRow + view().step * y; }

  HDC dc = 0;
  HBITMAP bitmap = 0, previous = 0;

 private:
  std::vector<std::uint8_t> info_;
  void* bits_ = nullptr;
};

std::uint32_t Rgb24(const Section& s, int x, int y) {
  const std::uint8_t* p = s.row(y) + 3 * x;
  return (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
}

struct FormatCase {
  const char* name;
  int bits;
  std::vector<std::uint32_t> masks;
  std::uint32_t colour;   // written through a 24-bit source
  std::uint32_t back;     // what a 24-bit copy of it reads
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class GdiFormats : public ::testing::TestWithParam<FormatCase> {};

// 24 bits -> the format -> 24 bits again.
TEST_P(GdiFormats, ColoursSurviveTheRoundTripAsFarAsTheFormatHolds) {
  const FormatCase& c = GetParam();
  std::vector<RGBQUAD> colours;
  // Black, white, a dark blue-grey, red (entries are blue, green, red).
  if (c.bits <= 8) colours = {{0, 0, 0, 0}, {255, 255, 255, 0}, {0x30, 0x20, 0x10, 0}, {0, 0, 255, 0}};
  Section src(1, 1, 24), mid(1, 1, c.bits, c.masks.empty() ? BI_RGB : BI_BITFIELDS, c.masks, colours),
      back(1, 1, 24);
  std::uint8_t* p = src.row(0);
  p[0] = c.colour & 0xFF, p[1] = (c.colour >> 8) & 0xFF, p[2] = (c.colour >> 16) & 0xFF;
  ASSERT_TRUE(BitBlt(mid.dc, 0, 0, 1, 1, src.dc, 0, 0, SRCCOPY));
  ASSERT_TRUE(BitBlt(back.dc, 0, 0, 1, 1, mid.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(Rgb24(back, 0, 0), c.back);
}

INSTANTIATE_TEST_SUITE_P(
    Gdi, GdiFormats,
    ::testing::Values(FormatCase{"rgb555_white", 16, {}, 0xFFFFFF, 0xFFFFFF},
                      FormatCase{"rgb555_grey", 16, {}, 0x808080, 0x848484},
                      FormatCase{"rgb565_green", 16, {0xF800, 0x7E0, 0x1F}, 0x00FC00, 0x00FF00},
                      FormatCase{"rgb565_red", 16, {0xF800, 0x7E0, 0x1F}, 0xF80000, 0xFF0000},
                      FormatCase{"rgb32", 32, {}, 0x123456, 0x123456},
                      FormatCase{"rgb32_masks", 32, {0xFF0000, 0xFF00, 0xFF}, 0xABCDEF, 0xABCDEF},
                      FormatCase{"pal8_exact", 8, {}, 0x102030, 0x102030},
                      FormatCase{"pal8_nearest", 8, {}, 0x1A1A1A, 0x102030},
                      FormatCase{"pal4_nearest_of_four", 4, {}, 0x0000F0, 0x102030},
                      FormatCase{"pal1_white", 1, {}, 0xF0F0F0, 0xFFFFFF}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Gdi, StretchingDoublesEachPixelAndMirrors) {
  Section src(2, 1, 24), wide(4, 2, 24), mirrored(2, 1, 24);
  std::uint8_t* p = src.row(0);
  p[0] = 1, p[3] = 2;  // blue 1, blue 2
  ASSERT_TRUE(StretchBlt(wide.dc, 0, 0, 4, 2, src.dc, 0, 0, 2, 1, SRCCOPY));
  for (int y = 0; y < 2; ++y)
    EXPECT_EQ((std::vector<std::uint32_t>{Rgb24(wide, 0, y), Rgb24(wide, 1, y), Rgb24(wide, 2, y), Rgb24(wide, 3, y)}),
              (std::vector<std::uint32_t>{1, 1, 2, 2}));
  ASSERT_TRUE(StretchBlt(mirrored.dc, 1, 0, -2, 1, src.dc, 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(Rgb24(mirrored, 0, 0), 2u);
  EXPECT_EQ(Rgb24(mirrored, 1, 0), 1u);
}

TEST(Gdi, SeventeenToThirtyFourTakesEverySourcePixelTwice) {
  Section src(17, 1, 8, BI_RGB, {}, std::vector<RGBQUAD>(256)), dst(34, 1, 8, BI_RGB, {}, std::vector<RGBQUAD>(256));
  for (int x = 0; x < 17; ++x) src.row(0)[x] = static_cast<std::uint8_t>(x);
  ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 34, 1, src.dc, 0, 0, 17, 1, SRCCOPY));
  for (int x = 0; x < 34; ++x) EXPECT_EQ(dst.row(0)[x], x / 2) << x;
}

TEST(Gdi, CopiesAreClippedToTheDestination) {
  Section src(8, 1, 8, BI_RGB, {}, std::vector<RGBQUAD>(256)), dst(4, 1, 8, BI_RGB, {}, std::vector<RGBQUAD>(256));
  for (int x = 0; x < 8; ++x) src.row(0)[x] = static_cast<std::uint8_t>(10 + x);
  ASSERT_TRUE(BitBlt(dst.dc, -5, 0, 8, 1, src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(std::vector<std::uint8_t>(dst.row(0), dst.row(0) + 4), (std::vector<std::uint8_t>{15, 16, 17, 0}));
  ASSERT_TRUE(BitBlt(dst.dc, 3, -4, 8, 8, src.dc, 0, 0, SRCCOPY));  // source rows off the source: skipped
}

TEST(Gdi, StretchDIBitsDrawsRunLengthDataAndTopDownRows) {
  Section dst(4, 2, 8, BI_RGB, {}, std::vector<RGBQUAD>(256));
  std::vector<std::uint8_t> info(40 + 1024, 0);
  BITMAPINFOHEADER h{40, 4, 2, 1, 8, BI_RLE8, 6, 0, 0, 0, 0};
  std::memcpy(info.data(), &h, sizeof h);
  for (int i = 0; i < 256; ++i) info[40 + 4 * i] = static_cast<std::uint8_t>(i);  // blue = index
  const std::uint8_t rle[] = {4, 9, 0, 0, 0, 1};
  ASSERT_EQ(StretchDIBits(dst.dc, 0, 0, 4, 2, 0, 0, 4, 2, rle, info.data(), DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(dst.row(1)[0], 0);  // the colour of index 9 (blue 9) is not in dst's black table
  h.biCompression = BI_RGB;
  h.biHeight = -2;
  std::memcpy(info.data(), &h, sizeof h);
  Section top(4, 2, 24);
  const std::uint8_t rows[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_EQ(StretchDIBits(top.dc, 0, 0, 4, 2, 0, 0, 4, 2, rows, info.data(), DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(Rgb24(top, 0, 0), 1u) << "the first stored row is the top row";
  EXPECT_EQ(Rgb24(top, 0, 1), 5u);
}

TEST(Gdi, TheDecoderNeverWritesOutsideTheImage) {
  // Every item of run-length data that leaves the 3 x 2 image, with a guard
  // zone around the pixels to catch any stray write.
  const std::vector<std::vector<std::uint8_t>> cases = {
      {255, 7},                   // a run past the row's end
      {0, 2, 250, 250, 3, 7},     // a delta off the image, then a run
      {0, 0, 0, 0, 0, 0, 3, 7},   // rows above the top
      {0, 5, 1, 2, 3, 4, 5, 0},   // a literal run past the row's end
      {0, 200, 1},                // a literal run longer than the data
      {0, 2, 1},                  // a delta cut short
      {7},                        // half an item
  };
  for (int bits : {8, 4}) {
    for (const auto& data : cases) {
      std::vector<std::uint8_t> memory(4 + 8 + 4, 0xEE);
      std::span<std::uint8_t> pixels(memory.data() + 4, 8);
      DecodeRle(data, bits, 3, 2, 4, pixels);
      for (int i : {0, 1, 2, 3, 12, 13, 14, 15}) EXPECT_EQ(memory[static_cast<std::size_t>(i)], 0xEE);
    }
  }
}

TEST(Gdi, PalettesKeepTheirEntriesAndTheSystemPaletteHasItsTwentyColours) {
  LOGPALETTE logical{};
  logical.palVersion = 0x300;
  logical.palNumEntries = 2;
  logical.palPalEntry[1] = {1, 2, 3, 0};
  HPALETTE palette = CreatePalette(&logical);
  ASSERT_NE(palette, 0u);
  PALETTEENTRY read[3] = {};
  EXPECT_EQ(GetPaletteEntries(palette, 0, 3, read), 2u);
  EXPECT_EQ(read[1], (PALETTEENTRY{1, 2, 3, 0}));
  logical.palVersion = 0x200;
  EXPECT_EQ(CreatePalette(&logical), 0u);
  PALETTEENTRY system[256];
  EXPECT_EQ(GetSystemPaletteEntries(0, 0, 256, system), 256u);
  EXPECT_EQ(system[0], (PALETTEENTRY{0, 0, 0, 0}));
  EXPECT_EQ(system[255], (PALETTEENTRY{255, 255, 255, 0}));
  EXPECT_EQ(system[100], (PALETTEENTRY{0, 0, 0, 0}));
  HDC dc = CreateCompatibleDC(0);
  HPALETTE stock = SelectPalette(dc, palette, false);
  EXPECT_EQ(SelectPalette(dc, stock, false), palette);
  DeleteDC(dc);
  EXPECT_TRUE(DeleteObject(palette));
  EXPECT_FALSE(DeleteObject(palette));
}

TEST(Gdi, GlobalBlocksAndTheClipboard) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 5);
  ASSERT_NE(block, 0u);
  EXPECT_EQ(GlobalSize(block), 5u);
  auto* p = static_cast<std::uint8_t*>(GlobalLock(block));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[4], 0);
  p[0] = 42;
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_FALSE(SetClipboardData(CF_DIB, block)) << "the clipboard is not open";
  ASSERT_TRUE(OpenClipboard());
  EXPECT_FALSE(OpenClipboard());
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_TRUE(SetClipboardData(CF_DIB, block));
  EXPECT_EQ(GetClipboardData(CF_DIB), block);
  EXPECT_EQ(GetClipboardData(2), 0u);
  EXPECT_TRUE(EmptyClipboard());
  EXPECT_EQ(GlobalSize(block), 0u) << "emptying frees what the clipboard held";
  EXPECT_TRUE(CloseClipboard());
}

}  // namespace
}  // namespace corvane::test
