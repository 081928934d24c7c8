// The software renderer behind alpha-blended drawing: locked views of two
// surfaces, and a copy of one rectangle into another that scales (nearest
// pixel), skips colour-keyed pixels and mixes with a constant alpha.
//
// Everything that stays fixed within one call (pixel formats, blend kind,
// colour-key use) is decided before the rows run: the PixelPipeline picks one
// row routine per call. The common same-format pairs (5-6-5 and 32-bit
// 8-8-8) have loops of their own; every other pair goes through the generic
// routine, which the specialised loops must match pixel for pixel.
#pragma once

#include <bit>
#include <cstdint>

#include "platform/DDrawTypes.h"
#include "platform/WinDef.h"

namespace corvane {

enum class ViewKind : std::uint8_t { Indexed, Rgb };

// Copy writes the source pixel; SourceAlpha mixes it with the destination
// pixel by a constant weight from 1 to 254.
enum class BlendKind : std::uint8_t { Copy, SourceAlpha };

// Where one channel sits in a pixel. Decoding brings the channel's bits to
// the top of an 8-bit value (the low bits stay zero); encoding drops the low
// bits again, so decoding then encoding gives back the same pixel.
struct ChannelInfo {
  std::uint32_t mask = 0;  // 0: the channel is absent
  int width = 0;           // bits in the run starting at the lowest set bit
  int low = 0;             // lowest set bit
  int shift = 0;           // low + width - 8; positive: right on decoding

  static constexpr ChannelInfo FromMask(std::uint32_t mask) {
    ChannelInfo c;
    if (mask == 0) return c;
    c.mask = mask;
    c.low = std::countr_zero(mask);
    c.width = std::countr_one(mask >> c.low);
    c.shift = c.low + c.width - 8;
    return c;
  }

  std::uint32_t Decode(std::uint32_t pixel) const {
    std::uint32_t bits = pixel & mask;
    return shift >= 0 ? bits >> shift : bits << -shift;
  }
  std::uint32_t Encode(std::uint32_t value) const {
    return (shift >= 0 ? value << shift : value >> -shift) & mask;
  }
  friend bool operator==(const ChannelInfo&, const ChannelInfo&) = default;
};

// A surface as a Lock describes it, for the time of one drawing call. A view
// never has an alpha channel; an indexed view has only its index channel.
struct LockedView {
  ViewKind kind = ViewKind::Rgb;
  int width = 0;
  int height = 0;
  int bits = 0;
  std::int32_t pitch = 0;  // bytes from one row to the next, may be negative
  std::uint8_t* pixels = nullptr;
  ChannelInfo red, green, blue;
  ChannelInfo index;

  static LockedView FromDesc(const platform::DDSURFACEDESC2& desc);

  // Pixels to draw on: a size, a pixel address and a bit count the
  // renderer reads and writes (1, 2, 4 or 8 indexed; 8 to 32 RGB).
  bool Usable() const;
  // Same kind and same channel masks: stored values can be moved unchanged.
  bool SameFormat(const LockedView& other) const;
  std::uint8_t* Row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * pitch; }
};

// The destination rows of one call: `count` pixels from `x` in each row from
// `top` to `bottom` - 1; source column u >> 16 for the first pixel of a row,
// then u += du per pixel; source row v >> 16 for the first row, then v += dv
// per row.
struct RowSpan {
  int x, top, bottom, count;
  std::uint32_t u, v, dv;
};

class PixelPipeline;
using PipelineRows = void (*)(const PixelPipeline& pipeline, const RowSpan& rows);

// The per-pixel work of one CopyRectBlend: fetch the nearest source pixel,
// test the colour key on its stored value, then copy or blend it into the
// destination. Build decides the routine; Run draws the rows with it.
class PixelPipeline {
 public:
  // Which routines Build may pick; the generic one is the reference that
  // the specialised loops are checked against.
  enum class Paths : std::uint8_t { Best, GenericOnly };

  // `kind` SourceAlpha wants alpha from 1 to 254. The routine is specialised
  // when both views share a format with a loop of its own.
  void Build(const LockedView& dest, const LockedView& source, BlendKind kind, int alpha,
             bool transparent, std::uint32_t colourKey, std::uint32_t du, Paths paths);
  void Run(const RowSpan& rows) const { rows_(*this, rows); }
  bool Specialised() const { return specialised_; }

  // The routines read these.
  LockedView dest;
  LockedView source;
  BlendKind kind = BlendKind::Copy;
  std::uint32_t alpha = 0;
  bool transparent = false;
  std::uint32_t colourKey = 0;
  std::uint32_t du = 0;
  bool sameFormat = false;

 private:
  PipelineRows rows_ = nullptr;
  bool specialised_ = false;
};

// Blends SrcRect of `source`, scaled to DestRect, into `dest`. The source
// rectangle must lie inside the source (it is never clipped); the
// destination rectangle is clipped to the destination, starting from the
// source pixels it would have used unclipped. Answers whether anything was
// drawn (false for invalid input).
class DXRenderer {
 public:
  explicit DXRenderer(PixelPipeline::Paths paths = PixelPipeline::Paths::Best) : paths_(paths) {}

  // The one renderer that drawing calls share; made on first use and kept.
  // Not re-entrant: it holds the pipeline of the call in progress.
  static DXRenderer& Shared();

  bool CopyRectBlend(const LockedView& dest, const LockedView& source,
                     const platform::RECT& destRect, const platform::RECT& srcRect, BlendKind kind,
                     int alpha, bool transparent, std::uint32_t colourKey);

  // The pipeline of the last call (for checking which routine it took).
  const PixelPipeline& Pipeline() const { return pipeline_; }

 private:
  PixelPipeline::Paths paths_;
  PixelPipeline pipeline_;
};

}  // namespace corvane
