// Turns a screen picture into PNG bytes, enlarged by a whole factor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace corvane::capture {

// A picture as the screen shows it: 0x00RRGGBB, row after row.
struct ScreenPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// A PNG of `picture`, each pixel drawn as a `scale` × `scale` square: with
// a palette when the picture has at most 256 colours, else 8-bit RGB.
// The same picture always gives the same bytes (no time stamps).
std::vector<std::byte> EncodePng(const ScreenPicture& picture, int scale);

}  // namespace corvane::capture
