// The presentation drivers: the blit driver copies the back buffer to the
// control's place on the primary surface; the flip driver flips a chain.
#include <algorithm>

#include "graphics/DXDraw.h"

namespace corvane {

using namespace platform;

namespace {
[[noreturn]] void CannotMake(const char* what) {
  throw EDXDrawError(Format("%s cannot be made", what));
}
}  // namespace

TDXDrawDriver::TDXDrawDriver(TCustomDXDraw& display) : display_(display) {
  TDXDrawOptions requested = display.options_;
  // A chosen device only counts for hardware full screen; there is none
  // here, so the default device is made either way.
  const GUID* guid = requested.Contains(doFullScreen) && requested.Contains(doHardware) &&
                             !requested.Contains(doSystemMemory)
                         ? display.deviceGUID_
                         : nullptr;
  display.device_ = std::make_unique<TDirectDraw>(guid, requested.Contains(doDirectX7Mode));
}

TDXDrawDriver::~TDXDrawDriver() {
  TDXDrawDriver::Finalize();
  display_.device_.reset();
}

void TDXDrawDriver::Finalize() {
  display_.clipper_.reset();
  display_.palette_.reset();
  display_.surface_.reset();
  display_.primary_.reset();
}

bool TDXDrawDriver::SetSize(std::int32_t, std::int32_t) { return false; }

bool TDXDrawDriver::Restore() {
  TDirectDrawSurface* primary = display_.primary_.get();
  TDirectDrawSurface* surface = display_.surface_.get();
  if (!primary || !surface || !primary->Restore() || !surface->Restore()) return false;
  primary->Fill(0);
  surface->Fill(0);
  return true;
}

// --- The blit driver.

void TDXDrawDriverBlt::Initialize() {
  TCustomDXDraw& d = display_;
  TDirectDraw& device = *d.device_;
  d.primary_ = std::make_unique<TDirectDrawSurface>(device);
  DDSURFACEDESC2 desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  if (!d.primary_->CreateSurface(desc)) CannotMake("Primary Surface");

  d.surface_ = std::make_unique<TDirectDrawSurface>(device);

  d.clipper_ = std::make_unique<TDirectDrawClipper>(device);
  d.clipper_->SetHandle(d.WindowHandle());
  d.primary_->SetClipper(d.clipper_.get());

  bool allow256 = d.effective_.Contains(doAllowPalette256);
  d.palette_ = std::make_unique<TDirectDrawPalette>(device);
  TPaletteEntries entries = TCustomDXDraw::BuildPaletteEntries(d.ColorTable, allow256);
  d.palette_->CreatePalette(DDPCAPS_8BIT | DDPCAPS_INITIALIZE | (allow256 ? DDPCAPS_ALLOW256 : 0),
                            entries.data());
  d.primary_->SetPalette(d.palette_.get());

  InitializeSurface();
}

void TDXDrawDriverBlt::InitializeSurface() {
  TCustomDXDraw& d = display_;
  d.surface_->Attach(nullptr);
  d.effective_.Exclude(doSystemMemory);

  // No pixel format: the back buffer takes the display's.
  DDSURFACEDESC2 desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = static_cast<std::uint32_t>(std::max(d.surfaceWidth_, 1));
  desc.dwHeight = static_cast<std::uint32_t>(std::max(d.surfaceHeight_, 1));
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  if (d.options_.Contains(doSystemMemory)) desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
  if (d.effective_.Contains(do3D)) desc.ddsCaps.dwCaps |= DDSCAPS_3DDEVICE;
  if (!d.surface_->CreateSurface(desc)) {
    desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    if (!d.surface_->CreateSurface(desc)) CannotMake("Surface");
  }
  if ((d.surface_->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY) == 0)
    d.effective_.Include(doSystemMemory);

  d.surface_->SetPalette(d.palette_.get());
  d.surface_->Fill(0);
}

void TDXDrawDriverBlt::Flip() {
  TCustomDXDraw& d = display_;
  Point origin = d.ClientOrigin();
  RECT dest;
  if (d.effective_.Contains(doStretch)) {
    dest = {origin.x, origin.y, origin.x + d.Width(), origin.y + d.Height()};
  } else {
    if (d.effective_.Contains(doCenter)) {
      origin.x += (d.Width() - d.surface_->Width()) / 2;
      origin.y += (d.Height() - d.surface_->Height()) / 2;
    }
    dest = {origin.x, origin.y, origin.x + d.surface_->Width(), origin.y + d.surface_->Height()};
  }
  if (d.effective_.Contains(doWaitVBlank))
    d.device_->SetLastResult(d.device_->IDDraw().WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN));
  DDBLTFX fx;
  d.primary_->Blt(&dest, nullptr, DDBLT_WAIT, fx, d.surface_.get());
}

bool TDXDrawDriverBlt::SetSize(std::int32_t width, std::int32_t height) {
  TCustomDXDraw& d = display_;
  d.surfaceWidth_ = std::max(width, 1);
  d.surfaceHeight_ = std::max(height, 1);
  ++d.restoreSuppressCount_;
  try {
    d.NotifyEventList(DisplayNotification::FinalizeSurface);
    if (d.initializeSurfaceRaised_) {
      d.initializeSurfaceRaised_ = false;
      d.DoFinalizeSurface();
    }
    InitializeSurface();
    d.NotifyEventList(DisplayNotification::InitializeSurface);
    d.initializeSurfaceRaised_ = true;
    d.DoInitializeSurface();
  } catch (...) {
    --d.restoreSuppressCount_;
    throw;
  }
  --d.restoreSuppressCount_;
  return true;
}

// --- The flip driver.

void TDXDrawDriverFlip::Initialize() {
  TCustomDXDraw& d = display_;
  TDirectDraw& device = *d.device_;
  d.primary_ = std::make_unique<TDirectDrawSurface>(device);
  DDSURFACEDESC2 desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  desc.dwBackBufferCount = 1;
  if (!d.primary_->CreateSurface(desc)) CannotMake("Primary Surface");
  // The device makes no flipping chains, so creating one above always fails
  // and nothing below is reached; it is kept for a device that can.
  d.surface_ = std::make_unique<TDirectDrawSurface>(device);
  d.clipper_ = std::make_unique<TDirectDrawClipper>(device);
  bool allow256 = d.effective_.Contains(doAllowPalette256);
  d.palette_ = std::make_unique<TDirectDrawPalette>(device);
  TPaletteEntries entries = TCustomDXDraw::BuildPaletteEntries(d.ColorTable, allow256);
  d.palette_->CreatePalette(
      DDPCAPS_8BIT | (d.options_.Contains(doAllowPalette256) ? DDPCAPS_ALLOW256 : 0),
      entries.data());
  d.primary_->SetPalette(d.palette_.get());
  d.surface_->SetPalette(d.palette_.get());
}

void TDXDrawDriverFlip::Flip() {
  // Without a chain there is nothing to flip; the frame is simply not shown.
}

}  // namespace corvane
