#include "SdlBackend.h"

#include <SDL.h>
#include <malloc.h>

#include <cstdlib>
#include <string_view>

#include "SdlDisplay.h"
#include "SdlEndRequests.h"
#include "SdlWindowSystem.h"

namespace corvane::platform {

namespace {

class SdlBackend : public Backend {
 public:
  ~SdlBackend() override {
    StopWatchingEndSignals();
    display_.reset();
    windows_.reset();
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    SDL_Quit();
  }
  std::string_view name() const override { return "sdl"; }
  WindowSystem& windows() override { return *windows_; }
  Clock& clock() override { return clock_; }
  Display& display() override { return *display_; }

 private:
  SdlClock clock_;
  std::unique_ptr<SdlWindowSystem> windows_ = std::make_unique<SdlWindowSystem>(clock_);
  std::unique_ptr<SdlDisplay> display_ = std::make_unique<SdlDisplay>(*windows_);
};

}  // namespace

std::unique_ptr<Backend> OpenSdlBackend(std::string& error) {
  // Without a desktop session SDL would quietly fall back to drawing into
  // memory; that is no display for a user to look at.
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!x11 || !*x11) && (!wayland || !*wayland)) {
    error = "neither DISPLAY nor WAYLAND_DISPLAY is set";
    return nullptr;
  }
  // Only the desktop's own drivers, so that a failure names the real reason.
  std::string drivers = (x11 && *x11) ? "x11" : "";
  if (wayland && *wayland) drivers += drivers.empty() ? "wayland" : ",wayland";
  SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
  // Signals to end are watched here (SdlEndRequests.h), before SDL or the
  // graphics driver make threads of their own that would otherwise take them.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  StartWatchingEndSignals();
  // Keep the desktop's compositor and screen saver as the user set them for a
  // windowed program; full screen is handled by the presentation code.
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // Every switch between window and full screen makes the graphics driver
  // free its screen-sized buffers and make new ones. The allocator would
  // raise its threshold for mapping large blocks after the first such free
  // and keep the next ones in a thread's heap, growing the process by a
  // screen's worth now and then; a fixed threshold gives them back at once.
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
  IgnoreWakeUpsToClosedWindows();
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    error = SDL_GetError();
    StopWatchingEndSignals();
    return nullptr;
  }
  std::string_view driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
  if (SDL_GetNumVideoDisplays() < 1 || driver == "offscreen" || driver == "dummy") {
    error = "no video display";
    SDL_Quit();
    StopWatchingEndSignals();
    return nullptr;
  }
  if (driver == "x11") WatchDisplayConnection();
  return std::make_unique<SdlBackend>();
}

std::unique_ptr<Backend> OpenSdlBackendOnDriver(const char* driver, std::string& error) {
  SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    error = SDL_GetError();
    return nullptr;
  }
  return std::make_unique<SdlBackend>();
}

}  // namespace corvane::platform
