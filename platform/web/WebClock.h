// The page's clock: performance.now in milliseconds, or a virtual one.
#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace corvane::platform {

class WebClock : public Clock {
 public:
  explicit WebClock(bool isVirtual) : virtual_(isVirtual) {}
  std::uint32_t now() override;
  void advance(std::uint32_t ms) { time_ += ms; }
  bool isVirtual() const { return virtual_; }

  // The first reading after the latest wait of the message loop: the one the
  // frame timer decides on.
  void markWait() { readSinceWait_ = false; }
  std::uint32_t firstReadingAfterWait() const { return firstReading_; }

 private:
  bool virtual_;
  std::uint32_t time_ = 0;
  bool readSinceWait_ = false;
  std::uint32_t firstReading_ = 0;
};

}  // namespace corvane::platform
