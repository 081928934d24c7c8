#pragma once

#include <SDL.h>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <optional>

#include "platform/Clock.h"
#include "platform/User32.h"

namespace corvane::platform {

// The desktop's millisecond clock, counted on the monotonic clock from the
// backend's start. Knowing its own origin, a wait can end just as the reading
// turns to the value it waits for, not up to a millisecond after.
class SdlClock : public Clock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  std::uint32_t now() override { return static_cast<std::uint32_t>(reading(std::chrono::steady_clock::now())); }
  // The moment the reading first stands `ms` past the one at `from`.
  TimePoint turnAfter(TimePoint from, std::uint32_t ms) const {
    return origin_ + std::chrono::milliseconds(reading(from) + ms);
  }

 private:
  std::int64_t reading(TimePoint at) const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(at - origin_).count();
  }
  TimePoint origin_ = std::chrono::steady_clock::now();
};

class SdlWindowSystem : public WindowSystem {
 public:
  explicit SdlWindowSystem(const SdlClock& clock) : clock_(&clock) {}
  ~SdlWindowSystem() override;

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
  void postEvent(const Event& event) override { posted_.push_back(event); }
  int messageBox(HWND owner, const std::string& text, const std::string& caption,
                 std::uint32_t style) override;

  // The SDL window behind a handle, for the presentation code.
  SDL_Window* sdlWindow(HWND window) const;
  // The display (monitor) a window is on; 0 when SDL cannot tell.
  int displayOf(HWND window) const;
  // The display the emulated screen stands for: that of the first visible
  // window, else the first display.
  int desktopDisplay() const;
  // Notes where a window's client area stands before it covers the desktop;
  // the next frame change after it returns puts the client area back there.
  void rememberPlace(HWND window);
  // Called before a window is destroyed, so that what draws into it can go first.
  void setBeforeDestroy(std::function<void(HWND)> hook) { beforeDestroy_ = std::move(hook); }

 private:
  struct Entry {
    SDL_Window* window = nullptr;
    bool cursorVisible = true;
    std::optional<SDL_Point> place;  // client origin before covering the desktop
  };
  bool translate(const SDL_Event& in, Event& out) const;
  HWND handleOf(Uint32 sdlWindowId) const;

  const SdlClock* clock_;
  std::map<HWND, Entry> windows_;
  HWND nextHandle_ = 1;
  std::deque<Event> posted_;
  bool quitSignalled_ = false;
  std::function<void(HWND)> beforeDestroy_;
};

// Virtual key code for an SDL key; 0 for keys the intro's platform has no code for.
std::uint16_t VirtualKeyFromSdl(SDL_Keycode key);

}  // namespace corvane::platform
