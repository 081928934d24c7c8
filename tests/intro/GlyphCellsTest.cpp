// Page layout and the per-frame bookkeeping of the letters, without a
// display: pictures that are not bound draw nothing, so only the cells and
// the page state are looked at here.
#include <gtest/gtest.h>

#include <cstring>

#include "GlyphCells.h"
#include "IntroScreen.h"
#include "PageText.h"

namespace corvane::test {
namespace {

class PageCells : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPageText();
    ResetGlyphCells();
    for (int i = 0; i < GlyphAlphabetSize + 1; ++i) pictures_.Add();
  }
  void TearDown() override {
    ResetPageText();
    ResetGlyphCells();
  }
  void setLine(int line, const char* text) {
    ASSERT_EQ(std::strlen(text), 17u);
    std::memcpy(PageText[static_cast<std::size_t>(line - 1)].data(), text, 17);
  }
  void frame() { AnimateCells(pictures_, nullptr); }
  void frames(int count) {
    for (int i = 0; i < count; ++i) frame();
  }

  TPictureCollection pictures_;
};

struct GlyphCase {
  char ch;
  std::int32_t picture;
};

TEST(GlyphAlphabet, GivesEachCharacterItsPicture) {
  const GlyphCase cases[] = {
      {'a', 1},  {'e', 5},  {'g', 6},  {'f', 7},  {'h', 8},  {'z', 26}, {'1', 27}, {'9', 35},
      {'0', 36}, {'!', 37}, {':', 38}, {'.', 39}, {',', 40}, {'+', 41}, {'-', 42}, {'?', 43},
      {' ', 44},
      // Capitals share the shape of their lower-case letter.
      {'A', 1},  {'G', 6},  {'F', 7},  {'Z', 26},
      // Anything else holds its place with the blank tile.
      {'"', 44}, {'~', 44}, {'\t', 44}, {'\0', 44}, {static_cast<char>(0xE4), 44}, {'@', 44}, {'[', 44},
  };
  for (const GlyphCase& c : cases) EXPECT_EQ(GlyphPicture(c.ch), c.picture) << "character " << int(c.ch);
  EXPECT_EQ(GlyphAlphabet(45), ' ') << "the second space is never found";
}

TEST(WobbleTable, RepeatsTheNineStepWaveEightTimes) {
  for (int i = 1; i <= WobbleTableSize; ++i) EXPECT_EQ(WobbleTable(i), Wave(i)) << i;
}

TEST_F(PageCells, LaysOutEveryCharacterAtItsRowAndColumn) {
  const char* line = "Hello, \"World\"~ x";
  setLine(1, line);
  LayoutPage(0);
  for (int c = 1; c <= 17; ++c) {
    const GlyphCell& cell = GlyphCells[c];
    EXPECT_EQ(cell.x, c * 17);
    EXPECT_EQ(cell.y, 17);
    EXPECT_EQ(cell.width, 17);
    EXPECT_EQ(cell.height, 17);
    EXPECT_EQ(cell.alpha, 255);
    EXPECT_EQ(cell.character, line[c - 1]);
    EXPECT_EQ(cell.pictureNumber, GlyphPicture(line[c - 1])) << c;
  }
  EXPECT_EQ(GlyphCells[1].pictureNumber, 8) << "H as h";
  EXPECT_EQ(GlyphCells[8].pictureNumber, 44) << "the quote holds its column";
  EXPECT_EQ(GlyphCells[9].pictureNumber, 23) << "W as w, in column 9";
  EXPECT_EQ(GlyphCells[17].pictureNumber, 24) << "x still in the last column";
  // Row 6 of page 0 is cell 86 onwards.
  EXPECT_EQ(GlyphCells[86].y, 6 * 17);
  EXPECT_EQ(GlyphCells[102].x, 17 * 17);
  EXPECT_EQ(GlyphCells[103].alpha, 0) << "cells after the page stay untouched";
}

TEST_F(PageCells, LaysOutNothingForAPageOutsideTheTable) {
  LayoutPage(10);
  LayoutPage(-1);
  EXPECT_EQ(GlyphCells[1].alpha, 0);
}

// The page state frame by frame, animation frame m from 1 (the first page
// was laid out at start); three pages in the cycle.
struct TraceRow {
  int m;
  std::int32_t timer, page, phase, alpha;
};

TEST_F(PageCells, CountsFadesAndTurnsThePagesFrameByFrame) {
  PageCount = 3;
  LayoutPage(0);
  const TraceRow trace[] = {
      {1, 1, 0, 2, 255},     // the first frame: full strength, phase 2
      {9, 9, 0, 18, 255},    // the even phases end at 18
      {10, 10, 0, 1, 255},   // then the odd ones from 1
      {19, 19, 0, 19, 255},
      {20, 20, 0, 1, 255},
      {170, 170, 0, 1, 255},
      {171, 171, 0, 3, 241},  // the fade: 14 a frame
      {172, 172, 0, 5, 227},
      {188, 188, 0, 17, 3},
      {189, 189, 0, 19, -11},  // gone, and no floor
      {200, 200, 0, 1, -165},
      {201, 0, 1, 3, 255},    // page 1 laid out and shown at once
      {371, 170, 1, 3, 255},
      {372, 171, 1, 5, 241},
      {402, 0, 2, 5, 255},
      {603, 0, 0, 7, 255},    // back to the first page; the fourth never shows
      {804, 0, 1, 9, 255},
  };
  int m = 0;
  for (const TraceRow& row : trace) {
    frames(row.m - m);
    m = row.m;
    SCOPED_TRACE("animation frame " + std::to_string(m));
    EXPECT_EQ(PageTimer, row.timer);
    EXPECT_EQ(CurrentPage, row.page);
    EXPECT_EQ(WobblePhase, row.phase);
    EXPECT_EQ(WobblePhase, PhaseAt(m));
    for (int n = 1; n <= CellsPerPage; ++n) ASSERT_EQ(GlyphCells[n].alpha, row.alpha) << "cell " << n;
    EXPECT_EQ(GlyphCells[1].character, PageText[static_cast<std::size_t>(row.page * 6)][0]);
  }
}

TEST_F(PageCells, MovesRowsByOnePixelAtMostNeighboursOpposite) {
  LayoutPage(0);
  for (int m = 1; m <= 60; ++m) {
    frame();
    ASSERT_GE(WobblePhase + 1, 2);
    ASSERT_LE(WobblePhase + 6, 25) << "the wave is read within indexes 2 to 25";
    for (int r = 1; r <= 6; ++r) {
      const int top = 100 + 17 * r;  // 117, 134, ..., 202
      const int w = Wave(PhaseAt(m) + r);
      for (int c = 1; c <= 17; ++c) {
        const int y = GlyphCells[(r - 1) * 17 + c].y;
        ASSERT_LE(std::abs(y - top), 1);
        ASSERT_EQ(y, c % 2 ? top - w : top + w) << "frame " << m << " row " << r << " column " << c;
        if (c > 1) {
          ASSERT_EQ(y - top, -(GlyphCells[(r - 1) * 17 + c - 1].y - top)) << "neighbours move apart";
        }
      }
    }
  }
}

TEST_F(PageCells, ASinglePageIsLaidOutAgainEachCycle) {
  PageCount = 1;
  LayoutPage(0);
  frames(201);
  EXPECT_EQ(CurrentPage, 0);
  EXPECT_EQ(GlyphCells[1].alpha, 255);
}

TEST_F(PageCells, APageCountLoweredUnderThePageShownReturnsToTheFirst) {
  PageCount = 4;
  LayoutPage(0);
  frames(201 * 3);
  ASSERT_EQ(CurrentPage, 3);
  PageCount = 2;
  frames(201);
  EXPECT_EQ(CurrentPage, 0);
}

}  // namespace
}  // namespace corvane::test
