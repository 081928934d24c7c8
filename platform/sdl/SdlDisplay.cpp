#include "SdlDisplay.h"

#include <cstring>

namespace corvane::platform {

SdlDisplay::SdlDisplay(SdlWindowSystem& windows) : windows_(&windows) {
  // SDL's software renderer draws into the window's own pixels; by default
  // SDL would show those through an OpenGL texture, which on a software
  // rasteriser costs what the software renderer is there to save. On X11
  // they go to the server through shared memory instead.
  const char* driver = SDL_GetCurrentVideoDriver();
  onX11_ = driver && std::strcmp(driver, "x11") == 0;
  if (onX11_) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
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

// True when an OpenGL renderer's drawing is done by the processor after all
// (a software rasteriser such as llvmpipe): every frame it rasterises the
// whole window and then copies it to the X server, several times the work of
// SDL's own software renderer copying an enlarged picture.
static bool RasterisesInSoftware(SDL_Renderer* renderer) {
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6) != 0)
    return false;
  using GetString = const unsigned char* (*)(unsigned);
  auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned kRenderer = 0x1F01;  // GL_RENDERER
  const auto* name = getString ? reinterpret_cast<const char*>(getString(kRenderer)) : nullptr;
  if (!name) return false;
  for (const char* software : {"llvmpipe", "softpipe", "Software Rasterizer"})
    if (std::strstr(name, software)) return true;
  return false;
}

// The renderer of a window, made on its first frame: accelerated with vsync
// where the desktop has it, else SDL's software renderer (also on X11 when
// the OpenGL at hand rasterises in software).
SdlDisplay::Output* SdlDisplay::outputFor(HWND window) {
  auto it = outputs_.find(window);
  if (it != outputs_.end()) return &it->second;
  SDL_Window* sdlWindow = windows_->sdlWindow(window);
  if (!sdlWindow) return nullptr;
  SDL_Renderer* renderer =
      SDL_CreateRenderer(sdlWindow, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
  if (renderer && onX11_ && RasterisesInSoftware(renderer)) {
    SDL_DestroyRenderer(renderer);
    renderer = nullptr;
  }
  const bool software = !renderer;
  if (!renderer) renderer = SDL_CreateRenderer(sdlWindow, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer) return nullptr;
  Output& output = outputs_[window];
  output.renderer = renderer;
  output.software = software;
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
  if (!output) return;
  if (output->vsync != static_cast<int>(vsync)) {
    SDL_RenderSetVSync(output->renderer, vsync ? 1 : 0);
    output->vsync = vsync;
  }
  if (!output->software || !showEnlargedWhole(*output, frame)) {
    if (!prepareTexture(*output, frame.width, frame.height)) return;
    SDL_UpdateTexture(output->texture, nullptr, frame.pixels, frame.pitch * 4);
    copyPlaced(*output, {frame.width, frame.height});
  }
  SDL_RenderPresent(output->renderer);
}

// Writes the picture enlarged by `factor` into `target` (rows `pitch` bytes
// apart): each row is widened once and then copied down.
static void EnlargeWhole(const FrameView& frame, int factor, Uint8* target, int pitch) {
  const auto rowBytes = static_cast<size_t>(frame.width) * factor * 4;
  for (int y = 0; y < frame.height; ++y) {
    const std::uint32_t* from = frame.pixels + static_cast<ptrdiff_t>(y) * frame.pitch;
    Uint8* first = target + static_cast<ptrdiff_t>(y) * factor * pitch;
    auto* to = reinterpret_cast<std::uint32_t*>(first);
    for (int x = 0; x < frame.width; ++x)
      for (int i = 0; i < factor; ++i) *to++ = from[x];
    for (int i = 1; i < factor; ++i) std::memcpy(first + static_cast<ptrdiff_t>(i) * pitch, first, rowBytes);
  }
}

// Whole-number scale on the software renderer: the picture is enlarged here
// and copied without scaling, cheaper than the renderer's scaled copy. (An
// accelerated renderer scales for nothing and is sent the small picture.)
// False when the placement is not a whole enlargement (fill mode's rest).
bool SdlDisplay::showEnlargedWhole(Output& output, const FrameView& frame) {
  int width = 0, height = 0;
  SDL_GetRendererOutputSize(output.renderer, &width, &height);
  const Size picture{frame.width, frame.height};
  const RECT place = PlacePicture({width, height}, picture, scaling());
  const int factor = WholeFactorWithin({place.width(), place.height()}, picture);
  if (factor < 1 || place.width() != picture.width * factor || place.height() != picture.height * factor)
    return false;
  if (!prepareTexture(output, place.width(), place.height())) return false;
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(output.texture, nullptr, &pixels, &pitch) != 0) return false;
  EnlargeWhole(frame, factor, static_cast<Uint8*>(pixels), pitch);
  SDL_UnlockTexture(output.texture);
  const SDL_Rect dest{place.left, place.top, place.width(), place.height()};
  SDL_SetRenderDrawColor(output.renderer, 0, 0, 0, 255);
  SDL_RenderClear(output.renderer);
  SDL_RenderCopy(output.renderer, output.texture, nullptr, &dest);
  return true;
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
