// Surfaces, palettes and clippers: creation, locks, keys, loss, ownership.
#include "DDrawFixture.h"

namespace corvane::test {
namespace {

using SurfaceTest = DDrawFixture;

DDSURFACEDESC2 Offscreen(std::uint32_t width, std::uint32_t height, std::uint32_t caps = 0) {
  DDSURFACEDESC2 desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = width;
  desc.dwHeight = height;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | caps;
  return desc;
}

DDSURFACEDESC2 WithFormat(DDSURFACEDESC2 desc, const DDPIXELFORMAT& format) {
  desc.dwFlags |= DDSD_PIXELFORMAT;
  desc.ddpfPixelFormat = format;
  return desc;
}

TEST_F(SurfaceTest, CreationChecksTheDescription) {
  DDPIXELFORMAT overlapping = ToDDPixelFormat(PixelFormat::rgb565());
  overlapping.dwGBitMask = 0x0FE0;
  DDPIXELFORMAT fourCC = ToDDPixelFormat(PixelFormat::rgb565());
  fourCC.dwFlags = DDPF_FOURCC;
  DDSURFACEDESC2 noCaps = Offscreen(8, 8);
  noCaps.dwFlags &= ~DDSD_CAPS;
  DDSURFACEDESC2 noHeight = Offscreen(8, 8);
  noHeight.dwFlags &= ~DDSD_HEIGHT;
  DDSURFACEDESC2 sizedPrimary = Offscreen(8, 8, DDSCAPS_PRIMARYSURFACE);
  struct Row {
    const char* what;
    DDSURFACEDESC2 desc;
    HRESULT expected;
    int bits;
  } rows[] = {
      {"desktop format", Offscreen(320, 240), DD_OK, 32},
      {"5-6-5", WithFormat(Offscreen(4, 4), ToDDPixelFormat(PixelFormat::rgb565())), DD_OK, 16},
      {"8-8-8", WithFormat(Offscreen(4, 4), ToDDPixelFormat(PixelFormat::rgb888())), DD_OK, 24},
      {"indexed 8", WithFormat(Offscreen(4, 4), ToDDPixelFormat(PixelFormat::indexed8())), DD_OK, 8},
      {"indexed 4", WithFormat(Offscreen(4, 4), ToDDPixelFormat(PixelFormat::indexed(4))), DD_OK, 4},
      {"indexed 1", WithFormat(Offscreen(9, 4), ToDDPixelFormat(PixelFormat::indexed(1))), DD_OK, 1},
      {"overlapping masks", WithFormat(Offscreen(4, 4), overlapping), DDERR_INVALIDPIXELFORMAT, 0},
      {"compressed", WithFormat(Offscreen(4, 4), fourCC), DDERR_INVALIDPIXELFORMAT, 0},
      {"no caps", noCaps, DDERR_INVALIDPARAMS, 0},
      {"no height", noHeight, DDERR_INVALIDPARAMS, 0},
      {"zero width", Offscreen(0, 4), DDERR_INVALIDPARAMS, 0},
      {"too wide", Offscreen(20000, 4), DDERR_TOOBIGSIZE, 0},
      {"flipping chain", Offscreen(4, 4, DDSCAPS_FLIP | DDSCAPS_COMPLEX), DDERR_NOFLIPHW, 0},
      {"overlay", Offscreen(4, 4, DDSCAPS_OVERLAY), DDERR_INVALIDCAPS, 0},
      {"both memories", Offscreen(4, 4, DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY),
       DDERR_INVALIDCAPS, 0},
      {"primary with a size", sizedPrimary, DDERR_INVALIDPARAMS, 0},
  };
  for (const Row& row : rows) {
    ComPtr<DirectDrawSurface> surface;
    EXPECT_EQ(device_->CreateSurface(&row.desc, surface), row.expected) << row.what;
    if (row.expected != DD_OK) {
      EXPECT_EQ(surface, nullptr) << row.what;
      continue;
    }
    DDPIXELFORMAT format;
    ASSERT_EQ(surface->GetPixelFormat(&format), DD_OK);
    EXPECT_EQ(format.dwRGBBitCount, static_cast<std::uint32_t>(row.bits)) << row.what;
  }
}

TEST_F(SurfaceTest, MemoryKindFollowsTheCaps) {
  for (bool system : {false, true}) {
    DDSURFACEDESC2 desc = Offscreen(4, 4, system ? DDSCAPS_SYSTEMMEMORY : 0);
    ComPtr<DirectDrawSurface> surface;
    ASSERT_EQ(device_->CreateSurface(&desc, surface), DD_OK);
    DDSCAPS2 caps;
    ASSERT_EQ(surface->GetCaps(&caps), DD_OK);
    EXPECT_EQ((caps.dwCaps & DDSCAPS_SYSTEMMEMORY) != 0, system);
    EXPECT_EQ((caps.dwCaps & DDSCAPS_VIDEOMEMORY) != 0, !system);
    EXPECT_TRUE(caps.dwCaps & DDSCAPS_OFFSCREENPLAIN);
  }
}

// With video memory used up, only system memory can still be had.
TEST_F(SurfaceTest, ExhaustedVideoMemory) {
  display().setVideoMemory(1000);
  ComPtr<DirectDraw> device;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, device, IID_IDirectDraw7), DD_OK);
  ComPtr<DirectDrawSurface> surface;
  DDSURFACEDESC2 small = Offscreen(10, 10);  // 400 bytes
  ASSERT_EQ(device->CreateSurface(&small, surface), DD_OK);
  ComPtr<DirectDrawSurface> more;
  DDSURFACEDESC2 big = Offscreen(20, 10);  // 800 more
  EXPECT_EQ(device->CreateSurface(&big, more), DDERR_OUTOFVIDEOMEMORY);
  big.ddsCaps.dwCaps |= DDSCAPS_VIDEOMEMORY;
  EXPECT_EQ(device->CreateSurface(&big, more), DDERR_OUTOFVIDEOMEMORY);
  big.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  EXPECT_EQ(device->CreateSurface(&big, more), DD_OK);
  surface.reset();  // its video memory comes back
  DDSURFACEDESC2 again = Offscreen(20, 10);
  EXPECT_EQ(device->CreateSurface(&again, surface), DD_OK);
}

TEST_F(SurfaceTest, PrimaryTakesTheDisplaysSizeAndFormat) {
  DDSURFACEDESC2 desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  ComPtr<DirectDrawSurface> primary;
  EXPECT_EQ(device_->CreateSurface(&desc, primary), DDERR_NOCOOPERATIVELEVELSET);
  ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_NORMAL), DD_OK);
  primary = makePrimary();
  DDSURFACEDESC2 got;
  ASSERT_EQ(primary->GetSurfaceDesc(&got), DD_OK);
  EXPECT_EQ(got.dwWidth, 640u);
  EXPECT_EQ(got.dwHeight, 480u);
  EXPECT_EQ(got.ddpfPixelFormat.dwRGBBitCount, 32u);
  EXPECT_TRUE(got.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE);
  ComPtr<DirectDrawSurface> second;
  EXPECT_EQ(device_->CreateSurface(&desc, second), DDERR_PRIMARYSURFACEALREADYEXISTS);

  primary.reset();
  ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  ASSERT_EQ(device_->SetDisplayMode(320, 240, 16), DD_OK);
  primary = makePrimary();
  ASSERT_EQ(primary->GetSurfaceDesc(&got), DD_OK);
  EXPECT_EQ(got.dwWidth, 320u);
  EXPECT_EQ(got.dwHeight, 240u);
  EXPECT_EQ(got.ddpfPixelFormat.dwGBitMask, 0x07E0u);
  // An off-screen surface without a format takes the mode's: 16 bits.
  DDSURFACEDESC2 plain = Offscreen(320, 240);
  ComPtr<DirectDrawSurface> back;
  ASSERT_EQ(device_->CreateSurface(&plain, back), DD_OK);
  ASSERT_EQ(back->GetSurfaceDesc(&got), DD_OK);
  EXPECT_EQ(got.ddpfPixelFormat.dwRGBBitCount, 16u);
}

TEST_F(SurfaceTest, PitchIsRowBytesRoundedToFour) {
  struct Row {
    int width;
    PixelFormat format;
    std::int32_t pitch;
  } rows[] = {
      {320, PixelFormat::rgb565(), 640}, {3, PixelFormat::rgb565(), 8},
      {5, PixelFormat::rgb888(), 16},    {10, PixelFormat::indexed8(), 12},
      {7, PixelFormat::indexed(1), 4},   {9, PixelFormat::indexed(4), 8},
      {3, PixelFormat::xrgb8888(), 12},
  };
  for (const Row& row : rows) {
    ComPtr<DirectDrawSurface> surface = makeSurface(row.width, 2, row.format);
    DDSURFACEDESC2 desc;
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT), DD_OK);
    EXPECT_EQ(desc.lPitch, row.pitch) << row.width << " at " << row.format.bitCount();
    EXPECT_TRUE(desc.dwFlags & DDSD_LPSURFACE);
    surface->Unlock(nullptr);
  }
}

TEST_F(SurfaceTest, LockOfARectanglePointsAtItsFirstPixel) {
  ComPtr<DirectDrawSurface> surface = makeSurface(8, 6, PixelFormat::rgb565());
  DDSURFACEDESC2 whole, part;
  ASSERT_EQ(surface->Lock(nullptr, &whole, 0), DD_OK);
  surface->Unlock(nullptr);
  RECT rect{3, 2, 5, 6};
  ASSERT_EQ(surface->Lock(&rect, &part, 0), DD_OK);
  EXPECT_EQ(static_cast<std::uint8_t*>(part.lpSurface),
            static_cast<std::uint8_t*>(whole.lpSurface) + 2 * whole.lPitch + 3 * 2);
  surface->Unlock(nullptr);
  const RECT bad[] = {{-1, 0, 2, 2}, {0, 0, 9, 1}, {2, 2, 2, 4}, {3, 1, 1, 4}};
  for (const RECT& r : bad) EXPECT_EQ(surface->Lock(&r, &part, 0), DDERR_INVALIDRECT);
  ComPtr<DirectDrawSurface> nibbles = makeSurface(8, 2, PixelFormat::indexed(4));
  RECT odd{1, 0, 3, 1};
  EXPECT_EQ(nibbles->Lock(&odd, &part, 0), DDERR_INVALIDRECT);  // not on a byte boundary
}

TEST_F(SurfaceTest, LocksDoNotNest) {
  ComPtr<DirectDrawSurface> surface = makeSurface(4, 4, PixelFormat::xrgb8888());
  DDSURFACEDESC2 first, second;
  ASSERT_EQ(surface->Lock(nullptr, &first, DDLOCK_WAIT), DD_OK);
  EXPECT_EQ(surface->Lock(nullptr, &second, DDLOCK_WAIT), DDERR_SURFACEBUSY);
  StorePixel(static_cast<std::uint8_t*>(first.lpSurface), 1, 32, 0x00ABCDEF);  // first lock intact
  ASSERT_EQ(surface->Unlock(nullptr), DD_OK);
  EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);
  EXPECT_EQ(pixel(*surface, 1, 0), 0x00ABCDEFu);
  DDSURFACEDESC2 wrongSize;
  wrongSize.dwSize = 4;
  EXPECT_EQ(surface->Lock(nullptr, &wrongSize, 0), DDERR_INVALIDPARAMS);
}

TEST_F(SurfaceTest, ColourKeys) {
  ComPtr<DirectDrawSurface> surface = makeSurface(2, 2, PixelFormat::rgb565());
  DDCOLORKEY got;
  EXPECT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &got), DDERR_NOCOLORKEY);
  struct Row {
    std::uint32_t flags;
    DDCOLORKEY key;
    HRESULT expected;
    DDCOLORKEY stored;
  } rows[] = {
      {DDCKEY_SRCBLT, {5, 99}, DD_OK, {5, 5}},  // one value: the high end is ignored
      {DDCKEY_SRCBLT | DDCKEY_COLORSPACE, {3, 9}, DD_OK, {3, 9}},
      {DDCKEY_SRCBLT | DDCKEY_COLORSPACE, {9, 3}, DDERR_INVALIDPARAMS, {3, 9}},
      {DDCKEY_SRCBLT, {0x12345, 0}, DD_OK, {0x2345, 0x2345}},  // only the pixel's bits
      {DDCKEY_SRCOVERLAY, {1, 1}, DDERR_UNSUPPORTED, {0x2345, 0x2345}},
      {0, {1, 1}, DDERR_INVALIDPARAMS, {0x2345, 0x2345}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(surface->SetColorKey(row.flags, &row.key), row.expected) << std::hex << row.flags;
    ASSERT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &got), DD_OK);
    EXPECT_EQ(got, row.stored);
  }
  EXPECT_EQ(surface->GetColorKey(DDCKEY_DESTBLT, &got), DDERR_NOCOLORKEY);
  DDSURFACEDESC2 desc;
  surface->GetSurfaceDesc(&desc);
  EXPECT_TRUE(desc.dwFlags & DDSD_CKSRCBLT);
  EXPECT_EQ(desc.ddckCKSrcBlt, (DDCOLORKEY{0x2345, 0x2345}));
  EXPECT_EQ(surface->SetColorKey(DDCKEY_SRCBLT, nullptr), DD_OK);
  EXPECT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &got), DDERR_NOCOLORKEY);
}

TEST_F(SurfaceTest, KeyGivenInTheDescription) {
  DDSURFACEDESC2 desc = Offscreen(2, 2, DDSCAPS_SYSTEMMEMORY);
  desc.dwFlags |= DDSD_CKSRCBLT;
  desc.ddckCKSrcBlt = {7, 0};  // a single value written as a range with no high end
  ComPtr<DirectDrawSurface> surface;
  ASSERT_EQ(device_->CreateSurface(&desc, surface), DD_OK);
  DDCOLORKEY got;
  ASSERT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &got), DD_OK);
  EXPECT_EQ(got, (DDCOLORKEY{7, 7}));
}

std::vector<PALETTEENTRY> Ramp(int count) {
  std::vector<PALETTEENTRY> entries;
  for (int i = 0; i < count; ++i)
    entries.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                       static_cast<std::uint8_t>(i / 2), 0});
  return entries;
}

TEST_F(SurfaceTest, PaletteCreationAndEntries) {
  std::vector<PALETTEENTRY> ramp = Ramp(256);
  struct Row {
    std::uint32_t flags;
    HRESULT expected;
    std::uint32_t entries;
  } rows[] = {
      {DDPCAPS_8BIT | DDPCAPS_INITIALIZE | DDPCAPS_ALLOW256, DD_OK, 256},
      {DDPCAPS_4BIT, DD_OK, 16},
      {DDPCAPS_1BIT, DD_OK, 2},
      {DDPCAPS_ALLOW256, DDERR_INVALIDPARAMS, 0},
      {DDPCAPS_8BIT | DDPCAPS_4BIT, DDERR_INVALIDPARAMS, 0},
  };
  for (const Row& row : rows) {
    ComPtr<DirectDrawPalette> palette;
    ASSERT_EQ(device_->CreatePalette(row.flags, ramp.data(), palette), row.expected);
    if (!palette) continue;
    std::uint32_t caps = 0;
    palette->GetCaps(&caps);
    EXPECT_EQ(caps, row.flags);
    std::vector<PALETTEENTRY> got(256);
    EXPECT_EQ(palette->GetEntries(0, 0, row.entries, got.data()), DD_OK);
    EXPECT_EQ(palette->GetEntries(0, 1, row.entries, got.data()), DDERR_INVALIDPARAMS);
    got.resize(row.entries);
    EXPECT_EQ(got, std::vector<PALETTEENTRY>(ramp.begin(), ramp.begin() + row.entries));
  }
  ComPtr<DirectDrawPalette> none;
  EXPECT_EQ(device_->CreatePalette(DDPCAPS_8BIT, nullptr, none), DDERR_INVALIDPARAMS);
}

TEST_F(SurfaceTest, SettingSomeEntries) {
  std::vector<PALETTEENTRY> ramp = Ramp(256);
  ComPtr<DirectDrawPalette> palette;
  ASSERT_EQ(device_->CreatePalette(DDPCAPS_8BIT, ramp.data(), palette), DD_OK);
  const PALETTEENTRY three[] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
  ASSERT_EQ(palette->SetEntries(0, 10, 3, three), DD_OK);
  EXPECT_EQ(palette->SetEntries(0, 254, 3, three), DDERR_INVALIDPARAMS);
  PALETTEENTRY got[5];
  ASSERT_EQ(palette->GetEntries(0, 9, 5, got), DD_OK);
  EXPECT_EQ(got[0], ramp[9]);
  EXPECT_EQ(got[1], three[0]);
  EXPECT_EQ(got[3], three[2]);
  EXPECT_EQ(got[4], ramp[13]);
}

TEST_F(SurfaceTest, PalettesAttachToIndexedSurfacesOnly) {
  std::vector<PALETTEENTRY> ramp = Ramp(256);
  ComPtr<DirectDrawPalette> palette;
  ASSERT_EQ(device_->CreatePalette(DDPCAPS_8BIT, ramp.data(), palette), DD_OK);
  ComPtr<DirectDrawSurface> indexed = makeSurface(4, 4, PixelFormat::indexed8());
  ComPtr<DirectDrawSurface> direct = makeSurface(4, 4, PixelFormat::rgb565());
  ComPtr<DirectDrawPalette> got;
  EXPECT_EQ(indexed->GetPalette(got), DDERR_NOPALETTEATTACHED);
  EXPECT_EQ(indexed->SetPalette(palette.get()), DD_OK);
  EXPECT_EQ(indexed->GetPalette(got), DD_OK);
  EXPECT_EQ(got, palette);
  EXPECT_EQ(direct->SetPalette(palette.get()), DDERR_NOTPALETTIZED);
  EXPECT_EQ(direct->SetPalette(nullptr), DD_OK);
  EXPECT_EQ(indexed->SetPalette(nullptr), DD_OK);
  EXPECT_EQ(indexed->GetPalette(got), DDERR_NOPALETTEATTACHED);
}

TEST_F(SurfaceTest, ClipperBoundToAWindowClipsToItsClientArea) {
  ComPtr<DirectDrawClipper> clipper;
  ASSERT_EQ(device_->CreateClipper(0, clipper), DD_OK);
  std::vector<RECT> rects;
  EXPECT_EQ(clipper->GetClipList(nullptr, rects), DDERR_NOCLIPLIST);
  ASSERT_EQ(clipper->SetHWnd(0, window_), DD_OK);
  HWND bound = 0;
  clipper->GetHWnd(&bound);
  EXPECT_EQ(bound, window_);
  ASSERT_EQ(clipper->GetClipList(nullptr, rects), DD_OK);
  EXPECT_EQ(rects, (std::vector<RECT>{{160, 120, 480, 360}}));
  RECT corner{0, 0, 200, 200};
  ASSERT_EQ(clipper->GetClipList(&corner, rects), DD_OK);
  EXPECT_EQ(rects, (std::vector<RECT>{{160, 120, 200, 200}}));
  windows().setClientSize(window_, {100, 50});  // followed as it changes
  clipper->GetClipList(nullptr, rects);
  EXPECT_EQ(rects, (std::vector<RECT>{{160, 120, 260, 170}}));
  RECT mine{0, 0, 1, 1};
  EXPECT_EQ(clipper->SetClipList(&mine, 1), DDERR_CLIPPERISUSINGHWND);
  windows().destroyWindow(window_);
  ASSERT_EQ(clipper->GetClipList(nullptr, rects), DD_OK);
  EXPECT_TRUE(rects.empty());
}

TEST_F(SurfaceTest, ClipperWithItsOwnList) {
  ComPtr<DirectDrawClipper> clipper;
  ASSERT_EQ(device_->CreateClipper(0, clipper), DD_OK);
  const RECT list[] = {{0, 0, 2, 2}, {5, 5, 6, 9}};
  ASSERT_EQ(clipper->SetClipList(list, 2), DD_OK);
  std::vector<RECT> rects;
  ASSERT_EQ(clipper->GetClipList(nullptr, rects), DD_OK);
  EXPECT_EQ(rects, (std::vector<RECT>{{0, 0, 2, 2}, {5, 5, 6, 9}}));
  ASSERT_EQ(clipper->SetClipList(nullptr, 0), DD_OK);
  EXPECT_EQ(clipper->GetClipList(nullptr, rects), DDERR_NOCLIPLIST);
  ComPtr<DirectDrawSurface> surface = makeSurface(4, 4, PixelFormat::rgb565());
  ComPtr<DirectDrawClipper> got;
  EXPECT_EQ(surface->GetClipper(got), DDERR_NOCLIPPERATTACHED);
  surface->SetClipper(clipper.get());
  EXPECT_EQ(surface->GetClipper(got), DD_OK);
  EXPECT_EQ(got, clipper);
}

TEST_F(SurfaceTest, DuplicatesShareTheirPixels) {
  ComPtr<DirectDrawSurface> surface = makeSurface(3, 2, PixelFormat::rgb565());
  DDCOLORKEY key{42, 42};
  surface->SetColorKey(DDCKEY_SRCBLT, &key);
  ComPtr<DirectDrawSurface> twin;
  ASSERT_EQ(device_->DuplicateSurface(surface.get(), twin), DD_OK);
  write(*surface, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(read(*twin), (Grid{1, 2, 3, 4, 5, 6}));
  DDCOLORKEY got;
  ASSERT_EQ(twin->GetColorKey(DDCKEY_SRCBLT, &got), DD_OK);
  EXPECT_EQ(got, key);
  surface.reset();
  EXPECT_EQ(read(*twin), (Grid{1, 2, 3, 4, 5, 6}));  // the pixels live as long as one holder
  ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_NORMAL), DD_OK);
  ComPtr<DirectDrawSurface> primary = makePrimary();
  EXPECT_EQ(device_->DuplicateSurface(primary.get(), twin), DDERR_CANTDUPLICATE);
  EXPECT_EQ(device_->DuplicateSurface(nullptr, twin), DDERR_INVALIDPARAMS);
}

TEST_F(SurfaceTest, LostSurfacesRefuseWorkUntilRestored) {
  ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_NORMAL), DD_OK);
  ComPtr<DirectDrawSurface> primary = makePrimary();
  ComPtr<DirectDrawSurface> surface = makeSurface(4, 4, PixelFormat::xrgb8888());
  paint(*surface, [](int x, int y) { return static_cast<std::uint32_t>(x + 10 * y + 1); });
  EXPECT_EQ(surface->Restore(), DD_OK);  // restoring what is not lost succeeds
  display().loseSurfaces();
  for (DirectDrawSurface* s : {primary.get(), surface.get()}) {
    EXPECT_EQ(s->IsLost(), DDERR_SURFACELOST);
    DDSURFACEDESC2 desc;
    EXPECT_EQ(s->Lock(nullptr, &desc, 0), DDERR_SURFACELOST);
  }
  DDBLTFX fx;
  EXPECT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Blt(nullptr, surface.get(), nullptr, 0, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(surface->Restore(), DD_OK);
  EXPECT_EQ(surface->IsLost(), DD_OK);
  EXPECT_EQ(read(*surface), Grid(16, 0));  // the owner must draw it again
  EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);  // each surface is restored on its own
  EXPECT_EQ(primary->Restore(), DD_OK);
}

TEST_F(SurfaceTest, APrimaryFromAnotherModeCannotBeRestored) {
  ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  ComPtr<DirectDrawSurface> primary = makePrimary();  // the desktop's mode
  ComPtr<DirectDrawSurface> surface = makeSurface(4, 4, PixelFormat::rgb565());
  ASSERT_EQ(device_->SetDisplayMode(320, 240, 16), DD_OK);  // loses every surface
  EXPECT_EQ(surface->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(surface->Restore(), DD_OK);
  EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE);
}

// After the device is released, what it made stays safe to hold and to call.
TEST_F(SurfaceTest, ObjectsOfAReleasedDeviceAreInert) {
  std::vector<PALETTEENTRY> ramp = Ramp(256);
  ComPtr<DirectDrawSurface> surface = makeSurface(4, 4, PixelFormat::indexed8());
  ComPtr<DirectDrawPalette> palette;
  ComPtr<DirectDrawClipper> clipper;
  ASSERT_EQ(device_->CreatePalette(DDPCAPS_8BIT, ramp.data(), palette), DD_OK);
  ASSERT_EQ(device_->CreateClipper(0, clipper), DD_OK);
  surface->SetPalette(palette.get());
  surface->SetClipper(clipper.get());
  DDSURFACEDESC2 desc;
  ASSERT_EQ(surface->Lock(nullptr, &desc, 0), DD_OK);
  device_.reset();
  EXPECT_EQ(surface->Unlock(nullptr), DDERR_INVALIDOBJECT);
  EXPECT_EQ(surface->Lock(nullptr, &desc, 0), DDERR_INVALIDOBJECT);
  EXPECT_EQ(surface->IsLost(), DDERR_INVALIDOBJECT);
  EXPECT_EQ(surface->Restore(), DDERR_INVALIDOBJECT);
  EXPECT_EQ(surface->Blt(nullptr, surface.get(), nullptr, 0, nullptr), DDERR_INVALIDOBJECT);
  EXPECT_EQ(surface->GetSurfaceDesc(&desc), DDERR_INVALIDOBJECT);
  PALETTEENTRY entry;
  EXPECT_EQ(palette->GetEntries(0, 0, 1, &entry), DDERR_INVALIDOBJECT);
  EXPECT_EQ(clipper->SetHWnd(0, window_), DDERR_INVALIDOBJECT);
  surface.reset();
  palette.reset();
  clipper.reset();
}

}  // namespace
}  // namespace corvane::test
