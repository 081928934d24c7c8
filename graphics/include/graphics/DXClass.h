// The frame timer: ticks from the idle step of the message loop, whenever at
// least Interval milliseconds have passed since the previous tick.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/Forms.h"

namespace corvane {

using TDXTimerEvent = std::function<void(TObject* sender, std::int32_t lagCount)>;

class TCustomDXTimer : public TComponent {
 public:
  explicit TCustomDXTimer(TComponent* owner);
  ~TCustomDXTimer() override;
  const char* ClassName() const override { return "TCustomDXTimer"; }

  bool ActiveOnly() const { return activeOnly_; }
  void SetActiveOnly(bool value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t value);
  std::int32_t TicksPerSecond() const { return ticksPerSecond_; }
  bool Armed() const { return armed_; }

  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TDXTimerEvent OnTimer;

  void Loaded() override;
  bool ReadProperty(const std::string& name, const TPropertyValue& value,
                    TReader& reader) override;

 protected:
  virtual void DoActivate();
  virtual void DoDeactivate();
  virtual void DoTimer(std::int32_t lagCount);

 private:
  void Start();
  void Stop();
  void Resume();
  void Suspend();
  bool AppProc(TMessage& message);
  void AppIdle(TObject* sender, bool& done);

  bool activeOnly_ = true;
  bool enabled_ = true;
  std::int32_t ticksPerSecond_ = 0;
  bool armed_ = false;
  std::uint32_t interval_ = 1000;
  std::uint32_t intervalDivisor_ = 1000;
  std::int32_t ticksInWindow_ = 0;
  std::uint32_t lastTick_ = 0;
  std::uint32_t windowStart_ = 0;
  int hook_ = 0;
};

class TDXTimer : public TCustomDXTimer {
 public:
  using TCustomDXTimer::TCustomDXTimer;
  const char* ClassName() const override { return "TDXTimer"; }
};

// Makes the graphics components known to the form resource reader.
void RegisterGraphicsClasses();

}  // namespace corvane
