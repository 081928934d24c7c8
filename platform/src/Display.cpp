#include "platform/Display.h"

#include <algorithm>
#include <tuple>

namespace corvane::platform {

RECT FitPicture(Size output, Size picture) {
  if (output.width <= 0 || output.height <= 0 || picture.width <= 0 || picture.height <= 0)
    return {};
  std::int64_t w = 0, h = 0;
  if (picture.width <= output.width && picture.height <= output.height) {
    int factor = std::min(output.width / picture.width, output.height / picture.height);
    w = std::int64_t{picture.width} * factor;
    h = std::int64_t{picture.height} * factor;
  } else if (std::int64_t{output.width} * picture.height <=
             std::int64_t{output.height} * picture.width) {
    // Too large, and relatively wider than the output: the width decides.
    w = output.width;
    h = std::max<std::int64_t>(1, std::int64_t{picture.height} * output.width / picture.width);
  } else {
    h = output.height;
    w = std::max<std::int64_t>(1, std::int64_t{picture.width} * output.height / picture.height);
  }
  auto left = static_cast<std::int32_t>((output.width - w) / 2);
  auto top = static_cast<std::int32_t>((output.height - h) / 2);
  return {left, top, left + static_cast<std::int32_t>(w), top + static_cast<std::int32_t>(h)};
}

std::vector<DisplayMode> ClassicModes(Size desktop, int refreshRate) {
  std::vector<Size> sizes = {{320, 200}, {320, 240}, {400, 300},  {512, 384},
                             {640, 400}, {640, 480}, {800, 600}, {1024, 768}};
  if (desktop.width > 0 && desktop.height > 0 &&
      std::find(sizes.begin(), sizes.end(), desktop) == sizes.end())
    sizes.push_back(desktop);
  const PixelFormat formats[] = {PixelFormat::indexed8(), PixelFormat::rgb565(),
                                 PixelFormat::xrgb8888()};
  std::vector<DisplayMode> modes;
  for (Size size : sizes)
    for (const PixelFormat& format : formats)
      modes.push_back({size.width, size.height, format, refreshRate});
  std::sort(modes.begin(), modes.end(), [](const DisplayMode& a, const DisplayMode& b) {
    return std::tuple(a.width, a.height, a.bitCount()) < std::tuple(b.width, b.height, b.bitCount());
  });
  return modes;
}

Display::Display() = default;

Display::~Display() { *alive_ = false; }

std::vector<DisplayMode> Display::modes() const {
  return modeList_ ? *modeList_ : ClassicModes(desktopSize(), refreshRate());
}

DisplayMode Display::desktopMode() const {
  Size size = desktopSize();
  return {size.width, size.height, desktopFormat(), refreshRate()};
}

DisplayMode Display::currentMode() const { return fullScreen_ ? *fullScreen_ : desktopMode(); }

bool Display::setMode(HWND window, const DisplayMode& mode) {
  if (fullScreen_ && fullScreenWindow_ != window) uncoverDesktop(fullScreenWindow_);
  if (!coverDesktop(window, mode)) {
    fullScreen_.reset();
    fullScreenWindow_ = 0;
    return false;
  }
  fullScreen_ = mode;
  fullScreenWindow_ = window;
  loseSurfaces();
  return true;
}

void Display::restoreMode() {
  if (!fullScreen_) return;
  uncoverDesktop(fullScreenWindow_);
  fullScreen_.reset();
  fullScreenWindow_ = 0;
  loseSurfaces();
}

bool Display::claimExclusive(const void* owner) {
  if (exclusiveOwner_ && exclusiveOwner_ != owner) return false;
  exclusiveOwner_ = owner;
  return true;
}

void Display::releaseExclusive(const void* owner) {
  if (exclusiveOwner_ == owner) exclusiveOwner_ = nullptr;
}

void Display::waitVerticalBlank() {
  if (vsyncPending_) waitForBlank();
  vsyncPending_ = true;
}

void Display::present(HWND window, const FrameView& frame) {
  bool vsync = vsyncPending_;
  vsyncPending_ = false;
  ++presentCount_;
  showFrame(window, frame, fullScreen_.has_value(), vsync);
}

}  // namespace corvane::platform
