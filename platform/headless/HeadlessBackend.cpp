#include "HeadlessBackend.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace corvane::platform {

std::uint32_t HeadlessClock::now() {
  if (!virtual_) {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
  }
  std::uint32_t reading = time_;
  time_ += stepPerRead_;
  return reading;
}

HeadlessWindow& HeadlessWindowSystem::at(HWND window) {
  auto it = windows_.find(window);
  if (it == windows_.end()) throw std::invalid_argument("no such window");
  return it->second;
}

const HeadlessWindow& HeadlessWindowSystem::at(HWND window) const {
  auto it = windows_.find(window);
  if (it == windows_.end()) throw std::invalid_argument("no such window");
  return it->second;
}

HWND HeadlessWindowSystem::createWindow(const WindowDesc& desc) {
  HWND handle = nextHandle_++;
  windows_[handle].desc = desc;
  windows_[handle].position = monitors_.front().origin;
  return handle;
}

void HeadlessWindowSystem::destroyWindow(HWND window) { windows_.erase(window); }

void HeadlessWindowSystem::showWindow(HWND window, bool centred) {
  HeadlessWindow& w = at(window);
  w.visible = true;
  // Centred on the monitor the window is on. A window shown while it covers
  // its monitor is centred for when it comes back to its own size.
  const HeadlessMonitor monitor = monitorOf(window);
  auto centre = [&](Size size) {
    return Point{monitor.origin.x + (monitor.size.width - size.width) / 2,
                 monitor.origin.y + (monitor.size.height - size.height) / 2};
  };
  if (centred && w.fullScreen)
    w.windowedPosition = centre(w.windowedSize);
  else if (centred)
    w.position = centre({w.desc.clientWidth, w.desc.clientHeight});
  if (focusOnShow_ && !hasFocus_) {
    hasFocus_ = true;
    queue_.push_back({EventKind::Activate, window, 0, 0});
  }
}

void HeadlessWindowSystem::setCaption(HWND window, const std::string& caption) {
  at(window).desc.caption = caption;
}

void HeadlessWindowSystem::setBorderStyle(HWND window, BorderStyle border) {
  at(window).desc.border = border;
}

void HeadlessWindowSystem::setClientSize(HWND window, Size size) {
  at(window).desc.clientWidth = size.width;
  at(window).desc.clientHeight = size.height;
}

void HeadlessWindowSystem::setCursorVisible(HWND window, bool visible) {
  at(window).cursorVisible = visible;
}

bool HeadlessWindowSystem::isVisible(HWND window) const { return at(window).visible; }

Size HeadlessWindowSystem::clientSize(HWND window) const {
  const HeadlessWindow& w = at(window);
  return {w.desc.clientWidth, w.desc.clientHeight};
}

Point HeadlessWindowSystem::clientOrigin(HWND window) const {
  Point position = at(window).position;
  Point monitor = monitorOf(window).origin;
  return {position.x - monitor.x, position.y - monitor.y};
}

Size HeadlessWindowSystem::desktopSize() const {
  for (const auto& [handle, w] : windows_)
    if (w.visible) return monitorOf(handle).size;
  return monitors_.front().size;
}

void HeadlessWindowSystem::setMonitors(std::vector<HeadlessMonitor> monitors) {
  if (monitors.empty()) throw std::invalid_argument("a desktop has at least one monitor");
  monitors_ = std::move(monitors);
}

HeadlessMonitor HeadlessWindowSystem::monitorOf(HWND window) const {
  const HeadlessWindow& w = at(window);
  const std::int64_t x = std::int64_t{w.position.x} + w.desc.clientWidth / 2;
  const std::int64_t y = std::int64_t{w.position.y} + w.desc.clientHeight / 2;
  const HeadlessMonitor* nearest = &monitors_.front();
  double nearestDistance = HUGE_VAL;
  for (const HeadlessMonitor& m : monitors_) {
    if (x >= m.origin.x && x < std::int64_t{m.origin.x} + m.size.width && y >= m.origin.y &&
        y < std::int64_t{m.origin.y} + m.size.height)
      return m;
    const auto dx = static_cast<double>(x - (std::int64_t{m.origin.x} + m.size.width / 2));
    const auto dy = static_cast<double>(y - (std::int64_t{m.origin.y} + m.size.height / 2));
    if (dx * dx + dy * dy < nearestDistance) {
      nearest = &m;
      nearestDistance = dx * dx + dy * dy;
    }
  }
  return *nearest;
}

void HeadlessWindowSystem::schedule(std::uint32_t atMs, const Event& event) {
  scheduled_.emplace(atMs, event);
}

// Scheduled times are absolute readings; they are compared as a distance
// from now so that a schedule across a clock wrap still works.
void HeadlessWindowSystem::deliverDue() {
  if (scheduled_.empty()) return;
  std::uint32_t now = clock_->now();
  for (auto it = scheduled_.begin(); it != scheduled_.end();) {
    if (static_cast<std::int32_t>(now - it->first) >= 0) {
      queue_.push_back(it->second);
      it = scheduled_.erase(it);
    } else {
      ++it;
    }
  }
}

bool HeadlessWindowSystem::pollEvent(Event& event) {
  deliverDue();
  if (queue_.empty()) return false;
  event = queue_.front();
  queue_.pop_front();
  if (event.kind == EventKind::Activate) hasFocus_ = true;
  if (event.kind == EventKind::Deactivate) hasFocus_ = false;
  return true;
}

// Nothing outside can post to an empty headless queue while we wait, so an
// empty queue means nothing will ever happen again: end the session.
void HeadlessWindowSystem::waitEvent() {
  if (queue_.empty() && scheduled_.empty() && quitWhenIdle_) queue_.push_back({EventKind::Quit, 0, 0, 0});
}

void HeadlessWindowSystem::waitEvent(std::uint32_t timeoutMs) {
  lastWait_ = timeoutMs;
  if (!clockFollowsWaits_ || !clock_->isVirtual() || !queue_.empty()) return;
  const std::uint32_t from = clock_->peek();
  std::uint32_t span = timeoutMs;
  for (const auto& [at, event] : scheduled_) {
    const auto ahead = static_cast<std::int32_t>(at - from);
    span = std::min(span, ahead > 0 ? static_cast<std::uint32_t>(ahead) : 0u);
  }
  clock_->set(from + span);
}

int HeadlessWindowSystem::messageBox(HWND owner, const std::string& text,
                                     const std::string& caption, std::uint32_t style) {
  boxes_.push_back({owner, text, caption, style});
  return IDOK;
}

bool HeadlessWindowSystem::setFullScreen(HWND window, bool fullScreen) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return false;
  HeadlessWindow& w = it->second;
  if (fullScreen == w.fullScreen) return true;
  if (fullScreen) {
    const HeadlessMonitor monitor = monitorOf(window);
    w.windowedPosition = w.position;
    w.windowedSize = {w.desc.clientWidth, w.desc.clientHeight};
    w.position = monitor.origin;
    w.desc.clientWidth = monitor.size.width;
    w.desc.clientHeight = monitor.size.height;
  } else {
    w.position = w.windowedPosition;
    w.desc.clientWidth = w.windowedSize.width;
    w.desc.clientHeight = w.windowedSize.height;
  }
  w.fullScreen = fullScreen;
  return true;
}

const HeadlessWindow* HeadlessWindowSystem::window(HWND window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

}  // namespace corvane::platform
