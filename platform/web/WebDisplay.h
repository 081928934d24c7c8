// The page's screen: pictures go to the canvas, full screen is the browser's.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Display.h"

namespace corvane::platform {

class WebWindowSystem;

class WebDisplay : public Display {
 public:
  explicit WebDisplay(WebWindowSystem& windows) : windows_(&windows) {}
  Size desktopSize() const override;

 protected:
  bool coverDesktop(HWND window, const DisplayMode& mode) override;
  void uncoverDesktop(HWND window) override;
  void showFrame(HWND window, const FrameView& frame, bool fullScreen, bool vsync) override;
  // The message loop waits for the browser between frames instead.
  void waitForBlank() override {}

 private:
  WebWindowSystem* windows_;
  std::vector<std::uint8_t> rgba_;
};

}  // namespace corvane::platform
