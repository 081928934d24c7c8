// A headless platform with one window and a 2D device, and helpers that
// paint and read tiny surfaces pixel by pixel.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "headless/HeadlessBackend.h"
#include "platform/DDraw.h"
#include "support/SurfaceDesc.h"

namespace corvane::test {

using namespace corvane::platform;

// Raw pixel values of a surface, row after row.
using Grid = std::vector<std::uint32_t>;

class DDrawFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    auto backend = std::make_unique<HeadlessBackend>();
    backend_ = backend.get();
    backend_->windows().setDesktopSize({640, 480});
    Install(std::move(backend));
    window_ = windows().createWindow({"Corvane", 320, 240, BorderStyle::Single});
    windows().showWindow(window_, true);  // client area at (160, 120)
    ASSERT_EQ(DirectDrawCreateEx(nullptr, device_, IID_IDirectDraw7), DD_OK);
  }
  void TearDown() override {
    device_.reset();
    Uninstall();
  }

  HeadlessWindowSystem& windows() { return backend_->windows(); }
  HeadlessDisplay& display() { return backend_->display(); }

  ComPtr<DirectDrawSurface> makeSurface(int width, int height, const PixelFormat& format,
                                        std::uint32_t caps = DDSCAPS_OFFSCREENPLAIN |
                                                             DDSCAPS_SYSTEMMEMORY) {
    DDSURFACEDESC2 desc = OffscreenDesc(width, height, format, caps);
    ComPtr<DirectDrawSurface> surface;
    EXPECT_EQ(device_->CreateSurface(&desc, surface), DD_OK);
    return surface;
  }

  ComPtr<DirectDrawSurface> makePrimary() {
    DDSURFACEDESC2 desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    ComPtr<DirectDrawSurface> primary;
    EXPECT_EQ(device_->CreateSurface(&desc, primary), DD_OK);
    return primary;
  }

  // Calls `visit(row, x, y)` for every pixel under a lock of the whole surface.
  static void forEachPixel(DirectDrawSurface& surface,
                           const std::function<void(std::uint8_t*, int, int, int)>& visit) {
    DDSURFACEDESC2 desc;
    ASSERT_EQ(surface.Lock(nullptr, &desc, DDLOCK_WAIT), DD_OK);
    int bits = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount);
    auto* first = static_cast<std::uint8_t*>(desc.lpSurface);
    for (int y = 0; y < static_cast<int>(desc.dwHeight); ++y)
      for (int x = 0; x < static_cast<int>(desc.dwWidth); ++x)
        visit(first + static_cast<std::ptrdiff_t>(y) * desc.lPitch, x, y, bits);
    ASSERT_EQ(surface.Unlock(nullptr), DD_OK);
  }

  static Grid read(DirectDrawSurface& surface) {
    Grid grid;
    forEachPixel(surface, [&](std::uint8_t* row, int x, int, int bits) {
      grid.push_back(LoadPixel(row, x, bits));
    });
    return grid;
  }

  static void write(DirectDrawSurface& surface, const Grid& grid) {
    std::size_t i = 0;
    forEachPixel(surface, [&](std::uint8_t* row, int x, int, int bits) {
      StorePixel(row, x, bits, grid.at(i++));
    });
  }

  static void paint(DirectDrawSurface& surface,
                    const std::function<std::uint32_t(int, int)>& valueAt) {
    forEachPixel(surface, [&](std::uint8_t* row, int x, int y, int bits) {
      StorePixel(row, x, bits, valueAt(x, y));
    });
  }

  static std::uint32_t pixel(DirectDrawSurface& surface, int x, int y) {
    std::uint32_t value = 0;
    forEachPixel(surface, [&](std::uint8_t* row, int px, int py, int bits) {
      if (px == x && py == y) value = LoadPixel(row, px, bits);
    });
    return value;
  }

  HeadlessBackend* backend_ = nullptr;
  HWND window_ = 0;
  ComPtr<DirectDraw> device_;
};

}  // namespace corvane::test
