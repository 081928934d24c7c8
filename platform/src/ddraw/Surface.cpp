// Surfaces: locking, colour keys, attached palettes and clippers,
// descriptions, loss and restore.
#include <algorithm>

#include "Blit.h"
#include "DeviceCore.h"

namespace corvane::platform {

DirectDrawSurface::DirectDrawSurface(std::shared_ptr<ddraw::DeviceCore> core)
    : core_(std::move(core)) {
  core_->surfaces.push_back(this);
}

DirectDrawSurface::~DirectDrawSurface() {
  std::erase(core_->surfaces, this);
  if (core_->primary == this) core_->primary = nullptr;
  core_->videoMemoryUsed -= std::min(core_->videoMemoryUsed, videoBytes_);
}

// The device is being released: the surface keeps only its shell.
void DirectDrawSurface::detach() {
  storage_.reset();
  palette_.reset();
  clipper_.reset();
  locked_ = false;
  videoBytes_ = 0;
}

void ddraw::DeviceCore::detachAll() {
  std::vector<DirectDrawSurface*> all = surfaces;
  for (DirectDrawSurface* surface : all) surface->detach();
  primary = nullptr;
  videoMemoryUsed = 0;
}

// DD_OK, DDERR_INVALIDOBJECT once the device is gone, or DDERR_SURFACELOST
// while the memory is taken away.
HRESULT DirectDrawSurface::usable() const {
  if (!core_->usable() || !storage_) return DDERR_INVALIDOBJECT;
  if (generation_ != core_->display->lossGeneration()) return DDERR_SURFACELOST;
  return DD_OK;
}

ddraw::SurfaceView DirectDrawSurface::view() const {
  return {storage_ ? storage_->bytes() : nullptr, width_, height_, pitch_, format_.bitCount()};
}

// What the user sees changes with the primary surface.
void DirectDrawSurface::changed() {
  if (isPrimary()) core_->presentPrimary();
}

HRESULT DirectDrawSurface::QueryInterface(InterfaceId id, ComPtr<DirectDrawSurface>& out) {
  bool refused = core_->usable() && ((core_->display->refusedInterfaces() >> id) & 1u) != 0;
  if (!refused && (id == IID_IDirectDrawSurface || id == IID_IDirectDrawSurface4 ||
                   id == IID_IDirectDrawSurface7)) {
    out = ComPtr<DirectDrawSurface>(this);
    return DD_OK;
  }
  out.reset();
  return E_NOINTERFACE;
}

void DirectDrawSurface::describe(DDSURFACEDESC2& desc) const {
  desc = DDSURFACEDESC2{};
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc.dwWidth = static_cast<std::uint32_t>(width_);
  desc.dwHeight = static_cast<std::uint32_t>(height_);
  desc.lPitch = pitch_;
  desc.ddpfPixelFormat = ToDDPixelFormat(format_);
  desc.ddsCaps.dwCaps = caps_;
  if (sourceKey_) {
    desc.dwFlags |= DDSD_CKSRCBLT;
    desc.ddckCKSrcBlt = *sourceKey_;
  }
  if (destKey_) {
    desc.dwFlags |= DDSD_CKDESTBLT;
    desc.ddckCKDestBlt = *destKey_;
  }
}

HRESULT DirectDrawSurface::Lock(const RECT* rect, DDSURFACEDESC2* desc, std::uint32_t flags,
                                void*) {
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  if (HRESULT result = usable(); result != DD_OK) return result;
  if (locked_) return DDERR_SURFACEBUSY;
  RECT area = rect ? *rect : bounds();
  if (area.empty() || !Contains(bounds(), area)) return DDERR_INVALIDRECT;
  // Pixels under 8 bits can only be handed out from a byte boundary.
  if ((area.left * format_.bitCount()) % 8 != 0) return DDERR_INVALIDRECT;
  describe(*desc);
  desc->dwFlags |= DDSD_LPSURFACE;
  desc->lpSurface = view().row(area.top) + area.left * format_.bitCount() / 8;
  locked_ = true;
  lockedReadOnly_ = (flags & DDLOCK_READONLY) != 0;
  return DD_OK;
}

HRESULT DirectDrawSurface::Unlock(const RECT*) {
  if (!core_->usable() || !storage_) return DDERR_INVALIDOBJECT;
  if (!locked_) return DDERR_NOTLOCKED;
  locked_ = false;
  if (!lockedReadOnly_ && usable() == DD_OK) changed();
  return DD_OK;
}

HRESULT DirectDrawSurface::SetColorKey(std::uint32_t flags, const DDCOLORKEY* key) {
  if (!core_->usable() || !storage_) return DDERR_INVALIDOBJECT;
  std::uint32_t kind = flags & ~DDCKEY_COLORSPACE;
  if (kind == DDCKEY_DESTOVERLAY || kind == DDCKEY_SRCOVERLAY) return DDERR_UNSUPPORTED;
  if (kind != DDCKEY_SRCBLT && kind != DDCKEY_DESTBLT) return DDERR_INVALIDPARAMS;
  std::optional<DDCOLORKEY>& slot = kind == DDCKEY_SRCBLT ? sourceKey_ : destKey_;
  if (!key) {
    slot.reset();
    return DD_OK;
  }
  DDCOLORKEY value = *key;
  value.dwColorSpaceLowValue &= format_.rawMask();
  value.dwColorSpaceHighValue &= format_.rawMask();
  if (!(flags & DDCKEY_COLORSPACE)) value.dwColorSpaceHighValue = value.dwColorSpaceLowValue;
  if (value.dwColorSpaceHighValue < value.dwColorSpaceLowValue) return DDERR_INVALIDPARAMS;
  slot = value;
  return DD_OK;
}

HRESULT DirectDrawSurface::GetColorKey(std::uint32_t flags, DDCOLORKEY* key) {
  if (!key) return DDERR_INVALIDPARAMS;
  if (!core_->usable() || !storage_) return DDERR_INVALIDOBJECT;
  const std::optional<DDCOLORKEY>* slot = nullptr;
  if (flags == DDCKEY_SRCBLT) slot = &sourceKey_;
  if (flags == DDCKEY_DESTBLT) slot = &destKey_;
  if (!slot) return DDERR_INVALIDPARAMS;
  if (!*slot) return DDERR_NOCOLORKEY;
  *key = **slot;
  return DD_OK;
}

HRESULT DirectDrawSurface::SetPalette(DirectDrawPalette* palette) {
  if (HRESULT result = usable(); result != DD_OK) return result;
  if (palette && palette->core_ != core_) return DDERR_INVALIDOBJECT;
  if (palette && !format_.isIndexed()) return DDERR_NOTPALETTIZED;
  palette_ = ComPtr<DirectDrawPalette>(palette);
  changed();
  return DD_OK;
}

HRESULT DirectDrawSurface::GetPalette(ComPtr<DirectDrawPalette>& out) {
  out.reset();
  if (!core_->usable() || !storage_) return DDERR_INVALIDOBJECT;
  if (!palette_) return DDERR_NOPALETTEATTACHED;
  out = palette_;
  return DD_OK;
}

HRESULT DirectDrawSurface::SetClipper(DirectDrawClipper* clipper) {
  if (!core_->usable() || !storage_) return DDERR_INVALIDOBJECT;
  if (clipper && clipper->core_ != core_) return DDERR_INVALIDOBJECT;
  clipper_ = ComPtr<DirectDrawClipper>(clipper);
  return DD_OK;
}

HRESULT DirectDrawSurface::GetClipper(ComPtr<DirectDrawClipper>& out) {
  out.reset();
  if (!core_->usable() || !storage_) return DDERR_INVALIDOBJECT;
  if (!clipper_) return DDERR_NOCLIPPERATTACHED;
  out = clipper_;
  return DD_OK;
}

HRESULT DirectDrawSurface::GetSurfaceDesc(DDSURFACEDESC2* desc) {
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  if (!core_->usable() || !storage_) return DDERR_INVALIDOBJECT;
  describe(*desc);
  return DD_OK;
}

HRESULT DirectDrawSurface::GetPixelFormat(DDPIXELFORMAT* format) {
  if (!format || format->dwSize != sizeof(DDPIXELFORMAT)) return DDERR_INVALIDPARAMS;
  if (!core_->usable() || !storage_) return DDERR_INVALIDOBJECT;
  *format = ToDDPixelFormat(format_);
  return DD_OK;
}

HRESULT DirectDrawSurface::GetCaps(DDSCAPS2* caps) {
  if (!caps) return DDERR_INVALIDPARAMS;
  if (!core_->usable() || !storage_) return DDERR_INVALIDOBJECT;
  *caps = DDSCAPS2{};
  caps->dwCaps = caps_;
  return DD_OK;
}

HRESULT DirectDrawSurface::IsLost() { return usable(); }

HRESULT DirectDrawSurface::Restore() {
  HRESULT state = usable();
  if (state != DDERR_SURFACELOST) return state;
  if (isPrimary() && !(core_->display->currentMode() == mode_)) return DDERR_WRONGMODE;
  std::fill(storage_->words.begin(), storage_->words.end(), 0u);
  generation_ = core_->display->lossGeneration();
  return DD_OK;
}

DDPIXELFORMAT ToDDPixelFormat(const PixelFormat& format) {
  DDPIXELFORMAT out;
  out.dwRGBBitCount = static_cast<std::uint32_t>(format.bitCount());
  if (format.isIndexed()) {
    switch (format.bitCount()) {
      case 1: out.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED1; break;
      case 2: out.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED2; break;
      case 4: out.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED4; break;
      default: out.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8; break;
    }
    return out;
  }
  out.dwFlags = DDPF_RGB | (format.alpha().mask ? DDPF_ALPHAPIXELS : 0);
  out.dwRBitMask = format.red().mask;
  out.dwGBitMask = format.green().mask;
  out.dwBBitMask = format.blue().mask;
  out.dwRGBAlphaBitMask = format.alpha().mask;
  return out;
}

std::optional<PixelFormat> FromDDPixelFormat(const DDPIXELFORMAT& in) {
  if (in.dwSize != sizeof(DDPIXELFORMAT) || (in.dwFlags & DDPF_FOURCC)) return std::nullopt;
  PixelFormat format;
  if (in.dwFlags & DDPF_PALETTEINDEXED8) format = PixelFormat::indexed(8);
  else if (in.dwFlags & DDPF_PALETTEINDEXED4) format = PixelFormat::indexed(4);
  else if (in.dwFlags & DDPF_PALETTEINDEXED2) format = PixelFormat::indexed(2);
  else if (in.dwFlags & DDPF_PALETTEINDEXED1) format = PixelFormat::indexed(1);
  else if (in.dwFlags & DDPF_RGB)
    format = PixelFormat::fromMasks(static_cast<int>(in.dwRGBBitCount), in.dwRBitMask,
                                    in.dwGBitMask, in.dwBBitMask,
                                    (in.dwFlags & DDPF_ALPHAPIXELS) ? in.dwRGBAlphaBitMask : 0);
  if (format.isIndexed() && in.dwRGBBitCount != 0 &&
      in.dwRGBBitCount != static_cast<std::uint32_t>(format.bitCount()))
    return std::nullopt;
  if (!format.isValid()) return std::nullopt;
  return format;
}

}  // namespace corvane::platform
