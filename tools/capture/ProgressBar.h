// A one-line progress bar on stderr, for a person watching a terminal: it
// appears only when stderr is a terminal and the run has taken more than a
// second, and is redrawn at most ten times a second.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace corvane::capture {

class ProgressBar {
 public:
  using Clock = std::chrono::steady_clock;

  using Now = std::function<Clock::time_point()>;

  // `enabled` false: never draws (stderr is not a terminal). `now` tells the
  // time; tests pass their own.
  ProgressBar(std::FILE* out, bool enabled, Now now = Clock::now);
  // Ends the line if a bar was drawn.
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // `done` of `total` units of the step named `what`. A step's last call
  // should give `done` equal to `total`: that state is always drawn once the
  // bar is showing, so a finished step never stays short of 100%.
  void update(const std::string& what, std::uint64_t done, std::uint64_t total);
  // Ends the bar's line, so that a message can follow on a line of its own.
  void finish();

  // The bar's text for a width in columns, without the carriage return.
  static std::string Render(const std::string& what, std::uint64_t done, std::uint64_t total, int columns);

 private:
  std::FILE* out;
  bool enabled;
  Now now;
  bool drawn = false;
  Clock::time_point started;
  Clock::time_point lastDrawn{};
};

// Whether the stream is a terminal.
bool IsTerminal(std::FILE* stream);

}  // namespace corvane::capture
