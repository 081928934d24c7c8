#pragma once

#include "IndexedImage.h"

namespace corvane::art {

// The logo lies under the whole screen (320 × 240 shown; the bottom 6 rows fall off it).
inline constexpr int LogoWidth = 320;
inline constexpr int LogoHeight = 246;

// Five greys from light to dark; the other entries are black and unused.
inline constexpr std::uint8_t LogoLightest = 0;  // 192
inline constexpr std::uint8_t LogoLight = 1;     // 179
inline constexpr std::uint8_t LogoMiddle = 2;    // 166
inline constexpr std::uint8_t LogoDark = 3;      // 154
inline constexpr std::uint8_t LogoDarkest = 4;   // 141

// Where the page text stands (with its wobble), right and bottom exclusive. Only the two
// lightest greys appear there, so the black letters stay easy to read.
struct LogoRect {
  int left;
  int top;
  int right;
  int bottom;
};
inline constexpr LogoRect LogoTextArea{16, 116, 308, 221};

Palette LogoPalette();

// Draws the logo: a moulded frame round the screen, the name in large chiselled letters on
// a recessed panel at the top, and a quiet light field for the text.
IndexedImage MakeLogo();

}  // namespace corvane::art
