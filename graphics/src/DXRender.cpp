// Locked views, the generic pipeline routine and CopyRectBlend.
#include "graphics/DXRender.h"

#include <algorithm>
#include <limits>

#include "DXRenderLoops.h"
#include "platform/PixelFormat.h"

namespace corvane {

using platform::RECT;

LockedView LockedView::FromDesc(const platform::DDSURFACEDESC2& desc) {
  constexpr std::uint32_t indexedFlags = platform::DDPF_PALETTEINDEXED1 |
                                         platform::DDPF_PALETTEINDEXED2 |
                                         platform::DDPF_PALETTEINDEXED4 |
                                         platform::DDPF_PALETTEINDEXED8;
  const platform::DDPIXELFORMAT& format = desc.ddpfPixelFormat;
  LockedView view;
  view.kind = (format.dwFlags & indexedFlags) ? ViewKind::Indexed : ViewKind::Rgb;
  view.width = static_cast<int>(std::min<std::uint32_t>(desc.dwWidth, std::numeric_limits<int>::max()));
  view.height = static_cast<int>(std::min<std::uint32_t>(desc.dwHeight, std::numeric_limits<int>::max()));
  view.bits = static_cast<int>(std::min<std::uint32_t>(format.dwRGBBitCount, 255));
  view.pitch = desc.lPitch;
  view.pixels = static_cast<std::uint8_t*>(desc.lpSurface);
  if (view.kind == ViewKind::Indexed) {
    if (view.bits >= 1 && view.bits <= 8) view.index = ChannelInfo::FromMask((1u << view.bits) - 1);
  } else {
    view.red = ChannelInfo::FromMask(format.dwRBitMask);
    view.green = ChannelInfo::FromMask(format.dwGBitMask);
    view.blue = ChannelInfo::FromMask(format.dwBBitMask);
  }
  return view;
}

bool LockedView::Usable() const {
  if (!pixels || width <= 0 || height <= 0) return false;
  if (kind == ViewKind::Indexed) return bits == 1 || bits == 2 || bits == 4 || bits == 8;
  return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool LockedView::SameFormat(const LockedView& other) const {
  return kind == other.kind && red == other.red && green == other.green && blue == other.blue &&
         index == other.index;
}

namespace {

// A source pixel's value as the colour key sees it: 32-bit pixels keep only
// their low 24 bits, as the colour the pixel shows.
std::uint32_t KeyBits(std::uint32_t pixel, int bits) {
  return bits == 32 ? pixel & 0xFFFFFFu : pixel;
}

std::uint32_t Convert(const PixelPipeline& p, std::uint32_t pixel) {
  const LockedView& s = p.source;
  const LockedView& d = p.dest;
  if (s.kind == ViewKind::Indexed && d.kind == ViewKind::Indexed)
    return d.index.Encode(s.index.Decode(pixel));
  return d.red.Encode(s.red.Decode(pixel)) | d.green.Encode(s.green.Decode(pixel)) |
         d.blue.Encode(s.blue.Decode(pixel));
}

std::uint32_t Blend(const PixelPipeline& p, std::uint32_t src, std::uint32_t dst) {
  const LockedView& s = p.source;
  const LockedView& d = p.dest;
  std::uint32_t a = p.alpha;
  std::uint32_t r = render::MixPaired(s.red.Decode(src), d.red.Decode(dst), a);
  std::uint32_t g = render::MixPaired(s.green.Decode(src), d.green.Decode(dst), a);
  std::uint32_t b = render::MixLone(s.blue.Decode(src), d.blue.Decode(dst), a);
  return d.red.Encode(r) | d.green.Encode(g) | d.blue.Encode(b);
}

// The plain routine for every pair of formats, pixel by pixel through the
// raw-value accessors and the channel descriptions.
template <BlendKind Kind, bool Keyed>
void GenericRow(const PixelPipeline& p, int x, int y, int count, std::uint32_t u,
                std::uint32_t v) {
  const std::uint8_t* in = p.source.Row(static_cast<int>(v >> 16));
  std::uint8_t* out = p.dest.Row(y);
  const int sourceBits = p.source.bits, destBits = p.dest.bits;
  for (int i = 0; i < count; ++i, u += p.du) {
    std::uint32_t pixel = platform::LoadPixel(in, static_cast<int>(u >> 16), sourceBits);
    if constexpr (Keyed) {
      if (KeyBits(pixel, sourceBits) == p.colourKey) continue;
    }
    std::uint32_t value;
    if constexpr (Kind == BlendKind::Copy) {
      value = p.sameFormat ? pixel : Convert(p, pixel);
    } else {
      value = Blend(p, pixel, platform::LoadPixel(out, x + i, destBits));
    }
    platform::StorePixel(out, x + i, destBits, value);
  }
}

template <BlendKind Kind, bool Keyed>
void GenericRows(const PixelPipeline& p, const RowSpan& rows) {
  std::uint32_t v = rows.v;
  for (int y = rows.top; y < rows.bottom; ++y, v += rows.dv)
    GenericRow<Kind, Keyed>(p, rows.x, y, rows.count, rows.u, v);
}

PipelineRows ChooseGenericRows(BlendKind kind, bool keyed) {
  if (kind == BlendKind::Copy)
    return keyed ? GenericRows<BlendKind::Copy, true> : GenericRows<BlendKind::Copy, false>;
  return keyed ? GenericRows<BlendKind::SourceAlpha, true> : GenericRows<BlendKind::SourceAlpha, false>;
}

// The first source coordinate (16.16) of a clipped run of `count` pixels
// that lost `offset` pixels at its start, when the whole run stays inside
// the source (`extent` pixels) and within the 32 bits the rows step in.
bool SourceSpan(std::int64_t offset, std::int64_t count, std::int64_t step, std::int32_t first,
                int extent, std::int64_t& start) {
  constexpr std::int64_t most = std::numeric_limits<std::uint32_t>::max();
  // Beyond `most` the run is rejected anyway; stop before 64 bits overflow.
  if (step > 0 && (offset > most / step || count > most / step)) return false;
  start = offset * step + std::int64_t{first} * 65536;
  const std::int64_t end = start + count * step;
  return start >= 0 && (end >> 16) <= extent && end <= most;
}

}  // namespace

void PixelPipeline::Build(const LockedView& destView, const LockedView& sourceView,
                          BlendKind blendKind, int alphaValue, bool keyed,
                          std::uint32_t key, std::uint32_t step, Paths paths) {
  dest = destView;
  source = sourceView;
  kind = blendKind;
  alpha = static_cast<std::uint32_t>(std::clamp(alphaValue, 0, 255));
  transparent = keyed;
  colourKey = key;
  du = step;
  sameFormat = dest.SameFormat(source);
  rows_ = paths == Paths::Best ? render::ChooseSpecialisedRows(*this) : nullptr;
  specialised_ = rows_ != nullptr;
  if (!rows_) rows_ = ChooseGenericRows(kind, transparent);
}

DXRenderer& DXRenderer::Shared() {
  static DXRenderer renderer;
  return renderer;
}

bool DXRenderer::CopyRectBlend(const LockedView& dest, const LockedView& source,
                               const RECT& destRect, const RECT& srcRect, BlendKind kind,
                               int alpha, bool transparent, std::uint32_t colourKey) {
  if (!dest.Usable() || !source.Usable() || destRect.empty()) return false;
  if (srcRect.left < 0 || srcRect.top < 0 || srcRect.right > source.width ||
      srcRect.bottom > source.height || srcRect.empty())
    return false;
  // An indexed destination has no channels to mix, and full weight is a copy.
  if (kind == BlendKind::SourceAlpha) {
    if (alpha <= 0) return false;
    if (alpha >= 255 || dest.kind == ViewKind::Indexed) kind = BlendKind::Copy;
  }

  // Clip the destination rectangle, remembering how much fell off the left
  // and top so the visible part keeps its source pixels. 64 bits: the
  // rectangle may hold any 32-bit values.
  std::int64_t left = destRect.left, top = destRect.top;
  std::int64_t ox = 0, oy = 0;
  if (left < 0) ox = -left, left = 0;
  if (top < 0) oy = -top, top = 0;
  std::int64_t right = std::min<std::int64_t>(destRect.right, dest.width);
  std::int64_t bottom = std::min<std::int64_t>(destRect.bottom, dest.height);
  if (!(right > 0 && right - left > 0 && bottom > 0 && bottom - top > 0)) return false;

  // 16.16 steps from the unclipped rectangles.
  const std::int64_t du = std::int64_t{srcRect.right - srcRect.left} * 65536 /
                          (std::int64_t{destRect.right} - destRect.left);
  const std::int64_t dv = std::int64_t{srcRect.bottom - srcRect.top} * 65536 /
                          (std::int64_t{destRect.bottom} - destRect.top);
  std::int64_t uStart = 0, vStart = 0;
  if (!SourceSpan(ox, right - left, du, srcRect.left, source.width, uStart) ||
      !SourceSpan(oy, bottom - top, dv, srcRect.top, source.height, vStart))
    return false;

  pipeline_.Build(dest, source, kind, alpha, transparent, colourKey,
                  static_cast<std::uint32_t>(du), paths_);
  pipeline_.Run({static_cast<int>(left), static_cast<int>(top), static_cast<int>(bottom),
                 static_cast<int>(right - left), static_cast<std::uint32_t>(uStart),
                 static_cast<std::uint32_t>(vStart), static_cast<std::uint32_t>(dv)});
  return true;
}

}  // namespace corvane
