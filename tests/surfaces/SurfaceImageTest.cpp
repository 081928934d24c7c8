// Loading images into surfaces and copying between surfaces and DIBs, with
// every pixel checked on tiny images.
#include "SurfaceFixture.h"

namespace corvane::test {
namespace {

using Pixels = std::vector<std::uint32_t>;

// A 4 x 2 DIB of 4 bits whose pixel (x, y) has colour index x + 4y (mod 6).
std::unique_ptr<TDIB> FourBitDib() {
  static const std::uint32_t colours[6] = {0x000000, 0xFF0000, 0x00FF00,
                                           0x0000FF, 0x808080, 0x123456};
  auto dib = std::make_unique<TDIB>();
  dib->PixelFormat = MakeChannelLayout(8, 8, 8);
  dib->ResizeImage(4, 2, 4);
  for (int i = 0; i < 6; ++i)
    dib->ColorTable[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(colours[i]),
                                                    static_cast<std::uint8_t>(colours[i] >> 8),
                                                    static_cast<std::uint8_t>(colours[i] >> 16), 0};
  dib->ApplyColorTable();
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x)
      dib->SetPixelValue(x, y, static_cast<std::uint32_t>((x + 4 * y) % 6));
  return dib;
}

// A 3 x 2 bitmap of distinct colours: 0x00RRGGBB = 0x10 * (x + 1) in red,
// 0x40 * (y + 1) in blue.
void PaintBitmap(TBitmap& bitmap) {
  bitmap.SetSize(3, 2);
  BitmapView view = GetBitmapView(bitmap.Canvas().Handle());
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      std::uint8_t* p = view.topRow + view.step * y + 3 * x;
      p[0] = static_cast<std::uint8_t>(0x40 * (y + 1));  // blue
      p[1] = 0;
      p[2] = static_cast<std::uint8_t>(0x10 * (x + 1));  // red
    }
}
std::uint32_t BitmapColour(int x, int y) { return 0x10u * (x + 1) << 16 | 0x40u * (y + 1); }

using SurfaceImageTest = SurfaceFixture;

TEST_F(SurfaceImageTest, AFourBitDibLoadsWithItsColourTableWholePartlyAndScaled) {
  std::unique_ptr<TDIB> dib = FourBitDib();
  TDirectDrawSurface& surface = makeSurface(1, 1);
  struct Row {
    const char* what;
    int width, height;
    RECT rect;
    Pixels expected;  // 0x00RRGGBB on the 32-bit surface
  } rows[] = {
      {"whole",
       0,
       0,
       {0, 0, 4, 2},
       {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080, 0x123456, 0x000000, 0xFF0000}},
      {"part", 0, 0, {1, 0, 3, 2}, {0xFF0000, 0x00FF00, 0x123456, 0x000000}},
      {"part doubled",
       4,
       2,
       {2, 1, 4, 2},
       {0x000000, 0x000000, 0xFF0000, 0xFF0000, 0x000000, 0x000000, 0xFF0000, 0xFF0000}},
  };
  for (const Row& row : rows) {
    surface.LoadFromGraphicRect(*dib, row.width, row.height, row.rect);
    EXPECT_EQ(surface.Width(), row.width ? row.width : row.rect.width()) << row.what;
    EXPECT_EQ(pixels(surface), row.expected) << row.what;
    EXPECT_FALSE(surface.Canvas().HandleAllocated()) << row.what;
    EXPECT_EQ(surface.LockCount(), 0);
  }
  surface.LoadFromGraphic(*dib);
  EXPECT_EQ(pixels(surface), rows[0].expected);
}

TEST_F(SurfaceImageTest, InAnIndexedModeImagesTakeTheNearestColoursOfTheScreensPalette) {
  ASSERT_EQ(device().IDDraw7().SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
            DD_OK);
  ASSERT_EQ(device().IDDraw7().SetDisplayMode(320, 240, 8), DD_OK);
  TDirectDrawPalette palette(device());
  PALETTEENTRY entries[256] = {};
  entries[1] = {0x12, 0x34, 0x56, 0};
  entries[2] = {0xFF, 0, 0, 0};
  ASSERT_TRUE(palette.CreatePalette(DDPCAPS_8BIT, entries));
  TDirectDrawSurface primary(device());
  DDSURFACEDESC2 desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  ASSERT_TRUE(primary.CreateSurface(desc));
  primary.SetPalette(&palette);
  // An off-screen surface has no palette of its own: it draws with the screen's.
  TDirectDrawSurface& surface = makeSurface(1, 1);
  std::unique_ptr<TDIB> dib = FourBitDib();
  surface.LoadFromGraphic(*dib);
  EXPECT_EQ(surface.BitCount(), 8);
  EXPECT_EQ(pixels(surface), (Pixels{0, 2, 1, 1, 1, 1, 0, 2}));
  EXPECT_EQ(surface.ColorMatch(0xFF), 2u);
}

TEST_F(SurfaceImageTest, ABitmapLoadsAtItsSizeAndScaled) {
  TBitmap bitmap;
  PaintBitmap(bitmap);
  TDirectDrawSurface& surface = makeSurface(1, 1);
  auto c = BitmapColour;
  struct Row {
    const char* what;
    int width, height;
    RECT rect;
    Pixels expected;
  } rows[] = {
      {"whole", 0, 0, {0, 0, 3, 2}, {c(0, 0), c(1, 0), c(2, 0), c(0, 1), c(1, 1), c(2, 1)}},
      {"part at its size", 0, 0, {1, 1, 3, 2}, {c(1, 1), c(2, 1)}},
      {"part doubled",
       4,
       2,
       {1, 0, 3, 1},
       {c(1, 0), c(1, 0), c(2, 0), c(2, 0), c(1, 0), c(1, 0), c(2, 0), c(2, 0)}},
      {"whole halved across", 3, 1, {0, 0, 3, 2}, {c(0, 1), c(1, 1), c(2, 1)}},
  };
  for (const Row& row : rows) {
    surface.LoadFromGraphicRect(bitmap, row.width, row.height, row.rect);
    EXPECT_EQ(pixels(surface), row.expected) << row.what;
    EXPECT_FALSE(surface.Canvas().HandleAllocated()) << row.what;
  }
}

TEST_F(SurfaceImageTest, CopyingFromSurfacesPicturesAndNothing) {
  TDirectDrawSurface& source = makeSurface(2, 2, PixelFormat::rgb565());
  source.Fill(0x4321);
  TDirectDrawSurface& copy = makeSurface(5, 5);
  copy.Assign(&source);
  ASSERT_NE(copy.ISurface(), nullptr);
  EXPECT_NE(copy.ISurface(), source.ISurface());
  EXPECT_EQ(copy.BitCount(), 16);
  EXPECT_EQ(pixels(copy), Pixels(4, 0x4321));
  source.SetPixel(1, 1, 0x0001);
  EXPECT_EQ(copy.Pixel(1, 1), 0x0001u) << "a duplicate shares the pixels";

  TDirectDrawSurface empty(device());
  copy.Assign(&empty);
  EXPECT_EQ(copy.ISurface(), nullptr);
  source.Assign(nullptr);
  EXPECT_EQ(source.ISurface(), nullptr);

  TPicture picture;
  picture.SetGraphic(FourBitDib());
  copy.Assign(&picture);
  EXPECT_EQ(copy.Width(), 4);
  EXPECT_EQ(copy.Pixel(1, 0), 0xFF0000u);
  TPicture nothing;
  copy.Assign(&nothing);
  EXPECT_EQ(copy.ISurface(), nullptr);
  std::unique_ptr<TDIB> dib = FourBitDib();
  copy.Assign(dib.get());
  EXPECT_EQ(copy.Pixel(2, 0), 0x00FF00u);

  TCanvas canvas;
  EXPECT_EQ(
      RaisedBy([&] { copy.Assign(&canvas); }),
      (Raised{"EConvertError", "TCanvas kann nicht zu  TDirectDrawSurface zugewiesen werden"}));
}

TEST_F(SurfaceImageTest, CopyingToADibGivesTwentyFourBitsOfTheSurface) {
  TDirectDrawSurface& surface = makeSurface(3, 2, PixelFormat::rgb565());
  surface.Fill(0);
  surface.SetPixel(0, 0, 0xF800);  // red
  surface.SetPixel(2, 1, 0x001F);  // blue
  surface.SetPixel(1, 1, 0xFFFF);  // white
  TDIB dib;
  surface.AssignTo(&dib);
  ASSERT_EQ(dib.Width(), 3);
  ASSERT_EQ(dib.Height(), 2);
  EXPECT_EQ(dib.BitCount(), 24);
  EXPECT_FALSE(surface.Canvas().HandleAllocated());
  const std::uint8_t* top = dib.ScanLine(0);
  const std::uint8_t* bottom = dib.ScanLine(1);
  EXPECT_EQ(std::vector<std::uint8_t>(top, top + 9),
            (std::vector<std::uint8_t>{0, 0, 255, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(std::vector<std::uint8_t>(bottom, bottom + 9),
            (std::vector<std::uint8_t>{0, 0, 0, 255, 255, 255, 255, 0, 0}));

  TDirectDrawSurface empty(device());
  empty.AssignTo(&dib);
  EXPECT_TRUE(dib.Empty());
  TBitmap bitmap;
  EXPECT_EQ(
      RaisedBy([&] { surface.AssignTo(&bitmap); }),
      (Raised{"EConvertError", "TDirectDrawSurface kann nicht zu  TBitmap zugewiesen werden"}));
}

TEST_F(SurfaceImageTest, LoadingAnEmptyImageLeavesAnEmptySurface) {
  TDirectDrawSurface& surface = makeSurface(2, 2);
  TDIB empty;
  surface.LoadFromGraphic(empty);
  EXPECT_EQ(surface.ISurface(), nullptr);
  TBitmap none;
  surface.LoadFromGraphic(none);
  EXPECT_EQ(surface.ISurface(), nullptr);
}

}  // namespace
}  // namespace corvane::test
