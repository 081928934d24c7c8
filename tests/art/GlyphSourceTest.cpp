#include "GlyphSource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane::art {
namespace {

// `count` grid rows, each `row` (17 white pixels unless given).
std::string Rows(int count, const std::string& row = std::string(17, '.')) {
  std::string text;
  for (int i = 0; i < count; ++i) text += row + "\n";
  return text;
}

std::string Glyph(char name, const std::string& grid = Rows(17)) { return std::string("glyph ") + name + "\n" + grid; }

TEST(GlyphSource, ReadsGlyphsWithTheirLinesAndPixels) {
  std::string grid = Rows(3) + "#+..............#\n" + Rows(13);
  const std::string text = "; a comment\n\n" + Glyph('A', grid) + "\n; between\n" + Glyph('?');
  const std::vector<GlyphGrid> glyphs = ParseGlyphSource(text);
  ASSERT_EQ(glyphs.size(), 2u);
  EXPECT_EQ(glyphs[0].name, 'A');
  EXPECT_EQ(glyphs[0].line, 3);
  EXPECT_EQ(glyphs[0].at(0, 3), GlyphPixel::Black);
  EXPECT_EQ(glyphs[0].at(1, 3), GlyphPixel::Edge);
  EXPECT_EQ(glyphs[0].at(2, 3), GlyphPixel::White);
  EXPECT_EQ(glyphs[0].at(16, 3), GlyphPixel::Black);
  EXPECT_EQ(glyphs[0].at(0, 4), GlyphPixel::White);
  EXPECT_EQ(glyphs[1].name, '?');
  EXPECT_EQ(glyphs[1].line, 23);
}

TEST(GlyphSource, ToleratesCarriageReturnsTrailingBlanksAndNoFinalLineEnd) {
  std::string text = "glyph B\r\n";
  for (int i = 0; i < 16; ++i) text += std::string(17, '#') + " \r\n";
  text += std::string(17, '#');
  const std::vector<GlyphGrid> glyphs = ParseGlyphSource(text);
  ASSERT_EQ(glyphs.size(), 1u);
  EXPECT_EQ(glyphs[0].at(16, 16), GlyphPixel::Black);
}

TEST(GlyphSource, EmptyTextHasNoGlyphs) { EXPECT_TRUE(ParseGlyphSource("\n; nothing\n").empty()); }

struct MalformedCase {
  const char* what;
  std::string text;
  int line;
  const char* message;
};

void PrintTo(const MalformedCase& c, std::ostream* os) { *os << c.what; }

class GlyphSourceMalformed : public testing::TestWithParam<MalformedCase> {};

TEST_P(GlyphSourceMalformed, NamesTheLineAndTheFault) {
  const MalformedCase& c = GetParam();
  try {
    ParseGlyphSource(c.text);
    FAIL() << "accepted " << c.what;
  } catch (const GlyphSourceError& e) {
    EXPECT_EQ(e.line(), c.line) << e.what();
    EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    EXPECT_EQ(std::string(e.what()).rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GlyphSourceMalformed,
    testing::Values(
        MalformedCase{"a grid without header", Rows(17), 1, "expected a header"},
        MalformedCase{"a header misspelt", "glyf A\n" + Rows(17), 1, "expected a header"},
        MalformedCase{"a header naming two characters", "glyph AB\n" + Rows(17), 1, "exactly one"},
        MalformedCase{"a header naming a blank", "glyph  \n" + Rows(17), 1, "expected a header"},
        MalformedCase{"a short row", "glyph A\n" + Rows(2) + std::string(16, '.') + "\n" + Rows(14), 4,
                      "row 3 of glyph 'A' has 16 pixels, expected 17"},
        MalformedCase{"a long row", "glyph A\n" + Rows(16) + std::string(18, '#') + "\n", 18, "has 18 pixels"},
        MalformedCase{"an unknown pixel", "glyph A\n" + Rows(4) + "......x..........\n" + Rows(12), 6,
                      "unknown pixel 'x' in column 7"},
        MalformedCase{"a blank line inside a grid", "glyph A\n" + Rows(5) + "\n" + Rows(11), 7,
                      "row 6 of glyph 'A' has 0 pixels"},
        MalformedCase{"a comment inside a grid", "glyph A\n" + Rows(5) + "; note\n" + Rows(11), 7, "row 6"},
        MalformedCase{"a grid cut short", "glyph A\n" + Rows(10), 12, "ends inside glyph 'A' after 10 rows"},
        MalformedCase{"an eighteenth row", "glyph A\n" + Rows(18), 19, "expected a header"},
        MalformedCase{"a glyph given twice", Glyph('A') + "\n" + Glyph('A'), 20,
                      "glyph 'A' is defined twice (first at line 1)"}),
    [](const testing::TestParamInfo<MalformedCase>& info) { return "Case" + std::to_string(info.index); });

}  // namespace
}  // namespace corvane::art
