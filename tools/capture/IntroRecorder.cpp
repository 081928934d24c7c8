#include "IntroRecorder.h"

#include <stdexcept>

#include "MainUnit.h"
#include "MusicStandIn.h"
#include "headless/HeadlessBackend.h"

namespace corvane::capture {

namespace {

// Ticks without a counted frame after which the intro is taken to have
// stopped: its timer never ticks when its start failed.
constexpr int kPatienceTicks = 1000;

// The clock reading at which the intro is started.
constexpr std::uint32_t kStartMs = 0;

}  // namespace

IntroRecorder::IntroRecorder(bool window) {
  auto made = std::make_unique<platform::HeadlessBackend>();
  backend = made.get();
  backend->windows().setQuitWhenIdle(false);
  backend->clock().setVirtual(true);
  backend->clock().set(kStartMs);
  backend->clock().setStepPerRead(0);
  platform::Install(std::move(made));
  SetMusicStandIn([this] {
    musicStart = frameTimeMs();
    musicFrame = FrameCounter;
    return true;
  });
  RegisterIntroClasses();
  InitApplication();
  Application->Initialize();
  Application->Title = "Corvane";
  Application->CreateForm(frmMain);
  // The window is shown and takes the focus, which starts the frame timer
  // (it only runs while the intro is active) at this clock reading.
  frmMain->Show();
  Application->ProcessMessages();
  if (window) {
    backend->windows().postEvent({platform::EventKind::KeyDown, frmMain->Handle(), platform::VK_F1, 0});
    Application->ProcessMessages();
  }
  interval = frmMain->dxTimer->Interval();
  timerStart = backend->clock().now();
  now = timerStart;
}

IntroRecorder::~IntroRecorder() {
  DoneApplication();
  frmMain = nullptr;
  FinalizeIntroUnits();
  SetMusicStandIn({});
  platform::Uninstall();
}

bool IntroRecorder::nextFrame() {
  const std::int32_t before = FrameCounter;
  for (int tick = 0; tick < kPatienceTicks; ++tick) {
    if (!Application || Application->Terminated()) return false;
    backend->clock().advance(interval);
    now = backend->clock().now();
    // Messages first, then the idle step in which the frame timer ticks.
    Application->ProcessMessages();
    Application->HandleMessage();
    if (FrameCounter != before) return true;
  }
  return false;
}

std::int32_t IntroRecorder::frameNumber() const { return FrameCounter; }

ScreenPicture IntroRecorder::screen(std::vector<std::uint32_t> storage) const {
  const platform::PresentedFrame& frame = backend->display().lastFrame();
  if (frame.width <= 0 || frame.height <= 0) throw std::runtime_error("the intro has not shown a picture");
  storage.assign(frame.pixels.begin(), frame.pixels.end());
  return {frame.width, frame.height, std::move(storage)};
}

}  // namespace corvane::capture
