#include "HeadlessDisplay.h"

#include <cstring>

#include "HeadlessBackend.h"

namespace corvane::platform {

Size HeadlessDisplay::desktopSize() const { return windows_->desktopSize(); }

bool HeadlessDisplay::coverDesktop(HWND window, const DisplayMode&) {
  return windows_->setFullScreen(window, true);
}

void HeadlessDisplay::uncoverDesktop(HWND window) { windows_->setFullScreen(window, false); }

void HeadlessDisplay::showFrame(HWND window, const FrameView& frame, bool fullScreen, bool vsync) {
  last_.window = window;
  last_.width = frame.width;
  last_.height = frame.height;
  last_.fullScreen = fullScreen;
  last_.vsync = vsync;
  last_.pixels.resize(static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height));
  for (int y = 0; y < frame.height; ++y) {
    const std::uint32_t* in = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch;
    std::uint32_t* out = last_.pixels.data() + static_cast<std::ptrdiff_t>(y) * frame.width;
    // Two pixels at a time (the capture tool reads every frame).
    int x = 0;
    for (; x + 1 < frame.width; x += 2) {
      std::uint64_t two;
      std::memcpy(&two, in + x, sizeof two);
      two &= 0x00FFFFFF00FFFFFFull;
      std::memcpy(out + x, &two, sizeof two);
    }
    if (x < frame.width) out[x] = in[x] & 0x00FFFFFFu;
  }
}

}  // namespace corvane::platform
