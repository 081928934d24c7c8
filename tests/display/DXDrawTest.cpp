// The display component: its options, its failures and what it presents.
#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "DisplayFixture.h"
#include "graphics/DirectDraw.h"

namespace corvane::test {
namespace {

using namespace platform;

struct OptionsCase {
  const char* name;
  TDXDrawOptions requested;
  TDXDrawOptions effective;
};

class EffectiveOptionsTest : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(EffectiveOptionsTest, DerivedWhileIdle) {
  TDXDraw dxDraw(nullptr);
  dxDraw.SetOptions(GetParam().requested);
  EXPECT_EQ(dxDraw.Options(), GetParam().requested);
  EXPECT_EQ(dxDraw.NowOptions().Bits(), GetParam().effective.Bits());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EffectiveOptionsTest,
    ::testing::Values(
        OptionsCase{"IntroWindow", IntroOptions(), {doWaitVBlank}},
        OptionsCase{"IntroFullScreen",
                    {doFullScreen, doAllowReboot, doWaitVBlank, doAllowPalette256, doDirectX7Mode, doHardware},
                    {doFullScreen, doAllowReboot, doWaitVBlank, doAllowPalette256}},
        OptionsCase{"WindowDropsFullScreenMembers",
                    {doNoWindowChange, doAllowReboot, doAllowPalette256, doFlip, doStretch},
                    {doStretch}},
        OptionsCase{"SystemMemoryDropsFlip", {doFullScreen, doFlip, doSystemMemory}, {doFullScreen, doSystemMemory}},
        OptionsCase{"ThreeDKeepsItsMembersButHardware",
                    {do3D, doDirectX7Mode, doRetainedMode, doHardware, doSelectDriver, doZBuffer},
                    {do3D, doDirectX7Mode, doSelectDriver, doZBuffer}},
        OptionsCase{"RetainedModeWithoutVersion7", {do3D, doRetainedMode, doHardware}, {do3D, doRetainedMode}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DXDrawDefaultsTest, NewComponent) {
  TDXDraw dxDraw(nullptr);
  EXPECT_EQ(dxDraw.Options(), (TDXDrawOptions{doAllowReboot, doWaitVBlank, doCenter, doDirectX7Mode,
                                              doHardware, doSelectDriver}));
  EXPECT_EQ(dxDraw.NowOptions(), (TDXDrawOptions{doWaitVBlank, doCenter}));
  EXPECT_TRUE(dxDraw.AutoInitialize);
  EXPECT_TRUE(dxDraw.AutoSize());
  EXPECT_FALSE(dxDraw.Initialized());
  EXPECT_EQ(dxDraw.ColorTable, dxDraw.DefColorTable);
}

TEST_F(DisplayFixture, OptionsWhileInitialisedChangeOnlyThePresentationMembers) {
  dxDraw_->Initialize();
  ASSERT_EQ(dxDraw_->NowOptions(), TDXDrawOptions{doWaitVBlank});
  dxDraw_->SetOptions({doStretch, doCenter, doFullScreen, doSystemMemory, do3D, doAllowPalette256});
  EXPECT_EQ(dxDraw_->NowOptions(), (TDXDrawOptions{doStretch, doCenter}));
  EXPECT_FALSE(screen().isFullScreen());
  dxDraw_->Finalize();
  EXPECT_TRUE(dxDraw_->NowOptions().Contains(doFullScreen)) << "the rest takes effect when idle";
}

// --- Failures: each leaves the display finalised.

void ExpectDXDrawError(TCustomDXDraw& dxDraw, const std::string& message) {
  try {
    dxDraw.Initialize();
    ADD_FAILURE() << "Initialize did not fail";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.ClassName(), "EDXDrawError");
    EXPECT_EQ(e.Message(), message);
  }
  EXPECT_FALSE(dxDraw.Initialized());
  EXPECT_EQ(dxDraw.Device(), nullptr);
  EXPECT_EQ(dxDraw.Surface(), nullptr);
  EXPECT_EQ(dxDraw.Primary(), nullptr);
  EXPECT_FALSE(dxDraw.CanDraw());
}

TEST_F(DisplayFixture, InitializeWithoutAFormFails) {
  Recorder a{"A", &log_};
  TDXDraw orphan(nullptr);
  orphan.RegisterNotification(&Recorder::Notify, &a);
  log_.clear();
  ExpectDXDrawError(orphan, "Form not found");
  EXPECT_TRUE(log_.empty()) << "nothing was started";
}

TEST_F(DisplayFixture, PrimaryThatCannotBeMadeFails) {
  // The page-flipping driver asks for a chain, which this device cannot make.
  goFullScreen();
  TDXDrawOptions options = dxDraw_->Options();
  options.Include(doFlip);
  dxDraw_->SetOptions(options);
  ExpectDXDrawError(*dxDraw_, "Primary Surface cannot be made");
  EXPECT_FALSE(screen().isFullScreen()) << "the mode went with the device";
}

TEST_F(DisplayFixture, BackBufferThatCannotBeMadeFails) {
  dxDraw_->SetSurfaceWidth(100000);
  ExpectDXDrawError(*dxDraw_, "Surface cannot be made");
  EXPECT_EQ(dxDraw_->SurfaceWidth(), 100000);
}

HRESULT RefuseDevice(const GUID*, ComPtr<DirectDraw>&, InterfaceId) { return DDERR_GENERIC; }

TEST_F(DisplayFixture, DeviceErrorsPassThroughAndLeaveNothing) {
  FreeLibraryCache();
  RegisterBuiltinLibrary("ddraw.dll", {{"DirectDrawCreateEx", reinterpret_cast<FARPROC>(&RefuseDevice)}});
  for (bool fullScreen : {false, true}) {
    if (fullScreen) goFullScreen();
    try {
      dxDraw_->Initialize();
      ADD_FAILURE() << "a device that cannot be made was used";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.ClassName(), "EDirectDrawError");
      EXPECT_EQ(e.Message(), "DirectDraw cannot be initialized");
    }
    EXPECT_FALSE(dxDraw_->Initialized());
    EXPECT_EQ(dxDraw_->Device(), nullptr);
    EXPECT_FALSE(screen().isFullScreen());
  }
  FreeLibraryCache();
  ResetBuiltinLibraries();
  dxDraw_->Initialize();
  EXPECT_TRUE(dxDraw_->CanDraw()) << "with the platform's own device it works again";
}

TEST_F(DisplayFixture, BackBufferFallsBackToSystemMemory) {
  screen().setVideoMemory(1000);
  dxDraw_->Initialize();
  ASSERT_TRUE(dxDraw_->CanDraw());
  EXPECT_TRUE(dxDraw_->NowOptions().Contains(doSystemMemory));
  EXPECT_NE(dxDraw_->Surface()->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY, 0u);
}

// --- The back buffer and what reaches the screen.

// Desktops the window and the full screen are shown on: the screen is the
// monitor the window is on, wherever that monitor stands on the desktop.
struct Desktop {
  const char* name;
  std::vector<HeadlessMonitor> monitors;  // empty: the fixture's one 1280 x 960 monitor
  std::optional<Point> moveTo;            // the client area's new place on the desktop
};
const Desktop kDesktops[] = {
    {"one monitor", {}, {}},
    {"a laptop panel right of an external screen",
     {{{0, 0}, {1920, 1080}}, {{1920, 0}, {1366, 768}}}, Point{1920 + 500, 300}},
    {"a second monitor left of and above the first",
     {{{0, 0}, {1280, 960}}, {{-1024, -768}, {1024, 768}}}, Point{-1000, -700}},
};

TEST_F(DisplayFixture, WindowBackBufferHasTheDesktopFormat) {
  for (const Desktop& desktop : kDesktops) {
    SCOPED_TRACE(desktop.name);
    if (!desktop.monitors.empty()) windows().setMonitors(desktop.monitors);
    if (desktop.moveTo) windows().moveWindow(form_->Handle(), *desktop.moveTo);
    dxDraw_->Initialize();
    TDirectDrawSurface& surface = *dxDraw_->Surface();
    EXPECT_EQ(surface.Width(), 320);
    EXPECT_EQ(surface.Height(), 240);
    EXPECT_EQ(surface.BitCount(), 32);
    EXPECT_EQ(surface.Pixel(5, 5), 0u) << "made black";

    surface.Fill(0x00FF8000);
    const std::uint64_t before = screen().frameCount();
    const std::uint64_t waits = screen().blankWaits();
    dxDraw_->Flip();
    EXPECT_EQ(screen().frameCount(), before + 1) << "one presentation per flip";
    const PresentedFrame& frame = screen().lastFrame();
    EXPECT_FALSE(frame.fullScreen);
    EXPECT_TRUE(frame.vsync) << "the flip waited for the vertical blank";
    EXPECT_EQ(screen().blankWaits(), waits) << "and waited once";
    ASSERT_EQ(frame.width, 320);
    ASSERT_EQ(frame.height, 240);
    EXPECT_EQ(frame.at(0, 0) & 0xFFFFFF, 0xFF8000u);
    EXPECT_EQ(frame.at(319, 239) & 0xFFFFFF, 0xFF8000u);
    dxDraw_->Finalize();
  }
}

// Full screen covers the monitor the window is on and shows the whole
// picture there; leaving it puts the window back.
TEST_F(DisplayFixture, FullScreenBackBufferIs16Bits) {
  for (const Desktop& desktop : kDesktops) {
    SCOPED_TRACE(desktop.name);
    if (!desktop.monitors.empty()) windows().setMonitors(desktop.monitors);
    if (desktop.moveTo) windows().moveWindow(form_->Handle(), *desktop.moveTo);
    const HeadlessMonitor monitor = windows().monitorOf(form_->Handle());
    const Point windowed = windows().window(form_->Handle())->position;
    goFullScreen();
    dxDraw_->Initialize();
    EXPECT_TRUE(screen().isFullScreen());
    const HeadlessWindow& window = *windows().window(form_->Handle());
    EXPECT_EQ(window.position, monitor.origin);
    EXPECT_EQ(window.desc.clientWidth, monitor.size.width);
    EXPECT_EQ(window.desc.clientHeight, monitor.size.height);
    DisplayMode mode = screen().currentMode();
    EXPECT_EQ(mode.width, 320);
    EXPECT_EQ(mode.height, 240);
    EXPECT_EQ(mode.bitCount(), 16);
    TDirectDrawSurface& surface = *dxDraw_->Surface();
    EXPECT_EQ(surface.BitCount(), 16);
    EXPECT_EQ(surface.SurfaceDesc().ddpfPixelFormat.dwGBitMask, 0x07E0u);

    surface.Fill(0xF800);
    dxDraw_->Flip();
    const PresentedFrame& frame = screen().lastFrame();
    EXPECT_TRUE(frame.fullScreen);
    for (auto [x, y] : {std::pair{0, 0}, {160, 120}, {319, 239}})
      EXPECT_EQ(frame.at(x, y) & 0xFFFFFF, 0xFF0000u) << x << "," << y;

    dxDraw_->Finalize();
    EXPECT_FALSE(screen().isFullScreen());
    EXPECT_EQ(windows().window(form_->Handle())->position, windowed);
    TDXDrawOptions options = dxDraw_->Options();
    options.Exclude(doFullScreen);
    dxDraw_->SetOptions(options);
  }
}

TEST_F(DisplayFixture, PaintShowsTheFrameWithoutWaiting) {
  dxDraw_->Initialize();
  dxDraw_->Surface()->Fill(0x00123456);
  TMessage paint{WM_PAINT, 0, 0, 0};
  form_->Perform(paint);
  EXPECT_FALSE(screen().lastFrame().vsync);
  EXPECT_EQ(screen().lastFrame().at(1, 1) & 0xFFFFFF, 0x123456u);
  EXPECT_TRUE(dxDraw_->NowOptions().Contains(doWaitVBlank)) << "the wait is back for the next flip";
}

TEST_F(DisplayFixture, ColourTablesReachThePalette) {
  for (bool fullScreen : {false, true}) {
    SCOPED_TRACE(fullScreen ? "full screen" : "window");
    if (fullScreen) goFullScreen();
    for (int i = 0; i < 256; ++i)
      dxDraw_->ColorTable[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 7, 0};
    dxDraw_->Initialize();
    dxDraw_->UpdatePalette();
    PALETTEENTRY entries[256]{};
    ASSERT_EQ(dxDraw_->Palette()->IPalette()->GetEntries(0, 0, 256, entries), DD_OK);
    PALETTEENTRY system[256]{};
    GetSystemPaletteEntries(0, 0, 256, system);
    for (int i : {0, 9, 10, 100, 245, 246, 255}) {
      bool fromSystem = !fullScreen && (i < 10 || i >= 246);
      PALETTEENTRY want = fromSystem ? system[i]
                                     : PALETTEENTRY{7, static_cast<std::uint8_t>(255 - i),
                                                    static_cast<std::uint8_t>(i), 0};
      EXPECT_EQ(entries[i].peRed, want.peRed) << i;
      EXPECT_EQ(entries[i].peGreen, want.peGreen) << i;
      EXPECT_EQ(entries[i].peBlue, want.peBlue) << i;
    }
    dxDraw_->Finalize();
  }
}

TEST(BuildPaletteEntriesTest, SystemEntriesKeptUnlessAll256Allowed) {
  TColorTable table{};
  for (int i = 0; i < 256; ++i) table[i] = {1, 2, 3, 99};
  PALETTEENTRY system[256]{};
  GetSystemPaletteEntries(0, 0, 256, system);
  TPaletteEntries kept = TCustomDXDraw::BuildPaletteEntries(table, false);
  TPaletteEntries all = TCustomDXDraw::BuildPaletteEntries(table, true);
  for (int i = 0; i < 256; ++i) {
    bool systemEntry = i < 10 || i >= 246;
    PALETTEENTRY want = systemEntry ? system[i] : PALETTEENTRY{3, 2, 1, 0};
    EXPECT_EQ(kept[i].peRed, want.peRed) << i;
    EXPECT_EQ(kept[i].peBlue, want.peBlue) << i;
    EXPECT_EQ(kept[i].peFlags, 0x40) << i;
    EXPECT_EQ(all[i], (PALETTEENTRY{3, 2, 1, 0x40})) << i;
  }
}

}  // namespace
}  // namespace corvane::test
