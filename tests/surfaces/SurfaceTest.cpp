// Surfaces: making and releasing them, colour keys, fills, colour matching,
// locks, single pixels, blits and restore.
#include <cstring>

#include "SurfaceFixture.h"

namespace corvane::test {
namespace {

using SurfaceTest = SurfaceFixture;

TEST_F(SurfaceTest, SizesThatAreNotPositiveLeaveTheSurfaceEmpty) {
  TDirectDrawSurface& surface = makeSurface(6, 4);
  ASSERT_NE(surface.ISurface(), nullptr);
  EXPECT_EQ(surface.ClientRect(), (RECT{0, 0, 6, 4}));
  EXPECT_EQ(surface.BitCount(), 32);
  for (auto [w, h] : {std::pair{0, 10}, std::pair{10, 0}, std::pair{-1, 5}}) {
    surface.SetSize(6, 4);
    surface.SetSize(w, h);
    EXPECT_EQ(surface.ISurface(), nullptr) << w << "x" << h;
    EXPECT_EQ(surface.ISurface4(), nullptr);
    EXPECT_EQ(surface.ISurface7(), nullptr);
    EXPECT_EQ(surface.Width(), 0);
    EXPECT_EQ(surface.Height(), 0);
  }
}

TEST_F(SurfaceTest, SurfacesGoToSystemMemoryWhenVideoMemoryRunsOut) {
  device_.reset();
  display().setVideoMemory(1024);  // room for 16 x 16 at 32 bits, not more
  device_ = std::make_unique<TDirectDraw>(nullptr);
  struct Row {
    int side;
    bool askSystem;
    bool expectSystem;
  } rows[] = {{16, false, false}, {17, false, true}, {4, true, true}};
  for (const Row& row : rows) {
    TDirectDrawSurface surface(device());
    surface.SetSystemMemory(row.askSystem);
    surface.SetSize(row.side, row.side);
    ASSERT_NE(surface.ISurface(), nullptr) << row.side;
    EXPECT_EQ(surface.SystemMemory(), row.expectSystem) << row.side;
    std::uint32_t caps = surface.SurfaceDesc().ddsCaps.dwCaps;
    EXPECT_EQ((caps & DDSCAPS_SYSTEMMEMORY) != 0, row.expectSystem) << row.side;
    EXPECT_EQ((caps & DDSCAPS_VIDEOMEMORY) != 0, !row.expectSystem) << row.side;
  }
}

TEST_F(SurfaceTest, EveryNewSurfaceHasColourKeyZeroAndFillZeroIsBlack) {
  std::vector<TDirectDrawSurface*> surfaces = {
      &makeSurface(5, 3), &makeSurface(5, 3, PixelFormat::indexed8()),
      &makeSurface(5, 3, PixelFormat::rgb565()), &makeSurface(5, 3, PixelFormat::rgb555()),
      &makeSurface(5, 3, PixelFormat::rgb888())};
  for (TDirectDrawSurface* surface : surfaces) {
    DDCOLORKEY key{7, 7};
    ASSERT_EQ(surface->ISurface()->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key, (DDCOLORKEY{0, 0})) << surface->BitCount();
    EXPECT_TRUE(surface->Fill(0xFFFFFFFF));
    EXPECT_NE(surface->Pixel(4, 2), 0u);
    EXPECT_TRUE(surface->Fill(0));
    EXPECT_EQ(pixels(*surface), std::vector<std::uint32_t>(15, 0u)) << surface->BitCount();
  }
  TDirectDrawSurface empty(device());
  EXPECT_FALSE(empty.Fill(0));
}

TEST_F(SurfaceTest, ASurfaceMadeInA16BitModeIs16BitWithKeyZero) {
  ASSERT_EQ(device().IDDraw7().SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
            DD_OK);
  ASSERT_EQ(device().IDDraw7().SetDisplayMode(320, 240, 16), DD_OK);
  TDirectDrawSurface& surface = makeSurface(8, 8);
  EXPECT_EQ(surface.BitCount(), 16);
  EXPECT_EQ(surface.SurfaceDesc().ddpfPixelFormat.dwGBitMask, 0x7E0u);
  DDCOLORKEY key{1, 1};
  surface.ISurface()->GetColorKey(DDCKEY_SRCBLT, &key);
  EXPECT_EQ(key, (DDCOLORKEY{0, 0}));
  surface.SetTransparentColor(0xF81F);
  surface.ISurface()->GetColorKey(DDCKEY_SRCBLT, &key);
  EXPECT_EQ(key, (DDCOLORKEY{0xF81F, 0xF81F}));
  EXPECT_TRUE(surface.Fill(0));
  EXPECT_EQ(surface.Pixel(7, 7), 0u);
  EXPECT_EQ(surface.ColorMatch(0xFFFFFF), 0xFFFFu);
}

TEST_F(SurfaceTest, ColorMatchGivesTheRawValueAndLeavesThePixelAsItWas) {
  TDirectDrawPalette palette(device());
  PALETTEENTRY entries[256] = {};
  entries[7] = {255, 0, 0, 0};
  entries[9] = {255, 255, 255, 0};
  entries[12] = {0, 0, 250, 0};
  ASSERT_TRUE(palette.CreatePalette(DDPCAPS_8BIT, entries));
  TDirectDrawSurface& indexed = makeSurface(3, 2, PixelFormat::indexed8());
  indexed.SetPalette(&palette);
  ASSERT_EQ(indexed.LastResult(), DD_OK);
  struct Row {
    TDirectDrawSurface* surface;
    std::uint32_t colour;  // red in the low byte
    std::uint32_t raw;
    std::uint32_t before;  // what pixel (0, 0) holds first
  } rows[] = {
      {&indexed, 0xFFFFFF, 9, 3},
      {&indexed, 0x0000FF, 7, 200},
      {&indexed, 0xFF0000, 12, 0},
      {&makeSurface(3, 2, PixelFormat::rgb565()), 0xFFFFFF, 0xFFFF, 0x1234},
      {&makeSurface(3, 2, PixelFormat::rgb565()), 0x0000FF, 0xF800, 0},
      {&makeSurface(3, 2, PixelFormat::rgb555()), 0xFFFFFF, 0x7FFF, 0x0421},
      {&makeSurface(3, 2, PixelFormat::rgb555()), 0x00FF00, 0x03E0, 0},
      {&makeSurface(3, 2, PixelFormat::rgb888()), 0x0000FF, 0xFF0000, 0x123456},
      {&makeSurface(3, 2), 0x00FF00, 0x00FF00, 0x89ABCDEF},
      {&makeSurface(3, 2), 0x8000000F, 0xC0C0C0, 0},  // button face, a system colour
      {&makeSurface(3, 2), 0x00336699, 0x996633, 1},
  };
  for (const Row& row : rows) {
    row.surface->SetPixel(0, 0, row.before);
    row.surface->SetPixel(1, 0, 0x55);
    EXPECT_EQ(row.surface->ColorMatch(row.colour), row.raw)
        << row.surface->BitCount() << " bits, colour " << std::hex << row.colour;
    EXPECT_EQ(row.surface->Pixel(0, 0), row.before) << row.surface->BitCount();
    EXPECT_EQ(row.surface->Pixel(1, 0), 0x55u) << "only the first pixel is drawn on";
    EXPECT_EQ(row.surface->LockCount(), 0);
  }
  TDirectDrawSurface empty(device());
  EXPECT_EQ(empty.ColorMatch(0xFFFFFF), 0u);
}

TEST_F(SurfaceTest, ColorMatchOnALockedSurfaceGivesZeroAndChangesNothing) {
  TDirectDrawSurface& surface = makeSurface(2, 2, PixelFormat::rgb565());
  surface.SetPixel(0, 0, 0x1111);
  DDSURFACEDESC2 desc;
  ASSERT_TRUE(surface.Lock(nullptr, desc));
  EXPECT_EQ(surface.ColorMatch(0xFFFFFF), 0u);
  surface.Unlock();
  EXPECT_EQ(surface.Pixel(0, 0), 0x1111u);
}

TEST_F(SurfaceTest, LocksDoNotNest) {
  TDirectDrawSurface& surface = makeSurface(4, 3, PixelFormat::rgb565());
  surface.SetPixel(2, 1, 0xABCD);
  DDSURFACEDESC2 first;
  ASSERT_TRUE(surface.Lock(nullptr, first));
  EXPECT_EQ(surface.LockCount(), 1);
  EXPECT_EQ(first.lPitch, 8);
  EXPECT_EQ(first.dwWidth, 4u);
  DDSURFACEDESC2 second;
  EXPECT_FALSE(surface.Lock(nullptr, second));
  EXPECT_EQ(surface.LockCount(), 1);
  EXPECT_EQ(surface.Pixel(2, 1), 0u) << "reads during a lock give 0";
  surface.SetPixel(2, 1, 0x1111);  // does nothing
  // The first lock still works.
  auto* row = static_cast<std::uint8_t*>(first.lpSurface) + first.lPitch;
  EXPECT_EQ(row[4] | row[5] << 8, 0xABCD);
  row[4] = 0x34, row[5] = 0x12;
  surface.Unlock();
  surface.Unlock();  // one too many does nothing
  EXPECT_EQ(surface.LockCount(), 0);
  EXPECT_EQ(surface.Pixel(2, 1), 0x1234u);
  // A part of the surface locks at its first pixel.
  RECT part{2, 1, 4, 3};
  ASSERT_TRUE(surface.Lock(&part, first));
  EXPECT_EQ(static_cast<std::uint8_t*>(first.lpSurface)[0], 0x34);
  surface.Unlock();
  TDirectDrawSurface empty(device());
  EXPECT_FALSE(empty.Lock(nullptr, first));
}

TEST_F(SurfaceTest, PixelsKeepTheByteLayoutOfEveryBitCount) {
  struct Row {
    PixelFormat format;
    int x;
    std::uint32_t value;
    std::vector<std::uint8_t> row1;  // the first bytes of row 1 afterwards
  } rows[] = {
      {PixelFormat::indexed(1), 0, 1, {0x80, 0x00}},
      {PixelFormat::indexed(1), 9, 1, {0x00, 0x40}},
      {PixelFormat::indexed(1), 7, 3, {0x01, 0x00}},  // only bit 0 counts
      {PixelFormat::indexed(4), 0, 0xA, {0xA0, 0x00}},
      {PixelFormat::indexed(4), 1, 0x5, {0x05, 0x00}},
      {PixelFormat::indexed(4), 2, 0xC, {0x00, 0xC0}},
      {PixelFormat::indexed8(), 3, 0x1FE, {0x00, 0x00, 0x00, 0xFE}},
      {PixelFormat::rgb565(), 1, 0xBEEF, {0x00, 0x00, 0xEF, 0xBE}},
      {PixelFormat::rgb888(), 1, 0x123456, {0x00, 0x00, 0x00, 0x56, 0x34, 0x12, 0x00}},
      {PixelFormat::xrgb8888(), 1, 0x89ABCDEF, {0x00, 0x00, 0x00, 0x00, 0xEF, 0xCD, 0xAB, 0x89}},
  };
  for (const Row& row : rows) {
    TDirectDrawSurface& surface = makeSurface(12, 3, row.format);
    surface.SetPixel(row.x, 1, row.value);
    int bits = row.format.bitCount();
    EXPECT_EQ(rowBytes(surface, 1, static_cast<int>(row.row1.size())), row.row1)
        << bits << " bits, x " << row.x;
    std::uint32_t mask = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    EXPECT_EQ(surface.Pixel(row.x, 1), row.value & mask) << bits << " bits";
    EXPECT_EQ(rowBytes(surface, 0, 4), std::vector<std::uint8_t>(4, 0)) << "row 0 untouched";
    EXPECT_EQ(rowBytes(surface, 2, 4), std::vector<std::uint8_t>(4, 0)) << "row 2 untouched";
  }
}

TEST_F(SurfaceTest, PixelsOffTheSurfaceReadZeroAndWriteNothing) {
  TDirectDrawSurface& surface = makeSurface(3, 2, PixelFormat::indexed8());
  surface.Fill(5);
  for (auto [x, y] : {std::pair{-1, 0}, std::pair{0, -1}, std::pair{3, 0}, std::pair{0, 2}}) {
    EXPECT_EQ(surface.Pixel(x, y), 0u) << x << "," << y;
    surface.SetPixel(x, y, 9);
  }
  EXPECT_EQ(pixels(surface), std::vector<std::uint32_t>(6, 5u));
  TDirectDrawSurface empty(device());
  EXPECT_EQ(empty.Pixel(0, 0), 0u);
  empty.SetPixel(0, 0, 1);
}

TEST_F(SurfaceTest, BlitsNeedAPlatformSurfaceAndRecordTheirResult) {
  TDirectDrawSurface& source = makeSurface(2, 2, PixelFormat::rgb565());
  TDirectDrawSurface& dest = makeSurface(4, 4, PixelFormat::rgb565());
  source.Fill(0x1234);
  TDirectDrawSurface empty(device());
  DDBLTFX fx;
  empty.SetLastResult(DD_OK);
  EXPECT_FALSE(empty.Blt(nullptr, nullptr, DDBLT_WAIT, fx, &source));
  EXPECT_FALSE(empty.BltFast(0, 0, {0, 0, 2, 2}, DDBLTFAST_WAIT, &source));
  EXPECT_EQ(empty.LastResult(), DD_OK) << "the platform was not asked";

  EXPECT_FALSE(dest.Blt(nullptr, nullptr, DDBLT_WAIT, fx, &empty)) << "an empty source is none";
  EXPECT_EQ(dest.LastResult(), DDERR_INVALIDPARAMS);
  RECT target{1, 1, 3, 3};
  EXPECT_TRUE(dest.Blt(&target, nullptr, DDBLT_WAIT, fx, &source));
  EXPECT_EQ(dest.Pixel(1, 1), 0x1234u);
  EXPECT_EQ(dest.Pixel(0, 0), 0u);
  EXPECT_TRUE(dest.BltFast(2, 2, {0, 0, 2, 2}, DDBLTFAST_WAIT, &source));
  EXPECT_EQ(dest.Pixel(3, 3), 0x1234u);
  EXPECT_FALSE(dest.BltFast(-1, 0, {0, 0, 2, 2}, DDBLTFAST_WAIT, &source));
  EXPECT_EQ(dest.LastResult(), DDERR_INVALIDRECT);
}

TEST_F(SurfaceTest, TheCanvasHoldsTheSurfaceUntilItIsReleased) {
  TDirectDrawSurface& source = makeSurface(2, 2);
  TDirectDrawSurface& dest = makeSurface(2, 2);
  source.Fill(0x00FF00);
  DDBLTFX fx;
  ASSERT_NE(dest.Canvas().Handle(), 0u);
  EXPECT_FALSE(dest.Blt(nullptr, nullptr, DDBLT_WAIT, fx, &source));
  EXPECT_EQ(dest.LastResult(), DDERR_SURFACEBUSY);
  DDSURFACEDESC2 desc;
  EXPECT_FALSE(dest.Lock(nullptr, desc));
  dest.Canvas().Release();
  EXPECT_FALSE(dest.Canvas().HandleAllocated());
  EXPECT_TRUE(dest.Blt(nullptr, nullptr, DDBLT_WAIT, fx, &source));
  EXPECT_EQ(dest.Pixel(1, 1), 0x00FF00u);
  dest.Canvas().Release();  // releasing twice does nothing
}

TEST_F(SurfaceTest, ReleasingThePlatformSurfaceGivesBackItsLockAndContext) {
  // Another holder of the platform surface must find it usable afterwards.
  for (bool viaCanvas : {false, true}) {
    TDirectDrawSurface& surface = makeSurface(2, 2);
    ComPtr<DirectDrawSurface> kept(surface.ISurface());
    DDSURFACEDESC2 desc;
    if (viaCanvas)
      ASSERT_NE(surface.Canvas().Handle(), 0u);
    else
      ASSERT_TRUE(surface.Lock(nullptr, desc));
    surface.Attach(nullptr);
    EXPECT_EQ(surface.LockCount(), 0);
    EXPECT_EQ(kept->Lock(nullptr, &desc, DDLOCK_WAIT), DD_OK) << viaCanvas;
    kept->Unlock(nullptr);
  }
}

TEST_F(SurfaceTest, LostSurfacesFailUntilRestored) {
  TDirectDrawSurface& surface = makeSurface(3, 3, PixelFormat::rgb565());
  surface.Fill(0x7777);
  display().loseSurfaces();
  EXPECT_EQ(surface.ISurface()->IsLost(), DDERR_SURFACELOST);
  EXPECT_FALSE(surface.Fill(0));
  EXPECT_EQ(surface.LastResult(), DDERR_SURFACELOST);
  EXPECT_EQ(surface.Canvas().Handle(), 0u) << "no context on a lost surface";
  EXPECT_EQ(surface.LastResult(), DDERR_SURFACELOST);
  EXPECT_TRUE(surface.Restore());
  EXPECT_EQ(surface.ISurface()->IsLost(), DD_OK);
  EXPECT_TRUE(surface.Restore()) << "restoring what is not lost succeeds";
  EXPECT_TRUE(surface.Fill(0x2222));
  EXPECT_EQ(surface.Pixel(2, 2), 0x2222u);
  TDirectDrawSurface empty(device());
  EXPECT_FALSE(empty.Restore());
}

TEST_F(SurfaceTest, ClippersAndPalettesAttachThroughTheWrappers) {
  TDirectDrawClipper clipper(device());
  clipper.SetHandle(window_);
  EXPECT_EQ(clipper.LastResult(), DD_OK);
  TDirectDrawSurface& surface = makeSurface(4, 4);
  EXPECT_FALSE(surface.HasClipper());
  surface.SetClipper(&clipper);
  EXPECT_TRUE(surface.HasClipper());
  // Another wrapper taking over the platform surface sees the clipper.
  TDirectDrawSurface other(device());
  other.Attach(surface.ISurface());
  EXPECT_TRUE(other.HasClipper());
  EXPECT_EQ(other.Width(), 4);
  surface.SetClipper(nullptr);
  EXPECT_FALSE(surface.HasClipper());

  TDirectDrawPalette palette(device());
  PALETTEENTRY entries[256] = {};
  ASSERT_TRUE(palette.CreatePalette(DDPCAPS_8BIT, entries));
  surface.SetPalette(&palette);
  EXPECT_EQ(surface.LastResult(), DDERR_NOTPALETTIZED) << "32-bit surfaces take no palette";
}

}  // namespace
}  // namespace corvane::test
