// Blt and BltFast: the checks and the clipping, once, at the entry; the
// pixel work is in Blit.cpp.
#include <limits>

#include "Blit.h"
#include "DeviceCore.h"

namespace corvane::platform {

namespace {

constexpr std::uint32_t kAlphaFlags = 0x1FF;  // DDBLT_ALPHA*: no alpha blits here
constexpr std::uint32_t kUnsupportedFlags = kAlphaFlags | DDBLT_DDROPS | DDBLT_KEYDEST |
                                            DDBLT_KEYDESTOVERRIDE | DDBLT_ROTATIONANGLE |
                                            DDBLT_ZBUFFER | DDBLT_DEPTHFILL | 0xF00000;
constexpr std::uint32_t kEffectsWeDo =
    DDBLTFX_MIRRORLEFTRIGHT | DDBLTFX_MIRRORUPDOWN | DDBLTFX_ARITHSTRETCHY | DDBLTFX_NOTEARING;

HRESULT CheckBltFlags(std::uint32_t flags, const DDBLTFX* fx) {
  if (flags & kUnsupportedFlags) return DDERR_UNSUPPORTED;
  bool needsFx = (flags & (DDBLT_COLORFILL | DDBLT_DDFX | DDBLT_KEYSRCOVERRIDE | DDBLT_ROP)) != 0;
  if (needsFx && (!fx || fx->dwSize != sizeof(DDBLTFX))) return DDERR_INVALIDPARAMS;
  if ((flags & DDBLT_ROP) && fx->dwROP != DD_SRCCOPY) return DDERR_NORASTEROPHW;
  if ((flags & DDBLT_DDFX) && (fx->dwDDFX & ~kEffectsWeDo)) return DDERR_NOROTATIONHW;
  return DD_OK;
}

// A key whose high end lies below its low end stands for its low value.
ddraw::KeyRange RangeOf(const DDCOLORKEY& key, std::uint32_t rawMask) {
  std::uint32_t low = key.dwColorSpaceLowValue & rawMask;
  std::uint32_t high = key.dwColorSpaceHighValue & rawMask;
  return {low, high < low ? low : high};
}

// Non-empty, and small enough that its width and height fit 32 bits.
bool SaneRect(const RECT& r) {
  constexpr std::int64_t most = std::numeric_limits<std::int32_t>::max();
  return !r.empty() && std::int64_t{r.right} - r.left <= most &&
         std::int64_t{r.bottom} - r.top <= most;
}

// The clip rectangles of the moment, kept between blits.
std::vector<RECT>& ClipScratch() {
  thread_local std::vector<RECT> rects;
  return rects;
}

}  // namespace

HRESULT DirectDrawSurface::fillRect(const RECT& destRect, std::uint32_t raw) {
  raw &= format_.rawMask();
  if (!clipper_) {
    if (!Contains(bounds(), destRect)) return DDERR_INVALIDRECT;
    ddraw::Fill(view(), destRect, raw);
    return DD_OK;
  }
  std::vector<RECT>& clips = ClipScratch();
  if (HRESULT result = clipper_->GetClipList(nullptr, clips); result != DD_OK) return result;
  for (const RECT& clip : clips) ddraw::Fill(view(), Intersect(Intersect(destRect, clip), bounds()), raw);
  return DD_OK;
}

HRESULT DirectDrawSurface::blitFrom(DirectDrawSurface& source, const RECT& destRect,
                                    const RECT& sourceRect, std::uint32_t ddfx,
                                    const std::optional<DDCOLORKEY>& key, bool clip) {
  if (!(source.format_ == format_)) return DDERR_INVALIDPIXELFORMAT;
  bool clipped = clip && clipper_;
  if (!clipped && !Contains(bounds(), destRect)) return DDERR_INVALIDRECT;
  std::vector<RECT>& clips = ClipScratch();
  if (clipped) {
    if (HRESULT result = clipper_->GetClipList(nullptr, clips); result != DD_OK) return result;
  } else {
    clips.assign(1, bounds());
  }
  ddraw::BlitJob job{view(), source.view(), destRect, sourceRect, {},
                     (ddfx & DDBLTFX_MIRRORLEFTRIGHT) != 0, (ddfx & DDBLTFX_MIRRORUPDOWN) != 0,
                     std::nullopt};
  if (key) job.key = RangeOf(*key, format_.rawMask());
  // A surface drawn onto itself, or onto a duplicate, reads from a copy.
  std::vector<std::uint32_t> copy;
  if (source.storage_ == storage_) {
    copy = storage_->words;
    job.source.pixels = reinterpret_cast<std::uint8_t*>(copy.data());
  }
  for (const RECT& area : clips) {
    job.visible = Intersect(Intersect(destRect, area), bounds());
    ddraw::Blit(job);
  }
  return DD_OK;
}

HRESULT DirectDrawSurface::Blt(const RECT* destRect, DirectDrawSurface* source,
                               const RECT* sourceRect, std::uint32_t flags, const DDBLTFX* fx) {
  if (HRESULT result = CheckBltFlags(flags, fx); result != DD_OK) return result;
  if (HRESULT result = usable(); result != DD_OK) return result;
  RECT dest = destRect ? *destRect : bounds();
  if (!SaneRect(dest)) return DDERR_INVALIDRECT;
  if (busy()) return DDERR_SURFACEBUSY;
  if (flags & DDBLT_COLORFILL) {
    HRESULT result = fillRect(dest, fx->dwFillColor);
    if (result == DD_OK) changed();
    return result;
  }
  if (!source) return DDERR_INVALIDPARAMS;
  if (source->core_ != core_) return DDERR_INVALIDOBJECT;
  if (HRESULT result = source->usable(); result != DD_OK) return result;
  if (source->busy()) return DDERR_SURFACEBUSY;
  RECT src = sourceRect ? *sourceRect : source->bounds();
  if (src.empty() || !Contains(source->bounds(), src)) return DDERR_INVALIDRECT;
  std::optional<DDCOLORKEY> key;
  if (flags & DDBLT_KEYSRCOVERRIDE) {
    key = fx->ddckSrcColorkey;
  } else if (flags & DDBLT_KEYSRC) {
    if (!source->sourceKey_) return DDERR_NOCOLORKEY;
    key = source->sourceKey_;
  }
  std::uint32_t ddfx = (flags & DDBLT_DDFX) ? fx->dwDDFX : 0;
  HRESULT result = blitFrom(*source, dest, src, ddfx, key, true);
  if (result == DD_OK) changed();
  return result;
}

HRESULT DirectDrawSurface::BltFast(std::uint32_t x, std::uint32_t y, DirectDrawSurface* source,
                                   const RECT* sourceRect, std::uint32_t trans) {
  constexpr std::uint32_t known =
      DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY | DDBLTFAST_WAIT | DDBLTFAST_DONOTWAIT;
  if (trans & ~known) return DDERR_INVALIDPARAMS;
  if (trans & DDBLTFAST_DESTCOLORKEY) return DDERR_UNSUPPORTED;
  if (!source) return DDERR_INVALIDPARAMS;
  if (HRESULT result = usable(); result != DD_OK) return result;
  if (source->core_ != core_) return DDERR_INVALIDOBJECT;
  if (HRESULT result = source->usable(); result != DD_OK) return result;
  if (clipper_) return DDERR_BLTFASTCANTCLIP;
  if (busy() || source->busy()) return DDERR_SURFACEBUSY;
  RECT src = sourceRect ? *sourceRect : source->bounds();
  if (src.empty() || !Contains(source->bounds(), src)) return DDERR_INVALIDRECT;
  constexpr auto limit = static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max());
  if (x > limit - static_cast<std::uint32_t>(src.width()) ||
      y > limit - static_cast<std::uint32_t>(src.height()))
    return DDERR_INVALIDRECT;
  auto left = static_cast<std::int32_t>(x), top = static_cast<std::int32_t>(y);
  RECT dest{left, top, left + src.width(), top + src.height()};
  std::optional<DDCOLORKEY> key;
  if (trans & DDBLTFAST_SRCCOLORKEY) {
    if (!source->sourceKey_) return DDERR_NOCOLORKEY;
    key = source->sourceKey_;
  }
  HRESULT result = blitFrom(*source, dest, src, 0, key, false);
  if (result == DD_OK) changed();
  return result;
}

}  // namespace corvane::platform
