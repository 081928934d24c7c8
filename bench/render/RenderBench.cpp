// One frame of the intro's drawing, against SDL2 doing the same in the same
// run on the same pictures:
//
//  - Frame/<format>/...: fill the 320 x 240 back buffer with 0, draw the
//    320 x 246 logo opaque at (0, 0) (its bottom 6 rows fall off), then the
//    page's 102 colour-keyed 17 x 17 letters at alpha 128;
//  - Glyphs/565/...: the 102 letters alone.
//
// Ours: Fill, Draw and DrawAlpha of TDirectDrawSurface on the headless
// device. SDL's: SDL_FillRect and SDL_BlitSurface, the letters with a colour
// key, alpha modulation 128 and SDL_BLENDMODE_BLEND. The pictures are the
// intro's own art (logo and glyph sheet), white being the key colour.
//
// Before timing, our frame is checked pixel by pixel against the same frame
// composed by the renderer's generic routine on plain memory: the fast path
// must be exact. The time ratios corvane / sdl2 come with the results, in
// the output format asked for (RatioReporter.h).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "GlyphSheet.h"
#include "Logo.h"
#include "RatioReporter.h"
#include "graphics/DXRender.h"
#include "graphics/DirectDrawSurface.h"
#include "headless/HeadlessBackend.h"

using namespace corvane;
using platform::PixelFormat;
using platform::RECT;

namespace {

constexpr int kWidth = 320, kHeight = 240, kGlyph = 17, kRows = 6, kColumns = 17;
constexpr int kAlpha = 128;

// A picture as raw values of one format.
struct Raw {
  int width = 0, height = 0;
  std::vector<std::uint32_t> values;
};

Raw FromArt(const art::IndexedImage& image, int left, int top, int width, int height,
            const PixelFormat& format) {
  Raw raw{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const art::ColorEntry& c = image.palette()[image.at(left + x, top + y)];
      raw.values.push_back(format.encode({c.red, c.green, c.blue}));
    }
  return raw;
}

// The page: a pangram in the sheet's letters, one tile per character; a
// space is the blank (all white) tile.
struct Cell {
  int tile;  // 0-based index into the glyph pictures
  RECT rect;
};

std::vector<Cell> LayOutPage() {
  const std::string text =
      "THE QUICK BROWN  FOX JUMPS OVER  THE LAZY DOG.   "
      "PACK MY BOX WITH FIVE DOZEN     LIQUOR JUGS! 1234567890+-?:,";
  // The wobble of one frame: row r moves by w, odd and even columns apart.
  const int wobble[kRows] = {1, 1, 0, 0, -1, -1};
  std::vector<Cell> cells;
  for (int r = 1; r <= kRows; ++r)
    for (int c = 1; c <= kColumns; ++c) {
      char ch = text[static_cast<std::size_t>((r - 1) * kColumns + c - 1) % text.size()];
      auto found = art::SheetTileOrder.find(ch);
      int tile = found == std::string_view::npos ? art::SheetTiles - 1 : static_cast<int>(found);
      int w = wobble[r - 1];
      int x = c * kGlyph, y = r * kGlyph + 100 + (c % 2 == 1 ? -w : w);
      cells.push_back({tile, {x, y, x + kGlyph, y + kGlyph}});
    }
  return cells;
}

// The art in one format, and the page.
struct Scene {
  PixelFormat format;
  std::uint32_t key = 0;
  Raw logo;
  std::vector<Raw> glyphs;
  std::vector<Cell> cells;
};

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

Scene MakeScene(const PixelFormat& format) {
  Scene scene;
  scene.format = format;
  scene.key = format.encode({255, 255, 255});
  art::IndexedImage logo = art::MakeLogo();
  scene.logo = FromArt(logo, 0, 0, logo.width(), logo.height(), format);
  art::IndexedImage sheet = art::MakeGlyphSheet(ReadFile(CORVANE_GLYPH_SOURCE));
  for (int tile = 1; tile <= art::SheetTiles; ++tile) {
    art::TileOrigin origin = art::SheetTileOrigin(tile);
    scene.glyphs.push_back(FromArt(sheet, origin.x, origin.y, kGlyph, kGlyph, format));
  }
  scene.cells = LayOutPage();
  return scene;
}

// --- Ours.

void Store(TDirectDrawSurface& surface, const Raw& raw) {
  platform::DDSURFACEDESC2 desc;
  if (surface.ISurface()->Lock(nullptr, &desc, platform::DDLOCK_WAIT) != platform::DD_OK) return;
  auto* first = static_cast<std::uint8_t*>(desc.lpSurface);
  int bits = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount);
  for (int y = 0; y < raw.height; ++y)
    for (int x = 0; x < raw.width; ++x)
      platform::StorePixel(first + static_cast<std::ptrdiff_t>(y) * desc.lPitch, x, bits,
                           raw.values[static_cast<std::size_t>(y * raw.width + x)]);
  surface.ISurface()->Unlock(nullptr);
}

struct Ours {
  std::unique_ptr<TDirectDraw> device;
  TDirectDrawSurface* back = nullptr;
  TDirectDrawSurface* logo = nullptr;
  std::vector<TDirectDrawSurface*> glyphs;
  const Scene* scene = nullptr;

  explicit Ours(const Scene& s) : device(std::make_unique<TDirectDraw>(nullptr)), scene(&s) {
    back = Make(kWidth, kHeight);
    logo = Make(s.logo.width, s.logo.height);
    Store(*logo, s.logo);
    for (const Raw& glyph : s.glyphs) {
      TDirectDrawSurface* surface = Make(kGlyph, kGlyph);
      Store(*surface, glyph);
      surface->SetTransparentColor(s.key);
      glyphs.push_back(surface);
    }
  }
  // Surfaces belong to the device, which destroys them.
  TDirectDrawSurface* Make(int width, int height) {
    auto* surface = new TDirectDrawSurface(*device);
    platform::DDSURFACEDESC2 desc;
    desc.dwFlags = platform::DDSD_CAPS | platform::DDSD_WIDTH | platform::DDSD_HEIGHT |
                   platform::DDSD_PIXELFORMAT;
    desc.dwWidth = static_cast<std::uint32_t>(width);
    desc.dwHeight = static_cast<std::uint32_t>(height);
    desc.ddpfPixelFormat = platform::ToDDPixelFormat(scene->format);
    desc.ddsCaps.dwCaps = platform::DDSCAPS_OFFSCREENPLAIN;
    surface->CreateSurface(desc);
    return surface;
  }
  void DrawGlyphs() {
    const RECT tile{0, 0, kGlyph, kGlyph};
    for (const Cell& cell : scene->cells)
      back->DrawAlpha(cell.rect, tile, glyphs[static_cast<std::size_t>(cell.tile)], true, kAlpha);
  }
  void Frame() {
    back->Fill(0);
    back->Draw(0, 0, logo->ClientRect(), logo, false);
    DrawGlyphs();
  }
  Raw Read() {
    Raw raw{kWidth, kHeight, {}};
    platform::DDSURFACEDESC2 desc;
    back->ISurface()->Lock(nullptr, &desc, platform::DDLOCK_WAIT);
    auto* first = static_cast<std::uint8_t*>(desc.lpSurface);
    int bits = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        raw.values.push_back(platform::LoadPixel(first + static_cast<std::ptrdiff_t>(y) * desc.lPitch, x, bits));
    back->ISurface()->Unlock(nullptr);
    return raw;
  }
};

// The same frame through the renderer's generic routine on plain memory.
LockedView ViewOf(Raw& raw, const PixelFormat& format) {
  LockedView view;
  view.width = raw.width;
  view.height = raw.height;
  view.bits = 32;
  view.pitch = raw.width * 4;
  view.pixels = reinterpret_cast<std::uint8_t*>(raw.values.data());
  view.red = ChannelInfo::FromMask(format.red().mask);
  view.green = ChannelInfo::FromMask(format.green().mask);
  view.blue = ChannelInfo::FromMask(format.blue().mask);
  return view;
}

Raw ReferenceFrame(const Scene& scene) {
  Raw back{kWidth, kHeight, std::vector<std::uint32_t>(kWidth * kHeight, 0)};
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      back.values[static_cast<std::size_t>(y * kWidth + x)] =
          scene.logo.values[static_cast<std::size_t>(y * scene.logo.width + x)];
  DXRenderer generic(PixelPipeline::Paths::GenericOnly);
  LockedView backView = ViewOf(back, scene.format);
  for (const Cell& cell : scene.cells) {
    Raw glyph = scene.glyphs[static_cast<std::size_t>(cell.tile)];
    generic.CopyRectBlend(backView, ViewOf(glyph, scene.format), cell.rect, {0, 0, kGlyph, kGlyph},
                          BlendKind::SourceAlpha, kAlpha, true, scene.key);
  }
  return back;
}

// --- SDL's.

struct Sdl {
  SDL_Surface* back = nullptr;
  SDL_Surface* logo = nullptr;
  std::vector<SDL_Surface*> glyphs;
  const Scene* scene = nullptr;

  Sdl(const Scene& s, std::uint32_t sdlFormat) : scene(&s) {
    int bits = s.format.bitCount();
    back = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, bits, sdlFormat);
    logo = Make(s.logo, bits, sdlFormat);
    for (const Raw& glyph : s.glyphs) {
      SDL_Surface* surface = Make(glyph, bits, sdlFormat);
      SDL_SetColorKey(surface, SDL_TRUE, s.key);
      SDL_SetSurfaceAlphaMod(surface, kAlpha);
      SDL_SetSurfaceBlendMode(surface, SDL_BLENDMODE_BLEND);
      glyphs.push_back(surface);
    }
  }
  ~Sdl() {
    for (SDL_Surface* surface : glyphs) SDL_FreeSurface(surface);
    SDL_FreeSurface(logo);
    SDL_FreeSurface(back);
  }
  static SDL_Surface* Make(const Raw& raw, int bits, std::uint32_t sdlFormat) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, raw.width, raw.height, bits, sdlFormat);
    for (int y = 0; y < raw.height; ++y)
      for (int x = 0; x < raw.width; ++x)
        platform::StorePixel(static_cast<std::uint8_t*>(surface->pixels) + y * surface->pitch, x, bits,
                             raw.values[static_cast<std::size_t>(y * raw.width + x)]);
    return surface;
  }
  void DrawGlyphs() {
    for (const Cell& cell : scene->cells) {
      SDL_Rect to{cell.rect.left, cell.rect.top, kGlyph, kGlyph};
      SDL_BlitSurface(glyphs[static_cast<std::size_t>(cell.tile)], nullptr, back, &to);
    }
  }
  void Frame() {
    SDL_FillRect(back, nullptr, 0);
    SDL_Rect origin{0, 0, 0, 0};
    SDL_BlitSurface(logo, nullptr, back, &origin);
    DrawGlyphs();
  }
};

struct Formats {
  Scene scene565 = MakeScene(PixelFormat::rgb565());
  Scene scene8888 = MakeScene(PixelFormat::xrgb8888());
};

const Formats& Data() {
  static const Formats formats;
  return formats;
}

// Our frame must equal the reference frame exactly.
bool Exact(Ours& ours, const Scene& scene) {
  ours.Frame();
  return ours.Read().values == ReferenceFrame(scene).values;
}

void FrameOurs(benchmark::State& state, const Scene* scene) {
  Ours ours(*scene);
  if (!Exact(ours, *scene)) return state.SkipWithError("frame differs from the blending rules");
  for (auto _ : state) ours.Frame();
}

void GlyphsOurs(benchmark::State& state, const Scene* scene) {
  Ours ours(*scene);
  if (!Exact(ours, *scene)) return state.SkipWithError("frame differs from the blending rules");
  for (auto _ : state) ours.DrawGlyphs();
}

void FrameSdl(benchmark::State& state, const Scene* scene, std::uint32_t sdlFormat) {
  Sdl sdl(*scene, sdlFormat);
  for (auto _ : state) sdl.Frame();
}

void GlyphsSdl(benchmark::State& state, const Scene* scene, std::uint32_t sdlFormat) {
  Sdl sdl(*scene, sdlFormat);
  for (auto _ : state) sdl.DrawGlyphs();
}

}  // namespace

int main(int argc, char** argv) {
  platform::Install(std::make_unique<platform::HeadlessBackend>());
  const Formats& data = Data();
  const Scene* s565 = &data.scene565;
  const Scene* s8888 = &data.scene8888;
  benchmark::RegisterBenchmark("Frame/565/corvane", FrameOurs, s565);
  benchmark::RegisterBenchmark("Frame/565/sdl2", FrameSdl, s565, SDL_PIXELFORMAT_RGB565);
  benchmark::RegisterBenchmark("Frame/8888/corvane", FrameOurs, s8888);
  benchmark::RegisterBenchmark("Frame/8888/sdl2", FrameSdl, s8888, SDL_PIXELFORMAT_RGB888);
  benchmark::RegisterBenchmark("Glyphs/565/corvane", GlyphsOurs, s565);
  benchmark::RegisterBenchmark("Glyphs/565/sdl2", GlyphsSdl, s565, SDL_PIXELFORMAT_RGB565);
  const auto flags = bench::OutputFlags::Parse(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::RunWithRatios(flags,
                       {{"Frame/565", "Frame/565/corvane", "Frame/565/sdl2"},
                        {"Frame/8888", "Frame/8888/corvane", "Frame/8888/sdl2"},
                        {"Glyphs/565", "Glyphs/565/corvane", "Glyphs/565/sdl2"}},
                       {"corvane", "sdl2"});
  benchmark::Shutdown();
  FreeLibraryCache();
  platform::Uninstall();
  return 0;
}
