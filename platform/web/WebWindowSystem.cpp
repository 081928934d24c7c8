#include "WebWindowSystem.h"

#include <emscripten.h>

#include <stdexcept>

#include "WebBackend.h"

namespace corvane::platform {

namespace {

// The dialog in the page; comes back when its OK was pressed.
EM_ASYNC_JS(void, page_message_box, (const char* caption, const char* text, int icon), {
  await Module.corvanePage.messageBox(UTF8ToString(caption), UTF8ToString(text), icon);
});
// Comes back once the page has an event for the program.
EM_ASYNC_JS(void, page_wait_event, (), { await Module.corvanePage.waitForEvent(); });
// Comes back after `ms` milliseconds, or at the browser's next turn for 0.
EM_ASYNC_JS(void, page_yield, (int ms), { await Module.corvanePage.yieldFor(ms); });
EM_JS(void, page_set_title, (const char* caption), { Module.corvanePage.setTitle(UTF8ToString(caption)); });
EM_JS(void, page_set_cursor, (int visible), { Module.corvanePage.setCursorVisible(visible != 0); });
EM_JS(int, page_screen_width, (), { return Module.corvanePage.screenSize()[0]; });
EM_JS(int, page_screen_height, (), { return Module.corvanePage.screenSize()[1]; });
EM_JS(int, page_is_visible, (), { return Module.corvanePage.isVisible() ? 1 : 0; });

}  // namespace

WebWindowSystem::WebWindowSystem(WebClock& clock, const WebOptions& options)
    : clock_(&clock), framePeriod_(options.framePeriodMs), pageVisible_(page_is_visible() != 0) {}

WebWindowSystem::~WebWindowSystem() = default;

HWND WebWindowSystem::createWindow(const WindowDesc& desc) {
  HWND handle = nextHandle_++;
  windows_[handle].desc = desc;
  return handle;
}

void WebWindowSystem::destroyWindow(HWND window) { windows_.erase(window); }

void WebWindowSystem::showWindow(HWND window, bool) {
  auto it = windows_.find(window);
  if (it == windows_.end()) throw std::invalid_argument("no such window");
  it->second.visible = true;
  page_set_title(it->second.desc.caption.c_str());
  // The page gives its window the focus as a desktop gives it to a new
  // window, unless the page is not being looked at.
  if (!active_ && pageVisible_) {
    active_ = true;
    queue_.push_back({EventKind::Activate, window, 0, 0});
  }
}

void WebWindowSystem::setCaption(HWND window, const std::string& caption) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  it->second.desc.caption = caption;
  if (it->second.visible) page_set_title(caption.c_str());
}

void WebWindowSystem::setBorderStyle(HWND window, BorderStyle border) {
  if (auto it = windows_.find(window); it != windows_.end()) it->second.desc.border = border;
}

void WebWindowSystem::setClientSize(HWND window, Size size) {
  if (auto it = windows_.find(window); it != windows_.end()) {
    it->second.desc.clientWidth = size.width;
    it->second.desc.clientHeight = size.height;
  }
}

void WebWindowSystem::setCursorVisible(HWND, bool visible) { page_set_cursor(visible ? 1 : 0); }

bool WebWindowSystem::isVisible(HWND window) const {
  auto it = windows_.find(window);
  return it != windows_.end() && it->second.visible;
}

Size WebWindowSystem::clientSize(HWND window) const {
  auto it = windows_.find(window);
  if (it == windows_.end()) throw std::invalid_argument("no such window");
  return {it->second.desc.clientWidth, it->second.desc.clientHeight};
}

Size WebWindowSystem::desktopSize() const { return {page_screen_width(), page_screen_height()}; }

HWND WebWindowSystem::shownWindow() const {
  for (const auto& [handle, window] : windows_)
    if (window.visible) return handle;
  return 0;
}

void WebWindowSystem::key(std::uint16_t key, bool down, std::uint32_t shift) {
  const HWND window = shownWindow();
  if (window == 0) return;
  queue_.push_back({down ? EventKind::KeyDown : EventKind::KeyUp, window, key, shift});
}

// A tab that is not looked at is an application that lost the focus: the
// frame timer, which only runs while the application is active, pauses.
void WebWindowSystem::pageVisible(bool visible) {
  pageVisible_ = visible;
  const HWND window = shownWindow();
  if (window == 0 || visible == active_) return;
  active_ = visible;
  queue_.push_back({visible ? EventKind::Activate : EventKind::Deactivate, window, 0, 0});
}

bool WebWindowSystem::pollEvent(Event& event) {
  if (queue_.empty()) waitForBrowser();
  if (queue_.empty()) return false;
  event = queue_.front();
  queue_.pop_front();
  return true;
}

void WebWindowSystem::waitForBrowser() {
  if (clock_->isVirtual()) {
    page_yield(0);
    clock_->advance(framePeriod_);
    clock_->markWait();
    return;
  }
  // A frame was counted since the last wait: it was due at the reading the
  // frame timer decided on, and the next one is due a period later.
  const std::int32_t frame = frameNumber();
  if (frame != lastFrame_) {
    lastFrame_ = frame;
    lastFrameTime_ = clock_->firstReadingAfterWait();
    frameSeen_ = true;
  }
  int wait = 1;
  if (frameSeen_) {
    const auto remaining = static_cast<std::int32_t>(lastFrameTime_ + framePeriod_ - clock_->now());
    // A timer comes a little late: it is set a millisecond early and the
    // last one is waited out in turns of the browser. Long overdue (frames
    // that do not count): short waits, not a busy loop.
    wait = remaining < -static_cast<std::int32_t>(framePeriod_) ? 1 : std::max(remaining - 1, 0);
  }
  page_yield(wait);
  clock_->markWait();
}

void WebWindowSystem::waitEvent() {
  while (queue_.empty()) page_wait_event();
  clock_->markWait();
}

int WebWindowSystem::messageBox(HWND, const std::string& text, const std::string& caption,
                                std::uint32_t style) {
  page_message_box(caption.c_str(), text.c_str(), static_cast<int>(style & MB_ICONMASK));
  return IDOK;
}

}  // namespace corvane::platform
