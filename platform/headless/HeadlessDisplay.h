// The screen without a display: full screen only moves the window over its
// monitor, the vertical blank comes at once, and every presented frame is
// kept for reading back.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Display.h"

namespace corvane::platform {

class HeadlessWindowSystem;

// A presented picture: colours as 0x00RRGGBB, row after row.
struct PresentedFrame {
  HWND window = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  bool fullScreen = false;
  bool vsync = false;  // it waited for the vertical blank

  std::uint32_t at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

class HeadlessDisplay : public Display {
 public:
  explicit HeadlessDisplay(HeadlessWindowSystem& windows) : windows_(&windows) {}
  Size desktopSize() const override;

  // For tests and the capture tool.
  const PresentedFrame& lastFrame() const { return last_; }
  std::uint64_t frameCount() const { return presentCount(); }
  // Vertical-blank waits that really waited (a second wait before a frame).
  std::uint64_t blankWaits() const { return blankWaits_; }

 protected:
  bool coverDesktop(HWND window, const DisplayMode& mode) override;
  void uncoverDesktop(HWND window) override;
  void showFrame(HWND window, const FrameView& frame, bool fullScreen, bool vsync) override;
  void waitForBlank() override { ++blankWaits_; }

 private:
  HeadlessWindowSystem* windows_;
  PresentedFrame last_;
  std::uint64_t blankWaits_ = 0;
};

}  // namespace corvane::platform
