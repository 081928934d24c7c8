// DIB images: the stored image-data format, the shared storage with copy on
// write, the palette cache and the pixel writes, each against blocks built
// here byte by byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "framework/Forms.h"
#include "graphics/DIB.h"

namespace corvane::test {
namespace {

using namespace platform;

// An image-data block built field by field.
struct Block {
  std::vector<std::uint8_t> bytes;
  Block& u8(std::uint8_t v) { return bytes.push_back(v), *this; }
  Block& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
  Block& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  Block& rgbq(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return u8(b).u8(g).u8(r).u8(0); }
  Block& fill(std::size_t n, std::uint8_t v) { return bytes.insert(bytes.end(), n, v), *this; }
  Block& info(std::int32_t w, std::int32_t h, std::uint16_t bits, std::uint32_t compression = 0,
              std::uint32_t imageSize = 0, std::uint32_t used = 0) {
    return u32(40).u32(static_cast<std::uint32_t>(w)).u32(static_cast<std::uint32_t>(h)).u16(1).u16(bits)
        .u32(compression).u32(imageSize).u32(0).u32(0).u32(used).u32(0);
  }
};

std::vector<std::uint8_t> Written(TDIB& dib) {
  TMemoryStream out;
  dib.WriteImageData(out);
  return out.Bytes();
}

void Read(TDIB& dib, const std::vector<std::uint8_t>& bytes) {
  TCustomMemoryStream in(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  dib.ReadImageData(in);
}

// The glyph sheet's block: 256 x 60 at 4 bits, white, light grey, 14 blacks.
Block GlyphSheetBlock() {
  Block b;
  b.info(256, 60, 4, 0, 7680, 0).rgbq(255, 255, 255).rgbq(240, 240, 240);
  for (int i = 2; i < 16; ++i) b.rgbq(0, 0, 0);
  for (int i = 0; i < 7680; ++i) b.u8(static_cast<std::uint8_t>(i * 7));
  return b;
}

class DIBTest : public ::testing::Test {
 protected:
  void SetUp() override { InitializeDIBUnit(); }
};

TEST_F(DIBTest, TheGlyphSheetBlockReadsAndWritesBackTheSameBytes) {
  Block block = GlyphSheetBlock();
  ASSERT_EQ(block.bytes.size(), 7784u);
  TDIB dib;
  Read(dib, block.bytes);
  EXPECT_EQ(dib.Width(), 256);
  EXPECT_EQ(dib.Height(), 60);
  EXPECT_EQ(dib.BitCount(), 4);
  EXPECT_EQ(dib.WidthBytes(), 128);
  EXPECT_EQ(dib.Size(), 7680);
  EXPECT_EQ(dib.NumColors(), 16);
  EXPECT_TRUE(dib.Image().MemoryImage) << "stays in plain memory until a canvas is asked for";
  EXPECT_EQ(dib.ColorTable[0], (RGBQUAD{255, 255, 255, 0}));
  EXPECT_EQ(dib.ColorTable[1], (RGBQUAD{240, 240, 240, 0}));
  for (int i = 2; i < 256; ++i) EXPECT_EQ(dib.ColorTable[static_cast<std::size_t>(i)], (RGBQUAD{0, 0, 0, 0}));
  EXPECT_EQ(Written(dib), block.bytes);
}

TEST_F(DIBTest, TheLogoPictureDataMakesADIBThroughItsClassName) {
  Block block;
  block.u8(4).u8('T').u8('D').u8('I').u8('B').info(320, 246, 4, 0, 39360, 0);
  for (int g : {192, 179, 166, 154, 141}) block.rgbq(static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(g));
  for (int i = 5; i < 16; ++i) block.rgbq(0, 0, 0);
  block.fill(39360, 0x01);
  ASSERT_EQ(block.bytes.size(), 39469u);
  TPicture picture;
  TCustomMemoryStream in(block.bytes.data(), static_cast<std::int64_t>(block.bytes.size()));
  picture.ReadData(in);
  auto* dib = dynamic_cast<TDIB*>(picture.Graphic());
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(dib->Size(), 39360);
  EXPECT_EQ(dib->WidthBytes(), 160);
  TMemoryStream out;
  picture.WriteData(out);
  EXPECT_EQ(out.Bytes(), block.bytes);
}

TEST_F(DIBTest, APictureOfAnUnknownClassIsLeftWithoutImage) {
  Block block;
  block.u8(5).u8('T').u8('N').u8('o').u8('n').u8('e').fill(10, 0);
  TPicture picture;
  TCustomMemoryStream in(block.bytes.data(), static_cast<std::int64_t>(block.bytes.size()));
  picture.ReadData(in);
  EXPECT_EQ(picture.Graphic(), nullptr);
  TMemoryStream out;
  picture.WriteData(out);
  EXPECT_EQ(out.Bytes(), (std::vector<std::uint8_t>{0}));
}

struct StrideCase {
  int width, bits, stride;
};

void PrintTo(const StrideCase& c, std::ostream* os) { *os << c.width << "px at " << c.bits; }

class DIBStrides : public DIBTest, public ::testing::WithParamInterface<StrideCase> {};

TEST_P(DIBStrides, RowsArePaddedToFourBytes) {
  TDIB dib;
  if (GetParam().bits == 16) dib.PixelFormat = MakeChannelLayout(5, 6, 5);
  dib.ResizeImage(GetParam().width, 3, GetParam().bits);
  EXPECT_EQ(dib.WidthBytes(), GetParam().stride);
  EXPECT_EQ(dib.Size(), GetParam().stride * 3);
}

INSTANTIATE_TEST_SUITE_P(DIB, DIBStrides,
                         ::testing::Values(StrideCase{17, 4, 12}, StrideCase{17, 24, 52},
                                           StrideCase{17, 1, 4}, StrideCase{33, 1, 8},
                                           StrideCase{3, 8, 4}, StrideCase{3, 16, 8},
                                           StrideCase{3, 32, 12}, StrideCase{1, 8, 4}));

TEST_F(DIBTest, AStreamThatEndsAtOnceGivesAnEmptyDIBThatWritesNothing) {
  TDIB dib;
  Read(dib, GlyphSheetBlock().bytes);
  Read(dib, {});
  EXPECT_TRUE(dib.Empty());
  EXPECT_TRUE(Written(dib).empty());
  TMemoryStream file;
  dib.WriteBitmapFile(file);
  EXPECT_TRUE(file.Bytes().empty());
}

struct ColourCountCase {
  const char* name;
  int bits;
  std::uint32_t used;
  int entriesRead;
};

void PrintTo(const ColourCountCase& c, std::ostream* os) { *os << c.name; }

class DIBColourCounts : public DIBTest, public ::testing::WithParamInterface<ColourCountCase> {};

// Entries are numbered 1, 2, 3 ...: the table shows how many were read.
TEST_P(DIBColourCounts, ReadTheColoursTheHeaderCalls) {
  const ColourCountCase& c = GetParam();
  Block b;
  b.info(2, 1, static_cast<std::uint16_t>(c.bits), 0, 0, c.used);
  for (int i = 0; i < c.entriesRead; ++i) b.rgbq(0, 0, static_cast<std::uint8_t>(i % 250 + 1));
  b.fill(c.bits == 24 ? 8 : 4, 0);
  TDIB dib;
  Read(dib, b.bytes);
  for (int i = 0; i < 256; ++i)
    EXPECT_EQ(dib.ColorTable[static_cast<std::size_t>(i)].rgbBlue, i < c.entriesRead ? i % 250 + 1 : 0) << i;
}

INSTANTIATE_TEST_SUITE_P(DIB, DIBColourCounts,
                         ::testing::Values(ColourCountCase{"four_bits_used_0", 4, 0, 16},
                                           ColourCountCase{"eight_bits_used_300", 8, 300, 256},
                                           ColourCountCase{"eight_bits_used_3", 8, 3, 3},
                                           ColourCountCase{"one_bit_used_0", 1, 0, 2},
                                           ColourCountCase{"true_colour_used_0", 24, 0, 0},
                                           ColourCountCase{"true_colour_used_2", 24, 2, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DIBTest, ACoreHeaderReadsThreeByteColours) {
  Block b;
  b.u32(12).u16(3).u16(2).u16(1).u16(1);
  b.u8(10).u8(20).u8(30).u8(40).u8(50).u8(60);  // two entries: blue, green, red
  b.u32(0xA0000000).u32(0x40000000);             // two rows of 3 pixels at 1 bit
  TDIB dib;
  Read(dib, b.bytes);
  EXPECT_EQ(dib.Width(), 3);
  EXPECT_EQ(dib.Height(), 2);
  EXPECT_EQ(dib.ColorTable[0], (RGBQUAD{10, 20, 30, 0}));
  EXPECT_EQ(dib.ColorTable[1], (RGBQUAD{40, 50, 60, 0}));
  // Written back with the info header: 40 + 2 entries of 4 + 8 bytes.
  EXPECT_EQ(Written(dib).size(), 56u);
}

TEST_F(DIBTest, ANegativeHeightReadsTopDownAndWritesBottomUp) {
  Block b;
  b.info(1, -3, 8).fill(256 * 4, 0);
  b.u32(0x11).u32(0x22).u32(0x33);  // stored top row first
  TDIB dib;
  Read(dib, b.bytes);
  EXPECT_EQ(dib.Height(), 3);
  EXPECT_EQ(dib.ScanLine(0)[0], 0x11);
  EXPECT_EQ(dib.ScanLine(2)[0], 0x33);
  std::vector<std::uint8_t> out = Written(dib);
  std::int32_t height;
  std::memcpy(&height, out.data() + 8, 4);
  EXPECT_EQ(height, 3);
  std::size_t pixels = out.size() - 12;
  EXPECT_EQ(out[pixels], 0x33) << "the bottom row comes first";
  EXPECT_EQ(out[pixels + 8], 0x11);
}

struct LayoutCase {
  const char* name;
  int bits;
  std::uint32_t compression;
  std::uint32_t masks[3];
  const char* error;  // nullptr: reads
  std::uint32_t redMask;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class DIBLayouts : public DIBTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(DIBLayouts, TakeOrRefuseTheChannelLayout) {
  const LayoutCase& c = GetParam();
  Block b;
  b.info(1, 1, static_cast<std::uint16_t>(c.bits), c.compression);
  if (c.compression == 3) b.u32(c.masks[0]).u32(c.masks[1]).u32(c.masks[2]);
  if (c.bits <= 8) b.fill(4u << c.bits, 0);  // the colour entries
  b.fill(4, 0);
  TDIB dib;
  Read(dib, GlyphSheetBlock().bytes);
  try {
    Read(dib, b.bytes);
    ASSERT_EQ(c.error, nullptr) << "read";
    EXPECT_EQ(dib.CurrentLayout().RedMask, c.redMask);
  } catch (const EInvalidGraphicOperation& e) {
    ASSERT_NE(c.error, nullptr) << e.Message();
    EXPECT_EQ(e.Message(), c.error);
    EXPECT_EQ(dib.Width(), 256) << "the old image stays";
  }
}

INSTANTIATE_TEST_SUITE_P(
    DIB, DIBLayouts,
    ::testing::Values(LayoutCase{"sixteen_without_masks", 16, 0, {}, nullptr, 0x7C00},
                      LayoutCase{"sixteen_565", 16, 3, {0xF800, 0x7E0, 0x1F}, nullptr, 0xF800},
                      LayoutCase{"sixteen_555_masks", 16, 3, {0x7C00, 0x3E0, 0x1F}, nullptr, 0x7C00},
                      LayoutCase{"sixteen_444", 16, 3, {0xF00, 0xF0, 0xF}, "PixelFormat in invalid", 0},
                      LayoutCase{"thirtytwo_888", 32, 3, {0xFF0000, 0xFF00, 0xFF}, nullptr, 0xFF0000},
                      LayoutCase{"thirtytwo_10_10_10", 32, 3, {0x3FF00000, 0xFFC00, 0x3FF},
                                 "PixelFormat in invalid", 0},
                      LayoutCase{"bit_count_2", 2, 0, {}, "Bitcount in invalid (2)", 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct InvalidCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
  const char* errorClass;
  const char* message;
};

void PrintTo(const InvalidCase& c, std::ostream* os) { *os << c.name; }

class DIBInvalid : public DIBTest, public ::testing::WithParamInterface<InvalidCase> {};

TEST_P(DIBInvalid, RaiseAndKeepTheOldImage) {
  TDIB dib;
  Read(dib, GlyphSheetBlock().bytes);
  try {
    Read(dib, GetParam().bytes);
    FAIL() << "read";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.ClassName(), GetParam().errorClass);
    EXPECT_EQ(e.Message(), GetParam().message);
  }
  EXPECT_EQ(Written(dib), GlyphSheetBlock().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    DIB, DIBInvalid,
    ::testing::Values(
        InvalidCase{"three_bytes", {40, 0, 0}, "EInvalidGraphic", "DIB is invalid"},
        InvalidCase{"header_size_108", Block().u32(108).fill(104, 0).bytes, "EInvalidGraphic", "DIB is invalid"},
        InvalidCase{"compression_4", Block().info(1, 1, 24, 4).fill(4, 0).bytes, "EInvalidGraphic", "DIB is invalid"},
        // The compression is judged after the colours and the bit count.
        InvalidCase{"compression_4_short_colours", Block().info(1, 1, 8, 4).fill(100, 0).bytes, "EReadError",
                    "Stream-Read-Fehler"},
        InvalidCase{"compression_4_bit_count_2", Block().info(1, 1, 2, 4).fill(16 + 4, 0).bytes,
                    "EInvalidGraphicOperation", "Bitcount in invalid (2)"},
        InvalidCase{"short_header", Block().u32(40).u32(1).bytes, "EReadError", "Stream-Read-Fehler"},
        InvalidCase{"short_colours", Block().info(1, 1, 8).fill(100, 0).bytes, "EReadError", "Stream-Read-Fehler"},
        InvalidCase{"short_pixels", Block().info(4, 4, 24).fill(40, 0).bytes, "EReadError", "Stream-Read-Fehler"},
        InvalidCase{"short_rle", Block().info(4, 4, 8, 1, 100).fill(1024 + 10, 0).bytes, "EReadError", "Stream-Read-Fehler"},
        InvalidCase{"zero_width", Block().info(0, 4, 24).bytes, "EInvalidGraphic", "DIB is invalid"},
        InvalidCase{"huge", Block().info(0x7FFFFFFF, 0x7FFFFFFF, 32).bytes, "EOutOfMemory", "Zu wenig Arbeitsspeicher"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DIBTest, CopiesShareUntilOneIsWritten) {
  TDIB a, b;
  Read(a, GlyphSheetBlock().bytes);
  b.CopyFrom(&a);
  EXPECT_EQ(&a.Image(), &b.Image());
  EXPECT_EQ(a.Image().RefCount(), 2);
  std::uint8_t before = a.ScanLine(0)[0];
  b.SetPixelValue(0, 0, 0xF);
  EXPECT_NE(&a.Image(), &b.Image());
  EXPECT_EQ(a.ScanLine(0)[0], before);
  EXPECT_EQ(b.ScanLine(0)[0] >> 4, 0xF);
  EXPECT_EQ(a.Image().RefCount(), 1);
}

TEST_F(DIBTest, ResizingToTheSameShapeKeepsThePixels) {
  TDIB dib;
  Read(dib, GlyphSheetBlock().bytes);
  TDIBSharedImage* image = &dib.Image();
  dib.ResizeImage(256, 60, 4);
  EXPECT_EQ(&dib.Image(), image);
  dib.ResizeImage(256, 61, 4);
  EXPECT_NE(&dib.Image(), image);
  EXPECT_EQ(dib.Height(), 61);
  dib.ResizeImage(0, 61, 4);
  EXPECT_TRUE(dib.Empty());
}

TEST_F(DIBTest, EqualColourTablesShareOnePaletteUntilTheLastReleasesIt) {
  DeleteDC(CreateCompatibleDC(0));  // the stock objects are made once, on first use
  std::size_t before = GdiObjectCount();
  std::size_t items = PaletteManager().Items().size();
  {
    TDIB a, b;
    Read(a, GlyphSheetBlock().bytes);
    Read(b, GlyphSheetBlock().bytes);
    HPALETTE pa = a.PaletteHandle();
    ASSERT_NE(pa, 0u);
    EXPECT_EQ(pa, b.PaletteHandle());
    EXPECT_EQ(PaletteManager().Items().size(), items + 1);
    EXPECT_EQ(PaletteManager().Items().back().RefCount, 2);
    PALETTEENTRY e[2];
    ASSERT_EQ(GetPaletteEntries(pa, 0, 2, e), 2u);
    EXPECT_EQ(e[1], (PALETTEENTRY{240, 240, 240, 0}));
  }
  EXPECT_EQ(PaletteManager().Items().size(), items);
  EXPECT_EQ(GdiObjectCount(), before);
}

// The run-length example: 03 05, 00 00, 00 02 02 01, 02 07, 00 01 on 4 x 3.
TEST_F(DIBTest, RunLengthEightDecodesRunsLineEndsAndDeltas) {
  Block b;
  b.info(4, 3, 8, 1, 12).fill(256 * 4, 0);
  for (int v : {3, 5, 0, 0, 0, 2, 2, 1, 2, 7, 0, 1}) b.u8(static_cast<std::uint8_t>(v));
  TDIB dib;
  Read(dib, b.bytes);
  EXPECT_TRUE(dib.Image().Compressed);
  std::uint8_t* pixels = dib.PixelData();
  ASSERT_FALSE(dib.Image().Compressed);
  // Bottom row first in memory; rows of 4 bytes.
  EXPECT_EQ(std::vector<std::uint8_t>(pixels, pixels + 12),
            (std::vector<std::uint8_t>{5, 5, 5, 0, 0, 0, 0, 0, 0, 0, 7, 7}));
}

TEST_F(DIBTest, RunLengthFourFillsNibblesInTurnAndLiterals) {
  Block b;
  // 5 pixels of 0x12 alternating, then a literal run of 3 nibbles A B C.
  b.info(8, 1, 4, 2, 8).fill(16 * 4, 0);
  for (int v : {5, 0x12, 0, 3, 0xAB, 0xC0, 0, 1}) b.u8(static_cast<std::uint8_t>(v));
  TDIB dib;
  Read(dib, b.bytes);
  std::uint8_t* pixels = dib.PixelData();
  EXPECT_EQ(std::vector<std::uint8_t>(pixels, pixels + 4),
            (std::vector<std::uint8_t>{0x12, 0x12, 0x1A, 0xBC}));
}

struct PixelCase {
  int bits;
  int x;
  std::uint32_t value;
  std::vector<std::uint8_t> row;  // the top row afterwards
};

void PrintTo(const PixelCase& c, std::ostream* os) { *os << "bits " << c.bits; }

class DIBPixels : public DIBTest, public ::testing::WithParamInterface<PixelCase> {};

TEST_P(DIBPixels, SetPixelValueWritesEachBitCountsLayout) {
  const PixelCase& c = GetParam();
  TDIB dib;
  if (c.bits == 16) dib.PixelFormat = MakeChannelLayout(5, 6, 5);
  dib.ResizeImage(4, 2, c.bits);
  std::memset(dib.PixelData(), 0, static_cast<std::size_t>(dib.Size()));
  dib.SetPixelValue(c.x, 0, c.value);
  dib.SetPixelValue(-1, 0, 0xFFFFFFFF);  // outside: nothing
  dib.SetPixelValue(0, 2, 0xFFFFFFFF);
  std::uint8_t* top = dib.ScanLine(0);
  EXPECT_EQ(std::vector<std::uint8_t>(top, top + c.row.size()), c.row);
  std::uint8_t* bottom = dib.ScanLine(1);
  EXPECT_TRUE(std::all_of(bottom, bottom + dib.WidthBytes(), [](std::uint8_t v) { return v == 0; }));
}

INSTANTIATE_TEST_SUITE_P(
    DIB, DIBPixels,
    ::testing::Values(PixelCase{1, 1, 1, {0x40, 0, 0, 0}}, PixelCase{4, 0, 0x1A, {0xA0, 0}},
                      PixelCase{4, 1, 0xB, {0x0B, 0}}, PixelCase{4, 2, 0xC, {0, 0xC0}},
                      PixelCase{8, 3, 0x1FF, {0, 0, 0, 0xFF}},
                      PixelCase{16, 1, 0xABCD, {0, 0, 0xCD, 0xAB}},
                      PixelCase{24, 1, 0x112233, {0, 0, 0, 0x11, 0x22, 0x33}},
                      PixelCase{32, 0, 0x11223344, {0x44, 0x33, 0x22, 0x11}}));

TEST_F(DIBTest, TheFirstCanvasRequestMakesASectionWithTheSamePixels) {
  TDIB dib;
  Read(dib, GlyphSheetBlock().bytes);
  TCanvas& canvas = dib.ImageCanvas();
  EXPECT_FALSE(dib.Image().MemoryImage);
  EXPECT_NE(canvas.Handle(), 0u);
  BitmapView view = GetBitmapView(canvas.Handle());
  EXPECT_EQ(view.width, 256);
  EXPECT_EQ(view.topRow, dib.ScanLine(0));
  EXPECT_EQ(Written(dib), GlyphSheetBlock().bytes);
  // Drawing on a shared section image gives this DIB its own copy first.
  TDIB other;
  other.CopyFrom(&dib);
  TCanvas& again = dib.ImageCanvas();
  TBitmap black;
  black.SetSize(2, 2);
  again.Draw(0, 0, black);
  EXPECT_NE(&dib.Image(), &other.Image());
  EXPECT_EQ(dib.ScanLine(0)[0], 0x22) << "entry 2 is black";
  EXPECT_EQ(Written(other), GlyphSheetBlock().bytes);

  // A section that cannot be made is reported as such, and the DIB keeps
  // its image.
  struct {
    const char* what;
    int width, height;
    std::size_t memory;  // what the platform can give a section
  } refused[] = {
      {"too large for the size field", 0x7FFFFFFF, 0x7FFFFFFF, SIZE_MAX},
      {"more than the memory there is", 256, 61, 7680},
  };
  const TDIBSharedImage* image = &dib.Image();
  const std::size_t objects = GdiObjectCount();
  for (const auto& c : refused) {
    SCOPED_TRACE(c.what);
    SetSectionMemory(c.memory);
    try {
      dib.ResizeImage(c.width, c.height, 4);
      ADD_FAILURE() << "made";
    } catch (const EOutOfResources& e) {
      EXPECT_EQ(e.Message(), "DIB cannot be made");
    }
    SetSectionMemory(SIZE_MAX);
    EXPECT_EQ(&dib.Image(), image);
    EXPECT_EQ(GdiObjectCount(), objects) << "nothing of the half-made section is left";
  }
}

TEST_F(DIBTest, TheOnePixelDIBOfColourMatching) {
  TDIB dib;
  dib.ResizeImage(1, 1, 8);
  EXPECT_EQ(dib.WidthBytes(), 4);
  EXPECT_EQ(dib.Size(), 4);
  EXPECT_EQ(dib.NumColors(), 256);
  dib.ColorTable[0] = {0x30, 0x20, 0x10, 0};
  dib.ApplyColorTable();
  dib.SetPixelValue(0, 0, 0);
  TBitmap target;
  target.SetSize(3, 1);
  dib.StretchToCanvas(target.Canvas(), {1, 0, 2, 1});
  EXPECT_EQ(target.Pixel(1, 0), 0x102030u);
  EXPECT_EQ(target.Pixel(0, 0), 0u);
  EXPECT_EQ(GetStretchBltMode(target.Canvas().Handle()), BLACKONWHITE) << "mode restored";
}

TEST_F(DIBTest, CopyFromRefusesWhatItCannotTake) {
  TDIB dib;
  TPersistent stranger;
  try {
    dib.CopyFrom(&stranger);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "TPersistent kann nicht zu  TDIB zugewiesen werden");
  }
  Read(dib, GlyphSheetBlock().bytes);
  dib.CopyFrom(nullptr);
  EXPECT_TRUE(dib.Empty());
}

TEST_F(DIBTest, AnotherKindOfImageIsDrawnIntoA24BitDIB) {
  TBitmap source;
  source.SetSize(2, 2);
  TDIB white;
  white.ResizeImage(1, 1, 8);
  white.ColorTable[0] = {255, 255, 255, 0};
  white.ApplyColorTable();
  white.SetPixelValue(0, 0, 0);
  source.Canvas().StretchDraw({1, 1, 2, 2}, white);
  TDIB dib;
  dib.CopyFrom(&source);
  EXPECT_EQ(dib.BitCount(), 24);
  EXPECT_EQ(dib.ScanLine(1)[3], 255);
  EXPECT_EQ(dib.ScanLine(0)[0], 0);
}

TEST_F(DIBTest, BitmapFileAndClipboardRoundTrips) {
  TDIB dib;
  Read(dib, GlyphSheetBlock().bytes);
  TMemoryStream file;
  dib.WriteBitmapFile(file);
  ASSERT_EQ(file.Bytes().size(), 14u + 7784u);
  EXPECT_EQ(file.Bytes()[0], 'B');
  TDIB fromFile;
  file.SetPosition(0);
  fromFile.ReadBitmapFile(file);
  EXPECT_EQ(Written(fromFile), GlyphSheetBlock().bytes);

  std::uint16_t format = 0;
  HGLOBAL data = 0;
  HPALETTE palette = 1;
  dib.SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, CF_DIB);
  EXPECT_EQ(palette, 0u);
  TDIB fromClipboard;
  fromClipboard.LoadFromClipboardFormat(format, data, 0);
  EXPECT_EQ(Written(fromClipboard), GlyphSheetBlock().bytes);
  GlobalFree(data);
  EXPECT_EQ(TPicture::ClipboardFormatClass(CF_DIB), "TDIB");
  EXPECT_EQ(TPicture::FileFormatDescription("dib"), "Device Independent Bitmap");
}

TEST_F(DIBTest, ABitmapFileMustStartWithItsMark) {
  TDIB dib;
  Read(dib, GlyphSheetBlock().bytes);
  for (const std::vector<std::uint8_t>& bytes :
       {std::vector<std::uint8_t>{'B', 'M', 0}, std::vector<std::uint8_t>(20, 'X')}) {
    TCustomMemoryStream in(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    EXPECT_THROW(dib.ReadBitmapFile(in), EInvalidGraphic);
  }
  TCustomMemoryStream nothing(nullptr, 0);
  dib.ReadBitmapFile(nothing);
  EXPECT_EQ(dib.Width(), 256) << "an empty stream leaves the DIB as it was";
}

TEST(ChannelLayouts, MasksGiveTheirRunLengthsPackedFromTheTop) {
  struct Case {
    std::uint32_t r, g, b, red, green, blue;
  } cases[] = {{0xF800, 0x7E0, 0x1F, 0xF800, 0x7E0, 0x1F},
               {0x7C00, 0x3E0, 0x1F, 0x7C00, 0x3E0, 0x1F},
               {0xFF, 0xFF00, 0xFF0000, 0xFF0000, 0xFF00, 0xFF},  // positions are not kept
               {0, 0, 0, 0, 0, 0},
               {0xFFFFFFFF, 0, 0, 0xFFFFFFFF, 0, 0}};
  for (const Case& c : cases) {
    ChannelLayout l = ChannelLayoutFromMasks(c.r, c.g, c.b);
    EXPECT_EQ(l.RedMask, c.red);
    EXPECT_EQ(l.GreenMask, c.green);
    EXPECT_EQ(l.BlueMask, c.blue);
  }
}

}  // namespace
}  // namespace corvane::test

namespace corvane::test {
namespace {

// A form that stores a DIB component with its image data in a file of its own.
class FormWithSheet : public TForm {
 public:
  using TForm::TForm;
  std::vector<std::uint8_t> sheet;

 protected:
  std::string_view FormResource() const override {
    return "object f: FormWithSheet\n  object dxFont: TDXDIB\n    DIB.Data = file 'sheet.dib'\n  end\nend\n";
  }
  TBinaryResolver BinaryResolver() const override {
    return [this](const std::string& name) {
      if (name != "sheet.dib") throw EResNotFound(Format(msg::SResNotFound, name));
      return sheet;
    };
  }
};

TEST(DXDIB, TheStoredImageDataLoadsIntoTheComponentsDIB) {
  InitializeDIBUnit();
  FormWithSheet form(nullptr);
  form.sheet = GlyphSheetBlock().bytes;
  form.AfterConstruction();
  auto* font = dynamic_cast<TDXDIB*>(form.FindComponent("dxFont"));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->DIB().Width(), 256);
  EXPECT_EQ(Written(font->DIB()), GlyphSheetBlock().bytes);
  TDIB copy;
  font->SetDIB(copy);
  EXPECT_TRUE(font->DIB().Empty()) << "assigning the property copies the image in";
}

}  // namespace
}  // namespace corvane::test
