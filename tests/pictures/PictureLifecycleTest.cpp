// Pictures following their display: unbound, bound and restored, through
// the display's initialisation, finalisation and restoring, registering and
// leaving, and the display's destruction.
#include "PictureFixture.h"

namespace corvane::test {
namespace {

using platform::DD_OK;
using platform::DDERR_SURFACELOST;

enum class State { Unbound, Bound, Restored };

State StateOf(const TPictureCollectionItem& item) {
  if (!item.Initialized()) {
    EXPECT_EQ(item.SurfaceCount(), 0);
    EXPECT_EQ(item.PatternCount(), 0);
    return State::Unbound;
  }
  return item.SurfaceCount() == 0 ? State::Bound : State::Restored;
}

class PictureLifecycle : public PictureFixture {
 protected:
  void SetUp() override {
    PictureFixture::SetUp();
    item_ = add(PlainDIB(40, 30, 0x00FF00));
    item_->Transparent = false;
  }
  // Draws the picture at (0, 0) of a black back buffer: whether it showed.
  bool drawn(TPictureCollectionItem* item) {
    backBuffer().Fill(0);
    item->Draw(&backBuffer(), 0, 0, 0);
    return backBuffer().Pixel(39, 29) == raw(0x00FF00);
  }
  TPictureCollectionItem* item_ = nullptr;
};

TEST_F(PictureLifecycle, ItemsFollowTheDisplay) {
  connect();
  EXPECT_EQ(StateOf(*item_), State::Unbound);
  dxDraw_->Initialize();
  EXPECT_EQ(StateOf(*item_), State::Restored);
  EXPECT_EQ(items().DXDraw(), dxDraw_);
  EXPECT_TRUE(drawn(item_));

  // Bound again by the collection, the item has no surfaces until restored.
  items().Initialize(dxDraw_);
  EXPECT_EQ(StateOf(*item_), State::Bound);
  EXPECT_FALSE(drawn(item_));
  items().Restore();
  EXPECT_EQ(StateOf(*item_), State::Restored);

  dxDraw_->Finalize();
  EXPECT_EQ(StateOf(*item_), State::Unbound);
  EXPECT_EQ(items().DXDraw(), nullptr);
  // Switching mode runs Finalize, Initialize and Restore through every item.
  goFullScreen();
  dxDraw_->Initialize();
  EXPECT_EQ(StateOf(*item_), State::Restored);
  EXPECT_EQ(item_->Surface(0)->BitCount(), 16);
  EXPECT_TRUE(drawn(item_));

  // A picture whose image is emptied keeps nothing of the old one.
  dynamic_cast<TDIB&>(*item_->Picture().Graphic()).MakeEmpty();
  items().Restore();
  EXPECT_EQ(StateOf(*item_), State::Bound);
  EXPECT_EQ(item_->PatternCount(), 0);
  EXPECT_FALSE(drawn(item_));
}

TEST_F(PictureLifecycle, AnItemAppendedLaterWaitsForTheNextInitialisation) {
  connect();
  dxDraw_->Initialize();
  TPictureCollectionItem* late = add(PlainDIB(40, 30, 0x00FF00));
  late->Transparent = false;
  EXPECT_EQ(StateOf(*late), State::Unbound);
  EXPECT_FALSE(drawn(late));
  dxDraw_->Finalize();
  dxDraw_->Initialize();
  EXPECT_EQ(StateOf(*late), State::Restored);
  EXPECT_TRUE(drawn(late));
}

TEST_F(PictureLifecycle, LostSurfacesAreReloadedFromThePicture) {
  connect();
  dxDraw_->Initialize();
  screen().loseSurfaces();
  ASSERT_EQ(item_->Surface(0)->ISurface()->IsLost(), DDERR_SURFACELOST);
  ASSERT_TRUE(dxDraw_->CanDraw());
  ASSERT_EQ(StateOf(*item_), State::Restored);
  EXPECT_EQ(item_->Surface(0)->ISurface()->IsLost(), DD_OK);
  EXPECT_TRUE(drawn(item_));
}

TEST_F(PictureLifecycle, RegisteringWithAnInitialisedDisplayMakesTheSurfacesAtOnce) {
  dxDraw_->Initialize();
  connect();
  EXPECT_EQ(StateOf(*item_), State::Restored);
  EXPECT_TRUE(drawn(item_));
  // Leaving it finalises the pictures while the device is still there.
  list_->SetDXDraw(nullptr);
  EXPECT_EQ(StateOf(*item_), State::Unbound);
  EXPECT_EQ(items().DXDraw(), nullptr);
  // The display no longer calls the list.
  dxDraw_->Finalize();
  dxDraw_->Initialize();
  EXPECT_EQ(StateOf(*item_), State::Unbound);
}

TEST_F(PictureLifecycle, DestroyingTheDisplayClearsTheLink) {
  connect();
  dxDraw_->Initialize();
  TComponent::Free(dxDraw_);
  dxDraw_ = nullptr;
  EXPECT_EQ(list_->DXDraw(), nullptr);
  EXPECT_EQ(StateOf(*item_), State::Unbound);
  EXPECT_EQ(items().DXDraw(), nullptr);
}

TEST_F(PictureLifecycle, DestroyingTheListLeavesTheDisplay) {
  connect();
  dxDraw_->Initialize();
  TComponent::Free(list_);
  list_ = nullptr;
  // The display would call a list that is gone (the sanitizer run sees it).
  dxDraw_->Finalize();
  dxDraw_->Initialize();
  EXPECT_TRUE(dxDraw_->Initialized());
}

TEST_F(PictureLifecycle, ACollectionWithoutAnInitialisedDisplayCannotBeInitialised) {
  for (TCustomDXDraw* display : {static_cast<TCustomDXDraw*>(nullptr),
                                 static_cast<TCustomDXDraw*>(dxDraw_)}) {
    try {
      items().Initialize(display);
      FAIL() << "initialised";
    } catch (const EPictureCollectionError& e) {
      EXPECT_EQ(e.Message(), "TPictureCollection cannot be initialized");
    }
    EXPECT_EQ(items().DXDraw(), display);
    EXPECT_EQ(StateOf(*item_), State::Unbound);
  }
}

// --- Copying.

TEST_F(PictureLifecycle, CopyingAnItemTakesItsSettingsAndPictureButNotItsName) {
  TPictureCollectionItem* source = add(PlainDIB(100, 40, 0x0000FF));
  source->SetName("source");
  source->PatternWidth = 20;
  source->PatternHeight = 20;
  source->SkipWidth = 0;
  source->SystemMemory = true;
  source->Transparent = false;
  source->SetTransparentColor(0x00FF00);
  item_->SetName("target");
  connect();
  dxDraw_->Initialize();

  item_->Assign(source);
  EXPECT_EQ(item_->Name(), "target");
  EXPECT_EQ(item_->PatternWidth, 20);
  EXPECT_TRUE(item_->SystemMemory);
  EXPECT_FALSE(item_->Transparent);
  EXPECT_EQ(item_->TransparentColor(), 0x00FF00u);
  ASSERT_NE(item_->Picture().Graphic(), source->Picture().Graphic());
  EXPECT_EQ(item_->Picture().Width(), 100);
  // Restored with the new settings: it was bound.
  EXPECT_EQ(StateOf(*item_), State::Restored);
  EXPECT_EQ(item_->PatternCount(), 10);

  // An unbound item stays unbound.
  dxDraw_->Finalize();
  item_->Assign(source);
  EXPECT_EQ(StateOf(*item_), State::Unbound);
}

TEST_F(PictureLifecycle, CopyingFromSomethingElse) {
  // A picture is no item: the framework's assignment error.
  TPicture picture;
  EXPECT_THROW(item_->Assign(&picture), EConvertError);
  // A whole collection: item by item.
  item_->PatternWidth = 7;
  TDXImageList copy(nullptr);
  copy.SetItems(items());
  ASSERT_EQ(copy.Items().Count(), 1);
  EXPECT_EQ(copy.Items()[0]->PatternWidth, 7);
  EXPECT_EQ(copy.Items()[0]->Picture().Width(), 40);
}

}  // namespace
}  // namespace corvane::test
