// The screen on the real desktop: each window shows its pictures through an
// SDL renderer with one streaming texture; full screen covers the window's
// monitor ("desktop full screen") and scales the picture, never touching the
// monitor's own mode.
#pragma once

#include <SDL.h>

#include <map>

#include "SdlWindowSystem.h"
#include "platform/Display.h"

namespace corvane::platform {

class SdlDisplay : public Display {
 public:
  explicit SdlDisplay(SdlWindowSystem& windows);
  ~SdlDisplay() override;

  Size desktopSize() const override { return windows_->desktopSize(); }
  int refreshRate() const override;
  // Drops the renderer of a window that is about to be destroyed.
  void forget(HWND window);

 protected:
  bool coverDesktop(HWND window, const DisplayMode& mode) override;
  void uncoverDesktop(HWND window) override;
  void showFrame(HWND window, const FrameView& frame, bool fullScreen, bool vsync) override;
  void waitForBlank() override;

 private:
  struct Output {
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    int vsync = -1;  // as last set on the renderer; -1 before the first frame
    bool software = false;  // SDL's software renderer: enlarged here, copied 1:1
    // Fill: the picture enlarged by a whole factor, drawn from on linearly.
    SDL_Texture* enlarged = nullptr;
    int enlargedWidth = 0;
    int enlargedHeight = 0;
  };
  Output* outputFor(HWND window);
  bool prepareTexture(Output& output, int width, int height);
  bool showEnlargedWhole(Output& output, const FrameView& frame);
  bool prepareEnlarged(Output& output, int width, int height);
  void copyPlaced(Output& output, Size picture);
  static void destroy(Output& output);

  SdlWindowSystem* windows_;
  bool onX11_ = false;
  std::map<HWND, Output> outputs_;
};

}  // namespace corvane::platform
