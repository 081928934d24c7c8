#include "ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <utility>

namespace corvane::capture {

namespace {

constexpr auto kQuietTime = std::chrono::seconds(1);
constexpr auto kRedrawTime = std::chrono::milliseconds(100);
constexpr int kBarColumns = 30;

}  // namespace

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

ProgressBar::ProgressBar(std::FILE* out, bool enabled, Now now)
    : out(out), enabled(enabled), now(std::move(now)), started(this->now()) {}

ProgressBar::~ProgressBar() { finish(); }

std::string ProgressBar::Render(const std::string& what, std::uint64_t done, std::uint64_t total, int columns) {
  total = std::max<std::uint64_t>(total, 1);
  done = std::min(done, total);
  const int filled = static_cast<int>(done * static_cast<std::uint64_t>(columns) / total);
  const int percent = static_cast<int>(done * 100 / total);
  std::string line = what + " [";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(columns - filled), '.');
  line += "] " + std::to_string(percent) + "% (" + std::to_string(done) + "/" + std::to_string(total) + ")";
  return line;
}

void ProgressBar::update(const std::string& what, std::uint64_t done, std::uint64_t total) {
  if (!enabled) return;
  const Clock::time_point time = now();
  if (time - started < kQuietTime) return;
  if (drawn && time - lastDrawn < kRedrawTime && done < total) return;
  lastDrawn = time;
  // Clear to the end of the line: the step names differ in length.
  std::fprintf(out, "\r%s\033[K", Render(what, done, total, kBarColumns).c_str());
  std::fflush(out);
  drawn = true;
}

void ProgressBar::finish() {
  if (!drawn) return;
  std::fputc('\n', out);
  std::fflush(out);
  drawn = false;
}

}  // namespace corvane::capture
