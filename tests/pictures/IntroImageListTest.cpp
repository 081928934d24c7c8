// The intro's picture list as its form resource stores it, after the start.
#include <gtest/gtest.h>

#include "MainUnit.h"
#include "PageText.h"
#include "graphics/DIB.h"
#include "support/HeadlessFixture.h"

namespace corvane::test {
namespace {

class IntroImageList : public HeadlessFixture {
 protected:
  void SetUp() override {
    HeadlessFixture::SetUp();
    RegisterIntroClasses();
    ResetPageText();
    Application->Title = "Corvane";
  }
  void TearDown() override {
    DoneApplication();
    frmMain = nullptr;
    FinalizeIntroUnits();
    ResetPageText();
    HeadlessFixture::TearDown();
  }
  ScratchDirectory dir;
};

TEST_F(IntroImageList, HoldsTheLogoAndGivesTheDisplayItsColours) {
  Application->CreateForm(frmMain);
  ASSERT_NE(frmMain->ImageList, nullptr);
  TDXImageList& list = *frmMain->ImageList;
  EXPECT_EQ(list.DXDraw(), frmMain->dxDraw);
  ASSERT_GE(list.Items().Count(), 1);
  TPictureCollectionItem& logo = *list.Items()[0];
  EXPECT_EQ(logo.Name(), "cvnLogo");
  auto* dib = dynamic_cast<TDIB*>(logo.Picture().Graphic());
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(dib->Width(), 320);
  EXPECT_EQ(dib->Height(), 246);
  EXPECT_EQ(dib->BitCount(), 4);
  // The five greys of the logo, then black.
  const std::uint8_t greys[] = {192, 179, 166, 154, 141};
  for (int i = 0; i < 16; ++i) {
    std::uint8_t grey = i < 5 ? greys[i] : 0;
    const platform::RGBQUAD& entry = dib->ColorTable[static_cast<std::size_t>(i)];
    EXPECT_EQ(entry, (platform::RGBQUAD{grey, grey, grey, 0})) << "entry " << i;
  }
  EXPECT_FALSE(logo.Transparent);
  EXPECT_EQ(logo.TransparentColor(), 0x008000u);
  EXPECT_EQ(logo.PatternWidth, 0);
  EXPECT_EQ(logo.PatternHeight, 0);
  EXPECT_FALSE(logo.SystemMemory);

  // The start switched to full screen: the logo has its one surface.
  ASSERT_TRUE(frmMain->dxDraw->Initialized());
  ASSERT_EQ(logo.PatternCount(), 1);
  ASSERT_EQ(logo.SurfaceCount(), 1);
  EXPECT_EQ(logo.Surface(0)->Width(), 320);
  EXPECT_EQ(logo.Surface(0)->Height(), 246);

  const TPictureColorTable& colours = list.Items().ColorTable;
  EXPECT_EQ(frmMain->dxDraw->ColorTable, colours);
  EXPECT_EQ(frmMain->dxDraw->DefColorTable, colours);
  // The logo's own colours follow the fixed ones.
  TPictureColorTable fixedOnly{};
  for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 248, 249, 250, 251, 252, 253, 254, 255})
    fixedOnly[static_cast<std::size_t>(i)] = colours[static_cast<std::size_t>(i)];
  EXPECT_NE(colours, fixedOnly);
}

}  // namespace
}  // namespace corvane::test
