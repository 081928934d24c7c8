#include "HeadlessBackend.h"

#include <chrono>
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
  return handle;
}

void HeadlessWindowSystem::destroyWindow(HWND window) { windows_.erase(window); }

void HeadlessWindowSystem::showWindow(HWND window, bool centred) {
  HeadlessWindow& w = at(window);
  w.visible = true;
  // A window shown while it covers the desktop is centred for when it
  // comes back to its own size.
  if (centred && w.fullScreen) {
    w.windowedPosition = {(desktop_.width - w.windowedSize.width) / 2,
                          (desktop_.height - w.windowedSize.height) / 2};
  } else if (centred) {
    w.position = {(desktop_.width - w.desc.clientWidth) / 2,
                  (desktop_.height - w.desc.clientHeight) / 2};
  }
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

Point HeadlessWindowSystem::clientOrigin(HWND window) const { return at(window).position; }

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
    w.windowedPosition = w.position;
    w.windowedSize = {w.desc.clientWidth, w.desc.clientHeight};
    w.position = {0, 0};
    w.desc.clientWidth = desktop_.width;
    w.desc.clientHeight = desktop_.height;
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
