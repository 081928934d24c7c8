// Drawing one surface onto another: Draw through the device's blitter
// (opaque, colour-keyed or mirrored), DrawAlpha in software through the
// renderer on the locked surfaces.
#include <cstdlib>
#include <utility>

#include "graphics/DXRender.h"
#include "graphics/DirectDrawSurface.h"

namespace corvane {

using platform::RECT;

namespace {

// Blit flags by the transparent flag (false, true).
constexpr std::uint32_t kFastBltFlags[2] = {platform::DDBLTFAST_WAIT,
                                            platform::DDBLTFAST_WAIT | platform::DDBLTFAST_SRCCOLORKEY};
constexpr std::uint32_t kBltFlags[2] = {platform::DDBLT_WAIT,
                                        platform::DDBLT_WAIT | platform::DDBLT_KEYSRC};

// Rectangles in 64 bits while they are clipped: the caller's values may be
// anything a 32-bit rectangle holds, and their sums must not overflow.
struct Span {
  std::int64_t left, top, right, bottom;
  bool empty() const { return left >= right || top >= bottom; }
};

Span Wide(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT Narrow(const Span& s) {
  return {static_cast<std::int32_t>(s.left), static_cast<std::int32_t>(s.top),
          static_cast<std::int32_t>(s.right), static_cast<std::int32_t>(s.bottom)};
}

// Clips the destination and source rectangles together against the two
// surfaces, destination edges first, left and top before right and bottom.
// Answers whether something is left of both.
bool ClipTogether(Span& dr, Span& sr, const Span& db, const Span& sb) {
  if (db.left > dr.left) sr.left += db.left - dr.left, dr.left = db.left;
  if (db.top > dr.top) sr.top += db.top - dr.top, dr.top = db.top;
  if (sb.left > sr.left) dr.left += sb.left - sr.left, sr.left = sb.left;
  if (sb.top > sr.top) dr.top += sb.top - sr.top, sr.top = sb.top;
  if (db.right < dr.right) sr.right -= dr.right - db.right, dr.right = db.right;
  if (db.bottom < dr.bottom) sr.bottom -= dr.bottom - db.bottom, dr.bottom = db.bottom;
  if (sb.right < sr.right) dr.right -= sr.right - sb.right, sr.right = sb.right;
  if (sb.bottom < sr.bottom) dr.bottom -= sr.bottom - sb.bottom, sr.bottom = sb.bottom;
  return !dr.empty() && !sr.empty();
}

// Mirrors the span [low, high) within [start, end): the reflection of a
// rectangle's edges about the middle of the rectangle it was cut from.
void Reflect(std::int64_t& low, std::int64_t& high, std::int64_t start, std::int64_t end) {
  std::int64_t newLow = start + end - high;
  high = start + end - low;
  low = newLow;
}

}  // namespace

void TDirectDrawSurface::Draw(int x, int y, const RECT& srcRect, TDirectDrawSurface* source,
                              bool transparent) {
  if (!source || x > Width() || y > Height()) return;
  const Span destBounds = Wide(ClientRect()), sourceBounds = Wide(source->ClientRect());
  Span sr = Wide(srcRect);
  const bool mirrorX = sr.left > sr.right, mirrorY = sr.top > sr.bottom;

  if (!mirrorX && !mirrorY) {
    Span dr{x, y, x + (sr.right - sr.left), y + (sr.bottom - sr.top)};
    if (!ClipTogether(dr, sr, destBounds, sourceBounds)) return;
    const RECT dest = Narrow(dr), src = Narrow(sr);
    const platform::DDBLTFX noEffects;
    if (hasClipper_) {
      Blt(&dest, &src, kBltFlags[transparent], noEffects, source);
      return;
    }
    if (BltFast(dest.left, dest.top, src, kFastBltFlags[transparent], source) ||
        LastResult() != platform::DDERR_BLTFASTCANTCLIP)
      return;
    // A clipper was attached behind our back: remember it, so later draws go
    // straight to the clipping blit.
    platform::ComPtr<platform::DirectDrawClipper> clipper;
    if (surface_ && surface_->GetClipper(clipper) == platform::DD_OK && clipper) hasClipper_ = true;
    Blt(&dest, &src, kBltFlags[transparent], noEffects, source);
    return;
  }

  // Mirrored: the rectangle is given inverted along the mirrored axes.
  if (std::llabs(sr.left - sr.right) + x <= 0 || std::llabs(sr.top - sr.bottom) + y <= 0) return;
  platform::DDBLTFX fx;
  if (mirrorX) std::swap(sr.left, sr.right), fx.dwDDFX |= platform::DDBLTFX_MIRRORLEFTRIGHT;
  if (mirrorY) std::swap(sr.top, sr.bottom), fx.dwDDFX |= platform::DDBLTFX_MIRRORUPDOWN;
  // The blitter mirrors within the source rectangle, so the part of it that
  // stays visible is found in the mirrored picture: clip there, against the
  // source's bounds as they lie in the mirrored picture, and reflect the
  // clipped part back (the rectangle itself is its own reflection).
  const Span whole = sr;
  Span mirroredBounds = sourceBounds;
  if (mirrorX) Reflect(mirroredBounds.left, mirroredBounds.right, whole.left, whole.right);
  if (mirrorY) Reflect(mirroredBounds.top, mirroredBounds.bottom, whole.top, whole.bottom);
  Span dr{x, y, x + (sr.right - sr.left), y + (sr.bottom - sr.top)};
  if (!ClipTogether(dr, sr, destBounds, mirroredBounds)) return;
  if (mirrorX) Reflect(sr.left, sr.right, whole.left, whole.right);
  if (mirrorY) Reflect(sr.top, sr.bottom, whole.top, whole.bottom);
  const RECT dest = Narrow(dr), src = Narrow(sr);
  Blt(&dest, &src, kBltFlags[transparent] | platform::DDBLT_DDFX, fx, source);
}

void TDirectDrawSurface::DrawAlpha(const RECT& destRect, const RECT& srcRect,
                                   TDirectDrawSurface* source, bool transparent, int alpha) {
  if (Width() == 0 || Height() == 0 || !source || source->Width() == 0 ||
      source->Height() == 0 || alpha <= 0)
    return;
  platform::DirectDrawSurface* destSurface = surface_.get();
  platform::DirectDrawSurface* sourceSurface = source->surface_.get();
  if (!destSurface || !sourceSurface) return;

  // The platform surfaces are locked directly: the surfaces' own lock count
  // plays no part.
  platform::DDSURFACEDESC2 destDesc, sourceDesc;
  if (destSurface->Lock(nullptr, &destDesc, platform::DDLOCK_WAIT) != platform::DD_OK) return;
  if (sourceSurface->Lock(nullptr, &sourceDesc, platform::DDLOCK_WAIT) != platform::DD_OK) {
    destSurface->Unlock(nullptr);
    return;
  }
  const LockedView destView = LockedView::FromDesc(destDesc);
  const LockedView sourceView = LockedView::FromDesc(sourceDesc);
  const bool copy = destView.kind == ViewKind::Indexed || alpha >= 255;
  DXRenderer::Shared().CopyRectBlend(destView, sourceView, destRect, srcRect,
                                     copy ? BlendKind::Copy : BlendKind::SourceAlpha, alpha,
                                     transparent, sourceDesc.ddckCKSrcBlt.dwColorSpaceLowValue);
  sourceSurface->Unlock(nullptr);
  destSurface->Unlock(nullptr);
}

}  // namespace corvane
