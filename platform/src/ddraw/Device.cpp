// The device object: creation, capabilities, cooperation, display modes and
// the vertical blank.
#include <algorithm>

#include "DeviceCore.h"
#include "platform/Platform.h"

namespace corvane::platform {

using ddraw::DeviceCore;

namespace {

// What this device does, reported alike for the driver and for emulation:
// everything is done by the same software.
void FillCaps(DDCAPS& caps, std::uint64_t videoTotal, std::uint64_t videoUsed) {
  caps = DDCAPS{};
  caps.dwCaps = DDCAPS_BLT | DDCAPS_BLTSTRETCH | DDCAPS_BLTCOLORFILL | DDCAPS_COLORKEY |
                DDCAPS_PALETTE | DDCAPS_CANCLIP | DDCAPS_CANCLIPSTRETCHED | DDCAPS_CANBLTSYSMEM;
  caps.dwCaps2 = DDCAPS2_CANRENDERWINDOWED | DDCAPS2_WIDESURFACES;
  caps.dwCKeyCaps = DDCKEYCAPS_SRCBLT | DDCKEYCAPS_SRCBLTCLRSPACE;
  caps.dwFXCaps = DDFXCAPS_BLTMIRRORLEFTRIGHT | DDFXCAPS_BLTMIRRORUPDOWN | DDFXCAPS_BLTSHRINKX |
                  DDFXCAPS_BLTSHRINKY | DDFXCAPS_BLTSTRETCHX | DDFXCAPS_BLTSTRETCHY;
  // Palette changes show at once, not at the vertical blank: no DDPCAPS_VSYNC.
  caps.dwPalCaps = DDPCAPS_1BIT | DDPCAPS_2BIT | DDPCAPS_4BIT | DDPCAPS_8BIT |
                   DDPCAPS_PRIMARYSURFACE | DDPCAPS_ALLOW256;
  caps.dwVidMemTotal = static_cast<std::uint32_t>(std::min<std::uint64_t>(videoTotal, 0xFFFFFFFFu));
  caps.dwVidMemFree = static_cast<std::uint32_t>(
      std::min<std::uint64_t>(videoTotal > videoUsed ? videoTotal - videoUsed : 0, 0xFFFFFFFFu));
  caps.dwRops[(DD_SRCCOPY >> 16 & 0xFF) / 32] = 1u << ((DD_SRCCOPY >> 16 & 0xFF) % 32);
  caps.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PALETTE | DDSCAPS_PRIMARYSURFACE |
                        DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM |
                        DDSCAPS_VISIBLE | DDSCAPS_3DDEVICE | DDSCAPS_TEXTURE;
}

DDSURFACEDESC2 DescribeMode(const DisplayMode& mode) {
  DDSURFACEDESC2 desc;
  desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
  desc.dwWidth = static_cast<std::uint32_t>(mode.width);
  desc.dwHeight = static_cast<std::uint32_t>(mode.height);
  desc.lPitch = static_cast<std::int32_t>(mode.format.rowBytes(mode.width));
  desc.dwRefreshRate = static_cast<std::uint32_t>(mode.refreshRate);
  desc.ddpfPixelFormat = ToDDPixelFormat(mode.format);
  return desc;
}

// A filter names the fields it cares about by its flags.
bool ModeMatches(const DDSURFACEDESC2& filter, const DDSURFACEDESC2& mode) {
  if ((filter.dwFlags & DDSD_WIDTH) && filter.dwWidth != mode.dwWidth) return false;
  if ((filter.dwFlags & DDSD_HEIGHT) && filter.dwHeight != mode.dwHeight) return false;
  if ((filter.dwFlags & DDSD_PIXELFORMAT) &&
      filter.ddpfPixelFormat.dwRGBBitCount != mode.ddpfPixelFormat.dwRGBBitCount)
    return false;
  if ((filter.dwFlags & DDSD_REFRESHRATE) && filter.dwRefreshRate != 0 &&
      filter.dwRefreshRate != mode.dwRefreshRate)
    return false;
  return true;
}

}  // namespace

HRESULT MakeDirectDraw(const GUID* guid, ComPtr<DirectDraw>& out) {
  out.reset();
  if (guid) return DDERR_INVALIDDIRECTDRAWGUID;
  if (!IsInstalled()) return DDERR_NODIRECTDRAWSUPPORT;
  Display& display = Current().display();
  auto core = std::make_shared<DeviceCore>();
  core->display = &display;
  core->displayAlive = display.aliveToken();
  core->videoMemoryTotal = display.videoMemory();
  out = ComPtr<DirectDraw>::adopt(new DirectDraw(std::move(core)));
  return DD_OK;
}

HRESULT DirectDrawCreateEx(const GUID* guid, ComPtr<DirectDraw>& out, InterfaceId id) {
  if (id != IID_IDirectDraw7) {
    out.reset();
    return DDERR_INVALIDPARAMS;
  }
  return MakeDirectDraw(guid, out);
}

HRESULT DirectDrawCreate(const GUID* guid, ComPtr<DirectDraw>& out) {
  return MakeDirectDraw(guid, out);
}

DirectDraw::DirectDraw(std::shared_ptr<DeviceCore> core) : core_(std::move(core)) {}

DirectDraw::~DirectDraw() {
  leaveExclusive();
  core_->detachAll();
  core_->alive = false;
}

// Gives the screen back: the desktop's mode, and exclusive use to others.
HRESULT DirectDraw::leaveExclusive() {
  if (!core_->usable()) return DD_OK;
  if (core_->modeSet) core_->display->restoreMode();
  core_->modeSet = false;
  core_->display->releaseExclusive(core_.get());
  return DD_OK;
}

HRESULT DirectDraw::QueryInterface(InterfaceId id, ComPtr<DirectDraw>& out) {
  bool refused = core_->usable() && ((core_->display->refusedInterfaces() >> id) & 1u) != 0;
  if (!refused && (id == IID_IDirectDraw || id == IID_IDirectDraw2 || id == IID_IDirectDraw4 ||
                   id == IID_IDirectDraw7)) {
    out = ComPtr<DirectDraw>(this);
    return DD_OK;
  }
  out.reset();
  return E_NOINTERFACE;
}

HRESULT DirectDraw::GetCaps(DDCAPS* driver, DDCAPS* emulation) {
  if (!driver && !emulation) return DDERR_INVALIDPARAMS;
  if ((driver && driver->dwSize != sizeof(DDCAPS)) ||
      (emulation && emulation->dwSize != sizeof(DDCAPS)))
    return DDERR_INVALIDPARAMS;
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  if (driver) FillCaps(*driver, core_->videoMemoryTotal, core_->videoMemoryUsed);
  if (emulation) FillCaps(*emulation, core_->videoMemoryTotal, core_->videoMemoryUsed);
  return DD_OK;
}

HRESULT DirectDraw::SetCooperativeLevel(HWND window, std::uint32_t flags) {
  constexpr std::uint32_t known =
      DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_NOWINDOWCHANGES | DDSCL_NORMAL |
      DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX | DDSCL_SETFOCUSWINDOW | DDSCL_SETDEVICEWINDOW |
      DDSCL_CREATEDEVICEWINDOW | DDSCL_MULTITHREADED | DDSCL_FPUSETUP | DDSCL_FPUPRESERVE;
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  if (flags & ~known) return DDERR_INVALIDPARAMS;
  if (flags & (DDSCL_SETFOCUSWINDOW | DDSCL_SETDEVICEWINDOW | DDSCL_CREATEDEVICEWINDOW))
    return DDERR_UNSUPPORTED;
  bool normal = (flags & DDSCL_NORMAL) != 0;
  bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
  bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
  if (normal == exclusive || exclusive != fullScreen) return DDERR_INVALIDPARAMS;
  if (exclusive) {
    if (window == 0) return DDERR_INVALIDPARAMS;
    if (!core_->display->claimExclusive(core_.get())) return DDERR_EXCLUSIVEMODEALREADYSET;
  } else {
    leaveExclusive();
  }
  core_->window = window;
  core_->level = flags;
  return DD_OK;
}

HRESULT DirectDraw::EnumDisplayModes(std::uint32_t, const DDSURFACEDESC2* filter,
                                     const EnumModesCallback& callback) {
  if (!callback || (filter && filter->dwSize != sizeof(DDSURFACEDESC2)))
    return DDERR_INVALIDPARAMS;
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  for (const DisplayMode& mode : core_->display->modes()) {
    DDSURFACEDESC2 desc = DescribeMode(mode);
    if (filter && !ModeMatches(*filter, desc)) continue;
    if (callback(desc) == DDENUMRET_CANCEL) break;
  }
  return DD_OK;
}

HRESULT DirectDraw::GetDisplayMode(DDSURFACEDESC2* desc) {
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  *desc = DescribeMode(core_->display->currentMode());
  return DD_OK;
}

HRESULT DirectDraw::SetDisplayMode(std::uint32_t width, std::uint32_t height,
                                   std::uint32_t bitCount, std::uint32_t refreshRate,
                                   std::uint32_t) {
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  if (!core_->exclusive()) return DDERR_NOEXCLUSIVEMODE;
  for (const DisplayMode& mode : core_->display->modes()) {
    if (static_cast<std::uint32_t>(mode.width) != width ||
        static_cast<std::uint32_t>(mode.height) != height ||
        static_cast<std::uint32_t>(mode.bitCount()) != bitCount ||
        (refreshRate != 0 && static_cast<std::uint32_t>(mode.refreshRate) != refreshRate))
      continue;
    if (!core_->display->setMode(core_->window, mode)) return DDERR_UNSUPPORTEDMODE;
    core_->modeSet = true;
    return DD_OK;
  }
  return DDERR_INVALIDMODE;
}

HRESULT DirectDraw::RestoreDisplayMode() {
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  if (core_->modeSet) core_->display->restoreMode();
  core_->modeSet = false;
  return DD_OK;
}

HRESULT DirectDraw::WaitForVerticalBlank(std::uint32_t flags, void*) {
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  if (flags == DDWAITVB_BLOCKBEGINEVENT) return DDERR_UNSUPPORTED;
  if (flags != DDWAITVB_BLOCKBEGIN && flags != DDWAITVB_BLOCKEND) return DDERR_INVALIDPARAMS;
  core_->display->waitVerticalBlank();
  return DD_OK;
}

HRESULT DirectDraw::FlipToGDISurface() {
  return core_->usable() ? DD_OK : DDERR_INVALIDOBJECT;
}

HRESULT DirectDraw::CreatePalette(std::uint32_t flags, const PALETTEENTRY* entries,
                                  ComPtr<DirectDrawPalette>& out) {
  out.reset();
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  if (!entries) return DDERR_INVALIDPARAMS;
  if (flags & (DDPCAPS_8BITENTRIES | DDPCAPS_ALPHA)) return DDERR_UNSUPPORTED;
  std::uint32_t count = 0;
  switch (flags & (DDPCAPS_1BIT | DDPCAPS_2BIT | DDPCAPS_4BIT | DDPCAPS_8BIT)) {
    case DDPCAPS_1BIT: count = 2; break;
    case DDPCAPS_2BIT: count = 4; break;
    case DDPCAPS_4BIT: count = 16; break;
    case DDPCAPS_8BIT: count = 256; break;
    default: return DDERR_INVALIDPARAMS;
  }
  out = ComPtr<DirectDrawPalette>::adopt(new DirectDrawPalette(core_, flags, entries, count));
  return DD_OK;
}

HRESULT DirectDraw::CreateClipper(std::uint32_t flags, ComPtr<DirectDrawClipper>& out) {
  out.reset();
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  if (flags != 0) return DDERR_INVALIDPARAMS;
  out = ComPtr<DirectDrawClipper>::adopt(new DirectDrawClipper(core_));
  return DD_OK;
}

}  // namespace corvane::platform
