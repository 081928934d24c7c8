// What the intro's screen should show, made here from the sources of the
// art (the glyph text and the stored logo) rather than from the intro's own
// pictures: the logo, and the letters at full strength at the places the
// rows' wave gives them. Exact for the window's 32-bit picture.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "GlyphSheet.h"
#include "GlyphSource.h"
#include "PageText.h"
#include "graphics/DIB.h"

namespace corvane::test {

// The row wave by row, as the intro's table gives it: 1, 1, 1, 0, 0, -1,
// -1, -1, 0 over and over.
inline int Wave(int index) {
  static constexpr int kWave[] = {1, 1, 1, 0, 0, -1, -1, -1, 0};
  return kWave[(index - 1) % 9];
}

// The wave's phase in animation frame m (from 1): 2, 4, ..., 18 for the first
// nine frames, then the odd values 1 to 19 over and over.
inline int PhaseAt(int m) { return m <= 9 ? 2 * m : 2 * ((m - 10) % 10) + 1; }

// The glyph grids of the sheet's source, by the character they show.
inline const std::map<char, art::GlyphGrid>& Glyphs() {
  static const std::map<char, art::GlyphGrid> glyphs = [] {
    std::ifstream in(CORVANE_GLYPH_SOURCE, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::map<char, art::GlyphGrid> byName;
    for (const art::GlyphGrid& grid : art::ParseGlyphSource(text.str())) byName[grid.name] = grid;
    return byName;
  }();
  return glyphs;
}

// The glyph a text character shows: lower-case letters and capitals the
// same shape; none for a space or a character the sheet lacks.
inline const art::GlyphGrid* GlyphOf(char ch) {
  if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  auto it = Glyphs().find(ch);
  return it == Glyphs().end() ? nullptr : &it->second;
}

inline std::uint32_t Rgb(const platform::RGBQUAD& q) {
  return (std::uint32_t{q.rgbRed} << 16) | (std::uint32_t{q.rgbGreen} << 8) | q.rgbBlue;
}

// The stored logo's top 240 rows as 0x00RRGGBB.
inline std::vector<std::uint32_t> LogoScreen(TDIB& logo) {
  std::vector<std::uint32_t> screen(320 * 240);
  for (int y = 0; y < 240; ++y) {
    const std::uint8_t* row = logo.ScanLine(y);
    for (int x = 0; x < 320; ++x) {
      int index = (x % 2 == 0) ? row[x / 2] >> 4 : row[x / 2] & 15;
      screen[static_cast<std::size_t>(y * 320 + x)] = Rgb(logo.ColorTable[static_cast<std::size_t>(index)]);
    }
  }
  return screen;
}

// A letter pixel of grey `level` over the 32-bit colour `under` with the
// given alpha (1 to 254): red and green weigh by 255, blue by 256.
inline std::uint32_t Blend(int level, std::uint32_t under, int alpha) {
  auto weigh = [&](int shift, int total) {
    int c2 = static_cast<int>((under >> shift) & 255);
    return static_cast<std::uint32_t>((level * alpha + c2 * (total - alpha)) >> 8) << shift;
  };
  return weigh(16, 255) | weigh(8, 255) | weigh(0, 256);
}

// The logo with the six lines over it with the given alpha, the rows placed
// by the wave's phase.
inline std::vector<std::uint32_t> PageScreen(TDIB& logo, const std::array<std::string, 6>& lines, int phase,
                                             int alpha = 255) {
  static const art::Palette sheetPalette = art::GlyphSheetPalette();
  std::vector<std::uint32_t> screen = LogoScreen(logo);
  if (alpha <= 0) return screen;
  for (int r = 1; r <= 6; ++r) {
    int w = Wave(phase + r);
    for (int c = 1; c <= 17; ++c) {
      const art::GlyphGrid* glyph = GlyphOf(lines[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)]);
      if (!glyph) continue;
      int top = r * 17 + 100 + (c % 2 ? -w : w), left = c * 17;
      for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 17; ++x) {
          // The sheet's white is transparent; its other entries are greys.
          const std::uint8_t index = art::SheetIndexOf(glyph->at(x, y));
          if (index == art::SheetWhite) continue;
          std::uint32_t& pixel = screen[static_cast<std::size_t>((top + y) * 320 + left + x)];
          int level = sheetPalette[index].red;
          pixel = alpha >= 255 ? static_cast<std::uint32_t>(level * 0x010101) : Blend(level, pixel, alpha);
        }
    }
  }
  return screen;
}

// The lines of page `page` of the intro's text table.
inline std::array<std::string, 6> PageLinesOf(int page) {
  std::array<std::string, 6> lines;
  for (int r = 1; r <= 6; ++r) lines[static_cast<std::size_t>(r - 1)] = PageLineText(page * 6 + r);
  return lines;
}

// The first place where two pictures differ, for a readable failure.
inline std::string FirstDifference(const std::vector<std::uint32_t>& got, const std::vector<std::uint32_t>& want) {
  if (got.size() != want.size()) return "sizes differ";
  for (std::size_t i = 0; i < got.size(); ++i)
    if (got[i] != want[i]) {
      char text[96];
      std::snprintf(text, sizeof text, "first difference at (%zu, %zu): %06X, expected %06X", i % 320, i / 320,
                    got[i], want[i]);
      return text;
    }
  return "";
}

}  // namespace corvane::test
