// Surfaces: the platform surface they hold, fills, colour keys, attached
// palettes and clippers, locks, single pixels, restore and blits.
#include "graphics/DirectDrawSurface.h"

#include <algorithm>

namespace corvane {

using namespace platform;

namespace {

// The packed and whole-byte sizes a single pixel can be read or written in.
bool PixelAccessible(int bitCount) {
  switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32: return true;
    default: return false;
  }
}

}  // namespace

TDirectDrawSurface::TDirectDrawSurface(TDirectDraw& device) : device_(device) {
  device_.surfaces_.push_back(this);
}

TDirectDrawSurface::~TDirectDrawSurface() {
  canvas_.reset();
  Attach(nullptr);
  auto it = std::find(device_.surfaces_.begin(), device_.surfaces_.end(), this);
  if (it != device_.surfaces_.end()) device_.surfaces_.erase(it);
}

// --- The platform surface.

bool TDirectDrawSurface::CreateSurface(const DDSURFACEDESC2& desc) {
  Attach(nullptr);
  ComPtr<DirectDrawSurface> made;
  device_.SetLastResult(device_.IDDraw().CreateSurface(&desc, made));
  SetLastResult(device_.LastResult());
  if (LastResult() != DD_OK) return false;
  Attach(made.get());
  // Every new surface starts with raw value 0 as its source colour key.
  SetTransparentColor(0);
  return true;
}

void TDirectDrawSurface::SetSize(int width, int height) {
  if (width <= 0 || height <= 0) {
    Attach(nullptr);
    return;
  }
  DDSURFACEDESC2 desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = static_cast<std::uint32_t>(width);
  desc.dwHeight = static_cast<std::uint32_t>(height);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | (systemMemory_ ? DDSCAPS_SYSTEMMEMORY : 0);
  if (CreateSurface(desc)) return;
  // Video memory runs out before system memory does.
  if (!(desc.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY)) {
    desc.ddsCaps.dwCaps = (desc.ddsCaps.dwCaps & ~DDSCAPS_VIDEOMEMORY) | DDSCAPS_SYSTEMMEMORY;
    if (CreateSurface(desc)) {
      systemMemory_ = true;
      return;
    }
  }
  throw EDirectDrawSurfaceError(Format("%s cannot be made", "Surface"));
}

void TDirectDrawSurface::Attach(DirectDrawSurface* surface) {
  if (surface == surface_.get()) return;
  // The canvas's context and an open lock belong to the surface that goes:
  // both are given back before it is dropped, so that neither outlives it
  // nor leaves a surface that others still hold locked.
  if (canvas_) canvas_->Release();
  if (lockCount_ > 0 && surface_) surface_->Unlock(nullptr);
  surface_.reset();
  surface4_.reset();
  surface7_.reset();
  hasClipper_ = false;
  lockCount_ = 0;
  desc_ = DDSURFACEDESC2{};
  if (!surface) return;
  surface_ = ComPtr<DirectDrawSurface>(surface);
  surface->QueryInterface(IID_IDirectDrawSurface4, surface4_);
  if (device_.IDraw7()) surface->QueryInterface(IID_IDirectDrawSurface7, surface7_);
  ComPtr<DirectDrawClipper> clipper;
  hasClipper_ = surface->GetClipper(clipper) == DD_OK && clipper;
  SetLastResult(surface->GetSurfaceDesc(&desc_));
}

DirectDrawSurface& TDirectDrawSurface::IDDSurface() const {
  if (!surface_) throw EDirectDrawSurfaceError(Format("%s not made", "IDirectDrawSurface"));
  return *surface_;
}

DirectDrawSurface& TDirectDrawSurface::IDDSurface4() const {
  if (!surface4_) throw EDirectDrawSurfaceError(Format("%s not made", "IDirectDrawSurface4"));
  return *surface4_;
}

DirectDrawSurface& TDirectDrawSurface::IDDSurface7() const {
  if (!surface7_) throw EDirectDrawSurfaceError(Format("%s not made", "IDirectDrawSurface7"));
  return *surface7_;
}

// --- Drawing through the device.

bool TDirectDrawSurface::Fill(std::uint32_t value) {
  DDBLTFX fx;
  fx.dwFillColor = value;
  return Blt(nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, fx, nullptr);
}

void TDirectDrawSurface::SetTransparentColor(std::uint32_t value) {
  SetColorKey(DDCKEY_SRCBLT, DDCOLORKEY{value, value});
}

void TDirectDrawSurface::SetColorKey(std::uint32_t flags, const DDCOLORKEY& key) {
  if (surface_) SetLastResult(surface_->SetColorKey(flags, &key));
}

void TDirectDrawSurface::SetPalette(const TDirectDrawPalette* palette) {
  if (surface_) SetLastResult(surface_->SetPalette(palette ? palette->IPalette() : nullptr));
}

void TDirectDrawSurface::SetClipper(const TDirectDrawClipper* clipper) {
  if (surface_) SetLastResult(surface_->SetClipper(clipper ? clipper->IClipper() : nullptr));
  hasClipper_ = clipper != nullptr && LastResult() == DD_OK;
}

bool TDirectDrawSurface::Lock(const RECT* rect, DDSURFACEDESC2& desc) {
  // Locks do not nest: the first one stays as it was.
  if (!surface_ || lockCount_ > 0) return false;
  const RECT* area = (rect && !(*rect == ClientRect())) ? rect : nullptr;
  lockDesc_ = DDSURFACEDESC2{};
  SetLastResult(surface_->Lock(area, &lockDesc_, DDLOCK_WAIT));
  if (LastResult() != DD_OK) return false;
  lockCount_ = 1;
  desc = lockDesc_;
  return true;
}

void TDirectDrawSurface::Unlock() {
  if (lockCount_ <= 0) return;
  if (--lockCount_ == 0) SetLastResult(surface_->Unlock(nullptr));
}

std::uint32_t TDirectDrawSurface::Pixel(int x, int y) {
  if (x < 0 || y < 0 || x >= Width() || y >= Height() || !PixelAccessible(BitCount())) return 0;
  DDSURFACEDESC2 desc;
  if (!Lock(nullptr, desc)) return 0;
  const auto* row = static_cast<const std::uint8_t*>(desc.lpSurface) +
                    static_cast<std::ptrdiff_t>(y) * desc.lPitch;
  std::uint32_t value = LoadPixel(row, x, BitCount());
  Unlock();
  return value;
}

void TDirectDrawSurface::SetPixel(int x, int y, std::uint32_t value) {
  if (x < 0 || y < 0 || x >= Width() || y >= Height() || !PixelAccessible(BitCount())) return;
  DDSURFACEDESC2 desc;
  if (!Lock(nullptr, desc)) return;
  auto* row =
      static_cast<std::uint8_t*>(desc.lpSurface) + static_cast<std::ptrdiff_t>(y) * desc.lPitch;
  StorePixel(row, x, BitCount(), value);
  Unlock();
}

bool TDirectDrawSurface::Restore() {
  if (!surface_) return false;
  SetLastResult(surface_->Restore());
  return LastResult() == DD_OK;
}

bool TDirectDrawSurface::Blt(const RECT* destRect, const RECT* srcRect, std::uint32_t flags,
                             const DDBLTFX& fx, TDirectDrawSurface* source) {
  if (!surface_) return false;
  DirectDrawSurface* from = source ? source->ISurface() : nullptr;
  SetLastResult(surface_->Blt(destRect, from, srcRect, flags, &fx));
  return LastResult() == DD_OK;
}

bool TDirectDrawSurface::BltFast(int x, int y, const RECT& srcRect, std::uint32_t flags,
                                 TDirectDrawSurface* source) {
  if (!surface_) return false;
  DirectDrawSurface* from = source ? source->ISurface() : nullptr;
  // A negative position wraps to one the platform refuses as off the surface.
  SetLastResult(surface_->BltFast(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                                  from, &srcRect, flags));
  return LastResult() == DD_OK;
}

}  // namespace corvane
