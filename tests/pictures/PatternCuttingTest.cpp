// Cutting a picture into patterns: which surfaces are made and where each
// pattern lies, in system and in video memory.
#include "PictureFixture.h"

namespace corvane::test {
namespace {

struct Size2 {
  int width, height;
  friend bool operator==(const Size2&, const Size2&) = default;
};

struct PatternAt {
  int index;
  RECT rect;
  int surface;
};

struct CutCase {
  const char* name;
  Size2 picture;
  int patternWidth, patternHeight, skipWidth, skipHeight;
  bool systemMemory;
  int patternCount;
  std::vector<Size2> surfaces;
  std::vector<PatternAt> checks;
};

void PrintTo(const CutCase& c, std::ostream* os) { *os << c.name; }

class PatternCutting : public PictureFixture, public ::testing::WithParamInterface<CutCase> {};

TEST_P(PatternCutting, MakesTheSurfacesAndPlacesThePatterns) {
  const CutCase& c = GetParam();
  TPictureCollectionItem* item = add(PlainDIB(c.picture.width, c.picture.height));
  item->PatternWidth = c.patternWidth;
  item->PatternHeight = c.patternHeight;
  item->SkipWidth = c.skipWidth;
  item->SkipHeight = c.skipHeight;
  item->SystemMemory = c.systemMemory;
  connect();
  dxDraw_->Initialize();

  EXPECT_TRUE(item->Initialized());
  EXPECT_EQ(item->PatternCount(), c.patternCount);
  std::vector<Size2> surfaces;
  for (int i = 0; i < item->SurfaceCount(); ++i)
    surfaces.push_back({item->Surface(i)->Width(), item->Surface(i)->Height()});
  EXPECT_EQ(surfaces, c.surfaces);
  for (const PatternAt& check : c.checks) {
    SCOPED_TRACE(check.index);
    ASSERT_LT(check.index, item->PatternCount());
    const TPictureCollectionItemPattern& pattern = item->Pattern(check.index);
    EXPECT_EQ(pattern.Rect, check.rect);
    EXPECT_EQ(pattern.Surface, item->Surface(check.surface));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, PatternCutting,
    ::testing::Values(
        // Row by row: pattern 6 is the second of the second row.
        CutCase{"grid_in_one_block", {100, 40}, 20, 20, 0, 0, false, 10, {{100, 40}},
                {{6, {20, 20, 40, 40}, 0}, {4, {80, 0, 100, 20}, 0}}},
        CutCase{"grid_in_system_memory", {100, 40}, 20, 20, 0, 0, true, 10, {{100, 40}},
                {{6, {20, 20, 40, 40}, 0}, {9, {80, 20, 100, 40}, 0}}},
        // Blocks of six 100-pixel steps: 600 and the 400 left over.
        CutCase{"wide_picture_in_two_blocks", {1000, 100}, 100, 100, 0, 0, false, 10,
                {{600, 100}, {400, 100}},
                {{5, {500, 0, 600, 100}, 0}, {7, {100, 0, 200, 100}, 1}}},
        CutCase{"wide_picture_in_system_memory", {1000, 100}, 100, 100, 0, 0, true, 10,
                {{1000, 100}}, {{7, {700, 0, 800, 100}, 0}}},
        CutCase{"uneven_last_block", {1100, 100}, 100, 100, 0, 0, false, 11,
                {{600, 100}, {500, 100}}, {{10, {400, 0, 500, 100}, 1}}},
        CutCase{"tall_picture_in_two_blocks", {20, 1200}, 20, 100, 0, 0, false, 12,
                {{20, 600}, {20, 600}}, {{7, {0, 100, 20, 200}, 1}}},
        // Skips: steps of 25 x 15; four columns and three rows fit.
        CutCase{"skips_in_video_memory", {100, 40}, 20, 10, 5, 5, false, 12, {{100, 40}},
                {{5, {25, 15, 45, 25}, 0}, {11, {75, 30, 95, 40}, 0}}},
        CutCase{"skips_in_system_memory", {100, 40}, 20, 10, 5, 5, true, 12, {{100, 40}},
                {{5, {25, 15, 45, 25}, 0}}},
        // One pattern covering the whole picture, whatever the skips.
        CutCase{"pattern_size_zero", {30, 20}, 0, 0, 5, 7, false, 1, {{30, 20}},
                {{0, {0, 0, 30, 20}, 0}}},
        CutCase{"pattern_size_of_the_picture", {30, 20}, 30, 20, 5, 7, true, 1, {{30, 20}},
                {{0, {0, 0, 30, 20}, 0}}},
        // Wider than the picture: no block fits in video memory; system
        // memory still holds the picture, with no pattern on it.
        CutCase{"pattern_wider_than_picture", {50, 50}, 60, 10, 0, 0, false, 0, {}, {}},
        CutCase{"pattern_wider_in_system_memory", {50, 50}, 60, 10, 0, 0, true, 0, {{50, 50}},
                {}},
        // A skip that eats the whole pattern would never move on.
        CutCase{"skip_eating_the_pattern", {100, 40}, 20, 20, -20, 0, false, 0, {}, {}},
        CutCase{"skip_eating_in_system_memory", {100, 40}, 20, 20, 0, -25, true, 0,
                {{100, 40}}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Each 100-pixel column of the picture has a colour of its own.
std::uint32_t ColumnColour(int x, int) { return 0x102030u * static_cast<std::uint32_t>(x / 100 + 1); }

class PatternDrawing : public PictureFixture {
 protected:
  void SetUp() override {
    PictureFixture::SetUp();
    item_ = add(MakeDIB(1000, 100, ColumnColour));
    item_->PatternWidth = 100;
    item_->PatternHeight = 100;
    item_->Transparent = false;
    connect();
    dxDraw_->Initialize();
    backBuffer().Fill(0);
  }
  // Whether the 100 x 100 square at (x, y) of the back buffer is all `value`.
  bool squareIs(int x, int y, std::uint32_t value) {
    for (int j = y; j < y + 100; ++j)
      for (int i = x; i < x + 100; ++i)
        if (backBuffer().Pixel(i, j) != value) return false;
    return true;
  }
  TPictureCollectionItem* item_ = nullptr;
};

TEST_F(PatternDrawing, DrawsThePatternFromItsBlock) {
  item_->Draw(&backBuffer(), 10, 20, 7);
  EXPECT_TRUE(squareIs(10, 20, raw(ColumnColour(700, 0))));
  EXPECT_EQ(backBuffer().Pixel(110, 20), 0u);
  EXPECT_EQ(backBuffer().Pixel(9, 20), 0u);
  item_->DrawAlpha(&backBuffer(), {150, 100, 250, 200}, 2, 255);
  EXPECT_TRUE(squareIs(150, 100, raw(ColumnColour(200, 0))));
}

TEST_F(PatternDrawing, AnInvalidPatternNumberDrawsNothing) {
  for (std::int32_t index : {-1, item_->PatternCount(), INT32_MIN, INT32_MAX}) {
    SCOPED_TRACE(index);
    item_->Draw(&backBuffer(), 0, 0, index);
    item_->DrawAlpha(&backBuffer(), {0, 0, 100, 100}, index, 255);
    EXPECT_TRUE(squareIs(0, 0, 0));
  }
  item_->Draw(nullptr, 0, 0, 0);
}

}  // namespace
}  // namespace corvane::test
