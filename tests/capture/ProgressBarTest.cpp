// The progress bar's timing, on a clock the test moves: quiet for the first
// second, at most ten redraws a second, and a finished step always shown.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "ProgressBar.h"

namespace corvane::capture {
namespace {

using Clock = ProgressBar::Clock;
using std::chrono::milliseconds;

struct Step {
  int atMs;          // time since the bar was made
  const char* what;  // nullptr: finish() instead of update()
  std::uint64_t done = 0;
  std::uint64_t total = 0;
};

struct TimingCase {
  const char* name;
  bool enabled;
  std::vector<Step> steps;
  std::string shown;
};

std::string Bar(const std::string& what, std::uint64_t done, std::uint64_t total) {
  return "\r" + ProgressBar::Render(what, done, total, 30) + "\033[K";
}

// What the bar writes for the steps, read back from a memory stream.
std::string Shown(const TimingCase& c) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = ::open_memstream(&buffer, &size);
  const Clock::time_point start{};
  Clock::time_point time = start;
  {
    ProgressBar bar(out, c.enabled, [&time] { return time; });
    for (const Step& step : c.steps) {
      time = start + milliseconds(step.atMs);
      if (step.what) bar.update(step.what, step.done, step.total);
      else bar.finish();
    }
  }
  std::fclose(out);
  std::string shown(buffer, size);
  std::free(buffer);
  return shown;
}

void PrintTo(const TimingCase& c, std::ostream* os) { *os << c.name; }

class ProgressBarTiming : public ::testing::TestWithParam<TimingCase> {};

TEST_P(ProgressBarTiming, DrawsWhatAPersonShouldSee) { EXPECT_EQ(Shown(GetParam()), GetParam().shown); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgressBarTiming,
    ::testing::Values(
        TimingCase{"quiet_in_the_first_second", true, {{0, "frames", 1, 10}, {999, "frames", 10, 10}}, ""},
        TimingCase{"shown_after_a_second_and_ended_once",
                   true,
                   {{1000, "frames", 5, 10}, {1001, nullptr}, {1002, nullptr}},
                   Bar("frames", 5, 10) + "\n"},
        TimingCase{"redrawn_ten_times_a_second",
                   true,
                   {{1000, "frames", 5, 10}, {1099, "frames", 6, 10}, {1100, "frames", 7, 10}},
                   Bar("frames", 5, 10) + Bar("frames", 7, 10) + "\n"},
        TimingCase{"a_finished_step_is_always_drawn",
                   true,
                   {{1000, "music ", 0, 8}, {1001, "music ", 8, 8}, {1002, "gif   ", 0, 1}, {1003, "gif   ", 1, 1}},
                   Bar("music ", 0, 8) + Bar("music ", 8, 8) + Bar("gif   ", 1, 1) + "\n"},
        TimingCase{"a_step_finished_within_the_first_second_stays_unseen",
                   true,
                   {{10, "frames", 10, 10}, {1500, "music ", 3, 8}},
                   Bar("music ", 3, 8) + "\n"},
        TimingCase{"never_drawn_when_not_a_terminal", false, {{5000, "frames", 10, 10}, {5001, nullptr}}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct RenderCase {
  const char* what;
  std::uint64_t done;
  std::uint64_t total;
  int columns;
  const char* text;
};

TEST(ProgressBarRender, FillsInProportionAndKeepsWithinItsBounds) {
  for (const RenderCase& c : {RenderCase{"frames", 0, 4, 4, "frames [....] 0% (0/4)"},
                              RenderCase{"frames", 3, 4, 4, "frames [###.] 75% (3/4)"},
                              RenderCase{"music ", 9, 4, 4, "music  [####] 100% (4/4)"},
                              RenderCase{"gif   ", 0, 0, 2, "gif    [..] 0% (0/1)"}}) {
    EXPECT_EQ(ProgressBar::Render(c.what, c.done, c.total, c.columns), c.text);
  }
}

}  // namespace
}  // namespace corvane::capture
