// The display component's life: events and listener notifications in order,
// lost surfaces, back-buffer size changes and the hook on the form.
#include <gtest/gtest.h>

#include <stdexcept>

#include "DisplayFixture.h"

namespace corvane::test {
namespace {

using namespace platform;
using Log = std::vector<std::string>;

class LifecycleTest : public DisplayFixture {
 protected:
  void SetUp() override {
    DisplayFixture::SetUp();
    dxDraw_->OnInitializing = event("OnInitializing");
    dxDraw_->OnInitialize = event("OnInitialize");
    dxDraw_->OnInitializeSurface = event("OnInitializeSurface");
    dxDraw_->OnRestoreSurface = event("OnRestoreSurface");
    dxDraw_->OnFinalizeSurface = event("OnFinalizeSurface");
    dxDraw_->OnFinalize = event("OnFinalize");
  }
  TNotifyEvent event(const std::string& name) {
    return [this, name](TObject*) { log_.push_back(name); };
  }
  void listen(Recorder& recorder) { dxDraw_->RegisterNotification(&Recorder::Notify, &recorder); }

  Recorder a_{"A", &log_};
  Recorder b_{"B", &log_};
};

TEST_F(LifecycleTest, InitializeAndFinalizeInOrder) {
  listen(a_);
  listen(b_);
  EXPECT_EQ(log_, (Log{"A:SetSurfaceSize", "B:SetSurfaceSize"})) << "idle: only the size";
  log_.clear();

  dxDraw_->Initialize();
  EXPECT_EQ(log_, (Log{"OnInitializing", "B:Initializing", "A:Initializing", "B:SetSurfaceSize",
                       "A:SetSurfaceSize", "B:Initialize", "A:Initialize", "OnInitialize",
                       "B:InitializeSurface", "A:InitializeSurface", "OnInitializeSurface",
                       "B:Restore", "A:Restore", "OnRestoreSurface"}));
  log_.clear();

  dxDraw_->Finalize();
  EXPECT_EQ(log_, (Log{"OnFinalizeSurface", "B:FinalizeSurface", "A:FinalizeSurface", "OnFinalize",
                       "B:Finalize", "A:Finalize"}));
  log_.clear();

  dxDraw_->Finalize();
  EXPECT_TRUE(log_.empty()) << "finalising an idle display does nothing";
}

TEST_F(LifecycleTest, ListenerRegisteredWhileInitialisedCatchesUp) {
  dxDraw_->Initialize();
  log_.clear();
  listen(a_);
  EXPECT_EQ(log_, (Log{"A:SetSurfaceSize", "A:Initialize", "A:InitializeSurface", "A:Restore"}));
  log_.clear();
  // Registering again first unregisters.
  listen(a_);
  EXPECT_EQ(log_, (Log{"A:FinalizeSurface", "A:Finalize", "A:SetSurfaceSize", "A:Initialize",
                       "A:InitializeSurface", "A:Restore"}));
  log_.clear();
  dxDraw_->UnregisterNotification(&Recorder::Notify, &a_);
  EXPECT_EQ(log_, (Log{"A:FinalizeSurface", "A:Finalize"}));
  log_.clear();
  dxDraw_->UnregisterNotification(&Recorder::Notify, &a_);
  EXPECT_TRUE(log_.empty()) << "an unknown pair is ignored";
}

TEST_F(LifecycleTest, ListenerRegisteredDuringInitialisationGetsNoEarlyRestore) {
  dxDraw_->OnInitialize = [this](TObject*) {
    log_.push_back("OnInitialize");
    listen(a_);
  };
  dxDraw_->Initialize();
  Log mine;
  for (const std::string& line : log_)
    if (line.starts_with("A:")) mine.push_back(line);
  // The Restore comes once, from the initialisation's own end.
  EXPECT_EQ(mine, (Log{"A:SetSurfaceSize", "A:Initialize", "A:InitializeSurface", "A:Restore"}));
}

// Unregisters itself on the first notification it gets.
struct Leaver {
  TCustomDXDraw* dxDraw;
  Log* log;
  static void Notify(void* context, TCustomDXDraw*, DisplayNotification n) {
    auto* self = static_cast<Leaver*>(context);
    self->log->push_back(std::string("L:") + NotificationName(n));
    if (n == DisplayNotification::Initializing)
      self->dxDraw->UnregisterNotification(&Leaver::Notify, self);
  }
};

TEST_F(LifecycleTest, ListenerMayLeaveWhileNotified) {
  listen(a_);
  Leaver leaver{dxDraw_, &log_};
  dxDraw_->RegisterNotification(&Leaver::Notify, &leaver);
  listen(b_);
  log_.clear();
  dxDraw_->Initialize();
  EXPECT_EQ(std::vector<std::string>(log_.begin(), log_.begin() + 5),
            (Log{"OnInitializing", "B:Initializing", "L:Initializing", "A:Initializing",
                 "B:SetSurfaceSize"}));
  EXPECT_EQ(std::count_if(log_.begin(), log_.end(), [](const auto& l) { return l.starts_with("L:"); }), 1);
}

TEST_F(LifecycleTest, RaisingFinalizeSurfaceHandlerStillReleasesEverything) {
  listen(a_);
  dxDraw_->Initialize();
  dxDraw_->OnFinalizeSurface = [](TObject*) { throw EDXDrawError("handler failed"); };
  log_.clear();
  EXPECT_THROW(dxDraw_->Finalize(), EDXDrawError);
  EXPECT_EQ(log_, (Log{"A:FinalizeSurface", "OnFinalize", "A:Finalize"}));
  EXPECT_FALSE(dxDraw_->Initialized());
  EXPECT_EQ(dxDraw_->Device(), nullptr);
  log_.clear();
  dxDraw_->Initialize();
  EXPECT_TRUE(dxDraw_->CanDraw()) << "the display can start again";
}

TEST_F(LifecycleTest, CanDrawOnlyBetweenInitializeAndFinalize) {
  EXPECT_FALSE(dxDraw_->CanDraw());
  bool duringInitialisation = true;
  struct Probe {
    bool* seen;
    static void Notify(void* context, TCustomDXDraw* sender, DisplayNotification n) {
      if (n == DisplayNotification::Initializing) *static_cast<Probe*>(context)->seen = sender->CanDraw();
    }
  } probe{&duringInitialisation};
  dxDraw_->RegisterNotification(&Probe::Notify, &probe);
  dxDraw_->Initialize();
  EXPECT_FALSE(duringInitialisation);
  EXPECT_TRUE(dxDraw_->CanDraw());
  dxDraw_->Finalize();
  EXPECT_FALSE(dxDraw_->CanDraw());
  dxDraw_->Flip();  // nothing to present, nothing happens
  dxDraw_->UnregisterNotification(&Probe::Notify, &probe);
}

TEST_F(LifecycleTest, LostSurfacesAreRestoredByCanDraw) {
  // Palette entry 20 as the handler of OnRestoreSurface finds it.
  PALETTEENTRY duringRestore{};
  dxDraw_->OnRestoreSurface = [&](TObject*) {
    log_.push_back("OnRestoreSurface");
    dxDraw_->Palette()->IPalette()->GetEntries(0, 20, 1, &duringRestore);
  };
  auto entry20 = [&] {
    PALETTEENTRY entry{};
    dxDraw_->Palette()->IPalette()->GetEntries(0, 20, 1, &entry);
    return entry;
  };
  for (bool fullScreen : {false, true}) {
    SCOPED_TRACE(fullScreen ? "full screen" : "window");
    if (fullScreen) goFullScreen();
    dxDraw_->Initialize();
    listen(a_);
    dxDraw_->Surface()->Fill(0x1234);
    dxDraw_->DefColorTable[20] = {3, 2, 1, 0};
    dxDraw_->ColorTable[20] = {9, 8, 7, 0};
    screen().loseSurfaces();
    ASSERT_EQ(dxDraw_->Surface()->ISurface()->IsLost(), DDERR_SURFACELOST);
    log_.clear();

    EXPECT_TRUE(dxDraw_->CanDraw());
    EXPECT_EQ(log_, (Log{"A:Restore", "OnRestoreSurface"}));
    EXPECT_EQ(dxDraw_->Surface()->ISurface()->IsLost(), DD_OK);
    EXPECT_EQ(dxDraw_->Primary()->ISurface()->IsLost(), DD_OK);
    EXPECT_EQ(dxDraw_->Surface()->Pixel(3, 3), 0u) << "filled with 0";
    EXPECT_EQ(duringRestore, (PALETTEENTRY{1, 2, 3, 0x40})) << "the default table while listeners reload";
    EXPECT_EQ(entry20(), (PALETTEENTRY{7, 8, 9, 0x40})) << "the colour table is applied again";

    // Restoring fills both surfaces with 0 itself, lost or not.
    const platform::Point origin = dxDraw_->ClientOrigin();
    dxDraw_->Surface()->Fill(0x1234);
    dxDraw_->Primary()->Fill(0x1234);
    ASSERT_NE(dxDraw_->Primary()->Pixel(origin.x + 3, origin.y + 3), 0u);
    dxDraw_->Restore();
    EXPECT_EQ(dxDraw_->Surface()->Pixel(3, 3), 0u);
    EXPECT_EQ(dxDraw_->Primary()->Pixel(origin.x + 3, origin.y + 3), 0u);

    if (fullScreen) {
      // The mode taken away with the surfaces: the primary cannot be
      // restored, nothing can be drawn and nothing is presented.
      screen().restoreMode();
      const std::uint64_t frames = screen().frameCount();
      log_.clear();
      EXPECT_FALSE(dxDraw_->CanDraw());
      dxDraw_->Flip();
      EXPECT_EQ(screen().frameCount(), frames);
      EXPECT_TRUE(log_.empty()) << "no Restore without restored surfaces";
    }
    dxDraw_->UnregisterNotification(&Recorder::Notify, &a_);
    dxDraw_->Finalize();
  }
}

TEST_F(LifecycleTest, BackBufferSizeChangeRebuildsTheSurface) {
  dxDraw_->Initialize();
  listen(a_);
  log_.clear();
  dxDraw_->SetSurfaceWidth(200);
  EXPECT_EQ(log_, (Log{"A:FinalizeSurface", "OnFinalizeSurface", "A:InitializeSurface",
                       "OnInitializeSurface", "A:SetSurfaceSize"}));
  EXPECT_EQ(dxDraw_->Surface()->Width(), 200);
  EXPECT_EQ(dxDraw_->SurfaceWidth(), 200);
  EXPECT_EQ(dxDraw_->SurfaceHeight(), 240);
  log_.clear();
  dxDraw_->SetSurfaceWidth(200);
  EXPECT_TRUE(log_.empty()) << "the same size changes nothing";

  dxDraw_->Finalize();
  log_.clear();
  dxDraw_->SetSurfaceHeight(100);
  EXPECT_EQ(log_, (Log{"A:SetSurfaceSize"}));
  dxDraw_->Initialize();
  EXPECT_EQ(dxDraw_->Surface()->Width(), 200) << "the size outlives the device";
  EXPECT_EQ(dxDraw_->Surface()->Height(), 100);
}

TEST_F(LifecycleTest, FormHookInitialisesOnShowAndFinalisesWithTheWindow) {
  auto* form = new TForm(Application);
  form->SetClientSize(320, 240);
  auto* dxDraw = new TDXDraw(form);
  dxDraw->SetParent(form);
  dxDraw->RegisterNotification(&Recorder::Notify, &a_);
  EXPECT_FALSE(dxDraw->Initialized());
  form->Show();
  EXPECT_TRUE(dxDraw->Initialized()) << "AutoInitialize on first showing";
  log_.clear();
  delete form;
  ASSERT_GE(log_.size(), 3u);
  EXPECT_EQ(Log(log_.begin(), log_.begin() + 3), (Log{"A:FinalizeSurface", "A:Finalize", "A:Destroying"}));
}

TEST_F(LifecycleTest, NoAutomaticInitialisationAfterAnExplicitOne) {
  auto* form = new TForm(Application);
  auto* dxDraw = new TDXDraw(form);
  dxDraw->SetParent(form);
  dxDraw->Initialize();
  dxDraw->Finalize();
  form->Show();
  EXPECT_FALSE(dxDraw->Initialized());
  delete form;
}

}  // namespace
}  // namespace corvane::test
