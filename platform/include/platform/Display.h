// The screen that the 2D device draws on, one per backend.
//
// Each backend supplies the part that touches the desktop (its size, how a
// window covers it, how a picture reaches a window, the vertical blank); the
// emulated screen on top is common: the list of display modes, the mode in
// force, exclusive use, surface loss and the pacing of presentation.
//
// Full-screen display modes are emulated: setting one makes a window cover
// the monitor it is on and show the mode's picture scaled; the real monitor
// mode is never changed, so leaving full screen can never leave the desktop
// wrong. On a desktop of several monitors, the screen is the monitor of the
// program's window (see WindowSystem::clientOrigin).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/PixelFormat.h"
#include "platform/User32.h"
#include "platform/WinDef.h"

namespace corvane::platform {

struct DisplayMode {
  int width = 0;
  int height = 0;
  PixelFormat format;
  int refreshRate = 60;

  int bitCount() const { return format.bitCount(); }
  friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

// A picture to show: rows of 0xXXRRGGBB pixels (the top byte means
// nothing), `pitch` pixels apart.
struct FrameView {
  const std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
};

// Where a picture of size `picture` goes on an output of size `output`: as
// large as it fits with its aspect kept, by a whole factor when it fits at
// least once, centred. Empty when either size is empty.
RECT FitPicture(Size output, Size picture);

// How a full-screen picture is enlarged to the monitor.
enum class Scaling {
  Whole,  // by the largest whole factor that fits (FitPicture), black bars around
  Fill,   // the whole height (or width) with the picture's aspect, crisp edges
};

// Where a picture goes on an output with `scaling`: FitPicture for Whole;
// for Fill as large as it fits with its aspect kept, centred. Empty when
// either size is empty.
RECT PlacePicture(Size output, Size picture, Scaling scaling);

// The whole factor a filled picture is first enlarged by, nearest neighbour,
// before the rest is made up smoothly: the largest that stays within
// `placed` (at least 1).
int WholeFactorWithin(Size placed, Size picture);

// The output of `size` showing `frame` the way `scaling` places it, black
// around: 0x00RRGGBB, row after row. Fill enlarges by WholeFactorWithin,
// nearest neighbour, then smoothly (bilinear, as a renderer's linear
// filter samples pixel centres) by the rest, so that each picture pixel
// stays a square block with exact inner pixels and at most one blended
// pixel at each of its edges. For pictures of a monitor without a renderer.
std::vector<std::uint32_t> ScalePicture(const FrameView& frame, Size size, Scaling scaling);

// The modes a device offers: 320x200, 320x240, 400x300, 512x384, 640x400,
// 640x480, 800x600, 1024x768 and the desktop's own size, each at 8 bits
// (indexed), 16 bits (5-6-5) and 32 bits (8-8-8); ascending by width, height
// and bit count.
std::vector<DisplayMode> ClassicModes(Size desktop, int refreshRate);

class Display {
 public:
  Display();
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;
  virtual ~Display();

  // --- What the backend supplies.
  // The size of the monitor the screen stands for.
  virtual Size desktopSize() const = 0;
  virtual PixelFormat desktopFormat() const { return PixelFormat::xrgb8888(); }
  virtual int refreshRate() const { return 60; }
  // Bytes of "video memory" a device may give its surfaces.
  virtual std::uint64_t videoMemory() const { return videoMemory_; }
  void setVideoMemory(std::uint64_t bytes) { videoMemory_ = bytes; }

  // --- The emulated screen, common to every backend.
  std::vector<DisplayMode> modes() const;
  // Offers exactly these modes instead of the classic ones (nothing: back
  // to the classic ones); for tests of the mode search.
  void setModes(std::optional<std::vector<DisplayMode>> modes) { modeList_ = std::move(modes); }
  DisplayMode desktopMode() const;
  // The full-screen mode while one is set, else the desktop's.
  DisplayMode currentMode() const;
  bool isFullScreen() const { return fullScreen_.has_value(); }
  HWND fullScreenWindow() const { return fullScreenWindow_; }
  // Makes `window` cover its monitor and show pictures of the mode's size;
  // false when the backend cannot. Every surface is lost by a mode change.
  bool setMode(HWND window, const DisplayMode& mode);
  // Back to the desktop's mode, the window to its place.
  void restoreMode();

  // One owner of exclusive use at a time; claiming again by the owner succeeds.
  bool claimExclusive(const void* owner);
  void releaseExclusive(const void* owner);
  const void* exclusiveOwner() const { return exclusiveOwner_; }

  // Surfaces made before the latest loss are lost until restored.
  std::uint32_t lossGeneration() const { return lossGeneration_; }
  // Takes the memory of every surface away, as when another program takes the screen.
  void loseSurfaces() { ++lossGeneration_; }

  // Pacing: a wait marks the next presentation to be shown at the vertical
  // blank, which that presentation then waits for, so a frame that waits and
  // then presents waits once. A second wait before a presentation really waits.
  void waitVerticalBlank();
  // Shows a picture in `window`: the whole screen in full screen, else the
  // part of the screen under the window's client area.
  void present(HWND window, const FrameView& frame);
  std::uint64_t presentCount() const { return presentCount_; }
  // How full-screen pictures are enlarged to the monitor; Whole at start.
  Scaling scaling() const { return scaling_; }
  void setScaling(Scaling scaling) { scaling_ = scaling; }

  // Interface versions the device's queries refuse, as a runtime older than
  // this one would: bit (1 << id) for each InterfaceId of DDrawTypes.h.
  // For tests; nothing is refused by default.
  std::uint32_t refusedInterfaces() const { return refusedInterfaces_; }
  void setRefusedInterfaces(std::uint32_t bits) { refusedInterfaces_ = bits; }

  // Lets a device notice that the display went away before it did.
  std::shared_ptr<const bool> aliveToken() const { return alive_; }

 protected:
  virtual bool coverDesktop(HWND window, const DisplayMode& mode) = 0;
  virtual void uncoverDesktop(HWND window) = 0;
  virtual void showFrame(HWND window, const FrameView& frame, bool fullScreen, bool vsync) = 0;
  virtual void waitForBlank() = 0;

 private:
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::optional<DisplayMode> fullScreen_;
  HWND fullScreenWindow_ = 0;
  const void* exclusiveOwner_ = nullptr;
  std::uint32_t lossGeneration_ = 0;
  bool vsyncPending_ = false;
  std::uint64_t presentCount_ = 0;
  std::uint64_t videoMemory_ = 256ull << 20;
  std::uint32_t refusedInterfaces_ = 0;
  Scaling scaling_ = Scaling::Whole;
  std::optional<std::vector<DisplayMode>> modeList_;
};

}  // namespace corvane::platform
