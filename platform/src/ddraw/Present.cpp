// Presentation: what the primary surface shows reaches the window.
#include "Blit.h"
#include "DeviceCore.h"

namespace corvane::platform::ddraw {

namespace {

// An indexed primary without a palette shows its indices as greys.
void GreyRamp(int bitCount, std::vector<std::uint32_t>& colours) {
  int count = 1 << bitCount;
  colours.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    auto level = static_cast<std::uint8_t>(i * 255 / (count - 1));
    colours[static_cast<std::size_t>(i)] = PackXrgb({level, level, level});
  }
}

}  // namespace

HWND DeviceCore::presentationWindow() const {
  if (display->isFullScreen()) return display->fullScreenWindow();
  if (window != 0) return window;
  HWND clipperWindow = 0;
  if (primary && primary->clipper_) primary->clipper_->GetHWnd(&clipperWindow);
  return clipperWindow;
}

// The region of the primary as colours: straight from its memory when it is
// 32-bit 8-8-8 and the region lies inside it, else converted into the
// scratch frame (parts outside the screen are black).
FrameView DeviceCore::frameOf(const DirectDrawSurface& surface, const RECT& region) {
  if (surface.format_ == PixelFormat::xrgb8888() && Contains(surface.bounds(), region)) {
    int pitch = surface.pitch_ / 4;
    const std::uint32_t* first = surface.storage_->words.data() +
                                 static_cast<std::ptrdiff_t>(region.top) * pitch + region.left;
    return {first, region.width(), region.height(), pitch};
  }
  if (surface.format_.isIndexed()) {
    if (surface.palette_)
      colours = surface.palette_->colours();
    else
      GreyRamp(surface.format_.bitCount(), colours);
  }
  const int width = region.width(), height = region.height();
  SurfaceView view = surface.view();
  RECT inside = Intersect(region, surface.bounds());
  // Only a region reaching outside the surface has parts left black.
  const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (inside == region)
    frame.resize(size);
  else
    frame.assign(size, 0u);
  for (int y = inside.top; y < inside.bottom; ++y) {
    std::uint32_t* out = frame.data() + static_cast<std::ptrdiff_t>(y - region.top) * width +
                         (inside.left - region.left);
    RowToXrgb(view.row(y), inside.left, inside.width(), surface.format_, colours, out);
  }
  return {frame.data(), width, height, width};
}

void DeviceCore::presentPrimary() {
  if (!usable() || !primary || primary->usable() != DD_OK) return;
  HWND target = presentationWindow();
  if (target == 0) return;
  RECT region = display->isFullScreen() ? primary->bounds() : WindowClientRect(target);
  if (region.empty()) return;
  display->present(target, frameOf(*primary, region));
}

void DeviceCore::paletteChanged(const DirectDrawPalette* palette) {
  if (primary && primary->palette_.get() == palette) presentPrimary();
}

}  // namespace corvane::platform::ddraw
