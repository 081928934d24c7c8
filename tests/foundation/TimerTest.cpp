// The frame timer against a virtual clock: when it ticks, with which lag,
// what rate it measures, and who owns the idle slot.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "../support/HeadlessFixture.h"
#include "graphics/DXClass.h"

namespace corvane::test {
namespace {

class TimerTest : public HeadlessFixture {
 protected:
  void SetUp() override {
    HeadlessFixture::SetUp();
    post(platform::EventKind::Activate);
    Application->ProcessMessages();
    timer = new TDXTimer(Application);
    timer->SetEnabled(false);
    timer->SetInterval(16);
    timer->OnTimer = [this](TObject*, std::int32_t lag) { lags.push_back(lag); };
  }
  // One idle step at the given clock reading.
  void idleAt(std::uint32_t ms) {
    clock().set(ms);
    Application->HandleMessage();
  }

  TDXTimer* timer = nullptr;
  std::vector<std::int32_t> lags;
};

struct TickCase {
  const char* name;
  std::uint32_t start;                 // clock when the timer is enabled
  std::vector<std::uint32_t> idles;    // clock readings of the idle steps
  std::vector<std::int32_t> lags;      // ticks that follow, with their lag
  // What the idle steps that did not tick asked the queue to wait: exactly
  // the time left to the next tick.
  std::vector<std::uint32_t> waits;
};

void PrintTo(const TickCase& c, std::ostream* os) { *os << c.name; }

class TimerTicks : public TimerTest, public ::testing::WithParamInterface<TickCase> {};

TEST_P(TimerTicks, TicksWithLag) {
  const TickCase& c = GetParam();
  clock().set(c.start);
  timer->SetEnabled(true);
  std::vector<std::uint32_t> waits;
  for (std::uint32_t ms : c.idles) {
    const std::size_t ticks = lags.size();
    idleAt(ms);
    const std::optional<std::uint32_t> wait = windows().takeLastWait();
    if (wait) waits.push_back(*wait);
    EXPECT_EQ(wait.has_value(), lags.size() == ticks) << "at " << ms << ": a step either ticks or waits";
  }
  EXPECT_EQ(lags, c.lags);
  EXPECT_EQ(waits, c.waits);
}

INSTANTIATE_TEST_SUITE_P(
    Timer, TimerTicks,
    ::testing::Values(
        // Not yet due at 15 ms; due at 16 with lag 1; the next is due 16 ms later.
        TickCase{"on_time", 1000, {1000, 1015, 1016, 1031, 1032}, {1, 1}, {16, 1, 1}},
        // A 100 ms gap gives one tick with lag 6, not six ticks.
        TickCase{"gap_of_100ms", 1000, {1100, 1101, 1115, 1116}, {6, 1}, {15, 1}},
        // A late tick is not made up: the next is due 16 ms after it.
        TickCase{"late_tick_resets_due_time", 1000, {1040, 1050, 1056}, {2, 1}, {6}},
        // The clock wraps between two readings: still 16 ms apart.
        TickCase{"clock_wrap", 0xFFFFFFF8u, {0xFFFFFFFCu, 0x7u, 0x8u, 0x18u}, {1, 1}, {12, 1}},
        TickCase{"clock_wrap_with_gap", 0xFFFFFFF0u, {0x40u}, {5}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TimerTest, RateIsMeasuredOverWindowsOfASecondAndRoundedToEven) {
  clock().set(0);
  timer->SetEnabled(true);
  for (int i = 1; i <= 62; ++i) idleAt(16u * i);
  EXPECT_EQ(timer->TicksPerSecond(), 0) << "no full window yet";
  idleAt(16u * 63);  // 63 ticks in 1008 ms: 62.5, rounded to even
  EXPECT_EQ(timer->TicksPerSecond(), 62);
  for (int i = 64; i <= 125; ++i) idleAt(16u * i);
  EXPECT_EQ(timer->TicksPerSecond(), 62) << "next window 992 ms long: not closed yet";
  idleAt(16u * 126);  // 63 ticks in 1008 ms again
  EXPECT_EQ(timer->TicksPerSecond(), 62);
}

TEST_F(TimerTest, EnablingAgainDoesNotRestartTheClockButDisableEnableDoes) {
  clock().set(500);
  timer->SetEnabled(true);
  clock().set(510);
  timer->SetEnabled(true);  // no change
  timer->SetInterval(16);   // same value: no change
  idleAt(516);
  EXPECT_EQ(lags, (std::vector<std::int32_t>{1}));

  clock().set(520);
  timer->SetEnabled(false);
  timer->SetEnabled(true);  // clock restarts at 520
  idleAt(532);
  EXPECT_EQ(lags.size(), 1u);
  idleAt(536);
  EXPECT_EQ(lags, (std::vector<std::int32_t>{1, 1}));
}

TEST_F(TimerTest, PausedWhileInactiveAndResumedWithAFreshClock) {
  clock().set(0);
  timer->SetEnabled(true);
  idleAt(16);
  post(platform::EventKind::Deactivate);
  Application->ProcessMessages();
  EXPECT_FALSE(Application->OnIdle) << "the idle slot is emptied while inactive";
  EXPECT_TRUE(timer->Armed());
  idleAt(500);
  EXPECT_EQ(lags.size(), 1u);

  clock().set(1000);
  post(platform::EventKind::Activate);
  Application->ProcessMessages();
  idleAt(1015);
  EXPECT_EQ(lags.size(), 1u) << "the clock restarted at activation";
  idleAt(1016);
  EXPECT_EQ(lags, (std::vector<std::int32_t>{1, 1}));
}

TEST_F(TimerTest, EnabledWhileInactiveArmsWithoutTicks) {
  post(platform::EventKind::Deactivate);
  Application->ProcessMessages();
  timer->SetEnabled(true);
  EXPECT_TRUE(timer->Armed());
  EXPECT_FALSE(Application->OnIdle);
  post(platform::EventKind::Activate);
  Application->ProcessMessages();
  EXPECT_TRUE(Application->OnIdle);
}

TEST_F(TimerTest, ActivationEventsReachTheHandlers) {
  int activations = 0, deactivations = 0;
  timer->OnActivate = [&](TObject* sender) { activations += sender == timer; };
  timer->OnDeactivate = [&](TObject* sender) { deactivations += sender == timer; };
  post(platform::EventKind::Deactivate);
  post(platform::EventKind::Activate);
  post(platform::EventKind::Activate);  // already active: no second notice
  Application->ProcessMessages();
  EXPECT_EQ(activations, 1);
  EXPECT_EQ(deactivations, 1);
}

TEST_F(TimerTest, ASecondTimerTakesTheSlotAndStoppingEitherEmptiesIt) {
  auto* second = new TDXTimer(Application);
  second->SetEnabled(false);
  second->SetInterval(16);
  int secondTicks = 0;
  second->OnTimer = [&](TObject*, std::int32_t) { ++secondTicks; };
  clock().set(0);
  timer->SetEnabled(true);
  second->SetEnabled(true);
  idleAt(16);
  EXPECT_TRUE(lags.empty());
  EXPECT_EQ(secondTicks, 1);
  timer->SetEnabled(false);  // stopping the first empties the slot of the second
  EXPECT_FALSE(Application->OnIdle);
}

TEST_F(TimerTest, IntervalZeroTicksOnEveryIdleStepWithTheElapsedTimeAsLag) {
  timer->SetInterval(0);
  clock().set(100);
  timer->SetEnabled(true);
  idleAt(100);
  idleAt(103);
  EXPECT_EQ(lags, (std::vector<std::int32_t>{1, 3}));
  EXPECT_FALSE(windows().takeLastWait()) << "every step ticks: none sleeps";
}

TEST_F(TimerTest, IntervalIsTakenAsSignedAndHeldAtZero) {
  timer->SetInterval(0xFFFFFFFFu);  // -1
  EXPECT_EQ(timer->Interval(), 0u);
  clock().set(0);
  timer->SetEnabled(true);
  idleAt(0);
  EXPECT_EQ(lags, (std::vector<std::int32_t>{1})) << "divisor at least 1, lag at least 1";
}

TEST_F(TimerTest, AnErrorInTheHandlerIsReportedOnceAndTheNextTickStillRuns) {
  Application->Title = "Corvane";
  int calls = 0;
  timer->OnTimer = [&](TObject*, std::int32_t) {
    if (++calls == 1) throw EConvertError("kaputt");
  };
  clock().set(0);
  timer->SetEnabled(true);
  idleAt(16);
  idleAt(20);
  idleAt(32);
  EXPECT_EQ(calls, 2);
  ASSERT_EQ(windows().messageBoxes().size(), 1u);
  EXPECT_EQ(windows().messageBoxes()[0].text, "kaputt");
  EXPECT_EQ(windows().messageBoxes()[0].caption, "Corvane");
  EXPECT_EQ(windows().messageBoxes()[0].style & platform::MB_ICONMASK, platform::MB_ICONERROR);
}

TEST_F(TimerTest, DestroyingARunningTimerEmptiesTheSlot) {
  timer->SetEnabled(true);
  EXPECT_TRUE(Application->OnIdle);
  TComponent::Free(timer);
  EXPECT_FALSE(Application->OnIdle);
  post(platform::EventKind::Deactivate);  // the hook is gone too
  Application->ProcessMessages();
}

}  // namespace
}  // namespace corvane::test
