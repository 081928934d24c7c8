// The display-mode settings and the search for a fitting full-screen mode.
#include <gtest/gtest.h>

#include "DisplayFixture.h"
#include "graphics/DirectDraw.h"

namespace corvane::test {
namespace {

struct SearchCase {
  const char* name;
  std::vector<std::array<int, 3>> modes;
  bool fixedBitCount, fixedRatio, fixedSize;
  bool found;
  std::array<int, 3> expected;  // the mode set and held by the settings
};

class ModeSearchTest : public DisplayFixture, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(ModeSearchTest, FullScreenSetsTheModeTheSearchFinds) {
  const SearchCase& c = GetParam();
  offerModes(c.modes);
  TDXDrawDisplay& display = dxDraw_->Display();
  display.FixedBitCount = c.fixedBitCount;
  display.FixedRatio = c.fixedRatio;
  display.FixedSize = c.fixedSize;
  goFullScreen();

  if (!c.found) {
    try {
      dxDraw_->Initialize();
      FAIL() << "no mode fits, yet the display initialised";
    } catch (const EDXDrawError& e) {
      EXPECT_EQ(e.Message(), "Display mode cannot be changed (320x240 16bit)");
    }
    EXPECT_FALSE(dxDraw_->Initialized());
    EXPECT_EQ(dxDraw_->Device(), nullptr);
    EXPECT_FALSE(screen().isFullScreen()) << "a failed initialisation leaves no mode behind";
    return;
  }
  dxDraw_->Initialize();
  const auto& [w, h, bits] = c.expected;
  EXPECT_EQ(display.Width(), w);
  EXPECT_EQ(display.Height(), h);
  EXPECT_EQ(display.BitCount(), bits);
  DisplayMode mode = screen().currentMode();
  EXPECT_EQ(mode.width, w);
  EXPECT_EQ(mode.height, h);
  EXPECT_EQ(mode.bitCount(), bits);
  // The back buffer keeps its own size whatever mode was found, and is
  // presented at the screen's origin without scaling; the rest of a larger
  // screen stays black.
  TDirectDrawSurface& back = *dxDraw_->Surface();
  EXPECT_EQ(back.Width(), 320);
  EXPECT_EQ(back.Height(), 240);
  EXPECT_EQ(back.BitCount(), bits);
  back.Fill(bits == 16 ? 0xF800 : 0xFF0000);
  back.SetPixel(319, 239, bits == 16 ? 0x001F : 0x0000FF);
  dxDraw_->Flip();
  const platform::PresentedFrame& frame = screen().lastFrame();
  ASSERT_EQ(frame.width, w);
  ASSERT_EQ(frame.height, h);
  EXPECT_EQ(frame.at(0, 0), 0xFF0000u);
  EXPECT_EQ(frame.at(318, 238), 0xFF0000u);
  EXPECT_EQ(frame.at(319, 239), 0x0000FFu) << "the back buffer's last pixel, unscaled";
  if (w > 320) {
    EXPECT_EQ(frame.at(320, 0), 0u);
  }
  if (h > 240) {
    EXPECT_EQ(frame.at(0, 240), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModeSearchTest,
    ::testing::Values(
        SearchCase{"Exact", {{320, 240, 8}, {320, 240, 16}, {640, 480, 16}}, true, true, false, true, {320, 240, 16}},
        SearchCase{"SmallestBigger", {{400, 300, 16}, {640, 480, 16}, {640, 480, 32}}, true, true, false, true, {400, 300, 16}},
        // 480 x 270 is smaller but not 4:3; the ratio is tried first.
        SearchCase{"RatioFirst", {{320, 200, 16}, {480, 270, 16}, {640, 480, 16}}, true, true, false, true, {640, 480, 16}},
        SearchCase{"RatioOnlyAPreference", {{1280, 1024, 16}, {800, 600, 32}}, true, true, false, true, {1280, 1024, 16}},
        SearchCase{"WithoutRatio", {{480, 270, 16}, {640, 480, 16}}, true, false, false, true, {480, 270, 16}},
        // 8 bits is refused (one side is 8 bits and 8 < 16); the last of the size wins.
        SearchCase{"FreeBitCount", {{640, 480, 8}, {640, 480, 24}, {640, 480, 32}}, false, true, false, true, {640, 480, 32}},
        SearchCase{"FreeBitCountPrefersAsked", {{640, 480, 8}, {640, 480, 16}, {640, 480, 24}, {640, 480, 32}}, false, true, false, true, {640, 480, 16}},
        SearchCase{"FixedSizeWithoutIt", {{400, 300, 16}, {640, 480, 16}}, true, true, true, false, {}},
        SearchCase{"No16Bits", {{320, 240, 8}, {640, 480, 32}, {800, 600, 32}}, true, true, false, false, {}},
        SearchCase{"NothingOffered", {}, true, true, false, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DisplayFixture, AFoundModeIsAskedForDirectlyNextTime) {
  offerModes({{400, 300, 16}});
  goFullScreen();
  dxDraw_->Initialize();
  ASSERT_EQ(dxDraw_->Display().Width(), 400);
  dxDraw_->Finalize();
  EXPECT_FALSE(screen().isFullScreen()) << "releasing the device gives the desktop back";
  dxDraw_->Initialize();
  EXPECT_EQ(screen().currentMode().width, 400);
  EXPECT_EQ(dxDraw_->Device()->LastResult(), 0) << "the exact mode was set at the first try";
}

TEST_F(DisplayFixture, FittingModeRefusesBadRequestsWithoutAskingTheDevice) {
  goFullScreen();
  dxDraw_->Initialize();
  TDXDrawDisplay& display = dxDraw_->Display();
  const int before = screen().currentMode().width;
  for (auto [w, h, bits] : {std::array{0, 240, 16}, {320, 0, 16}, {320, 240, 15}, {-1, 240, 16}}) {
    dxDraw_->Device()->SetLastResult(12345);
    EXPECT_FALSE(display.SetFittingMode(w, h, bits)) << w << "x" << h << "x" << bits;
    EXPECT_EQ(dxDraw_->Device()->LastResult(), 12345) << "the device was not asked";
  }
  EXPECT_EQ(screen().currentMode().width, before);
}

TEST_F(DisplayFixture, ModeListIsSortedAndDroppedAtFinalize) {
  offerModes({{640, 480, 32}, {320, 240, 16}, {640, 400, 16}, {320, 240, 8}});
  TDXDrawDisplay& display = dxDraw_->Display();
  // Without a device a short-lived one enumerates.
  ASSERT_EQ(display.Count(), 4);
  std::vector<std::array<int, 3>> seen;
  for (int i = 0; i < display.Count(); ++i)
    seen.push_back({display.Mode(i).Width(), display.Mode(i).Height(), display.Mode(i).BitCount()});
  EXPECT_EQ(seen, (std::vector<std::array<int, 3>>{{320, 240, 8}, {320, 240, 16}, {640, 400, 16}, {640, 480, 32}}));
  EXPECT_EQ(display.IndexOfMode(640, 400, 16), 2);
  EXPECT_EQ(display.IndexOfMode(640, 400, 32), -1);

  dxDraw_->Initialize();
  offerModes({{800, 600, 16}});
  EXPECT_EQ(display.Count(), 4) << "the list is kept while the device lives";
  dxDraw_->Finalize();
  EXPECT_EQ(display.Count(), 1) << "each initialisation enumerates afresh";
}

TEST(DisplaySettingsTest, ValuesAreCheckedAndCopied) {
  TDXDrawDisplay display(nullptr);
  EXPECT_EQ(display.Width(), 640);
  EXPECT_EQ(display.Height(), 480);
  EXPECT_EQ(display.BitCount(), 8);
  display.SetWidth(-5);
  display.SetHeight(-1);
  EXPECT_EQ(display.Width(), 0);
  EXPECT_EQ(display.Height(), 0);
  for (int bits : {8, 16, 24, 32}) {
    display.SetBitCount(bits);
    EXPECT_EQ(display.BitCount(), bits);
  }
  for (int bits : {0, 1, 4, 15, 64}) {
    try {
      display.SetBitCount(bits);
      ADD_FAILURE() << bits << " bits were taken";
    } catch (const EDirectDrawError& e) {
      EXPECT_EQ(e.Message(), "It should be either of 8 or 16 or 24 or 32");
    }
    EXPECT_EQ(display.BitCount(), 32) << "the old value stays";
  }
  EXPECT_FALSE(display.SetExactMode(320, 240, 16)) << "no device, no mode";

  TDXDrawDisplay copy(nullptr);
  display.SetWidth(320);
  display.SetHeight(240);
  display.FixedBitCount = false;
  display.FixedRatio = false;
  display.FixedSize = true;
  copy.Assign(&display);
  EXPECT_EQ(copy.Width(), 320);
  EXPECT_EQ(copy.Height(), 240);
  EXPECT_EQ(copy.BitCount(), 32);
  EXPECT_FALSE(copy.FixedBitCount);
  EXPECT_FALSE(copy.FixedRatio);
  EXPECT_TRUE(copy.FixedSize);
  copy.Assign(&copy);
  EXPECT_EQ(copy.Width(), 320);
}

}  // namespace
}  // namespace corvane::test
