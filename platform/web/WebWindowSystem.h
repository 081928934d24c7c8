// The page's windows: one canvas shows whichever window is visible; keys,
// visibility and the end of the page arrive as events; the box is a dialog.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>

#include "WebClock.h"
#include "platform/User32.h"

namespace corvane::platform {

struct WebOptions;

class WebWindowSystem : public WindowSystem {
 public:
  WebWindowSystem(WebClock& clock, const WebOptions& options);
  ~WebWindowSystem() override;
  HWND createWindow(const WindowDesc& desc) override;
  void destroyWindow(HWND window) override;
  void showWindow(HWND window, bool centred) override;
  void setCaption(HWND window, const std::string& caption) override;
  void setBorderStyle(HWND window, BorderStyle border) override;
  void setClientSize(HWND window, Size size) override;
  void setCursorVisible(HWND window, bool visible) override;
  bool isVisible(HWND window) const override;
  Size clientSize(HWND window) const override;
  Point clientOrigin(HWND) const override { return {}; }
  Size desktopSize() const override;
  bool pollEvent(Event& event) override;
  void waitEvent() override;
  // Returns at once: the page's loop gives the browser its turn in
  // pollEvent, which already sleeps until the next frame is due, and a wait
  // here as well would make the frame late.
  void waitEvent(std::uint32_t) override {}
  void postEvent(const Event& event) override { queue_.push_back(event); }
  int messageBox(HWND owner, const std::string& text, const std::string& caption,
                 std::uint32_t style) override;

  // From the page.
  void key(std::uint16_t key, bool down, std::uint32_t shift);
  void pageVisible(bool visible);
  void quit() { queue_.push_back({EventKind::Quit, 0, 0, 0}); }
  void setFrameCounter(std::function<std::int32_t()> counter) { frameCounter_ = std::move(counter); }
  std::int32_t frameNumber() const { return frameCounter_ ? frameCounter_() : 0; }

 private:
  struct Window {
    WindowDesc desc;
    bool visible = false;
  };
  // Gives the browser its turn: until the next frame is due, or at once.
  void waitForBrowser();
  HWND shownWindow() const;

  WebClock* clock_;
  std::uint32_t framePeriod_;
  std::map<HWND, Window> windows_;
  HWND nextHandle_ = 1;
  std::deque<Event> queue_;
  bool pageVisible_ = true;
  bool active_ = false;
  std::function<std::int32_t()> frameCounter_;
  // When the latest counted frame was due, by the clock.
  std::int32_t lastFrame_ = 0;
  std::uint32_t lastFrameTime_ = 0;
  bool frameSeen_ = false;
};

}  // namespace corvane::platform
