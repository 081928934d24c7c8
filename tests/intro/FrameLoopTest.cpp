// The running intro's frames, read back from the presented screen: nothing
// before frame 101, then every frame the logo with the page over it, the
// rows in their wave, the fade at the end of each page and the pages in
// their cycle. The window draws in 32 bits, so its pictures are compared
// exactly with pictures made here from the art's sources.
#include <gtest/gtest.h>

#include <algorithm>

#include "../support/IntroFixture.h"
#include "IntroScreen.h"
#include "Tallberg_Functions.h"

namespace corvane::test {
namespace {

class FrameLoop : public IntroFixture {
 protected:
  TDIB& logo() { return dynamic_cast<TDIB&>(*frmMain->ImageList->Items()[0]->Picture().Graphic()); }
  std::uint64_t presented() { return backend_->display().frameCount(); }
  ScratchDirectory dir;
};

TEST_F(FrameLoop, DrawsNothingUntilFrame101) {
  create();
  start();
  const std::uint64_t before = presented();
  runUntilFrame(MusicStartFrame);
  EXPECT_EQ(presented(), before) << "frames 1 to 100 present nothing";
  EXPECT_EQ(std::count(screen().pixels.begin(), screen().pixels.end(), 0u), 320 * 240) << "still black";
  EXPECT_EQ(PageTimer, 0);
  runUntilFrame(MusicStartFrame + 1);
  EXPECT_EQ(presented(), before + 1);
  EXPECT_EQ(PageTimer, 1);
  EXPECT_EQ(WobblePhase, 2);
}

// Which page animation frame m shows, how long it has been shown and its
// letters' alpha (0 when gone).
struct PageAt {
  int page, timer, alpha;
};
PageAt ExpectedPage(int m, int pageCount) {
  int turns = m <= 200 ? 0 : (m - 201) / 201 + 1;
  int timer = turns == 0 ? m : m - 201 * turns;
  int alpha = timer > 170 ? std::max(255 - 14 * (timer - 170), 0) : 255;
  return {turns % pageCount, timer, alpha};
}

struct ScreenCase {
  const char* name;
  const char* file;  // nullptr: the built-in text
  int pageCount;
  std::vector<int> frames;
};
void PrintTo(const ScreenCase& c, std::ostream* os) { *os << c.name; }

class FrameLoopScreens : public FrameLoop, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(FrameLoopScreens, ShowTheLogoWithThePageInItsWave) {
  const ScreenCase& c = GetParam();
  if (c.file) writeTextFile(c.file);
  create();
  start();
  ASSERT_EQ(PageCount, c.pageCount);
  pressKey(platform::VK_F1);  // the window's 32-bit picture
  ASSERT_EQ(frmMain->dxDraw->Surface()->BitCount(), 32);
  for (int frame : c.frames) {
    runUntilFrame(frame);
    const int m = frame - MusicStartFrame;
    const PageAt want = ExpectedPage(m, c.pageCount);
    SCOPED_TRACE("frame " + std::to_string(frame) + ", page " + std::to_string(want.page) + ", alpha " +
                 std::to_string(want.alpha));
    ASSERT_EQ(screen().width, 320);
    ASSERT_EQ(screen().height, 240);
    EXPECT_EQ(CurrentPage, want.page);
    EXPECT_EQ(PageTimer, want.timer);
    auto expected = PageScreen(logo(), PageLinesOf(want.page), PhaseAt(m), want.alpha);
    EXPECT_EQ(FirstDifference(screen().pixels, expected), "");
  }
}

// Two pages from the file and the line after them: capitals and signs the
// sheet lacks keep their columns; the third line is all spaces.
const char* kTwoPageFile =
    "CVNTYPER\r\n2\r\n// two pages\r\n"
    "\"ABCDEFGHIJKLMNOPQ\"\r\n\"rstuvwxyz01234567\"\r\n\"                 \"\r\n"
    "\"89!:.,+-? \"\"#@&()\"\r\n\"Mixed Case Words!\"\r\n\"a b c d e f g h i\"\r\n"
    "\r\n"
    "\"  second  page:  \"\r\n\"-----------------\"\r\n\"?????????????????\"\r\n"
    "\"*{[<>]}* | ~ _ = \"\r\n\"zyxwvutsrqponmlkj\"\r\n\"ihgfedcba.,:!+-?0\"\r\n"
    "\"third page start \"\r\n";

INSTANTIATE_TEST_SUITE_P(
    FrameLoop, FrameLoopScreens,
    ::testing::Values(
        // First page from 101; the fade from its 171st frame (271), gone from
        // its 189th (289); page 1 in animation frame 201 (301); page 2 at
        // 402; the first page again at 603, never the fourth.
        ScreenCase{"built_in_text",
                   nullptr,
                   3,
                   {101, 102, 105, 109, 110, 111, 119, 120, 150, 185, 195, 270, 271, 272, 280, 288, 289, 295,
                    300, 301, 302, 502, 703, 904}},
        ScreenCase{"file_with_two_pages", kTwoPageFile, 2, {101, 110, 287, 301, 320, 502, 703}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrameLoop, AFileTakesOneLineMoreThanItsPagesShow) {
  writeTextFile(kTwoPageFile);
  create();
  EXPECT_EQ(PageLineText(1), "ABCDEFGHIJKLMNOPQ");
  EXPECT_EQ(PageLineText(3), std::string(17, ' '));
  EXPECT_EQ(PageLineText(13), "third page start ");
  EXPECT_EQ(PageLineText(14), "  corvane crew   ") << "the built-in third page past its first line";
}

TEST_F(FrameLoop, ALineOfSpacesDrawsNothing) {
  writeTextFile(kTwoPageFile);
  create();
  start();
  pressKey(platform::VK_F1);
  runUntilFrame(101);
  // Row 3 stands at 151 +- 1; between the rows above and below (which reach
  // down to 151 and up from 167) it shows the logo alone.
  const auto logoOnly = LogoScreen(logo());
  for (int y = 152; y <= 166; ++y)
    for (int x = 17; x < 306; ++x) ASSERT_EQ(screen().at(x, y), logoOnly[static_cast<std::size_t>(y * 320 + x)]);
  for (int n = 35; n <= 51; ++n) EXPECT_EQ(GlyphCells[n].pictureNumber, 44);
}

TEST_F(FrameLoop, F1TwiceKeepsTheCountThePageAndTheWave) {
  create();
  start();
  runUntilFrame(420);
  const std::int32_t frames = FrameCounter, page = CurrentPage, timer = PageTimer, phase = WobblePhase;
  ASSERT_EQ(page, 1);
  for (int i = 0; i < 2; ++i) {
    clock().advance(1000);  // a long pause must not be made up afterwards
    pressKey(platform::VK_F1);
    EXPECT_EQ(FrameCounter, frames);
    EXPECT_EQ(CurrentPage, page);
    EXPECT_EQ(PageTimer, timer);
    EXPECT_EQ(WobblePhase, phase);
  }
  const std::uint64_t before = presented();
  runFor(40);
  EXPECT_EQ(FrameCounter, frames + 2) << "one frame a tick, no burst of catch-up frames";
  EXPECT_EQ(presented(), before + 2);
  EXPECT_EQ(WobblePhase, PhaseAt(frames + 2 - MusicStartFrame));
  EXPECT_TRUE(screen().fullScreen);
}

}  // namespace
}  // namespace corvane::test
