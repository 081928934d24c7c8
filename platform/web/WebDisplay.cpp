#include "WebDisplay.h"

#include <emscripten.h>

#include "WebWindowSystem.h"

namespace corvane::platform {

namespace {

EM_JS(void, page_show_frame, (const std::uint8_t* rgba, int width, int height, int frame), {
  Module.corvanePage.showFrame(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height, frame);
});
EM_JS(void, page_full_screen, (int on), { Module.corvanePage.setFullScreen(on != 0); });

}  // namespace

Size WebDisplay::desktopSize() const { return windows_->desktopSize(); }

// The browser's full screen needs the user's recent gesture (a key, the box's
// OK); without one the picture stays in the page, as large as it fits.
bool WebDisplay::coverDesktop(HWND, const DisplayMode&) {
  page_full_screen(1);
  return true;
}

void WebDisplay::uncoverDesktop(HWND) { page_full_screen(0); }

void WebDisplay::showFrame(HWND, const FrameView& frame, bool, bool) {
  if (frame.width <= 0 || frame.height <= 0) return;
  rgba_.resize(static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height) * 4);
  std::uint8_t* out = rgba_.data();
  for (int y = 0; y < frame.height; ++y) {
    const std::uint32_t* in = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch;
    for (int x = 0; x < frame.width; ++x, out += 4) {
      out[0] = static_cast<std::uint8_t>(in[x] >> 16);
      out[1] = static_cast<std::uint8_t>(in[x] >> 8);
      out[2] = static_cast<std::uint8_t>(in[x]);
      out[3] = 255;
    }
  }
  page_show_frame(rgba_.data(), frame.width, frame.height, windows_->frameNumber());
}

}  // namespace corvane::platform
