#include "SdlBackend.h"

#include <SDL.h>

#include "SdlWindowSystem.h"

namespace corvane::platform {

namespace {

class SdlClock : public Clock {
 public:
  std::uint32_t now() override { return SDL_GetTicks(); }
};

class SdlBackend : public Backend {
 public:
  ~SdlBackend() override {
    windows_.reset();
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    SDL_Quit();
  }
  std::string_view name() const override { return "sdl"; }
  WindowSystem& windows() override { return *windows_; }
  Clock& clock() override { return clock_; }

 private:
  std::unique_ptr<SdlWindowSystem> windows_ = std::make_unique<SdlWindowSystem>();
  SdlClock clock_;
};

}  // namespace

std::unique_ptr<Backend> OpenSdlBackend(std::string& error) {
  // Keep the desktop's compositor and screen saver as the user set them for a
  // windowed program; full screen is handled by the presentation code.
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    error = SDL_GetError();
    return nullptr;
  }
  if (SDL_GetNumVideoDisplays() < 1) {
    error = "no video display";
    SDL_Quit();
    return nullptr;
  }
  return std::make_unique<SdlBackend>();
}

}  // namespace corvane::platform
