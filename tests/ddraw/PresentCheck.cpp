// A small program for the end-to-end check of presentation on a real desktop.
//
// It opens a 320 x 240 window (and says "shown"), goes full screen at 320 x 240 x 16 and shows
// a pattern there, then the same filling the screen ("filled", the F2 way),
// then releases the device, goes back to the window and
// shows the pattern in it. When each picture is up it says "fullscreen" or
// "window" on stdout, and goes on when a line arrives on stdin (the script
// takes its screenshots in between). Frames keep coming meanwhile, each
// with a vertical-blank wait and one blit to the primary surface.
//
// The pattern: quadrants red, green / blue, white; the leftmost column
// yellow and the bottom row magenta, so that the scale factor can be read.
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

#include "platform/DDraw.h"
#include "platform/LeakCheck.h"
#include "platform/Platform.h"
#include "sdl/SdlBackend.h"

using namespace corvane::platform;

namespace {

Rgb PatternAt(int x, int y) {
  if (x == 0) return {255, 255, 0};
  if (y == 239) return {255, 0, 255};
  bool right = x >= 160, bottom = y >= 120;
  if (!right && !bottom) return {255, 0, 0};
  if (right && !bottom) return {0, 255, 0};
  if (!right) return {0, 0, 255};
  return {255, 255, 255};
}

bool Fail(const char* what, HRESULT result) {
  std::fprintf(stderr, "%s failed: 0x%08X\n", what, static_cast<unsigned>(result));
  return false;
}

// A 320 x 240 surface in the display's format holding the pattern.
bool MakePattern(DirectDraw& device, ComPtr<DirectDrawSurface>& out) {
  DDSURFACEDESC2 desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = 320;
  desc.dwHeight = 240;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  if (HRESULT r = device.CreateSurface(&desc, out); r != DD_OK) return Fail("back buffer", r);
  DDSURFACEDESC2 lock;
  if (HRESULT r = out->Lock(nullptr, &lock, DDLOCK_WAIT); r != DD_OK) return Fail("lock", r);
  PixelFormat format = *FromDDPixelFormat(lock.ddpfPixelFormat);
  auto* first = static_cast<std::uint8_t*>(lock.lpSurface);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      StorePixel(first + y * lock.lPitch, x, format.bitCount(), format.encode(PatternAt(x, y)));
  out->Unlock(nullptr);
  return true;
}

// Waits up to `ms` for input on stdin.
bool LineWaiting(int ms) {
  pollfd in{STDIN_FILENO, POLLIN, 0};
  return poll(&in, 1, ms) > 0;
}

// Shows frames until a line arrives, saying `ready` once the desktop had
// half a second to settle. Gives up after a minute.
void RunUntilLine(const char* ready, const std::function<void()>& frame) {
  const std::uint32_t start = timeGetTime();
  bool said = false;
  Event event;
  while (timeGetTime() - start < 60000) {
    while (Current().windows().pollEvent(event)) {
    }
    frame();
    if (!said && timeGetTime() - start >= 500) {
      std::printf("%s\n", ready);
      std::fflush(stdout);
      said = true;
    }
    if (LineWaiting(10) && said) {
      char line[64];
      bool read = std::fgets(line, sizeof line, stdin) != nullptr;
      static_cast<void>(read);
      return;
    }
  }
}

bool FullScreen(HWND window) {
  ComPtr<DirectDraw> device;
  if (HRESULT r = DirectDrawCreateEx(nullptr, device, IID_IDirectDraw7); r != DD_OK)
    return Fail("device", r);
  HRESULT r = device->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN |
                                                      DDSCL_ALLOWMODEX | DDSCL_ALLOWREBOOT);
  if (r != DD_OK) return Fail("exclusive level", r);
  if (r = device->SetDisplayMode(320, 240, 16); r != DD_OK) return Fail("mode", r);
  DDSURFACEDESC2 desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  ComPtr<DirectDrawSurface> primary, back;
  if (r = device->CreateSurface(&desc, primary); r != DD_OK) return Fail("primary", r);
  if (!MakePattern(*device, back)) return false;
  auto frame = [&] {
    device->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN);
    primary->Blt(nullptr, back.get(), nullptr, DDBLT_WAIT, nullptr);
  };
  RunUntilLine("fullscreen", frame);
  Current().display().setScaling(Scaling::Fill);
  RunUntilLine("filled", frame);
  Current().display().setScaling(Scaling::Whole);
  return true;  // releasing the device gives the window back
}

bool Windowed(HWND window) {
  ComPtr<DirectDraw> device;
  if (HRESULT r = DirectDrawCreateEx(nullptr, device, IID_IDirectDraw7); r != DD_OK)
    return Fail("device", r);
  if (HRESULT r = device->SetCooperativeLevel(window, DDSCL_NORMAL); r != DD_OK)
    return Fail("normal level", r);
  DDSURFACEDESC2 desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  ComPtr<DirectDrawSurface> primary, back;
  ComPtr<DirectDrawClipper> clipper;
  if (HRESULT r = device->CreateSurface(&desc, primary); r != DD_OK) return Fail("primary", r);
  device->CreateClipper(0, clipper);
  clipper->SetHWnd(0, window);
  primary->SetClipper(clipper.get());
  if (!MakePattern(*device, back)) return false;
  RunUntilLine("window", [&] {
    Point origin = Current().windows().clientOrigin(window);
    RECT at{origin.x, origin.y, origin.x + 320, origin.y + 240};
    device->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN);
    primary->Blt(&at, back.get(), nullptr, DDBLT_WAIT, nullptr);
  });
  return true;
}

}  // namespace

int main() {
  std::string error;
  std::unique_ptr<Backend> backend = OpenSdlBackend(error);
  if (!backend) {
    std::fprintf(stderr, "no display: %s\n", error.c_str());
    return 2;
  }
  Install(std::move(backend));
  WindowSystem& windows = Current().windows();
  HWND window = windows.createWindow({"DDrawCheck", 320, 240, BorderStyle::Single});
  windows.showWindow(window, true);
  RunUntilLine("shown", [] {});
  bool ok = FullScreen(window) && Windowed(window);
#if defined(__SANITIZE_ADDRESS__)
  CheckLeaksAfter([] { Uninstall(); });
#else
  Uninstall();
#endif
  return ok ? 0 : 1;
}
