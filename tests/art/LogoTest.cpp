#include "Logo.h"

#include <gtest/gtest.h>

#include <array>

#include "LogoShapes.h"
#include "Relief.h"

namespace corvane::art {
namespace {

const IndexedImage& TheLogo() {
  static const IndexedImage logo = MakeLogo();
  return logo;
}

std::array<int, 16> Histogram(const IndexedImage& image, int left, int top, int right, int bottom) {
  std::array<int, 16> counts{};
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) ++counts[image.at(x, y)];
  }
  return counts;
}

TEST(Logo, HasTheSizeAndGreysTheIntroExpects) {
  const IndexedImage& logo = TheLogo();
  EXPECT_EQ(logo.width(), 320);
  EXPECT_EQ(logo.height(), 246);
  const std::array<std::uint8_t, 5> greys{192, 179, 166, 154, 141};
  for (std::size_t i = 0; i < 16; ++i) {
    const std::uint8_t level = i < greys.size() ? greys[i] : 0;
    EXPECT_EQ(logo.palette()[i], (ColorEntry{level, level, level, 0})) << i;
  }
}

TEST(Logo, UsesOnlyTheFiveGreys) {
  const std::array<int, 16> counts = Histogram(TheLogo(), 0, 0, LogoWidth, LogoHeight);
  for (std::size_t i = 5; i < counts.size(); ++i) EXPECT_EQ(counts[i], 0) << i;
  for (std::size_t i = 0; i < 5; ++i) EXPECT_GT(counts[i], 0) << i;
}

TEST(Logo, TextFieldIsLightAndCalm) {
  const LogoRect& area = LogoTextArea;
  const std::array<int, 16> counts = Histogram(TheLogo(), area.left, area.top, area.right, area.bottom);
  for (std::size_t i = 2; i < counts.size(); ++i) EXPECT_EQ(counts[i], 0) << i;
  // Mostly the lightest grey: the pattern must not crowd the letters.
  EXPECT_GT(counts[LogoLightest], 10 * counts[LogoLight]);
}

// Every letter cell of a page, moved by its one-pixel wobble, lies inside the text field.
TEST(Logo, TextFieldCoversEveryLetterPosition) {
  for (int row = 1; row <= 6; ++row) {
    for (int column = 1; column <= 17; ++column) {
      for (int wobble : {-1, 1}) {
        const int left = column * 17;
        const int top = row * 17 + 100 + wobble;
        EXPECT_GE(left, LogoTextArea.left);
        EXPECT_LE(left + 17, LogoTextArea.right);
        EXPECT_GE(top, LogoTextArea.top);
        EXPECT_LE(top + 17, LogoTextArea.bottom);
      }
    }
  }
}

// The name stands out in the upper part: strong light and dark bevels, all five greys.
TEST(Logo, TitleUsesTheWholeRange) {
  const std::array<int, 16> counts = Histogram(TheLogo(), 0, 0, LogoWidth, LogoTextArea.top - 10);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_GT(counts[i], 500) << i;
}

TEST(Logo, IsTheSameEveryTime) { EXPECT_EQ(MakeLogo().pixels(), TheLogo().pixels()); }

struct CoverageCase {
  const char* what;
  Shape shape;
  int x;
  int y;
  double coverage;
};

void PrintTo(const CoverageCase& c, std::ostream* os) { *os << c.what; }

class ShapeCoverage : public testing::TestWithParam<CoverageCase> {};

TEST_P(ShapeCoverage, SamplesTheRightShare) {
  const CoverageCase& c = GetParam();
  EXPECT_DOUBLE_EQ(Coverage(c.shape, c.x, c.y), c.coverage) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShapeCoverage,
    testing::Values(CoverageCase{"inside a rectangle", Rect(2, 2, 6, 6), 3, 3, 1.0},
                    CoverageCase{"right edge excluded", Rect(2, 2, 6, 6), 6, 3, 0.0},
                    CoverageCase{"half a pixel", Rect(2, 2, 6.5, 6), 6, 3, 0.5},
                    CoverageCase{"rounded corner cut", RoundedRect(0, 0, 20, 20, 8), 0, 0, 0.0},
                    CoverageCase{"rounded edge kept", RoundedRect(0, 0, 20, 20, 8), 0, 10, 1.0},
                    CoverageCase{"triangle below its diagonal", Polygon({{0, 0}, {8, 0}, {0, 8}}), 1, 1, 1.0},
                    CoverageCase{"triangle past its diagonal", Polygon({{0, 0}, {8, 0}, {0, 8}}), 6, 6, 0.0},
                    CoverageCase{"hole of a difference", Difference(Rect(0, 0, 9, 9), Rect(3, 3, 6, 6)), 4, 4, 0.0},
                    CoverageCase{"ring of a difference", Difference(Rect(0, 0, 9, 9), Rect(3, 3, 6, 6)), 1, 4, 1.0},
                    CoverageCase{"moved shape", Translated(Rect(0, 0, 1, 1), 5, 7), 5, 7, 1.0},
                    CoverageCase{"unknown title letter", TitleLetter('Z', 30, 60, 10), 5, 5, 0.0}),
    [](const testing::TestParamInfo<CoverageCase>& info) { return "Case" + std::to_string(info.index); });

TEST(TitleLetters, HaveTheirCounters) {
  // O, A and R enclose white; C is open on the right; E's arms reach the right edge.
  EXPECT_EQ(Coverage(TitleLetter('O', 34, 60, 11), 17, 30), 0.0);
  EXPECT_EQ(Coverage(TitleLetter('O', 34, 60, 11), 32, 30), 1.0);
  EXPECT_EQ(Coverage(TitleLetter('C', 34, 60, 11), 32, 30), 0.0);
  EXPECT_EQ(Coverage(TitleLetter('E', 34, 60, 11), 32, 2), 1.0);
  EXPECT_EQ(Coverage(TitleLetter('V', 34, 60, 11), 17, 58), 1.0);
  EXPECT_EQ(Coverage(TitleLetter('A', 34, 60, 11), 17, 1), 1.0);
}

TEST(Relief, RisesFromTheEdgeToTheBevelWidth) {
  const Relief relief(Rect(10, 10, 30, 30), {0, 0, 40, 40}, 4.0);
  EXPECT_FALSE(relief.covers(9, 20));
  EXPECT_EQ(relief.height(9, 20), 0.0);
  ASSERT_TRUE(relief.covers(10, 20));
  double previous = 0.0;
  for (int x = 10; x < 20; ++x) {
    EXPECT_GE(relief.height(x, 20), previous) << x;
    EXPECT_DOUBLE_EQ(relief.height(x, 20), relief.height(39 - x, 20)) << x;  // mirror image
    previous = relief.height(x, 20);
  }
  EXPECT_LT(relief.height(10, 20), 1.0);
  EXPECT_DOUBLE_EQ(relief.height(20, 20), 4.0);
  EXPECT_FALSE(relief.covers(45, 20));  // outside the sampled bounds
}

}  // namespace
}  // namespace corvane::art
