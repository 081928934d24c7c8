#include "Blit.h"

#include <cstring>
#include <vector>

#include "platform/PixelFormat.h"

namespace corvane::platform::ddraw {

namespace {

// Whole-byte pixels: the first row is written pixel by pixel, the others are
// copies of it.
template <int Bits>
void FillRows(const SurfaceView& dest, const RECT& area, std::uint32_t raw) {
  constexpr std::size_t bytes = Bits / 8;
  const std::size_t offset = static_cast<std::size_t>(area.left) * bytes;
  const std::size_t length = static_cast<std::size_t>(area.width()) * bytes;
  std::uint8_t* first = dest.row(area.top);
  if constexpr (Bits == 8) {
    std::memset(first + offset, static_cast<int>(raw & 0xFF), length);
  } else {
    for (int x = area.left; x < area.right; ++x) StorePixel(first, x, Bits, raw);
  }
  for (int y = area.top + 1; y < area.bottom; ++y)
    std::memcpy(dest.row(y) + offset, first + offset, length);
}

// The source column of every visible destination column, kept between blits
// so that the per-frame path allocates nothing once warm.
const int* ColumnMap(const BlitJob& job) {
  thread_local std::vector<int> columns;
  columns.resize(static_cast<std::size_t>(job.visible.width()));
  for (int x = job.visible.left; x < job.visible.right; ++x)
    columns[static_cast<std::size_t>(x - job.visible.left)] =
        SourceCoordinate(x - job.destRect.left, job.destRect.width(), job.sourceRect.left,
                         job.sourceRect.width(), job.mirrorX);
  return columns.data();
}

template <int Bits, bool Keyed>
void BlitRows(const BlitJob& job) {
  constexpr std::size_t bytes = Bits / 8;
  const int* columns = ColumnMap(job);
  const int width = job.visible.width();
  const bool straight = !Keyed && !job.mirrorX && job.destRect.width() == job.sourceRect.width();
  for (int y = job.visible.top; y < job.visible.bottom; ++y) {
    int sy = SourceCoordinate(y - job.destRect.top, job.destRect.height(), job.sourceRect.top,
                              job.sourceRect.height(), job.mirrorY);
    const std::uint8_t* in = job.source.row(sy);
    std::uint8_t* out = job.dest.row(y);
    if (straight) {
      std::memcpy(out + static_cast<std::size_t>(job.visible.left) * bytes,
                  in + static_cast<std::size_t>(columns[0]) * bytes,
                  static_cast<std::size_t>(width) * bytes);
      continue;
    }
    for (int i = 0; i < width; ++i) {
      std::uint32_t raw = LoadPixel(in, columns[i], Bits);
      if constexpr (Keyed) {
        if (job.key->matches(raw)) continue;
      }
      StorePixel(out, job.visible.left + i, Bits, raw);
    }
  }
}

template <int Bits>
void BlitFormat(const BlitJob& job) {
  if (job.key)
    BlitRows<Bits, true>(job);
  else
    BlitRows<Bits, false>(job);
}

}  // namespace

void FillReference(const SurfaceView& dest, const RECT& area, std::uint32_t raw) {
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) StorePixel(dest.row(y), x, dest.bitCount, raw);
}

void Fill(const SurfaceView& dest, const RECT& area, std::uint32_t raw) {
  if (area.empty()) return;
  switch (dest.bitCount) {
    case 8: return FillRows<8>(dest, area, raw);
    case 16: return FillRows<16>(dest, area, raw);
    case 24: return FillRows<24>(dest, area, raw);
    case 32: return FillRows<32>(dest, area, raw);
    default: return FillReference(dest, area, raw);
  }
}

void BlitReference(const BlitJob& job) {
  for (int y = job.visible.top; y < job.visible.bottom; ++y) {
    int sy = SourceCoordinate(y - job.destRect.top, job.destRect.height(), job.sourceRect.top,
                              job.sourceRect.height(), job.mirrorY);
    for (int x = job.visible.left; x < job.visible.right; ++x) {
      int sx = SourceCoordinate(x - job.destRect.left, job.destRect.width(), job.sourceRect.left,
                                job.sourceRect.width(), job.mirrorX);
      std::uint32_t raw = LoadPixel(job.source.row(sy), sx, job.source.bitCount);
      if (job.key && job.key->matches(raw)) continue;
      StorePixel(job.dest.row(y), x, job.dest.bitCount, raw);
    }
  }
}

void Blit(const BlitJob& job) {
  if (job.visible.empty()) return;
  switch (job.dest.bitCount) {
    case 8: return BlitFormat<8>(job);
    case 16: return BlitFormat<16>(job);
    case 24: return BlitFormat<24>(job);
    case 32: return BlitFormat<32>(job);
    default: return BlitReference(job);
  }
}

}  // namespace corvane::platform::ddraw
