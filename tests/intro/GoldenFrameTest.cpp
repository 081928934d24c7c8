// Chosen frames of the intro, without a page text file, pixel for pixel as
// the reference pictures kept beside this test show them: full screen in
// 5-6-5, the window in 32 bits. The references are made by
// corvane-golden-frames and were looked over by eye.
#include <gtest/gtest.h>

#include "../support/IntroFixture.h"
#include "GoldenFrames.h"
#include "support/Png.h"

namespace corvane::test {
namespace {

class GoldenFrames : public IntroFixture, public ::testing::WithParamInterface<GoldenMode> {
 protected:
  ScratchDirectory dir;
};

TEST_P(GoldenFrames, MatchTheReferencePictures) {
  create();
  start();
  const GoldenMode& mode = GetParam();
  auto pictures = CaptureIntroFrames(*backend_, mode, GoldenFrameNumbers);
  ASSERT_EQ(pictures.size(), GoldenFrameNumbers.size());
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const std::string name = GoldenFileName(GoldenFrameNumbers[i], mode);
    SCOPED_TRACE(name);
    EXPECT_EQ(pictures[i].fullScreen, !mode.window);
    RgbaImage reference;
    ASSERT_TRUE(ReadPng(std::string(CORVANE_GOLDEN_DIR) + "/" + name, reference))
        << "no reference picture; make them with corvane-golden-frames";
    ASSERT_EQ(pictures[i].width, reference.width);
    ASSERT_EQ(pictures[i].height, reference.height);
    int differences = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < reference.height; ++y)
      for (int x = 0; x < reference.width; ++x)
        if (pictures[i].at(x, y) != reference.rgb(x, y) && differences++ == 0) firstX = x, firstY = y;
    EXPECT_EQ(differences, 0) << "first at (" << firstX << ", " << firstY << ")";
  }
}

INSTANTIATE_TEST_SUITE_P(Intro, GoldenFrames, ::testing::ValuesIn(GoldenModes),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::test
