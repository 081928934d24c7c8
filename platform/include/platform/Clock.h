// The multimedia clock: milliseconds since some start, 32 bits, wrapping.
#pragma once

#include <cstdint>

namespace corvane::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::uint32_t now() = 0;
};

}  // namespace corvane::platform
