// What reaches the window: frames read back from the headless display.
#include <algorithm>
#include <optional>

#include "DDrawFixture.h"

namespace corvane::test {
namespace {

TEST(FitPicture, ScaledByWholeFactorsCentredWithBars) {
  struct Row {
    Size output, picture;
    RECT expected;
    Scaling scaling = Scaling::Whole;
  } rows[] = {
      {{1280, 1024}, {320, 240}, {0, 32, 1280, 992}},     // 4x, bars above and below
      {{1920, 1080}, {320, 240}, {320, 60, 1600, 1020}},  // 4x, bars all round
      {{1600, 1000}, {320, 240}, {160, 20, 1440, 980}},
      {{640, 480}, {320, 200}, {0, 40, 640, 440}},
      {{320, 240}, {320, 240}, {0, 0, 320, 240}},
      {{800, 600}, {1024, 768}, {0, 0, 800, 600}},        // too large: scaled down, aspect kept
      {{1000, 600}, {1024, 768}, {100, 0, 900, 600}},
      {{300, 240}, {320, 240}, {0, 7, 300, 232}},
      {{0, 240}, {320, 240}, {}},
      {{320, 240}, {0, 0}, {}},
      // Filled: the whole height (or width) at the picture's aspect.
      {{1366, 768}, {320, 240}, {171, 0, 1195, 768}, Scaling::Fill},
      {{1600, 900}, {320, 240}, {200, 0, 1400, 900}, Scaling::Fill},
      {{1920, 1080}, {320, 240}, {240, 0, 1680, 1080}, Scaling::Fill},
      {{1280, 1024}, {320, 240}, {0, 32, 1280, 992}, Scaling::Fill},  // 4x already fills the width
      {{768, 1366}, {320, 240}, {0, 395, 768, 971}, Scaling::Fill},   // upright: the width decides
      {{1000, 600}, {1024, 768}, {100, 0, 900, 600}, Scaling::Fill},
      {{1366, 768}, {320, 240}, {203, 24, 1163, 744}},                 // the same monitor, whole: 3x
      {{0, 240}, {320, 240}, {}, Scaling::Fill},
      {{320, 240}, {0, 240}, {}, Scaling::Fill},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(PlacePicture(row.output, row.picture, row.scaling), row.expected)
        << row.output.width << "x" << row.output.height << " showing " << row.picture.width << "x"
        << row.picture.height << (row.scaling == Scaling::Fill ? " filled" : "");
    if (row.scaling == Scaling::Whole) {
      EXPECT_EQ(FitPicture(row.output, row.picture), row.expected);
    }
  }
}

// Whether each channel of `colour` lies between the least and the most of
// picture pixel (sx, sy) and its eight neighbours.
template <class Source>
bool BlendOfNeighbours(std::uint32_t colour, int sx, int sy, const Source& source) {
  for (int shift = 0; shift < 24; shift += 8) {
    int low = 255, high = 0;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const int c = static_cast<int>((source(sx + dx, sy + dy) >> shift) & 255);
        low = std::min(low, c);
        high = std::max(high, c);
      }
    const int c = static_cast<int>((colour >> shift) & 255);
    if (c < low || c > high) return false;
  }
  return true;
}

// A filled picture keeps crisp edges: each picture pixel becomes a block
// whose pixels more than one pixel inside its edges are exactly its colour,
// and the pixels at its edges blend only it and its neighbours. Whole
// factors are exact everywhere; around the picture all is black.
TEST(ScalePicture, EachPixelABlockWithExactInnerPixels) {
  constexpr int kWidth = 320, kHeight = 240;
  std::vector<std::uint32_t> picture(kWidth * kHeight);
  std::uint32_t seed = 12345;
  for (std::uint32_t& pixel : picture) {
    seed = seed * 1664525u + 1013904223u;
    pixel = (seed >> 8) | 0xFF000000u;  // the top byte means nothing and must not show
  }
  const FrameView frame{picture.data(), kWidth, kHeight, kWidth};
  auto source = [&](int x, int y) {
    return picture[static_cast<std::size_t>(std::clamp(y, 0, kHeight - 1) * kWidth + std::clamp(x, 0, kWidth - 1))] &
           0xFFFFFFu;
  };
  struct Row {
    Size monitor;
    Scaling scaling;
    int factor;  // the whole factor first taken
  } rows[] = {
      {{1366, 768}, Scaling::Fill, 3}, {{1600, 900}, Scaling::Fill, 3},   {{1920, 1080}, Scaling::Fill, 4},
      {{800, 600}, Scaling::Fill, 2},  {{2560, 1440}, Scaling::Fill, 6},  {{1280, 960}, Scaling::Fill, 4},
      {{1366, 768}, Scaling::Whole, 3}, {{1920, 1080}, Scaling::Whole, 4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.monitor.width << "x" << row.monitor.height
                                    << (row.scaling == Scaling::Fill ? " filled" : " whole"));
    const RECT place = PlacePicture(row.monitor, {kWidth, kHeight}, row.scaling);
    EXPECT_EQ(WholeFactorWithin({place.width(), place.height()}, {kWidth, kHeight}), row.factor);
    const std::vector<std::uint32_t> out = ScalePicture(frame, row.monitor, row.scaling);
    ASSERT_EQ(out.size(), static_cast<std::size_t>(row.monitor.width * row.monitor.height));
    int exact = 0;
    for (int y = 0; y < row.monitor.height; ++y) {
      for (int x = 0; x < row.monitor.width; ++x) {
        const std::uint32_t got = out[static_cast<std::size_t>(y * row.monitor.width + x)];
        if (x < place.left || x >= place.right || y < place.top || y >= place.bottom) {
          ASSERT_EQ(got, 0u) << x << "," << y;
          continue;
        }
        // The centre of output pixel (x, y) in picture pixels is
        // (2 dx + 1) * 320 / (2 * width); the remainder, over 640, is its
        // distance in output pixels from the picture pixel's left edge.
        const std::int64_t nx = (2 * (x - place.left) + 1) * std::int64_t{kWidth};
        const std::int64_t ny = (2 * (y - place.top) + 1) * std::int64_t{kHeight};
        const int sx = static_cast<int>(nx / (2 * place.width())), sy = static_cast<int>(ny / (2 * place.height()));
        const std::int64_t rx = nx % (2 * place.width()), ry = ny % (2 * place.height());
        const bool inner = rx >= 2 * kWidth && 2 * place.width() - rx >= 2 * kWidth && ry >= 2 * kHeight &&
                           2 * place.height() - ry >= 2 * kHeight;
        if (inner || row.scaling == Scaling::Whole) {
          ASSERT_EQ(got, source(sx, sy)) << x << "," << y << " in picture pixel " << sx << "," << sy;
          ++exact;
          continue;
        }
        ASSERT_TRUE(BlendOfNeighbours(got, sx, sy, source)) << x << "," << y;
      }
    }
    // Nearly all of the picture is exact: at most one blended column and
    // row at each edge of each block.
    const double blocksWide = place.width() / double{kWidth}, blocksHigh = place.height() / double{kHeight};
    EXPECT_GE(exact, static_cast<int>(kWidth * kHeight * (blocksWide - 2) * (blocksHigh - 2)));
  }
}

class PresentTest : public DDrawFixture {
 protected:
  // A back buffer in the display's format with a pattern of colours.
  ComPtr<DirectDrawSurface> patternedBackBuffer(const PixelFormat& format) {
    ComPtr<DirectDrawSurface> back = makeSurface(320, 240, format);
    paint(*back, [&](int x, int y) { return format.encode(colourAt(x, y)); });
    return back;
  }
  static Rgb colourAt(int x, int y) {
    return {static_cast<std::uint8_t>(x < 160 ? 255 : 0), static_cast<std::uint8_t>(y * 255 / 239),
            static_cast<std::uint8_t>(x % 2 ? 255 : 0)};
  }
  void expectPattern(const PresentedFrame& frame, const PixelFormat& format) {
    ASSERT_EQ(frame.width, 320);
    ASSERT_EQ(frame.height, 240);
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x)
        ASSERT_EQ(frame.at(x, y), PackXrgb(format.decode(format.encode(colourAt(x, y)))))
            << x << "," << y;
  }
};

// The screen is the monitor the window is on: on a desktop of several, the
// window's place counts from its own monitor's top-left.
TEST_F(PresentTest, InAWindowTheWindowShowsItsPartOfTheScreen) {
  struct Row {
    const char* name;
    std::vector<HeadlessMonitor> monitors;  // empty: the fixture's one 640 x 480 monitor
    std::optional<Point> moveTo;            // the client area's new place on the desktop
    Point onScreen;                         // where that is on the window's monitor
  } rows[] = {
      {"centred on the only monitor", {}, {}, {160, 120}},
      {"dragged onto a monitor right of the first",
       {{{0, 0}, {640, 480}}, {{640, 0}, {800, 600}}}, Point{740, 50}, {100, 50}},
      {"on a monitor left of and above the first",
       {{{0, 0}, {640, 480}}, {{-800, -600}, {800, 600}}}, Point{-700, -500}, {100, 100}},
      {"on the first monitor, which is right of the second",
       {{{1024, 0}, {640, 480}}, {{0, 0}, {1024, 768}}}, Point{1024 + 10, 20}, {10, 20}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (!row.monitors.empty()) windows().setMonitors(row.monitors);
    if (row.moveTo) windows().moveWindow(window_, *row.moveTo);
    device_.reset();
    ASSERT_EQ(DirectDrawCreateEx(nullptr, device_, IID_IDirectDraw7), DD_OK);
    ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_NORMAL), DD_OK);
    ComPtr<DirectDrawSurface> primary = makePrimary();
    const std::uint64_t frames = display().frameCount();
    ComPtr<DirectDrawSurface> back = patternedBackBuffer(PixelFormat::xrgb8888());
    EXPECT_EQ(display().frameCount(), frames);  // drawing off screen shows nothing
    EXPECT_EQ(windows().clientOrigin(window_), row.onScreen);
    RECT at{row.onScreen.x, row.onScreen.y, row.onScreen.x + 320, row.onScreen.y + 240};
    ASSERT_EQ(primary->Blt(&at, back.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(display().frameCount(), frames + 1);
    const PresentedFrame& frame = display().lastFrame();
    EXPECT_EQ(frame.window, window_);
    EXPECT_FALSE(frame.fullScreen);
    expectPattern(frame, PixelFormat::xrgb8888());
  }
}

TEST_F(PresentTest, WhatLiesBeyondTheScreenIsBlack) {
  ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_NORMAL), DD_OK);
  ComPtr<DirectDrawSurface> primary = makePrimary();
  windows().setClientSize(window_, {600, 10});  // from x = 160 to 760 on a 640-wide screen
  DDBLTFX fx;
  fx.dwFillColor = 0xFFFFFFFF;
  ASSERT_EQ(primary->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
  const PresentedFrame& frame = display().lastFrame();
  ASSERT_EQ(frame.width, 600);
  EXPECT_EQ(frame.at(479, 5), 0xFFFFFFu);
  EXPECT_EQ(frame.at(480, 5), 0u);
}

TEST_F(PresentTest, FullScreenShowsTheWholeModeAt16Bits) {
  ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  ASSERT_EQ(device_->SetDisplayMode(320, 240, 16), DD_OK);
  ComPtr<DirectDrawSurface> primary = makePrimary();
  ComPtr<DirectDrawSurface> back = patternedBackBuffer(PixelFormat::rgb565());
  ASSERT_EQ(primary->Blt(nullptr, back.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
  const PresentedFrame& frame = display().lastFrame();
  EXPECT_TRUE(frame.fullScreen);
  EXPECT_EQ(frame.window, window_);
  expectPattern(frame, PixelFormat::rgb565());
  EXPECT_EQ(frame.at(1, 239), 0xFFFFFFu);  // 5-6-5 white comes out white
}

TEST_F(PresentTest, IndexedScreensShowTheirPalette) {
  ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  ASSERT_EQ(device_->SetDisplayMode(320, 200, 8), DD_OK);
  ComPtr<DirectDrawSurface> primary = makePrimary();
  DDBLTFX fx;
  fx.dwFillColor = 5;
  ASSERT_EQ(primary->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
  EXPECT_EQ(display().lastFrame().at(10, 10), 0x050505u);  // no palette yet: greys
  std::vector<PALETTEENTRY> entries(256, PALETTEENTRY{0, 0, 0, 0});
  entries[5] = {0x12, 0x34, 0x56, 0};
  ComPtr<DirectDrawPalette> palette;
  ASSERT_EQ(device_->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries.data(), palette), DD_OK);
  ASSERT_EQ(primary->SetPalette(palette.get()), DD_OK);
  EXPECT_EQ(display().lastFrame().at(10, 10), 0x123456u);
  std::uint64_t frames = display().frameCount();
  const PALETTEENTRY red{0xFF, 0, 0, 0};
  ASSERT_EQ(palette->SetEntries(0, 5, 1, &red), DD_OK);  // shows at once
  EXPECT_EQ(display().frameCount(), frames + 1);
  EXPECT_EQ(display().lastFrame().at(319, 199), 0xFF0000u);
}

TEST_F(PresentTest, UnlockingThePrimaryPresentsUnlessOnlyRead) {
  ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_NORMAL), DD_OK);
  ComPtr<DirectDrawSurface> primary = makePrimary();
  DDSURFACEDESC2 desc;
  ASSERT_EQ(primary->Lock(nullptr, &desc, DDLOCK_READONLY), DD_OK);
  primary->Unlock(nullptr);
  EXPECT_EQ(display().frameCount(), 0u);
  ASSERT_EQ(primary->Lock(nullptr, &desc, DDLOCK_WAIT), DD_OK);
  StorePixel(static_cast<std::uint8_t*>(desc.lpSurface) + 120 * desc.lPitch, 160, 32, 0xABCDEF);
  primary->Unlock(nullptr);
  EXPECT_EQ(display().frameCount(), 1u);
  EXPECT_EQ(display().lastFrame().at(0, 0), 0xABCDEFu);
}

// A frame that waits for the vertical blank and then presents waits once:
// the wait marks the frame, and the presentation does the waiting.
TEST_F(PresentTest, OneWaitPerFrame) {
  ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  ASSERT_EQ(device_->SetDisplayMode(320, 240, 16), DD_OK);
  ComPtr<DirectDrawSurface> primary = makePrimary();
  ComPtr<DirectDrawSurface> back = makeSurface(320, 240, PixelFormat::rgb565());
  for (int frame = 0; frame < 10; ++frame) {
    ASSERT_EQ(device_->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN), DD_OK);
    ASSERT_EQ(primary->Blt(nullptr, back.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_TRUE(display().lastFrame().vsync);
  }
  EXPECT_EQ(display().frameCount(), 10u);
  EXPECT_EQ(display().blankWaits(), 0u);
  primary->Blt(nullptr, back.get(), nullptr, 0, nullptr);  // not asked to wait
  EXPECT_FALSE(display().lastFrame().vsync);
  device_->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN);
  device_->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN);  // a second wait really waits
  EXPECT_EQ(display().blankWaits(), 1u);
  primary->Blt(nullptr, back.get(), nullptr, 0, nullptr);
  EXPECT_TRUE(display().lastFrame().vsync);
}

TEST_F(PresentTest, BackToAWindowAfterFullScreen) {
  ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  ASSERT_EQ(device_->SetDisplayMode(320, 240, 16), DD_OK);
  device_.reset();  // as the display does when it leaves full screen
  ASSERT_EQ(DirectDrawCreateEx(nullptr, device_, IID_IDirectDraw7), DD_OK);
  ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_NORMAL), DD_OK);
  ComPtr<DirectDrawSurface> primary = makePrimary();
  ComPtr<DirectDrawSurface> back = patternedBackBuffer(PixelFormat::xrgb8888());
  Point origin = windows().clientOrigin(window_);
  RECT at{origin.x, origin.y, origin.x + 320, origin.y + 240};
  ASSERT_EQ(primary->Blt(&at, back.get(), nullptr, 0, nullptr), DD_OK);
  EXPECT_FALSE(display().lastFrame().fullScreen);
  expectPattern(display().lastFrame(), PixelFormat::xrgb8888());
}

}  // namespace
}  // namespace corvane::test
