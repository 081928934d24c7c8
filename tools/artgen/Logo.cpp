#include "Logo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "LogoShapes.h"
#include "Relief.h"

namespace corvane::art {
namespace {

constexpr std::string_view TitleText = "CORVANE";
constexpr double LetterWidth = 34;
constexpr double LetterHeight = 60;
constexpr double LetterStroke = 11;
constexpr double LetterGap = 7;
constexpr int TitleTop = 24;
constexpr double BevelWidth = 4;
constexpr int ShadowOffset = 3;
constexpr LogoRect TitlePanel{10, 12, 310, 100};
// The part of the logo on screen; its last 6 rows fall below the 240-row screen.
constexpr LogoRect Screen{0, 0, 320, 240};
// A groove cut round the text field, just outside where the letters stand.
constexpr LogoRect TextGroove{LogoTextArea.left - 6, LogoTextArea.top - 10, LogoTextArea.right + 2,
                              LogoTextArea.bottom + 7};

Shape TitleShape() {
  std::vector<Shape> letters;
  const double total = TitleText.size() * LetterWidth + (TitleText.size() - 1) * LetterGap;
  double left = std::round((LogoWidth - total) / 2);
  for (char c : TitleText) {
    letters.push_back(Translated(TitleLetter(c, LetterWidth, LetterHeight, LetterStroke), left, TitleTop));
    left += LetterWidth + LetterGap;
  }
  return Union(std::move(letters));
}

// Light comes from the top-left: a slope that falls toward the top-left is lit, one that
// falls toward the bottom-right lies in shade, the flat top of a stroke is plain.
std::uint8_t ReliefShade(const Relief& relief, int x, int y) {
  const auto h = [&](int dx, int dy) { return relief.height(x + dx, y + dy); };
  // Sobel: the slope over a 3 × 3 neighbourhood.
  const double gx = (h(1, -1) + 2 * h(1, 0) + h(1, 1)) - (h(-1, -1) + 2 * h(-1, 0) + h(-1, 1));
  const double gy = (h(-1, 1) + 2 * h(0, 1) + h(1, 1)) - (h(-1, -1) + 2 * h(0, -1) + h(1, -1));
  const double length = std::sqrt(gx * gx + gy * gy);
  if (length < 2.0) return LogoLight;
  const double facing = (gx + gy) / (length * std::sqrt(2.0));
  if (facing > 0.38) return LogoLightest;
  if (facing < -0.38) return LogoDark;
  return LogoMiddle;
}

// The quiet ground: a sparse diagonal lattice of the second grey on the lightest one.
void PaintGround(IndexedImage& logo) {
  for (int y = 0; y < LogoHeight; ++y) {
    for (int x = 0; x < LogoWidth; ++x) {
      const bool lattice = (x + y) % 8 == 0 && (x - y + 800) % 16 == 0;
      logo.set(x, y, lattice ? LogoLight : LogoLightest);
    }
  }
}

// A bevelled band: ring i (from the outside) takes litShades[i] on its top and left sides
// and shadedShades[i] on its bottom and right sides; corners split on the diagonal.
template <std::size_t N>
void PaintMoulding(IndexedImage& logo, const LogoRect& r, const std::array<std::uint8_t, N>& litShades,
                   const std::array<std::uint8_t, N>& shadedShades) {
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const int toTopLeft = std::min(x - r.left, y - r.top);
      const int toBottomRight = std::min(r.right - 1 - x, r.bottom - 1 - y);
      const int ring = std::min(toTopLeft, toBottomRight);
      if (ring >= static_cast<int>(N)) continue;
      const bool lit = toTopLeft < toBottomRight || (toTopLeft == toBottomRight && x - r.left < y - r.top);
      logo.put(x, y, lit ? litShades[static_cast<std::size_t>(ring)] : shadedShades[static_cast<std::size_t>(ring)]);
    }
  }
}

void PaintTitlePanel(IndexedImage& logo) {
  const LogoRect& p = TitlePanel;
  for (int y = p.top; y < p.bottom; ++y) {
    for (int x = p.left; x < p.right; ++x) logo.set(x, y, (x + y) % 4 == 0 ? LogoDarkest : LogoDark);
  }
  PaintMoulding<2>(logo, p, {LogoDarkest, LogoDark}, {LogoLightest, LogoLight});
}

// True when the letters, shifted 1 to ShadowOffset pixels down and right, cover (x, y).
bool InShadow(const Relief& relief, int x, int y) {
  for (int d = 1; d <= ShadowOffset; ++d) {
    if (relief.covers(x - d, y - d)) return true;
  }
  return false;
}

void PaintTitle(IndexedImage& logo) {
  const Relief relief(TitleShape(), {TitlePanel.left, TitlePanel.top, TitlePanel.right, TitlePanel.bottom}, BevelWidth);
  for (int y = TitlePanel.top; y < TitlePanel.bottom; ++y) {
    for (int x = TitlePanel.left; x < TitlePanel.right; ++x) {
      if (relief.covers(x, y)) {
        logo.set(x, y, ReliefShade(relief, x, y));
      } else if (InShadow(relief, x, y)) {
        logo.set(x, y, LogoDarkest);
      }
    }
  }
}

}  // namespace

Palette LogoPalette() {
  Palette palette;
  palette.fill(Grey(0));
  const std::array<std::uint8_t, 5> greys{192, 179, 166, 154, 141};
  for (std::size_t i = 0; i < greys.size(); ++i) palette[i] = Grey(greys[i]);
  return palette;
}

IndexedImage MakeLogo() {
  IndexedImage logo(LogoWidth, LogoHeight, LogoPalette(), LogoLightest);
  PaintGround(logo);
  logo.fillRect(0, Screen.bottom, LogoWidth, LogoHeight, LogoDarkest);
  // The screen frame, outside in: a dark rim, a lit rounded crest, a flat band, then a
  // slope down into the field.
  PaintMoulding<7>(logo, Screen,
                   {LogoDarkest, LogoLightest, LogoLightest, LogoMiddle, LogoMiddle, LogoDark, LogoDarkest},
                   {LogoDarkest, LogoDark, LogoDark, LogoMiddle, LogoMiddle, LogoLightest, LogoLight});
  // A groove: its upper-left wall lies in shade, the opposite wall catches the light.
  PaintMoulding<2>(logo, TextGroove, {LogoDark, LogoLightest}, {LogoLightest, LogoDark});
  PaintTitlePanel(logo);
  PaintTitle(logo);
  return logo;
}

}  // namespace corvane::art
