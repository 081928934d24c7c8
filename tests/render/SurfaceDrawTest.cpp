// Draw and DrawAlpha on surfaces of a headless device: clipping, colour
// keys, mirroring, the fast blit and its fallback when a clipper is found,
// and the alpha rules through the shared renderer.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "graphics/DirectDrawSurface.h"
#include "headless/HeadlessBackend.h"
#include "support/SurfaceDesc.h"

namespace corvane::test {
namespace {

using namespace platform;
using Values = std::vector<std::uint32_t>;

class SurfaceDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    auto backend = std::make_unique<HeadlessBackend>();
    HeadlessBackend* headless = backend.get();
    headless->windows().setDesktopSize({640, 480});
    Install(std::move(backend));
    device_ = std::make_unique<TDirectDraw>(nullptr);
  }
  void TearDown() override {
    device_.reset();
    FreeLibraryCache();
    Uninstall();
  }

  // A surface owned by the device, filled with `valueAt(x, y)`.
  TDirectDrawSurface& make(int width, int height, const PixelFormat& format,
                           const std::function<std::uint32_t(int, int)>& valueAt) {
    auto* surface = new TDirectDrawSurface(*device_);
    EXPECT_TRUE(surface->CreateSurface(OffscreenDesc(width, height, format)));
    visit(*surface, [&](std::uint8_t* row, int x, int y, int bits) {
      StorePixel(row, x, bits, valueAt(x, y));
    });
    return *surface;
  }
  TDirectDrawSurface& make(int width, int height, const PixelFormat& format, std::uint32_t value) {
    return make(width, height, format, [value](int, int) { return value; });
  }

  static void visit(TDirectDrawSurface& surface,
                    const std::function<void(std::uint8_t*, int, int, int)>& each) {
    DDSURFACEDESC2 desc;
    ASSERT_EQ(surface.ISurface()->Lock(nullptr, &desc, DDLOCK_WAIT), DD_OK);
    auto* first = static_cast<std::uint8_t*>(desc.lpSurface);
    for (int y = 0; y < static_cast<int>(desc.dwHeight); ++y)
      for (int x = 0; x < static_cast<int>(desc.dwWidth); ++x)
        each(first + static_cast<std::ptrdiff_t>(y) * desc.lPitch, x, y,
             static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount));
    ASSERT_EQ(surface.ISurface()->Unlock(nullptr), DD_OK);
  }
  static Values read(TDirectDrawSurface& surface) {
    Values values;
    visit(surface, [&](std::uint8_t* row, int x, int, int bits) { values.push_back(LoadPixel(row, x, bits)); });
    return values;
  }
  static std::uint32_t at(TDirectDrawSurface& surface, int x, int y) {
    return read(surface).at(static_cast<std::size_t>(y * surface.Width() + x));
  }
  // The expected picture: `valueAt` for every pixel.
  static Values picture(int width, int height, const std::function<std::uint32_t(int, int)>& valueAt) {
    Values values;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) values.push_back(valueAt(x, y));
    return values;
  }

  std::unique_ptr<TDirectDraw> device_;
};

// Source pixel values that name their position; 0xFFFF is the key.
std::uint32_t Numbered(int x, int y) { return static_cast<std::uint32_t>(y * 100 + x + 1); }
constexpr std::uint32_t kKey = 0xFFFF;
constexpr std::uint32_t kBack = 0x4000;

TEST_F(SurfaceDraw, DrawClipsAndKeys) {
  struct Row {
    const char* what;
    int x, y;
    RECT srcRect;
    bool transparent;
    // The source pixel seen at destination (x, y), or -1 for the background.
    int (*sourceX)(int, int);
    int (*sourceY)(int, int);
  } rows[] = {
      {"1:1 at (2, 3)", 2, 3, {0, 0, 5, 4}, false,
       [](int x, int) { return x >= 2 && x < 7 ? x - 2 : -1; }, [](int, int y) { return y >= 3 && y < 7 ? y - 3 : -1; }},
      {"from (-2, -1), clipped", -2, -1, {1, 1, 6, 5}, false,
       [](int x, int) { return x < 3 ? x + 3 : -1; }, [](int, int y) { return y < 3 ? y + 2 : -1; }},
      {"a source rectangle one pixel too wide is clipped", 0, 0, {0, 0, 9, 3}, false,
       [](int x, int) { return x < 8 ? x : -1; }, [](int, int y) { return y < 3 ? y : -1; }},
      {"a source rectangle left of the source is clipped", 1, 0, {-1, 0, 3, 2}, false,
       [](int x, int) { return x >= 2 && x < 5 ? x - 2 : -1; }, [](int, int y) { return y < 2 ? y : -1; }},
      {"past the right edge", 7, 0, {0, 0, 8, 2}, false,
       [](int x, int) { return x == 7 ? 0 : -1; }, [](int, int y) { return y < 2 ? y : -1; }},
      {"X equal to the width", 8, 0, {0, 0, 8, 2}, false,
       [](int, int) { return -1; }, [](int, int) { return -1; }},
      {"X greater than the width", 9, 0, {0, 0, 8, 2}, false,
       [](int, int) { return -1; }, [](int, int) { return -1; }},
      {"Y greater than the height", 0, 9, {0, 0, 8, 2}, false,
       [](int, int) { return -1; }, [](int, int) { return -1; }},
  };
  for (bool transparent : {false, true}) {
    for (const Row& row : rows) {
      SCOPED_TRACE(row.what);
      // The source's column 1 is the key colour.
      auto valueAt = [](int x, int y) { return x == 1 ? kKey : Numbered(x, y); };
      TDirectDrawSurface& source = make(8, 6, PixelFormat::rgb565(), valueAt);
      source.SetTransparentColor(kKey);
      TDirectDrawSurface& dest = make(8, 8, PixelFormat::rgb565(), kBack);
      dest.Draw(row.x, row.y, row.srcRect, &source, transparent);
      EXPECT_EQ(read(dest), picture(8, 8, [&](int x, int y) {
                  int sx = row.sourceX(x, y), sy = row.sourceY(x, y);
                  if (sx < 0 || sy < 0 || (transparent && sx == 1)) return kBack;
                  return static_cast<std::uint32_t>(valueAt(sx, sy));
                }));
      EXPECT_FALSE(dest.HasClipper());
      delete &source;
      delete &dest;
    }
  }
}

TEST_F(SurfaceDraw, InvertedSourceRectanglesMirror) {
  struct Row {
    const char* what;
    int x, y;
    RECT srcRect;
    int (*sourceX)(int);  // -1: background
    int (*sourceY)(int);
  } rows[] = {
      {"left to right, whole source", 0, 0, {6, 0, 0, 4},
       [](int x) { return x < 6 ? 5 - x : -1; }, [](int y) { return y < 4 ? y : -1; }},
      {"up and down", 1, 1, {0, 4, 6, 0},
       [](int x) { return x >= 1 && x < 7 ? x - 1 : -1; }, [](int y) { return y >= 1 && y < 5 ? 4 - y : -1; }},
      {"both", 0, 0, {6, 4, 0, 0},
       [](int x) { return x < 6 ? 5 - x : -1; }, [](int y) { return y < 4 ? 3 - y : -1; }},
      {"left to right from x = -2: the right end of the mirrored picture shows", -2, 0, {6, 0, 0, 4},
       [](int x) { return x < 4 ? 3 - x : -1; }, [](int y) { return y < 4 ? y : -1; }},
      // A part of the source mirrors within itself, wherever it lies.
      {"a part of the source", 0, 0, {4, 1, 1, 3},
       [](int x) { return x < 3 ? 3 - x : -1; }, [](int y) { return y < 2 ? y + 1 : -1; }},
      {"a part of the source, clipped on the left", -1, 0, {4, 1, 1, 3},
       [](int x) { return x < 2 ? 2 - x : -1; }, [](int y) { return y < 2 ? y + 1 : -1; }},
      {"wholly left of the destination", -6, 0, {6, 0, 0, 4},
       [](int) { return -1; }, [](int) { return -1; }},
      // A rectangle running past the source's edge keeps its mirror line:
      // the columns that exist are drawn where the whole rectangle puts them.
      {"past the source's right edge", 0, 0, {9, 0, 2, 4},
       [](int x) { return x >= 3 && x < 7 ? 8 - x : -1; }, [](int y) { return y < 4 ? y : -1; }},
      {"past the source's left edge", 0, 0, {3, 0, -2, 4},
       [](int x) { return x < 3 ? 2 - x : -1; }, [](int y) { return y < 4 ? y : -1; }},
      {"past both edges", 0, 0, {8, 0, -2, 4},
       [](int x) { return x >= 2 ? 7 - x : -1; }, [](int y) { return y < 4 ? y : -1; }},
      {"up and down past the source's bottom", 0, 0, {0, 6, 6, 1},
       [](int x) { return x < 6 ? x : -1; }, [](int y) { return y >= 2 && y < 5 ? 5 - y : -1; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TDirectDrawSurface& source = make(6, 4, PixelFormat::rgb565(), Numbered);
    TDirectDrawSurface& dest = make(8, 6, PixelFormat::rgb565(), kBack);
    dest.Draw(row.x, row.y, row.srcRect, &source, false);
    EXPECT_EQ(read(dest), picture(8, 6, [&](int x, int y) {
                int sx = row.sourceX(x), sy = row.sourceY(y);
                return sx < 0 || sy < 0 ? kBack : Numbered(sx, sy);
              }));
    delete &source;
    delete &dest;
  }
}

// The intro's logo: 320 x 246 drawn opaque at (0, 0) onto the 320 x 240 back
// buffer loses its bottom 6 rows, and goes through the fast blit.
TEST_F(SurfaceDraw, LogoOntoTheBackBuffer) {
  TDirectDrawSurface& logo = make(320, 246, PixelFormat::rgb565(), Numbered);
  TDirectDrawSurface& back = make(320, 240, PixelFormat::rgb565(), 0);
  back.Draw(0, 0, logo.ClientRect(), &logo, false);
  EXPECT_EQ(back.LastResult(), DD_OK);
  EXPECT_FALSE(back.HasClipper());
  EXPECT_EQ(read(back), picture(320, 240, [](int x, int y) { return Numbered(x, y) & 0xFFFF; }));
}

// A clipper attached to the platform surface behind the wrapper's back makes
// the fast blit fail; Draw then finds the clipper, remembers it and blits
// with clipping, now and from then on.
TEST_F(SurfaceDraw, FastBlitFallsBackWhenTheDestinationHasAClipper) {
  TDirectDrawSurface& source = make(4, 4, PixelFormat::rgb565(), Numbered);
  TDirectDrawSurface& dest = make(8, 8, PixelFormat::rgb565(), kBack);
  ComPtr<DirectDrawClipper> clipper;
  ASSERT_EQ(device_->IDDraw().CreateClipper(0, clipper), DD_OK);
  const RECT visible{0, 0, 3, 8};
  ASSERT_EQ(clipper->SetClipList(&visible, 1), DD_OK);
  ASSERT_EQ(dest.ISurface()->SetClipper(clipper.get()), DD_OK);
  ASSERT_FALSE(dest.HasClipper());

  dest.Draw(1, 1, source.ClientRect(), &source, false);
  EXPECT_TRUE(dest.HasClipper());
  EXPECT_EQ(dest.LastResult(), DD_OK);
  auto clippedDraw = [](int left, int top) {
    return [=](int x, int y) {
      bool inside = x >= left && x < left + 4 && x < 3 && y >= top && y < top + 4;
      return inside ? Numbered(x - left, y - top) : kBack;
    };
  };
  EXPECT_EQ(read(dest), picture(8, 8, clippedDraw(1, 1)));

  // The clipper stays in force for the next draw: with its list gone the
  // clipping blit fails.
  ASSERT_EQ(clipper->SetClipList(nullptr, 0), DD_OK);
  dest.Draw(0, 0, source.ClientRect(), &source, false);
  EXPECT_EQ(dest.LastResult(), DDERR_NOCLIPLIST);
}

TEST_F(SurfaceDraw, DrawAlphaRules) {
  struct Row {
    const char* what;
    std::uint32_t source, dest;
    RECT srcRect;
    bool transparent;
    int alpha;
    std::uint32_t expected, expectedAtKey;  // a source pixel, the source's key pixel
  } rows[] = {
      {"black over mid grey", 0x0000, 0x8410, {0, 0, 4, 4}, false, 128, 0x39E8, 0x39E8},
      {"white over black", 0xFFFF, 0x0000, {0, 0, 4, 4}, false, 128, 0x7BEF, 0x0000},
      {"the key honoured", 0xFFFF, 0x8410, {0, 0, 4, 4}, true, 128, 0xBDF7, 0x8410},
      {"alpha 255 copies", 0x1234, 0x8410, {0, 0, 4, 4}, true, 255, 0x1234, 0x8410},
      {"alpha 256 copies", 0x1234, 0x8410, {0, 0, 4, 4}, false, 256, 0x1234, 0x0000},
      {"alpha 1000 copies", 0x1234, 0x8410, {0, 0, 4, 4}, true, 1000, 0x1234, 0x8410},
      {"alpha 0 draws nothing", 0x1234, 0x8410, {0, 0, 4, 4}, false, 0, 0x8410, 0x8410},
      {"alpha -11 draws nothing", 0x1234, 0x8410, {0, 0, 4, 4}, false, -11, 0x8410, 0x8410},
      {"a source one pixel too wide draws nothing", 0x1234, 0x8410, {0, 0, 5, 4}, false, 255,
       0x8410, 0x8410},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    // Source pixel (3, 3) is the key colour, 0x0000.
    TDirectDrawSurface& source =
        make(4, 4, PixelFormat::rgb565(), [&](int x, int y) { return x == 3 && y == 3 ? 0u : row.source; });
    source.SetTransparentColor(0x0000);
    TDirectDrawSurface& dest = make(4, 4, PixelFormat::rgb565(), row.dest);
    dest.DrawAlpha({0, 0, 4, 4}, row.srcRect, &source, row.transparent, row.alpha);
    EXPECT_EQ(at(dest, 0, 0), row.expected);
    EXPECT_EQ(at(dest, 3, 3), row.expectedAtKey);
    EXPECT_EQ(dest.LockCount(), 0);
    delete &source;
    delete &dest;
  }
}

TEST_F(SurfaceDraw, DrawAlphaScalesAndClipsTheDestination) {
  TDirectDrawSurface& source = make(17, 17, PixelFormat::xrgb8888(), Numbered);
  TDirectDrawSurface& dest = make(40, 40, PixelFormat::xrgb8888(), 0);
  dest.DrawAlpha({-5, 0, 29, 34}, source.ClientRect(), &source, false, 255);
  EXPECT_EQ(read(dest), picture(40, 40, [](int x, int y) {
              return x < 29 && y < 34 ? Numbered((x + 5) / 2, y / 2) : 0u;
            }));
}

TEST_F(SurfaceDraw, DrawAlphaOntoAnIndexedSurfaceCopies) {
  TDirectDrawSurface& source = make(6, 6, PixelFormat::indexed8(), Numbered);
  TDirectDrawSurface& dest = make(6, 6, PixelFormat::indexed8(), 200);
  dest.DrawAlpha(dest.ClientRect(), source.ClientRect(), &source, false, 77);
  EXPECT_EQ(read(dest), picture(6, 6, [](int x, int y) { return Numbered(x, y) & 0xFF; }));
}

// DrawAlpha locks the platform surfaces itself: a surface locked through its
// wrapper, or drawn onto itself, cannot be locked again and nothing is drawn;
// whatever it locked is unlocked again.
TEST_F(SurfaceDraw, DrawAlphaDrawsNothingWhenALockFails) {
  TDirectDrawSurface& source = make(4, 4, PixelFormat::rgb565(), 0x1234);
  TDirectDrawSurface& dest = make(4, 4, PixelFormat::rgb565(), kBack);
  DDSURFACEDESC2 desc;
  ASSERT_TRUE(source.Lock(nullptr, desc));
  dest.DrawAlpha(dest.ClientRect(), source.ClientRect(), &source, false, 255);
  source.Unlock();
  EXPECT_EQ(read(dest), Values(16, kBack));  // read() locks dest: it was unlocked

  dest.DrawAlpha(dest.ClientRect(), dest.ClientRect(), &dest, false, 255);
  EXPECT_EQ(read(dest), Values(16, kBack));
  dest.DrawAlpha(dest.ClientRect(), source.ClientRect(), &source, false, 255);
  EXPECT_EQ(read(dest), Values(16, 0x1234u));
  EXPECT_EQ(source.LockCount(), 0);
}

}  // namespace
}  // namespace corvane::test
