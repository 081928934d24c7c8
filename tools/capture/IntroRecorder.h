// Runs the real intro on the headless platform, one frame at a time: the
// virtual clock moves exactly one frame-timer interval before each idle step
// of the message loop, so every step is one tick of the frame timer and
// frame N is shown at N intervals after the timer started.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "PngEncoder.h"

namespace corvane::platform {
class HeadlessBackend;
}

namespace corvane::capture {

class IntroRecorder {
 public:
  // Installs a headless platform (replacing any other), creates and shows
  // the intro's main window, and in window format presses F1 before the
  // first tick. The intro binds no player and writes no payload: the frame
  // that would start the music is noted instead. Once per process: the
  // intro's tables are process-wide and start as the program start sets them.
  explicit IntroRecorder(bool window);
  // Closes the intro and removes the platform.
  ~IntroRecorder();
  IntroRecorder(const IntroRecorder&) = delete;
  IntroRecorder& operator=(const IntroRecorder&) = delete;

  // Runs ticks until the intro counts its next frame. False when it has
  // ended, or counted no frame for many ticks (its start failed).
  bool nextFrame();

  std::int32_t frameNumber() const;
  // Milliseconds on the virtual clock since the frame timer started.
  std::uint32_t frameTimeMs() const { return now - timerStart; }
  std::uint32_t frameIntervalMs() const { return interval; }
  // When the intro started its music (the clock since the timer started,
  // and its frame count then); empty before that.
  std::optional<std::uint32_t> musicStartMs() const { return musicStart; }
  std::optional<std::int32_t> musicStartFrame() const { return musicFrame; }
  // What the screen shows now, in `storage` (reused when large enough).
  ScreenPicture screen(std::vector<std::uint32_t> storage = {}) const;

 private:
  platform::HeadlessBackend* backend = nullptr;
  std::uint32_t timerStart = 0;
  std::uint32_t now = 0;
  std::uint32_t interval = 16;
  std::optional<std::uint32_t> musicStart;
  std::optional<std::int32_t> musicFrame;
};

}  // namespace corvane::capture
