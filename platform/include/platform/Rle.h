// Run-length encoded bitmap rows (8 and 4 bits per pixel), as the bitmap
// format defines them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace corvane::platform {

// Decodes `encoded` into bottom-up rows of `stride` bytes (`height` rows of
// `width` pixels at 8 or 4 bits). Runs, deltas and literal runs that would
// leave the image are clipped: nothing is written outside `pixels`, and
// decoding stops at the end of the bitmap, the end of the data, or above the
// top row. Pixels the data does not reach keep their value.
void DecodeRle(std::span<const std::uint8_t> encoded, int bitCount, int width, int height,
               std::size_t stride, std::span<std::uint8_t> pixels);

}  // namespace corvane::platform
