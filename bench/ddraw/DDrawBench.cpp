// The intro's per-frame screen work, against SDL2 doing the same in the
// same run: fill a 320 x 240 back buffer with a raw value and present it.
//
// Ours: the display component's Fill of the back buffer and its Flip, one
// blit to the primary surface, which presents (turning the 16-bit screen
// into colours).
// The peer: SDL_FillRect on a 5-6-5 SDL_Surface, SDL_BlitSurface into an
// 8-8-8 one and SDL_UpdateTexture (on a display, the copy and present too).
//
//  - headless: our headless display (the frame is converted to colours and
//    kept for reading back) against SDL's software renderer on a surface;
//  - sdl: our SDL display on SDL's "dummy" video driver, full screen at
//    320 x 240 x 16 (scaled onto the 1024 x 768 dummy desktop), against
//    SDL with the same renderer, texture and scaling.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <string>

#include "framework/Forms.h"
#include "graphics/DXDraw.h"
#include "headless/HeadlessBackend.h"
#include "platform/DDraw.h"
#include "platform/Platform.h"
#include "RatioReporter.h"
#include "sdl/SdlBackend.h"

using namespace corvane;
using namespace corvane::platform;

namespace {

constexpr int kWidth = 320, kHeight = 240;

// The display component in full screen at 320 x 240 x 16, as the intro
// sets it up; each frame is the intro's Fill and Flip. The vertical-blank
// wait is left out, as the peer has none either.
struct Screen {
  TForm* form = nullptr;
  TDXDraw* dxDraw = nullptr;

  bool open() {
    InitApplication();
    form = new TForm(Application);
    form->SetClientSize(kWidth, kHeight);
    dxDraw = new TDXDraw(form);
    dxDraw->SetParent(form);
    dxDraw->SetAlign(TAlign::alClient);
    dxDraw->SetAutoSize(false);
    dxDraw->SetSurfaceWidth(kWidth);
    dxDraw->SetSurfaceHeight(kHeight);
    dxDraw->Display().SetWidth(kWidth);
    dxDraw->Display().SetHeight(kHeight);
    dxDraw->Display().SetBitCount(16);
    dxDraw->SetOptions({doFullScreen, doAllowPalette256, doDirectX7Mode});
    try {
      dxDraw->Initialize();
    } catch (const Exception&) {
      return false;
    }
    form->Show();
    return dxDraw->CanDraw();
  }
  void frame(std::uint32_t raw) {
    if (!dxDraw->CanDraw()) return;
    dxDraw->Surface()->Fill(raw);
    dxDraw->Flip();
  }
  void close() {
    delete form;
    DoneApplication();
  }
};

void RunOurs(benchmark::State& state) {
  Screen screen;
  if (!screen.open()) return state.SkipWithError("no full-screen device");
  std::uint32_t raw = 0;
  for (auto _ : state) screen.frame(raw++ & 0xFFFF);
  screen.close();
  state.SetItemsProcessed(state.iterations());
}

void BM_Corvane_Headless(benchmark::State& state) {
  Install(std::make_unique<HeadlessBackend>());
  RunOurs(state);
  Uninstall();
}

// SDL doing the same: fill a 5-6-5 surface, convert it to 8-8-8 colours
// (SDL_BlitSurface, as ours turns the 16-bit screen into colours for the
// window) and upload those into a streaming texture.
struct SdlPeer {
  SDL_Surface* back = nullptr;
  SDL_Surface* colours = nullptr;
  SDL_Texture* texture = nullptr;

  bool open(SDL_Renderer* renderer) {
    back = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 16, SDL_PIXELFORMAT_RGB565);
    colours = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_RGB888);
    texture = renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888,
                                           SDL_TEXTUREACCESS_STREAMING, kWidth, kHeight)
                       : nullptr;
    return back && colours && texture;
  }
  void frame(std::uint32_t raw) {
    SDL_FillRect(back, nullptr, raw);
    SDL_BlitSurface(back, nullptr, colours, nullptr);
    SDL_UpdateTexture(texture, nullptr, colours->pixels, colours->pitch);
  }
  void close() {
    if (texture) SDL_DestroyTexture(texture);
    SDL_FreeSurface(colours);
    SDL_FreeSurface(back);
  }
};

void BM_Sdl_Headless(benchmark::State& state) {
  SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_RGB888);
  SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(target);
  SdlPeer peer;
  if (!peer.open(renderer)) state.SkipWithError(SDL_GetError());
  std::uint32_t raw = 0;
  for (auto _ : state) {
    if (!peer.texture) break;
    peer.frame(raw++ & 0xFFFF);
  }
  peer.close();
  if (renderer) SDL_DestroyRenderer(renderer);
  SDL_FreeSurface(target);
  state.SetItemsProcessed(state.iterations());
}

void BM_Corvane_Sdl(benchmark::State& state) {
  std::string error;
  std::unique_ptr<Backend> backend = OpenSdlBackendOnDriver("dummy", error);
  if (!backend) return state.SkipWithError(error.c_str());
  Install(std::move(backend));
  RunOurs(state);
  Uninstall();
}

// SDL on its own: the same window, renderer, texture and scaled copy.
void BM_Sdl_Sdl(benchmark::State& state) {
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return state.SkipWithError(SDL_GetError());
  SDL_Window* window = SDL_CreateWindow("bench", 0, 0, kWidth, kHeight, 0);
  if (window) SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
  SdlPeer peer;
  if (!peer.open(renderer)) state.SkipWithError(SDL_GetError());
  int outputWidth = 0, outputHeight = 0;
  if (renderer) SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight);
  RECT fit = FitPicture({outputWidth, outputHeight}, {kWidth, kHeight});
  SDL_Rect dest{fit.left, fit.top, fit.width(), fit.height()};
  std::uint32_t raw = 0;
  for (auto _ : state) {
    if (!peer.texture) break;
    peer.frame(raw++ & 0xFFFF);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, peer.texture, nullptr, &dest);
    SDL_RenderPresent(renderer);
  }
  peer.close();
  if (renderer) SDL_DestroyRenderer(renderer);
  if (window) SDL_DestroyWindow(window);
  SDL_Quit();
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_Corvane_Headless)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sdl_Headless)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Corvane_Sdl)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sdl_Sdl)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  const auto flags = bench::OutputFlags::Parse(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // How many times the peer's time ours takes, beside the results.
  bench::RunWithRatios(flags,
                       {{"headless fill + present 320x240x16", "BM_Corvane_Headless", "BM_Sdl_Headless"},
                        {"sdl (dummy driver) fill + present 320x240x16", "BM_Corvane_Sdl", "BM_Sdl_Sdl"}},
                       {"ours", "SDL"});
  benchmark::Shutdown();
  return 0;
}
