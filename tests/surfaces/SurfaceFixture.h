// A headless platform with one window and a device object, the built-in
// "DDraw.dll" as the platform ships it, and helpers for raised errors.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "graphics/DIB.h"
#include "graphics/DirectDrawSurface.h"
#include "headless/HeadlessBackend.h"
#include "support/SurfaceDesc.h"

namespace corvane::test {

using namespace platform;

// What an operation raised: class name and message, or nothing.
struct Raised {
  std::string className;
  std::string message;
  friend bool operator==(const Raised&, const Raised&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Raised& r) {
    return out << r.className << " \"" << r.message << "\"";
  }
};

inline Raised RaisedBy(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return {e.ClassName(), e.Message()};
  }
  return {};
}

class SurfaceFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    InitializeDIBUnit();
    auto backend = std::make_unique<HeadlessBackend>();
    backend_ = backend.get();
    backend_->windows().setDesktopSize({640, 480});
    Install(std::move(backend));
    window_ = backend_->windows().createWindow({"Corvane", 320, 240, BorderStyle::Single});
    backend_->windows().showWindow(window_, true);
    device_ = std::make_unique<TDirectDraw>(nullptr);
  }
  void TearDown() override {
    device_.reset();
    FreeLibraryCache();
    ResetBuiltinLibraries();
    Uninstall();
  }

  HeadlessDisplay& display() { return backend_->display(); }
  TDirectDraw& device() { return *device_; }

  // A surface of the device (which destroys it) in the given format.
  TDirectDrawSurface& makeSurface(int width, int height, const PixelFormat& format) {
    auto* surface = new TDirectDrawSurface(device());
    EXPECT_TRUE(surface->CreateSurface(OffscreenDesc(width, height, format)));
    return *surface;
  }
  // A surface of the display's format (32-bit 8-8-8 on the desktop).
  TDirectDrawSurface& makeSurface(int width, int height) {
    auto* surface = new TDirectDrawSurface(device());
    surface->SetSize(width, height);
    return *surface;
  }

  // The bytes of row `y`, through a lock of the platform surface itself.
  static std::vector<std::uint8_t> rowBytes(TDirectDrawSurface& surface, int y, int count) {
    DDSURFACEDESC2 desc;
    EXPECT_EQ(surface.ISurface()->Lock(nullptr, &desc, DDLOCK_WAIT), DD_OK);
    const auto* row = static_cast<const std::uint8_t*>(desc.lpSurface) + y * desc.lPitch;
    std::vector<std::uint8_t> bytes(row, row + count);
    surface.ISurface()->Unlock(nullptr);
    return bytes;
  }

  // Every raw pixel value, row after row.
  static std::vector<std::uint32_t> pixels(TDirectDrawSurface& surface) {
    std::vector<std::uint32_t> all;
    for (int y = 0; y < surface.Height(); ++y)
      for (int x = 0; x < surface.Width(); ++x) all.push_back(surface.Pixel(x, y));
    return all;
  }

  HeadlessBackend* backend_ = nullptr;
  HWND window_ = 0;
  std::unique_ptr<TDirectDraw> device_;
};

}  // namespace corvane::test
