// Making surfaces: from a description, and as duplicates.
#include <new>

#include "DeviceCore.h"

namespace corvane::platform {

using ddraw::DeviceCore;

namespace {

// The largest side a surface may have; larger requests answer DDERR_TOOBIGSIZE.
constexpr std::uint32_t kMaxSide = 16384;

struct Plan {
  std::int32_t width = 0;
  std::int32_t height = 0;
  PixelFormat format;
  std::uint32_t caps = 0;
  DisplayMode mode;
};

HRESULT PlanPrimary(const DDSURFACEDESC2& desc, const DeviceCore& core, Plan& plan) {
  if (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)) return DDERR_INVALIDPARAMS;
  if (desc.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY) return DDERR_INVALIDCAPS;
  if (core.level == 0) return DDERR_NOCOOPERATIVELEVELSET;
  if (core.primary) return DDERR_PRIMARYSURFACEALREADYEXISTS;
  plan.mode = core.display->currentMode();
  plan.width = plan.mode.width;
  plan.height = plan.mode.height;
  plan.format = plan.mode.format;
  plan.caps = desc.ddsCaps.dwCaps | DDSCAPS_VISIBLE | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
  return DD_OK;
}

HRESULT PlanOffscreen(const DDSURFACEDESC2& desc, const DeviceCore& core, Plan& plan) {
  if (!(desc.dwFlags & DDSD_WIDTH) || !(desc.dwFlags & DDSD_HEIGHT) || desc.dwWidth == 0 ||
      desc.dwHeight == 0)
    return DDERR_INVALIDPARAMS;
  if (desc.dwWidth > kMaxSide || desc.dwHeight > kMaxSide) return DDERR_TOOBIGSIZE;
  plan.format = core.display->currentMode().format;
  if (desc.dwFlags & DDSD_PIXELFORMAT) {
    std::optional<PixelFormat> format = FromDDPixelFormat(desc.ddpfPixelFormat);
    if (!format) return DDERR_INVALIDPIXELFORMAT;
    plan.format = *format;
  }
  plan.width = static_cast<std::int32_t>(desc.dwWidth);
  plan.height = static_cast<std::int32_t>(desc.dwHeight);
  plan.caps = desc.ddsCaps.dwCaps;
  if (!(plan.caps & (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE)))
    plan.caps |= DDSCAPS_OFFSCREENPLAIN;
  if (!(plan.caps & DDSCAPS_SYSTEMMEMORY)) plan.caps |= DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
  return DD_OK;
}

HRESULT PlanSurface(const DDSURFACEDESC2& desc, const DeviceCore& core, Plan& plan) {
  if (!(desc.dwFlags & DDSD_CAPS)) return DDERR_INVALIDPARAMS;
  std::uint32_t caps = desc.ddsCaps.dwCaps;
  if (caps & (DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_BACKBUFFER | DDSCAPS_FRONTBUFFER))
    return DDERR_NOFLIPHW;
  if (caps & (DDSCAPS_OVERLAY | DDSCAPS_ZBUFFER | DDSCAPS_MIPMAP)) return DDERR_INVALIDCAPS;
  if ((caps & DDSCAPS_SYSTEMMEMORY) && (caps & DDSCAPS_VIDEOMEMORY)) return DDERR_INVALIDCAPS;
  return (caps & DDSCAPS_PRIMARYSURFACE) ? PlanPrimary(desc, core, plan)
                                         : PlanOffscreen(desc, core, plan);
}

// Rows start on 4-byte boundaries.
std::int32_t PitchFor(const PixelFormat& format, std::int32_t width) {
  return static_cast<std::int32_t>((format.rowBytes(width) + 3) / 4 * 4);
}

}  // namespace

HRESULT DirectDraw::CreateSurface(const DDSURFACEDESC2* desc, ComPtr<DirectDrawSurface>& out) {
  out.reset();
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  Plan plan;
  if (HRESULT result = PlanSurface(*desc, *core_, plan); result != DD_OK) return result;
  std::int32_t pitch = PitchFor(plan.format, plan.width);
  std::uint64_t bytes = std::uint64_t(pitch) * std::uint64_t(plan.height);
  bool video = (plan.caps & DDSCAPS_VIDEOMEMORY) && !(plan.caps & DDSCAPS_PRIMARYSURFACE);
  if (video && core_->videoMemoryUsed + bytes > core_->videoMemoryTotal)
    return DDERR_OUTOFVIDEOMEMORY;
  auto storage = std::make_shared<ddraw::Storage>();
  try {
    storage->words.assign(bytes / 4, 0);
  } catch (const std::bad_alloc&) {
    return DDERR_OUTOFMEMORY;
  }
  auto surface = ComPtr<DirectDrawSurface>::adopt(new DirectDrawSurface(core_));
  surface->storage_ = std::move(storage);
  surface->width_ = plan.width;
  surface->height_ = plan.height;
  surface->pitch_ = pitch;
  surface->format_ = plan.format;
  surface->caps_ = plan.caps;
  surface->mode_ = plan.mode;
  surface->generation_ = core_->display->lossGeneration();
  // Keys in a description are ranges; one whose high end is below its low
  // end stands for the low value alone.
  auto setKey = [&](std::uint32_t kind, const DDCOLORKEY& key) {
    bool range = key.dwColorSpaceHighValue >= key.dwColorSpaceLowValue;
    surface->SetColorKey(kind | (range ? DDCKEY_COLORSPACE : 0), &key);
  };
  if (desc->dwFlags & DDSD_CKSRCBLT) setKey(DDCKEY_SRCBLT, desc->ddckCKSrcBlt);
  if (desc->dwFlags & DDSD_CKDESTBLT) setKey(DDCKEY_DESTBLT, desc->ddckCKDestBlt);
  if (plan.caps & DDSCAPS_PRIMARYSURFACE) core_->primary = surface.get();
  if (video) {
    surface->videoBytes_ = bytes;
    core_->videoMemoryUsed += bytes;
  }
  out = std::move(surface);
  return DD_OK;
}

HRESULT DirectDraw::DuplicateSurface(DirectDrawSurface* source, ComPtr<DirectDrawSurface>& out) {
  out.reset();
  if (!source) return DDERR_INVALIDPARAMS;
  if (!core_->usable() || source->core_ != core_) return DDERR_INVALIDOBJECT;
  if (HRESULT result = source->usable(); result != DD_OK) return result;
  if (source->isPrimary()) return DDERR_CANTDUPLICATE;
  auto twin = ComPtr<DirectDrawSurface>::adopt(new DirectDrawSurface(core_));
  twin->storage_ = source->storage_;
  twin->width_ = source->width_;
  twin->height_ = source->height_;
  twin->pitch_ = source->pitch_;
  twin->format_ = source->format_;
  twin->caps_ = source->caps_;
  twin->generation_ = source->generation_;
  twin->sourceKey_ = source->sourceKey_;
  twin->destKey_ = source->destKey_;
  out = std::move(twin);
  return DD_OK;
}

}  // namespace corvane::platform
