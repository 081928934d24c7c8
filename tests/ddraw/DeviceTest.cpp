// The device object: creation, capabilities, cooperation, display modes.
#include <tuple>

#include "DDrawFixture.h"

namespace corvane::test {
namespace {

using DeviceTest = DDrawFixture;

TEST_F(DeviceTest, CreationThroughBothEntryPoints) {
  GUID someDevice{0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  struct Row {
    const char* what;
    std::function<HRESULT(ComPtr<DirectDraw>&)> create;
    HRESULT expected;
  } rows[] = {
      {"version 7, default device",
       [](auto& out) { return DirectDrawCreateEx(nullptr, out, IID_IDirectDraw7); }, DD_OK},
      {"version 7 asked for another interface",
       [](auto& out) { return DirectDrawCreateEx(nullptr, out, IID_IDirectDraw); },
       DDERR_INVALIDPARAMS},
      {"version 7, unknown device",
       [&](auto& out) { return DirectDrawCreateEx(&someDevice, out, IID_IDirectDraw7); },
       DDERR_INVALIDDIRECTDRAWGUID},
      {"older entry point", [](auto& out) { return DirectDrawCreate(nullptr, out); }, DD_OK},
      {"older entry point, unknown device",
       [&](auto& out) { return DirectDrawCreate(&someDevice, out); }, DDERR_INVALIDDIRECTDRAWGUID},
  };
  for (const Row& row : rows) {
    ComPtr<DirectDraw> made;
    EXPECT_EQ(row.create(made), row.expected) << row.what;
    EXPECT_EQ(made != nullptr, row.expected == DD_OK) << row.what;
  }
}

TEST(DeviceWithoutPlatform, CreationFails) {
  ComPtr<DirectDraw> device;
  EXPECT_EQ(DirectDrawCreateEx(nullptr, device, IID_IDirectDraw7), DDERR_NODIRECTDRAWSUPPORT);
  EXPECT_EQ(device, nullptr);
}

TEST_F(DeviceTest, EveryVersionIsTheSameObject) {
  for (InterfaceId id : {IID_IDirectDraw, IID_IDirectDraw2, IID_IDirectDraw4, IID_IDirectDraw7}) {
    ComPtr<DirectDraw> view;
    EXPECT_EQ(device_->QueryInterface(id, view), DD_OK);
    EXPECT_EQ(view.get(), device_.get());
  }
  ComPtr<DirectDraw> none;
  EXPECT_EQ(device_->QueryInterface(IID_IDirectDrawSurface7, none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
}

TEST_F(DeviceTest, CapabilityRecords) {
  DDCAPS driver, emulation;
  ASSERT_EQ(device_->GetCaps(&driver, &emulation), DD_OK);
  for (const DDCAPS* caps : {&driver, &emulation}) {
    EXPECT_EQ(caps->dwSize, 380u);
    EXPECT_TRUE(caps->dwPalCaps & DDPCAPS_8BIT);
    EXPECT_FALSE(caps->dwPalCaps & DDPCAPS_VSYNC);  // palette updates are not synchronised
    EXPECT_FALSE(caps->dwCaps2 & DDCAPS2_PRIMARYGAMMA);
    EXPECT_TRUE(caps->dwCaps & DDCAPS_BLTCOLORFILL);
    EXPECT_TRUE(caps->dwCKeyCaps & DDCKEYCAPS_SRCBLT);
    EXPECT_TRUE(caps->dwFXCaps & DDFXCAPS_BLTMIRRORLEFTRIGHT);
  }
  EXPECT_EQ(device_->GetCaps(&driver, nullptr), DD_OK);
  EXPECT_EQ(device_->GetCaps(nullptr, nullptr), DDERR_INVALIDPARAMS);
  DDCAPS tooSmall;
  tooSmall.dwSize = 316;
  EXPECT_EQ(device_->GetCaps(&tooSmall, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DeviceTest, VideoMemoryIsCountedAndGiven) {
  DDCAPS before, during, after;
  device_->GetCaps(&before, nullptr);
  {
    ComPtr<DirectDrawSurface> surface = makeSurface(100, 10, PixelFormat::xrgb8888(), DDSCAPS_VIDEOMEMORY);
    device_->GetCaps(&during, nullptr);
  }
  device_->GetCaps(&after, nullptr);
  EXPECT_EQ(before.dwVidMemFree - during.dwVidMemFree, 100u * 4 * 10);
  EXPECT_EQ(after.dwVidMemFree, before.dwVidMemFree);
}

TEST_F(DeviceTest, CooperativeLevels) {
  const std::uint32_t fullScreen = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN;
  struct Row {
    std::uint32_t flags;
    bool withWindow;
    HRESULT expected;
  } rows[] = {
      {DDSCL_NORMAL, true, DD_OK},
      {DDSCL_NORMAL, false, DD_OK},
      {fullScreen, true, DD_OK},
      {fullScreen | DDSCL_ALLOWREBOOT | DDSCL_ALLOWMODEX | DDSCL_NOWINDOWCHANGES, true, DD_OK},
      {fullScreen, false, DDERR_INVALIDPARAMS},
      {DDSCL_EXCLUSIVE, true, DDERR_INVALIDPARAMS},
      {DDSCL_FULLSCREEN, true, DDERR_INVALIDPARAMS},
      {DDSCL_NORMAL | fullScreen, true, DDERR_INVALIDPARAMS},
      {0, true, DDERR_INVALIDPARAMS},
      {DDSCL_NORMAL | DDSCL_SETFOCUSWINDOW, true, DDERR_UNSUPPORTED},
      {DDSCL_NORMAL | 0x80000000u, true, DDERR_INVALIDPARAMS},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(device_->SetCooperativeLevel(row.withWindow ? window_ : 0, row.flags), row.expected)
        << std::hex << row.flags;
  }
}

TEST_F(DeviceTest, OneExclusiveOwnerAtATime) {
  ComPtr<DirectDraw> other;
  ASSERT_EQ(DirectDrawCreate(nullptr, other), DD_OK);
  const std::uint32_t exclusive = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN;
  ASSERT_EQ(device_->SetCooperativeLevel(window_, exclusive), DD_OK);
  EXPECT_EQ(other->SetCooperativeLevel(window_, exclusive), DDERR_EXCLUSIVEMODEALREADYSET);
  EXPECT_EQ(other->SetCooperativeLevel(window_, DDSCL_NORMAL), DD_OK);
  EXPECT_EQ(device_->SetCooperativeLevel(window_, exclusive), DD_OK);  // the owner again
  device_.reset();
  EXPECT_EQ(other->SetCooperativeLevel(window_, exclusive), DD_OK);
}

std::vector<DDSURFACEDESC2> Enumerate(DirectDraw& device, const DDSURFACEDESC2* filter) {
  std::vector<DDSURFACEDESC2> modes;
  EXPECT_EQ(device.EnumDisplayModes(0, filter, [&](const DDSURFACEDESC2& mode) {
    modes.push_back(mode);
    return DDENUMRET_OK;
  }), DD_OK);
  return modes;
}

TEST_F(DeviceTest, ModesAreTheClassicOnesAndTheDesktopsAtThreeDepths) {
  windows().setDesktopSize({1280, 1024});
  std::vector<DDSURFACEDESC2> modes = Enumerate(*device_, nullptr);
  ASSERT_EQ(modes.size(), 27u);  // 8 classic sizes and the desktop's, at 8, 16 and 32 bits
  for (std::size_t i = 0; i < modes.size(); ++i) {
    const DDSURFACEDESC2& m = modes[i];
    EXPECT_TRUE((m.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)) ==
                (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT));
    const std::uint32_t bitsInTurn[] = {8, 16, 32};
    EXPECT_EQ(m.ddpfPixelFormat.dwRGBBitCount, bitsInTurn[i % 3]);
    if (i > 0) {
      const DDSURFACEDESC2& p = modes[i - 1];
      EXPECT_LT(std::tuple(p.dwWidth, p.dwHeight, p.ddpfPixelFormat.dwRGBBitCount),
                std::tuple(m.dwWidth, m.dwHeight, m.ddpfPixelFormat.dwRGBBitCount));
    }
  }
  EXPECT_EQ(modes.front().dwWidth, 320u);
  EXPECT_EQ(modes.front().dwHeight, 200u);
  EXPECT_EQ(modes.back().dwWidth, 1280u);
  EXPECT_EQ(modes.back().dwHeight, 1024u);
  EXPECT_EQ(modes[4].ddpfPixelFormat.dwRBitMask, 0xF800u);  // 320x240x16 is 5-6-5
  EXPECT_TRUE(modes[3].ddpfPixelFormat.dwFlags & DDPF_PALETTEINDEXED8);

  windows().setDesktopSize({640, 480});  // one of the classic sizes: not offered twice
  EXPECT_EQ(Enumerate(*device_, nullptr).size(), 24u);

  // On a desktop of several monitors, the desktop's size is that of the
  // monitor the window is on.
  windows().setMonitors({{{0, 0}, {640, 480}}, {{640, -200}, {1600, 900}}});
  windows().moveWindow(window_, {640 + 300, 100});
  modes = Enumerate(*device_, nullptr);
  ASSERT_EQ(modes.size(), 27u);
  EXPECT_EQ(modes.back().dwWidth, 1600u);
  EXPECT_EQ(modes.back().dwHeight, 900u);
}

TEST_F(DeviceTest, EnumerationFilterAndCancel) {
  DDSURFACEDESC2 filter;
  filter.dwFlags = DDSD_WIDTH;
  filter.dwWidth = 320;
  EXPECT_EQ(Enumerate(*device_, &filter).size(), 6u);
  filter.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  filter.dwHeight = 240;
  filter.ddpfPixelFormat.dwRGBBitCount = 16;
  EXPECT_EQ(Enumerate(*device_, &filter).size(), 1u);
  int calls = 0;
  device_->EnumDisplayModes(0, nullptr, [&](const DDSURFACEDESC2&) {
    ++calls;
    return DDENUMRET_CANCEL;
  });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(device_->EnumDisplayModes(0, nullptr, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DeviceTest, SettingModes) {
  struct Row {
    std::uint32_t width, height, bits, refresh;
    HRESULT expected;
  } rows[] = {
      {320, 240, 16, 0, DD_OK},           {320, 240, 16, 60, DD_OK},
      {640, 480, 8, 0, DD_OK},            {640, 480, 32, 0, DD_OK},
      {320, 240, 24, 0, DDERR_INVALIDMODE}, {321, 240, 16, 0, DDERR_INVALIDMODE},
      {320, 240, 16, 75, DDERR_INVALIDMODE},
  };
  EXPECT_EQ(device_->SetDisplayMode(320, 240, 16), DDERR_NOEXCLUSIVEMODE);
  ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  for (const Row& row : rows) {
    EXPECT_EQ(device_->SetDisplayMode(row.width, row.height, row.bits, row.refresh), row.expected)
        << row.width << "x" << row.height << "x" << row.bits << "@" << row.refresh;
  }
}

TEST_F(DeviceTest, FullScreenCoversTheDesktopAndRestoringGivesTheWindowBack) {
  ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  ASSERT_EQ(device_->SetDisplayMode(320, 240, 16), DD_OK);
  DDSURFACEDESC2 mode;
  ASSERT_EQ(device_->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(mode.dwWidth, 320u);
  EXPECT_EQ(mode.dwHeight, 240u);
  EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 16u);
  EXPECT_EQ(windows().clientOrigin(window_), (Point{0, 0}));
  EXPECT_EQ(windows().clientSize(window_), (Size{640, 480}));

  ASSERT_EQ(device_->RestoreDisplayMode(), DD_OK);
  ASSERT_EQ(device_->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(mode.dwWidth, 640u);
  EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 32u);  // the desktop's format
  EXPECT_EQ(windows().clientOrigin(window_), (Point{160, 120}));
  EXPECT_EQ(windows().clientSize(window_), (Size{320, 240}));
}

// The two other ways back to the desktop: normal cooperation, and releasing the device.
TEST_F(DeviceTest, LeavingExclusiveUseOrReleasingRestoresTheMode) {
  for (bool release : {false, true}) {
    ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(device_->SetDisplayMode(400, 300, 8), DD_OK);
    ASSERT_TRUE(display().isFullScreen());
    if (release)
      device_.reset();
    else
      ASSERT_EQ(device_->SetCooperativeLevel(window_, DDSCL_NORMAL), DD_OK);
    EXPECT_FALSE(display().isFullScreen()) << release;
    EXPECT_EQ(display().exclusiveOwner(), nullptr);
    EXPECT_EQ(windows().clientOrigin(window_), (Point{160, 120}));
  }
}

TEST_F(DeviceTest, VerticalBlankWaits) {
  struct Row {
    std::uint32_t flags;
    HRESULT expected;
  } rows[] = {
      {DDWAITVB_BLOCKBEGIN, DD_OK},
      {DDWAITVB_BLOCKEND, DD_OK},
      {DDWAITVB_BLOCKBEGINEVENT, DDERR_UNSUPPORTED},
      {0, DDERR_INVALIDPARAMS},
      {DDWAITVB_BLOCKBEGIN | DDWAITVB_BLOCKEND, DDERR_INVALIDPARAMS},
  };
  for (const Row& row : rows) EXPECT_EQ(device_->WaitForVerticalBlank(row.flags), row.expected);
}

TEST_F(DeviceTest, ADeviceOutlivingItsPlatformAnswersInvalidObject) {
  ComPtr<DirectDrawSurface> surface = makeSurface(4, 4, PixelFormat::rgb565());
  Uninstall();
  EXPECT_EQ(device_->SetCooperativeLevel(0, DDSCL_NORMAL), DDERR_INVALIDOBJECT);
  EXPECT_EQ(device_->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN), DDERR_INVALIDOBJECT);
  EXPECT_EQ(surface->IsLost(), DDERR_INVALIDOBJECT);
  surface.reset();
  device_.reset();
}

}  // namespace
}  // namespace corvane::test
