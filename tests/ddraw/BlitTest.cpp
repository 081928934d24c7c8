// Fills and blits on tiny surfaces, every pixel checked.
#include <random>

#include "DDrawFixture.h"
#include "src/ddraw/Blit.h"

namespace corvane::test {
namespace {

using BlitTest = DDrawFixture;

DDBLTFX Fx(std::uint32_t ddfx = 0) {
  DDBLTFX fx;
  fx.dwDDFX = ddfx;
  return fx;
}

DDBLTFX FillWith(std::uint32_t raw) {
  DDBLTFX fx;
  fx.dwFillColor = raw;
  return fx;
}

TEST_F(BlitTest, ColourFillAtEveryDepth) {
  struct Row {
    PixelFormat format;
    std::uint32_t value, stored;
  } rows[] = {
      {PixelFormat::indexed(1), 1, 1},          {PixelFormat::indexed(4), 0xB, 0xB},
      {PixelFormat::indexed8(), 0x1C7, 0xC7},   {PixelFormat::rgb565(), 0xF81F, 0xF81F},
      {PixelFormat::rgb888(), 0x123456, 0x123456}, {PixelFormat::xrgb8888(), 0x89ABCDEF, 0x89ABCDEF},
  };
  for (const Row& row : rows) {
    ComPtr<DirectDrawSurface> surface = makeSurface(5, 3, row.format);
    RECT rect{1, 1, 4, 2};
    DDBLTFX fx = FillWith(row.value);
    ASSERT_EQ(surface->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    const std::uint32_t v = row.stored;
    EXPECT_EQ(read(*surface), (Grid{0, 0, 0, 0, 0,  //
                                    0, v, v, v, 0,  //
                                    0, 0, 0, 0, 0}))
        << row.format.bitCount() << " bits";
    ASSERT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    EXPECT_EQ(read(*surface), Grid(15, v));
  }
}

TEST_F(BlitTest, PlainCopyIntoARectangle) {
  ComPtr<DirectDrawSurface> source = makeSurface(3, 2, PixelFormat::rgb565());
  ComPtr<DirectDrawSurface> dest = makeSurface(5, 4, PixelFormat::rgb565());
  write(*source, {1, 2, 3,  //
                  4, 5, 6});
  RECT to{1, 1, 4, 3};
  ASSERT_EQ(dest->Blt(&to, source.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(read(*dest), (Grid{0, 0, 0, 0, 0,  //
                               0, 1, 2, 3, 0,  //
                               0, 4, 5, 6, 0,  //
                               0, 0, 0, 0, 0}));
  RECT part{1, 0, 3, 1};
  RECT corner{0, 0, 2, 1};
  ASSERT_EQ(dest->Blt(&corner, source.get(), &part, 0, nullptr), DD_OK);
  EXPECT_EQ(pixel(*dest, 0, 0), 2u);
  EXPECT_EQ(pixel(*dest, 1, 0), 3u);
}

// The source: 1 2 3 / 4 5 6, drawn onto a surface of 9s.
TEST_F(BlitTest, MirroringAndKeys) {
  struct Row {
    const char* what;
    std::uint32_t flags;
    DDBLTFX fx;
    Grid expected;
  } rows[] = {
      {"left-right", DDBLT_DDFX, Fx(DDBLTFX_MIRRORLEFTRIGHT), {3, 2, 1, 6, 5, 4}},
      {"up-down", DDBLT_DDFX, Fx(DDBLTFX_MIRRORUPDOWN), {4, 5, 6, 1, 2, 3}},
      {"both", DDBLT_DDFX, Fx(DDBLTFX_MIRRORLEFTRIGHT | DDBLTFX_MIRRORUPDOWN), {6, 5, 4, 3, 2, 1}},
      {"source key 5", DDBLT_KEYSRC, Fx(), {1, 2, 3, 4, 9, 6}},
      {"key and mirror", DDBLT_KEYSRC | DDBLT_DDFX, Fx(DDBLTFX_MIRRORLEFTRIGHT), {3, 2, 1, 6, 9, 4}},
      {"no effects asked", DDBLT_WAIT, Fx(), {1, 2, 3, 4, 5, 6}},
  };
  for (const Row& row : rows) {
    ComPtr<DirectDrawSurface> source = makeSurface(3, 2, PixelFormat::rgb565());
    ComPtr<DirectDrawSurface> dest = makeSurface(3, 2, PixelFormat::rgb565());
    write(*source, {1, 2, 3, 4, 5, 6});
    write(*dest, Grid(6, 9));
    DDCOLORKEY key{5, 5};
    source->SetColorKey(DDCKEY_SRCBLT, &key);
    ASSERT_EQ(dest->Blt(nullptr, source.get(), nullptr, row.flags, &row.fx), DD_OK) << row.what;
    EXPECT_EQ(read(*dest), row.expected) << row.what;
  }
}

TEST_F(BlitTest, KeyOverrideIsARange) {
  ComPtr<DirectDrawSurface> source = makeSurface(3, 2, PixelFormat::indexed8());
  ComPtr<DirectDrawSurface> dest = makeSurface(3, 2, PixelFormat::indexed8());
  write(*source, {1, 2, 3, 4, 5, 6});
  write(*dest, Grid(6, 9));
  DDBLTFX fx;
  fx.ddckSrcColorkey = {2, 4};
  ASSERT_EQ(dest->Blt(nullptr, source.get(), nullptr, DDBLT_KEYSRCOVERRIDE, &fx), DD_OK);
  EXPECT_EQ(read(*dest), (Grid{1, 9, 9, 9, 5, 6}));
  EXPECT_EQ(dest->Blt(nullptr, source.get(), nullptr, DDBLT_KEYSRC, nullptr), DDERR_NOCOLORKEY);
}

TEST_F(BlitTest, StretchingIsNearestNeighbour) {
  struct Row {
    const char* what;
    int sourceWidth, destWidth;
    Grid source, expected;
  } rows[] = {
      {"twice", 2, 4, {1, 2}, {1, 1, 2, 2}},
      {"half: the pixel under each centre", 4, 2, {1, 2, 3, 4}, {2, 4}},
      {"three to five", 3, 5, {1, 2, 3}, {1, 1, 2, 3, 3}},
      {"one to three", 1, 3, {7}, {7, 7, 7}},
  };
  for (const Row& row : rows) {
    ComPtr<DirectDrawSurface> source = makeSurface(row.sourceWidth, 1, PixelFormat::rgb888());
    ComPtr<DirectDrawSurface> dest = makeSurface(row.destWidth, 2, PixelFormat::rgb888());
    write(*source, row.source);
    ASSERT_EQ(dest->Blt(nullptr, source.get(), nullptr, 0, nullptr), DD_OK) << row.what;
    Grid twoRows = row.expected;
    twoRows.insert(twoRows.end(), row.expected.begin(), row.expected.end());
    EXPECT_EQ(read(*dest), twoRows) << row.what;
  }
}

// A clipper lets the destination start left of the surface; the part that
// is seen is the same as if the surface went on to the left.
TEST_F(BlitTest, ClipperCutsADestinationStartingAtNegativeX) {
  struct Row {
    const char* what;
    RECT dest;
    Grid source, expected;
  } rows[] = {
      {"unstretched", {-2, 0, 1, 1}, {1, 2, 3}, {3, 0, 0, 0}},
      {"stretched twice", {-2, 0, 2, 1}, {7, 8}, {8, 8, 0, 0}},
      {"past both sides", {-1, 0, 5, 1}, {1, 2, 3, 4, 5, 6}, {2, 3, 4, 5}},
      {"wholly outside", {-9, 0, -2, 1}, {1, 2, 3, 4, 5, 6, 7}, {0, 0, 0, 0}},
  };
  for (const Row& row : rows) {
    ComPtr<DirectDrawSurface> source =
        makeSurface(static_cast<int>(row.source.size()), 1, PixelFormat::rgb565());
    ComPtr<DirectDrawSurface> dest = makeSurface(4, 1, PixelFormat::rgb565());
    write(*source, row.source);
    EXPECT_EQ(dest->Blt(&row.dest, source.get(), nullptr, 0, nullptr), DDERR_INVALIDRECT)
        << row.what << ": without a clipper the rectangle must fit";
    EXPECT_EQ(read(*dest), Grid(4, 0));
    ComPtr<DirectDrawClipper> clipper;
    ASSERT_EQ(device_->CreateClipper(0, clipper), DD_OK);
    const RECT all{0, 0, 4, 1};
    clipper->SetClipList(&all, 1);
    dest->SetClipper(clipper.get());
    ASSERT_EQ(dest->Blt(&row.dest, source.get(), nullptr, 0, nullptr), DD_OK) << row.what;
    EXPECT_EQ(read(*dest), row.expected) << row.what;
  }
}

TEST_F(BlitTest, SeveralClipRectanglesAndFillsClipToo) {
  ComPtr<DirectDrawSurface> dest = makeSurface(5, 2, PixelFormat::rgb565());
  ComPtr<DirectDrawClipper> clipper;
  ASSERT_EQ(device_->CreateClipper(0, clipper), DD_OK);
  dest->SetClipper(clipper.get());
  DDBLTFX fx = FillWith(7);
  EXPECT_EQ(dest->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_NOCLIPLIST);
  const RECT list[] = {{0, 0, 1, 2}, {3, 1, 9, 9}};
  clipper->SetClipList(list, 2);
  RECT beyond{-3, -3, 8, 8};
  ASSERT_EQ(dest->Blt(&beyond, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
  EXPECT_EQ(read(*dest), (Grid{7, 0, 0, 0, 0,  //
                               7, 0, 0, 7, 7}));
}

TEST_F(BlitTest, WindowClipperOnThePrimary) {
  ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_NORMAL), DD_OK);
  ComPtr<DirectDrawSurface> primary = makePrimary();  // 640 x 480; the window at (160, 120)
  ComPtr<DirectDrawClipper> clipper;
  ASSERT_EQ(device_->CreateClipper(0, clipper), DD_OK);
  clipper->SetHWnd(0, window_);
  primary->SetClipper(clipper.get());
  DDBLTFX fx = FillWith(0x00FF00);
  RECT across{100, 100, 200, 200};
  ASSERT_EQ(primary->Blt(&across, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
  EXPECT_EQ(pixel(*primary, 159, 150), 0u);
  EXPECT_EQ(pixel(*primary, 160, 120), 0x00FF00u);
  EXPECT_EQ(pixel(*primary, 199, 199), 0x00FF00u);
  EXPECT_EQ(pixel(*primary, 150, 119), 0u);
}

TEST_F(BlitTest, BltFast) {
  ComPtr<DirectDrawSurface> source = makeSurface(2, 2, PixelFormat::rgb565());
  ComPtr<DirectDrawSurface> dest = makeSurface(4, 3, PixelFormat::rgb565());
  write(*source, {1, 0, 0, 4});
  DDCOLORKEY key{0, 0};
  source->SetColorKey(DDCKEY_SRCBLT, &key);
  write(*dest, Grid(12, 9));
  ASSERT_EQ(dest->BltFast(1, 1, source.get(), nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT),
            DD_OK);
  EXPECT_EQ(read(*dest), (Grid{9, 9, 9, 9,  //
                               9, 1, 9, 9,  //
                               9, 9, 4, 9}));
  ASSERT_EQ(dest->BltFast(2, 0, source.get(), nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
  EXPECT_EQ(read(*dest), (Grid{9, 9, 1, 0,  //
                               9, 1, 0, 4,  //
                               9, 9, 4, 9}));
  struct Row {
    std::uint32_t x, y, trans;
    HRESULT expected;
  } rows[] = {
      {3, 0, 0, DDERR_INVALIDRECT},          // would leave the surface: BltFast cannot clip
      {0, 2, 0, DDERR_INVALIDRECT},
      {0xFFFFFFFEu, 0, 0, DDERR_INVALIDRECT},  // a negative position
      {0, 0, DDBLTFAST_DESTCOLORKEY, DDERR_UNSUPPORTED},
      {0, 0, 0x100, DDERR_INVALIDPARAMS},
  };
  for (const Row& row : rows)
    EXPECT_EQ(dest->BltFast(row.x, row.y, source.get(), nullptr, row.trans), row.expected);
  source->SetColorKey(DDCKEY_SRCBLT, nullptr);
  EXPECT_EQ(dest->BltFast(0, 0, source.get(), nullptr, DDBLTFAST_SRCCOLORKEY), DDERR_NOCOLORKEY);
}

TEST_F(BlitTest, BltFastCannotClip) {
  ComPtr<DirectDrawSurface> source = makeSurface(2, 2, PixelFormat::rgb565());
  ComPtr<DirectDrawSurface> dest = makeSurface(4, 4, PixelFormat::rgb565());
  ComPtr<DirectDrawClipper> clipper;
  ASSERT_EQ(device_->CreateClipper(0, clipper), DD_OK);
  dest->SetClipper(clipper.get());
  HRESULT result = dest->BltFast(0, 0, source.get(), nullptr, 0);
  EXPECT_EQ(result, DDERR_BLTFASTCANTCLIP);
  EXPECT_EQ(static_cast<std::uint32_t>(result), 0x8876023Eu);
  dest->SetClipper(nullptr);
  EXPECT_EQ(dest->BltFast(0, 0, source.get(), nullptr, 0), DD_OK);
}

TEST_F(BlitTest, RefusedBlits) {
  ComPtr<DirectDrawSurface> source = makeSurface(2, 2, PixelFormat::rgb565());
  ComPtr<DirectDrawSurface> dest = makeSurface(4, 4, PixelFormat::rgb565());
  ComPtr<DirectDrawSurface> other = makeSurface(2, 2, PixelFormat::rgb555());
  ComPtr<DirectDraw> secondDevice;
  ASSERT_EQ(DirectDrawCreate(nullptr, secondDevice), DD_OK);
  DDSURFACEDESC2 desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = desc.dwHeight = 2;
  desc.ddsCaps.dwCaps = DDSCAPS_SYSTEMMEMORY;
  ComPtr<DirectDrawSurface> foreign;
  ASSERT_EQ(secondDevice->CreateSurface(&desc, foreign), DD_OK);
  const RECT outside{1, 1, 3, 3}, empty{2, 2, 2, 3}, past{3, 3, 5, 5};
  DDBLTFX rop = Fx(), wrongSize = Fx(), rotate = Fx(DDBLTFX_ROTATE90);
  rop.dwROP = 0x00EE0086;  // SRCPAINT
  wrongSize.dwSize = 8;
  struct Row {
    const char* what;
    const RECT* destRect;
    DirectDrawSurface* source;
    const RECT* sourceRect;
    std::uint32_t flags;
    const DDBLTFX* fx;
    HRESULT expected;
  } rows[] = {
      {"formats differ", nullptr, other.get(), nullptr, 0, nullptr, DDERR_INVALIDPIXELFORMAT},
      {"source rectangle outside", nullptr, source.get(), &outside, 0, nullptr, DDERR_INVALIDRECT},
      {"empty destination", &empty, source.get(), nullptr, 0, nullptr, DDERR_INVALIDRECT},
      {"destination outside", &past, source.get(), nullptr, 0, nullptr, DDERR_INVALIDRECT},
      {"no source", nullptr, nullptr, nullptr, 0, nullptr, DDERR_INVALIDPARAMS},
      {"fill without effects", nullptr, nullptr, nullptr, DDBLT_COLORFILL, nullptr,
       DDERR_INVALIDPARAMS},
      {"effects record of the wrong size", nullptr, source.get(), nullptr, DDBLT_DDFX, &wrongSize,
       DDERR_INVALIDPARAMS},
      {"raster operation", nullptr, source.get(), nullptr, DDBLT_ROP, &rop, DDERR_NORASTEROPHW},
      {"rotation", nullptr, source.get(), nullptr, DDBLT_DDFX, &rotate, DDERR_NOROTATIONHW},
      {"destination key", nullptr, source.get(), nullptr, DDBLT_KEYDEST, nullptr,
       DDERR_UNSUPPORTED},
      {"another device's surface", nullptr, foreign.get(), nullptr, 0, nullptr,
       DDERR_INVALIDOBJECT},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(dest->Blt(row.destRect, row.source, row.sourceRect, row.flags, row.fx),
              row.expected)
        << row.what;
  }
  EXPECT_EQ(read(*dest), Grid(16, 0));
}

TEST_F(BlitTest, LockedSurfacesAreBusy) {
  ComPtr<DirectDrawSurface> source = makeSurface(2, 2, PixelFormat::rgb565());
  ComPtr<DirectDrawSurface> dest = makeSurface(2, 2, PixelFormat::rgb565());
  DDSURFACEDESC2 desc;
  for (DirectDrawSurface* locked : {source.get(), dest.get()}) {
    ASSERT_EQ(locked->Lock(nullptr, &desc, 0), DD_OK);
    EXPECT_EQ(dest->Blt(nullptr, source.get(), nullptr, 0, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(dest->BltFast(0, 0, source.get(), nullptr, 0), DDERR_SURFACEBUSY);
    locked->Unlock(nullptr);
  }
  EXPECT_EQ(dest->Blt(nullptr, source.get(), nullptr, 0, nullptr), DD_OK);
}

// Overlapping source and destination behave as if the source were read first.
TEST_F(BlitTest, BlitOntoItself) {
  ComPtr<DirectDrawSurface> surface = makeSurface(4, 1, PixelFormat::xrgb8888());
  write(*surface, {1, 2, 3, 4});
  RECT from{0, 0, 3, 1}, to{1, 0, 4, 1};
  ASSERT_EQ(surface->Blt(&to, surface.get(), &from, 0, nullptr), DD_OK);
  EXPECT_EQ(read(*surface), (Grid{1, 1, 2, 3}));
  ComPtr<DirectDrawSurface> twin;
  ASSERT_EQ(device_->DuplicateSurface(surface.get(), twin), DD_OK);
  ASSERT_EQ(twin->BltFast(0, 0, surface.get(), &to, 0), DD_OK);
  EXPECT_EQ(read(*surface), (Grid{1, 2, 3, 3}));
}

// The fast routines against the plain ones, on random pixels, for every
// depth and every combination of stretch, mirror and key.
TEST(BlitRoutines, FastMatchesReference) {
  std::mt19937 random(3);
  for (int bits : {8, 16, 24, 32}) {
    auto bytes = [&](int width, int height) {
      std::vector<std::uint8_t> memory(static_cast<std::size_t>(width * bits / 8 + 4) * height);
      for (auto& b : memory) b = static_cast<std::uint8_t>(random() % 4);  // keyed values are common
      return memory;
    };
    auto viewOf = [&](std::vector<std::uint8_t>& memory, int width, int height) {
      return ddraw::SurfaceView{memory.data(), width, height, width * bits / 8 + 4, bits};
    };
    for (int combo = 0; combo < 16; ++combo) {
      bool stretch = combo & 1, mirrorX = combo & 2, mirrorY = combo & 4, keyed = combo & 8;
      std::vector<std::uint8_t> source = bytes(13, 9), fast = bytes(17, 11);
      std::vector<std::uint8_t> slow = fast;
      ddraw::BlitJob job{viewOf(fast, 17, 11), viewOf(source, 13, 9),
                         stretch ? RECT{-3, 1, 15, 12} : RECT{2, 1, 13, 9},
                         RECT{1, 0, 12, 8}, {}, mirrorX, mirrorY, std::nullopt};
      if (keyed) job.key = ddraw::KeyRange{0, 1};
      job.visible = Intersect(job.destRect, job.dest.bounds());
      ddraw::Blit(job);
      job.dest = viewOf(slow, 17, 11);
      ddraw::BlitReference(job);
      ASSERT_EQ(fast, slow) << bits << " bits, case " << combo;
    }
    std::vector<std::uint8_t> fast = bytes(9, 5), slow = fast;
    ddraw::Fill(viewOf(fast, 9, 5), {1, 1, 8, 4}, 0xA5B6C7D8u);
    ddraw::FillReference(viewOf(slow, 9, 5), {1, 1, 8, 4}, 0xA5B6C7D8u);
    ASSERT_EQ(fast, slow) << bits << " bits, fill";
  }
}

}  // namespace
}  // namespace corvane::test
