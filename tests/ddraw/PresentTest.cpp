// What reaches the window: frames read back from the headless display.
#include <optional>

#include "DDrawFixture.h"

namespace corvane::test {
namespace {

TEST(FitPicture, ScaledByWholeFactorsCentredWithBars) {
  struct Row {
    Size output, picture;
    RECT expected;
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
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FitPicture(row.output, row.picture), row.expected)
        << row.output.width << "x" << row.output.height << " showing " << row.picture.width << "x"
        << row.picture.height;
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
