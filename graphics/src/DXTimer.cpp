#include <cmath>

#include "graphics/DXClass.h"
#include "graphics/DXDraw.h"
#include "graphics/DXImageList.h"

namespace corvane {

TCustomDXTimer::TCustomDXTimer(TComponent* owner) : TComponent(owner) {
  hook_ = Application->HookMainWindow([this](TMessage& m) { return AppProc(m); });
}

TCustomDXTimer::~TCustomDXTimer() {
  Stop();
  if (Application) Application->UnhookMainWindow(hook_);
}

void TCustomDXTimer::DoActivate() {
  if (OnActivate) OnActivate(this);
}

void TCustomDXTimer::DoDeactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomDXTimer::DoTimer(std::int32_t lagCount) {
  if (OnTimer) OnTimer(this, lagCount);
}

void TCustomDXTimer::Start() {
  Stop();
  if (!activeOnly_ || Application->Active()) Resume();
  armed_ = true;
}

void TCustomDXTimer::Stop() {
  if (!armed_) return;
  Suspend();
  armed_ = false;
}

void TCustomDXTimer::Resume() {
  lastTick_ = platform::timeGetTime();
  windowStart_ = platform::timeGetTime();
  Application->OnIdle = [this](TObject* sender, bool& done) { AppIdle(sender, done); };
}

void TCustomDXTimer::Suspend() {
  if (Application) Application->OnIdle = nullptr;
}

bool TCustomDXTimer::AppProc(TMessage& message) {
  if (message.Msg == CM_ACTIVATE) {
    DoActivate();
    if (armed_ && activeOnly_) Resume();
  } else if (message.Msg == CM_DEACTIVATE) {
    DoDeactivate();
    if (armed_ && activeOnly_) Suspend();
  }
  return false;
}

// The loop comes back here at once (done stays false), but until the tick is
// due the step sleeps on the event queue rather than reading the clock over
// and over: a core is not burnt between frames, and an event still ends the
// sleep at once, so a key is handled before the tick.
void TCustomDXTimer::AppIdle(TObject*, bool& done) {
  done = false;
  std::uint32_t now = platform::timeGetTime();
  std::uint32_t elapsed = now - lastTick_;
  if (elapsed < interval_) {
    platform::Current().windows().waitEvent(interval_ - elapsed);
    return;
  }
  lastTick_ = now;

  std::uint32_t lag = elapsed / intervalDivisor_;
  if (lag < 1) lag = 1;

  // The rate window: a tick count can only grow by one per tick, so it cannot
  // overflow before the window closes once a second.
  ++ticksInWindow_;
  std::int32_t window = static_cast<std::int32_t>(now - windowStart_);
  if (window < 1) window = 1;
  if (window >= 1000) {
    // nearbyint rounds halves to even in the default rounding mode.
    ticksPerSecond_ = static_cast<std::int32_t>(
        std::nearbyint(static_cast<double>(ticksInWindow_) * 1000.0 / window));
    ticksInWindow_ = 0;
    windowStart_ = now;
  }
  // The lag of a very long pause (about 25 days of 16 ms) still fits.
  DoTimer(static_cast<std::int32_t>(std::min<std::uint32_t>(lag, INT32_MAX)));
}

void TCustomDXTimer::SetActiveOnly(bool value) {
  // A change takes effect at the next start or activation change.
  activeOnly_ = value;
}

void TCustomDXTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  if (IsLoading()) return;
  if (value) {
    Start();
  } else {
    Stop();
  }
}

void TCustomDXTimer::SetInterval(std::uint32_t value) {
  if (value == interval_) return;
  std::int32_t asSigned = static_cast<std::int32_t>(value);
  interval_ = static_cast<std::uint32_t>(std::max(asSigned, 0));
  intervalDivisor_ = static_cast<std::uint32_t>(std::max(asSigned, 1));
}

void TCustomDXTimer::Loaded() {
  TComponent::Loaded();
  if (!IsDesigning() && enabled_) Start();
}

bool TCustomDXTimer::ReadProperty(const std::string& name, const TPropertyValue& value,
                                  TReader& reader) {
  if (name == "ActiveOnly") {
    SetActiveOnly(reader.Boolean(value));
  } else if (name == "Enabled") {
    SetEnabled(reader.Boolean(value));
  } else if (name == "Interval") {
    SetInterval(static_cast<std::uint32_t>(reader.Integer(value)));
  } else if (name == "OnActivate") {
    OnActivate = reader.Event<TNotifyEvent>(value);
  } else if (name == "OnDeactivate") {
    OnDeactivate = reader.Event<TNotifyEvent>(value);
  } else if (name == "OnTimer") {
    OnTimer = reader.Event<TDXTimerEvent>(value);
  } else {
    return TComponent::ReadProperty(name, value, reader);
  }
  return true;
}

void RegisterGraphicsClasses() {
  RegisterComponentClass<TDXTimer>("TDXTimer");
  RegisterComponentClass<TDXDraw>("TDXDraw");
  RegisterComponentClass<TDXImageList>("TDXImageList");
}

}  // namespace corvane
