// The pixel work behind fills and blits, on surfaces that the caller has
// already checked and clipped: every routine here trusts its rectangles.
//
// Each routine has a fast form, specialised by bytes per pixel, and a plain
// reference form that goes pixel by pixel through LoadPixel / StorePixel and
// serves the formats under 8 bits. The fast forms must match the reference
// pixel for pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/WinDef.h"

namespace corvane::platform::ddraw {

struct SurfaceView {
  std::uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t pitch = 0;
  int bitCount = 0;

  std::uint8_t* row(int y) const { return pixels + pitch * y; }
  RECT bounds() const { return {0, 0, width, height}; }
};

// Raw values from low to high, both included, are transparent.
struct KeyRange {
  std::uint32_t low = 0;
  std::uint32_t high = 0;
  bool matches(std::uint32_t raw) const { return raw >= low && raw <= high; }
};

// One blit: `destRect` maps onto `sourceRect` (stretched nearest-neighbour,
// mirrored as asked), and only the pixels of `visible` are drawn; `visible`
// lies inside `destRect` and inside the destination, `sourceRect` inside the
// source. Source and destination must not share memory.
struct BlitJob {
  SurfaceView dest;
  SurfaceView source;
  RECT destRect;
  RECT sourceRect;
  RECT visible;
  bool mirrorX = false;
  bool mirrorY = false;
  std::optional<KeyRange> key;
};

// The source coordinate for destination offset `d` (0 at the destination
// rectangle's start) along one axis: the source pixel under the centre of
// the destination pixel.
inline int SourceCoordinate(int d, int destLength, int sourceStart, int sourceLength,
                            bool mirror) {
  if (mirror) d = destLength - 1 - d;
  if (destLength == sourceLength) return sourceStart + d;
  return sourceStart + static_cast<int>((std::int64_t{2} * d + 1) * sourceLength /
                                        (std::int64_t{2} * destLength));
}

void Fill(const SurfaceView& dest, const RECT& area, std::uint32_t raw);
void FillReference(const SurfaceView& dest, const RECT& area, std::uint32_t raw);
void Blit(const BlitJob& job);
void BlitReference(const BlitJob& job);

}  // namespace corvane::platform::ddraw
