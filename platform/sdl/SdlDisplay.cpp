#include "SdlDisplay.h"

namespace corvane::platform {

SdlDisplay::SdlDisplay(SdlWindowSystem& windows) : windows_(&windows) {
  windows_->setBeforeDestroy([this](HWND window) { forget(window); });
}

SdlDisplay::~SdlDisplay() {
  windows_->setBeforeDestroy(nullptr);
  for (auto& [window, output] : outputs_) destroy(output);
}

int SdlDisplay::refreshRate() const {
  SDL_DisplayMode mode{};
  if (SDL_GetCurrentDisplayMode(windows_->desktopDisplay(), &mode) != 0 || mode.refresh_rate <= 0)
    return 60;
  return mode.refresh_rate;
}

void SdlDisplay::destroy(Output& output) {
  if (output.enlarged) SDL_DestroyTexture(output.enlarged);
  if (output.texture) SDL_DestroyTexture(output.texture);
  if (output.renderer) SDL_DestroyRenderer(output.renderer);
  output = Output{};
}

void SdlDisplay::forget(HWND window) {
  auto it = outputs_.find(window);
  if (it == outputs_.end()) return;
  destroy(it->second);
  outputs_.erase(it);
}

// The renderer of a window, made on its first frame: accelerated with vsync
// where the desktop has it, else SDL's software renderer.
SdlDisplay::Output* SdlDisplay::outputFor(HWND window) {
  auto it = outputs_.find(window);
  if (it != outputs_.end()) return &it->second;
  SDL_Window* sdlWindow = windows_->sdlWindow(window);
  if (!sdlWindow) return nullptr;
  SDL_Renderer* renderer =
      SDL_CreateRenderer(sdlWindow, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
  if (!renderer) renderer = SDL_CreateRenderer(sdlWindow, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer) return nullptr;
  Output& output = outputs_[window];
  output.renderer = renderer;
  return &output;
}

bool SdlDisplay::prepareTexture(Output& output, int width, int height) {
  if (output.texture && output.textureWidth == width && output.textureHeight == height) return true;
  if (output.texture) SDL_DestroyTexture(output.texture);
  output.texture = SDL_CreateTexture(output.renderer, SDL_PIXELFORMAT_RGB888,
                                     SDL_TEXTUREACCESS_STREAMING, width, height);
  if (!output.texture) return false;
  SDL_SetTextureScaleMode(output.texture, SDL_ScaleModeNearest);
  output.textureWidth = width;
  output.textureHeight = height;
  return true;
}

// One upload, one copy, one present per frame; the present waits for the
// vertical blank only when the frame asked for it.
void SdlDisplay::showFrame(HWND window, const FrameView& frame, bool, bool vsync) {
  Output* output = outputFor(window);
  if (!output || !prepareTexture(*output, frame.width, frame.height)) return;
  SDL_UpdateTexture(output->texture, nullptr, frame.pixels, frame.pitch * 4);
  if (output->vsync != static_cast<int>(vsync)) {
    SDL_RenderSetVSync(output->renderer, vsync ? 1 : 0);
    output->vsync = vsync;
  }
  copyPlaced(*output, {frame.width, frame.height});
  SDL_RenderPresent(output->renderer);
}

bool SdlDisplay::prepareEnlarged(Output& output, int width, int height) {
  if (output.enlarged && output.enlargedWidth == width && output.enlargedHeight == height) return true;
  if (output.enlarged) SDL_DestroyTexture(output.enlarged);
  output.enlarged = nullptr;
  if (!SDL_RenderTargetSupported(output.renderer)) return false;
  output.enlarged = SDL_CreateTexture(output.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET,
                                      width, height);
  if (!output.enlarged) return false;
  SDL_SetTextureScaleMode(output.enlarged, SDL_ScaleModeLinear);
  output.enlargedWidth = width;
  output.enlargedHeight = height;
  return true;
}

// The uploaded picture onto a black output, placed as the scaling says.
// Whole: one nearest-neighbour copy. Fill: nearest neighbour by the whole
// factor into a picture of its own, then linearly by the rest, so that the
// blending stays within one pixel of each picture pixel's edge (see
// ScalePicture); a renderer without such pictures copies nearest neighbour.
void SdlDisplay::copyPlaced(Output& output, Size picture) {
  int width = 0, height = 0;
  SDL_GetRendererOutputSize(output.renderer, &width, &height);
  const RECT place = PlacePicture({width, height}, picture, scaling());
  const SDL_Rect dest{place.left, place.top, place.width(), place.height()};
  const int factor = WholeFactorWithin({place.width(), place.height()}, picture);
  const bool whole = place.width() == picture.width * factor && place.height() == picture.height * factor;
  SDL_Texture* source = output.texture;
  if (scaling() == Scaling::Fill && !whole &&
      prepareEnlarged(output, picture.width * factor, picture.height * factor) &&
      SDL_SetRenderTarget(output.renderer, output.enlarged) == 0) {
    SDL_RenderCopy(output.renderer, output.texture, nullptr, nullptr);
    SDL_SetRenderTarget(output.renderer, nullptr);
    source = output.enlarged;
  }
  SDL_SetRenderDrawColor(output.renderer, 0, 0, 0, 255);
  SDL_RenderClear(output.renderer);
  SDL_RenderCopy(output.renderer, source, nullptr, &dest);
}

bool SdlDisplay::coverDesktop(HWND window, const DisplayMode&) {
  SDL_Window* sdlWindow = windows_->sdlWindow(window);
  if (sdlWindow) windows_->rememberPlace(window);
  return sdlWindow && SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
}

// SDL remembers the window's own size and place and puts it back there.
void SdlDisplay::uncoverDesktop(HWND window) {
  if (SDL_Window* sdlWindow = windows_->sdlWindow(window)) SDL_SetWindowFullscreen(sdlWindow, 0);
}

// A frame that waits twice: the second wait lasts one refresh period.
void SdlDisplay::waitForBlank() {
  SDL_Delay(static_cast<Uint32>((1000 + refreshRate() - 1) / refreshRate()));
}

}  // namespace corvane::platform
