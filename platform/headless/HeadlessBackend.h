// A platform without a display: windows, the queue, the clock and the
// message boxes live in memory, where tests and the capture tool can see and
// steer them.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "HeadlessDisplay.h"
#include "platform/Platform.h"

namespace corvane::platform {

struct RecordedMessageBox {
  HWND owner = 0;
  std::string text;
  std::string caption;
  std::uint32_t style = 0;
};

// A monitor of the headless desktop: its top-left on the desktop and its size.
struct HeadlessMonitor {
  Point origin;
  Size size;
};

struct HeadlessWindow {
  WindowDesc desc;
  bool visible = false;
  bool cursorVisible = true;
  Point position;  // top-left of the client area on the desktop (not on its monitor)
  bool fullScreen = false;
  Point windowedPosition;  // where the window was before it covered the desktop
  Size windowedSize;
};

// A clock that only moves when told to, or follows the real time.
class HeadlessClock : public Clock {
 public:
  std::uint32_t now() override;
  void setVirtual(bool isVirtual) { virtual_ = isVirtual; }
  void set(std::uint32_t ms) { time_ = ms; }
  void advance(std::uint32_t ms) { time_ += ms; }
  // Moves the clock by this much on every reading (0: stands still).
  void setStepPerRead(std::uint32_t ms) { stepPerRead_ = ms; }
  bool isVirtual() const { return virtual_; }
  // The virtual reading, without moving the clock.
  std::uint32_t peek() const { return time_; }

 private:
  bool virtual_ = true;
  std::uint32_t time_ = 0;
  std::uint32_t stepPerRead_ = 0;
};

class HeadlessWindowSystem : public WindowSystem {
 public:
  explicit HeadlessWindowSystem(HeadlessClock& clock) : clock_(&clock) {}
  HWND createWindow(const WindowDesc& desc) override;
  void destroyWindow(HWND window) override;
  void showWindow(HWND window, bool centred) override;
  void setCaption(HWND window, const std::string& caption) override;
  void setBorderStyle(HWND window, BorderStyle border) override;
  void setClientSize(HWND window, Size size) override;
  void setCursorVisible(HWND window, bool visible) override;
  bool isVisible(HWND window) const override;
  Size clientSize(HWND window) const override;
  Point clientOrigin(HWND window) const override;
  Size desktopSize() const override;
  bool pollEvent(Event& event) override;
  void waitEvent() override;
  void waitEvent(std::uint32_t timeoutMs) override;
  void postEvent(const Event& event) override { queue_.push_back(event); }
  // Delivers the event once the clock reads `atMs` or later (events due at
  // the same time keep their order).
  void schedule(std::uint32_t atMs, const Event& event);
  int messageBox(HWND owner, const std::string& text, const std::string& caption,
                 std::uint32_t style) override;

  // For tests and the capture tool.
  const HeadlessWindow* window(HWND window) const;
  std::size_t windowCount() const { return windows_.size(); }
  const std::vector<RecordedMessageBox>& messageBoxes() const { return boxes_; }
  void clearMessageBoxes() { boxes_.clear(); }
  // One monitor of this size at the desktop's top-left.
  void setDesktopSize(Size size) { monitors_ = {{{0, 0}, size}}; }
  // Several monitors side by side or apart; new windows open on the first,
  // as on a desktop's primary monitor. At least one.
  void setMonitors(std::vector<HeadlessMonitor> monitors);
  // The monitor a window is on: the one under its client area's centre,
  // else the nearest one.
  HeadlessMonitor monitorOf(HWND window) const;
  // Puts the client area at this point of the desktop, as the user does by
  // dragging the window.
  void moveWindow(HWND window, Point desktopPosition) { at(window).position = desktopPosition; }
  // Covers the monitor the window is on (client area at its top-left, its
  // size), or puts the window back where it was; false for an unknown window.
  bool setFullScreen(HWND window, bool fullScreen);
  std::size_t pendingEvents() const { return queue_.size(); }
  // Activation follows the first shown window, as a desktop gives the
  // focus to a program's new window.
  void setFocusOnShow(bool focus) { focusOnShow_ = focus; }
  // Whether waiting on an empty queue ends the session (the default: nothing
  // outside can post here) or just returns (for tests that step the loop).
  void setQuitWhenIdle(bool quit) { quitWhenIdle_ = quit; }
  // Whether a wait with a timeout takes virtual time: the clock moves on to
  // the wait's end, or to the next scheduled event if that is due first, as
  // a real wait would last. By default a wait takes no time at all.
  void setClockFollowsWaits(bool follow) { clockFollowsWaits_ = follow; }
  // The timeout of the last wait since the last call, if there was one.
  std::optional<std::uint32_t> takeLastWait() { return std::exchange(lastWait_, std::nullopt); }

 private:
  HeadlessWindow& at(HWND window);
  const HeadlessWindow& at(HWND window) const;

  std::map<HWND, HeadlessWindow> windows_;
  HWND nextHandle_ = 1;
  void deliverDue();

  HeadlessClock* clock_ = nullptr;
  std::multimap<std::uint32_t, Event> scheduled_;
  std::deque<Event> queue_;
  std::vector<RecordedMessageBox> boxes_;
  std::vector<HeadlessMonitor> monitors_{{{0, 0}, {1920, 1080}}};
  bool focusOnShow_ = true;
  bool quitWhenIdle_ = true;
  bool hasFocus_ = false;
  bool clockFollowsWaits_ = false;
  std::optional<std::uint32_t> lastWait_;
};

class HeadlessBackend : public Backend {
 public:
  std::string_view name() const override { return "headless"; }
  HeadlessWindowSystem& windows() override { return windows_; }
  HeadlessClock& clock() override { return clock_; }
  HeadlessDisplay& display() override { return display_; }

 private:
  HeadlessClock clock_;
  HeadlessWindowSystem windows_{clock_};
  HeadlessDisplay display_{windows_};
};

}  // namespace corvane::platform
